#include "common/errorreport.h"
#include "placement/formplacement.h"
#include "placement/placementlink.h"
#include "placement/winminmaxinfo.h"
#include "placement/windowhook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// Form classes of their own: with no IniSection set, a placement lies under the form's class name,
// the most derived one, also when the component is made in a base class's constructor.
class PlacedBase : public QWidget
{
    Q_OBJECT
public:
    explicit PlacedBase(bool withPlacement)
    {
        if (withPlacement)
            new TFormPlacement(this);
    }
};

class PlacedForm : public PlacedBase
{
    Q_OBJECT
public:
    explicit PlacedForm(bool placementInBase)
        : PlacedBase(placementInBase)
    {
    }
};

namespace {
const QSize kDesigned(400, 300);

// A form with its own show and close handling, recording what it saw.
class TestForm : public QWidget
{
public:
    QStringList *log = nullptr;
    QRect geometryAtShow;
    bool maximizedAtShow = false;
    bool refuseClose = false;
    int shows = 0;

protected:
    void showEvent(QShowEvent *event) override
    {
        if (event->spontaneous())
            return;
        ++shows;
        geometryAtShow = geometry();
        maximizedAtShow = isMaximized();
        if (log)
            log->append(QStringLiteral("form show"));
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (log)
            log->append(QStringLiteral("form close"));
        if (refuseClose)
            event->ignore();
    }
};

// One run of the program: a form at its designed size with the main window's placement settings.
struct Run
{
    std::unique_ptr<TestForm> form;
    TFormPlacement *placement = nullptr;

    Run()
        : form(std::make_unique<TestForm>())
    {
        form->resize(kDesigned);
        placement = new TFormPlacement(form.get());
        placement->SetIniFileName(QStringLiteral("Tavorink\\Trailscribe"));
        placement->SetIniSection(QStringLiteral("Tavorink"));
        placement->SetUseRegistry(true);
    }
    void show()
    {
        form->show();
        QCoreApplication::processEvents();
    }
    void close()
    {
        form->close();
        QCoreApplication::processEvents();
    }
};

QVariant stored(const QString &name)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
    return s.value(QStringLiteral("Tavorink/") + name);
}

void store(const QString &name, const QVariant &value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
    s.setValue(QStringLiteral("Tavorink/") + name, value);
}

QStringList storedNames()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
    s.beginGroup(QStringLiteral("Tavorink"));
    QStringList names = s.childKeys();
    names.sort();
    return names;
}

QString screenName(const QString &name)
{
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return name + QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QString ppi()
{
    return QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
}

QPoint screenCentre()
{
    return QGuiApplication::primaryScreen()->geometry().center();
}

bool isCentred(const QWidget &form)
{
    return (form.frameGeometry().center() - screenCentre()).manhattanLength() <= 2;
}

// A value of another linked component kept in the same section.
class NoteLink : public TPlacementLink
{
public:
    QString note = QStringLiteral("kept");
    QString restored;
    void SaveLinked(TFormPlacement &p) override { p.WriteString(p.StoreSection(), QStringLiteral("Note"), note); }
    void RestoreLinked(TFormPlacement &p) override
    {
        restored = p.ReadString(p.StoreSection(), QStringLiteral("Note"), QStringLiteral("none"));
    }
};
} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstRunOpensCentredAndWritesEveryValue();
    void closedPlacementComesBack_data();
    void closedPlacementComesBack();
    void storedValuesDecideThePosition_data();
    void storedValuesDecideThePosition();
    void showCmdGivesTheState_data();
    void showCmdGivesTheState();
    void lowerFormVersionRestoresNothingButSaves();
    void nonTextValueIsReportedAndLeftInPlace_data();
    void nonTextValueIsReportedAndLeftInPlace();
    void destroyedWithoutCloseWritesVisible();
    void refusedCloseSavesAtDestroyInstead();
    void sectionIsTheFormsClassName_data();
    void sectionIsTheFormsClassName();
    void shownAgainAfterSaveSavesAgain();
    void inactiveNeitherRestoresNorSaves();
    void componentDeletedAloneLetsTheFormGo();
    void iniStoreKeepsQuotedTexts_data();
    void iniStoreKeepsQuotedTexts();
    void writeFailureIsReportedAndRetriedAtDestroy();
    void activeControlEventsAndLinks();
    void preventResizeFixesTheSize();
    void minMaxInfoSetsTheSizeLimits();

private:
    QStringList m_errors;
};

void TestPlacement::init()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavorink"), QStringLiteral("Trailscribe"));
    s.clear();
    s.sync();
    m_errors.clear();
    setErrorReportSink([this](const QString &text) { m_errors.append(text); });
}

void TestPlacement::cleanup()
{
    setErrorReportSink({});
}

void TestPlacement::firstRunOpensCentredAndWritesEveryValue()
{
    Run run;
    QStringList log;
    run.form->log = &log;
    int restores = 0, saves = 0;
    run.placement->SetOnRestorePlacement([&](QObject *sender) {
        QCOMPARE(sender, run.placement);
        ++restores;
        log.append(QStringLiteral("restored"));
    });
    run.placement->SetOnSavePlacement([&](QObject *) {
        ++saves;
        log.append(QStringLiteral("saved"));
    });
    run.show();
    QVERIFY(run.placement->Restored());
    QCOMPARE(run.form->size(), kDesigned);
    QVERIFY2(isCentred(*run.form), qPrintable(QDebug::toString(run.form->frameGeometry())));
    QVERIFY(storedNames().isEmpty());

    const QRect rect = run.form->geometry();
    run.close();
    QVERIFY(run.placement->Saved());
    QCOMPARE(restores, 1);
    QCOMPARE(saves, 1);
    // Restore before the form's show handling; the form's close handling before the save.
    QCOMPARE(log, (QStringList{"restored", "form show", "form close", "saved"}));

    const QString norm = QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.x() + rect.width()).arg(rect.y() + rect.height());
    const QList<std::pair<QString, QString>> expected = {
        {"FormVersion", "0"}, {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", ppi()},
        {screenName("MinMaxPos"), "0,0,0,0"}, {"MinMaxPos", "0,0,0,0"},
        {screenName("NormPos"), norm}, {"NormPos", norm}, {"Visible", "0"}};
    QStringList names;
    for (const auto &[name, text] : expected) {
        names.append(name);
        const QVariant value = stored(name);
        QCOMPARE(value.typeId(), QMetaType::QString);
        QCOMPARE(value.toString(), text);
    }
    names.sort();
    QCOMPARE(storedNames(), names);
    QVERIFY(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tavorink/Trailscribe.conf"));
    QCOMPARE(run.placement->StoreLocation(), qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tavorink/Trailscribe.conf");

    // Destroying the closed form does not save again.
    store("Visible", QStringLiteral("x"));
    run.form.reset();
    QCOMPARE(stored("Visible").toString(), QStringLiteral("x"));
}

void TestPlacement::closedPlacementComesBack_data()
{
    QTest::addColumn<QString>("closedAs");
    QTest::addColumn<QString>("showCmd");
    QTest::newRow("moved and resized") << "normal" << "1";
    QTest::newRow("maximised") << "maximised" << "3";
    QTest::newRow("minimised") << "minimised" << "2";
    QTest::newRow("minimised from maximised") << "minimised from maximised" << "2";
}

void TestPlacement::closedPlacementComesBack()
{
    QFETCH(QString, closedAs);
    QFETCH(QString, showCmd);
    const QRect rect(50, 60, 500, 350);
    {
        Run first;
        first.show();
        first.form->setGeometry(rect);
        QCoreApplication::processEvents();
        if (closedAs == "maximised" || closedAs == "minimised from maximised")
            first.form->showMaximized();
        if (closedAs.startsWith("minimised"))
            first.form->showMinimized();
        QCoreApplication::processEvents();
        first.close();
    }
    QCOMPARE(stored("ShowCmd").toString(), showCmd);
    QCOMPARE(stored("NormPos").toString(), QStringLiteral("50,60,550,410"));
    QCOMPARE(stored(screenName("NormPos")).toString(), QStringLiteral("50,60,550,410"));
    QCOMPARE(stored("Flags").toString(), closedAs == "minimised from maximised" ? "2" : "0");

    Run next;
    int restores = 0;
    next.placement->SetOnRestorePlacement([&](QObject *) { ++restores; });
    next.show();
    QCoreApplication::processEvents(); // the program minimises itself right after the show
    QCOMPARE(next.form->isMinimized(), closedAs.startsWith("minimised"));
    QCOMPARE(next.form->isMaximized(), closedAs.endsWith("maximised"));
    QCOMPARE(next.form->normalGeometry(), rect);
    if (closedAs == "normal") {
        QCOMPARE(next.form->geometryAtShow, rect); // in place before the form's own show handling
        QCOMPARE(next.form->geometry(), rect);
        QCOMPARE(next.placement->FormPosition(), poDesigned);
    }
    next.form->showNormal();
    QCoreApplication::processEvents();
    QCOMPARE(next.form->geometry(), rect);
    QCOMPARE(restores, 1); // coming back from minimised or maximised is no new restore
}

void TestPlacement::storedValuesDecideThePosition_data()
{
    // Stored values (name = text) before the run; the form is at `present` before it is shown.
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QRect>("present");
    QTest::addColumn<QRect>("expected"); // empty: not applied, the form is centred at its present size
    QTest::addColumn<bool>("maximized");
    const QString ppiValue = "PixelsPerInch=" + ppi();
    const QRect present(100, 120, 400, 300);
    QTest::newRow("present screen size") << QStringList{screenName("NormPos") + "=10,20,310,220", "NormPos=30,40,330,240", ppiValue}
                                         << present << QRect(10, 20, 300, 200) << false;
    QTest::newRow("new screen size takes the plain name") << QStringList{"NormPos(9999x7777)=10,20,310,220", "NormPos=30,40,330,240", ppiValue}
                                                          << present << QRect(30, 40, 300, 200) << false;
    QTest::newRow("two commas then a space") << QStringList{"NormPos=10,,20 30", ppiValue}
                                             << present << QRect(QPoint(10, 20), QSize(20, 400)) << false;
    QTest::newRow("no PixelsPerInch counts as the present one") << QStringList{"NormPos=30,40,330,240"}
                                                                << present << QRect(30, 40, 300, 200) << false;
    QTest::newRow("other pixels per inch: state only") << QStringList{"NormPos=30,40,330,240", "ShowCmd=3", "PixelsPerInch=" + QString::number(ppi().toInt() + 24)}
                                                       << present << QRect() << true;
    QTest::newRow("right not beyond left") << QStringList{"NormPos=300,40,300,240", ppiValue} << present << QRect() << false;
    QTest::newRow("bottom not below top") << QStringList{"NormPos=30,240,330,240", ppiValue} << present << QRect() << false;
    QTest::newRow("MinMaxPos alone keeps the present rectangle") << QStringList{"MinMaxPos=0,0,-4,-4", ppiValue}
                                                                 << present << present << false;
    QTest::newRow("not integers take the present values") << QStringList{"NormPos=a,b,c,d", ppiValue}
                                                          << present << present << false;
}

void TestPlacement::storedValuesDecideThePosition()
{
    QFETCH(QStringList, values);
    QFETCH(QRect, present);
    QFETCH(QRect, expected);
    QFETCH(bool, maximized);
    for (const QString &value : values)
        store(value.section(u'=', 0, 0), value.section(u'=', 1));
    Run run;
    run.form->setGeometry(present);
    run.show();
    QCOMPARE(run.form->isMaximized(), maximized);
    QCOMPARE(run.form->maximizedAtShow, maximized);
    if (expected.isNull()) {
        QCOMPARE(run.form->normalGeometry().size(), present.size());
        if (!maximized)
            QVERIFY(isCentred(*run.form));
        QCOMPARE(run.placement->FormPosition(), poScreenCenter);
    } else {
        QCOMPARE(run.form->geometry(), expected);
        QCOMPARE(run.placement->FormPosition(), poDesigned);
    }
    QVERIFY(m_errors.isEmpty());
}

void TestPlacement::showCmdGivesTheState_data()
{
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<QString>("state");
    for (int cmd : {0, 4, 8, 10, 1, 5, 9})
        QTest::addRow("%d", cmd) << cmd << "normal";
    for (int cmd : {2, 6, 7})
        QTest::addRow("%d", cmd) << cmd << "minimised";
    QTest::addRow("3") << 3 << "maximised";
}

void TestPlacement::showCmdGivesTheState()
{
    QFETCH(int, showCmd);
    QFETCH(QString, state);
    store("ShowCmd", QString::number(showCmd));
    store("NormPos", QStringLiteral("20,30,420,330"));
    Run run;
    run.form->setWindowState(Qt::WindowMaximized); // only the stored state or the default counts
    run.show();
    QCoreApplication::processEvents();
    QCOMPARE(run.form->isMinimized(), state == "minimised");
    QCOMPARE(run.form->isMaximized(), state == "maximised");
    QCOMPARE(run.form->normalGeometry(), QRect(20, 30, 400, 300));
}

void TestPlacement::lowerFormVersionRestoresNothingButSaves()
{
    store("FormVersion", QStringLiteral("1"));
    store("NormPos", QStringLiteral("20,30,420,330"));
    store("ShowCmd", QStringLiteral("3"));
    Run run;
    run.placement->SetVersion(2);
    int restores = 0;
    run.placement->SetOnRestorePlacement([&](QObject *) { ++restores; });
    run.show();
    QCOMPARE(restores, 0);
    QVERIFY(run.placement->Restored());
    QVERIFY(!run.form->isMaximized());
    QVERIFY(isCentred(*run.form));
    const QRect rect = run.form->geometry();
    run.close();
    QCOMPARE(stored("FormVersion").toString(), QStringLiteral("2"));
    QCOMPARE(stored("ShowCmd").toString(), QStringLiteral("1"));
    QCOMPARE(stored("NormPos").toString(), QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.x() + rect.width()).arg(rect.y() + rect.height()));
}

void TestPlacement::nonTextValueIsReportedAndLeftInPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("binary NormPos") << screenName("NormPos") << QVariant(QByteArray("\x01\x02", 2));
    QTest::newRow("number FormVersion") << "FormVersion" << QVariant(7);
    QTest::newRow("rectangle ShowCmd") << "ShowCmd" << QVariant(QRect(1, 2, 3, 4));
    QTest::newRow("list PixelsPerInch") << "PixelsPerInch" << QVariant(QStringList{"96", "120"});
}

void TestPlacement::nonTextValueIsReportedAndLeftInPlace()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    store(name, value);
    if (name != "PixelsPerInch" && name != "FormVersion")
        store("NormPos", QStringLiteral("20,30,420,330")); // would be applied if the restore went on
    store(screenName("NormPos") == name ? "NormPos" : screenName("NormPos"), QStringLiteral("20,30,420,330"));
    const QStringList before = storedNames();

    Run run;
    QStringList log;
    run.form->log = &log;
    setErrorReportSink([&](const QString &text) { log.append(text); });
    run.show();
    QCOMPARE(log, (QStringList{QStringLiteral("Invalid data type for '%1'").arg(name), "form show"}));
    QVERIFY(!run.placement->Restored());
    run.close();
    run.form.reset();
    QCOMPARE(storedNames(), before); // nothing saved in this run, at close nor at destroy
    QCOMPARE(stored(name), value);
    QCOMPARE(stored(name).typeId(), value.typeId());
}

void TestPlacement::destroyedWithoutCloseWritesVisible()
{
    Run run;
    run.show();
    run.form->setGeometry(70, 80, 300, 200);
    QCoreApplication::processEvents();
    QVERIFY(!run.placement->Saved());
    run.form.reset();
    QCOMPARE(stored("Visible").toString(), QStringLiteral("1"));
    QCOMPARE(stored("NormPos").toString(), QStringLiteral("70,80,370,280"));
    QVERIFY(m_errors.isEmpty());
}

void TestPlacement::refusedCloseSavesAtDestroyInstead()
{
    Run run;
    run.form->refuseClose = true;
    run.show();
    run.close();
    QVERIFY(run.form->isVisible());
    QVERIFY(!run.placement->Saved());
    QVERIFY(storedNames().isEmpty());
    run.form.reset();
    QCOMPARE(stored("Visible").toString(), QStringLiteral("1"));
}

void TestPlacement::sectionIsTheFormsClassName_data()
{
    QTest::addColumn<bool>("inBase");
    QTest::addColumn<bool>("closed");
    QTest::newRow("saved at close") << false << true;
    QTest::newRow("saved at destroy") << false << false;
    QTest::newRow("made in the base class, saved at destroy") << true << false;
}

void TestPlacement::sectionIsTheFormsClassName()
{
    QFETCH(bool, inBase);
    QFETCH(bool, closed);
    QTemporaryDir dir;
    const QString file = dir.filePath("trailscribe.ini");
    const QRect rect(70, 80, 300, 200);
    {
        PlacedForm form(inBase);
        auto *placement = inBase ? form.findChild<TFormPlacement *>() : new TFormPlacement(&form);
        QVERIFY(placement);
        placement->SetIniFileName(file);
        form.show();
        QCoreApplication::processEvents();
        QCOMPARE(placement->StoreSection(), QStringLiteral("PlacedForm"));
        form.setGeometry(rect);
        QCoreApplication::processEvents();
        if (closed) {
            form.close();
            QCoreApplication::processEvents();
        }
    }
    {
        const QSettings ini(file, QSettings::IniFormat);
        QCOMPARE(ini.childGroups(), QStringList{"PlacedForm"});
        QCOMPARE(ini.value("PlacedForm/Visible").toString(), closed ? "0" : "1");
    }

    PlacedForm next(false);
    auto *placement = new TFormPlacement(&next);
    placement->SetIniFileName(file);
    next.show();
    QCoreApplication::processEvents();
    QCOMPARE(next.geometry(), rect);
    QVERIFY(m_errors.isEmpty());
}

void TestPlacement::shownAgainAfterSaveSavesAgain()
{
    Run run;
    run.show();
    run.form->setGeometry(10, 20, 300, 200);
    run.close();
    QVERIFY(run.placement->Saved());
    QCOMPARE(stored("NormPos").toString(), QStringLiteral("10,20,310,220"));

    run.form->setGeometry(200, 200, 100, 100); // the stored placement comes back at the next show
    run.show();
    QVERIFY(!run.placement->Saved());
    QCOMPARE(run.form->geometry(), QRect(10, 20, 300, 200));
    run.form->setGeometry(40, 50, 320, 240);
    run.close();
    QVERIFY(run.placement->Saved());
    QCOMPARE(stored("NormPos").toString(), QStringLiteral("40,50,360,290"));
    QCOMPARE(stored("Visible").toString(), QStringLiteral("0"));
}

void TestPlacement::inactiveNeitherRestoresNorSaves()
{
    store("NormPos", QStringLiteral("20,30,420,330"));
    Run run;
    run.placement->SetActive(false);
    run.show();
    QVERIFY(!run.placement->Restored());
    QVERIFY(isCentred(*run.form));
    run.close();
    run.form.reset();
    QCOMPARE(storedNames(), QStringList{"NormPos"});
}

void TestPlacement::componentDeletedAloneLetsTheFormGo()
{
    Run run;
    QStringList log;
    run.form->log = &log;
    run.show();
    delete run.placement;
    run.close();
    QVERIFY(!run.form->isVisible());
    run.form.reset();
    QCOMPARE(log, (QStringList{"form show", "form close"}));
    QVERIFY(storedNames().isEmpty());
}

void TestPlacement::iniStoreKeepsQuotedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inFile");
    QTest::newRow("double quoted") << "\"a b\"" << "\"\"a b\"\"";
    QTest::newRow("single quoted") << "'a b'" << "\"'a b'\"";
    QTest::newRow("plain") << "a,b" << "a,b";
}

void TestPlacement::iniStoreKeepsQuotedTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, inFile);
    QTemporaryDir dir;
    const QString file = dir.filePath("trailscribe.ini");
    QWidget form;
    auto *placement = new TFormPlacement(&form);
    placement->SetIniFileName(file);
    QCOMPARE(placement->StoreSection(), QStringLiteral("QWidget")); // the form's class name
    placement->WriteString("Tavorink", "Text", text);
    QCOMPARE(placement->ReadString("Tavorink", "Text", {}), text);
    QSettings ini(file, QSettings::IniFormat);
    QCOMPARE(ini.value("Tavorink/Text").toString(), inFile);
}

void TestPlacement::writeFailureIsReportedAndRetriedAtDestroy()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the store's folder would be
    blocker.close();
    Run run;
    run.placement->SetUseRegistry(false);
    run.placement->SetIniFileName(dir.filePath("blocker/trailscribe.ini"));
    run.show();
    run.close();
    QCOMPARE(m_errors, QStringList{"Failed to create key Tavorink."});
    QVERIFY(!run.placement->Saved());
    run.form.reset();
    QCOMPARE(m_errors.size(), 2);
}

void TestPlacement::activeControlEventsAndLinks()
{
    NoteLink link;
    {
        Run first;
        first.placement->SetOptions(first.placement->Options() | fpActiveControl);
        first.placement->AddLink(&link);
        auto *edit1 = new QLineEdit(first.form.get());
        edit1->setObjectName("edit1");
        auto *edit2 = new QLineEdit(first.form.get());
        edit2->setObjectName("edit2");
        edit2->move(0, 40);
        first.show();
        QCOMPARE(link.restored, QStringLiteral("none"));
        edit2->setFocus();
        first.close();
    }
    QCOMPARE(stored("ActiveControl").toString(), QStringLiteral("edit2"));
    QCOMPARE(stored("Note").toString(), QStringLiteral("kept"));

    Run next;
    next.placement->SetOptions(next.placement->Options() | fpActiveControl);
    next.placement->AddLink(&link);
    auto *edit1 = new QLineEdit(next.form.get());
    edit1->setObjectName("edit1");
    auto *edit2 = new QLineEdit(next.form.get());
    edit2->setObjectName("edit2");
    edit1->setFocus();
    next.show();
    QCOMPARE(next.form->focusWidget(), edit2);
    QCOMPARE(link.restored, QStringLiteral("kept"));
}

void TestPlacement::preventResizeFixesTheSize()
{
    store("NormPos", QStringLiteral("20,30,420,330"));
    Run run;
    run.form->setMinimumSize(100, 100);
    run.show();
    QVERIFY(!run.placement->WinHook()->IsHooked()); // as on the main window
    run.form->setGeometry(60, 70, 380, 280);
    QCoreApplication::processEvents();

    run.placement->SetPreventResize(true);
    QCoreApplication::processEvents();
    QVERIFY(run.placement->WinHook()->IsHooked());
    QVERIFY(run.form->isVisible());
    QCOMPARE(run.form->geometry(), QRect(60, 70, 380, 280)); // the show after the title bar change restored nothing
    QCOMPARE(run.form->minimumSize(), QSize(380, 280));
    QCOMPARE(run.form->maximumSize(), QSize(380, 280));
    QVERIFY(!(run.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(run.form->windowFlags() & Qt::WindowMinimizeButtonHint);

    // The stored rectangle of a form that cannot be sized gives its position only.
    run.close();
    store(screenName("NormPos"), QStringLiteral("5,6,105,106"));
    run.show();
    QCOMPARE(run.form->geometry(), QRect(5, 6, 380, 280));

    run.placement->SetPreventResize(false);
    QVERIFY(!run.placement->WinHook()->IsHooked());
    QCOMPARE(run.form->minimumSize(), QSize(100, 100));
    QCOMPARE(run.form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QVERIFY(run.form->windowFlags() & Qt::WindowMaximizeButtonHint);
}

void TestPlacement::minMaxInfoSetsTheSizeLimits()
{
    Run run;
    run.form->setMinimumSize(50, 60);
    run.show();
    TWinMinMaxInfo *info = run.placement->MinMaxInfo();
    info->SetMinTrackWidth(300);
    info->SetMaxTrackHeight(500);
    QVERIFY(run.placement->WinHook()->IsHooked());
    QCOMPARE(run.form->minimumSize(), QSize(300, 60));
    QCOMPARE(run.form->maximumSize(), QSize(QWIDGETSIZE_MAX, 500));

    TWinMinMaxInfo other;
    other.SetMaxTrackWidth(700);
    run.placement->SetMinMaxInfo(other);
    QCOMPARE(run.form->minimumSize(), QSize(50, 60));
    QCOMPARE(run.form->maximumSize(), QSize(700, QWIDGETSIZE_MAX));

    info->SetMaxTrackWidth(0);
    QVERIFY(info->DefaultMinMaxInfo());
    QVERIFY(!run.placement->WinHook()->IsHooked());
    QCOMPARE(run.form->minimumSize(), QSize(50, 60));
    QCOMPARE(run.form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

int main(int argc, char **argv)
{
    // The per-user store lives in a folder of this run only.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    TestPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_placement.moc"
