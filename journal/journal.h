#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class JournalWriter;
class RequestListModel;
struct JournalRow;

// Keeps a journal of a list as it changes, in an SQLite file of its own, so that the list can be
// rebuilt after the program was killed: a row that has been in the list for a second is in the
// file. The list's side only queues what changed; a thread of the journal's own writes it.
//
// Each running program has its own journal, locked while it runs. The folder is the user's alone
// (0700), the files too (0600); clearing the list overwrites the cleared rows in the file. A
// normal end (finish(), or the destructor) removes the files.
//
// When the journal cannot go on (its folder cannot be made or written, the disk is full, its
// file is locked by another program) it stops for good: it says why once, with stopped(), and
// the list goes on without it.
class Journal : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString folder;   // empty: defaultFolder()
        QString fileName; // the journal's name in the folder; empty: one made from the time and process
        int commitIntervalMs = 250;
    };

    explicit Journal(RequestListModel *model, QObject *parent = nullptr);
    Journal(RequestListModel *model, const Options &options, QObject *parent = nullptr);
    ~Journal() override;

    // The "journals" folder in the user's data folder for the program.
    static QString defaultFolder();

    QString fileName() const;
    bool isRecording() const;
    // Why the journal stopped; empty while it records.
    QString errorText() const;

    // Waits until everything that changed before is in the file (or the journal has stopped).
    void flush();
    // Stops following the list and removes the journal's files.
    void finish();

signals:
    void stopped(const QString &reason);

private:
    struct Entry
    {
        quint64 id;
        qint64 pos;
    };

    bool following() const;
    JournalRow snapshot(int row) const;
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowsChanged(int first, int last);
    void reset(bool clear);
    void headingsChanged();
    void renumber(int skipFirst, int skipLast);
    void openRow(int row);
    void takeOpenRow();
    void writerFailed(const QString &reason);

    QPointer<RequestListModel> m_model;
    std::unique_ptr<JournalWriter> m_writer;
    // The rows' ids and order keys, in the list's order.
    std::vector<Entry> m_entries;
    // The row being written, queued when done with: when another row changes or is added, or
    // the timer runs out.
    int m_openRow = -1;
    quint64 m_openId = 0;
    QTimer m_openRowTimer;
    QString m_error;
    bool m_finished = false;
};
