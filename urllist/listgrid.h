#pragma once

#include "core/csvwriter.h"
#include "core/requestrecord.h"
#include "urllist/columnwidths.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QTimer>

#include <vector>

class QMenu;
class QModelIndex;
class RequestListModel;
class TListGridDelegate;

struct GridRect
{
    int Left, Top, Right, Bottom; // column, row, column, row
};

// The URL list: a view of the recorded rows (RequestListModel) under one heading row, two
// columns, the last column stretched to fill the list. Row 0 is the heading row, drawn from the
// model's header data; grid row r is the model's row r - 1. The view keeps what is its own: row
// heights, column widths and the measured widths the column fit needs. Cells holding "://" or "mailto:" are shown and clicked as links.
// The user can move the current cell, scroll, pan, zoom and size column 0; only the program
// changes the cells and the rows.
class TListGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TListGrid(QWidget *parent = nullptr);
    ~TListGrid() override;

    QByteArray CellText(int col, int row) const;
    void SetCellText(int col, int row, const QByteArray &text);
    int RowCount() const;
    void SetRowCount(int n);
    int ColCount() const;
    int FixedRows() const { return 1; }
    int FixedCols() const { return 0; }
    int FixedFooters() const { return 0; }
    int FixedRightCols() const { return 0; }
    int DefaultRowHeight() const;
    int DefaultColWidth() const;
    int CurrentRow() const { return m_curRow; }
    int CurrentCol() const { return m_curCol; }
    // Moves the current cell (held to the data cells) and scrolls it into view.
    void SetCurrentCell(int col, int row);
    GridRect Selection() const;
    void DeleteRows(int first, int count);
    // Empties every data cell and forgets every row's request and doubt. The emptied rows get
    // new identities: what was on its way to a row that was there before goes nowhere.
    void ClearDataCells();
    // A row whose POST text may not be the body that was sent: its POST-DATA cell is drawn
    // marked, with the reason as its tooltip. An empty text makes the row certain again.
    void SetRowDoubt(int row, const QString &doubt);
    QString RowDoubt(int row) const;
    // The request a row was recorded from, kept beside its cells and never shown in them; its
    // doubt is the row's doubt.
    void SetRowRequest(int row, const RequestRecord &request);
    RequestRecord RowRequest(int row) const;
    void FitColumnWidth(int col);
    int ColWidth(int col) const;
    void SetColWidth(int col, int w);
    int RowHeight(int row) const;
    int ZoomOffset() const { return m_zoom; }
    // Changes the zoom offset by delta; a change that would leave -10..+10 is ignored.
    void Zoom(int delta);
    int TopRow() const { return m_topRow; }

    // The first top row at which the last row is fully shown.
    int LastTopRow() const;

    // The font of the data rows (Font) and of the heading row (FixedFont), at zoom offset 0; the
    // list draws and measures with them zoomed. The widget's own font() is not used.
    QFont Font() const { return m_font; }
    void SetFont(const QFont &font);
    QFont FixedFont() const { return m_fixedFont; }
    void SetFixedFont(const QFont &font);

    // A row's identity that survives rows deleted or added before it; the heading row's never
    // changes.
    static constexpr quint64 kHeadingRowId = ~quint64(0);
    quint64 RowId(int row) const;
    int RowOfId(quint64 id) const; // -1 when that row is gone

    void setPopupMenu(QMenu *menu);
    QMenu *popupMenu() const;
    // Opens the pop-up menu at the current cell, as the context-menu key and Shift+F10 do.
    void openPopupAtCurrentCell();

    // The cell under a point of the viewport; false when there is none.
    bool CellAt(const QPoint &viewportPos, int &col, int &row) const;
    // The cell's rectangle in viewport coordinates, lines included; empty when it is not shown.
    QRect CellRect(int col, int row) const;
    bool IsPanning() const { return m_panning; }

    RequestListModel *model() const { return m_model; }

    // What a cell shows and how: a link is drawn as one, without its leading part; the column fit
    // measures the first line.
    bool isLink(int col, int row) const;
    QByteArray shownText(int col, int row) const;
    QByteArray measuredText(int col, int row) const;

    // Output settings read by the CSV writer (all of them), the HTML writer (OutputFixedCells)
    // and the clipboard copy (none).
    CsvOptions Csv;

    // Output (listgridoutput.cpp): the whole list as a CSV or HTML file, or on the clipboard.
    // The file writers raise EListGridError "Cannot Create file " + name when the file cannot
    // be created, and the platform's message when a write fails; the target is then unchanged.
    void SaveCsv(const QString &fileName) const;
    void SaveHtml(const QString &fileName) const;
    void CopyAllToClipboard() const;
    CellSource Cells() const;

signals:
    // A left click on a link cell (OnAnchorClick). autoHandle is true on entry; a handler that
    // leaves it true lets the list open the anchor itself. Connect directly: the list reads
    // autoHandle as soon as the signal returns.
    void AnchorClick(TListGrid *sender, int ARow, int ACol, const QByteArray &anchor,
                     bool *autoHandle);
    // Raised by SaveCsv after rows, with the percentage written so far, whenever it changes
    // (OnFileProgress).
    void FileProgress(TListGrid *sender, qint16 progress);
    // A double click on a data cell that is not a link (a link's first click opened it).
    void CellDoubleClick(TListGrid *sender, int ACol, int ARow);
    // The current cell moved, by the user or by the program, or its row was renumbered.
    void currentCellChanged(int col, int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Its cells' actions do what the user's clicks do.
    friend class TListGridAccessible;

    int colLeft(int col) const; // in content coordinates
    int totalWidth() const;
    int dataAreaHeight() const;
    int fullyVisibleRowsFrom(int top) const;
    int lastFullyVisibleRow() const;
    int sizingBorderAt(const QPoint &pos) const; // column whose right border is near, or -1
    void stretch();
    void updateScrollBars();
    void setTopRow(int row);
    void ensureCurrentVisible();
    void moveCurrent(int col, int row);
    void updateCell(int col, int row);
    void applyFonts();
    void updatePointer(const QPoint &pos);
    void linkClick(int col, int row);
    void openAnchor(const QByteArray &anchor);
    void openPopup(const QPoint &globalPos);
    void startPanning(const QPoint &pos);
    void stopPanning();
    void panTick();
    void moveByWheelNotches(int notches);
    void cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowsReset();
    void rowsChanged();
    bool containsCell(int col, int row) const;
    static QCursor panCursor(bool up);

    RequestListModel *m_model;
    TListGridDelegate *m_delegate;
    std::vector<int> m_colWidths;
    int m_headingHeight;
    std::vector<int> m_rowHeights; // of the model's rows
    ColumnWidths m_measured;
    QFont m_font;
    QFont m_fixedFont;
    int m_curCol = 0;
    int m_curRow = 1;
    int m_topRow = 1;
    int m_zoom = 0;
    int m_wheelRest = 0;
    bool m_inStretch = false;
    QPointer<QMenu> m_popup;

    int m_sizingCol = -1;

    bool m_panning = false;
    QPoint m_panOrigin;
    QPoint m_panPos;
    QTimer m_panTimer;
    bool m_hadCursor = false;
    QCursor m_savedCursor;
    QCursor m_panUpCursor;
    QCursor m_panDownCursor;
};
