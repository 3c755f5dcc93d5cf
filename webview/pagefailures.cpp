#include "webview/pagefailures.h"

#include <QUrl>

QString renderProcessEndText(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode)
{
    QString what;
    switch (status) {
    case QWebEnginePage::NormalTerminationStatus:
        what = QStringLiteral("The page's process has ended");
        break;
    case QWebEnginePage::AbnormalTerminationStatus:
        what = QStringLiteral("The page's process has ended with exit code %1").arg(exitCode);
        break;
    case QWebEnginePage::CrashedTerminationStatus:
        what = QStringLiteral("The page's process has crashed");
        break;
    case QWebEnginePage::KilledTerminationStatus:
        what = QStringLiteral("The page's process was killed (out of memory, or by another program)");
        break;
    }
    return what + QStringLiteral("; reload the page to show it again");
}

QString certificateErrorText(const QUrl &url, const QString &description)
{
    return QStringLiteral("The certificate of %1 was refused: %2").arg(url.host(), description);
}
