#include "journal/journalfile.h"

#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "core/utctime.h"
#include "journal/journalschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

QString cannotRead(const QString &fileName, const QString &why)
{
    return QStringLiteral("The journal %1 cannot be read: %2.").arg(QDir::toNativeSeparators(fileName), why);
}

// Opens a journal and checks that it is one this version reads; an empty string when it is.
QString openJournal(SqliteDb &db, const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return cannotRead(fileName, QStringLiteral("there is no such file"));
    // Read and write: a journal left by a killed program has its last commits in the log, which
    // SQLite recovers on opening.
    if (!db.open(fileName))
        return cannotRead(fileName, db.errorMessage());
    sqlite3_busy_timeout(db.handle(), 1000);
    // Nothing here writes: a file cut short (shorter than its header says) is read as far as it
    // goes rather than refused, and bad cells are caught as the pages are read.
    db.exec("PRAGMA writable_schema=ON; PRAGMA cell_size_check=ON;");
    SqliteStatement format(db, "SELECT value FROM meta WHERE name = 'format'");
    if (!format.isValid() || format.step() != SQLITE_ROW) {
        const bool notOurs = format.isValid() || (db.errorCode() & 0xff) == SQLITE_ERROR;
        return cannotRead(fileName, notOurs ? QStringLiteral("it is not a Trailscribe journal") : db.errorMessage());
    }
    if (format.integer(0) != journalschema::kFormat)
        return cannotRead(fileName, QStringLiteral("it was written by another version of Trailscribe"));
    return {};
}

// The lock of a journal whose program has gone; not locked when its program still runs.
std::unique_ptr<QLockFile> lockLeftJournal(const QString &fileName)
{
    auto lock = std::make_unique<QLockFile>(journalschema::lockName(fileName));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

JournalInfo summarize(const QString &fileName)
{
    JournalInfo info;
    info.fileName = fileName;
    SqliteDb db;
    info.error = openJournal(db, fileName);
    if (info.error.isEmpty()) {
        SqliteStatement started(db, "SELECT value FROM meta WHERE name = 'started'");
        if (started.step() == SQLITE_ROW)
            info.started = utcFromMSecsSinceEpoch(started.integer(0));
        SqliteStatement count(db, "SELECT count(*), max(recorded) FROM rows WHERE length(url) > 0");
        if (count.step() == SQLITE_ROW) {
            info.addresses = count.integer(0);
            if (!count.isNull(1))
                info.lastAddress = utcFromMSecsSinceEpoch(count.integer(1));
        } else {
            info.error = cannotRead(fileName, db.errorMessage());
        }
    }
    if (!info.started.isValid())
        info.started = QFileInfo(fileName).lastModified().toUTC();
    return info;
}

} // namespace

QList<JournalInfo> unfinishedJournals(const QString &folder)
{
    QList<JournalInfo> journals;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const auto lock = lockLeftJournal(file.filePath());
        if (lock)
            journals << summarize(file.filePath());
    }
    std::stable_sort(journals.begin(), journals.end(),
                     [](const JournalInfo &a, const JournalInfo &b) { return a.started < b.started; });
    return journals;
}

JournalContents readJournal(const QString &fileName, const JournalProgress &progress)
{
    JournalContents contents;
    SqliteDb db;
    contents.error = openJournal(db, fileName);
    if (!contents.error.isEmpty())
        return contents;

    SqliteStatement headings(db, "SELECT name, value FROM meta WHERE name IN ('heading0', 'heading1')");
    while (headings.step() == SQLITE_ROW)
        contents.headings[headings.text(0) == QLatin1String("heading1") ? 1 : 0] = headings.blob(1);
    qint64 total = -1;
    {
        SqliteStatement count(db, "SELECT count(*) FROM rows");
        if (count.step() == SQLITE_ROW)
            total = count.integer(0);
    }

    // The table is walked in the order of the rows' ids; a bad page stops the walk, and the rows
    // past it are then read walking back from the end.
    std::vector<std::pair<qint64, JournalRow>> rows;
    rows.reserve(size_t(std::max<qint64>(total, 0)));
    qint64 lastId = -1;
    const auto walk = [&](const char *order) {
        const QByteArray sql = QByteArray("SELECT ") + journalschema::kRowColumns + " FROM rows WHERE id > ?1 ORDER BY id "
            + order;
        SqliteStatement select(db, sql.constData());
        if (!select.isValid())
            return db.errorCode() & 0xff;
        select.bind(1, lastId);
        int rc;
        while ((rc = select.step()) == SQLITE_ROW) {
            rows.emplace_back(select.integer(1), journalschema::readRow(select));
            if (*order == 'A')
                lastId = select.integer(0);
            if (rows.size() % 1024 == 0 && progress
                && !progress(qint64(rows.size()), std::max(total, qint64(rows.size()))))
                return SQLITE_INTERRUPT;
        }
        return rc;
    };
    int rc = walk("ASC");
    const bool damaged = rc != SQLITE_DONE && rc != SQLITE_INTERRUPT;
    const QString fault = damaged ? db.errorMessage() : QString();
    if (damaged)
        rc = walk("DESC");
    if (rc == SQLITE_INTERRUPT) {
        contents.canceled = true;
        contents.error = QStringLiteral("The journal was not read: the reading was canceled.");
        return contents;
    }
    if (damaged && rows.empty()) {
        contents.error = cannotRead(fileName, fault);
        return contents;
    }

    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    contents.rows.reserve(qsizetype(rows.size()));
    for (auto &row : rows)
        contents.rows.append(std::move(row.second));
    if (damaged) {
        contents.damage = total > contents.rows.size()
            ? QStringLiteral("The journal was damaged: %1 of its %2 rows could not be read.")
                  .arg(total - contents.rows.size())
                  .arg(total)
            : QStringLiteral("The journal was damaged: some of its rows could not be read.");
    }
    if (progress)
        progress(contents.rows.size(), contents.rows.size());
    return contents;
}

bool discardJournal(const QString &fileName)
{
    const auto lock = lockLeftJournal(fileName);
    if (!lock)
        return false;
    bool removed = true;
    for (const QString &name : QStringList{fileName} + journalschema::companionNames(fileName))
        removed = (!QFile::exists(name) || QFile::remove(name)) && removed;
    return removed;
}

QString restoreQuestion(const JournalInfo &info)
{
    QString count = info.addresses == 1 ? QStringLiteral("1 address")
                                        : QStringLiteral("%1 addresses").arg(info.addresses);
    if (info.lastAddress.isValid())
        count += QStringLiteral(", the last at %1")
                     .arg(info.lastAddress.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    return QStringLiteral("Trailscribe did not close normally. Restore the list it was recording? (%1)").arg(count);
}

void restoreInto(RequestListModel &model, const JournalContents &contents)
{
    for (int col = 0; col < RequestListModel::kColumns; ++col) {
        if (!contents.headings[size_t(col)].isNull())
            model.setHeading(col, contents.headings[size_t(col)]);
    }
    const int first = model.rows();
    model.resizeRows(first + int(contents.rows.size()));
    for (int i = 0; i < contents.rows.size(); ++i) {
        const JournalRow &row = contents.rows[i];
        const int r = first + i;
        model.setCellText(UrlColumn, r, row.url);
        if (row.postFollowsBody) {
            model.setBody(r, row.request);
        } else {
            model.setRequest(r, row.request);
            model.setCellText(PostDataColumn, r, row.postText);
        }
    }
}
