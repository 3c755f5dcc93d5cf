#pragma once

#include "core/requestrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <functional>

class RequestListModel;

// One row of the list as a journal keeps it.
struct JournalRow
{
    QByteArray url;
    QByteArray postText; // the text written by hand; empty while the text follows the body
    RequestRecord request;
    bool postFollowsBody = false;

    friend bool operator==(const JournalRow &, const JournalRow &) = default;
};

// A journal left by a program that did not end normally.
struct JournalInfo
{
    QString fileName;
    QDateTime started;     // when that program began it (UTC)
    qint64 addresses = 0;  // rows with an address
    QDateTime lastAddress; // when the last of them was recorded (UTC); invalid when none says
    QString error;         // why the journal cannot be read; empty when it can
};

// What reading a journal gives back.
struct JournalContents
{
    QList<JournalRow> rows; // in the list's order
    std::array<QByteArray, 2> headings;
    QString error;    // why nothing could be read; empty when the rows were read
    QString damage;   // when the journal was damaged: what was lost; empty when it was whole
    bool canceled = false;
};

// Called now and then while a journal is read, with rows read of about how many there are.
// Returning false stops the reading: no rows come back.
using JournalProgress = std::function<bool(qint64 done, qint64 total)>;

// The journals in a folder whose program has gone without ending normally (their lock is free),
// oldest first. Journals of running programs are left out.
QList<JournalInfo> unfinishedJournals(const QString &folder);

// Reads a journal back. A damaged journal gives the rows that are intact, and says so; one that
// cannot be read at all gives no rows and an error.
JournalContents readJournal(const QString &fileName, const JournalProgress &progress = {});

// Deletes a journal of a program that has gone: false when a running program holds it or a file
// of it cannot be removed.
bool discardJournal(const QString &fileName);

// The question the program asks at start-up about a journal left behind.
QString restoreQuestion(const JournalInfo &info);

// Puts the rows read back after the model's own rows, as they were; the headings replace the
// model's where the journal has them.
void restoreInto(RequestListModel &model, const JournalContents &contents);
