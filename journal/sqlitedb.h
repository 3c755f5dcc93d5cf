#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection, closed with the object. Used by one thread at a time.
class SqliteDb
{
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // Opens an existing file for reading and writing; false when it cannot be.
    bool open(const QString &fileName);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *handle() const { return m_db; }

    // Runs statements that give no rows.
    bool exec(const char *sql);

    // The last failure: SQLite's extended code, the system's errno behind it, and its message.
    int errorCode() const;
    int systemError() const;
    QString errorMessage() const;

private:
    sqlite3 *m_db = nullptr;
};

// A prepared statement. Bound bytes are not copied: they must outlive the step that reads them.
class SqliteStatement
{
public:
    SqliteStatement(const SqliteDb &db, const char *sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    void bind(int index, qint64 value);
    void bind(int index, const QByteArray &bytes); // a blob; a null array binds NULL
    void bind(int index, const QString &text);
    void bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Ready to be bound and stepped again.
    void reset();

    bool isNull(int col) const;
    qint64 integer(int col) const;
    QByteArray blob(int col) const;
    QString text(int col) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
};
