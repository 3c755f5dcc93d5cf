#include "webview/pagedialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

namespace {

constexpr char kObjectName[] = "PageDialog";

QString titleFor(const QString &what, const QUrl &origin)
{
    const QString host = origin.host();
    return host.isEmpty() ? what : QStringLiteral("%1 - %2").arg(what, host);
}

// Runs a dialog modal to its view's window. Returns its result, or Rejected when the dialog
// went with its view while it was up.
int runWindowModal(QDialog *dialog)
{
    dialog->setObjectName(QLatin1String(kObjectName));
    dialog->setWindowModality(Qt::WindowModal);
    QPointer<QDialog> alive = dialog;
    const int result = dialog->exec();
    return alive ? result : int(QDialog::Rejected);
}

QMessageBox *messageBox(QWidget *view, QMessageBox::Icon icon, const QString &title, const QString &message,
                        QMessageBox::StandardButtons buttons)
{
    auto *box = new QMessageBox(icon, title, message, buttons, view);
    box->setTextFormat(Qt::PlainText);
    return box;
}

} // namespace

void showPageAlert(QWidget *view, const QUrl &origin, const QString &message)
{
    QPointer<QMessageBox> box = messageBox(view, QMessageBox::Information, titleFor(QStringLiteral("Alert"), origin),
                                           message, QMessageBox::Ok);
    runWindowModal(box);
    delete box;
}

bool askPageConfirm(QWidget *view, const QUrl &origin, const QString &message)
{
    QPointer<QMessageBox> box = messageBox(view, QMessageBox::Question, titleFor(QStringLiteral("Confirm"), origin),
                                           message, QMessageBox::Ok | QMessageBox::Cancel);
    const int result = runWindowModal(box);
    const bool confirmed = box && result == QMessageBox::Ok;
    delete box;
    return confirmed;
}

bool askPagePrompt(QWidget *view, const QUrl &origin, const QString &message, const QString &defaultValue,
                   QString *result)
{
    QPointer<QInputDialog> dialog = new QInputDialog(view);
    dialog->setWindowTitle(titleFor(QStringLiteral("Prompt"), origin));
    dialog->setLabelText(message);
    dialog->setTextValue(defaultValue);
    const bool answered = runWindowModal(dialog) == QDialog::Accepted;
    if (answered)
        *result = dialog->textValue();
    delete dialog;
    return answered;
}

QStringList choosePageFiles(QWidget *view, QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles)
{
    QPointer<QFileDialog> dialog = new QFileDialog(view, QStringLiteral("Open File"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(mode == QWebEnginePage::FileSelectOpenMultiple ? QFileDialog::ExistingFiles
                                                                        : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    if (!oldFiles.isEmpty())
        dialog->selectFile(oldFiles.first());
    const bool chosen = runWindowModal(dialog) == QDialog::Accepted;
    const QStringList files = chosen ? dialog->selectedFiles() : QStringList();
    delete dialog;
    return files;
}
