#include "tests/support/cellfixtures.h"
#include "core/csvwriter.h"
#include "core/htmlwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// The document read back as markup: what a reader of the file gets out of it.
struct ParsedDocument
{
    QString error;
    bool doctype = false;
    QString charset;
    QString title;
    int tables = 0;
    QList<QStringList> headingRows; // cells in <thead>, all <th>
    QList<QStringList> dataRows;    // cells in <tbody>, all <td>
    QStringList elements;           // every element name met
};

ParsedDocument parse(const QByteArray &document)
{
    ParsedDocument parsed;
    QXmlStreamReader xml(document);
    QString section;
    QStringList row;
    QString cell;
    bool inCell = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            parsed.doctype = xml.text().toString().trimmed().compare("<!DOCTYPE html>", Qt::CaseInsensitive) == 0;
            break;
        case QXmlStreamReader::StartElement: {
            const QString name = xml.name().toString();
            parsed.elements.append(name);
            if (name == "meta")
                parsed.charset = xml.attributes().value("charset").toString();
            else if (name == "title")
                parsed.title = xml.readElementText();
            else if (name == "table")
                ++parsed.tables;
            else if (name == "thead" || name == "tbody")
                section = name;
            else if (name == "tr")
                row.clear();
            else if (name == (section == "thead" ? "th" : "td")) {
                inCell = true;
                cell.clear();
            } else if (inCell) {
                parsed.error = "markup inside a cell: " + name;
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (inCell)
                cell += xml.text();
            break;
        case QXmlStreamReader::EndElement: {
            const QString name = xml.name().toString();
            if (name == "th" || name == "td") {
                inCell = false;
                row.append(cell);
            } else if (name == "tr") {
                (section == "thead" ? parsed.headingRows : parsed.dataRows).append(row);
            }
            break;
        }
        default:
            break;
        }
    }
    if (xml.hasError())
        parsed.error = xml.errorString();
    return parsed;
}

QStringList texts(const QList<QByteArray> &cells)
{
    QStringList list;
    for (const QByteArray &cell : cells)
        list.append(QString::fromUtf8(cell).replace("\r\n", "\n").replace('\r', '\n'));
    return list;
}

} // namespace

class TestHtmlWriter : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheListsCellsAsText_data();
    void holdsTheListsCellsAsText();
    void saveWritesTheDocument();
};

void TestHtmlWriter::holdsTheListsCellsAsText_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<bool>("outputFixedCells");
    QTest::newRow("empty list") << Rows{} << true;
    const Rows hostile{{"http://h/?a=<script>alert(1)</script>", "x=</td></tr></table><script>alert(2)</script>"},
                       {"say \"hi\" & 'bye'", "&amp; &lt; &#39; ]]> <!-- -->"},
                       {"<img src=x onerror=alert(3)>", "<a href=\"javascript:alert(4)\">l</a>"}};
    QTest::newRow("hostile texts") << hostile << true;
    QTest::newRow("hostile texts, without the heading row") << hostile << false;
    QTest::newRow("line breaks, tabs and 8-bit text")
        << Rows{{"caf\xc3\xa9", "a=1\r\nb=2\nc\td"}, {"about:blank", ""}} << true;
}

void TestHtmlWriter::holdsTheListsCellsAsText()
{
    QFETCH(Rows, rows);
    QFETCH(bool, outputFixedCells);
    const CellSource cells = urlList(rows);
    const QByteArray document = htmlDocument(cells, outputFixedCells);
    const ParsedDocument parsed = parse(document);

    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QVERIFY(parsed.doctype);
    QCOMPARE(parsed.charset, QStringLiteral("utf-8"));
    QVERIFY(!parsed.title.isEmpty());
    QCOMPARE(parsed.tables, 1);
    QCOMPARE(parsed.elements.count("script"), 0);
    QCOMPARE(parsed.elements.count("img"), 0);
    QCOMPARE(parsed.elements.count("a"), 0);

    const QList<QStringList> headingRows{{"URL", "POST-DATA"}};
    QCOMPARE(parsed.headingRows, outputFixedCells ? headingRows : QList<QStringList>());
    QList<QStringList> expectedRows;
    for (const auto &row : rows.isEmpty() ? Rows{{"", ""}} : rows)
        expectedRows.append(texts(row));
    QCOMPARE(parsed.dataRows, expectedRows);
}

void TestHtmlWriter::saveWritesTheDocument()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("urls.htm");
    Rows rows;
    for (int i = 0; i < 2000; ++i) // well over one write chunk
        rows.append({"http://example.com/" + QByteArray::number(i) + "?a=<b>&c", QByteArray(300, 'v')});
    const CellSource cells = urlList(rows);
    SaveHtml(path, cells);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(written == htmlDocument(cells));
    QCOMPARE(parse(written).dataRows.size(), rows.size());
}

QTEST_GUILESS_MAIN(TestHtmlWriter)
#include "tst_htmlwriter.moc"
