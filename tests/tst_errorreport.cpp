// The general error report: what it shows, and that no exception crosses the event loop.

#include "common/errorreport.h"
#include "app/trailscribeapplication.h"
#include "core/trailscribeerror.h"

#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {
// An object whose event handling fails, as any handler of the program might.
class FailingObject : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw TrailscribeError(QStringLiteral("Cannot Create file /x/y.csv"));
        if (e->type() == QEvent::User + 1)
            throw std::runtime_error("disk full");
        return QObject::event(e);
    }
};
} // namespace

class TestErrorReport : public QObject
{
    Q_OBJECT
    QStringList reports;

private slots:
    void initTestCase() { setErrorReportSink([this](const QString &t) { reports << t; }); }
    void init() { reports.clear(); }

    void fullStopRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Cannot open clipboard" << "Cannot open clipboard.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("closing bracket") << "Failed (42)" << "Failed (42)";
        QTest::newRow("quote") << "Invalid data type for 'Flags'" << "Invalid data type for 'Flags'";
        QTest::newRow("slash") << "Cannot Create file /tmp/" << "Cannot Create file /tmp/.";
        QTest::newRow("digit") << "Error 5" << "Error 5.";
        QTest::newRow("empty") << "" << "";
    }
    void fullStopRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorReportText(message), shown);
    }

    void anExceptionInAnEventHandlerIsReportedAndTheLoopGoesOn()
    {
        FailingObject failing;
        QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&failing, new QEvent(QEvent::Type(QEvent::User + 1)));
        bool ranAfter = false;
        QTimer::singleShot(0, this, [&] { ranAfter = true; });
        QTRY_VERIFY(ranAfter);
        QCOMPARE(reports, (QStringList{QStringLiteral("Cannot Create file /x/y.csv."), QStringLiteral("disk full.")}));
    }
};

int main(int argc, char **argv)
{
    TrailscribeApplication app(argc, argv);
    TestErrorReport tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_errorreport.moc"
