// The URL list's operations, its link rules and its drawing, without user input.
#include "core/ansitext.h"
#include "common/fonts.h"
#include "core/utctime.h"
#include "urllist/linkcell.h"
#include "core/listcolumn.h"
#include "urllist/listgrid.h"
#include "urllist/listgridlook.h"
#include "core/requestlistmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <ctime>

using namespace ListGridLook;

namespace {
// Fills column 0 of rows 1.. with the given texts.
void fill(TListGrid &g, const QList<QByteArray> &texts)
{
    g.SetRowCount(int(texts.size()) + 1);
    for (int i = 0; i < texts.size(); ++i)
        g.SetCellText(0, i + 1, texts[i]);
}

// A POST record with a body naming its row, a zero byte and a doubt included.
RequestRecord postRecord(const QByteArray &name)
{
    RequestRecord r;
    r.method = "POST";
    r.body = "row=" + name + QByteArray("\0\xff", 2);
    r.contentType = "application/x-www-form-urlencoded";
    r.recorded = utcDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    r.window = RequestWindow::External;
    r.doubt = "doubt about " + QString::fromLatin1(name);
    return r;
}

QList<QByteArray> column(const TListGrid &g, int col)
{
    QList<QByteArray> out;
    for (int r = 1; r < g.RowCount(); ++r)
        out << g.CellText(col, r);
    return out;
}

// The column width a fit must give, measured from scratch over every row.
int fullFit(const TListGrid &g, int col)
{
    const QFontMetrics fm(cellFont(g.ZoomOffset()));
    int widest = 0;
    for (int r = 0; r < g.RowCount(); ++r)
        widest = std::max(widest, fm.horizontalAdvance(fromAnsi(measuredText(g.CellText(col, r)))));
    return std::max(10, widest + 10);
}

QColor pixelInCell(TListGrid &g, const QImage &img, int col, int row)
{
    const QRect r = g.CellRect(col, row);
    const QPoint p = g.viewport()->mapTo(&g, QPoint(r.right() - 3, r.bottom() - 3));
    return img.pixelColor(p);
}

bool hasPixelsOf(const QImage &img, const QRect &area, const QColor &c)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c)
                return true;
    return false;
}

// Text in the window-text colour (black): some pixel is dark and grey, not tinted, as anti-aliased
// black text is whatever the face.
bool hasDarkTextPixels(const QImage &img, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() < 110 && qAbs(c.red() - c.green()) < 12 && qAbs(c.red() - c.blue()) < 12)
                return true;
        }
    return false;
}
} // namespace

class TstListGrid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }

    void linkRules_data();
    void linkRules();
    void boundedPrefix();
    void shellOpenable_data();
    void shellOpenable();
    void cellAnchor_data();
    void cellAnchor();

    void newList();
    void setCellText();
    void deleteRows_data();
    void deleteRows();
    void rowsGainedAfterDeleteAreEmpty();
    void clearDataCellsThenTwoRows();
    void lowerRowCountMovesCurrentRow();
    void rowIdsSurviveDeletes();
    void requestsBelongToTheirRows();
    void requestsStayOutOfTheOutputs();
    void addressTooltip_data();
    void addressTooltip();
    void fitColumnWidth_data();
    void fitColumnWidth();
    void fitEqualsFullRemeasure();
    void stretch();
    void zoom();
    void bands();
    void drawsLinksAndHeading();
    void hugeCellIsFast();
    void outputFiles_data();
    void outputFiles();
    void fileProgressSignal();
    void headingAndCellFonts();
};

void TstListGrid::linkRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("measured");
    QTest::newRow("ftp") << QByteArray("ftp://a/b?c=1") << true << QByteArray("a/b?c=1")
                         << QByteArray("a/b?c=1");
    QTest::newRow("upper scheme") << QByteArray("FTP://A") << true << QByteArray("A")
                                  << QByteArray("A");
    QTest::newRow("mailto") << QByteArray("mailto:x") << true << QByteArray("x") << QByteArray("x");
    QTest::newRow("MAILTO") << QByteArray("MAILTO:x") << false << QByteArray("MAILTO:x")
                            << QByteArray("MAILTO:x");
    QTest::newRow("about:blank") << QByteArray("about:blank") << false << QByteArray("about:blank")
                                 << QByteArray("about:blank");
    QTest::newRow("first :// only") << QByteArray("a://b://c") << true << QByteArray("b://c")
                                    << QByteArray("b://c");
    QTest::newRow("post text") << QByteArray("u=ftp://x") << true << QByteArray("x")
                               << QByteArray("x");
    QTest::newRow("two lines") << QByteArray("a\r\nb=ftp://c") << true << QByteArray("c")
                               << QByteArray("a");
    QTest::newRow(":// before mailto:") << QByteArray("mailto:a http://b") << true
                                        << QByteArray("b") << QByteArray("b");
    QTest::newRow("heading") << QByteArray("POST-DATA") << false << QByteArray("POST-DATA")
                             << QByteArray("POST-DATA");
    QTest::newRow("empty") << QByteArray() << false << QByteArray() << QByteArray();
}

void TstListGrid::linkRules()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, link);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, measured);
    QCOMPARE(isLinkText(text), link);
    QCOMPARE(linkShownText(text), shown);
    QCOMPARE(measuredText(text), measured);

    // The grid shows and measures the same way.
    TListGrid g;
    g.SetCellText(1, 1, text);
    QCOMPARE(g.isLink(1, 1), link);
    QCOMPARE(g.shownText(1, 1), shown);
    QCOMPARE(g.measuredText(1, 1), measured);
    QCOMPARE(g.CellText(1, 1), text);
}

void TstListGrid::boundedPrefix()
{
    // The cut is found however far into the line it lies; only the shown part is bounded.
    const QByteArray far = QByteArray(10000, 'x') + "://abc\rdef";
    QCOMPARE(linkShownText(far), QByteArray("abc"));
    QCOMPARE(measuredText(far), QByteArray("abc"));
    const QByteArray longLine = "http://" + QByteArray(10000, 'a');
    QCOMPARE(linkShownText(longLine).size(), kShownPrefixBytes);
    QCOMPARE(measuredText(longLine), QByteArray(kShownPrefixBytes, 'a'));
    // A "://" on a later line makes a link but does not cut the measured first line.
    const QByteArray late = QByteArray(5000, 'y') + "\r\nhttp://z";
    QCOMPARE(linkShownText(late), QByteArray("z"));
    QCOMPARE(measuredText(late), QByteArray(kShownPrefixBytes, 'y'));
}

void TstListGrid::shellOpenable_data()
{
    QTest::addColumn<QByteArray>("anchor");
    QTest::addColumn<bool>("opened");
    QTest::newRow("http") << QByteArray("http://example.com/a?b=1") << true;
    QTest::newRow("HTTPS") << QByteArray("HTTPS://example.com/") << true;
    QTest::newRow("ftp") << QByteArray("ftp://a/b?c=1") << true;
    QTest::newRow("mailto") << QByteArray("mailto:x@example.com") << true;
    QTest::newRow("file") << QByteArray("file:///bin/sh") << false;
    QTest::newRow("post text") << QByteArray("u=ftp://x") << false;
    QTest::newRow("program") << QByteArray("cmd.exe /c calc ://") << false;
    QTest::newRow("other scheme") << QByteArray("ms-settings://x") << false;
    QTest::newRow("no host") << QByteArray("http:///etc/passwd") << false;
    QTest::newRow("empty mailto") << QByteArray("mailto:") << false;
}

void TstListGrid::shellOpenable()
{
    QFETCH(QByteArray, anchor);
    QFETCH(bool, opened);
    QCOMPARE(shellOpenableUrl(anchor).has_value(), opened);
}

void TstListGrid::cellAnchor_data()
{
    QTest::addColumn<QByteArray>("anchor");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("upper") << QByteArray("CELL://R3C1") << true << 3 << 1;
    QTest::newRow("lower") << QByteArray("cell://r12c0") << true << 12 << 0;
    QTest::newRow("no column") << QByteArray("CELL://R3") << false << 0 << 0;
    QTest::newRow("not a number") << QByteArray("CELL://RxC1") << false << 0 << 0;
    QTest::newRow("trailing junk") << QByteArray("CELL://R1C1x") << false << 0 << 0;
    QTest::newRow("not cell") << QByteArray("http://R1C1") << false << 0 << 0;
}

void TstListGrid::cellAnchor()
{
    QFETCH(QByteArray, anchor);
    QFETCH(bool, valid);
    const auto cell = parseCellAnchor(anchor);
    QCOMPARE(cell.has_value(), valid);
    if (valid) {
        QFETCH(int, row);
        QFETCH(int, col);
        QCOMPARE(cell->row, row);
        QCOMPARE(cell->col, col);
    }
}

void TstListGrid::newList()
{
    TListGrid g;
    QCOMPARE(g.RowCount(), 2);
    QCOMPARE(g.ColCount(), 2);
    QCOMPARE(g.FixedRows(), 1);
    QCOMPARE(g.CellText(0, 0), QByteArray("URL"));
    QCOMPARE(g.CellText(1, 0), QByteArray("POST-DATA"));
    QCOMPARE(g.CellText(0, 1), QByteArray());
    QCOMPARE(g.CellText(1, 1), QByteArray());
    QCOMPARE(g.CurrentRow(), 1);
    QCOMPARE(g.CurrentCol(), 0);
    const GridRect s = g.Selection();
    QCOMPARE(s.Left, 0);
    QCOMPARE(s.Top, 1);
    QCOMPARE(s.Right, 0);
    QCOMPARE(s.Bottom, 1);
    QCOMPARE(g.DefaultRowHeight(), 21);
    QCOMPARE(g.RowHeight(0), 21);
    QCOMPARE(g.RowHeight(1), 21);
    QCOMPARE(g.ColWidth(0), 39);
    QCOMPARE(g.ZoomOffset(), 0);
    QCOMPARE(g.Csv.CsvSeparator, '\0');
    QVERIFY(g.Csv.EmptyCellAsQuotes);
    QVERIFY(g.Csv.OutputFixedCells);
}

void TstListGrid::setCellText()
{
    TListGrid g;
    g.SetRowCount(3);
    g.SetCellText(1, 2, "keep");
    g.SetCellText(0, 1, "abc");
    QCOMPARE(g.CellText(0, 1), QByteArray("abc"));
    QCOMPARE(g.CellText(1, 1), QByteArray());
    QCOMPARE(g.CellText(0, 2), QByteArray());
    QCOMPARE(g.CellText(1, 2), QByteArray("keep"));
    QCOMPARE(g.CellText(0, 0), QByteArray("URL"));
    QCOMPARE(g.RowCount(), 3);
    QCOMPARE(g.CurrentRow(), 1);
    // Bytes are kept as they are, NULs and high bytes included.
    const QByteArray raw("a\0b\xff\r\nz", 7);
    g.SetCellText(1, 1, raw);
    QCOMPARE(g.CellText(1, 1), raw);
    // Cells outside the list are neither written nor read.
    g.SetCellText(2, 1, "x");
    g.SetCellText(0, 3, "x");
    QCOMPARE(g.CellText(2, 1), QByteArray());
    QCOMPARE(g.RowCount(), 3);
}

void TstListGrid::deleteRows_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<QByteArray>>("left");
    QTest::addColumn<int>("currentAfter");
    const QList<QByteArray> all{"a", "b", "c", "d"};
    QTest::newRow("middle") << 2 << 2 << 1 << QList<QByteArray>{"a", "c", "d"} << 2;
    QTest::newRow("end") << 4 << 4 << 1 << QList<QByteArray>{"a", "b", "c"} << 3;
    QTest::newRow("above current") << 3 << 1 << 1 << QList<QByteArray>{"b", "c", "d"} << 3;
    QTest::newRow("below current") << 1 << 3 << 1 << QList<QByteArray>{"a", "b", "d"} << 1;
    QTest::newRow("two rows") << 2 << 2 << 2 << QList<QByteArray>{"a", "d"} << 2;
    QTest::newRow("count past the end") << 4 << 3 << 9 << QList<QByteArray>{"a", "b"} << 2;
    QTest::newRow("first = RowCount") << 2 << 5 << 1 << all << 2;
    QTest::newRow("first > RowCount") << 2 << 6 << 1 << all << 2;
    QTest::newRow("heading row") << 2 << 0 << 1 << all << 2;
    QTest::newRow("would empty the list") << 1 << 1 << 4 << QList<QByteArray>{"d"} << 1;
}

void TstListGrid::deleteRows()
{
    QFETCH(int, current);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(QList<QByteArray>, left);
    QFETCH(int, currentAfter);
    TListGrid g;
    fill(g, {"a", "b", "c", "d"});
    g.SetCurrentCell(1, current);
    g.DeleteRows(first, count);
    QCOMPARE(column(g, 0), left);
    QCOMPARE(g.RowCount(), int(left.size()) + 1);
    QCOMPARE(g.CurrentRow(), currentAfter);
    QCOMPARE(g.CurrentCol(), 1);
    QCOMPARE(g.Selection().Top, currentAfter);
    QCOMPARE(g.CellText(0, 0), QByteArray("URL"));
    QVERIFY(g.updatesEnabled());
}

void TstListGrid::rowsGainedAfterDeleteAreEmpty()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d"});
    g.SetCellText(1, 4, "post-d");
    g.DeleteRows(4, 1);
    g.SetRowCount(g.RowCount() + 1);
    QCOMPARE(g.RowCount(), 5);
    QCOMPARE(g.CellText(0, 4), QByteArray());
    QCOMPARE(g.CellText(1, 4), QByteArray());
    // Cut off by a lower RowCount: gone too.
    g.SetRowCount(2);
    g.SetRowCount(4);
    QCOMPARE(column(g, 0), (QList<QByteArray>{"a", "", ""}));
}

void TstListGrid::clearDataCellsThenTwoRows()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d", "e"});
    g.SetCellText(1, 5, "q=1");
    g.SetCurrentCell(0, 4);
    g.ClearDataCells();
    QCOMPARE(g.RowCount(), 6);
    QCOMPARE(g.CurrentRow(), 4);
    for (int r = 1; r < 6; ++r) {
        QCOMPARE(g.CellText(0, r), QByteArray());
        QCOMPARE(g.CellText(1, r), QByteArray());
    }
    g.SetRowCount(2);
    QCOMPARE(g.RowCount(), 2);
    QCOMPARE(g.CurrentRow(), 1);
    QCOMPARE(g.CellText(0, 0), QByteArray("URL"));
    QCOMPARE(g.CellText(1, 0), QByteArray("POST-DATA"));
}

void TstListGrid::lowerRowCountMovesCurrentRow()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d", "e"});
    g.SetCurrentCell(1, 5);
    g.SetRowCount(8);
    QCOMPARE(g.CurrentRow(), 5);
    QCOMPARE(g.RowHeight(7), 21);
    g.SetRowCount(3);
    QCOMPARE(g.CurrentRow(), 2);
    QCOMPARE(g.CurrentCol(), 1);
    g.SetRowCount(0); // never below the heading row and one data row
    QCOMPARE(g.RowCount(), 2);
    QCOMPARE(g.CurrentRow(), 1);
}

// A row's request goes where its row goes and never outlives it.
void TstListGrid::requestsBelongToTheirRows()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d"});
    for (int r = 1; r <= 4; ++r)
        g.SetRowRequest(r, postRecord(g.CellText(0, r)));
    QCOMPARE(g.RowRequest(3), postRecord("c"));
    QCOMPARE(g.RowDoubt(3), QString("doubt about c"));
    QVERIFY(g.RowRequest(0).isEmpty());

    g.DeleteRows(2, 1);
    QCOMPARE(column(g, 0), (QList<QByteArray>{"a", "c", "d"}));
    QCOMPARE(g.RowRequest(2), postRecord("c"));
    QCOMPARE(g.RowRequest(3), postRecord("d"));

    // Rows cut off by a lower RowCount lose their requests; rows gained have none.
    g.SetRowCount(2);
    g.SetRowCount(4);
    QCOMPARE(g.RowRequest(1), postRecord("a"));
    QVERIFY(g.RowRequest(2).isEmpty());
    QVERIFY(g.RowRequest(3).isEmpty());

    // A doubt set on its own is the record's doubt.
    g.SetRowDoubt(1, "changed");
    QCOMPARE(g.RowRequest(1).doubt, QString("changed"));
    QCOMPARE(g.RowRequest(1).body, postRecord("a").body);

    g.ClearDataCells();
    QVERIFY(g.RowRequest(1).isEmpty());
    QCOMPARE(g.RowRequest(1), RequestRecord());
    QCOMPARE(g.RowDoubt(1), QString());
}

void TstListGrid::addressTooltip_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QDateTime>("recorded");
    QTest::addColumn<RequestWindow>("window");
    QTest::addColumn<QString>("tooltip");
    // The test runs five and a half hours east of UTC: the tooltip shows local time.
    const QDateTime utc = utcDateTime(QDate(2026, 12, 10), QTime(16, 20, 3));
    QTest::newRow("POST, main") << QByteArray("POST") << utc << RequestWindow::Main
                                << QStringLiteral("POST \u00B7 2026-12-10 21:50:03 \u00B7 main window \u00B7 top-level");
    QTest::newRow("GET, external, past midnight")
        << QByteArray("GET") << utcDateTime(QDate(2026, 12, 31), QTime(20, 0, 0)) << RequestWindow::External
        << QStringLiteral("GET \u00B7 2027-01-01 01:30:00 \u00B7 external window \u00B7 top-level");
    QTest::newRow("no request") << QByteArray() << QDateTime() << RequestWindow::Unknown << QString();
}

// The address of a row says what request it was recorded from; the POST-DATA cell keeps its doubt.
void TstListGrid::addressTooltip()
{
    QFETCH(QByteArray, method);
    QFETCH(QDateTime, recorded);
    QFETCH(RequestWindow, window);
    QFETCH(QString, tooltip);
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "IST-05:30");
    tzset();
    auto restoreTz = qScopeGuard([&] {
        if (oldTz.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldTz);
        tzset();
    });

    TListGrid g;
    fill(g, {"http://a/", "http://b/"});
    RequestRecord r = postRecord("a");
    r.method = method;
    r.recorded = recorded;
    r.window = window;
    QSignalSpy changed(g.model(), &QAbstractItemModel::dataChanged);
    g.SetRowRequest(2, r);
    auto tip = [&](int col, int row) { return g.model()->data(g.model()->index(row - 1, col), Qt::ToolTipRole).toString(); };
    QCOMPARE(tip(UrlColumn, 2), tooltip);
    QCOMPARE(tip(UrlColumn, 1), QString());
    QCOMPARE(tip(PostDataColumn, 2), r.doubt);
    // A boundary of ours is told beside any doubt, and alone on a certain body.
    r.boundaryRemade = true;
    g.SetRowRequest(2, r);
    const QString note = QStringLiteral("The boundary was made by Trailscribe; this engine does not reveal its own. "
                                        "Every other byte is as sent.");
    QCOMPARE(tip(PostDataColumn, 2), r.doubt.isEmpty() ? note : r.doubt + QLatin1Char('\n') + note);
    QVERIFY(g.model()->data(g.model()->index(1, PostDataColumn), RequestListModel::DoubtRole).toString() == r.doubt);
    // A view showing the tooltip hears that it changed.
    const bool announced = std::any_of(changed.cbegin(), changed.cend(), [](const QList<QVariant> &args) {
        return args.at(0).toModelIndex().column() == UrlColumn && args.at(0).toModelIndex().row() == 1
            && args.at(2).value<QList<int>>().contains(Qt::ToolTipRole);
    });
    QCOMPARE(announced, !tooltip.isEmpty());
}

// The saved files and the clipboard copy hold the cells only, whatever the rows' requests.
void TstListGrid::requestsStayOutOfTheOutputs()
{
    TListGrid g;
    fill(g, {"http://a/", "http://b/"});
    g.SetCellText(PostDataColumn, 2, "q=1");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto outputs = [&](const QString &tag) {
        QList<QByteArray> out;
        g.SaveCsv(dir.filePath(tag + ".csv"));
        g.SaveHtml(dir.filePath(tag + ".htm"));
        for (const char *ext : {".csv", ".htm"}) {
            QFile f(dir.filePath(tag + QLatin1String(ext)));
            if (!f.open(QIODevice::ReadOnly))
                return QList<QByteArray>();
            out << f.readAll();
        }
        g.CopyAllToClipboard();
        out << QGuiApplication::clipboard()->text().toLatin1();
        return out;
    };
    const QList<QByteArray> before = outputs("before");
    QCOMPARE(before.size(), 3);
    QVERIFY(before[2].contains("q=1"));
    g.SetRowRequest(1, postRecord("a"));
    g.SetRowRequest(2, postRecord("b"));
    QCOMPARE(outputs("after"), before);
}

void TstListGrid::rowIdsSurviveDeletes()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d", "e"});
    const quint64 idC = g.RowId(3);
    const quint64 idE = g.RowId(5);
    QVERIFY(idC != 0 && idC != idE);
    g.DeleteRows(1, 2);
    QCOMPARE(g.RowOfId(idC), 1);
    QCOMPARE(g.CellText(0, g.RowOfId(idC)), QByteArray("c"));
    g.SetRowCount(g.RowCount() + 1);
    const quint64 idNew = g.RowId(g.RowCount() - 1);
    QVERIFY(idNew > idE);
    QCOMPARE(g.RowOfId(idE), 3);
    g.DeleteRows(3, 1);
    QCOMPARE(g.RowOfId(idE), -1);
    QCOMPARE(g.RowOfId(idNew), 3);
    g.SetRowCount(2);
    QCOMPARE(g.RowOfId(idNew), -1);
    QCOMPARE(g.RowOfId(idC), 1);
}

void TstListGrid::fitColumnWidth_data()
{
    QTest::addColumn<QList<QByteArray>>("texts");
    QTest::addColumn<QByteArray>("widest"); // the text whose width, plus 10, the column gets
    QTest::newRow("addresses") << QList<QByteArray>{"http://a.example/", "http://www.example.com/long/path", "about:blank"}
                               << QByteArray("www.example.com/long/path");
    QTest::newRow("heading widest") << QList<QByteArray>{"x", ""} << QByteArray("URL");
    QTest::newRow("two-line post text") << QList<QByteArray>{"a\r\nb=ftp://cccccccccccccccccccccccc"}
                                        << QByteArray("URL");
    QTest::newRow("first line only") << QList<QByteArray>{"wwwwwwwwwwww\r\nx"}
                                     << QByteArray("wwwwwwwwwwww");
}

void TstListGrid::fitColumnWidth()
{
    QFETCH(QList<QByteArray>, texts);
    QFETCH(QByteArray, widest);
    TListGrid g;
    fill(g, texts);
    g.FitColumnWidth(0);
    const QFontMetrics fm(tahoma8());
    QCOMPARE(g.ColWidth(0), fm.horizontalAdvance(fromAnsi(widest)) + 10);

    // A column of empty cells gets 10.
    for (int r = 0; r < g.RowCount(); ++r)
        g.SetCellText(0, r, QByteArray());
    g.FitColumnWidth(0);
    QCOMPARE(g.ColWidth(0), 10);
}

void TstListGrid::fitEqualsFullRemeasure()
{
    // Random edits, deletes, growth, shrinking and zooms; after each, the fit equals a fit measured
    // from scratch.
    TListGrid g;
    g.resize(600, 300);
    QRandomGenerator rng(20240601);
    auto randomText = [&] {
        QByteArray t = (rng.bounded(2) ? "http://" : "");
        const int n = int(rng.bounded(40));
        for (int i = 0; i < n; ++i)
            t += char('a' + rng.bounded(26));
        if (rng.bounded(4) == 0)
            t += "\r\nmore";
        return t;
    };
    for (int step = 0; step < 400; ++step) {
        const int op = int(rng.bounded(10));
        if (op < 5) {
            g.SetCellText(int(rng.bounded(2)), int(rng.bounded(g.RowCount())), randomText());
        } else if (op == 5) {
            g.SetRowCount(g.RowCount() + 1 + int(rng.bounded(3)));
        } else if (op == 6 && g.RowCount() > 2) {
            g.DeleteRows(1 + int(rng.bounded(g.RowCount() - 1)), 1 + int(rng.bounded(2)));
        } else if (op == 7) {
            g.SetRowCount(std::max(2, g.RowCount() - int(rng.bounded(3))));
        } else if (op == 8) {
            g.Zoom(rng.bounded(2) ? 1 : -1);
        } else {
            // Shorten the widest cell of column 0.
            int widestRow = 0;
            for (int r = 0; r < g.RowCount(); ++r)
                if (measuredText(g.CellText(0, r)).size() > measuredText(g.CellText(0, widestRow)).size())
                    widestRow = r;
            g.SetCellText(0, widestRow, "s");
        }
        g.FitColumnWidth(0);
        QCOMPARE(g.ColWidth(0), fullFit(g, 0));
    }
}

void TstListGrid::stretch()
{
    TListGrid g;
    g.show();
    g.resize(700 + 2 * g.frameWidth(), 200);
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QCOMPARE(g.viewport()->width(), 700);
    g.SetColWidth(0, 300);
    QCOMPARE(g.ColWidth(1), 399);
    QCOMPARE(g.horizontalScrollBar()->maximum(), 0);
    g.FitColumnWidth(1); // the stretch follows at once
    QCOMPARE(g.ColWidth(1), 399);
    g.SetColWidth(0, 800);
    QCOMPARE(g.ColWidth(1), 64);
    QVERIFY(g.horizontalScrollBar()->maximum() > 0);
    g.SetColWidth(0, 100);
    QCOMPARE(g.ColWidth(1), g.viewport()->width() - 101);
    // Resizing the list stretches again.
    g.resize(500 + 2 * g.frameWidth(), 200);
    QCOMPARE(g.ColWidth(1), 399);
}

void TstListGrid::zoom()
{
    QApplication::setWheelScrollLines(3);
    TListGrid g;
    g.show();
    g.resize(400, 300);
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.SetCellText(0, 1, "http://www.example.com/");
    auto notch = [&](int delta) {
        QWheelEvent e(QPointF(50, 50), g.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g.viewport(), &e);
    };
    const QList<int> expected{3, 6, 9, 9};
    for (int i = 0; i < 4; ++i) {
        notch(-120); // towards the user
        QCOMPARE(g.ZoomOffset(), expected[i]);
    }
    QCOMPARE(g.ColWidth(0), 39 + 9);
    QCOMPARE(g.RowHeight(0), 30);
    QCOMPARE(g.RowHeight(1), 30);
    QCOMPARE(g.DefaultRowHeight(), 21);
    QCOMPARE(g.CurrentRow(), 1); // a Ctrl notch does not move the current row
    g.FitColumnWidth(0);
    QCOMPARE(g.ColWidth(0), fullFit(g, 0));
    QVERIFY(g.ColWidth(0) > QFontMetrics(tahoma8()).horizontalAdvance("www.example.com/") + 10);

    g.SetRowCount(3); // a row added while zoomed is 21 high
    QCOMPARE(g.RowHeight(2), 21);
    for (int i = 0; i < 4; ++i)
        notch(120);
    QCOMPARE(g.ZoomOffset(), -3);
    QCOMPARE(g.RowHeight(1), 30 - 12);
    QCOMPARE(g.RowHeight(2), 21 - 12);
    // -3 - 9 would pass -10: ignored whole.
    g.Zoom(-9);
    QCOMPARE(g.ZoomOffset(), -3);
    g.Zoom(-7);
    QCOMPARE(g.ZoomOffset(), -10);
    QCOMPARE(g.RowHeight(2), 2); // 9 - 7
    g.Zoom(-0);
    g.SetColWidth(0, 3);
    g.Zoom(4);
    g.Zoom(-4); // 3 + 4 - 4
    QCOMPARE(g.ColWidth(0), 3);
    g.Zoom(+10);
    g.Zoom(-5); // 3 + 10 = 13 -> 8
    QCOMPARE(g.ColWidth(0), 8);
}

void TstListGrid::bands()
{
    QCOMPARE(bandColor(1), QColor(255, 255, 223));
    QCOMPARE(bandColor(2), QColor(236, 236, 255));
    QCOMPARE(bandColor(3), QColor(255, 255, 223));
    QCOMPARE(bandColor(4), QColor(236, 236, 255));
    QCOMPARE(bandColor(5), QColor(255, 255, 223));

    TListGrid g;
    g.resize(400, 200);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    fill(g, {"a", "b", "c", "d", "e"});
    QImage img = g.grab().toImage();
    for (int r = 1; r <= 5; ++r)
        QCOMPARE(pixelInCell(g, img, 0, r), bandColor(r));
    QCOMPARE(pixelInCell(g, img, 0, 0), g.palette().color(QPalette::Button));
    g.DeleteRows(2, 1);
    QCOMPARE(g.CellText(0, 2), QByteArray("c"));
    img = g.grab().toImage();
    QCOMPARE(pixelInCell(g, img, 0, 2), QColor(236, 236, 255));
    QCOMPARE(pixelInCell(g, img, 0, 3), QColor(255, 255, 223));
    // Below the last row: the window colour.
    const QRect last = g.CellRect(0, 4);
    const QPoint below = g.viewport()->mapTo(&g, QPoint(5, last.bottom() + 10));
    QCOMPARE(img.pixelColor(below), g.palette().color(QPalette::Base));
}

void TstListGrid::drawsLinksAndHeading()
{
    TListGrid g;
    g.resize(500, 200);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.SetRowCount(3);
    g.SetCellText(0, 1, "ftp://a/b?c=1");
    g.SetCellText(0, 2, "about:blank");
    g.SetColWidth(0, 200);
    const QImage img = g.grab().toImage();
    auto area = [&](int col, int row) {
        const QRect r = g.CellRect(col, row);
        return QRect(g.viewport()->mapTo(&g, r.topLeft()), r.size()).adjusted(2, 2, -2, -2);
    };
    QVERIFY(hasPixelsOf(img, area(0, 1), QColor(0, 0, 255)));
    QVERIFY(!hasPixelsOf(img, area(0, 2), QColor(0, 0, 255)));
    QVERIFY(hasDarkTextPixels(img, area(0, 2)));
    // Underlined: a run of blue pixels as wide as most of the shown text on one scan line.
    const QRect link = area(0, 1);
    const int shownWidth = QFontMetrics(tahoma8()).horizontalAdvance("a/b?c=1");
    int longestRun = 0;
    for (int y = link.top(); y <= link.bottom(); ++y) {
        int run = 0;
        for (int x = link.left(); x <= link.right(); ++x) {
            run = img.pixelColor(x, y) == QColor(0, 0, 255) ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
        }
    }
    QVERIFY2(longestRun >= shownWidth - 3, qPrintable(QString::number(longestRun)));
    // Lines: silver at the right edge of a data cell, dark grey at that of a heading cell.
    const QRect c1 = g.CellRect(0, 1);
    QCOMPARE(img.pixelColor(g.viewport()->mapTo(&g, QPoint(c1.right(), c1.center().y()))),
             QColor(192, 192, 192));
    const QRect h = g.CellRect(0, 0);
    QCOMPARE(img.pixelColor(g.viewport()->mapTo(&g, QPoint(h.right(), h.center().y()))),
             QColor(128, 128, 128));
}

void TstListGrid::hugeCellIsFast()
{
    TListGrid g;
    g.resize(600, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    const QByteArray upload = "file=" + QByteArray(8 * 1024 * 1024, 'A') + "\r\nhttp://x";
    const QByteArray dataUrl = "data:text/plain," + QByteArray(8 * 1024 * 1024, 'B');
    g.SetRowCount(3);
    QElapsedTimer t;
    t.start();
    g.SetCellText(1, 1, upload);
    g.SetCellText(0, 2, dataUrl);
    g.FitColumnWidth(0);
    g.FitColumnWidth(1);
    const QImage img = g.grab().toImage();
    QMouseEvent move(QEvent::MouseMove, QPointF(g.CellRect(0, 2).center()),
                     g.viewport()->mapToGlobal(QPointF(g.CellRect(0, 2).center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &move);
    g.Zoom(1);
    g.FitColumnWidth(0);
    const qint64 ms = t.elapsed();
    qInfo("8 MB cells: stored, fitted, drawn, hovered and re-fitted after a zoom in %lld ms", ms);
    QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
    QVERIFY(!img.isNull());
    QCOMPARE(g.CellText(1, 1), upload);
    QCOMPARE(g.CellText(0, 2).size(), dataUrl.size());
    QVERIFY(g.isLink(1, 1));
    QCOMPARE(g.ColWidth(0), fullFit(g, 0));
}

// Both list files follow OutputFixedCells: without it the heading row is left out.
void TstListGrid::outputFiles_data()
{
    QTest::addColumn<bool>("html");
    QTest::addColumn<bool>("outputFixedCells");
    QTest::newRow("CSV with fixed cells") << false << true;
    QTest::newRow("CSV without fixed cells") << false << false;
    QTest::newRow("HTML with fixed cells") << true << true;
    QTest::newRow("HTML without fixed cells") << true << false;
}

void TstListGrid::outputFiles()
{
    QFETCH(bool, html);
    QFETCH(bool, outputFixedCells);
    TListGrid g;
    fill(g, {"http://a/", "http://b/"});
    g.SetCellText(PostDataColumn, 2, "q=1");
    g.Csv.OutputFixedCells = outputFixedCells;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("urls");
    if (html)
        g.SaveHtml(path);
    else
        g.SaveCsv(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written.contains("POST-DATA"), outputFixedCells);
    QCOMPARE(written.contains("<th>"), html && outputFixedCells);
    QVERIFY(written.contains("http://a/"));
    QVERIFY(written.contains("q=1"));
    if (!html)
        QCOMPARE(written.count("\r\n"), outputFixedCells ? 3 : 2);
}

void TstListGrid::fileProgressSignal()
{
    TListGrid g;
    fill(g, {"a", "b", "c", "d"});
    QList<qint16> raised;
    QObject::connect(&g, &TListGrid::FileProgress, &g, [&](TListGrid *sender, qint16 progress) {
        QCOMPARE(sender, &g);
        raised.append(progress);
    });
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    g.SaveCsv(dir.filePath("urls.csv"));
    QCOMPARE(raised, (QList<qint16>{0, 25, 50, 75, 100}));
}

// The heading row and the data rows have fonts of their own: setting one leaves the other, the
// column fit measures each row with its own, and the zoom applies to both.
void TstListGrid::headingAndCellFonts()
{
    TListGrid g;
    QCOMPARE(g.Font(), cellFont(0));
    QCOMPARE(g.FixedFont(), cellFont(0));
    fill(g, {"ab"});

    QFont big = tahoma8();
    big.setPixelSize(30);
    g.SetFixedFont(big);
    QCOMPARE(g.FixedFont(), big);
    QCOMPARE(g.Font(), cellFont(0));
    g.FitColumnWidth(UrlColumn);
    QCOMPARE(g.ColWidth(UrlColumn), QFontMetrics(big).horizontalAdvance("URL") + 10);

    QFont wide = tahoma8();
    wide.setPixelSize(40);
    g.SetFont(wide);
    QCOMPARE(g.Font(), wide);
    QCOMPARE(g.FixedFont(), big);
    const QByteArray text = "abcdefgh";
    g.SetCellText(UrlColumn, 1, text);
    g.FitColumnWidth(UrlColumn);
    QCOMPARE(g.ColWidth(UrlColumn), QFontMetrics(wide).horizontalAdvance(text) + 10);

    g.Zoom(3);
    QVERIFY(zoomedFont(wide, 3).pixelSize() > wide.pixelSize());
    g.FitColumnWidth(UrlColumn);
    QCOMPARE(g.ColWidth(UrlColumn), QFontMetrics(zoomedFont(wide, 3)).horizontalAdvance(text) + 10);
    g.SetCellText(UrlColumn, 1, "a");
    g.FitColumnWidth(UrlColumn);
    QCOMPARE(g.ColWidth(UrlColumn), QFontMetrics(zoomedFont(big, 3)).horizontalAdvance("URL") + 10);
    QCOMPARE(g.Font(), wide); // the zoom is applied when drawing, not stored
}

QTEST_MAIN(TstListGrid)
#include "tst_listgrid.moc"
