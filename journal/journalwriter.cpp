#include "journal/journalwriter.h"

#include "journal/journalschema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSet>

#include <sqlite3.h>

#include <cerrno>
#include <memory>

namespace {

constexpr QFileDevice::Permissions kPrivateFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString stopped(const QString &why)
{
    return QStringLiteral("The journal stopped: %1.").arg(why);
}

QString diskFull()
{
    return stopped(QStringLiteral("the disk is full"));
}

QString lockedByAnother()
{
    return stopped(QStringLiteral("its file is locked by another program"));
}

QString folderNotWritable(const QString &folder)
{
    return stopped(QStringLiteral("its folder %1 cannot be written").arg(QDir::toNativeSeparators(folder)));
}

QString fileNotWritable(const QString &fileName)
{
    return stopped(QStringLiteral("its file %1 cannot be written").arg(QDir::toNativeSeparators(fileName)));
}

// Why SQLite failed, in the words the program shows.
QString reasonOf(const SqliteDb &db, const QString &fileName)
{
    const int code = db.errorCode() & 0xff;
    const int sys = db.systemError();
    if (code == SQLITE_FULL || sys == ENOSPC || sys == EDQUOT)
        return diskFull();
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return lockedByAnother();
    if (code == SQLITE_READONLY || code == SQLITE_PERM || code == SQLITE_CANTOPEN || sys == EACCES || sys == EROFS
        || sys == EPERM)
        return fileNotWritable(fileName);
    return stopped(db.errorMessage());
}

// The queue's chunks of changes, and how many emptied ones are kept for it (about 3 MB).
constexpr size_t kChunk = 256;
constexpr size_t kSpareChunks = 64;

} // namespace

// The database side, used by the writer's thread alone.
class JournalWriter::Store
{
public:
    // An empty string when the journal is ready, else why it is not.
    QString open(const QString &folder, const QString &fileName);
    QString write(const Batch &batch);
    // Closes the database, removes the journal's files and frees the lock.
    void removeFiles();

private:
    QString fault() const { return reasonOf(m_db, m_fileName); }

    QString m_fileName;
    std::unique_ptr<QLockFile> m_lock;
    bool m_created = false;
    SqliteDb m_db;
    std::unique_ptr<SqliteStatement> m_put, m_remove, m_place, m_meta;
};

QString JournalWriter::Store::open(const QString &folder, const QString &fileName)
{
    m_fileName = fileName;
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return stopped(QStringLiteral("its folder %1 cannot be made").arg(QDir::toNativeSeparators(folder)));
    // The bodies hold passwords: the folder and every file in it are the user's alone.
    if ((QFileInfo(folder).permissions() & kOthers) && !QFile::setPermissions(folder, kPrivateFolder))
        return stopped(QStringLiteral("its folder %1 cannot be made private").arg(QDir::toNativeSeparators(folder)));

    m_lock = std::make_unique<QLockFile>(journalschema::lockName(fileName));
    m_lock->setStaleLockTime(0); // a running program's lock is never stale, however old
    if (!m_lock->tryLock(0)) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        return held ? lockedByAnother() : folderNotWritable(folder);
    }

    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kPrivateFile))
        return file.exists() ? lockedByAnother() : file.error() == QFileDevice::ResourceError ? diskFull()
                                                                                            : folderNotWritable(folder);
    file.close();
    m_created = true;

    // SQLite makes its -wal and -shm files with the permissions of the database's.
    if (!m_db.open(fileName))
        return fault();
    sqlite3_busy_timeout(m_db.handle(), 1000);
    sqlite3_db_config(m_db.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    {
        SqliteStatement mode(m_db, "PRAGMA journal_mode=WAL");
        if (mode.step() != SQLITE_ROW || mode.text(0) != QLatin1String("wal"))
            return fault();
    }
    // NORMAL: a commit is in the file once written, which a killed program does not undo.
    if (!m_db.exec("PRAGMA synchronous=NORMAL; PRAGMA secure_delete=ON; PRAGMA journal_size_limit=16777216;")
        || !m_db.exec("BEGIN") || !m_db.exec(journalschema::kCreate))
        return fault();
    m_put = std::make_unique<SqliteStatement>(
        m_db, "INSERT OR REPLACE INTO rows(id, pos, follows, win, frame, source, remade, recorded, method, type,"
              " url, doubt, post, body) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
    m_remove = std::make_unique<SqliteStatement>(m_db, "DELETE FROM rows WHERE id = ?1");
    m_place = std::make_unique<SqliteStatement>(m_db, "UPDATE rows SET pos = ?2 WHERE id = ?1");
    m_meta = std::make_unique<SqliteStatement>(m_db, "INSERT OR REPLACE INTO meta(name, value) VALUES(?1, ?2)");
    if (!m_put->isValid() || !m_remove->isValid() || !m_place->isValid() || !m_meta->isValid())
        return fault();
    const auto meta = [this](const char *name, qint64 value) {
        m_meta->bind(1, QString::fromLatin1(name));
        m_meta->bind(2, value);
        const bool ok = m_meta->step() == SQLITE_DONE;
        m_meta->reset();
        return ok;
    };
    if (!meta("format", journalschema::kFormat) || !meta("started", QDateTime::currentMSecsSinceEpoch())
        || !meta("pid", QCoreApplication::applicationPid()) || !m_db.exec("COMMIT"))
        return fault();
    return {};
}

QString JournalWriter::Store::write(const Batch &batch)
{
    std::vector<const Op *> ops;
    for (const std::vector<Op> &chunk : batch.chunks)
        for (const Op &op : chunk)
            ops.push_back(&op);
    // A clear makes everything before it moot; of a row's puts only the last counts, and none
    // of a row removed in the same batch.
    size_t first = 0;
    for (size_t i = ops.size(); i-- > 0;) {
        if (ops[i]->kind == Op::Clear) {
            first = i;
            break;
        }
    }
    QHash<quint64, size_t> lastPut;
    QSet<quint64> removed;
    for (size_t i = first; i < ops.size(); ++i) {
        if (ops[i]->kind == Op::Put)
            lastPut.insert(ops[i]->id, i);
        else if (ops[i]->kind == Op::Remove)
            removed.insert(ops[i]->id);
    }

    if (!m_db.exec("BEGIN IMMEDIATE"))
        return fault();
    bool cleared = false;
    const auto run = [](SqliteStatement &s) {
        const bool ok = s.step() == SQLITE_DONE;
        s.reset();
        return ok;
    };
    for (size_t i = first; i < ops.size(); ++i) {
        const Op &op = *ops[i];
        bool ok = true;
        switch (op.kind) {
        case Op::Clear:
            ok = m_db.exec("DELETE FROM rows");
            cleared = true;
            break;
        case Op::Put:
            if (lastPut.value(op.id) != i || removed.contains(op.id))
                continue;
            journalschema::bindRow(*m_put, op.id, op.pos, op.row);
            ok = run(*m_put);
            break;
        case Op::Remove:
            m_remove->bind(1, qint64(op.id));
            ok = run(*m_remove);
            break;
        case Op::Place:
            m_place->bind(1, qint64(op.id));
            m_place->bind(2, op.pos);
            ok = run(*m_place);
            break;
        }
        if (!ok) {
            const QString reason = fault();
            m_db.exec("ROLLBACK");
            return reason;
        }
    }
    if (batch.headings) {
        for (int col = 0; col < 2; ++col) {
            m_meta->bind(1, QStringLiteral("heading%1").arg(col));
            m_meta->bind(2, (*batch.headings)[size_t(col)]);
            if (!run(*m_meta)) {
                const QString reason = fault();
                m_db.exec("ROLLBACK");
                return reason;
            }
        }
    }
    if (!m_db.exec("COMMIT")) {
        const QString reason = fault();
        m_db.exec("ROLLBACK");
        return reason;
    }
    // Secure delete zeroed the cleared rows in the pages; the log still holds the old frames
    // until its pages are copied back and it is cut to nothing.
    if (cleared && !m_db.exec("PRAGMA wal_checkpoint(TRUNCATE)"))
        return fault();
    return {};
}

void JournalWriter::Store::removeFiles()
{
    m_put.reset();
    m_remove.reset();
    m_place.reset();
    m_meta.reset();
    m_db.close();
    if (m_created) {
        QFile::remove(m_fileName);
        for (const QString &name : journalschema::companionNames(m_fileName))
            QFile::remove(name);
    }
    m_lock.reset(); // unlocks, which removes the lock file
}

JournalWriter::JournalWriter(const QString &folder, const QString &fileName, int intervalMs)
    : m_folder(folder), m_fileName(fileName), m_intervalMs(intervalMs)
{
}

JournalWriter::~JournalWriter()
{
    finish();
}

void JournalWriter::enqueue(Op &&op)
{
    if (m_failed.load(std::memory_order_relaxed))
        return;
    QMutexLocker lock(&m_mutex);
    if (m_stop || m_done)
        return;
    std::vector<std::vector<Op>> &chunks = m_queued.chunks;
    // A row is put several times as its address, request and body come: only the last is kept.
    if (op.kind == Op::Put && !chunks.empty() && chunks.back().back().kind == Op::Put
        && chunks.back().back().id == op.id) {
        chunks.back().back() = std::move(op);
        return;
    }
    if (op.kind == Op::Clear)
        chunks.clear();
    if (chunks.empty() || chunks.back().size() == kChunk) {
        if (!m_spare.empty()) {
            chunks.push_back(std::move(m_spare.back()));
            m_spare.pop_back();
        } else {
            chunks.emplace_back();
            chunks.back().reserve(kChunk);
        }
    }
    chunks.back().push_back(std::move(op));
}

void JournalWriter::put(quint64 id, qint64 pos, JournalRow row)
{
    enqueue(Op{Op::Put, id, pos, std::move(row)});
}

void JournalWriter::remove(quint64 id)
{
    enqueue(Op{Op::Remove, id, 0, {}});
}

void JournalWriter::place(quint64 id, qint64 pos)
{
    enqueue(Op{Op::Place, id, pos, {}});
}

void JournalWriter::clear()
{
    enqueue(Op{Op::Clear, 0, 0, {}});
}

void JournalWriter::setHeadings(const std::array<QByteArray, 2> &headings)
{
    if (m_failed.load(std::memory_order_relaxed))
        return;
    QMutexLocker lock(&m_mutex);
    m_queued.headings = headings;
}

void JournalWriter::flush()
{
    QMutexLocker lock(&m_mutex);
    if (m_done || m_stop)
        return;
    const quint64 wanted = ++m_flushWanted;
    m_wake.wakeAll();
    while (m_flushDone < wanted && !m_done)
        m_flushed.wait(&m_mutex);
}

void JournalWriter::finish()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stop = true;
        m_wake.wakeAll();
    }
    wait();
}

QString JournalWriter::failure() const
{
    QMutexLocker lock(&m_mutex);
    return m_failure;
}

void JournalWriter::fail(const QString &reason)
{
    {
        QMutexLocker lock(&m_mutex);
        m_failure = reason;
    }
    m_failed.store(true);
    emit failed(reason);
}

void JournalWriter::run()
{
    Store store;
    QString reason = store.open(m_folder, m_fileName);
    while (reason.isEmpty()) {
        Batch batch;
        quint64 flushTarget = 0;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_stop && m_flushWanted == m_flushDone)
                m_wake.wait(&m_mutex, QDeadlineTimer(m_intervalMs));
            if (m_stop)
                break; // a normal end: what is still queued goes with the files
            std::swap(batch, m_queued);
            flushTarget = m_flushWanted;
        }
        if (!batch.chunks.empty() || batch.headings)
            reason = store.write(batch);
        for (std::vector<Op> &chunk : batch.chunks)
            chunk.clear(); // the rows' bytes are let go of here, not under the lock
        QMutexLocker lock(&m_mutex);
        while (!batch.chunks.empty() && m_spare.size() < kSpareChunks) {
            m_spare.push_back(std::move(batch.chunks.back()));
            batch.chunks.pop_back();
        }
        m_flushDone = flushTarget;
        m_flushed.wakeAll();
    }
    store.removeFiles();
    if (!reason.isEmpty())
        fail(reason);
    QMutexLocker lock(&m_mutex);
    m_done = true;
    m_queued = Batch();
    m_spare.clear();
    m_flushed.wakeAll();
}
