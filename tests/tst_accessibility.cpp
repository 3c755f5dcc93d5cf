// The running main window as assistive technology reads it through Qt's accessibility
// interfaces: the recorded list as a table, named toolbar, panels and banner, and the Tab order.

#include "tests/support/apptestsupport.h"
#include "tests/support/httpserver.h"
#include "app/surftoolbar.h"
#include "addressbox/addresscombo.h"
#include "app/tsurfwindow2.h"
#include "banner/tbannerpanel.h"
#include "banner/tbannerpicture.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWebEngineView>

using namespace apptest;

namespace {

// Every interface under root, depth first; the web page's own tree is left out.
QList<QAccessibleInterface *> walk(QAccessibleInterface *root)
{
    QList<QAccessibleInterface *> out;
    if (!root)
        return out;
    out.append(root);
    if (qobject_cast<QWebEngineView *>(root->object()))
        return out;
    for (int i = 0; i < root->childCount(); ++i)
        out += walk(root->child(i));
    return out;
}

QList<QAccessibleInterface *> withRole(const QList<QAccessibleInterface *> &all, QAccessible::Role role)
{
    QList<QAccessibleInterface *> out;
    for (QAccessibleInterface *iface : all)
        if (iface->role() == role && !iface->state().invisible)
            out.append(iface);
    return out;
}

QAccessibleInterface *named(const QList<QAccessibleInterface *> &all, QAccessible::Role role, const QString &name)
{
    for (QAccessibleInterface *iface : withRole(all, role))
        if (iface->text(QAccessible::Name) == name)
            return iface;
    return nullptr;
}

// The column-0 texts of the table's data rows: what is read, and the whole text.
QStringList columnNames(QAccessibleTableInterface *table)
{
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row)
        out << table->cellAt(row, 0)->text(QAccessible::Name);
    return out;
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
    std::unique_ptr<TSurfWindow> w;
    HttpServer server;
    UrlCatcher catcher;

    QList<QAccessibleInterface *> tree() { return walk(QAccessible::queryAccessibleInterface(w.get())); }
    QAccessibleTableInterface *listTable()
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(child<TListGrid>(&*w, "surfdata"));
        return iface ? iface->tableInterface() : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.listen());
        server.route("/next", HttpResponse::html("<html><body><p>next</p></body></html>"));
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        w = openWindow();
        QVERIFY(w->isVisible());
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        w.reset();
    }

    void theListIsATableWithTheHomePage()
    {
        const QList<QAccessibleInterface *> all = tree();
        const QList<QAccessibleInterface *> tables = withRole(all, QAccessible::Table);
        QCOMPARE(tables.size(), 1);
        QAccessibleInterface *table = tables.first();
        QCOMPARE(table->object(), child<TListGrid>(&*w, "surfdata"));
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("URL list"));
        QAccessibleTableInterface *t = table->tableInterface();
        QVERIFY(t);
        QCOMPARE(t->columnCount(), 2);
        QStringList headers;
        for (QAccessibleInterface *iface : withRole(all, QAccessible::ColumnHeader))
            if (iface->parent() == table)
                headers << iface->text(QAccessible::Name);
        QCOMPARE(headers, (QStringList{QStringLiteral("URL"), QStringLiteral("POST-DATA")}));
        QVERIFY2(columnNames(t).contains(QString::fromLatin1(TSurfWindow::kHomePage)),
                 qPrintable(columnNames(t).join(QLatin1Char('|'))));
        // The table lies in the named list panel.
        QAccessibleInterface *panel = table->parent();
        QCOMPARE(panel->role(), QAccessible::Pane);
        QCOMPARE(panel->text(QAccessible::Name), QStringLiteral("Recorded navigations"));
    }

    void aNavigationAddsARowThatIsRead()
    {
        QAccessibleTableInterface *t = listTable();
        QVERIFY(t);
        const int before = t->rowCount();
        const QString address = server.urlString("/next");
        child<TAddressCombo>(&*w, "AddressBox")->SetText(address);
        w->gotobutton2Click();
        QVERIFY(waitForLoad(child<TWebBrowser>(&*w, "WebBrowser2")));
        QTRY_COMPARE(t->rowCount(), before + 1);
        QAccessibleInterface *cell = t->cellAt(t->rowCount() - 1, 0);
        // A link reads as the list draws it; its whole address is the description.
        QCOMPARE(cell->text(QAccessible::Name), address.mid(address.indexOf(QLatin1String("://")) + 3));
        QCOMPARE(cell->text(QAccessible::Description), address);
        QVERIFY(cell->state().linked);
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().first()->text(QAccessible::Name),
                 QStringLiteral("URL"));
        QVERIFY(tree().contains(cell));
    }

    void toolbarAndPanelsAreNamed_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::newRow("toolbar") << int(QAccessible::ToolBar) << "Toolbar";
        QTest::newRow("address row") << int(QAccessible::Pane) << "Address";
        QTest::newRow("web view's panel") << int(QAccessible::Pane) << "Web page";
        QTest::newRow("list panel") << int(QAccessible::Pane) << "Recorded navigations";
        QTest::newRow("Go!") << int(QAccessible::Button) << "Go!";
        QTest::newRow("Back") << int(QAccessible::Button) << "Back";
        QTest::newRow("Save URLs") << int(QAccessible::Button) << "Save URLs";
    }
    void toolbarAndPanelsAreNamed()
    {
        QFETCH(int, role);
        QFETCH(QString, name);
        QVERIFY(named(tree(), QAccessible::Role(role), name));
    }

    void toolbarHoldsItsButtons()
    {
        QAccessibleInterface *bar = named(tree(), QAccessible::ToolBar, QStringLiteral("Toolbar"));
        QVERIFY(bar);
        QCOMPARE(bar->object(), child<SurfToolBar>(&*w, "ToolBar1"));
        QStringList buttons;
        for (int i = 0; i < bar->childCount(); ++i)
            if (bar->child(i)->role() == QAccessible::Button)
                buttons << bar->child(i)->text(QAccessible::Name);
        QCOMPARE(buttons, (QStringList{"Back", "Forward", "Stop", "Add URL", "Delete URL", "Clear URLs",
                                       "Save URLs", "Close"}));
    }

    void theShownBannerIsNamedAndWorks()
    {
        const QList<QAccessibleInterface *> groups = withRole(tree(), QAccessible::Grouping);
        QList<QAccessibleInterface *> banners;
        for (QAccessibleInterface *g : groups)
            if (qobject_cast<TBannerPanel *>(g->object()))
                banners << g;
        QCOMPARE(banners.size(), 1); // only the shown one
        QAccessibleInterface *banner = banners.first();
        auto *panel = qobject_cast<TBannerPanel *>(banner->object());
        QVERIFY(panel->isVisible());
        QVERIFY2(banner->text(QAccessible::Name).startsWith(QLatin1String("Sponsored by ")),
                 qPrintable(banner->text(QAccessible::Name)));
        QCOMPARE(banner->text(QAccessible::Description), QStringLiteral("Tavorink Trailscribe is sponsored by:"));

        QAccessibleInterface *link = nullptr;
        QAccessibleInterface *close = nullptr;
        for (int i = 0; i < banner->childCount(); ++i) {
            QAccessibleInterface *c = banner->child(i);
            QCOMPARE(banner->indexOfChild(c), i);
            if (c->role() == QAccessible::Link)
                link = c;
            if (c->role() == QAccessible::Button)
                close = c;
        }
        QVERIFY(link);
        QCOMPARE(link->object(), panel->Picture());
        QVERIFY(banner->text(QAccessible::Name).endsWith(link->text(QAccessible::Name).section(QLatin1Char(':'), 0, 0)));
        QVERIFY(close);
        QCOMPARE(close->text(QAccessible::Name), QStringLiteral("Close"));
        QVERIFY(banner->rect().contains(close->rect()));
        QCOMPARE(banner->childAt(close->rect().center().x(), close->rect().center().y()), close);

        // Pressing the picture is the banner click; pressing the close square hides the banner.
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(catcher.opened.size(), 1);
        QVERIFY(catcher.opened.first().toString().endsWith(QLatin1String("?Ref=TrailscribeFreeware")));
        close->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(!panel->isVisible());
        for (QAccessibleInterface *g : withRole(tree(), QAccessible::Grouping))
            QVERIFY(!qobject_cast<TBannerPanel *>(g->object()));
    }

    void tabOrder()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        child<QToolButton>(&*w, "ToolButton1")->setFocus(Qt::TabFocusReason);
        QVERIFY(child<QToolButton>(&*w, "ToolButton1")->hasFocus());
        const QList<QWidget *> expected{child<QToolButton>(&*w, "ToolButton2"), child<QToolButton>(&*w, "ToolButton5"), child<QToolButton>(&*w, "ToolButton10"), child<QToolButton>(&*w, "ToolButton12"),
                                        child<QToolButton>(&*w, "ToolButton13"), child<QToolButton>(&*w, "ToolButton6"), child<QToolButton>(&*w, "ToolButton7"), child<TAddressCombo>(&*w, "AddressBox"),
                                        child<QPushButton>(&*w, "gotobutton")};
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *f = QApplication::focusWidget();
            QVERIFY2(f == next || next->isAncestorOf(f),
                     qPrintable(QStringLiteral("expected %1, got %2").arg(next->objectName(),
                                                                         f ? f->objectName() : QString())));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY2(child<TWebBrowser>(&*w, "WebBrowser2")->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(QApplication::focusWidget()->metaObject()->className() + QStringLiteral(" ")
                                + QApplication::focusWidget()->objectName()));

        // Backwards from the list lands in the page.
        child<TListGrid>(&*w, "surfdata")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(child<TListGrid>(&*w, "surfdata"), Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_VERIFY(child<TWebBrowser>(&*w, "WebBrowser2")->isAncestorOf(QApplication::focusWidget()));
        // A click on a toolbar button leaves the focus where it was.
        child<TListGrid>(&*w, "surfdata")->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(child<QToolButton>(&*w, "ToolButton5"), Qt::LeftButton);
        QVERIFY(child<TListGrid>(&*w, "surfdata")->hasFocus());
    }

    void externalWindowIsNamed()
    {
        w->externalWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(w->externalWindow()));
        const QList<QAccessibleInterface *> all = walk(QAccessible::queryAccessibleInterface(w->externalWindow()));

        QVERIFY(named(all, QAccessible::Pane, QStringLiteral("Address")));
        QAccessibleInterface *url = named(all, QAccessible::EditableText, QStringLiteral("URL"));
        QVERIFY(url);
        QCOMPARE(url->object(), child<QLineEdit>(w->externalWindow(), "url1"));
        QVERIFY(named(all, QAccessible::Button, QStringLiteral("Close Window")));
        QVERIFY(!withRole(all, QAccessible::Separator).isEmpty());
        w->externalWindow()->hide();
    }
};

TS_APP_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
