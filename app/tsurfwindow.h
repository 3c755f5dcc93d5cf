#pragma once

#include "webview/postdata.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

class AddressRowLayout;
class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class QWebEnginePage;
class SurfToolBar;
class TAddressCombo;
class TBannerPanel;
class TBannerPicture;
class TFormPlacement;
class TListGrid;
class TRequestWindow;
class TWebBrowser;
class Tsurfwindow2;
class ListCommands;
class Recorder;
class HarOpener;
class Journal;
struct JournalContents;

// The main window: toolbar, address row, web view, the URL list, the sponsor banner and the
// status line. Every navigation its web view starts is recorded into the URL list.
class TSurfWindow : public QWidget
{
    Q_OBJECT
public:
    static const char *const kHomePage;

    explicit TSurfWindow(QWidget *parent = nullptr);
    ~TSurfWindow() override;

    // The program's one external window, which this window owns.
    Tsurfwindow2 *externalWindow() const { return surfwindow2; }

    // Rows of a journal left behind, added to the list; they join this window's journal. Returns
    // whether the journal now holds them.
    bool restoreRows(const JournalContents &contents);
    // Opens a HAR file into the list, as "Open From File (HAR)…" does; false when the list did
    // not take its rows.
    bool openHarFile(const QString &fileName);

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    // Go: false when the web view refused the address.
    bool gotobutton2Click();
    // "Go!" pressed: Go, and a browsed address joins the typed-address history.
    void goByUser();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton5Click();
    void ToolButton7Click();
    void ToolButton10Click();
    void ToolButton12Click();
    void ToolButton13Click();
    void surfdataAnchorClick(TListGrid *sender, int ARow, int ACol, const QByteArray &anchor, bool *autoHandle);
    void WebBrowser2NewWindow2(TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel);

public slots:
    void WebBrowser2BeforeNavigate2(TWebBrowser *sender, const QString &url, const PostDataRef &postData);
    void WebBrowser2StatusTextChange(TWebBrowser *sender, const QString &text);

public:
    void Button7Click();
    void BannerPicture1Click(QObject *sender);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend void describeForAccessibility(TSurfWindow *window);

    // Controls, named as in the window's design; tests and tools find them by these names.
    SurfToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton5 = nullptr, *ToolButton10 = nullptr,
                *ToolButton12 = nullptr, *ToolButton13 = nullptr, *ToolButton6 = nullptr, *ToolButton7 = nullptr;
    QWidget *ToolButton3 = nullptr, *ToolButton11 = nullptr, *ToolButton4 = nullptr, *ToolButton14 = nullptr,
            *ToolButton9 = nullptr;
    QWidget *Panel3 = nullptr;
    QLabel *Label13 = nullptr;
    QPushButton *gotobutton = nullptr;
    TAddressCombo *AddressBox = nullptr;
    QFrame *Panel4 = nullptr;
    TWebBrowser *WebBrowser2 = nullptr;
    QWidget *Panel5 = nullptr;
    TListGrid *surfdata = nullptr;
    TBannerPanel *BannerPanel1 = nullptr, *BannerPanel2 = nullptr, *BannerPanel3 = nullptr;
    TBannerPicture *BannerPicture2 = nullptr, *BannerPicture4 = nullptr, *BannerPicture1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TFormPlacement *FormPlacement1 = nullptr;
    Tsurfwindow2 *surfwindow2 = nullptr;
    // Writes every recorded row, for this window and the external one.
    Recorder *recorder = nullptr;


    void createToolBar();
    void createAddressRow(QWidget *parent);
    void createListPanel();
    void createBanners();

    AddressRowLayout *m_addressRow = nullptr;
    bool m_shown = false;
    QList<TBannerPanel *> m_banners;
    ListCommands *m_listCommands = nullptr;
    HarOpener *m_harOpener = nullptr;
    // The list's journal, from start-up to a normal end.
    Journal *m_journal = nullptr;
};
