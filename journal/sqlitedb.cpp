#include "journal/sqlitedb.h"

#include <QFile>

#include <sqlite3.h>

SqliteDb::~SqliteDb()
{
    close();
}

bool SqliteDb::open(const QString &fileName)
{
    close();
    const QByteArray name = QFile::encodeName(fileName);
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        return true;
    }
    return false; // the handle stays, for the error, until close()
}

void SqliteDb::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SqliteDb::exec(const char *sql)
{
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int SqliteDb::errorCode() const
{
    return m_db ? sqlite3_extended_errcode(m_db) : SQLITE_CANTOPEN;
}

int SqliteDb::systemError() const
{
    return m_db ? sqlite3_system_errno(m_db) : 0;
}

QString SqliteDb::errorMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("unable to open database file");
}

SqliteStatement::SqliteStatement(const SqliteDb &db, const char *sql)
{
    if (db.handle())
        sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bind(int index, const QByteArray &bytes)
{
    if (bytes.isNull())
        sqlite3_bind_null(m_stmt, index);
    else
        sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC);
}

void SqliteStatement::bind(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (text.isNull())
        sqlite3_bind_null(m_stmt, index);
    else
        sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
}

int SqliteStatement::step()
{
    return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool SqliteStatement::isNull(int col) const
{
    return sqlite3_column_type(m_stmt, col) == SQLITE_NULL;
}

qint64 SqliteStatement::integer(int col) const
{
    return sqlite3_column_int64(m_stmt, col);
}

QByteArray SqliteStatement::blob(int col) const
{
    if (isNull(col))
        return {};
    const void *data = sqlite3_column_blob(m_stmt, col);
    const int size = sqlite3_column_bytes(m_stmt, col);
    // An empty blob has no data pointer; it is still an empty, not a null, array.
    return data ? QByteArray(static_cast<const char *>(data), size) : QByteArray("");
}

QString SqliteStatement::text(int col) const
{
    if (isNull(col))
        return {};
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, col));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, col));
}
