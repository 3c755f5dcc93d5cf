#include "urllist/clipboardcopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QProcess>
#include <QtTest>

#include <cstring>

namespace {

constexpr char kDumpArgument[] = "--dump-clipboard";

// The second process: reads the clipboard as any other program on the display would, and
// prints what it offers.
int dumpClipboard(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QJsonObject dump;
    dump["formats"] = QJsonArray::fromStringList(data ? data->formats() : QStringList());
    dump["text"] = QString::fromLatin1(QGuiApplication::clipboard()->text().toUtf8().toBase64());
    const QByteArray json = QJsonDocument(dump).toJson(QJsonDocument::Compact);
    fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}

struct ForeignView
{
    QStringList formats;
    QByteArray utf8Text;
};

// What another process sees on the clipboard; our event loop serves its requests meanwhile.
ForeignView readFromAnotherProcess()
{
    QProcess reader;
    reader.start(QCoreApplication::applicationFilePath(), {kDumpArgument});
    ForeignView view;
    if (!reader.waitForStarted(10000))
        return view;
    QElapsedTimer timer;
    timer.start();
    while (reader.state() != QProcess::NotRunning && timer.elapsed() < 30000)
        QTest::qWait(20);
    const QJsonObject dump = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    view.formats = dump["formats"].toVariant().toStringList();
    view.utf8Text = QByteArray::fromBase64(dump["text"].toString().toLatin1());
    return view;
}

void fillWithRichContent()
{
    auto *data = new QMimeData; // owned by the clipboard
    data->setHtml("<b>old</b>");
    data->setText("old text");
    data->setImageData(QImage(8, 8, QImage::Format_RGB32));
    data->setData("application/x-other", "other");
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

// Runs on a real X display: another process reads what SetClipboardText left there.
class TestClipboardX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placesOnlyThatText_data();
    void placesOnlyThatText();
};

void TestClipboardX11::initTestCase()
{
    fillWithRichContent();
    const ForeignView before = readFromAnotherProcess();
    QVERIFY2(before.formats.contains("image/png") && before.formats.contains("text/html"),
             qPrintable(before.formats.join(' ')));
}

void TestClipboardX11::placesOnlyThatText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("an address") << QByteArray("http://example.com/a?b=1&c=\"2\"")
                                << QByteArray("http://example.com/a?b=1&c=\"2\"");
    QTest::newRow("8-bit text of the code page") << QByteArray("caf\xc3\xa9") << QByteArray("caf\xc3\xa9");

    CellSource list;
    list.rowCount = 2;
    list.colCount = 2;
    list.cellText = [](int col, int row) {
        return row == 0 ? QByteArray(col == 0 ? "URL" : "POST-DATA")
                        : QByteArray(col == 0 ? "about:blank" : "a=1\r\nb=2");
    };
    QTest::newRow("the whole list") << clipboardBlockText(list)
                                    << QByteArray("URL\tPOST-DATA\r\nabout:blank\t\"a=1\nb=2\"\r\n");
}

void TestClipboardX11::placesOnlyThatText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    fillWithRichContent();
    SetClipboardText(text);
    const ForeignView after = readFromAnotherProcess();
    QCOMPARE(after.utf8Text, expected);
    // The X selection's own protocol targets are no data formats.
    static const QStringList protocolTargets{"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"};
    QStringList dataFormats;
    for (const QString &format : after.formats) {
        if (!protocolTargets.contains(format))
            dataFormats.append(format);
    }
    QVERIFY2(dataFormats.contains("text/plain"), qPrintable(after.formats.join(' ')));
    for (const QString &format : dataFormats)
        QVERIFY2(format.startsWith("text/plain"), qPrintable(after.formats.join(' ')));
}

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], kDumpArgument) == 0)
        return dumpClipboard(argc, argv);
    QGuiApplication app(argc, argv);
    TestClipboardX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clipboard_x11.moc"
