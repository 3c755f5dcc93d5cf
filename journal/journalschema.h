#pragma once

#include "journal/journalfile.h"
#include "journal/sqlitedb.h"

#include <QString>

// The tables of a journal file, and how a row is written to them and read from them.
namespace journalschema {

constexpr int kFormat = 1;

// The columns of a row, small ones first so that a summary reads no body.
inline constexpr char kRowColumns[] =
    "id, pos, follows, win, frame, source, remade, recorded, method, type, url, doubt, post, body";

inline constexpr char kCreate[] =
    "CREATE TABLE meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE rows(id INTEGER PRIMARY KEY, pos INTEGER NOT NULL, follows INTEGER NOT NULL,"
    " win INTEGER NOT NULL, frame INTEGER NOT NULL, source INTEGER NOT NULL, remade INTEGER NOT NULL,"
    " recorded INTEGER, method BLOB, type BLOB, url BLOB, doubt TEXT, post BLOB, body BLOB);";

// Binds a row to a statement whose parameters are the columns above, in that order.
void bindRow(SqliteStatement &statement, quint64 id, qint64 pos, const JournalRow &row);
// Reads a row from a statement that selects the columns above, in that order.
JournalRow readRow(const SqliteStatement &statement);

// The lock that tells a running program's journal from one left behind.
inline QString lockName(const QString &fileName)
{
    return fileName + QStringLiteral(".lock");
}

// The files SQLite keeps beside the journal in WAL mode.
inline QStringList companionNames(const QString &fileName)
{
    return {fileName + QStringLiteral("-wal"), fileName + QStringLiteral("-shm")};
}

} // namespace journalschema
