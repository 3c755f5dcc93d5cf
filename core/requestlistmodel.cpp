#include "core/requestlistmodel.h"

#include "core/ansitext.h"
#include "core/listcolumn.h"

#include <algorithm>

namespace {
const RequestRecord kNoRequest;
} // namespace

QByteArray postTextOf(const RequestRecord &request)
{
    if (request.window != RequestWindow::Main || !request.body.contains('\0'))
        return request.body;
    QByteArray text = request.body;
    text.removeIf([](char c) { return c == '\0'; });
    return text;
}

RequestListModel::RequestListModel(QObject *parent) : QAbstractTableModel(parent) {}

int RequestListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows();
}

int RequestListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

bool RequestListModel::contains(int col, int row) const
{
    return col >= 0 && col < kColumns && row >= 0 && row < rows();
}

QVariant RequestListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !contains(index.column(), index.row()))
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return fromAnsi(cellText(index.column(), row));
    case CellTextRole:
        return cellText(index.column(), row);
    case DoubtRole:
        return index.column() == PostDataColumn ? QVariant(doubt(row)) : QVariant();
    case Qt::ToolTipRole:
        return index.column() == PostDataColumn ? postDataTip(m_rows[size_t(row)].request)
                                                : requestSummary(m_rows[size_t(row)].request);
    default:
        return {};
    }
}

QVariant RequestListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return fromAnsi(m_headings[size_t(section)]);
    if (role == CellTextRole)
        return m_headings[size_t(section)];
    return {};
}

bool RequestListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns
        || (role != Qt::EditRole && role != Qt::DisplayRole && role != CellTextRole))
        return false;
    m_headings[size_t(section)] = value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                         : toAnsi(value.toString());
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

QByteArray RequestListModel::heading(int col) const
{
    return col >= 0 && col < kColumns ? m_headings[size_t(col)] : QByteArray();
}

void RequestListModel::setHeading(int col, const QByteArray &text)
{
    setHeaderData(col, Qt::Horizontal, text, CellTextRole);
}

bool RequestListModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || row > rows() || count <= 0)
        return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    // New rows get new identities; rows put before others leave the identities out of order.
    if (row < rows())
        m_idsInOrder = false;
    m_rows.insert(m_rows.begin() + row, size_t(count), Row());
    for (int r = row; r < row + count; ++r)
        m_rows[size_t(r)].id = m_nextId++;
    endInsertRows();
    return true;
}

bool RequestListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rows())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
    return true;
}

void RequestListModel::resizeRows(int count)
{
    count = std::max(0, count);
    if (count > rows())
        insertRows(rows(), count - rows());
    else if (count < rows())
        removeRows(count, rows() - count);
}

QByteArray RequestListModel::url(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].url : QByteArray();
}

QByteArray RequestListModel::postText(int row) const
{
    if (row < 0 || row >= rows())
        return {};
    const Row &r = m_rows[size_t(row)];
    return r.postFollowsBody ? postTextOf(r.request) : r.postText;
}

bool RequestListModel::postTextFollowsBody(int row) const
{
    return row >= 0 && row < rows() && m_rows[size_t(row)].postFollowsBody;
}

QByteArray RequestListModel::cellText(int col, int row) const
{
    return col == UrlColumn ? url(row) : col == PostDataColumn ? postText(row) : QByteArray();
}

bool RequestListModel::setCellText(int col, int row, const QByteArray &text)
{
    if (!contains(col, row))
        return false;
    Row &r = m_rows[size_t(row)];
    if (col == UrlColumn) {
        r.url = text;
    } else {
        r.postText = text;
        r.postFollowsBody = false;
    }
    emitCellChanged(row, col, {Qt::DisplayRole, CellTextRole});
    return true;
}

const RequestRecord &RequestListModel::request(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].request : kNoRequest;
}

void RequestListModel::setRequest(int row, const RequestRecord &request)
{
    if (row >= 0 && row < rows())
        assign(row, request, m_rows[size_t(row)].postFollowsBody);
}

void RequestListModel::setBody(int row, const RequestRecord &request)
{
    if (row < 0 || row >= rows())
        return;
    Row &r = m_rows[size_t(row)];
    const bool followed = r.postFollowsBody;
    const bool textChanged = !followed && r.postText != postTextOf(request);
    r.postText.clear();
    r.postFollowsBody = true;
    assign(row, request, followed);
    if (textChanged)
        emitCellChanged(row, PostDataColumn, {Qt::DisplayRole, CellTextRole});
}

void RequestListModel::assign(int row, const RequestRecord &request, bool textFollows)
{
    Row &r = m_rows[size_t(row)];
    const bool tipChanged = r.request.doubt != request.doubt || r.request.boundaryRemade != request.boundaryRemade;
    // What the address's tooltip tells, compared without making its text.
    const bool summaryChanged = r.request.method != request.method || r.request.recorded != request.recorded
        || r.request.window != request.window || r.request.frame != request.frame;
    const bool textChanged = textFollows && postTextOf(r.request) != postTextOf(request);
    r.request = request;
    shareCommon(r.request.method);
    shareCommon(r.request.contentType);
    if (tipChanged || textChanged) {
        QList<int> roles{DoubtRole, Qt::ToolTipRole};
        if (textChanged)
            roles << Qt::DisplayRole << CellTextRole;
        emitCellChanged(row, PostDataColumn, roles);
    }
    if (summaryChanged)
        emitCellChanged(row, UrlColumn, {Qt::ToolTipRole});
}

QString RequestListModel::doubt(int row) const
{
    return request(row).doubt;
}

void RequestListModel::setDoubt(int row, const QString &doubt)
{
    if (row < 0 || row >= rows() || m_rows[size_t(row)].request.doubt == doubt)
        return;
    m_rows[size_t(row)].request.doubt = doubt;
    emitCellChanged(row, PostDataColumn, {DoubtRole, Qt::ToolTipRole});
}

void RequestListModel::blankRows()
{
    beginResetModel();
    for (Row &r : m_rows)
        r = Row{m_nextId++, {}, {}, {}, false};
    m_idsInOrder = true;
    endResetModel();
}

quint64 RequestListModel::rowId(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].id : 0;
}

int RequestListModel::rowOfId(quint64 id) const
{
    if (id == 0)
        return -1;
    if (!m_idsInOrder) {
        auto it = std::find_if(m_rows.begin(), m_rows.end(), [id](const Row &r) { return r.id == id; });
        return it != m_rows.end() ? int(it - m_rows.begin()) : -1;
    }
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                               [](const Row &r, quint64 v) { return r.id < v; });
    return it != m_rows.end() && it->id == id ? int(it - m_rows.begin()) : -1;
}

void RequestListModel::shareCommon(QByteArray &bytes)
{
    // Methods and most Content-Types repeat from row to row: every row holds the same copy. A
    // multipart Content-Type names its own boundary, so only the first few are kept.
    constexpr qsizetype kMostShared = 64;
    if (bytes.isEmpty())
        return;
    const auto found = m_common.constFind(bytes);
    if (found != m_common.constEnd())
        bytes = *found;
    else if (m_common.size() < kMostShared)
        m_common.insert(bytes);
}

void RequestListModel::emitCellChanged(int row, int col, const QList<int> &roles)
{
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, roles);
}

CellSource listCells(const RequestListModel &model)
{
    CellSource cells;
    cells.rowCount = model.rows() + 1;
    cells.colCount = RequestListModel::kColumns;
    cells.cellText = [&model](int col, int row) {
        return row == 0 ? model.heading(col) : model.cellText(col, row - 1);
    };
    return cells;
}
