#include "core/htmlwriter.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

using Rows = QList<QList<QByteArray>>;

// Opens a saved list file in the web engine: hostile cell texts must show as those texts and
// run nothing.
class TestHtmlWriterBrowser : public QObject
{
    Q_OBJECT

private slots:
    void opensAsLiteralTexts();
};

void TestHtmlWriterBrowser::opensAsLiteralTexts()
{
    const Rows rows{
        {"URL", "POST-DATA"},
        {"http://h/?q=<script>window.__ran = 1</script>", "a=</td></tr></table><script>window.__ran = 2</script>"},
        {"<img src=x onerror=\"window.__ran = 3\">", "say \"hi\" & 'bye' &amp; &lt;"},
        {"caf\xc3\xa9 \xe2\x82\xac", "<!-- x --> ]]> <a href=\"javascript:window.__ran=4\">l</a>"},
    };
    CellSource cells;
    cells.rowCount = int(rows.size());
    cells.colCount = 2;
    cells.cellText = [&rows](int col, int row) { return rows.at(row).at(col); };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("urls.htm");
    SaveHtml(path, cells);

    QWebEnginePage page;
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    page.load(QUrl::fromLocalFile(path));
    QVERIFY(loaded.wait(60000));
    QVERIFY(loaded.first().first().toBool());

    QString json;
    bool answered = false;
    page.runJavaScript(QStringLiteral(R"(JSON.stringify({
        charset: document.characterSet,
        title: document.title,
        tables: document.querySelectorAll('table').length,
        scripts: document.scripts.length,
        images: document.images.length,
        links: document.links.length,
        ran: typeof window.__ran,
        rows: Array.from(document.querySelectorAll('tr')).map(
            tr => Array.from(tr.cells).map(c => c.tagName + ':' + c.textContent))
    }))"),
                       [&](const QVariant &result) {
                           json = result.toString();
                           answered = true;
                       });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
    const QJsonObject seen = QJsonDocument::fromJson(json.toUtf8()).object();
    QCOMPARE(seen["charset"].toString(), QStringLiteral("UTF-8"));
    QVERIFY(!seen["title"].toString().isEmpty());
    QCOMPARE(seen["tables"].toInt(), 1);
    QCOMPARE(seen["scripts"].toInt(), 0);
    QCOMPARE(seen["images"].toInt(), 0);
    QCOMPARE(seen["links"].toInt(), 0);
    QCOMPARE(seen["ran"].toString(), QStringLiteral("undefined"));

    const QJsonArray shownRows = seen["rows"].toArray();
    QCOMPARE(shownRows.size(), rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const QString tag = r == 0 ? "TH:" : "TD:";
        const QStringList expected{tag + QString::fromUtf8(rows[r][0]), tag + QString::fromUtf8(rows[r][1])};
        QCOMPARE(shownRows[r].toVariant().toStringList(), expected);
    }
}

QTEST_MAIN(TestHtmlWriterBrowser)
#include "tst_htmlwriter_browser.moc"
