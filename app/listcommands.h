#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QFileDialog;
class QMenu;
class QWebEngineHttpRequest;
class QWidget;
class TListGrid;
class TRequestWindow;

// The URL list's pop-up menu and its commands: copy, save (CSV, HTML, HAR), open a HAR file, show a row's request,
// copy it as a curl command and send it again. The saves write the window's list; the other
// commands act on the list the menu was opened on, at its current row. Its windows (the save dialog, the request window) belong to
// the window the list sits in.
class ListCommands : public QObject
{
    Q_OBJECT
public:
    // Builds the menu (PopupMenu1), a child of window, and sets it on the list. The save dialog
    // (SaveDialog1, also the window's) is made when first needed.
    ListCommands(TListGrid *list, QWidget *window);

    QMenu *menu() const { return m_menu; }

    void CopyAllToClipboard1Click();
    void CopyURL1Click();
    void CopyPOSTDATA1Click();
    void SaveToFileCSV1Click();
    void SaveToFileHTM1Click();
    void SaveToFileHAR1Click();
    void OpenFromFileHAR1Click();
    // The request of the row, whole, in the request window (made when first needed).
    void ShowRequest1Click();
    void CopyAsCurl1Click();
    void ReplayRequest1Click();
    void showRequest(TListGrid *list, int row);

signals:
    // "Replay Request": the request to load in the window's web view.
    void replayRequested(const QWebEngineHttpRequest &request);
    // "Open From File (HAR)…": the window asks for a file and opens it.
    void openHarRequested();

private:
    // The list the menu was opened on, if any.
    TListGrid *menuList() const;
    // Runs the save dialog; returns the chosen file name, or an empty text when cancelled.
    QString runSaveDialog(const QString &defaultSuffix, const QString &filter);

    TListGrid *m_list;
    QWidget *m_window;
    QMenu *m_menu;
    QPointer<QFileDialog> m_saveDialog;
    QPointer<TRequestWindow> m_requestWindow;
    QString m_lastSaveName;
};
