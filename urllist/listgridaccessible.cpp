#include "urllist/listgridaccessible.h"

#include "core/ansitext.h"
#include "urllist/listgrid.h"
#include "core/requestlistmodel.h"

#include <QAccessible>
#include <QEvent>
#include <QMenu>
#include <QTimer>

#include <functional>

namespace {

// One cell of the list; a heading cell when its row is the heading row. It names its row by the
// row's identity, so it stays with its row when rows before it are added or removed, and turns
// invalid when its row goes.
class ListGridCellAccessible : public QAccessibleInterface,
                               public QAccessibleTableCellInterface,
                               public QAccessibleActionInterface
{
public:
    ListGridCellAccessible(TListGrid *grid, quint64 rowId, int col)
        : m_grid(grid), m_rowId(rowId), m_col(col)
    {
    }

    TListGrid *grid() const { return m_grid; }
    int gridRow() const { return m_grid ? m_grid->RowOfId(m_rowId) : -1; }
    bool isHeading() const { return gridRow() >= 0 && gridRow() < m_grid->FixedRows(); }
    QAccessibleInterface *tableIface() const { return QAccessible::queryAccessibleInterface(m_grid); }

    // QAccessibleInterface
    bool isValid() const override { return gridRow() >= 0 && m_col >= 0 && m_col < m_grid->ColCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_grid ? m_grid->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override { return tableIface(); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        const int row = gridRow();
        switch (t) {
        case QAccessible::Name:
            // The text as the list draws it: a link without its leading part, the first line.
            return fromAnsi(m_grid->shownText(m_col, row));
        case QAccessible::Description:
            return isHeading() ? QString() : fromAnsi(m_grid->CellText(m_col, row));
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect r = m_grid->CellRect(m_col, gridRow());
        if (r.isEmpty())
            return QRect();
        return QRect(m_grid->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override
    {
        return isHeading() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        const int row = gridRow();
        if (m_grid->CellRect(m_col, row).isEmpty()) {
            st.invisible = true;
            st.offscreen = true;
        }
        if (isHeading())
            return st;
        st.readOnly = true;
        st.focusable = true;
        st.selectable = true;
        const bool current = row == m_grid->CurrentRow() && m_col == m_grid->CurrentCol();
        st.selected = current;
        st.active = current;
        st.focused = current && m_grid->hasFocus();
        st.linked = m_grid->isLink(m_col, row);
        return st;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface && !isHeading())
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        if (!isValid())
            return {};
        auto *table = static_cast<TListGridAccessible *>(tableIface());
        if (QAccessibleInterface *heading = table->gridCell(m_col, 0))
            return {heading};
        return {};
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return isValid() ? gridRow() - m_grid->FixedRows() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return tableIface(); }

    // QAccessibleActionInterface: a data cell can be made current; a link cell can be pressed,
    // which runs the list's link click as a left click would.
    QStringList actionNames() const override
    {
        if (!isValid() || isHeading())
            return {};
        if (m_grid->isLink(m_col, gridRow()))
            return {pressAction(), setFocusAction()};
        return {setFocusAction()};
    }
    void doAction(const QString &actionName) override
    {
        if (!actionNames().contains(actionName))
            return;
        if (actionName == pressAction())
            TListGridAccessible::pressCell(m_grid, m_col, gridRow());
        else if (actionName == setFocusAction())
            TListGridAccessible::focusCell(m_grid, m_col, gridRow());
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<TListGrid> m_grid;
    quint64 m_rowId;
    int m_col;
};

// Calls back when the list takes the focus.
class FocusInWatcher : public QObject
{
public:
    explicit FocusInWatcher(std::function<void()> onFocusIn) : m_onFocusIn(std::move(onFocusIn)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_onFocusIn();
        return false;
    }

private:
    std::function<void()> m_onFocusIn;
};

QAccessibleInterface *listGridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TListGrid"))
        if (auto *grid = qobject_cast<TListGrid *>(object))
            return new TListGridAccessible(grid);
    return nullptr;
}

} // namespace

void TListGridAccessible::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(listGridFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

TListGridAccessible::TListGridAccessible(TListGrid *grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{
    // The focus event of the list itself follows its focus-in; the current cell comes after it.
    m_watcher = std::make_unique<FocusInWatcher>([this] {
        QTimer::singleShot(0, m_watcher.get(), [this] {
            if (this->grid()->hasFocus())
                announceCurrent();
        });
    });
    grid->installEventFilter(m_watcher.get());
    QObject *w = m_watcher.get();
    RequestListModel *model = grid->model();

    QObject::connect(grid, &TListGrid::currentCellChanged, w, [this] {
        if (this->grid()->hasFocus())
            announceCurrent();
    });

    auto rowsEvent = [this](QAccessibleTableModelChangeEvent::ModelChangeType type, int first, int last) {
        // The model's rows are the table's: the heading row is its column headers.
        QAccessibleTableModelChangeEvent event(this->grid(), type);
        event.setFirstRow(first);
        event.setLastRow(last);
        event.setFirstColumn(0);
        event.setLastColumn(columnCount() - 1);
        QAccessible::updateAccessibility(&event);
        // Without an active bridge no model change reaches modelChange.
        if (!QAccessible::isActive())
            dropGoneCells();
    };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, w,
                     [rowsEvent](const QModelIndex &, int first, int last) {
                         rowsEvent(QAccessibleTableModelChangeEvent::RowsInserted, first, last);
                     });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, w,
                     [rowsEvent](const QModelIndex &, int first, int last) {
                         rowsEvent(QAccessibleTableModelChangeEvent::RowsRemoved, first, last);
                     });
    QObject::connect(model, &QAbstractItemModel::modelReset, w, [this] {
        QAccessibleTableModelChangeEvent event(this->grid(), QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
        if (!QAccessible::isActive())
            dropGoneCells();
    });
    QObject::connect(model, &QAbstractItemModel::dataChanged, w,
                     [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                         if (!QAccessible::isActive())
                             return;
                         TListGrid *g = this->grid();
                         for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                             for (int col = topLeft.column(); col <= bottomRight.column(); ++col) {
                                 const int index = (row + g->FixedRows()) * g->ColCount() + col;
                                 for (auto type : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
                                     QAccessibleEvent event(g, type);
                                     event.setChild(index);
                                     QAccessible::updateAccessibility(&event);
                                 }
                             }
                     });
}

TListGridAccessible::~TListGridAccessible()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
}

TListGrid *TListGridAccessible::grid() const
{
    return static_cast<TListGrid *>(widget());
}

QAccessible::State TListGridAccessible::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.readOnly = true;
    return st;
}

QAccessibleInterface *TListGridAccessible::gridCell(int col, int row) const
{
    TListGrid *g = grid();
    if (!g || col < 0 || col >= g->ColCount() || row < 0 || row >= g->RowCount())
        return nullptr;
    const std::pair<quint64, int> key{g->RowId(row), col};
    if (const auto it = m_cells.constFind(key); it != m_cells.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto *cell = new ListGridCellAccessible(g, key.first, col);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int TListGridAccessible::childCount() const
{
    const TListGrid *g = grid();
    return g ? g->RowCount() * g->ColCount() : 0;
}

QAccessibleInterface *TListGridAccessible::child(int index) const
{
    const TListGrid *g = grid();
    if (!g || index < 0 || index >= childCount())
        return nullptr;
    return gridCell(index % g->ColCount(), index / g->ColCount());
}

int TListGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *cell = dynamic_cast<const ListGridCellAccessible *>(child);
    if (!cell || !cell->isValid() || cell->grid() != grid())
        return -1;
    return cell->gridRow() * grid()->ColCount() + cell->columnIndex();
}

QAccessibleInterface *TListGridAccessible::childAt(int x, int y) const
{
    TListGrid *g = grid();
    if (!g)
        return nullptr;
    int col = 0;
    int row = 0;
    if (!g->CellAt(g->viewport()->mapFromGlobal(QPoint(x, y)), col, row))
        return nullptr;
    return gridCell(col, row);
}

QAccessibleInterface *TListGridAccessible::focusChild() const
{
    TListGrid *g = grid();
    if (!g || !g->hasFocus())
        return nullptr;
    return gridCell(g->CurrentCol(), g->CurrentRow());
}

QStringList TListGridAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (grid()->popupMenu())
        names << showMenuAction();
    return names;
}

void TListGridAccessible::doAction(const QString &actionName)
{
    if (actionName == showMenuAction() && grid()->popupMenu())
        grid()->openPopupAtCurrentCell();
    else
        QAccessibleWidget::doAction(actionName);
}

void *TListGridAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessibleInterface *TListGridAccessible::cellAt(int row, int column) const
{
    if (row < 0)
        return nullptr;
    return gridCell(column, row + grid()->FixedRows());
}

int TListGridAccessible::selectedCellCount() const
{
    return int(selectedCells().size());
}

QList<QAccessibleInterface *> TListGridAccessible::selectedCells() const
{
    const TListGrid *g = grid();
    if (QAccessibleInterface *cell = gridCell(g->CurrentCol(), g->CurrentRow()))
        return {cell};
    return {};
}

QString TListGridAccessible::columnDescription(int column) const
{
    const TListGrid *g = grid();
    if (column < 0 || column >= g->ColCount())
        return QString();
    return fromAnsi(g->shownText(column, 0));
}

int TListGridAccessible::columnCount() const
{
    return grid()->ColCount();
}

int TListGridAccessible::rowCount() const
{
    const TListGrid *g = grid();
    return g->RowCount() - g->FixedRows();
}

void TListGridAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // Cells are kept by row identity: only the interfaces of rows that are gone need to go.
    dropGoneCells();
}

void TListGridAccessible::dropGoneCells()
{
    const TListGrid *g = grid();
    for (auto it = m_cells.begin(); it != m_cells.end();) {
        if (!g || g->RowOfId(it.key().first) < 0) {
            QAccessible::deleteAccessibleInterface(it.value());
            it = m_cells.erase(it);
        } else {
            ++it;
        }
    }
}

void TListGridAccessible::announceCurrent()
{
    TListGrid *g = grid();
    QAccessibleEvent event(g, QAccessible::Focus);
    event.setChild(g->CurrentRow() * g->ColCount() + g->CurrentCol());
    QAccessible::updateAccessibility(&event);
}

void TListGridAccessible::pressCell(TListGrid *grid, int col, int row)
{
    if (!grid || row < grid->FixedRows() || row >= grid->RowCount() || col < 0 || col >= grid->ColCount())
        return;
    if (grid->isLink(col, row))
        grid->linkClick(col, row);
    else
        focusCell(grid, col, row);
}

void TListGridAccessible::focusCell(TListGrid *grid, int col, int row)
{
    if (!grid || row < grid->FixedRows() || row >= grid->RowCount() || col < 0 || col >= grid->ColCount())
        return;
    grid->setFocus(Qt::OtherFocusReason);
    grid->moveCurrent(col, row);
}
