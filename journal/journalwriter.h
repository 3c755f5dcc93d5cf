#pragma once

#include "journal/journalfile.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <optional>
#include <vector>

// The thread that owns a journal's database. The list's side only queues changes, which cost a
// few reference counts; the thread commits what has been queued every interval, in one
// transaction. When the journal cannot go on it stops for good, removes its files, and says why.
class JournalWriter : public QThread
{
    Q_OBJECT
public:
    JournalWriter(const QString &folder, const QString &fileName, int intervalMs);
    ~JournalWriter() override; // finish()

    QString fileName() const { return m_fileName; }

    void put(quint64 id, qint64 pos, JournalRow row);
    void remove(quint64 id);
    void place(quint64 id, qint64 pos);
    void clear(); // everything queued before it goes nowhere
    void setHeadings(const std::array<QByteArray, 2> &headings);

    // Waits until what was queued before is committed, or the journal has stopped.
    void flush();
    // Stops the thread, drops what is queued, and removes the journal's files.
    void finish();

    bool hasFailed() const { return m_failed.load(std::memory_order_relaxed); }
    QString failure() const;

signals:
    void failed(const QString &reason);

protected:
    void run() override;

private:
    struct Op
    {
        enum Kind : quint8 { Put, Remove, Place, Clear } kind;
        quint64 id = 0;
        qint64 pos = 0;
        JournalRow row;
    };
    struct Batch
    {
        // In chunks allocated now and then, which grow without moving what they hold.
        std::vector<std::vector<Op>> chunks;
        std::optional<std::array<QByteArray, 2>> headings;
    };
    class Store;

    void enqueue(Op &&op);
    void fail(const QString &reason);

    const QString m_folder;
    const QString m_fileName;
    const int m_intervalMs;

    mutable QMutex m_mutex;
    QWaitCondition m_wake;    // the thread: something to do before the interval is up
    QWaitCondition m_flushed; // flush(): a batch is committed
    Batch m_queued;
    // Chunks written and emptied, kept for the queue so that it does not touch new memory.
    std::vector<std::vector<Op>> m_spare;
    quint64 m_flushWanted = 0;
    quint64 m_flushDone = 0;
    bool m_stop = false;
    bool m_done = false;
    QString m_failure;
    std::atomic<bool> m_failed{false};
};
