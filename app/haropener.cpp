#include "app/haropener.h"

#include "app/recorder.h"
#include "core/harreader.h"
#include "core/listcolumn.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>

namespace {
const char kOpenTitle[] = "Open From File (HAR)";
constexpr int kProgressSteps = 1000;
} // namespace

QString harFileOf(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".har"), Qt::CaseInsensitive))
            return url.toLocalFile();
    }
    return {};
}

HarOpener::HarOpener(Recorder *recorder, QWidget *window)
    : QObject(window), m_recorder(recorder), m_window(window)
{
    // A scroll area gets its drags on its viewport.
    TListGrid *list = recorder->list();
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

void HarOpener::chooseAndOpen()
{
    if (!m_openDialog) {
        m_openDialog = new QFileDialog(m_window);
        m_openDialog->setObjectName(QStringLiteral("OpenDialog1"));
        m_openDialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_openDialog->setFileMode(QFileDialog::ExistingFile);
        m_openDialog->setOption(QFileDialog::DontUseNativeDialog, true);
        m_openDialog->setNameFilters({QStringLiteral("HAR Files (*.har)"), QStringLiteral("All Files (*)")});
        m_openDialog->setSizeGripEnabled(true);
    }
    if (m_openDialog->exec() != QDialog::Accepted)
        return;
    const QStringList files = m_openDialog->selectedFiles();
    if (!files.isEmpty())
        open(files.first());
}

bool HarOpener::listHasRows() const
{
    const RequestListModel *model = m_recorder->list()->model();
    return model->rows() > 1
           || (model->rows() == 1 && (!model->url(0).isEmpty() || !model->request(0).isEmpty()
                                      || !model->postText(0).isEmpty()));
}

HarOpener::Choice HarOpener::askAddOrReplace()
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kOpenTitle),
                    QStringLiteral("Add the file's requests to the list, or replace the list?"), QMessageBox::NoButton,
                    m_window);
    box.setObjectName(QStringLiteral("AddOrReplace1"));
    QPushButton *add = box.addButton(QStringLiteral("Add"), QMessageBox::AcceptRole);
    QPushButton *replace = box.addButton(QStringLiteral("Replace"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(add);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == add)
        return Choice::Add;
    if (box.clickedButton() == replace)
        return Choice::Replace;
    return Choice::Cancel;
}

bool HarOpener::open(const QString &fileName)
{
    // The progress dialog lets events through while a file is read; a second file waits for none.
    if (m_busy)
        return false;
    m_busy = true;
    const auto done = qScopeGuard([this] { m_busy = false; });

    QProgressDialog progress(QStringLiteral("Reading %1\u2026").arg(QDir::toNativeSeparators(fileName)),
                             QStringLiteral("Cancel"), 0, kProgressSteps, m_window);
    progress.setObjectName(QStringLiteral("HarProgress1"));
    progress.setWindowTitle(QString::fromLatin1(kOpenTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    bool canceled = false;
    const HarReadResult result = readHarFile(fileName, [&](qint64 read, qint64 total) {
        progress.setValue(total > 0 ? int(read * kProgressSteps / total) : 0);
        QCoreApplication::processEvents();
        canceled = progress.wasCanceled();
        return !canceled;
    });
    progress.close();
    if (canceled)
        return false;
    if (!result.error.isEmpty()) {
        QMessageBox::warning(m_window, QString::fromLatin1(kOpenTitle), result.error);
        return false;
    }

    if (listHasRows()) {
        switch (askAddOrReplace()) {
        case Choice::Cancel:
            return false;
        case Choice::Replace:
            m_recorder->clear();
            break;
        case Choice::Add:
            break;
        }
    }
    m_recorder->addRows(result.rows);
    m_recorder->fitList();
    return true;
}

bool HarOpener::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData()->hasUrls() || harFileOf(drag->mimeData()->urls()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString fileName = drop->mimeData()->hasUrls() ? harFileOf(drop->mimeData()->urls()) : QString();
        if (fileName.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Opened once the drop is over: the file's questions must not hold the dragging program.
        QMetaObject::invokeMethod(this, [this, fileName] { open(fileName); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
