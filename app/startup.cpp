#include "app/startup.h"

#include "app/tsurfwindow.h"
#include "journal/journal.h"
#include "journal/journalfile.h"

#include <QDir>
#include <QMessageBox>
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
            JournalContents contents = readJournal(info.fileName);
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
