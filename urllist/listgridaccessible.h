#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <memory>
#include <utility>

class TListGrid;

// The URL list as assistive technology sees it: a table whose rows are the data rows and whose
// column headers are the heading cells. Its children are the cells, heading row first, then row
// by row, so that a cell's child index is row * columns + column in the list's own numbering.
// Cell interfaces are made on demand and kept per row identity, so a cell keeps its interface
// while rows before it come and go.
//
// The interface follows the list while it exists: the current cell is announced as the focus
// when it moves while the list has the focus, new and removed rows as table model changes, and
// changed cells as changed names.
class TListGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TListGridAccessible(TListGrid *grid);
    ~TListGridAccessible() override;

    // Makes every TListGrid answer with this interface; called by the list itself, once is enough.
    static void installFactory();

    // QAccessibleInterface
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleActionInterface: besides the focus, the list's pop-up menu at the current cell.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // QAccessibleTableInterface; rows count from the first data row, which is row 0 here.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return QString(); }
    // Whole rows and columns are never selected: the selection is the current cell.
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    TListGrid *grid() const;

    // The interface of a cell in the list's own numbering (row 0 is the heading row); nullptr
    // when there is no such cell.
    QAccessibleInterface *gridCell(int col, int row) const;

    // What a user's left click on the cell does: a link cell runs the link click, any other
    // data cell becomes the current cell.
    static void pressCell(TListGrid *grid, int col, int row);
    static void focusCell(TListGrid *grid, int col, int row);

private:
    void announceCurrent();
    void dropGoneCells();

    // (row id, column) -> the cell's interface id in Qt's accessibility cache
    mutable QHash<std::pair<quint64, int>, QAccessible::Id> m_cells;
    // Carries the connections to the list and its model; they end with this interface.
    std::unique_ptr<QObject> m_watcher;
};
