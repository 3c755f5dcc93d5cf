// The banner's pixel arithmetic, caption markup and random generator, without a window.
#include "banner/bannerhtml.h"
#include "banner/bannerpaint.h"
#include "banner/programrandom.h"

#include <QGuiApplication>
#include <QFontMetrics>
#include <QSet>
#include <QtTest>

class TestBannerPaint : public QObject
{
    Q_OBJECT

private slots:
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void gradientBands_data();
    void gradientBands();
    void gradientColours_data();
    void gradientColours();
    void shadePixels_data();
    void shadePixels();
    void shadeImageRunsDarkToBottomRight();
    void crossStaysInItsBox();
    void geometry();
    void lineStart_data();
    void lineStart();
    void tagAttributes_data();
    void tagAttributes();
    void parsesDefaultCaption();
    void parsesMarkup();
    void laysOutLines();
    void shellLinks_data();
    void shellLinks();
    void randomDrawsCoverRange();
    void reseedingChangesGenerator();
};

void TestBannerPaint::roundsHalfToEven_data()
{
    QTest::addColumn<long long>("numerator");
    QTest::addColumn<long long>("denominator");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5 -> 0") << 1LL << 2LL << 0;
    QTest::newRow("1.5 -> 2") << 3LL << 2LL << 2;
    QTest::newRow("2.5 -> 2") << 5LL << 2LL << 2;
    QTest::newRow("1.25 -> 1") << 5LL << 4LL << 1;
    QTest::newRow("1.75 -> 2") << 7LL << 4LL << 2;
    QTest::newRow("-0.5 -> 0") << -1LL << 2LL << 0;
    QTest::newRow("-1.5 -> -2") << -3LL << 2LL << -2;
    QTest::newRow("-2.5 -> -2") << -5LL << 2LL << -2;
    QTest::newRow("-1.25 -> -1") << -5LL << 4LL << -1;
    QTest::newRow("-1.75 -> -2") << -7LL << 4LL << -2;
    QTest::newRow("exact") << 128LL << 64LL << 2;
}

void TestBannerPaint::roundsHalfToEven()
{
    QFETCH(long long, numerator);
    QFETCH(long long, denominator);
    QFETCH(int, expected);
    QCOMPARE(roundHalfEven(numerator, denominator), expected);
}

void TestBannerPaint::gradientBands_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("top");
    QTest::newRow("first") << 0 << 88 << 0;
    QTest::newRow("1.375 -> 1") << 1 << 88 << 1;
    QTest::newRow("2.75 -> 3") << 2 << 88 << 3;
    QTest::newRow("5.5 -> 6") << 4 << 88 << 6;
    QTest::newRow("16.5 -> 16") << 12 << 88 << 16;
    QTest::newRow("last") << 63 << 88 << 87;
    QTest::newRow("short panel") << 63 << 32 << 32;   // 31.5 -> 32: cut off entirely
}

void TestBannerPaint::gradientBands()
{
    QFETCH(int, band);
    QFETCH(int, height);
    QFETCH(int, top);
    QCOMPARE(gradientBandTop(band, height), top);
}

void TestBannerPaint::gradientColours_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<QColor>("from");
    QTest::addColumn<QColor>("to");
    QTest::addColumn<QColor>("expected");
    const QColor silver(192, 192, 192);
    const QColor white(255, 255, 255);
    QTest::newRow("top is Color") << 0 << silver << white << silver;
    QTest::newRow("band 1") << 1 << silver << white << QColor(193, 193, 193);
    QTest::newRow("31.5 -> 32") << 32 << silver << white << QColor(224, 224, 224);
    QTest::newRow("last one short of ColorTo") << 63 << silver << white << QColor(254, 254, 254);
    // 1.5 goes up to 2, 4.5 down to 4
    QTest::newRow("1.5 -> 2") << 1 << QColor(0, 0, 0) << QColor(96, 0, 0) << QColor(2, 0, 0);
    QTest::newRow("4.5 -> 4") << 3 << QColor(0, 0, 0) << QColor(96, 0, 0) << QColor(4, 0, 0);
    QTest::newRow("falling, channels apart") << 3 << QColor(96, 10, 200) << QColor(0, 10, 8)
                                             << QColor(92, 10, 191);
}

void TestBannerPaint::gradientColours()
{
    QFETCH(int, band);
    QFETCH(QColor, from);
    QFETCH(QColor, to);
    QFETCH(QColor, expected);
    QCOMPARE(gradientBandColor(band, from, to), expected);
    QCOMPARE(gradientBandHeight(88), 2);
    QCOMPARE(gradientBandHeight(63), 1);
}

void TestBannerPaint::shadePixels_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("shadeLight");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("expected");
    const QColor gray(128, 128, 128);
    QTest::newRow("top left") << QPoint(0, 0) << QSize(792, 20) << 200 << gray << QColor(113, 113, 113);
    QTest::newRow("bottom right") << QPoint(791, 19) << QSize(792, 20) << 200 << gray << QColor(51, 51, 51);
    // k = -7: halved toward zero it is -3 (L 203); rounding down would give -4 (L 204, 102)
    QTest::newRow("odd negative k") << QPoint(100, 5) << QSize(792, 20) << 200 << gray << QColor(101, 101, 101);
    QTest::newRow("middle") << QPoint(395, 9) << QSize(792, 20) << 200 << gray << QColor(83, 83, 83);
    QTest::newRow("wider bar") << QPoint(699, 14) << QSize(1000, 20) << 200 << gray << QColor(69, 69, 69);
    QTest::newRow("zero size counts as 100 x 20") << QPoint(50, 10) << QSize(0, 0) << 200 << gray
                                                  << QColor(82, 82, 82);
    QTest::newRow("channels apart") << QPoint(0, 0) << QSize(792, 20) << 200 << QColor(255, 0, 100)
                                    << QColor(227, 0, 89);
    QTest::newRow("bright light saturates") << QPoint(0, 0) << QSize(792, 20) << 400 << QColor(255, 255, 255)
                                            << QColor(255, 255, 255);
}

void TestBannerPaint::shadePixels()
{
    QFETCH(QPoint, pixel);
    QFETCH(QSize, size);
    QFETCH(int, shadeLight);
    QFETCH(QColor, color);
    QFETCH(QColor, expected);
    QCOMPARE(QColor(shadePixel(pixel.x(), pixel.y(), size.width(), size.height(), shadeLight, color)), expected);
    if (!size.isEmpty()) {
        const QImage image = buildDiagonalShade(size.width(), size.height(), shadeLight, color);
        QCOMPARE(image.size(), size);
        QCOMPARE(image.pixelColor(pixel), expected);
    }
}

void TestBannerPaint::shadeImageRunsDarkToBottomRight()
{
    for (int width : {100, 792, 1600}) {
        const QImage image = buildDiagonalShade(width, 20, 200, QColor(128, 128, 128));
        int previous = 256;
        for (int i = 0; i < 20; ++i) {   // along the diagonal, never lighter
            const int value = qRed(image.pixel(i * (width - 1) / 19, i));
            QVERIFY2(value <= previous, qPrintable(QStringLiteral("width %1 step %2").arg(width).arg(i)));
            previous = value;
        }
        QCOMPARE(qRed(image.pixel(0, 0)), 113);
        QCOMPARE(qRed(image.pixel(width - 1, 19)), previous);
    }
    QVERIFY(buildDiagonalShade(0, 20, 200, Qt::gray).isNull());
}

void TestBannerPaint::crossStaysInItsBox()
{
    const int width = 792;
    const int r = width - 1;
    const QList<QPoint> pixels = closeCrossPixels(width);
    const QSet<QPoint> set(pixels.begin(), pixels.end());
    QCOMPARE(set.size(), pixels.size());
    for (const QPoint &p : pixels) {
        QVERIFY(p.x() >= r - 10 && p.x() <= r - 4);
        QVERIFY(p.y() >= 5 && p.y() <= 11);
        QVERIFY2(set.contains(QPoint(2 * (r - 7) - p.x(), p.y())), "the cross is symmetric");
    }
    for (const QPoint corner : {QPoint(r - 10, 5), QPoint(r - 4, 5), QPoint(r - 10, 11), QPoint(r - 4, 11),
                                QPoint(r - 7, 8)})
        QVERIFY(set.contains(corner));
    // both strokes are 2 pixels wide on every row but the last
    for (int y = 5; y < 11; ++y) {
        const int i = y - 5;
        QVERIFY(set.contains(QPoint(r - 10 + i, y)) && set.contains(QPoint(r - 9 + i, y)));
        QVERIFY(set.contains(QPoint(r - 4 - i, y)) && set.contains(QPoint(r - 5 - i, y)));
    }
    QVERIFY(!set.contains(QPoint(r - 7, 5)));
    QVERIFY(!set.contains(QPoint(r - 10, 8)));
}

void TestBannerPaint::geometry()
{
    QCOMPARE(bannerChildArea(QSize(792, 88), 20, 1), QRect(1, 21, 790, 66));
    QCOMPARE(bannerChildArea(QSize(1000, 88), 0, 1), QRect(1, 1, 998, 86));
    QCOMPARE(pictureImageOrigin(QSize(790, 66), QSize(468, 60)), QPoint(161, 3));
    QCOMPARE(pictureImageOrigin(QSize(998, 66), QSize(468, 60)), QPoint(265, 3));
    QCOMPARE(pictureImageOrigin(QSize(300, 40), QSize(468, 60)), QPoint(0, 0));
    QCOMPARE(captionBarRect(792, 20), QRect(1, 1, 790, 18));
    QCOMPARE(closeSquare(792), QRect(778, 2, 12, 12));
    const CaptionTextBox box = captionTextBox(792, 0, 0);
    QCOMPARE(box.left, 1);
    QCOMPARE(box.top, 1);
    QCOMPARE(box.right, 759);
    QCOMPARE(box.bottom, 21);
}

void TestBannerPaint::lineStart_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("start");
    QTest::newRow("left") << int(Qt::AlignLeft) << 200 << 2;
    QTest::newRow("right") << int(Qt::AlignRight) << 200 << 559;
    QTest::newRow("right, too wide") << int(Qt::AlignRight) << 800 << 2;
    QTest::newRow("centre") << int(Qt::AlignHCenter) << 200 << 280;
    QTest::newRow("centre, odd space") << int(Qt::AlignHCenter) << 201 << 280;
    QTest::newRow("centre, no space") << int(Qt::AlignHCenter) << 757 << 2;
    QTest::newRow("centre, too wide") << int(Qt::AlignHCenter) << 900 << 2;
}

void TestBannerPaint::lineStart()
{
    QFETCH(int, alignment);
    QFETCH(int, lineWidth);
    QFETCH(int, start);
    QCOMPARE(htmlLineStart(Qt::Alignment(alignment), 1, 759, lineWidth), start);
}

void TestBannerPaint::tagAttributes_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "P align=\"center\"" << "align" << "center";
    QTest::newRow("any case") << "P ALIGN=\"Right\"" << "align" << "Right";
    QTest::newRow("spaces around =") << "A href = \"Page.html\"" << "href" << "Page.html";
    QTest::newRow("second attribute") << "FONT size=\"2\" face=\"Tahoma\"" << "face" << "Tahoma";
    QTest::newRow("not inside another name") << "FONT xface=\"a\" face=\"b\"" << "face" << "b";
    QTest::newRow("not inside a value") << "A title=\"href=x\"" << "href" << "";
    QTest::newRow("absent") << "B" << "face" << "";
    QTest::newRow("unquoted is not read") << "P align=center" << "align" << "";
}

void TestBannerPaint::tagAttributes()
{
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(htmlTagAttribute(tag, name), value);
}

static QFont startFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

void TestBannerPaint::parsesDefaultCaption()
{
    const QList<HtmlLine> lines = parseBannerHtml(
        QStringLiteral("<P align=\"center\"><FONT face=\"Tahoma\"><B>Tavorink Trailscribe is sponsored by:</B></FONT></P>"),
        startFont(), Qt::white);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].alignment, Qt::AlignHCenter);
    QCOMPARE(lines[0].runs.size(), 1);
    const HtmlRun &run = lines[0].runs[0];
    QCOMPARE(run.text, QStringLiteral("Tavorink Trailscribe is sponsored by:"));
    QCOMPARE(run.font.family().compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive), 0);
    QVERIFY(run.font.bold());
    QCOMPARE(run.font.pixelSize(), 11);
    QCOMPARE(run.color, QColor(Qt::white));
    QVERIFY(run.href.isEmpty());
}

void TestBannerPaint::parsesMarkup()
{
    const QList<HtmlLine> lines = parseBannerHtml(
        QStringLiteral("<p ALIGN=\"Right\"><font FACE=\"Courier\"><b>a</B>b</FONT>c</p>"
                       "<P align=\"left\"><i>d</i> &lt; <A HREF=\"Next.html\">e</a></P>tail < x"),
        startFont(), Qt::yellow);
    QCOMPARE(lines.size(), 3);

    QCOMPARE(lines[0].alignment, Qt::AlignRight);
    QCOMPARE(lines[0].runs.size(), 3);
    QCOMPARE(lines[0].runs[0].text, QStringLiteral("a"));
    QVERIFY(lines[0].runs[0].font.bold());
    QCOMPARE(lines[0].runs[0].font.family(), QStringLiteral("Courier"));
    QCOMPARE(lines[0].runs[1].text, QStringLiteral("b"));
    QVERIFY(!lines[0].runs[1].font.bold());
    QCOMPARE(lines[0].runs[1].font.family(), QStringLiteral("Courier"));
    QCOMPARE(lines[0].runs[2].text, QStringLiteral("c"));   // </FONT> restores the face and size
    QCOMPARE(lines[0].runs[2].font.family(), startFont().family());
    QCOMPARE(lines[0].runs[2].font.pixelSize(), 11);
    QCOMPARE(lines[0].runs[2].color, QColor(Qt::yellow));

    QCOMPARE(lines[1].alignment, Qt::AlignLeft);
    QCOMPARE(lines[1].runs.size(), 2);
    QCOMPARE(lines[1].runs[0].text, QStringLiteral("d &lt; "));   // unknown tags skipped, text kept
    QCOMPARE(lines[1].runs[1].text, QStringLiteral("e"));
    QCOMPARE(lines[1].runs[1].href, QStringLiteral("Next.html"));   // letter case of the target kept

    QCOMPARE(lines[2].runs.size(), 1);
    QCOMPARE(lines[2].runs[0].text, QStringLiteral("tail < x"));   // a lone "<" is text
    QVERIFY(lines[2].runs[0].href.isEmpty());
}

void TestBannerPaint::laysOutLines()
{
    QFont bold = startFont();
    bold.setBold(true);
    const QList<HtmlLine> lines = parseBannerHtml(
        QStringLiteral("<P align=\"center\"><B>one</B>two</P><P align=\"right\">three</P>"), startFont(), Qt::white);
    const CaptionTextBox box{1, 1, 759, 60};
    const QList<PlacedRun> runs = layoutBannerHtml(lines, box);
    QCOMPARE(runs.size(), 3);
    const int oneWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("one"));
    const int twoWidth = QFontMetrics(startFont()).horizontalAdvance(QStringLiteral("two"));
    const int threeWidth = QFontMetrics(startFont()).horizontalAdvance(QStringLiteral("three"));
    QCOMPARE(runs[0].box.left(), 1 + 1 + (759 - 1 - 1 - oneWidth - twoWidth) / 2);
    QCOMPARE(runs[1].box.left(), runs[0].box.left() + oneWidth);
    QCOMPARE(runs[0].box.top(), 1);
    QCOMPARE(runs[2].box.left(), 759 - threeWidth);
    QVERIFY(runs[2].box.top() >= 1 + QFontMetrics(startFont()).boundingRect(QStringLiteral("gh")).height());
    QCOMPARE(runs[2].box.top(), 1 + runs[0].box.height());
    QCOMPARE(runs[0].baseline, 1 + std::max(QFontMetrics(bold).ascent(), QFontMetrics(startFont()).ascent()));
}

void TestBannerPaint::shellLinks_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("shell");
    QTest::newRow("web") << "https://www.tavorink.com/" << true;
    QTest::newRow("mail") << "mailto:info@tavorink.com" << true;
    QTest::newRow("relative") << "next.html" << false;
    QTest::newRow("bare name") << "sponsor" << false;
    QTest::newRow("half a scheme") << "http:/x" << false;
}

void TestBannerPaint::shellLinks()
{
    QFETCH(QString, target);
    QFETCH(bool, shell);
    QCOMPARE(isShellLink(target), shell);
}

void TestBannerPaint::randomDrawsCoverRange()
{
    reseedProgramRandom();
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i) {
        const int n = randomInt(3);
        QVERIFY(n >= 0 && n < 3);
        ++counts[n];
    }
    for (int c : counts)
        QVERIFY2(c > 800 && c < 1200, qPrintable(QString::number(c)));
    QCOMPARE(randomInt(1), 0);
    QCOMPARE(randomInt(0), 0);
}

void TestBannerPaint::reseedingChangesGenerator()
{
    reseedProgramRandom();
    const std::mt19937 before = programRandom();
    QTest::qWait(2);
    reseedProgramRandom();
    QVERIFY(programRandom() != before);
}

QTEST_MAIN(TestBannerPaint)
#include "tst_bannerpaint.moc"
