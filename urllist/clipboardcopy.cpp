#include "urllist/clipboardcopy.h"

#include "core/ansitext.h"
#include "core/trailscribeerror.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

#include <memory>

void SetClipboardText(const QByteArray &text)
{
    const auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread())
        throw TrailscribeError(QStringLiteral("Cannot open clipboard"));
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw TrailscribeError(QStringLiteral("Cannot open clipboard"));
    auto data = std::make_unique<QMimeData>();
    data->setText(fromAnsi(text));
    clipboard->setMimeData(data.release(), QClipboard::Clipboard); // the clipboard owns it now
}

void CopyAllToClipboard(const CellSource &cells)
{
    SetClipboardText(clipboardBlockText(cells));
}
