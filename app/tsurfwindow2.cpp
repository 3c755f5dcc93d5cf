#include "app/tsurfwindow2.h"

#include "core/ansitext.h"
#include "common/fonts.h"
#include "common/shownaddress.h"
#include "app/recorder.h"
#include "app/surfaccessible.h"
#include "app/webbrowserbinding.h"
#include "webview/browserkeys.h"
#include "webview/twebbrowser.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

Tsurfwindow2::Tsurfwindow2(QWidget *mainWindow, Recorder *recorder)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_main(mainWindow),
      m_recorder(recorder)
{
    setObjectName(QStringLiteral("surfwindow2"));
    setWindowTitle(QStringLiteral("Trailscribe - External Window"));
    setFont(tahoma8());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    resize(567, 335);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    Panel8 = new QWidget(this);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->setFixedHeight(33);
    Panel8->setMinimumWidth(559);
    Label13 = new QLabel(QStringLiteral("URL:"), Panel8);
    Label13->setObjectName(QStringLiteral("Label13"));
    Label13->move(8, 8);
    Label13->adjustSize();
    url1 = new QLineEdit(Panel8);
    url1->setObjectName(QStringLiteral("url1"));
    url1->setReadOnly(true);
    url1->setGeometry(40, 4, 421, 21);
    Bevel1 = new QFrame(Panel8);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(468, 4, 3, 20);
    Button1 = new QPushButton(QStringLiteral("Close Window"), Panel8);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(476, 4, 79, 21);
    connect(Button1, &QPushButton::clicked, this, &Tsurfwindow2::Button1Click);
    m_layout->addWidget(Panel8);

    // The view of the design; it is never used for browsing and is replaced by the first pop-up.
    WebBrowser2 = new TWebBrowser(this);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    m_layout->addWidget(WebBrowser2, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    m_layout->addWidget(StatusBar1);
    describeForAccessibility(this);

    installBrowserKeys(this, [this] { return WebBrowser2; }, url1);
}

TWebBrowser *Tsurfwindow2::ReplaceWebBrowser()
{
    TWebBrowser *old = WebBrowser2;
    disconnect(old, nullptr, this, nullptr);
    m_layout->removeWidget(old);
    old->hide();
    old->setObjectName(QString());
    for (QDialog *dialog : old->findChildren<QDialog *>(Qt::FindDirectChildrenOnly))
        dialog->reject();
    old->deleteLater();

    WebBrowser2 = new TWebBrowser(this);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    m_layout->insertWidget(1, WebBrowser2, 1);
    bindWebBrowserHandlers(WebBrowser2, this);
    connect(WebBrowser2, &TWebBrowser::WindowClosing, this, &Tsurfwindow2::WebBrowser2WindowClosing);
    return WebBrowser2;
}

void Tsurfwindow2::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        if (QScreen *screen = m_main ? m_main->screen() : QGuiApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
    }
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tsurfwindow2::FormShow()
{
    url1->setText(shownAddress(WebBrowser2->LocationURL()));
}

bool Tsurfwindow2::FormCloseQuery()
{
    return false;
}

void Tsurfwindow2::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void Tsurfwindow2::Button1Click()
{
    hide();
}

void Tsurfwindow2::WebBrowser2NewWindow2(TWebBrowser *, QWebEnginePage **, bool *cancel)
{
    *cancel = true;
}

void Tsurfwindow2::WebBrowser2StatusTextChange(TWebBrowser *, const QString &text)
{
    StatusBar1->showMessage(QStringLiteral("Status: ") + text);
}

void Tsurfwindow2::WebBrowser2WindowClosing(TWebBrowser *)
{
    Button1Click();
    StatusBar1->showMessage(QStringLiteral("The page closed its window"));
}

void Tsurfwindow2::WebBrowser2BeforeNavigate2(TWebBrowser *, const QString &url, const PostDataRef &postData)
{
    url1->setText(shownAddress(url));
    m_recorder->record(toAnsi(url), postData, Recorder::ExternalWindow);
}
