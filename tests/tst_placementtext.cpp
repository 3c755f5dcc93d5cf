#include "placement/placementtext.h"

#include <QtTest>

class TestPlacementText : public QObject
{
    Q_OBJECT
private slots:
    void words_data();
    void words();
    void normalRect_data();
    void normalRect();
    void showCmd_data();
    void showCmd();
    void iniQuoting_data();
    void iniQuoting();
};

void TestPlacementText::words_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("commas") << "1,2,3,4" << QStringList{"1", "2", "3", "4"};
    QTest::newRow("runs of commas and spaces") << "10,,20 30" << QStringList{"10", "20", "30"};
    QTest::newRow("leading and trailing separators") << " ,5, ,6 ," << QStringList{"5", "6"};
    QTest::newRow("other characters stay in the word") << "-7,a;b,\t8" << QStringList{"-7", "a;b", "\t8"};
    QTest::newRow("only separators") << ", ,," << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestPlacementText::words()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QCOMPARE(placementWords(text), words);
}

void TestPlacementText::normalRect_data()
{
    // The present rectangle: left 100, top 120, 400 wide, 300 high (right 500, bottom 420).
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("all four") << "10,20,310,220" << QRect(10, 20, 300, 200);
    QTest::newRow("two commas then a space") << "10,,20 30" << QRect(QPoint(10, 20), QSize(20, 400));
    QTest::newRow("not an integer") << "x,20,310,220" << QRect(QPoint(100, 20), QSize(210, 200));
    QTest::newRow("negative") << "-8,-8,1288,1032" << QRect(-8, -8, 1296, 1040);
    QTest::newRow("one word") << "50" << QRect(QPoint(50, 120), QSize(450, 300));
}

void TestPlacementText::normalRect()
{
    QFETCH(QString, text);
    QFETCH(QRect, rect);
    const QRect present(100, 120, 400, 300);
    QCOMPARE(normalRectFromText(text, present), rect);
    if (placementWords(text).size() == 4 && !text.contains(u'x'))
        QCOMPARE(normalRectText(rect), placementWords(text).join(u','));
}

void TestPlacementText::showCmd_data()
{
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<int>("state");
    const int normal = int(TWindowShowState::Normal);
    const int minimized = int(TWindowShowState::Minimized);
    const int maximized = int(TWindowShowState::Maximized);
    const int other = -1; // the default state passed in is kept
    const int table[][2] = {{0, other}, {1, normal}, {2, minimized}, {3, maximized}, {4, other}, {5, normal},
                            {6, minimized}, {7, minimized}, {8, other}, {9, normal}, {10, other}, {-1, other}};
    for (const auto &row : table)
        QTest::addRow("%d", row[0]) << row[0] << row[1];
}

void TestPlacementText::showCmd()
{
    QFETCH(int, showCmd);
    QFETCH(int, state);
    // A default that no table entry gives shows when the default is kept.
    for (TWindowShowState def : {TWindowShowState::Normal, TWindowShowState::Maximized}) {
        const TWindowShowState expected = state < 0 ? def : TWindowShowState(state);
        QCOMPARE(showStateFromShowCmd(showCmd, def), expected);
    }
}

void TestPlacementText::iniQuoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("double quoted") << "\"abc\"" << "\"\"abc\"\"";
    QTest::newRow("single quoted") << "'abc'" << "\"'abc'\"";
    QTest::newRow("two double quotes") << "\"\"" << "\"\"\"\"";
    QTest::newRow("mixed quotes") << "\"abc'" << "\"abc'";
    QTest::newRow("one quote") << "\"" << "\"";
    QTest::newRow("quote inside") << "a\"b\"c" << "a\"b\"c";
    QTest::newRow("plain") << "10,20,30,40" << "10,20,30,40";
}

void TestPlacementText::iniQuoting()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(quoteIniText(text), written);
    QCOMPARE(unquoteIniText(quoteIniText(text)), text);
}

QTEST_APPLESS_MAIN(TestPlacementText)
#include "tst_placementtext.moc"
