#include "journal/journal.h"

#include "core/requestlistmodel.h"
#include "journal/journalwriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include <atomic>
#include <limits>

namespace {

// Order keys leave room between rows for rows put before others later.
constexpr qint64 kStep = qint64(1) << 32;

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
    m_writer->flush();
}

void Journal::finish()
{
    if (m_finished)
        return;
    m_finished = true;
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
    auto added = std::vector<Entry>(size_t(count));
    for (int i = 0; i < count; ++i)
        added[size_t(i)] = {m_model->rowId(first + i), low + step * (i + 1)};
    m_entries.insert(m_entries.begin() + first, added.begin(), added.end());
    if (!roomy)
        renumber(first, last);
    for (int r = first; r <= last; ++r)
        m_writer->put(m_entries[size_t(r)].id, m_entries[size_t(r)].pos, snapshot(r));
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
    for (int r = first; r <= last; ++r)
        m_writer->remove(m_entries[size_t(r)].id);
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last + 1);
}

void Journal::rowsChanged(int first, int last)
{
    if (!following())
        return;
    for (int r = first; r <= last; ++r)
        m_writer->put(m_entries[size_t(r)].id, m_entries[size_t(r)].pos, snapshot(r));
}

void Journal::reset(bool clear)
{
    if (!following())
        return;
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
