#include "common/errorreport.h"

#include "core/trailscribeerror.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace {
ErrorReportSink &sink()
{
    static ErrorReportSink s;
    return s;
}
} // namespace

QString errorReportText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void setErrorReportSink(ErrorReportSink s)
{
    sink() = std::move(s);
}

void showErrorReport(const QString &message)
{
    const QString text = errorReportText(message);
    if (sink()) {
        sink()(text);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QString::fromLatin1(kApplicationTitle), text,
                          QMessageBox::Ok);
}

void reportErrors(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const TrailscribeError &e) {
        showErrorReport(e.message());
    } catch (const std::exception &e) {
        showErrorReport(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorReport(QStringLiteral("Unknown error"));
    }
}
