// The list's data operations, zoom and fonts, and its answers to the model's signals. Geometry,
// painting, input and panning are in listgridgeometry.cpp, listgridpaint.cpp, listgridinput.cpp
// and listgridpanning.cpp.
#include "urllist/listgrid.h"

#include "core/ansitext.h"
#include "core/listcolumn.h"
#include "urllist/listgridaccessible.h"
#include "urllist/listgriddelegate.h"
#include "urllist/listgridlook.h"
#include "core/requestlistmodel.h"
#include "urllist/linkcell.h"

#include <QFontMetrics>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

using namespace ListGridLook;

TListGrid::TListGrid(QWidget *parent)
    : QAbstractScrollArea(parent),
      m_model(new RequestListModel(this)),
      m_delegate(new TListGridDelegate(this)),
      m_colWidths{39, 750}, // UrlColumn, PostDataColumn
      m_headingHeight(kDefaultRowHeight),
      m_measured(RequestListModel::kColumns, {}),
      m_font(cellFont(0)),
      m_fixedFont(cellFont(0)),
      m_panUpCursor(panCursor(true)),
      m_panDownCursor(panCursor(false))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // A click on a link must not take the focus; other clicks take it explicitly. The viewport's
    // focus proxy is the list, so its policy is set first: setting it passes on to the list.
    viewport()->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::TabFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    TListGridAccessible::installFactory();

    connect(m_model, &QAbstractItemModel::dataChanged, this, &TListGrid::cellsChanged);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { viewport()->update(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsInserted(first, last); });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsRemoved(first, last); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TListGrid::rowsReset);
    m_model->resizeRows(1);
    applyFonts();

    verticalScrollBar()->setSingleStep(1);
    m_panTimer.setInterval(10);
    connect(&m_panTimer, &QTimer::timeout, this, &TListGrid::panTick);

    stretch();
}

TListGrid::~TListGrid() = default;

QByteArray TListGrid::CellText(int col, int row) const
{
    return row == 0 ? m_model->heading(col) : m_model->cellText(col, row - 1);
}

void TListGrid::SetCellText(int col, int row, const QByteArray &text)
{
    // The model's signals repaint the cell.
    if (row == 0)
        m_model->setHeading(col, text);
    else
        m_model->setCellText(col, row - 1, text);
}

int TListGrid::RowCount() const
{
    return m_model->rows() + FixedRows();
}

int TListGrid::ColCount() const
{
    return RequestListModel::kColumns;
}

bool TListGrid::containsCell(int col, int row) const
{
    return col >= 0 && col < ColCount() && row >= 0 && row < RowCount();
}

bool TListGrid::isLink(int col, int row) const
{
    return containsCell(col, row) && isLinkText(CellText(col, row));
}

QByteArray TListGrid::shownText(int col, int row) const
{
    return containsCell(col, row) ? linkShownText(CellText(col, row)) : QByteArray();
}

QByteArray TListGrid::measuredText(int col, int row) const
{
    return containsCell(col, row) ? ::measuredText(CellText(col, row)) : QByteArray();
}

int TListGrid::DefaultRowHeight() const
{
    return kDefaultRowHeight;
}

int TListGrid::DefaultColWidth() const
{
    return kDefaultColWidth;
}

void TListGrid::SetRowCount(int n)
{
    // The list always keeps its heading row and one data row.
    n = std::max(n, FixedRows() + 1);
    if (n == RowCount())
        return;
    m_model->resizeRows(n - FixedRows()); // rowsInserted or rowsRemoved follows
}

GridRect TListGrid::Selection() const
{
    return GridRect{m_curCol, m_curRow, m_curCol, m_curRow};
}

void TListGrid::DeleteRows(int first, int count)
{
    if (first > RowCount() || first < FixedRows() || count <= 0)
        return;
    // Never remove the last data row: the list always has one.
    const int n = std::min({count, RowCount() - first, RowCount() - FixedRows() - 1});
    if (n <= 0)
        return;
    // The list is painted once, when every row has moved.
    const bool wasEnabled = updatesEnabled();
    setUpdatesEnabled(false);
    m_model->removeRows(first - FixedRows(), n); // rowsRemoved follows
    setUpdatesEnabled(wasEnabled);
    viewport()->update();
}

void TListGrid::ClearDataCells()
{
    m_model->blankRows(); // modelReset follows
}

void TListGrid::SetRowRequest(int row, const RequestRecord &request)
{
    m_model->setRequest(row - FixedRows(), request);
}

RequestRecord TListGrid::RowRequest(int row) const
{
    return m_model->request(row - FixedRows());
}

void TListGrid::SetRowDoubt(int row, const QString &doubt)
{
    m_model->setDoubt(row - FixedRows(), doubt);
}

QString TListGrid::RowDoubt(int row) const
{
    return m_model->doubt(row - FixedRows());
}

void TListGrid::FitColumnWidth(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    const int heading = QFontMetrics(zoomedFont(m_fixedFont, m_zoom)).horizontalAdvance(fromAnsi(measuredText(col, 0)));
    const int need = std::max(heading, m_measured.widest(col)) + 2 * kTextInset;
    const int w = 2 * kGridLineWidth + 2 + need + 2;
    SetColWidth(col, std::max(w, 10));
}

int TListGrid::ColWidth(int col) const
{
    return col >= 0 && col < ColCount() ? m_colWidths[size_t(col)] : 0;
}

void TListGrid::SetColWidth(int col, int w)
{
    if (col < 0 || col >= ColCount())
        return;
    m_colWidths[size_t(col)] = std::max(0, w);
    stretch();
    viewport()->update();
}

int TListGrid::RowHeight(int row) const
{
    if (row == 0)
        return m_headingHeight;
    return row > 0 && row < RowCount() ? m_rowHeights[size_t(row - FixedRows())] : 0;
}

quint64 TListGrid::RowId(int row) const
{
    if (row == 0)
        return kHeadingRowId;
    return row >= FixedRows() ? m_model->rowId(row - FixedRows()) : 0;
}

int TListGrid::RowOfId(quint64 id) const
{
    if (id == kHeadingRowId)
        return 0;
    const int row = m_model->rowOfId(id);
    return row < 0 ? -1 : row + FixedRows();
}

void TListGrid::setPopupMenu(QMenu *menu)
{
    m_popup = menu;
}

QMenu *TListGrid::popupMenu() const
{
    return m_popup;
}

void TListGrid::Zoom(int delta)
{
    const int z = m_zoom + delta;
    if (delta == 0 || z < kMinZoom || z > kMaxZoom)
        return;
    m_zoom = z;
    for (int &w : m_colWidths)
        if (w + delta > 0)
            w += delta;
    if (m_headingHeight + delta > 0)
        m_headingHeight += delta;
    for (int &h : m_rowHeights)
        if (h + delta > 0)
            h += delta;
    applyFonts();
    stretch();
    setTopRow(m_topRow);
    viewport()->update();
}

void TListGrid::SetFont(const QFont &font)
{
    m_font = font;
    applyFonts();
    viewport()->update();
}

void TListGrid::SetFixedFont(const QFont &font)
{
    m_fixedFont = font;
    applyFonts();
    viewport()->update();
}

void TListGrid::applyFonts()
{
    const QFont font = zoomedFont(m_font, m_zoom);
    const QFont fixedFont = zoomedFont(m_fixedFont, m_zoom);
    m_delegate->setFonts(font, fixedFont);
    m_measured = ColumnWidths(ColCount(), [this, fm = QFontMetrics(font)](int col, int row) {
        const QByteArray text = m_model->cellText(col, row);
        return text.isEmpty() ? 0 : fm.horizontalAdvance(fromAnsi(::measuredText(text)));
    });
    m_measured.reset(m_model->rows());
}

// ---- the model's signals -------------------------------------------------------------------

void TListGrid::cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    const bool textChanged = roles.isEmpty() || roles.contains(RequestListModel::CellTextRole);
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        for (int col = topLeft.column(); col <= bottomRight.column(); ++col) {
            if (textChanged)
                m_measured.cellChanged(col, row);
            updateCell(col, row + FixedRows());
        }
}

void TListGrid::rowsInserted(int first, int last)
{
    m_rowHeights.insert(m_rowHeights.begin() + first, size_t(last - first + 1), kDefaultRowHeight);
    m_measured.rowsInserted(first, last);
    rowsChanged();
}

void TListGrid::rowsRemoved(int first, int last)
{
    m_rowHeights.erase(m_rowHeights.begin() + first, m_rowHeights.begin() + last + 1);
    m_measured.rowsRemoved(first, last);
    rowsChanged();
}

void TListGrid::rowsReset()
{
    // Rows that stay keep their heights; the others are new.
    m_rowHeights.resize(size_t(m_model->rows()), kDefaultRowHeight);
    m_measured.reset(m_model->rows());
    rowsChanged();
}

void TListGrid::rowsChanged()
{
    // The current cell keeps its row number while that row exists, and otherwise goes to the new
    // last row; the top row stays where it was, held to the rows there are.
    const int oldRow = m_curRow;
    m_curRow = std::clamp(m_curRow, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    stretch();
    setTopRow(m_topRow);
    viewport()->update();
    if (m_curRow != oldRow)
        emit currentCellChanged(m_curCol, m_curRow);
}
