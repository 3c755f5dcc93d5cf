#pragma once

#include <QWebEnginePage>

class QUrl;

// What the status line says when a page's renderer process has ended, and when a certificate
// was refused.
QString renderProcessEndText(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);
QString certificateErrorText(const QUrl &url, const QString &description);
