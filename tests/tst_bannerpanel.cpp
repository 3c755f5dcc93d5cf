// The banner panel as a widget: its paint at two widths, the close square, the picture's click,
// links in the caption, image decoding and the caching of the caption's shade.
#include "banner/bannerimages.h"
#include "banner/bannerpaint.h"
#include "common/fonts.h"
#include "banner/programrandom.h"
#include "banner/tbannerpanel.h"
#include "core/trailscribeerror.h"

#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// A shown host with one banner panel of the given width, its picture loaded.
struct BannerFixture
{
    explicit BannerFixture(int width, const char *image = kBannerPicture2Image)
    {
        host.resize(width, 200);
        panel = new TBannerPanel(&host);
        panel->Picture()->LoadFromResource(QString::fromLatin1(image));
        panel->setGeometry(0, 50, width, 88);
        panel->show();
        host.show();
    }

    QImage render() const
    {
        QImage image(panel->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        panel->render(&image);
        return image;
    }

    QWidget host;
    TBannerPanel *panel;
};

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool isWhite(QRgb rgb)
{
    return qRed(rgb) > 200 && qGreen(rgb) > 200 && qBlue(rgb) > 200;
}

QFont captionFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

} // namespace

class TestBannerPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void createdWithItsSettings();
    void pixels_data();
    void pixels();
    void widths_data();
    void edge();
    void edge_data() { widths_data(); }
    void cross();
    void cross_data() { widths_data(); }
    void pictureAndImage();
    void pictureAndImage_data() { widths_data(); }
    void captionCentredLeftOfCross();
    void captionCentredLeftOfCross_data() { widths_data(); }
    void darkestCornerFollowsResize();
    void shadeBuiltOnlyWhenNeeded();
    void closeSquare_data();
    void closeSquare();
    void freeOnClose();
    void pictureClick();
    void captionAnchor();
    void decodeFailures_data();
    void decodeFailures();
    void shippedImages_data();
    void shippedImages();
    void closingGivesHeightToNeighbour();
};

void TestBannerPanel::initTestCase()
{
    installFontSubstitutes();
}

void TestBannerPanel::createdWithItsSettings()
{
    QWidget host;
    TBannerPanel panel(&host);
    host.show();
    QVERIFY(panel.isHidden());
    QCOMPARE(panel.minimumHeight(), 88);
    QCOMPARE(panel.maximumHeight(), 88);
    QCOMPARE(panel.Color(), QColor(192, 192, 192));
    QCOMPARE(panel.ColorTo(), QColor(255, 255, 255));
    QVERIFY(panel.Text().isEmpty());
    QVERIFY(!panel.FreeOnClose());

    TBannerCaption *caption = panel.Caption();
    QVERIFY(caption->Visible());
    QCOMPARE(caption->Height(), 20);
    QCOMPARE(caption->Color(), QColor(128, 128, 128));
    QCOMPARE(caption->ShadeLight(), 200);
    QCOMPARE(caption->ShadeGrain(), 32);
    QCOMPARE(caption->Font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(caption->Font().pixelSize(), 11);
    QVERIFY(caption->CloseButton());
    QCOMPARE(caption->CloseButtonColor(), QColor(Qt::white));
    QCOMPARE(caption->Text(), QStringLiteral("<P align=\"center\"><FONT face=\"Tahoma\"><B>Tavorink Trailscribe is "
                                             "sponsored by:</B></FONT></P>"));
    caption->SetShadeLight(120);
    QCOMPARE(caption->ShadeLight(), 200);

    QCOMPARE(panel.Picture()->parentWidget(), &panel);
    QCOMPARE(panel.Picture()->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(panel.Picture()->Image().isNull());
}

void TestBannerPanel::pixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("gray");
    for (int width : {792, 1000}) {
        const QByteArray w = QByteArray::number(width);
        // the caption bar: shade pixel (x - 1, y - 1) of a width x 20 image
        QTest::newRow(w + " shade top left") << width << QPoint(1, 1) << 113;
        QTest::newRow(w + " shade top right") << width << QPoint(width - 2, 1) << (width == 792 ? 82 : 82);
        QTest::newRow(w + " shade bottom left") << width << QPoint(150, 17) << (width == 792 ? 82 : 83);
        QTest::newRow(w + " shade inside") << width << QPoint(101, 6) << (width == 792 ? 101 : 102);
        QTest::newRow(w + " shade inside 2") << width << QPoint(200, 10) << (width == 792 ? 91 : 93);
        QTest::newRow(w + " shade bottom right") << width << QPoint(width - 2, 18) << 54;
        // rows 19 and 20 keep the body gradient (band 14: 192 + 14)
        QTest::newRow(w + " row 19") << width << QPoint(300, 19) << 206;
        QTest::newRow(w + " row 20") << width << QPoint(300, 20) << 206;
        // the body gradient beside the image: bands 15, 29, 28, 44 and 62; band 28 starts at
        // y 38 (38.5 to even) and band 44 at y 60 (60.5), each one row over the band before it
        QTest::newRow(w + " band boundary y 38") << width << QPoint(100, 38) << 220;
        QTest::newRow(w + " band boundary y 60") << width << QPoint(100, 60) << 235;
        QTest::newRow(w + " band y 21") << width << QPoint(100, 21) << 207;
        QTest::newRow(w + " band y 40") << width << QPoint(100, 40) << 221;
        QTest::newRow(w + " band y 86") << width << QPoint(width - 10, 86) << 253;
    }
    QTest::newRow("792 shade lower right") << 792 << QPoint(601, 15) << 67;
    QTest::newRow("1000 shade lower right") << 1000 << QPoint(700, 15) << 69;
}

void TestBannerPanel::pixels()
{
    QFETCH(int, width);
    QFETCH(QPoint, point);
    QFETCH(int, gray);
    BannerFixture fixture(width);
    QCOMPARE(fixture.panel->width(), width);
    QCOMPARE(at(fixture.render(), point.x(), point.y()), QColor(gray, gray, gray));
}

void TestBannerPanel::widths_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("792") << 792;
    QTest::newRow("1000") << 1000;
    QTest::newRow("640") << 640;
}

void TestBannerPanel::edge()
{
    QFETCH(int, width);
    BannerFixture fixture(width);
    const QImage image = fixture.render();
    const QRgb light = fixture.panel->palette().color(QPalette::Light).rgb();
    const QRgb dark = fixture.panel->palette().color(QPalette::Dark).rgb();
    QVERIFY(light != dark);
    for (int x : {0, 1, 400, width - 2})
        QCOMPARE(image.pixel(x, 0), light);
    for (int y : {1, 10, 50, 86})
        QCOMPARE(image.pixel(0, y), light);
    for (int x : {1, 400, width - 1})
        QCOMPARE(image.pixel(x, 87), dark);
    for (int y : {0, 1, 10, 50, 87})
        QCOMPARE(image.pixel(width - 1, y), dark);
}

void TestBannerPanel::cross()
{
    QFETCH(int, width);
    BannerFixture fixture(width);
    const QImage image = fixture.render();
    const int r = width - 1;
    const QList<QPoint> pixels = closeCrossPixels(width);
    for (int y = 4; y <= 12; ++y) {
        for (int x = r - 11; x <= r - 3; ++x) {
            const bool inCross = pixels.contains(QPoint(x, y));
            QCOMPARE(at(image, x, y) == QColor(Qt::white), inCross);
        }
    }
    QCOMPARE(at(image, r - 10, 5), QColor(Qt::white));
    QCOMPARE(at(image, r - 4, 11), QColor(Qt::white));
    QCOMPARE(at(image, r - 7, 8), QColor(Qt::white));
}

void TestBannerPanel::pictureAndImage()
{
    QFETCH(int, width);
    BannerFixture fixture(width);
    TBannerPicture *picture = fixture.panel->Picture();
    QCOMPARE(picture->geometry(), QRect(1, 21, width - 2, 66));
    const QPoint origin((width - 2 - 468) / 2, 3);
    QCOMPARE(picture->ImageOrigin(), origin);
    if (width == 792)
        QCOMPARE(origin, QPoint(161, 3));

    const QImage image = fixture.render();
    const QImage banner = picture->Image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(banner.size(), QSize(468, 60));
    const QPoint at0 = picture->pos() + origin;
    QCOMPARE(image.copy(QRect(at0, banner.size())), banner);

    // around the image the picture paints nothing: the panel's own composition shows
    const QImage body = fixture.panel->ComposeImage();
    for (int y : {21, 23, 24, 50, 83, 84, 86}) {
        QCOMPARE(body.pixel(1, y), body.pixel(width / 2, y));   // a level band
        for (int x : {1, at0.x() - 1, at0.x() + 468, width - 2})
            QCOMPARE(image.pixel(x, y), body.pixel(x, y));
    }
    for (int x : {at0.x(), at0.x() + 200, at0.x() + 467}) {
        QCOMPARE(image.pixel(x, 23), body.pixel(x, 23));
        QCOMPARE(image.pixel(x, 84), body.pixel(x, 84));
    }
    QVERIFY(image.pixel(at0.x(), 24) != body.pixel(at0.x(), 24) || image.pixel(at0.x() + 100, 40) != body.pixel(at0.x() + 100, 40));
}

void TestBannerPanel::captionCentredLeftOfCross()
{
    QFETCH(int, width);
    BannerFixture fixture(width);
    const QImage image = fixture.render();
    const int r = width - 1;
    int minX = width, maxX = -1, minY = 100, lit = 0;
    for (int y = 1; y < 19; ++y) {
        for (int x = 1; x < r - 11; ++x) {
            if (isWhite(image.pixel(x, y))) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                ++lit;
            }
        }
    }
    QVERIFY2(lit > 100, "the caption text is drawn");
    QVERIFY2(maxX < r - 32, "the text stays left of the button space");
    const int textWidth = QFontMetrics(captionFont()).horizontalAdvance(
        QStringLiteral("Tavorink Trailscribe is sponsored by:"));
    const int start = 2 + (r - 32 - 1 - 1 - textWidth) / 2;
    QVERIFY2(minX >= start - 1 && maxX <= start + textWidth,
             qPrintable(QStringLiteral("ink %1..%2, line %3..%4").arg(minX).arg(maxX).arg(start).arg(start + textWidth)));
    // as far from x 2 as from the right of the text box, give or take the glyphs' side bearings
    QVERIFY(std::abs((minX - 2) - (r - 32 - 1 - maxX)) <= 4);
    QVERIFY2(minY >= 1 && minY <= 5, "the line's top at y 1");
}

void TestBannerPanel::darkestCornerFollowsResize()
{
    BannerFixture fixture(792);
    fixture.render();
    fixture.panel->resize(1200, 88);
    const QImage image = fixture.render();
    const QRect bar = captionBarRect(1200, 20);
    int darkest = 256;
    QPoint where;
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
        for (int x = bar.left(); x <= bar.right(); ++x) {
            const int value = qRed(image.pixel(x, y));
            if (value <= darkest) {
                darkest = value;
                where = QPoint(x, y);
            }
        }
    }
    QCOMPARE(where, bar.bottomRight());
    QCOMPARE(darkest, qRed(shadePixel(1197, 17, 1200, 20, 200, QColor(128, 128, 128))));
    QCOMPARE(fixture.panel->Picture()->ImageOrigin(), QPoint(265 + 100, 3));
}

void TestBannerPanel::shadeBuiltOnlyWhenNeeded()
{
    BannerFixture fixture(792);
    TBannerCaption *caption = fixture.panel->Caption();
    fixture.render();
    const int builds = caption->ShadeBuildCount();
    QCOMPARE(caption->ShadeImage().width(), 792);

    fixture.render();
    fixture.panel->repaint();
    caption->SetText(QStringLiteral("<B>other</B>"));
    caption->SetColor(QColor(128, 128, 128));   // unchanged colour
    fixture.render();
    QCOMPARE(caption->ShadeBuildCount(), builds);

    fixture.panel->resize(900, 88);
    fixture.render();
    QCOMPARE(caption->ShadeBuildCount(), builds + 1);
    QCOMPARE(caption->ShadeImage().width(), 900);

    const std::mt19937 before = programRandom();
    QTest::qWait(2);
    caption->SetShadeLight(200);   // setting it builds again, even to the same value
    QCOMPARE(caption->ShadeBuildCount(), builds + 2);
    QVERIFY2(programRandom() != before, "a build reseeds the program's generator");
    caption->SetShadeGrain(32);
    caption->SetColor(QColor(0, 0, 255));
    QCOMPARE(caption->ShadeBuildCount(), builds + 4);
    QCOMPARE(at(fixture.render(), 1, 1), QColor(0, 0, 227));

    caption->SetHeight(24);
    QCOMPARE(caption->ShadeImage().height(), 24);
    QCOMPARE(fixture.panel->Picture()->geometry(), QRect(1, 25, 898, 62));
}

void TestBannerPanel::closeSquare_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("closes");
    const int w = 792;
    const struct { const char *name; Qt::MouseButton button; } buttons[] = {
        {"left", Qt::LeftButton}, {"right", Qt::RightButton}, {"middle", Qt::MiddleButton}};
    for (const auto &b : buttons) {
        const QByteArray name(b.name);
        QTest::newRow(name + " top left of square") << int(b.button) << QPoint(w - 14, 2) << true;
        QTest::newRow(name + " bottom right of square") << int(b.button) << QPoint(w - 3, 13) << true;
        QTest::newRow(name + " on the cross") << int(b.button) << QPoint(w - 8, 8) << true;
        QTest::newRow(name + " caption bar") << int(b.button) << QPoint(400, 10) << false;
    }
    QTest::newRow("left of square") << int(Qt::LeftButton) << QPoint(w - 15, 8) << false;
    QTest::newRow("right of square") << int(Qt::LeftButton) << QPoint(w - 2, 8) << false;
    QTest::newRow("above square") << int(Qt::LeftButton) << QPoint(w - 8, 1) << false;
    QTest::newRow("below square") << int(Qt::LeftButton) << QPoint(w - 8, 14) << false;
    QTest::newRow("row under the bar") << int(Qt::LeftButton) << QPoint(400, 20) << false;
    QTest::newRow("edge") << int(Qt::RightButton) << QPoint(0, 50) << false;
}

void TestBannerPanel::closeSquare()
{
    QFETCH(int, button);
    QFETCH(QPoint, point);
    QFETCH(bool, closes);
    BannerFixture fixture(792);
    int closed = 0;
    QObject *sender = nullptr;
    connect(fixture.panel, &TBannerPanel::OnClose, fixture.panel, [&](QObject *s) { ++closed; sender = s; });
    bool clicked = false;
    connect(fixture.panel->Picture(), &TBannerPicture::OnClick, fixture.panel, [&](QObject *) { clicked = true; });

    QTest::mousePress(fixture.panel, Qt::MouseButton(button), {}, point);
    QCOMPARE(fixture.panel->isHidden(), closes);
    QCOMPARE(closed, closes ? 1 : 0);
    if (closes)
        QCOMPARE(sender, fixture.panel);
    QTest::mouseRelease(fixture.panel, Qt::MouseButton(button), {}, point);
    QVERIFY(!clicked);
    QCoreApplication::processEvents();
    QCOMPARE(fixture.panel->isHidden(), closes);   // hidden, kept
}

void TestBannerPanel::freeOnClose()
{
    BannerFixture fixture(792);
    QPointer<TBannerPanel> panel(fixture.panel);
    panel->SetFreeOnClose(true);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(784, 8));
    QVERIFY(panel->isHidden());
    QTRY_VERIFY(panel.isNull());
}

void TestBannerPanel::pictureClick()
{
    BannerFixture fixture(792);
    TBannerPicture *picture = fixture.panel->Picture();
    QList<QObject *> senders;
    connect(picture, &TBannerPicture::OnClick, picture, [&](QObject *sender) { senders.append(sender); });

    // on the image and on the margins around it
    for (const QPoint point : {QPoint(300, 30), QPoint(0, 0), QPoint(789, 65), QPoint(100, 33), QPoint(300, 1)})
        QTest::mouseClick(picture, Qt::LeftButton, {}, point);
    QCOMPARE(senders.size(), 5);
    QVERIFY(std::all_of(senders.begin(), senders.end(), [&](QObject *s) { return s == picture; }));
    QVERIFY(!fixture.panel->isHidden());

    senders.clear();
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(300, 30));
    QTest::mouseClick(picture, Qt::MiddleButton, {}, QPoint(300, 30));
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(300, 30));
    QCOMPARE(senders.size(), 0);   // a press alone is no click
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(300, 30));
    QCOMPARE(senders.size(), 1);
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(300, 30));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(300, 120));   // let go off the picture
    QCOMPARE(senders.size(), 1);
    QCOMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
}

void TestBannerPanel::captionAnchor()
{
    BannerFixture fixture(792);
    QStringList anchors;
    QObject *sender = nullptr;
    connect(fixture.panel, &TBannerPanel::OnAnchorClick, fixture.panel, [&](QObject *s, const QString &anchor) {
        anchors.append(anchor);
        sender = s;
    });
    // the shipped caption holds no link: a press on its text does nothing
    QTest::mousePress(fixture.panel, Qt::LeftButton, {}, QPoint(396, 8));
    QVERIFY(anchors.isEmpty());

    fixture.panel->Caption()->SetText(QStringLiteral("<P align=\"left\">see <A href=\"Sponsor.Page\">the sponsor</A></P>"));
    QFont font = fixture.panel->Caption()->Font();
    const int linkLeft = 2 + QFontMetrics(font).horizontalAdvance(QStringLiteral("see "));
    QTest::mousePress(fixture.panel, Qt::LeftButton, {}, QPoint(linkLeft + 5, 8));
    QCOMPARE(anchors, QStringList{QStringLiteral("Sponsor.Page")});
    QCOMPARE(sender, fixture.panel);
    QTest::mousePress(fixture.panel, Qt::RightButton, {}, QPoint(linkLeft - 8, 8));   // on "see"
    QTest::mousePress(fixture.panel, Qt::LeftButton, {}, QPoint(600, 8));
    QCOMPARE(anchors.size(), 1);
    QVERIFY(!fixture.panel->isHidden());
}

void TestBannerPanel::decodeFailures_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QFile gif(QString::fromLatin1(kBannerPicture4Image));
    initBannerResources();
    QVERIFY(gif.open(QIODevice::ReadOnly));
    const QByteArray whole = gif.readAll();
    QTest::newRow("empty") << QByteArray() << "Empty image stream created";
    QTest::newRow("not an image") << QByteArray("Tavorink Trailscribe, not a picture") << "Could not load image. Invalid format";
    QTest::newRow("header only") << whole.left(13) << "Could not load image";
}

void TestBannerPanel::decodeFailures()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    BannerFixture fixture(792, kBannerPicture1Image);
    TBannerPicture *picture = fixture.panel->Picture();
    const QImage before = picture->Image();
    try {
        picture->SetImageData(data);
        QFAIL("no error raised");
    } catch (const TrailscribeError &error) {
        QCOMPARE(error.message(), message);
    }
    QCOMPARE(picture->Image(), before);

    try {
        picture->LoadFromResource(QStringLiteral(":/banner/images/missing.gif"));
        QFAIL("no error raised");
    } catch (const TrailscribeError &error) {
        QCOMPARE(error.message(), QStringLiteral("Could not create image stream"));
    }
}

void TestBannerPanel::shippedImages_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("BannerPicture2") << QString::fromLatin1(kBannerPicture2Image);
    QTest::newRow("BannerPicture4") << QString::fromLatin1(kBannerPicture4Image);
    QTest::newRow("BannerPicture1") << QString::fromLatin1(kBannerPicture1Image);
}

void TestBannerPanel::shippedImages()
{
    QFETCH(QString, path);
    initBannerResources();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.startsWith("GIF89a"));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 1);
    QCOMPARE(reader.size(), QSize(468, 60));
    QCOMPARE(TBannerPicture::DecodeImage(data).size(), QSize(468, 60));
}

void TestBannerPanel::closingGivesHeightToNeighbour()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *view = new QWidget(&window);   // stands for the web view's panel
    view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *panel = new TBannerPanel(&window);
    layout->addWidget(view);
    layout->addWidget(panel);
    window.resize(792, 400);
    window.show();
    QTRY_COMPARE(view->height(), 400);   // a hidden banner takes no room

    panel->show();
    QTRY_COMPARE(view->height(), 400 - 88);
    QCOMPARE(panel->geometry(), QRect(0, 312, 792, 88));

    window.resize(1000, 400);
    QTRY_COMPARE(panel->width(), 1000);
    QCOMPARE(panel->height(), 88);

    QTest::mousePress(panel, Qt::MiddleButton, {}, QPoint(990, 8));
    QVERIFY(panel->isHidden());
    QTRY_COMPARE(view->height(), 400);
}

QTEST_MAIN(TestBannerPanel)
#include "tst_bannerpanel.moc"
