// The list's data operations, zoom and fonts, and its answers to the model's signals. Geometry,
// painting, input and panning are in listgridgeometry.cpp, listgridpaint.cpp, listgridinput.cpp
// and listgridpanning.cpp.
#include "urllist/listgrid.h"

#include "common/ansitext.h"
#include "urllist/listcolumn.h"
#include "urllist/listgridaccessible.h"
#include "urllist/listgriddelegate.h"
#include "urllist/listgridlook.h"
#include "urllist/listgridmodel.h"

#include <QFontMetrics>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

using namespace ListGridLook;

namespace {
constexpr int kColumns = PostDataColumn + 1;
} // namespace

TListGrid::TListGrid(QWidget *parent)
    : QAbstractScrollArea(parent),
      m_model(new TListGridModel(kColumns, this)),
      m_delegate(new TListGridDelegate(this)),
      m_colWidths{39, 750}, // UrlColumn, PostDataColumn
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

    m_model->resizeRows(2, kDefaultRowHeight);
    m_model->setText(UrlColumn, 0, "URL");
    m_model->setText(PostDataColumn, 0, "POST-DATA");
    applyFonts();
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TListGrid::cellsChanged);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TListGrid::rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &TListGrid::rowsChanged);

    verticalScrollBar()->setSingleStep(1);
    m_panTimer.setInterval(10);
    connect(&m_panTimer, &QTimer::timeout, this, &TListGrid::panTick);

    stretch();
}

TListGrid::~TListGrid() = default;

QByteArray TListGrid::CellText(int col, int row) const
{
    return m_model->text(col, row);
}

void TListGrid::SetCellText(int col, int row, const QByteArray &text)
{
    m_model->setText(col, row, text); // the model's dataChanged repaints the cell
}

int TListGrid::RowCount() const
{
    return m_model->rows();
}

int TListGrid::ColCount() const
{
    return m_model->columns();
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
    m_model->resizeRows(n, kDefaultRowHeight); // rowsInserted or rowsRemoved follows
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
    m_model->deleteRows(first, n); // rowsRemoved follows
    setUpdatesEnabled(wasEnabled);
    viewport()->update();
}

void TListGrid::ClearDataCells()
{
    for (int row = FixedRows(); row < RowCount() - FixedFooters(); ++row)
        for (int col = FixedCols(); col < ColCount() - FixedRightCols(); ++col)
            if (!m_model->text(col, row).isEmpty())
                SetCellText(col, row, QByteArray());
    for (int row = FixedRows(); row < RowCount(); ++row) {
        m_model->setRequest(row, RequestRecord());
        m_model->renewRowId(row);
    }
}

void TListGrid::SetRowRequest(int row, const RequestRecord &request)
{
    m_model->setRequest(row, request);
}

RequestRecord TListGrid::RowRequest(int row) const
{
    return m_model->request(row);
}

void TListGrid::SetRowDoubt(int row, const QString &doubt)
{
    m_model->setDoubt(row, doubt);
}

QString TListGrid::RowDoubt(int row) const
{
    return m_model->doubt(row);
}

void TListGrid::FitColumnWidth(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    const int need = m_model->widestWidth(col) + 2 * kTextInset;
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
    return m_model->rowHeight(row);
}

quint64 TListGrid::RowId(int row) const
{
    return m_model->rowId(row);
}

int TListGrid::RowOfId(quint64 id) const
{
    return m_model->rowOfId(id);
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
    m_model->addToRowHeights(delta);
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
    m_model->setMeasure([fm = QFontMetrics(font), fixedFm = QFontMetrics(fixedFont)](
                            const QByteArray &text, int row) {
        return (row < kFixedRows ? fixedFm : fm).horizontalAdvance(fromAnsi(text));
    });
}

// ---- the model's signals -------------------------------------------------------------------

void TListGrid::cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        for (int col = topLeft.column(); col <= bottomRight.column(); ++col)
            updateCell(col, row);
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
