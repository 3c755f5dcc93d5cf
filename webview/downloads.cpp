#include "webview/downloads.h"

#include "common/errorreport.h"
#include "webview/engineedge.h"
#include "webview/twebbrowser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

void routeDownloads(QWebEngineProfile *profile)
{
    static const char kRouted[] = "trailscribeDownloadsRouted";
    if (profile->property(kRouted).toBool())
        return;
    profile->setProperty(kRouted, true);
    // Direct: a request that is neither accepted nor cancelled when the signal returns is dropped.
    // The engine emits it: a failure is reported here, and the request is still answered.
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, [](QWebEngineDownloadRequest *request) {
        auto *view = request->page() ? qobject_cast<TWebBrowser *>(QWebEngineView::forPage(request->page())) : nullptr;
        if (view)
            reportErrors([&] { view->Download(request); });
        if (request->state() == QWebEngineDownloadRequest::DownloadRequested)
            request->cancel();
    }, Qt::DirectConnection);
}

void saveDownload(QWebEngineDownloadRequest *request, QWidget *parent, std::function<void(const QString &)> showStatus)
{
    const QString suggested = request->downloadFileName().isEmpty() ? request->suggestedFileName()
                                                                     : request->downloadFileName();
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QStringLiteral("Save File"));
    dialog->setObjectName(QStringLiteral("DownloadDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    // It holds up only the window it came from.
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setDirectory(request->downloadDirectory());
    dialog->selectFile(suggested);
    const int result = dialog->exec();
    if (!dialog) {
        request->cancel(); // the window went meanwhile
        return;
    }
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (result != QDialog::Accepted || chosen.isEmpty()) {
        request->cancel();
        showStatus(downloadCancelledText(suggested));
        return;
    }

    const QFileInfo target(chosen.first());
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    const QString name = target.fileName();
    const QString path = target.absoluteFilePath();
    QObject::connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, parent, fromEngine([=] {
        if (!request->isFinished())
            showStatus(downloadProgressText(name, request->receivedBytes(), request->totalBytes()));
    }));
    QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, parent, fromEngine([=] {
        if (!request->isFinished())
            return;
        if (request->state() == QWebEngineDownloadRequest::DownloadCompleted)
            showStatus(downloadFinishedText(path));
        else if (request->state() == QWebEngineDownloadRequest::DownloadCancelled)
            showStatus(downloadCancelledText(name));
        else
            showStatus(downloadFailedText(name, request->interruptReasonString()));
    }));
    // The profile keeps a request until it goes; a finished one is of no more use.
    QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, request, [request] {
        if (request->isFinished())
            request->deleteLater();
    });
    showStatus(downloadProgressText(name, 0, request->totalBytes()));
    request->accept();
}

QString downloadProgressText(const QString &fileName, qint64 received, qint64 total)
{
    const QLocale locale = QLocale::system();
    if (total > 0)
        return QStringLiteral("Downloading %1: %2 of %3")
            .arg(fileName, locale.formattedDataSize(received), locale.formattedDataSize(total));
    return QStringLiteral("Downloading %1: %2").arg(fileName, locale.formattedDataSize(received));
}

QString downloadFinishedText(const QString &path)
{
    return QStringLiteral("Download complete: %1").arg(QDir::toNativeSeparators(path));
}

QString downloadFailedText(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Download of %1 failed: %2").arg(fileName, reason);
}

QString downloadCancelledText(const QString &fileName)
{
    return QStringLiteral("Download of %1 cancelled").arg(fileName);
}
