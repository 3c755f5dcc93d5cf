#include "urllist/listgridmodel.h"

#include "common/ansitext.h"
#include "urllist/linkcell.h"
#include "urllist/listcolumn.h"

#include <algorithm>

TListGridModel::TListGridModel(int columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::max(1, columns)), m_tallies(size_t(m_columns))
{
}

int TListGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows();
}

int TListGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant TListGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !contains(index.column(), index.row()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return fromAnsi(shownText(index.column(), index.row()));
    case RawTextRole:
        return text(index.column(), index.row());
    case ShownTextRole:
        return shownText(index.column(), index.row());
    case IsLinkRole:
        return isLink(index.column(), index.row());
    case DoubtRole:
        if (index.column() == PostDataColumn)
            return doubt(index.row());
        return {};
    case Qt::ToolTipRole:
        if (index.column() == PostDataColumn)
            return postDataTip(m_rows[size_t(index.row())].request);
        if (index.column() == UrlColumn)
            return requestSummary(m_rows[size_t(index.row())].request);
        return {};
    default:
        return {};
    }
}

bool TListGridModel::contains(int col, int row) const
{
    return col >= 0 && col < m_columns && row >= 0 && row < rows();
}

QString TListGridModel::doubt(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].request.doubt : QString();
}

void TListGridModel::setDoubt(int row, const QString &doubt)
{
    if (row < 0 || row >= rows() || m_rows[size_t(row)].request.doubt == doubt)
        return;
    m_rows[size_t(row)].request.doubt = doubt;
    const QModelIndex cell = index(row, PostDataColumn);
    emit dataChanged(cell, cell, {DoubtRole, Qt::ToolTipRole});
}

RequestRecord TListGridModel::request(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].request : RequestRecord();
}

void TListGridModel::setRequest(int row, const RequestRecord &request)
{
    if (row < 0 || row >= rows())
        return;
    RequestRecord &r = m_rows[size_t(row)].request;
    const bool doubtChanged = r.doubt != request.doubt;
    const bool summaryChanged = requestSummary(r) != requestSummary(request);
    r = request;
    if (doubtChanged) {
        const QModelIndex cell = index(row, PostDataColumn);
        emit dataChanged(cell, cell, {DoubtRole, Qt::ToolTipRole});
    }
    if (summaryChanged) {
        const QModelIndex cell = index(row, UrlColumn);
        emit dataChanged(cell, cell, {Qt::ToolTipRole});
    }
}

QByteArray TListGridModel::text(int col, int row) const
{
    return contains(col, row) ? m_rows[size_t(row)].cells[size_t(col)].text : QByteArray();
}

bool TListGridModel::isLink(int col, int row) const
{
    return contains(col, row) && m_rows[size_t(row)].cells[size_t(col)].link;
}

QByteArray TListGridModel::shownText(int col, int row) const
{
    if (!contains(col, row))
        return {};
    const Cell &c = m_rows[size_t(row)].cells[size_t(col)];
    return firstLinePrefix(c.text, c.shownFrom);
}

QByteArray TListGridModel::measuredText(int col, int row) const
{
    if (!contains(col, row))
        return {};
    const Cell &c = m_rows[size_t(row)].cells[size_t(col)];
    return firstLinePrefix(c.text, c.measuredFrom);
}

int TListGridModel::measure(const Cell &cell, int row) const
{
    if (!m_measure || cell.text.isEmpty())
        return 0;
    return m_measure(firstLinePrefix(cell.text, cell.measuredFrom), row);
}

void TListGridModel::count(int col, int width, int delta)
{
    Tally &t = m_tallies[size_t(col)];
    if (!t.valid)
        return;
    auto it = t.counts.try_emplace(width, 0).first;
    it->second += delta;
    if (it->second <= 0)
        t.counts.erase(it);
}

bool TListGridModel::setText(int col, int row, const QByteArray &text)
{
    if (!contains(col, row))
        return false;
    Cell &c = m_rows[size_t(row)].cells[size_t(col)];
    c.text = text;
    c.link = isLinkText(text);
    c.shownFrom = c.link ? linkCutOffset(text) : 0;
    c.measuredFrom = measureCutOffset(text);
    if (m_tallies[size_t(col)].valid) {
        count(col, c.width, -1);
        c.width = measure(c, row);
        count(col, c.width, +1);
    }
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i);
    return true;
}

void TListGridModel::resizeRows(int newCount, int newRowHeight)
{
    newCount = std::max(0, newCount);
    const int old = rows();
    if (newCount > old) {
        beginInsertRows(QModelIndex(), old, newCount - 1);
        m_rows.reserve(size_t(newCount));
        for (int r = old; r < newCount; ++r) {
            m_rows.push_back(Row{m_nextId++, newRowHeight, std::vector<Cell>(size_t(m_columns)), RequestRecord()});
            for (int col = 0; col < m_columns; ++col)
                count(col, 0, +1);
        }
        endInsertRows();
    } else if (newCount < old) {
        deleteRows(newCount, old - newCount);
    }
}

int TListGridModel::deleteRows(int first, int count)
{
    if (first < 0 || first >= rows() || count <= 0)
        return 0;
    const int n = std::min(count, rows() - first);
    beginRemoveRows(QModelIndex(), first, first + n - 1);
    for (int r = first; r < first + n; ++r)
        for (int col = 0; col < m_columns; ++col)
            this->count(col, m_rows[size_t(r)].cells[size_t(col)].width, -1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + n);
    endRemoveRows();
    return n;
}

int TListGridModel::rowHeight(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].height : 0;
}

void TListGridModel::addToRowHeights(int delta)
{
    for (Row &r : m_rows)
        if (r.height + delta > 0)
            r.height += delta;
}

void TListGridModel::renewRowId(int row)
{
    if (row >= 0 && row < rows())
        m_rows[size_t(row)].id = m_nextId++;
}

quint64 TListGridModel::rowId(int row) const
{
    return row >= 0 && row < rows() ? m_rows[size_t(row)].id : 0;
}

int TListGridModel::rowOfId(quint64 id) const
{
    // Rows are only ever added at the end, so ids rise with the row index.
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                               [](const Row &r, quint64 v) { return r.id < v; });
    return it != m_rows.end() && it->id == id ? int(it - m_rows.begin()) : -1;
}

void TListGridModel::setMeasure(Measure measure)
{
    m_measure = std::move(measure);
    invalidateWidths();
}

void TListGridModel::invalidateWidths()
{
    for (Tally &t : m_tallies) {
        t.valid = false;
        t.counts.clear();
    }
}

void TListGridModel::rebuildTally(int col)
{
    Tally &t = m_tallies[size_t(col)];
    t.counts.clear();
    for (int r = 0; r < rows(); ++r) {
        Cell &c = m_rows[size_t(r)].cells[size_t(col)];
        c.width = measure(c, r);
        ++t.counts[c.width];
    }
    t.valid = true;
}

int TListGridModel::widestWidth(int col)
{
    if (col < 0 || col >= m_columns)
        return 0;
    if (!m_tallies[size_t(col)].valid)
        rebuildTally(col);
    const auto &counts = m_tallies[size_t(col)].counts;
    return counts.empty() ? 0 : counts.rbegin()->first;
}
