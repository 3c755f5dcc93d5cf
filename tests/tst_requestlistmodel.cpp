// The list model on its own: Qt's model tester over every change, the POST text made from the
// body, row identities, and the bytes every writer gives for one list, against files saved
// before the model existed. It links the core library and Qt Core only.
#include "tests/support/testfiles.h"
#include "core/clipboardtext.h"
#include "core/csvwriter.h"
#include "core/curlcommand.h"
#include "core/harwriter.h"
#include "core/htmlwriter.h"
#include "core/listcolumn.h"
#include "core/requestlistmodel.h"
#include "core/utctime.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

RequestRecord post(const QByteArray &body, RequestWindow window)
{
    RequestRecord r;
    r.method = "POST";
    r.body = body;
    r.contentType = "application/x-www-form-urlencoded";
    r.window = window;
    r.recorded = utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    return r;
}

// One list of every kind of row: a page, forms of each enctype from both windows, zero bytes,
// bytes that are not UTF-8, a doubt, a remade boundary, a frame, rows typed by hand.
struct Fixture
{
    QByteArray url;
    QByteArray method;
    QByteArray body;
    QByteArray contentType;
    RequestWindow window;
    RequestFrame frame;
    QString doubt;
    bool boundaryRemade;
    QByteArray handTyped; // a POST-DATA text written by hand, for rows without a request
};

QList<Fixture> fixtures()
{
    static const char multipart[] = "--B0und\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n"
                                    "Content-Type: application/octet-stream\r\n\r\n\x01\x00\xff\r\n--B0und--\r\n";
    const auto main = RequestWindow::Main;
    const auto external = RequestWindow::External;
    const auto top = RequestFrame::TopLevel;
    return {
        {"http://127.0.0.1:8080/", "GET", {}, {}, main, top, {}, false, {}},
        {"http://example.test/form?q=a%20b&x=1&e=%E9", "POST", QByteArray("a=1&b=x+y%26z\0tail", 18),
         "application/x-www-form-urlencoded", main, top, {}, false, {}},
        {"http://example.test/ext", "POST", QByteArray("\0\xff\xe9=1&n=\xe9,\"q\"", 14), "application/x-www-form-urlencoded",
         external, top, QStringLiteral("The body may be another request's."), false, {}},
        {"http://example.test/frame", "POST", QByteArray(multipart, sizeof(multipart) - 1),
         "multipart/form-data; boundary=B0und", main, RequestFrame::Frame, {}, true, {}},
        {"http://example.test/plain", "POST", "a=1\r\nb=2\r\n", "text/plain", external, top, {}, false, {}},
        {"not a link, with \"quotes\"; and\ttab", "GET", {}, {}, main, top, {}, false, {}},
        {"mailto:x@y.z", {}, {}, {}, main, top, {}, false, "{\\rtf1\\ansi hello\\par world}"},
        {"http://h/\xe9\x80", {}, {}, {}, main, top, {}, false, "line1\rline2\r\n^~\""},
    };
}

// The rows as the recorder writes them: an address and a GET, then the body when it comes.
void fill(RequestListModel &model)
{
    const QList<Fixture> rows = fixtures();
    model.resizeRows(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const Fixture &f = rows[i];
        model.setCellText(UrlColumn, i, f.url);
        if (f.method.isEmpty()) {
            model.setCellText(PostDataColumn, i, f.handTyped);
            continue;
        }
        RequestRecord r;
        r.method = "GET";
        r.recorded = utcDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89 + i));
        r.window = f.window;
        r.frame = f.frame;
        model.setRequest(i, r);
        if (f.method == "POST") {
            r.method = "POST";
            r.body = f.body;
            r.contentType = f.contentType;
            r.doubt = f.doubt;
            r.boundaryRemade = f.boundaryRemade;
            r.source = BodySource::Script;
            model.setBody(i, r);
        }
    }
}

} // namespace

class TstRequestListModel : public QObject
{
    Q_OBJECT
private slots:
    void modelTesterOverEveryChange()
    {
        RequestListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(model);
        QCOMPARE(model.rows(), 8);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("URL"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("POST-DATA"));
        model.setDoubt(1, QStringLiteral("late doubt"));
        model.setBody(0, post("late=1", RequestWindow::Main));
        model.setHeading(0, "Address");
        QVERIFY(model.insertRows(0, 2));
        QVERIFY(model.removeRows(3, 4));
        model.blankRows();
        QCOMPARE(model.rows(), 6);
        QCOMPARE(model.cellText(UrlColumn, 2), QByteArray());
        QCOMPARE(model.request(2), RequestRecord());
        model.resizeRows(1);
        model.resizeRows(3);
        QVERIFY(!model.removeRows(2, 2));
        QVERIFY(!model.insertRows(5, 1));
    }

    void postTextFollowsTheBody()
    {
        RequestListModel model;
        model.resizeRows(3);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const QByteArray body("a=1\0b", 5);
        model.setBody(0, post(body, RequestWindow::Main));
        model.setBody(1, post(body, RequestWindow::External));
        QCOMPARE(model.postText(0), QByteArray("a=1b"));
        QCOMPARE(model.postText(1), body);
        QCOMPARE(model.request(0).body, body);
        // Announced as the cell's text, so views and writers see it.
        QVERIFY(std::any_of(changed.cbegin(), changed.cend(), [](const QList<QVariant> &args) {
            return args.at(0).toModelIndex() == args.at(1).toModelIndex()
                && args.at(0).toModelIndex().row() == 0 && args.at(0).toModelIndex().column() == PostDataColumn
                && args.at(2).value<QList<int>>().contains(RequestListModel::CellTextRole);
        }));
        // A body is kept once: the cell's text of a body without zero bytes is the body itself.
        model.setBody(2, post("x=1", RequestWindow::Main));
        QCOMPARE(model.postText(2).constData(), model.request(2).body.constData());
        // A text written by hand stays, whatever the request says later; a body replaces it.
        model.setCellText(PostDataColumn, 2, "typed");
        model.setRequest(2, post("y=2", RequestWindow::Main));
        QCOMPARE(model.postText(2), QByteArray("typed"));
        model.setBody(2, post("z=3", RequestWindow::Main));
        QCOMPARE(model.postText(2), QByteArray("z=3"));
        QCOMPARE(model.data(model.index(2, PostDataColumn), RequestListModel::CellTextRole).toByteArray(),
                 QByteArray("z=3"));
    }

    void rowIdentities()
    {
        RequestListModel model;
        model.resizeRows(4);
        const quint64 second = model.rowId(1);
        const quint64 last = model.rowId(3);
        QVERIFY(second != 0 && last != second);
        QVERIFY(model.removeRows(0, 1));
        QCOMPARE(model.rowOfId(second), 0);
        // Rows put before others, as a restored list is, leave every identity findable.
        QVERIFY(model.insertRows(1, 3));
        const quint64 inserted = model.rowId(2);
        QCOMPARE(model.rowOfId(second), 0);
        QCOMPARE(model.rowOfId(inserted), 2);
        QCOMPARE(model.rowOfId(last), 5);
        model.resizeRows(7);
        QCOMPARE(model.rowOfId(model.rowId(6)), 6);
        // Emptied rows are new rows: what was on its way to the old ones goes nowhere.
        model.blankRows();
        QCOMPARE(model.rowOfId(second), -1);
        QCOMPARE(model.rowOfId(last), -1);
        for (int row = 0; row < model.rows(); ++row)
            QCOMPARE(model.rowOfId(model.rowId(row)), row);
        QCOMPARE(model.rowOfId(0), -1);
    }

    // The bytes of one list through every writer, as they were before the list had a model
    // (tests/data/outputbytes, saved with the grid that held the cells itself).
    void outputBytesAsBefore()
    {
        RequestListModel model;
        fill(model);
        const QString golden = QFINDTESTDATA("data/outputbytes");
        QVERIFY(!golden.isEmpty());
        QTemporaryDir dir;
        const CellSource cells = listCells(model);

        CsvOptions options;
        SaveCsv(dir.filePath("list.csv"), cells, options);
        QCOMPARE(readFile(dir.filePath("list.csv")), readFile(golden + "/list.csv"));
        options.CsvSeparator = ';';
        options.QuoteEveryCell = true;
        options.CaretTildeStyle = true;
        options.OutputFixedCells = false;
        options.Multilinecells = true;
        options.EmptyCellAsQuotes = false;
        SaveCsv(dir.filePath("list-options.csv"), cells, options);
        QCOMPARE(readFile(dir.filePath("list-options.csv")), readFile(golden + "/list-options.csv"));
        SaveHtml(dir.filePath("list.html"), cells, false);
        QCOMPARE(readFile(dir.filePath("list.html")), readFile(golden + "/list.html"));
        SaveHar(model, dir.filePath("list.har"));
        QCOMPARE(readFile(dir.filePath("list.har")), readFile(golden + "/list.har"));
        QCOMPARE(clipboardBlockText(cells), readFile(golden + "/clipboard.txt"));
        QByteArray curl;
        for (int row = 0; row < model.rows(); ++row)
            if (!model.request(row).isEmpty())
                curl += curlCommand(model.request(row), model.url(row)) + "\n";
        QCOMPARE(curl, readFile(golden + "/curl.txt"));
    }
};

QTEST_GUILESS_MAIN(TstRequestListModel)
#include "tst_requestlistmodel.moc"
