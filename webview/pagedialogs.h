#pragma once

#include <QStringList>
#include <QWebEnginePage>

class QUrl;
class QWidget;

// The dialogs a page asks for by script (alert, confirm, prompt) and its file chooser. Each is a
// child of the page's view, named "PageDialog", and holds up only the window of that view: a
// pop-up's dialog leaves the main window free. A dialog whose view goes meanwhile answers as
// cancelled.
void showPageAlert(QWidget *view, const QUrl &origin, const QString &message);
bool askPageConfirm(QWidget *view, const QUrl &origin, const QString &message);
// True with *result set when the user answered; false when cancelled.
bool askPagePrompt(QWidget *view, const QUrl &origin, const QString &message, const QString &defaultValue,
                   QString *result);
QStringList choosePageFiles(QWidget *view, QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles);
