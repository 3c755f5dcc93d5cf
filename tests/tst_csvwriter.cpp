#include "tests/support/cellfixtures.h"
#include "core/csvwriter.h"
#include "core/htmlwriter.h"
#include "core/listgriderror.h"
#include "core/trailscribeerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

Q_DECLARE_METATYPE(CsvOptions)

namespace {

Rows bulkRows(int count)
{
    Rows rows;
    for (int i = 0; i < count; ++i)
        rows.append({"http://example.com/" + QByteArray::number(i) + QByteArray(80, 'u'),
                     "q=" + QByteArray::number(i) + "&v=" + QByteArray(280, 'v')});
    return rows;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Lowers the file size limit for as long as it lives; a write past it fails with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class TestCsvWriter : public QObject
{
    Q_OBJECT

private slots:
    void urlListFile_data();
    void urlListFile();
    void settings_data();
    void settings();
    void oemConversionMatchesCodePage437();
    void progress_data();
    void progress();
    void saveWritesTheBytesAndReplacesTheFile();
    void createFailure_data();
    void createFailure();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void targetTakenWhileWriting();
};

void TestCsvWriter::urlListFile_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("worked example")
        << Rows{{"about:blank", ""},
                {"form.asp", "item=a, b&msg=say \"hi\""},
                {"find.asp?a=1,2", "q=\"x\""}}
        << QByteArray("URL,POST-DATA\r\n"
                      "about:blank,\"\"\r\n"
                      "form.asp,\"item=a, b&msg=say \"\"hi\"\"\"\r\n"
                      "\"find.asp?a=1,2\",\"q=\"\"x\"\"\"\r\n");
    QTest::newRow("empty list") << Rows{} << QByteArray("URL,POST-DATA\r\n\"\",\"\"\r\n");
    QTest::newRow("comma and quote") << Rows{{"a", "x,\"y\""}}
                                     << QByteArray("URL,POST-DATA\r\na,\"x,\"\"y\"\"\"\r\n");
    QTest::newRow("quote only") << Rows{{"a", "say \"hi\""}}
                                << QByteArray("URL,POST-DATA\r\na,\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("comma in address") << Rows{{"http://h/?a=1,2", ""}}
                                      << QByteArray("URL,POST-DATA\r\n\"http://h/?a=1,2\",\"\"\r\n");
    QTest::newRow("CR LF with comma: each pair becomes LF")
        << Rows{{"a", "one,\r\ntwo\r\r\nthree"}}
        << QByteArray("URL,POST-DATA\r\na,\"one,\ntwo\nthree\"\r\n");
    QTest::newRow("CR alone with comma stays") << Rows{{"a", "x,\ry"}}
                                               << QByteArray("URL,POST-DATA\r\na,\"x,\ry\"\r\n");
    QTest::newRow("CR LF with quote keeps CR LF")
        << Rows{{"a", "say \"x\"\r\nnext"}}
        << QByteArray("URL,POST-DATA\r\na,\"say \"\"x\"\"\r\nnext\"\r\n");
    QTest::newRow("CR LF alone is wrapped") << Rows{{"a", "a=1\r\nb=2"}}
                                            << QByteArray("URL,POST-DATA\r\na,\"a=1\r\nb=2\"\r\n");
    QTest::newRow("LF alone is wrapped") << Rows{{"a\nb", "c"}}
                                         << QByteArray("URL,POST-DATA\r\n\"a\nb\",c\r\n");
    QTest::newRow("CR alone is wrapped") << Rows{{"a", "c\rd"}}
                                         << QByteArray("URL,POST-DATA\r\na,\"c\rd\"\r\n");
    QTest::newRow("HTML tags kept") << Rows{{"<a href=x>y</a>", "<script>z</script>"}}
                                    << QByteArray("URL,POST-DATA\r\n<a href=x>y</a>,<script>z</script>\r\n");
    QTest::newRow("bytes are not converted")
        << Rows{{"caf\xc3\xa9", QByteArray("\xe9\x00\xff", 3)}}
        << QByteArray("URL,POST-DATA\r\ncaf\xc3\xa9,") + QByteArray("\xe9\x00\xff\r\n", 5);
}

void TestCsvWriter::urlListFile()
{
    QFETCH(Rows, rows);
    QFETCH(QByteArray, expected);
    QCOMPARE(csvText(urlList(rows), CsvOptions{}), expected);
}

void TestCsvWriter::settings_data()
{
    QTest::addColumn<CsvOptions>("options");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("expected");

    CsvOptions o;

    o = {};
    o.CsvSeparator = ';';
    QTest::newRow("separator ;") << o << Rows{{"a,b", "c;d", "", "e"}}
                                 << QByteArray("a,b;\"c;d\";\"\";e\r\n");
    o.CsvSeparator = '\t';
    QTest::newRow("separator TAB") << o << Rows{{"a,b", "c\td\r\ne"}}
                                   << QByteArray("a,b\t\"c\td\ne\"\r\n");

    o = {};
    o.QuoteEveryCell = true;
    QTest::newRow("QuoteEveryCell") << o << Rows{{"a", "", "b\"c", "d,e"}}
                                    << QByteArray("\"a\",\"\",\"b\"\"c\",\"d,e\"\r\n");

    o = {};
    o.EmptyCellAsQuotes = false;
    QTest::newRow("EmptyCellAsQuotes off") << o << Rows{{"", "a", ""}} << QByteArray(",a,\r\n");
    o.QuoteEveryCell = true;
    QTest::newRow("EmptyCellAsQuotes off, QuoteEveryCell") << o << Rows{{"", "a"}}
                                                           << QByteArray("\"\",\"a\"\r\n");

    o = {};
    o.CaretTildeStyle = true;
    QTest::newRow("CaretTildeStyle")
        << o << Rows{{"a,b\r\nc", "x\"y", "q\"r,s", "", "l1\r\nl2\nl3"}}
        << QByteArray("a,b~c,\"x\"\"y\",q\"\"r,s,^,l1~l2l3\r\n");
    o.EmptyCellAsQuotes = false;
    QTest::newRow("CaretTildeStyle ignores EmptyCellAsQuotes") << o << Rows{{"", "a"}}
                                                               << QByteArray("^,a\r\n");
    o.QuoteEveryCell = true;
    QTest::newRow("CaretTildeStyle, QuoteEveryCell") << o << Rows{{"", "a,b\r\n"}}
                                                     << QByteArray("\"\",\"a,b~\"\r\n");

    o = {};
    o.Multilinecells = true;
    QTest::newRow("Multilinecells")
        << o << Rows{{"a\rb", "a\r\r\nb", "a\nb", "a\r\nb\"c\""}}
        << QByteArray("\"a\rb\",\"a\nb\",\"a\nb\",\"a\nb\"\"c\"\"\"\r\n");
    o = {};
    QTest::newRow("without Multilinecells CR CR LF stays") << o << Rows{{"a\r\r\nb"}}
                                                           << QByteArray("\"a\r\r\nb\"\r\n");

    o = {};
    o.OemConvert = true;
    QTest::newRow("OemConvert")
        << o << Rows{{"caf\xc3\xa9", "\xe2\x82\xac", "x\"\xc3\xa9", "plain"}}
        << QByteArray("caf\x82,?,\"x\"\"\x82\",plain\r\n");

    const Rows framed{{"c", "h1", "h2", "r"},
                      {"1", "a", "b", "x"},
                      {"2", "c", "d", "y"},
                      {"f", "s1", "s2", "z"}};
    o = {};
    o.OutputFixedCells = false;
    QTest::newRow("OutputFixedCells off") << o << framed << QByteArray("a,b\r\nc,d\r\n");
    o = {};
    QTest::newRow("OutputFixedCells on") << o << framed
                                         << QByteArray("c,h1,h2,r\r\n1,a,b,x\r\n2,c,d,y\r\nf,s1,s2,z\r\n");
}

void TestCsvWriter::settings()
{
    QFETCH(CsvOptions, options);
    QFETCH(Rows, rows);
    QFETCH(QByteArray, expected);
    QCOMPARE(csvText(cellsOf(rows, 1, 1, 1, 1), options), expected);
}

void TestCsvWriter::oemConversionMatchesCodePage437()
{
    QTextCodec *codec = QTextCodec::codecForName("IBM437");
    QVERIFY(codec);
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const QByteArray oem(1, char(byte));
        const QByteArray ansi = codec->toUnicode(oem).toLocal8Bit();
        QCOMPARE(ansiToOem(ansi), oem);
    }
    QCOMPARE(ansiToOem("\xc2\xb5\xce\xbc"), QByteArray("\xe6\xe6")); // micro sign and Greek mu
    QCOMPARE(ansiToOem("plain ASCII ~"), QByteArray("plain ASCII ~"));
    // Characters that code page 437 lacks, and bytes that are no text of the local code page.
    QCOMPARE(ansiToOem("\xe2\x82\xac \xc3\x80"), QByteArray("? ?"));
    QCOMPARE(ansiToOem("a\xff" "b"), QByteArray("a?b"));
}

void TestCsvWriter::progress_data()
{
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("outputFixedCells");
    QTest::addColumn<QList<qint16>>("expected");

    QList<qint16> everyPercent;
    for (qint16 p = 0; p <= 100; ++p)
        everyPercent.append(p);

    QTest::newRow("2 rows") << 2 << true << QList<qint16>{0, 100};
    QTest::newRow("3 rows") << 3 << true << QList<qint16>{0, 50, 100};
    QTest::newRow("9 rows, halves to even") << 9 << true
                                            << QList<qint16>{0, 12, 25, 38, 50, 62, 75, 88, 100};
    QTest::newRow("201 rows, repeats not raised") << 201 << true << everyPercent;
    QTest::newRow("100001 rows") << 100001 << true << everyPercent;
    QTest::newRow("1 row") << 1 << true << QList<qint16>{100};
    QTest::newRow("without fixed rows the first raised is row 1") << 5 << false
                                                                  << QList<qint16>{25, 50, 75, 100};
}

void TestCsvWriter::progress()
{
    QFETCH(int, rowCount);
    QFETCH(bool, outputFixedCells);
    QFETCH(QList<qint16>, expected);

    CellSource cells;
    cells.rowCount = rowCount;
    cells.colCount = 2;
    cells.cellText = [](int, int) { return QByteArray("x"); };
    CsvOptions options;
    options.OutputFixedCells = outputFixedCells;
    QList<qint16> raised;
    const QByteArray text = csvText(cells, options, [&raised](qint16 p) { raised.append(p); });
    QCOMPARE(raised, expected);
    QCOMPARE(text.count("\r\n"), outputFixedCells ? rowCount : rowCount - 1);
}

void TestCsvWriter::saveWritesTheBytesAndReplacesTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // No extension is added or looked at.
    const QString path = dir.filePath("urls");
    writeFile(path, QByteArray(2'000'000, 'o'));

    const CellSource cells = urlList(bulkRows(3000)); // well over one write chunk
    const QByteArray expected = csvText(cells, CsvOptions{});
    QList<qint16> raised;
    SaveCsv(path, cells, CsvOptions{}, [&raised](qint16 p) { raised.append(p); });
    const QByteArray written = readAll(path);
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
    QVERIFY(written.startsWith("URL,POST-DATA\r\n")); // no byte-order mark
    QCOMPARE(raised.size(), 101);
    QCOMPARE(entriesOf(dir.path()), QStringList{"urls"});
}

void TestCsvWriter::createFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("html");
    QTest::newRow("missing folder") << QStringLiteral("no-such-folder/urls.csv") << false;
    QTest::newRow("name of a folder") << QStringLiteral("folder") << false;
    QTest::newRow("empty name") << QString() << false;
    QTest::newRow("html, missing folder") << QStringLiteral("no-such-folder/urls.htm") << true;
}

void TestCsvWriter::createFailure()
{
    QFETCH(QString, name);
    QFETCH(bool, html);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QString fileName = name.isEmpty() ? name : dir.filePath(name);
    const QStringList before = entriesOf(dir.path());

    QString message;
    try {
        if (html)
            SaveHtml(fileName, urlList({}));
        else
            SaveCsv(fileName, urlList({}), CsvOptions{});
    } catch (const EListGridError &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("Cannot Create file ") + fileName);
    QCOMPARE(entriesOf(dir.path()), before);
    QVERIFY(entriesOf(dir.filePath("folder")).isEmpty());
}

void TestCsvWriter::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("html");
    // Bytes the disk takes before it is full, counted back from the file's end; 0: the rows
    // fail to come part-way instead.
    QTest::addColumn<qint64>("shortBy");
    QTest::newRow("CSV, disk full early") << false << qint64(1'700'000);
    QTest::newRow("CSV, disk full in the last bytes") << false << qint64(10);
    QTest::newRow("HTML, disk full early") << true << qint64(1'700'000);
    QTest::newRow("HTML, disk full in the last bytes") << true << qint64(1);
    QTest::newRow("CSV, rows fail part-way") << false << qint64(0);
}

void TestCsvWriter::failedWriteKeepsTheOldFile()
{
    QFETCH(bool, html);
    QFETCH(qint64, shortBy);
    const bool fullDisk = shortBy > 0;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(html ? "urls.htm" : "urls.csv");
    const QByteArray old = "URL,POST-DATA\r\nhttp://old/,\"\"\r\n";
    writeFile(path, old);

    CellSource cells = urlList(bulkRows(5000)); // about 2 MB
    const qint64 size = html ? htmlDocument(cells).size() : csvText(cells, CsvOptions{}).size();
    QVERIFY(size > shortBy);
    if (!fullDisk) {
        const auto text = cells.cellText;
        cells.cellText = [text](int col, int row) {
            if (row == 4000)
                throw TrailscribeError("row unavailable");
            return text(col, row);
        };
    }

    QString message;
    bool gridError = false;
    {
        FileSizeLimit limit(fullDisk ? rlim_t(size - shortBy) : RLIM_INFINITY);
        QVERIFY(limit.ok());
        try {
            if (html)
                SaveHtml(path, cells);
            else
                SaveCsv(path, cells, CsvOptions{});
        } catch (const EListGridError &error) {
            gridError = true;
            message = error.message();
        } catch (const TrailscribeError &error) {
            message = error.message();
        }
    }
    QVERIFY(!gridError);
    QCOMPARE(message, fullDisk ? QString::fromLocal8Bit(std::strerror(EFBIG)) : QStringLiteral("row unavailable"));
    QCOMPARE(readAll(path), old);
    QCOMPARE(entriesOf(dir.path()), QStringList{QFileInfo(path).fileName()});
}

// The name becomes a folder while the rows are written: the finished file cannot take its place.
void TestCsvWriter::targetTakenWhileWriting()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("urls.csv");
    CellSource cells = urlList(bulkRows(10));
    const auto text = cells.cellText;
    cells.cellText = [text, path](int col, int row) {
        if (row == 5 && col == 0)
            QDir().mkpath(path + "/inside");
        return text(col, row);
    };
    QString message;
    try {
        SaveCsv(path, cells, CsvOptions{});
    } catch (const EListGridError &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("Cannot Create file ") + path);
    QCOMPARE(entriesOf(dir.path()), QStringList{"urls.csv"});
    QCOMPARE(entriesOf(path), QStringList{"inside"});
}

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_csvwriter.moc"
