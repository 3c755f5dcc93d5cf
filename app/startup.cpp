#include "app/startup.h"

#include "app/tsurfwindow.h"
#include "journal/journal.h"
#include "journal/journalfile.h"

#include <QDir>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace {
const char kRestoreTitle[] = "Restore Recording";

enum class Answer { Restore, Discard, Keep };

Answer askAbout(const JournalInfo &info)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kRestoreTitle), restoreQuestion(info));
    box.setObjectName(QStringLiteral("RestoreRecording1"));
    QPushButton *restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore)
        return Answer::Restore;
    // Closing the box decides nothing: the journal is offered again next time.
    return box.clickedButton() == discard ? Answer::Discard : Answer::Keep;
}

// Reads a journal, showing its progress once that takes more than a second. A journal whose
// reading is cancelled is kept, to be offered again next time.
JournalContents readWithProgress(const QString &fileName)
{
    constexpr int kSteps = 1000;
    QProgressDialog progress(QStringLiteral("Reading %1\u2026").arg(QDir::toNativeSeparators(fileName)),
                             QStringLiteral("Cancel"), 0, kSteps);
    progress.setObjectName(QStringLiteral("RestoreProgress1"));
    progress.setWindowTitle(QString::fromLatin1(kRestoreTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(1000);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    return readJournal(fileName, [&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(done * kSteps / total) : 0);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
}

void warn(const QString &text)
{
    QMessageBox::warning(nullptr, QString::fromLatin1(kRestoreTitle), text);
}

struct Taken
{
    QString fileName;
    JournalContents contents;
};

// The journals the user takes back, read; those discarded are deleted.
QList<Taken> takeBackJournals(const QString &folder)
{
    QList<Taken> taken;
    for (const JournalInfo &info : unfinishedJournals(folder)) {
        const QString name = QDir::toNativeSeparators(info.fileName);
        if (!info.error.isEmpty()) {
            warn(QStringLiteral("The recording journal %1 cannot be read: %2").arg(name, info.error));
            continue;
        }
        switch (askAbout(info)) {
        case Answer::Keep:
            break;
        case Answer::Discard:
            if (!discardJournal(info.fileName))
                warn(QStringLiteral("The recording journal %1 could not be deleted.").arg(name));
            break;
        case Answer::Restore: {
            JournalContents contents = readWithProgress(info.fileName);
            if (contents.canceled)
                break;
            if (!contents.error.isEmpty()) {
                warn(QStringLiteral("The recording journal %1 cannot be read: %2").arg(name, contents.error));
                break;
            }
            if (!contents.damage.isEmpty())
                warn(QStringLiteral("The recording journal %1 was damaged; what could be read is restored. %2")
                         .arg(name, contents.damage));
            taken.append({info.fileName, std::move(contents)});
            break;
        }
        }
    }
    return taken;
}
} // namespace

std::unique_ptr<TSurfWindow> startTrailscribe(const QStringList &arguments)
{
    const QList<Taken> taken = takeBackJournals(Journal::defaultFolder());
    auto window = std::make_unique<TSurfWindow>();
    for (const Taken &t : taken) {
        // The old journal goes only once the new one holds its rows.
        if (window->restoreRows(t.contents))
            discardJournal(t.fileName);
    }
    for (const QString &argument : arguments) {
        if (!argument.startsWith(u'-'))
            window->openHarFile(argument);
    }
    return window;
}
