#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QFileDialog;
class QWidget;
class Recorder;

// Opens HAR files into the window's list: one chosen in a file dialog, one named on the command
// line, one dropped on the list. Reading that takes more than a second shows its progress and
// can be cancelled. A file that cannot be read leaves the list as it was and says why; when the
// list already holds rows, the user chooses whether the file's rows are added or replace them.
class HarOpener : public QObject
{
    Q_OBJECT
public:
    HarOpener(Recorder *recorder, QWidget *window);

    // Asks for a file (the window's OpenDialog1) and opens it.
    void chooseAndOpen();
    // Returns whether the list took the file's rows.
    bool open(const QString &fileName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Choice { Add, Replace, Cancel };
    Choice askAddOrReplace();
    bool listHasRows() const;

    Recorder *m_recorder;
    QWidget *m_window;
    QPointer<QFileDialog> m_openDialog;
    bool m_busy = false;
};

// The first local file among urls whose name ends in ".har" (any case); empty when none does.
QString harFileOf(const QList<QUrl> &urls);
