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
class Tsurfwindow2 : public QWidget
{
    Q_OBJECT
public:
    // Records into the main window's list through its recorder.
    Tsurfwindow2(QWidget *mainWindow, Recorder *recorder);

    QWidget *Panel8 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *url1 = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *Button1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TWebBrowser *WebBrowser2 = nullptr;

    // Frees the present web view and puts a fresh one in its place, bound to this window's
    // handlers. Returns the new view.
    TWebBrowser *ReplaceWebBrowser();

    void FormShow();
    bool FormCloseQuery();
    void Button1Click();
    void WebBrowser2NewWindow2(TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel);

public slots:
    void WebBrowser2BeforeNavigate2(TWebBrowser *sender, const QString &url, const PostDataRef &postData);
    void WebBrowser2StatusTextChange(TWebBrowser *sender, const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_main;
    Recorder *m_recorder;
    QVBoxLayout *m_layout = nullptr;
    bool m_centred = false;
};
