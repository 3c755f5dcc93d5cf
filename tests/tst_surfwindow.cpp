// The main window and the external window as a user meets them, without network: layout,
// the "Go!" failure report, the toolbar and list commands, the save dialog and the clipboard.

#include "tests/support/apptestsupport.h"
#include "app/requestmodels.h"
#include "app/requestwindow.h"
#include "app/surftoolbar.h"
#include "addressbox/addresscombo.h"
#include "banner/tbannerpanel.h"
#include "app/tsurfwindow2.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

using namespace apptest;

class TestSurfWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<TSurfWindow> w;
    QStringList reports;

    void fillRows(const QList<QByteArray> &urls)
    {
        child<TListGrid>(&*w, "surfdata")->ClearDataCells();
        child<TListGrid>(&*w, "surfdata")->SetRowCount(2);
        for (const QByteArray &u : urls) {
            child<TAddressCombo>(&*w, "AddressBox")->SetText(QString::fromLatin1(u));
            w->ToolButton10Click();
        }
    }

    // Answers the next save dialog with a file name, or cancels it when name is empty.
    void answerSaveDialog(const QString &name)
    {
        QTimer::singleShot(200, this, [this, name] {
            QFileDialog *d = child<QFileDialog>(&*w, "SaveDialog1");
            if (name.isEmpty()) {
                d->reject();
                return;
            }
            auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

private slots:
    void initTestCase()
    {
        setErrorReportSink([this](const QString &t) { reports << t; });
        w = openWindow();
        QVERIFY(w->isVisible());
    }

    void init() { reports.clear(); }

    void captionAndDesignedSize()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Tavorink Trailscribe"));
        QCOMPARE(w->width(), 792);
    }

    void minimumSize()
    {
        const QSize before = w->size();
        w->resize(300, 200);
        QTRY_VERIFY(w->width() >= 710 && w->height() >= 530);
        QCOMPARE(w->minimumSize(), QSize(710, 530));
        w->resize(before);
    }

    void addressRowLayout_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("minimum") << 710;
        QTest::newRow("designed") << 792;
        QTest::newRow("wide") << 1100;
    }
    void addressRowLayout()
    {
        QFETCH(int, width);
        w->resize(width, w->height());
        QTRY_COMPARE(child<QWidget>(&*w, "Panel3")->width(), width);
        const QRect box = child<TAddressCombo>(&*w, "AddressBox")->geometry();
        const QRect go = child<QPushButton>(&*w, "gotobutton")->geometry();
        QCOMPARE(box.left(), 40);
        QCOMPARE(box.top(), 4);
        QCOMPARE(box.width(), width - 50 - 40 - 10);
        QCOMPARE(go.left(), width - 50 - 5);
        QCOMPARE(go.right() + 1 + 5, width);
        QCOMPARE(go.size(), QSize(50, 25));
        if (width == 792) {
            QCOMPARE(box.width(), 692);
            QCOMPARE(go.left(), 737);
        }
    }

    void toolbarButtonPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");
        QTest::newRow("Back") << "ToolButton1" << "Back" << 0;
        QTest::newRow("Forward") << "ToolButton2" << "Forward" << 60;
        QTest::newRow("Stop") << "ToolButton5" << "Stop" << 128;
        QTest::newRow("Add URL") << "ToolButton10" << "Add URL" << 196;
        QTest::newRow("Delete URL") << "ToolButton12" << "Delete URL" << 256;
        QTest::newRow("Clear URLs") << "ToolButton13" << "Clear URLs" << 316;
        QTest::newRow("Save URLs") << "ToolButton6" << "Save URLs" << 384;
        QTest::newRow("Close") << "ToolButton7" << "Close" << 444;
    }
    void toolbarButtonPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, left);
        auto *b = child<SurfToolBar>(&*w, "ToolBar1")->findChild<QToolButton *>(name);
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->x(), left);
        QCOMPARE(b->size(), QSize(60, 36));
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(b->iconSize(), QSize(16, 16));
        QCOMPARE(child<SurfToolBar>(&*w, "ToolBar1")->height(), 40);
        QVERIFY(!child<QWidget>(&*w, "ToolButton14")->isVisible());
        QVERIFY(!child<QWidget>(&*w, "ToolButton9")->isVisible());
    }

    void stackFromTopToBottom()
    {
        // toolbar, address row, web view panel, list panel, banner, status line
        QCOMPARE(child<SurfToolBar>(&*w, "ToolBar1")->y(), 0);
        QCOMPARE(child<QWidget>(&*w, "Panel3")->y(), 40);
        QCOMPARE(child<QWidget>(&*w, "Panel3")->height(), 31);
        QCOMPARE(child<QFrame>(&*w, "Panel4")->y(), 71);
        QCOMPARE(child<QWidget>(&*w, "Panel5")->y(), child<QFrame>(&*w, "Panel4")->geometry().bottom() + 1);
        QCOMPARE(child<QStatusBar>(&*w, "StatusBar1")->geometry().bottom() + 1, w->height());
        QCOMPARE(child<QStatusBar>(&*w, "StatusBar1")->height(), 19);
        int visibleBanners = 0;
        for (TBannerPanel *b : {child<TBannerPanel>(&*w, "BannerPanel1"), child<TBannerPanel>(&*w, "BannerPanel2"), child<TBannerPanel>(&*w, "BannerPanel3")}) {
            if (b->isVisible()) {
                ++visibleBanners;
                QCOMPARE(b->y(), child<QWidget>(&*w, "Panel5")->geometry().bottom() + 1);
                QCOMPARE(b->geometry().bottom() + 1, child<QStatusBar>(&*w, "StatusBar1")->y());
                QCOMPARE(b->height(), 88);
            }
        }
        QCOMPARE(visibleBanners, 1);
    }

    void goFailureIsReportedInTheStatusLine_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QStringLiteral("The address is empty");
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("The address is empty");
        QTest::newRow("bad host") << QStringLiteral("http://[::1") << QStringLiteral("The address is not valid");
        QTest::newRow("bad port") << QStringLiteral("http://a.test:99999999/") << QStringLiteral("The address is not valid");
    }
    void goFailureIsReportedInTheStatusLine()
    {
        QFETCH(QString, address);
        QFETCH(QString, message);
        const int rows = child<TListGrid>(&*w, "surfdata")->RowCount();
        child<TAddressCombo>(&*w, "AddressBox")->SetText(address);
        child<QPushButton>(&*w, "gotobutton")->click();
        QCOMPARE(child<QStatusBar>(&*w, "StatusBar1")->currentMessage(),
                 QStringLiteral("Unable to navigate to ") + address + QStringLiteral(". ") + message + QStringLiteral("."));
        QCOMPARE(child<TAddressCombo>(&*w, "AddressBox")->Text(), address);
        QTest::qWait(300);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), rows);
        QVERIFY(reports.isEmpty());
    }

    void backAndForwardOnTheFirstPageShowNothing()
    {
        const QUrl before = child<TWebBrowser>(&*w, "WebBrowser2")->url();
        child<QToolButton>(&*w, "ToolButton1")->click();
        child<QToolButton>(&*w, "ToolButton2")->click();
        QTest::qWait(300);
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), before);
        QVERIFY(reports.isEmpty());
    }

    void enterInTheAddressBoxDoesNotBrowse()
    {
        const int rows = child<TListGrid>(&*w, "surfdata")->RowCount();
        const QUrl before = child<TWebBrowser>(&*w, "WebBrowser2")->url();
        child<TAddressCombo>(&*w, "AddressBox")->SetText(QStringLiteral("about:blank"));
        child<TAddressCombo>(&*w, "AddressBox")->setFocus();
        QWidget *edit = child<TAddressCombo>(&*w, "AddressBox")->lineEdit();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(500);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), rows);
        QCOMPARE(child<TWebBrowser>(&*w, "WebBrowser2")->url(), before);
    }

    void deleteUrl()
    {
        fillRows({"a", "b", "c"});
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 4);
        const int panel = child<QWidget>(&*w, "Panel5")->height();
        child<TListGrid>(&*w, "surfdata")->setFocus();
        QTest::keyClick(child<TListGrid>(&*w, "surfdata"), Qt::Key_Down);  // row 2
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CurrentRow(), 2);
        child<QToolButton>(&*w, "ToolButton12")->click();
        QCOMPARE(column(child<TListGrid>(&*w, "surfdata"), 0), (QList<QByteArray>{"a", "c"}));
        QCOMPARE(child<QWidget>(&*w, "Panel5")->height(), panel);

        fillRows({"only"});
        child<QToolButton>(&*w, "ToolButton12")->click();
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 2);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(0, 1), QByteArray());
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(1, 1), QByteArray());
    }

    void addUrl()
    {
        child<QToolButton>(&*w, "ToolButton13")->click();  // Clear URLs
        QCOMPARE(child<QWidget>(&*w, "Panel5")->height(), 52);
        const int panel = child<QWidget>(&*w, "Panel5")->height();

        child<TAddressCombo>(&*w, "AddressBox")->SetText(QStringLiteral("http://x.test/1"));
        child<QToolButton>(&*w, "ToolButton10")->click();
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 2);  // the empty row is filled, no row added
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(0, 1), QByteArray("http://x.test/1"));
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(1, 1), QByteArray());

        child<TAddressCombo>(&*w, "AddressBox")->SetText(QStringLiteral("JavaScript:go()"));
        child<QToolButton>(&*w, "ToolButton10")->click();
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 2);

        child<TAddressCombo>(&*w, "AddressBox")->SetText(QString());
        child<QToolButton>(&*w, "ToolButton10")->click();
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 3);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(0, 2), QByteArray());

        child<TAddressCombo>(&*w, "AddressBox")->SetText(QStringLiteral("http://x.test/1"));
        child<QToolButton>(&*w, "ToolButton10")->click();  // fills the empty row; duplicates are kept
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 3);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(0, 2), QByteArray("http://x.test/1"));
        QCOMPARE(child<QWidget>(&*w, "Panel5")->height(), panel);

        child<QToolButton>(&*w, "ToolButton13")->click();
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->RowCount(), 2);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CellText(0, 1), QByteArray());
        QCOMPARE(child<QWidget>(&*w, "Panel5")->height(), 52);
    }

    void popupMenuItems()
    {
        QStringList captions;
        QStringList names;
        for (QAction *a : child<QMenu>(&*w, "PopupMenu1")->actions()) {
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            names << a->objectName();
        }
        // The list's own seven items, then, set apart, the request's.
        QCOMPARE(captions, (QStringList{"Copy All To Clipboard", "-", "Copy URL", "Copy POSTDATA", "-",
                                        "Save To File (CSV)", "Save To File (HTM)", "-",
                                        QStringLiteral("Show Request\u2026"), "Copy As cURL", "Replay Request",
                                        "Save To File (HAR)", QStringLiteral("Open From File (HAR)\u2026")}));
        QCOMPARE(names.mid(0, 7), (QStringList{"CopyAllToClipboard1", "N2", "CopyURL1", "CopyPOSTDATA1", "N1",
                                               "SaveToFileCSV1", "SaveToFileHTM1"}));
        QCOMPARE(names.mid(8), (QStringList{"ShowRequest1", "CopyAsCurl1", "ReplayRequest1", "SaveToFileHAR1",
                                            "OpenFromFileHAR1"}));
        QCOMPARE(child<QMenu>(&*w, "PopupMenu1")->actions().at(8), child<QAction>(&*w, "ShowRequest1"));
        QCOMPARE(child<QMenu>(&*w, "PopupMenu1")->actions().at(9), child<QAction>(&*w, "CopyAsCurl1"));
        QCOMPARE(child<QMenu>(&*w, "PopupMenu1")->actions().at(10), child<QAction>(&*w, "ReplayRequest1"));
        QCOMPARE(child<QMenu>(&*w, "PopupMenu1")->actions().at(11), child<QAction>(&*w, "SaveToFileHAR1"));
        QCOMPARE(child<QMenu>(&*w, "PopupMenu1")->actions().last(), child<QAction>(&*w, "OpenFromFileHAR1"));
        for (QAction *a : child<QMenu>(&*w, "PopupMenu1")->actions()) {
            QVERIFY(a->isEnabled());
            QVERIFY(a->shortcut().isEmpty());
        }
    }

    void copyUrlAndPostDataFromTheCurrentRow()
    {
        fillRows({"http://one.test/", "http://two.test/"});
        child<TListGrid>(&*w, "surfdata")->SetCellText(1, 1, "a=1\r\nb=2");
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CurrentRow(), 1);

        // Without a list to act on (the menu never opened on one) the copy commands do nothing.
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        child<QAction>(&*w, "CopyURL1")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));

        // A right click on row 2 opens the menu there and keeps row 1 current.
        const QRect row2 = child<TListGrid>(&*w, "surfdata")->CellRect(1, 2);
        QTest::mouseClick(child<TListGrid>(&*w, "surfdata")->viewport(), Qt::RightButton, {}, row2.center());
        QTRY_VERIFY(child<QMenu>(&*w, "PopupMenu1")->isVisible());
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CurrentRow(), 1);
        child<QMenu>(&*w, "PopupMenu1")->close();

        QClipboard *cb = QGuiApplication::clipboard();
        auto *html = new QMimeData;
        html->setHtml(QStringLiteral("<b>before</b>"));
        html->setText(QStringLiteral("before"));
        cb->setMimeData(html);

        child<QAction>(&*w, "CopyURL1")->trigger();
        QTRY_COMPARE(cb->text(), QStringLiteral("http://one.test/"));
        QVERIFY(!cb->mimeData()->hasHtml());
        child<QAction>(&*w, "CopyPOSTDATA1")->trigger();
        QTRY_COMPARE(cb->text(), QStringLiteral("a=1\r\nb=2"));
        child<QAction>(&*w, "CopyAllToClipboard1")->trigger();
        QTRY_COMPARE(cb->text(), QStringLiteral("URL\tPOST-DATA\r\nhttp://one.test/\t\"a=1\nb=2\"\r\nhttp://two.test/\t\r\n"));

        // "Copy As cURL" gives the current row's request, not its cells: the body keeps the
        // zero byte the cell left out.
        RequestRecord request = child<TListGrid>(&*w, "surfdata")->RowRequest(1);
        QCOMPARE(request.method, QByteArray("GET"));
        request.method = "POST";
        request.body = QByteArray("a=1\0", 4);
        request.contentType = "text/plain";
        child<TListGrid>(&*w, "surfdata")->SetRowRequest(1, request);
        child<QAction>(&*w, "CopyAsCurl1")->trigger();
        QTRY_COMPARE(cb->text(), QStringLiteral("printf '\\x61\\x3d\\x31\\x00' | curl -H 'Content-Type: text/plain' "
                                                "--data-binary @- 'http://one.test/'"));
        child<TListGrid>(&*w, "surfdata")->SetCurrentCell(0, 2);
        child<QAction>(&*w, "CopyAsCurl1")->trigger();
        QTRY_COMPARE(cb->text(), QStringLiteral("curl 'http://two.test/'"));
    }

    void showRequestOfTheRow()
    {
        fillRows({"http://one.test/", "http://two.test/"});
        RequestRecord request = child<TListGrid>(&*w, "surfdata")->RowRequest(2);
        request.method = "POST";
        request.body = QByteArray("q=a%00b&r=2");
        request.contentType = "application/x-www-form-urlencoded";
        child<TListGrid>(&*w, "surfdata")->SetRowRequest(2, request);
        child<TListGrid>(&*w, "surfdata")->SetCellText(1, 2, "q=a%00b&r=2");

        // The menu acts on the row it was opened on.
        QTest::mouseClick(child<TListGrid>(&*w, "surfdata")->viewport(), Qt::RightButton, {}, child<TListGrid>(&*w, "surfdata")->CellRect(1, 1).center());
        QTRY_VERIFY(child<QMenu>(&*w, "PopupMenu1")->isVisible());
        child<QMenu>(&*w, "PopupMenu1")->close();
        QVERIFY(!child<TRequestWindow>(&*w, "RequestWindow"));
        child<QAction>(&*w, "ShowRequest1")->trigger();
        QVERIFY(child<TRequestWindow>(&*w, "RequestWindow"));
        TRequestWindow *shown = child<TRequestWindow>(&*w, "RequestWindow");
        QTRY_VERIFY(shown->isVisible());
        QVERIFY(!shown->isModal());
        QCOMPARE(shown->request(), child<TListGrid>(&*w, "surfdata")->RowRequest(1));
        QCOMPARE(shown->AddressLabel->text(), QStringLiteral("http://one.test/"));

        // A double click on a POST-DATA cell shows its row in the same window.
        child<TListGrid>(&*w, "surfdata")->SetCurrentCell(0, 2); // scrolled into the list's view
        QTest::mouseDClick(child<TListGrid>(&*w, "surfdata")->viewport(), Qt::LeftButton, {}, child<TListGrid>(&*w, "surfdata")->CellRect(1, 2).center());
        QCOMPARE(child<TRequestWindow>(&*w, "RequestWindow"), shown);
        QCOMPARE(shown->request(), request);
        QCOMPARE(shown->AddressLabel->text(), QStringLiteral("http://two.test/"));
        QCOMPARE(shown->formModel()->rowCount(), 2);
        QCOMPARE(child<TListGrid>(&*w, "surfdata")->CurrentCol(), 1);
        child<TListGrid>(&*w, "surfdata")->SetCurrentCell(0, 1);
        QTest::mouseDClick(child<TListGrid>(&*w, "surfdata")->viewport(), Qt::LeftButton, {}, child<TListGrid>(&*w, "surfdata")->CellRect(1, 1).center());
        QCOMPARE(shown->AddressLabel->text(), QStringLiteral("http://one.test/"));
        // Only the POST-DATA column opens it (a URL cell holds a link, whose click navigates).
        shown->close();
        emit child<TListGrid>(&*w, "surfdata")->CellDoubleClick(child<TListGrid>(&*w, "surfdata"), 0, 2);
        QVERIFY(!shown->isVisible());
        emit child<TListGrid>(&*w, "surfdata")->CellDoubleClick(child<TListGrid>(&*w, "surfdata"), 1, 2);
        QTRY_VERIFY(shown->isVisible());
        QCOMPARE(shown->request(), request);
        shown->close();
        QVERIFY(reports.isEmpty());
    }

    void saveDialogAddsTheExtension_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("csv") << QStringLiteral(".csv");
        QTest::newRow("htm") << QStringLiteral(".htm");
        QTest::newRow("har") << QStringLiteral(".har");
    }
    void saveDialogAddsTheExtension()
    {
        QFETCH(QString, suffix);
        QTemporaryDir dir;
        fillRows({"http://a.test/"});
        const QString base = dir.filePath(QStringLiteral("list"));
        answerSaveDialog(base);
        if (suffix == QStringLiteral(".htm"))
            child<QAction>(&*w, "SaveToFileHTM1")->trigger();
        else if (suffix == QStringLiteral(".har"))
            child<QAction>(&*w, "SaveToFileHAR1")->trigger();
        else
            child<QToolButton>(&*w, "ToolButton6")->click();
        QTRY_VERIFY(QFile::exists(base + suffix));
        QFile f(base + suffix);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (suffix == QStringLiteral(".htm")) {
            QVERIFY(bytes.contains("http://a.test/"));
        } else if (suffix == QStringLiteral(".har")) {
            QCOMPARE(child<QFileDialog>(&*w, "SaveDialog1")->nameFilters(), QStringList{QStringLiteral("HAR Files (*.har)")});
            const QJsonArray entries = QJsonDocument::fromJson(bytes)["log"]["entries"].toArray();
            QCOMPARE(entries.size(), 1);
            QCOMPARE(entries[0]["request"]["url"].toString(), QStringLiteral("http://a.test/"));
            QCOMPARE(entries[0]["request"]["method"].toString(), QStringLiteral("GET"));
        } else {
            QCOMPARE(bytes, QByteArray("URL,POST-DATA\r\nhttp://a.test/,\"\"\r\n"));
        }
        QVERIFY(!QFile::exists(base));

        // The dialog starts with the name chosen last time.
        QTimer::singleShot(200, this, [this] {
            auto *edit = child<QFileDialog>(&*w, "SaveDialog1")->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            QVERIFY(edit->text().startsWith(QStringLiteral("list")));
            child<QFileDialog>(&*w, "SaveDialog1")->reject();
        });
        child<QAction>(&*w, "SaveToFileCSV1")->trigger();
    }

    void cancellingTheSaveDialogWritesNothing()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        answerSaveDialog(QString());
        child<QAction>(&*w, "SaveToFileCSV1")->trigger();
        answerSaveDialog(QString());
        child<QAction>(&*w, "SaveToFileHTM1")->trigger();
        answerSaveDialog(QString());
        child<QAction>(&*w, "SaveToFileHAR1")->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(reports.isEmpty());
    }

    void aFailedSaveReachesTheErrorReport()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("missing/list.csv"));
        reportErrors([&] { child<TListGrid>(&*w, "surfdata")->SaveCsv(name); });
        QCOMPARE(reports, QStringList{QStringLiteral("Cannot Create file ") + name + QStringLiteral(".")});

        // The menu item as the user picks it, from the event loop: the error leaves the handler.
        reports.clear();
        const QString har = dir.filePath(QStringLiteral("missing/list.har"));
        answerSaveDialog(har);
        QMetaObject::invokeMethod(child<QAction>(&*w, "SaveToFileHAR1"), &QAction::trigger, Qt::QueuedConnection);
        QTRY_COMPARE(reports, QStringList{QStringLiteral("Cannot Create file ") + har + QStringLiteral(".")});
    }

    void externalWindowIsHiddenAndCannotBeClosed()
    {
        Tsurfwindow2 *x = w->externalWindow();
        QVERIFY(x);
        QVERIFY(!x->isVisible());
        QCOMPARE(x->windowTitle(), QStringLiteral("Trailscribe - External Window"));
        QCOMPARE(x->size(), QSize(567, 335));
        QVERIFY(!(x->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(x->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(x->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(x->windowFlags() & Qt::WindowSystemMenuHint));
        x->show();
        QVERIFY(QTest::qWaitForWindowExposed(x));
        QVERIFY(!x->close());
        QVERIFY(x->isVisible());
        QTest::keyClick(x, Qt::Key_Escape);
        QTest::keyClick(x, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(x->isVisible());
        child<QPushButton>(x, "Button1")->click();
        QVERIFY(!x->isVisible());
    }
};

TS_APP_TEST_MAIN(TestSurfWindow)
#include "tst_surfwindow.moc"
