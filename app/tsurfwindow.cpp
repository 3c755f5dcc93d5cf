#include "app/tsurfwindow.h"

#include "core/ansitext.h"
#include "common/errorreport.h"
#include "app/addressrowlayout.h"
#include "common/fonts.h"
#include "core/listcolumn.h"
#include "urllist/listgrid.h"
#include "app/haropener.h"
#include "app/listcommands.h"
#include "app/recorder.h"
#include "app/surfaccessible.h"
#include "app/surftoolbar.h"
#include "addressbox/addresscombo.h"
#include "addressbox/typedurlhistory.h"
#include "banner/bannerimages.h"
#include "banner/tbannerpanel.h"
#include "banner/tbannerpicture.h"
#include "placement/formplacement.h"
#include "app/toolicons.h"
#include "core/trailscribeerror.h"
#include "app/tsurfwindow2.h"
#include "app/webbrowserbinding.h"
#include "webview/browserkeys.h"
#include "webview/twebbrowser.h"
#include "banner/programrandom.h"
#include "banner/sponsorlink.h"
#include "journal/journal.h"
#include "journal/journalfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

const char *const TSurfWindow::kHomePage = "qrc:/home/index.html";

namespace {
constexpr int kClientWidth = 792;
constexpr int kClientHeight = 566;

} // namespace

TSurfWindow::TSurfWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SurfWindow"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFont(tahoma8());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    resize(kClientWidth, kClientHeight);
    setMinimumSize(710, 530);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    createToolBar();
    layout->addWidget(ToolBar1);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(31);
    layout->addWidget(Panel3);
    createAddressRow(Panel3);

    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::Box);
    Panel4->setFrameShadow(QFrame::Plain);
    Panel4->setLineWidth(1);
    auto *p4 = new QVBoxLayout(Panel4);
    p4->setContentsMargins(1, 1, 1, 1);
    WebBrowser2 = new TWebBrowser(Panel4);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    p4->addWidget(WebBrowser2);
    layout->addWidget(Panel4, 1);

    createListPanel();
    layout->addWidget(Panel5);
    recorder = new Recorder(surfdata, Panel5, this);
    m_journal = new Journal(surfdata->model(), this);

    createBanners();
    for (TBannerPanel *b : m_banners)
        layout->addWidget(b);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);
    // Recording goes on without the journal, in memory.
    connect(m_journal, &Journal::stopped, StatusBar1, [this](const QString &reason) { StatusBar1->showMessage(reason); });

    m_listCommands = new ListCommands(surfdata, this);
    connect(m_listCommands, &ListCommands::replayRequested, this,
            [this](const QWebEngineHttpRequest &request) { WebBrowser2->LoadRequest(request); });
    m_harOpener = new HarOpener(recorder, this);
    connect(m_listCommands, &ListCommands::openHarRequested, m_harOpener, &HarOpener::chooseAndOpen);

    bindWebBrowserHandlers(WebBrowser2, this);

    FormPlacement1 = new TFormPlacement(this);
    FormPlacement1->SetIniFileName(QStringLiteral("Tavorink\\Trailscribe"));
    FormPlacement1->SetIniSection(QStringLiteral("Tavorink"));
    FormPlacement1->SetUseRegistry(true);

    FormCreate();
    describeForAccessibility(this);
    installBrowserKeys(this, [this] { return WebBrowser2; }, AddressBox);
}

TSurfWindow::~TSurfWindow()
{
    FormDestroy();
}

void TSurfWindow::createToolBar()
{
    const QList<QIcon> icons = makeSurfToolIcons();
    ToolBar1 = new SurfToolBar(this);
    ToolButton1 = ToolBar1->addButton(QStringLiteral("ToolButton1"), QStringLiteral("Back"), icons[0]);
    ToolButton2 = ToolBar1->addButton(QStringLiteral("ToolButton2"), QStringLiteral("Forward"), icons[1]);
    ToolButton3 = ToolBar1->addSeparator(QStringLiteral("ToolButton3"));
    ToolButton5 = ToolBar1->addButton(QStringLiteral("ToolButton5"), QStringLiteral("Stop"), icons[2]);
    ToolButton11 = ToolBar1->addSeparator(QStringLiteral("ToolButton11"));
    ToolButton10 = ToolBar1->addButton(QStringLiteral("ToolButton10"), QStringLiteral("Add URL"), icons[3]);
    ToolButton12 = ToolBar1->addButton(QStringLiteral("ToolButton12"), QStringLiteral("Delete URL"), icons[4]);
    ToolButton13 = ToolBar1->addButton(QStringLiteral("ToolButton13"), QStringLiteral("Clear URLs"), icons[6]);
    ToolButton4 = ToolBar1->addSeparator(QStringLiteral("ToolButton4"));
    ToolButton6 = ToolBar1->addButton(QStringLiteral("ToolButton6"), QStringLiteral("Save URLs"), icons[5]);
    ToolButton14 = ToolBar1->addSeparator(QStringLiteral("ToolButton14"), false);
    ToolButton7 = ToolBar1->addButton(QStringLiteral("ToolButton7"), QStringLiteral("Close"), icons[7]);
    ToolButton9 = ToolBar1->addSeparator(QStringLiteral("ToolButton9"), false);

    connect(ToolButton1, &QToolButton::clicked, this, &TSurfWindow::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TSurfWindow::ToolButton2Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TSurfWindow::ToolButton5Click);
    connect(ToolButton10, &QToolButton::clicked, this, &TSurfWindow::ToolButton10Click);
    connect(ToolButton12, &QToolButton::clicked, this, &TSurfWindow::ToolButton12Click);
    connect(ToolButton13, &QToolButton::clicked, this, &TSurfWindow::ToolButton13Click);
    connect(ToolButton6, &QToolButton::clicked, this, [this] { m_listCommands->SaveToFileCSV1Click(); });
    connect(ToolButton7, &QToolButton::clicked, this, &TSurfWindow::ToolButton7Click);
}

void TSurfWindow::createAddressRow(QWidget *parent)
{
    Label13 = new QLabel(QStringLiteral("URL:"), parent);
    Label13->setObjectName(QStringLiteral("Label13"));
    Label13->move(8, 8);
    Label13->adjustSize();

    gotobutton = new QPushButton(QStringLiteral("Go!"), parent);
    gotobutton->setObjectName(QStringLiteral("gotobutton"));
    gotobutton->setIcon(makeSurfToolIcons().value(8));
    gotobutton->setIconSize(QSize(16, 16));
    gotobutton->setGeometry(737, 3, 50, 25);
    connect(gotobutton, &QPushButton::clicked, this, &TSurfWindow::goByUser);
    m_addressRow = new AddressRowLayout(parent);
    m_addressRow->setGoButton(gotobutton);
}

void TSurfWindow::createListPanel()
{
    Panel5 = new QWidget(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedHeight(150);
    auto *l = new QVBoxLayout(Panel5);
    l->setContentsMargins(0, 0, 0, 0);
    surfdata = new TListGrid(Panel5);
    surfdata->setObjectName(QStringLiteral("surfdata"));
    l->addWidget(surfdata);
    connect(surfdata, &TListGrid::AnchorClick, this, &TSurfWindow::surfdataAnchorClick,
            Qt::DirectConnection);
}

void TSurfWindow::createBanners()
{
    const struct {
        TBannerPanel **panel;
        TBannerPicture **picture;
        const char *panelName;
        const char *pictureName;
        const char *image;
    } banners[] = {
        {&BannerPanel1, &BannerPicture2, "BannerPanel1", "BannerPicture2", kBannerPicture2Image},
        {&BannerPanel2, &BannerPicture4, "BannerPanel2", "BannerPicture4", kBannerPicture4Image},
        {&BannerPanel3, &BannerPicture1, "BannerPanel3", "BannerPicture1", kBannerPicture1Image},
    };
    for (const auto &b : banners) {
        auto *panel = new TBannerPanel(this);
        panel->setObjectName(QString::fromLatin1(b.panelName));
        panel->setVisible(false);
        TBannerPicture *picture = panel->Picture();
        picture->setObjectName(QString::fromLatin1(b.pictureName));
        picture->LoadFromResource(QString::fromLatin1(b.image));
        connect(picture, &TBannerPicture::OnClick, this, &TSurfWindow::BannerPicture1Click);
        *b.panel = panel;
        *b.picture = picture;
        m_banners.append(panel);
    }
}

void TSurfWindow::FormCreate()
{
    surfwindow2 = new Tsurfwindow2(this, recorder);
    AddressBox = new TAddressCombo(Panel3);
    AddressBox->setObjectName(QStringLiteral("AddressBox"));
    AddressBox->move(40, 4);
    m_addressRow->setAddressBox(AddressBox);
}

void TSurfWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void TSurfWindow::FormShow()
{
    AddressBox->SetAddress(QString::fromLatin1(kHomePage));

    // One banner at random; the layout keeps the status line lowest, the banner above it and
    // the list panel above the banner.
    const int n = randomInt(3) + 1;
    BannerPanel1->setVisible(n == 1);
    BannerPanel2->setVisible(n == 2);
    BannerPanel3->setVisible(n == 3);

    recorder->showWholeList();

    // Go comes last, with the bottom controls in place: the web view then makes its page's
    // surface once, at its final size, and the page is not rendered a second time for a resize.
    layout()->activate();
    gotobutton2Click();
}

void TSurfWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        // Closing the main window ends the program, even while the external window is shown;
        // it is a normal end, so the journal goes.
        m_journal->finish();
        if (surfwindow2)
            surfwindow2->hide();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

void TSurfWindow::FormDestroy()
{
    if (surfwindow2) {
        surfwindow2->close();  // refused; nothing changes
        delete surfwindow2;
        surfwindow2 = nullptr;
    }
}

bool TSurfWindow::restoreRows(const JournalContents &contents)
{
    recorder->addRows([&contents](RequestListModel &model) { restoreInto(model, contents); });
    recorder->fitList();
    m_journal->flush();
    return m_journal->isRecording();
}

bool TSurfWindow::openHarFile(const QString &fileName)
{
    return m_harOpener->open(fileName);
}

bool TSurfWindow::gotobutton2Click()
{
    const QString text = AddressBox->Text();
    try {
        WebBrowser2->Navigate(text);
        return true;
    } catch (const TrailscribeError &e) {
        StatusBar1->showMessage(QStringLiteral("Unable to navigate to ") + text + QStringLiteral(". ") + e.message() +
                                QStringLiteral("."));
        QApplication::beep();
        return false;
    }
}

// Only an address the user sends with "Go!" is a typed address; the start page and clicked
// links are not. Where the program keeps the history itself, the box's list follows at once.
void TSurfWindow::goByUser()
{
    const QString text = AddressBox->Text();
    if (!gotobutton2Click() || !kProgramKeepsTypedUrls)
        return;
    rememberTypedUrl(text);
    AddressBox->SetItems(loadTypedUrls());
}

// Where the history cannot move, nothing happens.
void TSurfWindow::ToolButton1Click()
{
    WebBrowser2->GoBack();
}

void TSurfWindow::ToolButton2Click()
{
    WebBrowser2->GoForward();
}

void TSurfWindow::ToolButton5Click()
{
    WebBrowser2->Stop();
}

void TSurfWindow::ToolButton7Click()
{
    close();
}

void TSurfWindow::WebBrowser2StatusTextChange(TWebBrowser *, const QString &text)
{
    StatusBar1->showMessage(QStringLiteral("Status: ") + text);
}

void TSurfWindow::Button7Click()
{
    recorder->append(toAnsi(AddressBox->Text()));
}

// The address box shows every address, script addresses too; the recorder decides what is
// recorded.
void TSurfWindow::WebBrowser2BeforeNavigate2(TWebBrowser *, const QString &url, const PostDataRef &postData)
{
    AddressBox->SetText(url);
    recorder->record(toAnsi(url), postData, Recorder::MainWindow);
}

void TSurfWindow::WebBrowser2NewWindow2(TWebBrowser *, QWebEnginePage **ppDisp, bool *)
{
    TWebBrowser *view = surfwindow2->ReplaceWebBrowser();
    surfwindow2->show();
    surfwindow2->raise();
    surfwindow2->activateWindow();
    *ppDisp = view->Application();
}

void TSurfWindow::ToolButton10Click()
{
    Button7Click();
}

void TSurfWindow::ToolButton12Click()
{
    recorder->deleteCurrentRow();
}

void TSurfWindow::ToolButton13Click()
{
    recorder->clear();
    recorder->showWholeList();
}

void TSurfWindow::surfdataAnchorClick(TListGrid *, int, int, const QByteArray &anchor, bool *autoHandle)
{
    AddressBox->SetAddress(fromAnsi(anchor));
    gotobutton2Click();
    *autoHandle = false;
}

void TSurfWindow::BannerPicture1Click(QObject *)
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSponsorLink)));
}
