// The request window on hand-made records: particulars, the Raw, Form and Hex views, the copy
// buttons, and a 20 MB body that must not stall the event loop.
#include "core/requestbody.h"
#include "app/requestmodels.h"
#include "app/requestwindow.h"
#include "core/utctime.h"
#include "support/apptestsupport.h"
#include "webview/formencoder.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

RequestRecord post(const QByteArray &body, const QByteArray &contentType)
{
    RequestRecord r;
    r.method = "POST";
    r.body = body;
    r.contentType = contentType;
    r.recorded = utcDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 678));
    r.window = RequestWindow::Main;
    return r;
}

QString cell(QAbstractItemModel *m, int row, int col) { return m->index(row, col).data().toString(); }

const QMimeData *clipboard() { return QGuiApplication::clipboard()->mimeData(); }

} // namespace

class TstRequestWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<TRequestWindow> w;

private slots:
    void init()
    {
        w = std::make_unique<TRequestWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void urlEncodedRecord()
    {
        const QByteArray body("a=1+2&n%C3%A9=%E2%82%AC&blob=x%00y");
        RequestRecord r = post(body, "application/x-www-form-urlencoded");
        r.window = RequestWindow::External;
        r.doubt = QStringLiteral("The page changed the form after it was sent.");
        w->setRequest(r, "http://form.test/send?x=1");

        QCOMPARE(w->MethodLabel->text(), QStringLiteral("POST"));
        QCOMPARE(w->AddressLabel->text(), QStringLiteral("http://form.test/send?x=1"));
        QCOMPARE(w->ContentTypeLabel->text(), QStringLiteral("application/x-www-form-urlencoded"));
        QCOMPARE(w->TimeLabel->text(), QStringLiteral("2026-01-02 03:04:05.678 UTC"));
        QCOMPARE(w->WindowLabel->text(), QStringLiteral("external"));
        QCOMPARE(w->FrameLabel->text(), QStringLiteral("top-level"));
        QCOMPARE(w->CertaintyLabel->text(), QStringLiteral("uncertain: The page changed the form after it was sent."));
        QCOMPARE(w->SourceLabel->text(), QStringLiteral("(none)"));
        QCOMPARE(w->RawView->toPlainText(), QString::fromLatin1(body));
        QVERIFY(w->RawView->isReadOnly());
        QCOMPARE(w->BodyTabs->count(), 3);

        FormFieldModel *form = w->formModel();
        QCOMPARE(form->rowCount(), 3);
        QCOMPARE(form->columnCount(), 3);
        QCOMPARE(cell(form, 0, 0), QStringLiteral("a"));
        QCOMPARE(cell(form, 0, 1), QStringLiteral("1 2"));
        QCOMPARE(cell(form, 1, 0), QStringLiteral("n\u00e9"));
        QCOMPARE(cell(form, 1, 1), QStringLiteral("\u20ac"));
        QCOMPARE(cell(form, 2, 1), QStringLiteral("x\u2400y"));
        QCOMPARE(w->FormNote->text(), QStringLiteral("3 field(s), decoded as UTF-8 (Latin-1 where not UTF-8)."));

        // The "Copy" cell of a row copies its value, the zero byte included.
        w->BodyTabs->setCurrentIndex(1);
        const QRect copyCell = w->FormView->visualRect(form->index(2, form->copyColumn()));
        QVERIFY(!copyCell.isEmpty());
        QTest::mouseClick(w->FormView->viewport(), Qt::LeftButton, {}, copyCell.center());
        QCOMPARE(clipboard()->text(), QString::fromLatin1("x\0y", 3));
        QVERIFY(!clipboard()->hasFormat(QStringLiteral("application/octet-stream")));
        // A click elsewhere in the row copies nothing.
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        QTest::mouseClick(w->FormView->viewport(), Qt::LeftButton, {},
                          w->FormView->visualRect(form->index(1, 1)).center());
        QCOMPARE(clipboard()->text(), QStringLiteral("untouched"));
        w->CopyValueButton->click();
        QCOMPARE(clipboard()->text(), QStringLiteral("\u20ac"));

        HexDumpModel *hex = w->hexModel();
        QCOMPARE(hex->rowCount(), 3);
        QCOMPARE(cell(hex, 0, 0), QStringLiteral("00000000"));
        QCOMPARE(cell(hex, 0, 1), QStringLiteral("61 3D 31 2B 32 26 6E 25 43 33 25 41 39 3D 25 45"));
        QCOMPARE(cell(hex, 0, 2), QStringLiteral("a=1+2&n%C3%A9=%E"));
        QCOMPARE(cell(hex, 2, 0), QStringLiteral("00000020"));
        QCOMPARE(cell(hex, 2, 1).trimmed(), QStringLiteral("30 79"));
    }

    void textPlainRecordInItsCharset()
    {
        const QByteArray body("name=J\xfcrgen\r\nnote=a=b\tc\r\n");
        RequestRecord r = post(body, "text/plain; charset=windows-1252");
        r.source = BodySource::Network;
        w->setRequest(r, "http://form.test/");
        QCOMPARE(w->CertaintyLabel->text(), QStringLiteral("certain"));
        QCOMPARE(w->SourceLabel->text(), QStringLiteral("the engine's network layer"));
        QCOMPARE(w->RawView->toPlainText(), QStringLiteral("name=J\\xFCrgen\nnote=a=b\u2409c\n"));
        FormFieldModel *form = w->formModel();
        QCOMPARE(form->rowCount(), 2);
        QCOMPARE(cell(form, 0, 1), QStringLiteral("J\u00fcrgen"));
        QCOMPARE(cell(form, 1, 0), QStringLiteral("note"));
        QCOMPARE(cell(form, 1, 1), QStringLiteral("a=b\u2409c"));
        QCOMPARE(w->FormNote->text(), QStringLiteral("2 field(s), decoded as windows-1252."));
        w->copyFormValue(1);
        QCOMPARE(clipboard()->text(), QStringLiteral("a=b\tc"));

        // "Copy Body" gives every byte: as Latin-1 text and as the bytes themselves.
        w->CopyBodyButton->click();
        QCOMPARE(clipboard()->text(), QString::fromLatin1(body));
        QCOMPARE(clipboard()->data(QStringLiteral("application/octet-stream")), body);
    }

    void multipartWithABinaryFile()
    {
        QByteArray file;
        for (int i = 0; i < 256; ++i)
            file += char(i);
        const QByteArray boundary = makeMultipartBoundary();
        const QByteArray body = encodeMultipart({FormEntry::text("title", QStringLiteral("caf\u00e9")),
                                                 FormEntry::file("upload", "b.bin", "application/octet-stream", file)},
                                                QStringLiteral("UTF-8"), boundary);
        RequestRecord r = post(body, formContentType(FormEnctype::Multipart, boundary));
        r.source = BodySource::Script;
        r.boundaryRemade = true;
        w->setRequest(r, "http://form.test/up");
        QCOMPARE(w->CertaintyLabel->text(), QStringLiteral("certain"));
        QCOMPARE(w->SourceLabel->text(),
                 QStringLiteral("the form submission, encoded as the engine does\nThe boundary was made by Trailscribe; "
                                "this engine does not reveal its own. Every other byte is as sent."));

        FormFieldModel *form = w->formModel();
        QCOMPARE(form->rowCount(), 2);
        QCOMPARE(form->columnCount(), 6);
        QCOMPARE(form->headerData(1, Qt::Horizontal).toString(), QStringLiteral("File Name"));
        QCOMPARE(cell(form, 0, 0), QStringLiteral("title"));
        QCOMPARE(cell(form, 0, 1), QString());
        QCOMPARE(cell(form, 0, 3), QStringLiteral("5"));
        QCOMPARE(cell(form, 0, 4), QStringLiteral("caf\u00e9"));
        QCOMPARE(cell(form, 1, 0), QStringLiteral("upload"));
        QCOMPARE(cell(form, 1, 1), QStringLiteral("b.bin"));
        QCOMPARE(cell(form, 1, 2), QStringLiteral("application/octet-stream"));
        QCOMPARE(cell(form, 1, 3), QStringLiteral("256"));
        QVERIFY(cell(form, 1, 4).startsWith(QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A")));
        QVERIFY(cell(form, 1, 4).endsWith(QStringLiteral("3E 3F \u2026")));
        QCOMPARE(w->FormNote->text(), QStringLiteral("2 part(s), text decoded as UTF-8 (Latin-1 where not UTF-8)."));

        // The file's copy is its bytes.
        w->FormView->setCurrentIndex(form->index(1, 0));
        w->CopyValueButton->click();
        QCOMPARE(clipboard()->data(QStringLiteral("application/octet-stream")), file);
        QCOMPARE(clipboard()->text(), QString::fromLatin1(file));

        const QString raw = w->RawView->toPlainText();
        QVERIFY(raw.contains(QStringLiteral("filename=\"b.bin\"\nContent-Type: application/octet-stream\n\n"
                                            "\u2400\u2401\u2402")));
        QVERIFY(raw.contains(QStringLiteral("\u241e\u241f !\"#")));
        QVERIFY(raw.contains(QStringLiteral("}~\u2421\\x80\\x81")));
        QVERIFY(raw.contains(QStringLiteral("caf\\xC3\\xA9\n--") + QString::fromLatin1(boundary)));

        HexDumpModel *hex = w->hexModel();
        QCOMPARE(hex->rowCount(), int((body.size() + 15) / 16));
        const int fileLine = int(body.indexOf(file) / 16) + 1;
        QVERIFY(cell(hex, fileLine, 2).size() == 16);
        QCOMPARE(hex->bytes(), body);
    }

    void rowWithoutBody()
    {
        RequestRecord r;
        r.method = "GET";
        r.recorded = utcDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        r.window = RequestWindow::Main;
        w->setRequest(r, "http://plain.test/");
        QCOMPARE(w->MethodLabel->text(), QStringLiteral("GET"));
        QCOMPARE(w->ContentTypeLabel->text(), QStringLiteral("(none)"));
        QCOMPARE(w->RawNote->text(), QStringLiteral("(no body)"));
        QCOMPARE(w->RawView->toPlainText(), QString());
        QCOMPARE(w->formModel()->rowCount(), 0);
        QCOMPARE(w->FormNote->text(), QStringLiteral("No body."));
        QCOMPARE(w->hexModel()->rowCount(), 0);
        QVERIFY(!w->CopyBodyButton->isEnabled());
        QVERIFY(!w->CopyValueButton->isEnabled());
    }

    // 20 MB in one line, the worst case for a text view: the window fills without a long stall
    // of the event loop and stays responsive while the user looks through every view.
    void twentyMegabytes()
    {
        const qsizetype size = 20 * 1024 * 1024;
        QByteArray body("big=");
        body.reserve(size);
        while (body.size() < size)
            body += "0123456789abcdefghijklmnopqrstuvwxyz%41+";
        body.truncate(size);
        const RequestRecord r = post(body, "application/x-www-form-urlencoded");

        apptest::StallMeter meter;
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(20, w.get(), [&] { w->setRequest(r, "http://big.test/"); });
        QTest::qWait(200);
        w->BodyTabs->setCurrentIndex(2);
        QTest::qWait(100);
        w->HexView->scrollToBottom();
        QTest::qWait(100);
        w->BodyTabs->setCurrentIndex(1);
        QTest::qWait(100);
        w->BodyTabs->setCurrentIndex(0);
        w->RawView->verticalScrollBar()->setValue(w->RawView->verticalScrollBar()->maximum());
        w->RawView->horizontalScrollBar()->setValue(w->RawView->horizontalScrollBar()->maximum());
        QTest::qWait(100);
        qInfo("longest stall %lld ms over %lld ms", meter.longestMs(), clock.elapsed());
        QVERIFY2(meter.longestMs() < 500, qPrintable(QString::number(meter.longestMs())));

        QCOMPARE(w->RawNote->text(), QStringLiteral("(first 256 KB of 20971520 bytes shown; Hex shows all)"));
        QCOMPARE(w->RawView->document()->characterCount() - 1, TRequestWindow::kRawLimit);
        QCOMPARE(w->hexModel()->rowCount(), int(size / 16));
        QCOMPARE(cell(w->hexModel(), int(size / 16) - 1, 0), QStringLiteral("013FFFF0"));
        QCOMPARE(cell(w->hexModel(), int(size / 16) - 1, 2), QString::fromLatin1(body.right(16)));
        QCOMPARE(w->formModel()->rowCount(), 1);
        QCOMPARE(w->formModel()->value(0).text,
                 QString::fromLatin1(body.mid(4)).replace(QStringLiteral("%41"), QStringLiteral("A")).replace(QLatin1Char('+'), QLatin1Char(' ')));

        // The same window takes the next request whole.
        w->setRequest(post("a=1", "application/x-www-form-urlencoded"), "http://small.test/");
        QCOMPARE(w->RawNote->text(), QStringLiteral("3 bytes"));
        QCOMPARE(w->RawView->toPlainText(), QStringLiteral("a=1"));
        QCOMPARE(w->hexModel()->rowCount(), 1);
    }
};

QTEST_MAIN(TstRequestWindow)
#include "tst_requestwindow.moc"
