#include "journal/journal.h"

#include "core/requestlistmodel.h"
#include "journal/journalwriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <limits>

namespace {

// Order keys leave room between rows for rows put before others later.
constexpr qint64 kStep = qint64(1) << 32;
// A row's address, request and body come one after another: the row is queued once they have
// come, at the latest this long after it last changed.
constexpr int kOpenRowMs = 100;

// Unique among running programs, and among the journals of one.
QString newJournalName()
{
    static std::atomic<int> made{0};
    return QStringLiteral("trailscribe-%1-%2-%3.db")
        .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
        .arg(QCoreApplication::applicationPid())
        .arg(++made);
}

} // namespace

Journal::Journal(RequestListModel *model, QObject *parent) : Journal(model, Options(), parent) {}

Journal::Journal(RequestListModel *model, const Options &options, QObject *parent) : QObject(parent), m_model(model)
{
    const QString folder = options.folder.isEmpty() ? defaultFolder() : options.folder;
    const QString name = options.fileName.isEmpty() ? newJournalName() : options.fileName;
    m_writer = std::make_unique<JournalWriter>(folder, QDir(folder).filePath(name), options.commitIntervalMs);
    connect(m_writer.get(), &JournalWriter::failed, this, &Journal::writerFailed, Qt::QueuedConnection);
    if (model) {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) { rowsInserted(first, last); });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) { rowsRemoved(first, last); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                    rowsChanged(topLeft.row(), bottomRight.row());
                });
        connect(model, &QAbstractItemModel::headerDataChanged, this, &Journal::headingsChanged);
        // The list cleared (blankRows), or its rows in another order: written again whole.
        connect(model, &QAbstractItemModel::modelReset, this, [this] { reset(true); });
        connect(model, &QAbstractItemModel::layoutChanged, this, [this] { reset(true); });
        connect(model, &QAbstractItemModel::rowsMoved, this, [this] { reset(true); });
        m_openRowTimer.setSingleShot(true);
        m_openRowTimer.setInterval(kOpenRowMs);
        connect(&m_openRowTimer, &QTimer::timeout, this, &Journal::takeOpenRow);
        headingsChanged();
        reset(false);
    }
    m_writer->start();
}

Journal::~Journal()
{
    finish();
}

QString Journal::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("journals"));
}

QString Journal::fileName() const
{
    return m_writer->fileName();
}

bool Journal::isRecording() const
{
    return !m_finished && !m_writer->hasFailed();
}

QString Journal::errorText() const
{
    return m_writer->failure();
}

void Journal::flush()
{
    takeOpenRow();
    m_writer->flush();
}

void Journal::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_openRowTimer.stop();
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_writer->finish();
    m_entries = {};
}

bool Journal::following() const
{
    return !m_finished && m_model && !m_writer->hasFailed();
}

JournalRow Journal::snapshot(int row) const
{
    JournalRow r;
    r.url = m_model->url(row);
    r.request = m_model->request(row);
    r.postFollowsBody = m_model->postTextFollowsBody(row);
    // A text that follows the body is made from it when read back.
    if (!r.postFollowsBody)
        r.postText = m_model->postText(row);
    return r;
}

void Journal::rowsInserted(int first, int last)
{
    if (!following())
        return;
    const int count = last - first + 1;
    const size_t at = size_t(first);
    const bool atEnd = at == m_entries.size();
    // Keys for the new rows, spread over the room between their neighbours.
    const qint64 low = at > 0 ? m_entries[at - 1].pos : atEnd ? 0 : m_entries[at].pos - kStep * (count + 1);
    const qint64 high = atEnd ? std::numeric_limits<qint64>::max() : m_entries[at].pos;
    const qint64 step = atEnd ? kStep : (high - low) / (count + 1);
    const bool roomy = step > 0 && (!atEnd || low < high - kStep * (count + 1));
    m_entries.insert(m_entries.begin() + first, size_t(count), Entry{});
    for (int i = 0; i < count; ++i)
        m_entries[at + size_t(i)] = {m_model->rowId(first + i), low + step * (i + 1)};
    if (!roomy)
        renumber(first, last);
    if (m_openRow >= first)
        m_openRow += count;
    takeOpenRow();
    for (int r = first; r < last; ++r)
        m_writer->put(m_entries[size_t(r)].id, m_entries[size_t(r)].pos, snapshot(r));
    openRow(last);
}

void Journal::openRow(int row)
{
    m_openRow = row;
    m_openId = m_entries[size_t(row)].id;
    if (!m_openRowTimer.isActive())
        m_openRowTimer.start();
}

void Journal::takeOpenRow()
{
    if (m_openRow < 0)
        return;
    int row = m_openRow;
    m_openRow = -1;
    if (!following())
        return;
    if (size_t(row) >= m_entries.size() || m_entries[size_t(row)].id != m_openId) {
        const auto it = std::find_if(m_entries.begin(), m_entries.end(), [this](const Entry &e) { return e.id == m_openId; });
        if (it == m_entries.end())
            return;
        row = int(it - m_entries.begin());
    }
    m_writer->put(m_openId, m_entries[size_t(row)].pos, snapshot(row));
}

void Journal::renumber(int skipFirst, int skipLast)
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        m_entries[i].pos = kStep * qint64(i + 1);
        if (int(i) < skipFirst || int(i) > skipLast)
            m_writer->place(m_entries[i].id, m_entries[i].pos);
    }
}

void Journal::rowsRemoved(int first, int last)
{
    if (!following())
        return;
    if (m_openRow > last)
        m_openRow -= last - first + 1;
    else if (m_openRow >= first)
        m_openRow = -1; // gone with the others
    for (int r = first; r <= last; ++r)
        m_writer->remove(m_entries[size_t(r)].id);
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last + 1);
}

void Journal::rowsChanged(int first, int last)
{
    if (!following())
        return;
    if (first == last && first == m_openRow && m_entries[size_t(first)].id == m_openId)
        return; // taken when it is done with
    takeOpenRow();
    if (first == last) {
        openRow(first);
        return;
    }
    for (int r = first; r <= last; ++r)
        m_writer->put(m_entries[size_t(r)].id, m_entries[size_t(r)].pos, snapshot(r));
}

void Journal::reset(bool clear)
{
    if (!following())
        return;
    m_openRow = -1;
    if (clear)
        m_writer->clear();
    m_entries.clear();
    const int rows = m_model->rows();
    m_entries.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        m_entries.push_back({m_model->rowId(r), kStep * qint64(r + 1)});
        m_writer->put(m_entries.back().id, m_entries.back().pos, snapshot(r));
    }
}

void Journal::headingsChanged()
{
    if (following())
        m_writer->setHeadings({m_model->heading(0), m_model->heading(1)});
}

void Journal::writerFailed(const QString &reason)
{
    if (!m_error.isEmpty() || m_finished)
        return;
    m_error = reason;
    m_entries = {};
    emit stopped(reason);
}
