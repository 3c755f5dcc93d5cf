#pragma once

#include "webview/postdata.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QVBoxLayout;
class QWebEnginePage;
class Recorder;
class TWebBrowser;

// The external window: pages that a site opens in a new window are shown here, and their
// navigations are recorded into the main window's list. It cannot be closed, only hidden, and
// its pages cannot open further windows.
//
// It is a window of its own, not a child of the main window (which deletes it): a dialog that
// holds it up, such as a page's sign-in, leaves the main window free.
class Tsurfwindow2 : public QWidget
{
    Q_OBJECT
public:
    // Records into the main window's list through its recorder; first shown centred on the
    // main window's screen.
    Tsurfwindow2(QWidget *mainWindow, Recorder *recorder);

    // Puts a fresh web view, bound to this window's handlers, in place of the present one, and
    // returns it. The old view is unbound and hidden at once, its dialogs are cancelled, and it
    // is deleted later: this runs inside the engine's new-window call, and perhaps inside a
    // dialog of the old view's page.
    TWebBrowser *ReplaceWebBrowser();

    void FormShow();
    bool FormCloseQuery();
    void Button1Click();
    void WebBrowser2NewWindow2(TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel);

public slots:
    void WebBrowser2BeforeNavigate2(TWebBrowser *sender, const QString &url, const PostDataRef &postData);
    void WebBrowser2StatusTextChange(TWebBrowser *sender, const QString &text);
    // The page closed its window: hidden as by "Close Window".
    void WebBrowser2WindowClosing(TWebBrowser *sender);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend void describeForAccessibility(Tsurfwindow2 *window);

    // Controls, named as in the window's design; tests and tools find them by these names.
    QWidget *Panel8 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *url1 = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *Button1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TWebBrowser *WebBrowser2 = nullptr;

    QWidget *m_main;
    Recorder *m_recorder;
    QVBoxLayout *m_layout = nullptr;
    bool m_centred = false;
};
