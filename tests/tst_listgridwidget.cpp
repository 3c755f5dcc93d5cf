// The URL list under the user's mouse and keys.
#include "common/fonts.h"
#include "urllist/listgrid.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {
struct AnchorCall
{
    TListGrid *sender;
    int row;
    int col;
    QByteArray anchor;
    bool autoHandleOnEntry;
};

// A window with an address field that has the focus and the list under it.
struct Fixture
{
    QWidget window;
    QLineEdit *edit;
    TListGrid *grid;
    QList<AnchorCall> calls;

    explicit Fixture(int rows, QSize size = QSize(500, 300))
    {
        auto *layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        grid = new TListGrid(&window);
        layout->addWidget(edit);
        layout->addWidget(grid);
        window.resize(size);
        grid->SetRowCount(rows + 1);
        window.show();
        window.activateWindow();
        edit->setFocus();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }
    // The handler of the program: records the call and clears AutoHandle.
    void recordClicks(bool clearAutoHandle = true)
    {
        QObject::connect(grid, &TListGrid::AnchorClick, grid,
                         [this, clearAutoHandle](TListGrid *s, int row, int col,
                                                 const QByteArray &anchor, bool *autoHandle) {
                             calls.append({s, row, col, anchor, *autoHandle});
                             if (clearAutoHandle)
                                 *autoHandle = false;
                         });
    }
    QWidget *vp() const { return grid->viewport(); }
    QPoint rightPartOf(int col, int row) const
    {
        const QRect r = grid->CellRect(col, row);
        return QPoint(r.right() - 4, r.center().y());
    }
    void move(const QPoint &pos, Qt::MouseButtons buttons = Qt::NoButton)
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(pos), QPointF(vp()->mapToGlobal(pos)),
                      Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp(), &e);
    }
    void wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWheelEvent e(QPointF(20, 40), QPointF(vp()->mapToGlobal(QPoint(20, 40))), QPoint(),
                      QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(vp(), &e);
    }
    Qt::CursorShape pointer() const { return vp()->cursor().shape(); }
};

class OpenRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class PaintSpy : public QObject
{
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};
} // namespace

class TstListGridWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void linkClick_data();
    void linkClick();
    void plainClickSelectsAndFocuses();
    void doubleClickRaisesOnce();
    void rightClickKeepsCurrentCell();
    void autoHandle_data();
    void autoHandle();
    void pointer();
    void keyboard();
    void wheelMovesCurrentRow();
    void panning_data();
    void panning();
    void columnSizing();
    void setCellTextRepaintsOnlyThatCell();
    void scrollBars();
    void screenshot();
};

void TstListGridWidget::linkClick_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("url") << 0 << QByteArray("ftp://a/b?c=1");
    QTest::newRow("post text") << 1 << QByteArray("u=ftp://x");
    QTest::newRow("two lines") << 1 << QByteArray("a\r\nb=ftp://c");
    QTest::newRow("mailto") << 0 << QByteArray("mailto:x");
}

void TstListGridWidget::linkClick()
{
    QFETCH(int, col);
    QFETCH(QByteArray, text);
    Fixture f(4);
    QVERIFY(f.ready());
    f.grid->SetCellText(col, 2, text);
    f.grid->SetCurrentCell(1 - col, 3);
    f.recordClicks();
    // Far right of the text: the whole cell is the link.
    QTest::mouseClick(f.vp(), Qt::LeftButton, {}, f.rightPartOf(col, 2));
    QCOMPARE(f.calls.size(), 1);
    QCOMPARE(f.calls[0].sender, f.grid);
    QCOMPARE(f.calls[0].row, 2);
    QCOMPARE(f.calls[0].col, col);
    QCOMPARE(f.calls[0].anchor, text);
    QVERIFY(f.calls[0].autoHandleOnEntry);
    QCOMPARE(f.grid->CurrentRow(), 3);
    QCOMPARE(f.grid->CurrentCol(), 1 - col);
    QCOMPARE(f.grid->Selection().Top, 3);
    QVERIFY(f.edit->hasFocus());
}

void TstListGridWidget::plainClickSelectsAndFocuses()
{
    Fixture f(4);
    QVERIFY(f.ready());
    f.grid->SetCellText(1, 2, "about:blank");
    f.recordClicks();
    QTest::mouseClick(f.vp(), Qt::LeftButton, {}, f.rightPartOf(1, 2));
    QVERIFY(f.calls.isEmpty());
    QCOMPARE(f.grid->CurrentRow(), 2);
    QCOMPARE(f.grid->CurrentCol(), 1);
    QVERIFY(f.grid->hasFocus());
    // A click on a heading cell selects nothing.
    QTest::mouseClick(f.vp(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(f.grid->CurrentRow(), 2);
}

void TstListGridWidget::doubleClickRaisesOnce()
{
    Fixture f(3);
    QVERIFY(f.ready());
    f.grid->SetCellText(0, 2, "http://example.com/");
    f.recordClicks();
    QSignalSpy doubleClicks(f.grid, &TListGrid::CellDoubleClick);
    const QPoint p = f.rightPartOf(0, 2);
    QTest::mousePress(f.vp(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, p);
    QCOMPARE(f.calls.size(), 1);
    QCOMPARE(f.grid->CurrentRow(), 1);
    QVERIFY(f.edit->hasFocus());
    // A link is not double-clicked, a heading cell neither; another data cell is, once, after
    // its first press made it current.
    QVERIFY(doubleClicks.isEmpty());
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(doubleClicks.isEmpty());
    f.grid->SetCellText(1, 2, "a=1");
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, f.rightPartOf(1, 2));
    QCOMPARE(doubleClicks.size(), 1);
    QCOMPARE(doubleClicks.at(0).at(0).value<TListGrid *>(), f.grid);
    QCOMPARE(doubleClicks.at(0).at(1).toInt(), 1);
    QCOMPARE(doubleClicks.at(0).at(2).toInt(), 2);
    QCOMPARE(f.grid->CurrentRow(), 2);
    QCOMPARE(f.grid->CurrentCol(), 1);
}

void TstListGridWidget::rightClickKeepsCurrentCell()
{
    Fixture f(3);
    QVERIFY(f.ready());
    QMenu menu;
    menu.addAction("Copy URL");
    f.grid->setPopupMenu(&menu);
    QCOMPARE(f.grid->popupMenu(), &menu);
    f.grid->SetCellText(0, 3, "http://example.com/");
    f.grid->SetCellText(0, 2, "about:blank");
    f.recordClicks();
    for (int row : {3, 2}) {
        QTest::mousePress(f.vp(), Qt::RightButton, {}, f.rightPartOf(0, row));
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(menu.property("popupComponent").value<QObject *>(), f.grid);
        QCOMPARE(f.grid->CurrentRow(), 1);
        QVERIFY(f.calls.isEmpty());
        menu.hide();
        QTRY_VERIFY(!menu.isVisible());
    }
}

void TstListGridWidget::autoHandle_data()
{
    QTest::addColumn<QByteArray>("anchor");
    QTest::addColumn<bool>("withHandler");
    QTest::addColumn<QString>("opened"); // empty: nothing reaches the desktop
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("currentCol");
    QTest::newRow("http") << QByteArray("http://example.invalid/x") << true
                          << "http://example.invalid/x" << 1 << 0;
    QTest::newRow("no handler") << QByteArray("mailto:x@example.invalid") << false
                                << "mailto:x@example.invalid" << 1 << 0;
    QTest::newRow("file") << QByteArray("file:///bin/sh") << true << QString() << 1 << 0;
    QTest::newRow("post text") << QByteArray("u=ftp://x") << true << QString() << 1 << 0;
    QTest::newRow("cell") << QByteArray("CELL://R4C1") << true << QString() << 4 << 1;
    QTest::newRow("no such cell") << QByteArray("cell://R9C0") << false << QString() << 1 << 0;
}

void TstListGridWidget::autoHandle()
{
    QFETCH(QByteArray, anchor);
    QFETCH(bool, withHandler);
    QFETCH(QString, opened);
    QFETCH(int, currentRow);
    QFETCH(int, currentCol);
    OpenRecorder recorder;
    const QStringList schemes{"http", "https", "ftp", "mailto", "file", "u=ftp", "cell"};
    for (const QString &s : schemes)
        QDesktopServices::setUrlHandler(s, &recorder, "open");
    Fixture f(4, QSize(500, 400));
    QVERIFY(f.ready());
    f.grid->SetCellText(0, 2, anchor);
    if (withHandler)
        f.recordClicks(false);
    QTest::mouseClick(f.vp(), Qt::LeftButton, {}, f.rightPartOf(0, 2));
    for (const QString &s : schemes)
        QDesktopServices::unsetUrlHandler(s);
    QCOMPARE(f.calls.size(), withHandler ? 1 : 0);
    if (opened.isEmpty()) {
        QVERIFY(recorder.opened.isEmpty());
    } else {
        QCOMPARE(recorder.opened.size(), 1);
        QCOMPARE(recorder.opened[0], QUrl(opened));
    }
    QCOMPARE(f.grid->CurrentRow(), currentRow);
    QCOMPARE(f.grid->CurrentCol(), currentCol);
}

void TstListGridWidget::pointer()
{
    Fixture f(3);
    QVERIFY(f.ready());
    f.grid->SetColWidth(0, 200);
    f.grid->SetCellText(0, 1, "http://a/");
    f.grid->SetCellText(0, 2, "about:blank");
    f.move(f.rightPartOf(0, 1));
    QCOMPARE(f.pointer(), Qt::PointingHandCursor);
    f.move(f.rightPartOf(0, 2));
    QCOMPARE(f.pointer(), Qt::ArrowCursor);
    f.move(f.rightPartOf(0, 1));
    f.grid->SetCellText(0, 1, "a.html"); // no longer a link
    f.move(f.rightPartOf(0, 1) - QPoint(1, 0));
    QCOMPARE(f.pointer(), Qt::ArrowCursor);
    f.move(QPoint(201, 8));
    QCOMPARE(f.pointer(), Qt::SplitHCursor);
    f.move(QPoint(100, 8));
    QCOMPARE(f.pointer(), Qt::ArrowCursor);
}

void TstListGridWidget::keyboard()
{
    Fixture f(30, QSize(500, 200));
    QVERIFY(f.ready());
    QTest::keyClick(f.edit, Qt::Key_Tab); // the list can be reached with the Tab key
    QVERIFY(f.grid->hasFocus());
    for (int r = 1; r <= 30; ++r)
        f.grid->SetCellText(0, r, QByteArray::number(r));
    QTest::keyClick(f.grid, Qt::Key_Up);
    QCOMPARE(f.grid->CurrentRow(), 1);
    QTest::keyClick(f.grid, Qt::Key_Down);
    QCOMPARE(f.grid->CurrentRow(), 2);
    QTest::keyClick(f.grid, Qt::Key_Right);
    QCOMPARE(f.grid->CurrentCol(), 1);
    QTest::keyClick(f.grid, Qt::Key_Right);
    QCOMPARE(f.grid->CurrentCol(), 1);
    QTest::keyClick(f.grid, Qt::Key_Home);
    QCOMPARE(f.grid->CurrentCol(), 0);
    QTest::keyClick(f.grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.grid->CurrentRow(), 30);
    QCOMPARE(f.grid->CurrentCol(), 1);
    const QRect last = f.grid->CellRect(1, 30);
    QVERIFY(!last.isEmpty() && f.vp()->rect().contains(last));
    QTest::keyClick(f.grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(f.grid->CurrentRow(), 1);
    QCOMPARE(f.grid->TopRow(), 1);
    const int page = f.grid->verticalScrollBar()->pageStep();
    QVERIFY(page > 1);
    QTest::keyClick(f.grid, Qt::Key_PageDown);
    QCOMPARE(f.grid->CurrentRow(), 1 + page);
    QTest::keyClick(f.grid, Qt::Key_PageUp);
    QCOMPARE(f.grid->CurrentRow(), 1);
    // No key edits, inserts, deletes or copies.
    QTest::keyClicks(f.grid, "xy");
    QTest::keyClick(f.grid, Qt::Key_Delete);
    QTest::keyClick(f.grid, Qt::Key_Insert);
    QTest::keyClick(f.grid, Qt::Key_F2);
    QTest::keyClick(f.grid, Qt::Key_Return);
    QCOMPARE(f.grid->RowCount(), 31);
    QCOMPARE(f.grid->CellText(0, 1), QByteArray("1"));
    QCOMPARE(f.grid->CurrentRow(), 1);
}

void TstListGridWidget::wheelMovesCurrentRow()
{
    QApplication::setWheelScrollLines(3);
    Fixture f(3);
    QVERIFY(f.ready());
    f.wheel(-120); // towards the user: row 4, held at the last row
    QCOMPARE(f.grid->CurrentRow(), 3);
    f.wheel(120);
    QCOMPARE(f.grid->CurrentRow(), 1);
    QCOMPARE(f.grid->CurrentCol(), 0);
    f.grid->SetRowCount(41);
    f.wheel(-60); // half a notch does nothing yet
    QCOMPARE(f.grid->CurrentRow(), 1);
    f.wheel(-60);
    QCOMPARE(f.grid->CurrentRow(), 4);
    f.wheel(-240);
    QCOMPARE(f.grid->CurrentRow(), 10);
    QVERIFY(f.vp()->rect().contains(f.grid->CellRect(0, 10)));
    QCOMPARE(f.grid->ZoomOffset(), 0);
    QApplication::setWheelScrollLines(1);
    f.wheel(-120);
    QCOMPARE(f.grid->CurrentRow(), 11);
}

void TstListGridWidget::panning_data()
{
    QTest::addColumn<QString>("ender");
    QTest::newRow("key") << "key";
    QTest::newRow("left press") << "left";
    QTest::newRow("right press") << "right";
    QTest::newRow("middle press") << "middle";
}

void TstListGridWidget::panning()
{
    QFETCH(QString, ender);
    Fixture f(20, QSize(500, 300));
    QVERIFY(f.ready());
    QMenu menu;
    f.grid->setPopupMenu(&menu);
    f.grid->SetCurrentCell(1, 5);
    const QPoint origin(100, 80);
    QTest::mousePress(f.vp(), Qt::MiddleButton, {}, origin);
    QTest::mouseRelease(f.vp(), Qt::MiddleButton, {}, origin);
    QVERIFY(f.grid->IsPanning());
    QCOMPARE(QWidget::mouseGrabber(), f.vp());
    QCOMPARE(f.pointer(), Qt::SizeVerCursor);
    QCOMPARE(f.grid->CurrentRow(), 5);

    // Within 5 pixels nothing moves; sideways movement neither.
    f.move(origin + QPoint(40, 5));
    QTest::qWait(60);
    QCOMPARE(f.grid->CurrentRow(), 5);

    f.move(origin + QPoint(0, 30));
    QTRY_COMPARE(f.grid->CurrentRow(), 20); // down to the last row, and no further
    QCOMPARE(f.pointer(), Qt::BitmapCursor);
    QCOMPARE(f.grid->CurrentCol(), 1);
    f.move(origin - QPoint(0, 6));
    QTRY_COMPARE(f.grid->CurrentRow(), 1); // up to the first data row
    QTest::qWait(30);
    QCOMPARE(f.grid->CurrentRow(), 1);
    f.move(origin + QPoint(0, 12));
    QTRY_VERIFY(f.grid->CurrentRow() >= 3);

    if (ender == "key")
        QTest::keyClick(f.grid, Qt::Key_Escape);
    else if (ender == "left")
        QTest::mousePress(f.vp(), Qt::LeftButton, {}, origin + QPoint(0, 12));
    else if (ender == "right")
        QTest::mousePress(f.vp(), Qt::RightButton, {}, origin + QPoint(0, 12));
    else
        QTest::mousePress(f.vp(), Qt::MiddleButton, {}, origin + QPoint(0, 12));
    QVERIFY(!f.grid->IsPanning());
    QVERIFY(QWidget::mouseGrabber() != f.vp());
    QCOMPARE(f.pointer(), Qt::ArrowCursor);
    QVERIFY(!menu.isVisible()); // the ending press does nothing else
    const int row = f.grid->CurrentRow();
    f.move(origin + QPoint(0, 40));
    QTest::qWait(60);
    QCOMPARE(f.grid->CurrentRow(), row);
}

void TstListGridWidget::columnSizing()
{
    Fixture f(3);
    QVERIFY(f.ready());
    f.grid->SetCurrentCell(1, 2);
    const int border = f.grid->ColWidth(0);
    QTest::mousePress(f.vp(), Qt::LeftButton, {}, QPoint(border - 1, 10));
    QTest::mouseMove(f.vp(), QPoint(150, 12));
    QTest::mouseMove(f.vp(), QPoint(220, 12));
    QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, QPoint(220, 12));
    QCOMPARE(f.grid->ColWidth(0), 220);
    QCOMPARE(f.grid->ColWidth(1), f.vp()->width() - 221);
    QCOMPARE(f.grid->CurrentRow(), 2);
    QCOMPARE(f.grid->CurrentCol(), 1);

    // A double click on the border fits column 0, from either side of it.
    f.grid->SetCellText(0, 3, "http://www.example.com/a/rather/long/path");
    const int fitted = QFontMetrics(tahoma8()).horizontalAdvance("www.example.com/a/rather/long/path") + 10;
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, QPoint(220 + 2, 10));
    QCOMPARE(f.grid->ColWidth(0), fitted);
    f.grid->SetColWidth(0, 300);
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, QPoint(300 - 3, 10));
    QCOMPARE(f.grid->ColWidth(0), fitted);
    // Away from a border a double click in the heading does nothing.
    f.grid->SetColWidth(0, 300);
    QTest::mouseDClick(f.vp(), Qt::LeftButton, {}, QPoint(150, 10));
    QCOMPARE(f.grid->ColWidth(0), 300);
    // Dragging in a data row does not size.
    QTest::mousePress(f.vp(), Qt::LeftButton, {}, QPoint(299, 30));
    QTest::mouseMove(f.vp(), QPoint(100, 30));
    QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, QPoint(100, 30));
    QCOMPARE(f.grid->ColWidth(0), 300);
}

void TstListGridWidget::setCellTextRepaintsOnlyThatCell()
{
    Fixture f(5);
    QVERIFY(f.ready());
    PaintSpy spy;
    f.vp()->installEventFilter(&spy);
    QTest::qWait(50);
    spy.painted = QRegion();
    f.grid->SetCellText(0, 3, "http://example.com/");
    QTRY_VERIFY(!spy.painted.isEmpty());
    QTest::qWait(30);
    QCOMPARE(spy.painted, QRegion(f.grid->CellRect(0, 3)));
}

void TstListGridWidget::scrollBars()
{
    Fixture f(3, QSize(500, 300));
    QVERIFY(f.ready());
    QCOMPARE(f.grid->verticalScrollBar()->maximum(), 0);
    QCOMPARE(f.grid->horizontalScrollBar()->maximum(), 0);
    f.grid->SetRowCount(101);
    QScrollBar *v = f.grid->verticalScrollBar();
    const int visible = v->pageStep();
    QVERIFY(visible > 2 && visible < 100);
    QCOMPARE(v->maximum(), 100 - visible);
    QCOMPARE(f.grid->LastTopRow(), 101 - visible);
    v->setValue(v->maximum());
    QCOMPARE(f.grid->TopRow(), 101 - visible);
    QVERIFY(f.vp()->rect().contains(f.grid->CellRect(0, 100)));
    // Deleting near the end keeps the last page full.
    f.grid->SetCurrentCell(0, 100);
    f.grid->DeleteRows(100, 1);
    QCOMPARE(f.grid->TopRow(), f.grid->LastTopRow());
    QCOMPARE(f.grid->CurrentRow(), 99);
}

void TstListGridWidget::screenshot()
{
    const QString path = qEnvironmentVariable("TS_GRID_SCREENSHOT");
    if (path.isEmpty())
        QSKIP("set TS_GRID_SCREENSHOT to a file name to save a picture of the list");
    Fixture f(8, QSize(640, 230));
    QVERIFY(f.ready());
    const QList<QPair<QByteArray, QByteArray>> rows{
        {"http://www.example.com/", ""},
        {"https://www.example.com/search?q=trail&lang=en", ""},
        {"about:blank", ""},
        {"http://www.example.com/login.asp", "user=ann&pass=secret&remember=1"},
        {"http://www.example.com/upload", "-----boundary\r\nContent-Disposition: form-data"},
        {"ftp://files.example.com/pub/readme.txt", "next=http://www.example.com/done"},
        {"mailto:info@example.com", "a\tb & c"},
        {"http://www.example.com/frame.html", ""}};
    for (int i = 0; i < rows.size(); ++i) {
        f.grid->SetCellText(0, i + 1, rows[i].first);
        f.grid->SetCellText(1, i + 1, rows[i].second);
    }
    f.grid->FitColumnWidth(0);
    f.grid->setFocus();
    f.grid->SetCurrentCell(0, 4);
    QTest::qWait(100);
    QPixmap shot = QGuiApplication::platformName() == "xcb"
                       ? f.window.screen()->grabWindow(f.window.winId())
                       : f.window.grab();
    QVERIFY(shot.save(path));
}

QTEST_MAIN(TstListGridWidget)
#include "tst_listgridwidget.moc"
