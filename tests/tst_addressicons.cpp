// The address box's icons (lookup rules, the field's icon, list entries) and its window shape.
#include "addressbox/addresscombo.h"
#include "addressbox/addressgeometry.h"
#include "addressbox/iconindex.h"
#include "addressbox/systemiconlist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QIcon providerIcon(QFileIconProvider::IconType type) { return QFileIconProvider().icon(type); }

QIcon fileKindIcon(const char *iconName)
{
    return QIcon::fromTheme(QString::fromLatin1(iconName),
                            QIcon::fromTheme(QStringLiteral("text-x-generic"), providerIcon(QFileIconProvider::File)));
}

QImage imageOf(int index)
{
    return SystemIconList::shared().pixmap(index).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage expectedImage(const QIcon &icon)
{
    return SystemIconList::smallPixmap(icon).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// `icon` drawn over `background` as the box draws it.
QImage over(const QImage &background, int index)
{
    QImage image = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, SystemIconList::shared().pixmap(index));
    return image;
}

QImage region(QWidget *widget, const QRect &rect)
{
    return widget->grab(rect).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage filled(const QColor &colour)
{
    QImage image(SystemIconList::kIconSize, SystemIconList::kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// Largest difference of a colour channel between two images of the same size; blending on the
// screen and in an image may round differently.
int difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                              std::abs(p.blue() - q.blue())});
        }
    return worst;
}

#define COMPARE_IMAGES(actual, expected) QVERIFY2(difference((actual), (expected)) <= 2, "images differ")
#define DIFFERENT_IMAGES(actual, expected) QVERIFY2(difference((actual), (expected)) > 16, "images are alike")

} // namespace

Q_DECLARE_METATYPE(IconRule)

class TestAddressIcons : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("notes");
    }

    void lookupRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<IconRule>("rule");
        QTest::addColumn<QIcon>("icon");
        const QIcon webPage = fileKindIcon("text-html");
        const QIcon textFile = fileKindIcon("text-plain");
        const QIcon computer = providerIcon(QFileIconProvider::Computer);
        const QIcon controlPanel =
            QIcon::fromTheme(QStringLiteral("preferences-system"), providerIcon(QFileIconProvider::Folder));
        QTest::newRow("my computer") << "my computer" << IconRule::SpecialFolder << computer;
        QTest::newRow("My Computer") << "My Computer" << IconRule::SpecialFolder << computer;
        QTest::newRow("Control Panel") << "Control Panel" << IconRule::SpecialFolder << controlPanel;
        QTest::newRow("cONTROL pANEL") << "cONTROL pANEL" << IconRule::SpecialFolder << controlPanel;
        QTest::newRow("a folder the platform lacks") << "Printers" << IconRule::WebPage << webPage;
        QTest::newRow("only a to z are upper-cased") << QStringLiteral("d\u00e9sktop") << IconRule::WebPage << webPage;
        QTest::newRow("a name with more around it") << "my computer " << IconRule::WebPage << webPage;
        QTest::newRow("existing file") << m_file << IconRule::File << textFile;
        QTest::newRow("existing directory") << m_dir.path() << IconRule::Directory
                                            << providerIcon(QFileIconProvider::Folder);
        QTest::newRow("file:// text") << "file://x/readme.txt" << IconRule::File << textFile;
        QTest::newRow("FILE:// in upper case") << "FILE://x/page.htm" << IconRule::File << webPage;
        QTest::newRow("web address") << "http://www.example.com/index.php" << IconRule::WebPage << webPage;
        QTest::newRow("empty") << "" << IconRule::None << QIcon();
    }

    void lookupRules()
    {
        QFETCH(QString, text);
        QFETCH(IconRule, rule);
        QFETCH(QIcon, icon);
        QCOMPARE(iconKindOf(text).rule, rule);
        const int index = IconIndexOf(text);
        if (rule == IconRule::None) {
            QCOMPARE(index, -1);
            QVERIFY(SystemIconList::shared().pixmap(index).isNull());
            return;
        }
        QVERIFY(index >= 0);
        QCOMPARE(IconIndexOf(text), index); // a kind keeps its index
        QCOMPARE(SystemIconList::shared().pixmap(index).size(), QSize(16, 16));
        QCOMPARE(imageOf(index), expectedImage(icon));
    }

    void kindsShareAndSeparateIndexes()
    {
        // Same kind, same index: a web address is a web page like an .htm file; text files by name.
        QCOMPARE(IconIndexOf("http://example.com/"), IconIndexOf("file://host/page.htm"));
        QCOMPARE(IconIndexOf("file://x/readme.txt"), IconIndexOf(m_file));
        const QList<int> kinds{IconIndexOf("my computer"), IconIndexOf("control panel"), IconIndexOf(m_dir.path()),
                               IconIndexOf("file://x/readme.txt"), IconIndexOf("http://example.com/")};
        for (int i = 0; i < kinds.size(); ++i)
            for (int j = i + 1; j < kinds.size(); ++j)
                QVERIFY2(kinds.at(i) != kinds.at(j), qPrintable(QStringLiteral("kinds %1 and %2").arg(i).arg(j)));
        // A special folder name is about the icon alone: the folder need not exist as a file.
        QCOMPARE(specialFolderOf(upperAscii("Recycle Bin")), 10);
        QCOMPARE(specialFolderOf(upperAscii("somewhere")), kNoSpecialFolder);
        QVERIFY(!specialFolderPath(4)); // printers
        QCOMPARE(specialFolderPath(17).value_or(QString()), QDir::rootPath());
    }

    void fieldIconFollowsTyping()
    {
        QWidget window;
        auto *box = new TAddressCombo(&window);
        box->move(40, 4);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->SetText(QString());
        box->setFocus();
        const QRect field(box->IconLeft(), box->IconTop(), 16, 16);
        const QImage empty = region(box, field);

        QTest::keyClick(box, Qt::Key_X);
        QCOMPARE(box->Text(), QStringLiteral("x"));
        COMPARE_IMAGES(region(box, field), over(empty, IconIndexOf("x")));
        QTest::keyClick(box, Qt::Key_Backspace);
        COMPARE_IMAGES(region(box, field), empty); // no icon for the empty text
        QTest::keyClick(box, '/');
        QCOMPARE(box->Text(), QStringLiteral("/"));
        COMPARE_IMAGES(region(box, field), over(empty, IconIndexOf(QDir::rootPath())));
        DIFFERENT_IMAGES(over(empty, IconIndexOf("x")), over(empty, IconIndexOf(QDir::rootPath())));

        // The icon's place follows IconLeft and IconTop.
        box->SetIconLeft(6);
        box->SetIconTop(4);
        box->SetText(QString());
        const QImage moved = region(box, QRect(6, 4, 16, 16));
        box->SetText(QStringLiteral("/"));
        COMPARE_IMAGES(region(box, QRect(6, 4, 16, 16)), over(moved, IconIndexOf("/")));
    }

    void listEntriesCarryIcons()
    {
        QWidget window;
        window.resize(400, 300);
        auto *box = new TAddressCombo(&window);
        box->move(40, 4);
        box->resize(300, 22);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList entries{"http://a.example/", QDir::rootPath(), "file://x/readme.txt", "my computer"};
        box->SetItems(entries);
        box->SetText("typed");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down); // opens the list, nothing selected
        QTRY_VERIFY(box->DroppedDown());
        QAbstractItemView *list = box->view();
        QWidget *viewport = list->viewport();
        const QPalette palette = list->palette();
        for (int row = 0; row < entries.size(); ++row) {
            const QRect item = list->visualRect(list->model()->index(row, 0));
            QCOMPARE(item.height(), 16);
            const QPoint at = itemIconPos(item, QSize(16, 16));
            QCOMPARE(at, item.topLeft() + QPoint(4, 0));
            if (list->currentIndex().row() == row)
                continue; // the focused entry has the focus look over its background
            const QImage expected = over(filled(palette.color(QPalette::Base)), IconIndexOf(entries.at(row)));
            COMPARE_IMAGES(region(viewport, QRect(at, QSize(16, 16))), expected);
            // Left of the icon and between it and the text there is only the background.
            QCOMPARE(region(viewport, QRect(item.left(), item.top(), 4, 16)).pixelColor(1, 8),
                     palette.color(QPalette::Base));
        }

        // Down selects entries; the field shows the selected entry's icon at (4, 3).
        const QImage fieldBefore = region(box, QRect(4, 3, 16, 16));
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Down);
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Down);
        QCOMPARE(box->Text(), QDir::rootPath());
        QCOMPARE(box->SelectedIcon(), IconIndexOf(QDir::rootPath()));
        const QRect selected = list->visualRect(list->model()->index(1, 0));
        // The selected entry is the focused one too: its focus frame runs along its edges.
        const QPoint iconAt = itemIconPos(selected, QSize(16, 16));
        const QColor highlight = viewport->grab(selected).toImage().pixelColor(selected.width() - 4, 8);
        QVERIFY(highlight != palette.color(QPalette::Base));
        // The style's focus look tints the selected entry a little, so colours are compared loosely;
        // without the icon the region would be far off.
        const QImage selectedIcon = region(viewport, QRect(iconAt + QPoint(0, 1), QSize(16, 14)));
        QVERIFY(difference(selectedIcon, over(filled(highlight), box->SelectedIcon()).copy(0, 1, 16, 14)) <= 32);
        DIFFERENT_IMAGES(selectedIcon, filled(highlight).copy(0, 1, 16, 14));
        DIFFERENT_IMAGES(region(box, QRect(4, 3, 16, 16)), fieldBefore);
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Escape);
        QTRY_VERIFY(!box->DroppedDown());
    }

    void shapeFunction_data()
    {
        QTest::addColumn<bool>("border");
        QTest::addColumn<bool>("dropDown");
        QTest::addColumn<bool>("simple");
        QTest::addColumn<QRegion>("shape");
        QTest::newRow("no border") << false << true << false << QRegion(3, 2, 139, 18);
        QTest::newRow("no drop-down") << true << false << false << QRegion(0, 0, 125, 22);
        QTest::newRow("neither") << false << false << false << QRegion(3, 2, 122, 18);
        QTest::newRow("no drop-down, simple style") << true << false << true << QRegion(0, 0, 145, 22);
    }

    void shapeFunction()
    {
        QFETCH(bool, border);
        QFETCH(bool, dropDown);
        QFETCH(bool, simple);
        QFETCH(QRegion, shape);
        QVERIFY(!addressBoxShape(QSize(145, 22), true, true, false, 20, 3, 2));
        const std::optional<QRegion> result = addressBoxShape(QSize(145, 22), border, dropDown, simple, 20, 3, 2);
        QVERIFY(result);
        QCOMPARE(*result, shape);
    }

    void shapeOfTheBox_data()
    {
        QTest::addColumn<bool>("border");
        QTest::addColumn<bool>("dropDown");
        QTest::newRow("both") << true << true;
        QTest::newRow("no drop-down") << true << false;
        QTest::newRow("no border") << false << true;
        QTest::newRow("neither") << false << false;
    }

    void shapeOfTheBox()
    {
        QFETCH(bool, border);
        QFETCH(bool, dropDown);
        TAddressCombo orphan;
        orphan.SetHasDropDown(false);
        QVERIFY(orphan.mask().isEmpty()); // no shape before the box has a parent

        QWidget window;
        auto *box = new TAddressCombo(&window);
        box->setGeometry(40, 4, 300, 22);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->SetHasBorder(border);
        box->SetHasDropDown(dropDown);
        const QRegion mask = box->mask();
        if (border && dropDown) {
            QVERIFY(mask.isEmpty());
            return;
        }
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = true;
        const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        const int metric = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, box) + frame;
        const QRect arrow = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
        // The button strip is at least the metrics' width and covers the style's whole button.
        const int strip = std::max(metric, box->width() - arrow.left());
        const int inset = border ? 0 : frame;
        const int right = dropDown ? box->width() - inset : box->width() - strip;
        QCOMPARE(mask.contains(QPoint(0, 0)), border);
        QCOMPARE(mask.contains(QPoint(box->width() / 2, box->height() - 1)), border);
        QCOMPARE(mask.contains(QPoint(box->width() / 2, box->height() - 1 - frame)), true);
        QCOMPARE(mask.contains(QPoint(inset, inset)), true);
        QCOMPARE(mask.contains(QPoint(right - 1, 10)), true);
        QCOMPARE(mask.contains(QPoint(right, 10)), false);
        QCOMPARE(mask.contains(arrow.center()), dropDown);
        QVERIFY(mask.contains(QPoint(23, 10))); // the edit field stays
        box->SetHasBorder(true);
        box->SetHasDropDown(true);
        QVERIFY(box->mask().isEmpty());
    }

    void paintingLooksNothingUp()
    {
        // A paint draws what the last change of text or size gave: it neither looks the icon up
        // again (file system, MIME database) nor sets the window shape anew.
        QWidget window;
        window.resize(400, 100);
        auto *box = new TAddressCombo(&window);
        box->setGeometry(40, 4, 300, 22);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->SetHasDropDown(false); // a shape is in effect
        box->setFocus();
        const QRect field(box->IconLeft(), box->IconTop(), 16, 16);
        // Paints the box once after a change, then again: the later paints do no work of their own.
        const auto repaintedAlone = [box, field] {
            const QImage drawn = region(box, field);
            const int lookups = box->FieldIconLookupCount();
            const int shapes = box->ShapeUpdateCount();
            for (int i = 0; i < 3; ++i)
                box->repaint();
            return box->FieldIconLookupCount() == lookups && box->ShapeUpdateCount() == shapes
                && difference(region(box, field), drawn) == 0;
        };

        box->SetText(QStringLiteral("http://www.example.com/"));
        const QImage webPage = region(box, field);
        const int lookups = box->FieldIconLookupCount();
        const int shapes = box->ShapeUpdateCount();
        QVERIFY(repaintedAlone());

        // A new text is looked up once, however often it is painted.
        box->SetText(QDir::rootPath());
        QVERIFY(repaintedAlone());
        QCOMPARE(box->FieldIconLookupCount(), lookups + 1);
        DIFFERENT_IMAGES(region(box, field), webPage);
        // So is a typed one.
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_A);
        QCOMPARE(box->Text(), QDir::rootPath() + QLatin1Char('a'));
        QVERIFY(repaintedAlone());
        QCOMPARE(box->FieldIconLookupCount(), lookups + 2);
        COMPARE_IMAGES(region(box, field), webPage); // a text that names nothing is a web page
        QCOMPARE(box->ShapeUpdateCount(), shapes);

        // A new size gives a new shape: the drop-down strip follows the right edge.
        box->resize(250, 22);
        QVERIFY(box->ShapeUpdateCount() > shapes);
        QVERIFY(box->mask().contains(QPoint(150, 10)));
        QVERIFY(!box->mask().contains(QPoint(248, 10)));
        QVERIFY(repaintedAlone());
        QCOMPARE(box->FieldIconLookupCount(), lookups + 2);
    }
};

QTEST_MAIN(TestAddressIcons)
#include "tst_addressicons.moc"
