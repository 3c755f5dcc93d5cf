#include "placement/windowhook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QtTest>
#include <memory>

namespace {
const QEvent::Type kProbe = static_cast<QEvent::Type>(QEvent::registerEventType());

// A control that notes the probe events its own handling sees.
class Control : public QWidget
{
public:
    QStringList *log = nullptr;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == kProbe) {
            log->append(QStringLiteral("control"));
            return true;
        }
        return QWidget::event(e);
    }
};

// A hook that logs probe events under its name and stops them when told to.
std::unique_ptr<TWindowHook> makeHook(const QString &name, QStringList &log, QString stopAt = {})
{
    auto hook = std::make_unique<TWindowHook>();
    hook->SetBeforeMessage([&log, name, stopAt](QObject *, QEvent *e, bool &handled) {
        if (e->type() != kProbe)
            return;
        log.append(name + " before");
        handled = stopAt == "before";
    });
    hook->SetAfterMessage([&log, name, stopAt](QObject *, QEvent *e, bool &handled) {
        if (e->type() != kProbe)
            return;
        log.append(name + " after");
        handled = stopAt == "after";
    });
    return hook;
}

QStringList probe(QWidget &control, QStringList &log)
{
    log.clear();
    QEvent e(kProbe);
    QCoreApplication::sendEvent(&control, &e);
    return log;
}
} // namespace

class TestPlacementHook : public QObject
{
    Q_OBJECT
private slots:
    void handlersRunAroundTheControl_data();
    void handlersRunAroundTheControl();
    void removingTheLastHookPutsTheControlBack();
    void destroyedControlDropsItsRecord();
    void hookAttachedWhileTheLastOneGoesStaysHooked();
    void otherEventFiltersStillSeeEvents();
};

void TestPlacementHook::handlersRunAroundTheControl_data()
{
    QTest::addColumn<QString>("firstStops");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing handled") << QString()
                                     << QStringList{"A before", "B before", "control", "A after", "B after"};
    QTest::newRow("handled before") << "before" << QStringList{"A before"};
    QTest::newRow("handled after") << "after" << QStringList{"A before", "B before", "control", "A after"};
}

void TestPlacementHook::handlersRunAroundTheControl()
{
    QFETCH(QString, firstStops);
    QFETCH(QStringList, expected);
    QStringList log;
    Control control;
    control.log = &log;
    auto a = makeHook("A", log, firstStops);
    auto b = makeHook("B", log);
    a->SetControl(&control);
    b->SetControl(&control);
    QVERIFY(a->IsHooked() && b->IsHooked());
    QCOMPARE(probe(control, log), expected);

    // An inactive hook is out of the way; active again, it goes behind the others.
    a->SetActive(false);
    QCOMPARE(probe(control, log), (QStringList{"B before", "control", "B after"}));
    a->SetActive(true);
    QCOMPARE(probe(control, log).first(), QStringLiteral("B before"));
}

void TestPlacementHook::removingTheLastHookPutsTheControlBack()
{
    QStringList log;
    Control control;
    control.log = &log;
    auto a = makeHook("A", log);
    a->SetControl(&control);
    auto b = makeHook("B", log);
    b->SetControl(&control);
    a.reset();
    QVERIFY(TWindowHook::IsControlHooked(&control));
    QCOMPARE(probe(control, log), (QStringList{"B before", "control", "B after"}));
    b->UnhookControl();
    QVERIFY(!TWindowHook::IsControlHooked(&control));
    QCOMPARE(probe(control, log), QStringList{"control"});
    QVERIFY(control.children().isEmpty()); // the dispatcher is gone too

    // A hook that takes itself away while it handles an event.
    b->SetBeforeMessage([&](QObject *, QEvent *e, bool &) {
        if (e->type() == kProbe)
            b->UnhookControl();
    });
    b->HookControl();
    QCOMPARE(probe(control, log), QStringList{"control"});
    QVERIFY(!TWindowHook::IsControlHooked(&control));
    QCOMPARE(probe(control, log), QStringList{"control"});
}

void TestPlacementHook::destroyedControlDropsItsRecord()
{
    QStringList log;
    auto control = std::make_unique<Control>();
    control->log = &log;
    auto a = makeHook("A", log);
    a->SetControl(control.get());
    QVERIFY(a->IsHooked());
    control.reset();
    QCOMPARE(a->Control(), nullptr);
    QVERIFY(!a->IsHooked());
    a->UnhookControl(); // nothing left to remove

    Control next; // a new control starts without a record, wherever it lies
    next.log = &log;
    QVERIFY(!TWindowHook::IsControlHooked(&next));
    QCOMPARE(probe(next, log), QStringList{"control"});
}

// The last hook leaves while it handles an event and a new one is attached to the same control
// at that moment: the new hook must not go down with the leaving one's bookkeeping.
void TestPlacementHook::hookAttachedWhileTheLastOneGoesStaysHooked()
{
    QStringList log;
    Control control;
    control.log = &log;
    auto a = makeHook("A", log);
    auto b = makeHook("B", log);
    a->SetControl(&control);
    a->SetBeforeMessage([&](QObject *, QEvent *e, bool &) {
        if (e->type() != kProbe)
            return;
        a->UnhookControl();
        b->SetControl(&control);
    });
    probe(control, log);
    QVERIFY(!a->IsHooked());
    QVERIFY(b->IsHooked());
    QVERIFY(TWindowHook::IsControlHooked(&control));
    QCOMPARE(probe(control, log), (QStringList{"B before", "control", "B after"}));

    b->UnhookControl();
    QVERIFY(!TWindowHook::IsControlHooked(&control));
    QCOMPARE(probe(control, log), QStringList{"control"});
    QVERIFY(control.children().isEmpty());
}

// A filter of someone else on the control, installed before the hook.
class Filter : public QObject
{
public:
    QStringList *log = nullptr;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == kProbe)
            log->append(QStringLiteral("filter"));
        return false;
    }
};

void TestPlacementHook::otherEventFiltersStillSeeEvents()
{
    QStringList log;
    Control control;
    control.log = &log;
    Filter filter;
    filter.log = &log;
    control.installEventFilter(&filter);
    auto a = makeHook("A", log);
    a->SetControl(&control);
    QCOMPARE(probe(control, log), (QStringList{"A before", "filter", "control", "A after"}));
}

QTEST_MAIN(TestPlacementHook)
#include "tst_placementhook.moc"
