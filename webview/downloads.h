#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWidget;

// Downloads. The profile is shared by every page, so its requests are taken from one connection
// per profile and handed to the web view whose page asked (TWebBrowser::Download); a request that
// no view of ours asked for is cancelled.
void routeDownloads(QWebEngineProfile *profile);

// Asks where to save a download with a save dialog (a child of `parent`, named "DownloadDialog")
// and starts it there; nothing is written before the user has chosen, and a cancelled dialog
// cancels the download. Progress and the outcome go to `showStatus`, for as long as `parent`
// lives.
void saveDownload(QWebEngineDownloadRequest *request, QWidget *parent, std::function<void(const QString &)> showStatus);

// The texts of the status line.
QString downloadProgressText(const QString &fileName, qint64 received, qint64 total);
QString downloadFinishedText(const QString &path);
QString downloadFailedText(const QString &fileName, const QString &reason);
QString downloadCancelledText(const QString &fileName);
