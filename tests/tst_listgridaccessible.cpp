// The URL list as assistive technology reads it: a table of data rows under column headers,
// cells with their texts, the current cell as the focus, and row changes announced.
#include "urllist/listgrid.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QtTest>

namespace {

struct SeenEvent
{
    QAccessible::Event type;
    QAccessible::Id target; // the interface the event is about, cells resolved
    QAccessibleTableModelChangeEvent::ModelChangeType change;
    int firstRow;
    int lastRow;
};

QList<SeenEvent> g_events;

void recordEvent(QAccessibleEvent *event)
{
    QAccessibleInterface *iface = event->accessibleInterface();
    SeenEvent seen{event->type(), iface ? QAccessible::uniqueId(iface) : 0,
                   QAccessibleTableModelChangeEvent::ModelReset, -1, -1};
    if (event->type() == QAccessible::TableModelChanged) {
        const auto *change = static_cast<QAccessibleTableModelChangeEvent *>(event);
        seen.change = change->modelChangeType();
        seen.firstRow = change->firstRow();
        seen.lastRow = change->lastRow();
    }
    g_events.append(seen);
}

QList<SeenEvent> eventsOf(QAccessible::Event type)
{
    QList<SeenEvent> out;
    for (const SeenEvent &e : std::as_const(g_events))
        if (e.type == type)
            out.append(e);
    return out;
}

// A window with an edit that has the focus and the list under it.
struct Fixture
{
    QWidget window;
    QLineEdit *edit;
    TListGrid *grid;

    explicit Fixture(int dataRows)
    {
        auto *layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        grid = new TListGrid(&window);
        layout->addWidget(edit);
        layout->addWidget(grid);
        window.resize(500, 300);
        grid->SetRowCount(dataRows + 1);
        window.show();
        window.activateWindow();
        edit->setFocus();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }
    QAccessibleInterface *table() const { return QAccessible::queryAccessibleInterface(grid); }
    QAccessibleTableInterface *tableIface() const { return table()->tableInterface(); }
    QAccessibleInterface *cell(int dataRow, int col) const { return tableIface()->cellAt(dataRow, col); }
};

} // namespace

class TstListGridAccessible : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(recordEvent);
        // Switched on by the platform's bridge once it reaches the accessibility bus.
        QTRY_VERIFY2_WITH_TIMEOUT(QAccessible::isActive(), "accessibility is off: no AT-SPI bus", 10000);
    }
    void init() { g_events.clear(); }

    void tableOfDataRowsUnderColumnHeaders();
    void cellTexts_data();
    void cellTexts();
    void currentCellIsTheFocus();
    void rowChangesAreAnnounced();
    void changedCellsAreAnnounced();
    void cellActions();
    void popupMenuFromTheKeyboard_data();
    void popupMenuFromTheKeyboard();
};

void TstListGridAccessible::tableOfDataRowsUnderColumnHeaders()
{
    Fixture f(3);
    QVERIFY(f.ready());
    QAccessibleInterface *table = f.table();
    QVERIFY(table);
    QCOMPARE(table->role(), QAccessible::Table);
    QAccessibleTableInterface *t = table->tableInterface();
    QVERIFY(t);
    QCOMPARE(t->rowCount(), 3);
    QCOMPARE(t->columnCount(), 2);
    QCOMPARE(t->columnDescription(0), QStringLiteral("URL"));
    QCOMPARE(t->columnDescription(1), QStringLiteral("POST-DATA"));
    QVERIFY(!t->cellAt(3, 0));
    QVERIFY(!t->cellAt(0, 2));
    QVERIFY(!t->cellAt(-1, 0));

    // Children: the two heading cells, then the cells row by row.
    QCOMPARE(table->childCount(), 8);
    const QStringList headings{QStringLiteral("URL"), QStringLiteral("POST-DATA")};
    for (int col = 0; col < 2; ++col) {
        QAccessibleInterface *heading = table->child(col);
        QVERIFY(heading);
        QCOMPARE(heading->role(), QAccessible::ColumnHeader);
        QCOMPARE(heading->text(QAccessible::Name), headings[col]);
        QCOMPARE(heading->parent(), table);
        QCOMPARE(table->indexOfChild(heading), col);
    }
    f.grid->SetCellText(0, 2, "second");
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col) {
            QAccessibleInterface *cell = t->cellAt(row, col);
            QVERIFY(cell);
            QCOMPARE(cell->role(), QAccessible::Cell);
            QCOMPARE(cell->parent(), table);
            QCOMPARE(table->indexOfChild(cell), (row + 1) * 2 + col);
            QCOMPARE(table->child((row + 1) * 2 + col), cell);
            QAccessibleTableCellInterface *c = cell->tableCellInterface();
            QVERIFY(c);
            QCOMPARE(c->rowIndex(), row);
            QCOMPARE(c->columnIndex(), col);
            QCOMPARE(c->table(), table);
            const QList<QAccessibleInterface *> headers = c->columnHeaderCells();
            QCOMPARE(headers.size(), 1);
            QCOMPARE(headers.first()->text(QAccessible::Name), headings[col]);
        }
    QCOMPARE(t->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("second"));

    // A point on the screen finds the cell drawn there.
    const QRect r = f.grid->CellRect(1, 2);
    const QPoint centre = f.grid->viewport()->mapToGlobal(r.center());
    QCOMPARE(table->childAt(centre.x(), centre.y()), t->cellAt(1, 1));
    QCOMPARE(t->cellAt(1, 1)->rect(), QRect(f.grid->viewport()->mapToGlobal(r.topLeft()), r.size()));
}

void TstListGridAccessible::cellTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("link");
    QTest::newRow("plain") << QByteArray("about:blank") << "about:blank" << false;
    QTest::newRow("POST text: its first line")
        << QByteArray("a=1&b=2\r\nc=3\r\n") << "a=1&b=2" << false;
    QTest::newRow("link: as drawn") << QByteArray("http://example.invalid/page?q=1")
                                    << "example.invalid/page?q=1" << true;
    QTest::newRow("mail link") << QByteArray("mailto:someone@example.invalid") << "someone@example.invalid"
                               << true;
    QTest::newRow("8-bit text") << QByteArray("caf\xc3\xa9=1") << QString::fromUtf8("caf\xc3\xa9=1")
                                << false;
    QTest::newRow("empty") << QByteArray() << QString() << false;
}

void TstListGridAccessible::cellTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, name);
    QFETCH(bool, link);
    Fixture f(2);
    QVERIFY(f.ready());
    f.grid->SetCellText(1, 2, text);
    QAccessibleInterface *cell = f.cell(1, 1);
    QCOMPARE(cell->text(QAccessible::Name), name);
    QCOMPARE(cell->text(QAccessible::Description), QString::fromUtf8(text));
    QCOMPARE(bool(cell->state().linked), link);
    QAccessibleActionInterface *actions = cell->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()), link);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::setFocusAction()));
    // The neighbour keeps its own text.
    QCOMPARE(f.cell(1, 0)->text(QAccessible::Name), QString());
}

void TstListGridAccessible::currentCellIsTheFocus()
{
    Fixture f(5);
    QVERIFY(f.ready());
    QAccessibleInterface *table = f.table();
    QVERIFY(!table->focusChild());
    QVERIFY(!f.cell(0, 0)->state().focused);
    QVERIFY(f.cell(0, 0)->state().selected);

    // Moving the current cell while the list lacks the focus announces nothing.
    f.grid->SetCurrentCell(0, 3);
    QCOMPARE(f.grid->CurrentRow(), 3);
    for (const SeenEvent &e : eventsOf(QAccessible::Focus)) {
        QAccessibleInterface *target = QAccessible::accessibleInterface(e.target);
        QVERIFY(target && target != table && target->parent() != table);
    }

    // Taking the focus: the list's own focus event, then its current cell's.
    g_events.clear();
    f.grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!eventsOf(QAccessible::Focus).isEmpty()
                && eventsOf(QAccessible::Focus).last().target == QAccessible::uniqueId(f.cell(2, 0)));
    QCOMPARE(table->focusChild(), f.cell(2, 0));
    QVERIFY(f.cell(2, 0)->state().focused);
    QVERIFY(!f.cell(1, 0)->state().focused);
    QCOMPARE(f.tableIface()->selectedCells(), QList<QAccessibleInterface *>{f.cell(2, 0)});

    struct Move
    {
        Qt::Key key;
        int row;
        int col;
    };
    for (const Move &m : {Move{Qt::Key_Down, 3, 0}, Move{Qt::Key_Right, 3, 1}, Move{Qt::Key_Up, 2, 1}}) {
        g_events.clear();
        QTest::keyClick(f.grid, m.key);
        const QList<SeenEvent> focus = eventsOf(QAccessible::Focus);
        QCOMPARE(focus.size(), 1);
        QCOMPARE(focus.first().target, QAccessible::uniqueId(f.cell(m.row, m.col)));
        QCOMPARE(table->focusChild(), f.cell(m.row, m.col));
    }
    // A key that does not move announces nothing.
    f.grid->SetCurrentCell(1, 1);
    g_events.clear();
    QTest::keyClick(f.grid, Qt::Key_Up);
    QVERIFY(eventsOf(QAccessible::Focus).isEmpty());

    // Removing the current row moves the current cell, and the focus with it.
    f.grid->SetCurrentCell(0, 5);
    g_events.clear();
    f.grid->SetRowCount(3);
    QVERIFY(!eventsOf(QAccessible::Focus).isEmpty());
    QCOMPARE(eventsOf(QAccessible::Focus).last().target, QAccessible::uniqueId(f.cell(1, 0)));

    f.edit->setFocus();
    QTRY_VERIFY(!table->focusChild());
}

void TstListGridAccessible::rowChangesAreAnnounced()
{
    Fixture f(1);
    QVERIFY(f.ready());
    QAccessibleInterface *table = f.table();
    const QAccessible::Id tableId = QAccessible::uniqueId(table);
    auto lastChange = [] {
        const QList<SeenEvent> changes = eventsOf(QAccessible::TableModelChanged);
        return changes.isEmpty() ? SeenEvent{} : changes.last();
    };

    f.grid->SetRowCount(5); // data rows 1..3 added
    QCOMPARE(eventsOf(QAccessible::TableModelChanged).size(), 1);
    QCOMPARE(lastChange().target, tableId);
    QCOMPARE(lastChange().change, QAccessibleTableModelChangeEvent::RowsInserted);
    QCOMPARE(lastChange().firstRow, 1);
    QCOMPARE(lastChange().lastRow, 3);
    QCOMPARE(f.tableIface()->rowCount(), 4);

    for (int r = 1; r <= 4; ++r)
        f.grid->SetCellText(0, r, "row" + QByteArray::number(r));
    QAccessibleInterface *kept = f.cell(3, 0); // "row4"
    const QAccessible::Id keptId = QAccessible::uniqueId(kept);
    const QAccessible::Id goneId = QAccessible::uniqueId(f.cell(1, 0)); // "row2"

    g_events.clear();
    f.grid->DeleteRows(2, 2); // "row2" and "row3"
    QCOMPARE(eventsOf(QAccessible::TableModelChanged).size(), 1);
    QCOMPARE(lastChange().change, QAccessibleTableModelChangeEvent::RowsRemoved);
    QCOMPARE(lastChange().firstRow, 1);
    QCOMPARE(lastChange().lastRow, 2);
    QCOMPARE(f.tableIface()->rowCount(), 2);
    // A cell keeps its interface while rows before it go; the cells of removed rows go with them.
    QCOMPARE(QAccessible::accessibleInterface(keptId), kept);
    QCOMPARE(f.cell(1, 0), kept);
    QCOMPARE(kept->text(QAccessible::Name), QStringLiteral("row4"));
    QCOMPARE(kept->tableCellInterface()->rowIndex(), 1);
    QVERIFY(!QAccessible::accessibleInterface(goneId));

    // Clearing the list as "Clear URLs" does: the texts go, then all rows but one.
    g_events.clear();
    f.grid->ClearDataCells();
    f.grid->SetRowCount(2);
    QCOMPARE(lastChange().change, QAccessibleTableModelChangeEvent::RowsRemoved);
    QCOMPARE(lastChange().firstRow, 1);
    QCOMPARE(lastChange().lastRow, 1);
    QCOMPARE(f.tableIface()->rowCount(), 1);
    QCOMPARE(f.cell(0, 0)->text(QAccessible::Name), QString());
    QVERIFY(!QAccessible::accessibleInterface(keptId));
}

void TstListGridAccessible::changedCellsAreAnnounced()
{
    Fixture f(2);
    QVERIFY(f.ready());
    const QAccessible::Id cellId = QAccessible::uniqueId(f.cell(1, 1));
    f.grid->SetCellText(1, 2, "x=1");
    QList<QAccessible::Event> seen;
    for (const SeenEvent &e : std::as_const(g_events))
        if (e.target == cellId)
            seen.append(e.type);
    QCOMPARE(seen, (QList<QAccessible::Event>{QAccessible::NameChanged, QAccessible::DescriptionChanged}));
}

void TstListGridAccessible::cellActions()
{
    Fixture f(3);
    QVERIFY(f.ready());
    f.grid->SetCellText(0, 3, "http://example.invalid/a");
    f.grid->SetCellText(1, 2, "plain");
    struct Click
    {
        int row, col;
        QByteArray anchor;
    };
    QList<Click> clicks;
    connect(f.grid, &TListGrid::AnchorClick, f.grid,
            [&](TListGrid *, int row, int col, const QByteArray &anchor, bool *autoHandle) {
                clicks.append({row, col, anchor});
                *autoHandle = false;
            });

    // Pressing a link cell is the link click: the handler runs, the current cell and the focus stay.
    f.cell(2, 0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.first().row, 3);
    QCOMPARE(clicks.first().col, 0);
    QCOMPARE(clicks.first().anchor, QByteArray("http://example.invalid/a"));
    QCOMPARE(f.grid->CurrentRow(), 1);
    QVERIFY(f.edit->hasFocus());

    // A plain cell has no press; its focus action makes it current and gives the list the focus.
    f.cell(1, 1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(f.grid->CurrentRow(), 1);
    f.cell(1, 1)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
    QCOMPARE(f.grid->CurrentRow(), 2);
    QCOMPARE(f.grid->CurrentCol(), 1);
    QVERIFY(f.grid->hasFocus());
    QCOMPARE(clicks.size(), 1);

    // Heading cells do nothing.
    QVERIFY(f.table()->child(0)->actionInterface()->actionNames().isEmpty());
}

void TstListGridAccessible::popupMenuFromTheKeyboard_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Shift+F10") << "shift-f10";
    QTest::newRow("context-menu key") << "menu-key";
    QTest::newRow("keyboard context-menu event") << "event";
    QTest::newRow("show-menu action") << "action";
}

void TstListGridAccessible::popupMenuFromTheKeyboard()
{
    QFETCH(QString, how);
    Fixture f(4);
    QVERIFY(f.ready());
    QMenu menu;
    menu.addAction(QStringLiteral("Copy URL"));
    f.grid->setPopupMenu(&menu);
    f.grid->setFocus(Qt::TabFocusReason);
    f.grid->SetCurrentCell(1, 3);
    if (how == QLatin1String("shift-f10")) {
        QTest::keyClick(f.grid, Qt::Key_F10, Qt::ShiftModifier);
    } else if (how == QLatin1String("menu-key")) {
        QTest::keyClick(f.grid, Qt::Key_Menu);
    } else if (how == QLatin1String("event")) {
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(0, 0), f.grid->mapToGlobal(QPoint(0, 0)), Qt::NoModifier);
        QApplication::sendEvent(f.grid, &e);
    } else {
        QAccessibleActionInterface *actions = f.table()->actionInterface();
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
        actions->doAction(QAccessibleActionInterface::showMenuAction());
    }
    QTRY_VERIFY(menu.isVisible());
    QCOMPARE(menu.property("popupComponent").value<QObject *>(), f.grid);
    // At the current cell, which stays where it is.
    const QRect cell = f.grid->CellRect(1, 3);
    QCOMPARE(menu.pos(), f.grid->viewport()->mapToGlobal(cell.center()));
    QCOMPARE(f.grid->CurrentRow(), 3);
    menu.hide();

    // F10 alone is not the menu's key.
    QTest::keyClick(f.grid, Qt::Key_F10);
    QTest::qWait(20);
    QVERIFY(!menu.isVisible());
}

QTEST_MAIN(TstListGridAccessible)
#include "tst_listgridaccessible.moc"
