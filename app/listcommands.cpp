#include "app/listcommands.h"

#include "app/replayrequest.h"
#include "app/requestwindow.h"
#include "core/curlcommand.h"
#include "core/harwriter.h"
#include "core/listcolumn.h"
#include "urllist/clipboardcopy.h"
#include "urllist/listgrid.h"

#include <QFileDialog>
#include <QMenu>
#include <QWebEngineHttpRequest>

ListCommands::ListCommands(TListGrid *list, QWidget *window)
    : QObject(window), m_list(list), m_window(window), m_menu(new QMenu(window))
{
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [this](const char *name, const char *caption, void (ListCommands::*command)()) {
        QAction *a = m_menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, command);
    };
    add("CopyAllToClipboard1", "Copy All To Clipboard", &ListCommands::CopyAllToClipboard1Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N2"));
    add("CopyURL1", "Copy URL", &ListCommands::CopyURL1Click);
    add("CopyPOSTDATA1", "Copy POSTDATA", &ListCommands::CopyPOSTDATA1Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    add("SaveToFileCSV1", "Save To File (CSV)", &ListCommands::SaveToFileCSV1Click);
    add("SaveToFileHTM1", "Save To File (HTM)", &ListCommands::SaveToFileHTM1Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N3"));
    add("ShowRequest1", "Show Request\u2026", &ListCommands::ShowRequest1Click);
    add("CopyAsCurl1", "Copy As cURL", &ListCommands::CopyAsCurl1Click);
    add("ReplayRequest1", "Replay Request", &ListCommands::ReplayRequest1Click);
    add("SaveToFileHAR1", "Save To File (HAR)", &ListCommands::SaveToFileHAR1Click);
    add("OpenFromFileHAR1", "Open From File (HAR)\u2026", &ListCommands::OpenFromFileHAR1Click);
    list->setPopupMenu(m_menu);

    // A double click on a POST-DATA cell shows its row's request as "Show Request…" does.
    connect(list, &TListGrid::CellDoubleClick, this, [this](TListGrid *sender, int col, int row) {
        if (col == PostDataColumn)
            showRequest(sender, row);
    });
}

TListGrid *ListCommands::menuList() const
{
    return qobject_cast<TListGrid *>(m_menu->property("popupComponent").value<QObject *>());
}

QString ListCommands::runSaveDialog(const QString &defaultSuffix, const QString &filter)
{
    // Made on first use: the dialog lists a folder and watches it, which start-up need not pay for.
    if (!m_saveDialog) {
        m_saveDialog = new QFileDialog(m_window);
        m_saveDialog->setObjectName(QStringLiteral("SaveDialog1"));
        m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_saveDialog->setFileMode(QFileDialog::AnyFile);
        m_saveDialog->setOption(QFileDialog::DontUseNativeDialog, true);
        m_saveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
        m_saveDialog->setSizeGripEnabled(true);
    }
    m_saveDialog->setDefaultSuffix(defaultSuffix);
    m_saveDialog->setNameFilter(filter);
    if (!m_lastSaveName.isEmpty())
        m_saveDialog->selectFile(m_lastSaveName);
    if (m_saveDialog->exec() != QDialog::Accepted)
        return {};
    const QStringList files = m_saveDialog->selectedFiles();
    if (files.isEmpty())
        return {};
    m_lastSaveName = files.first();
    return m_lastSaveName;
}

void ListCommands::CopyAllToClipboard1Click()
{
    if (TListGrid *list = menuList())
        list->CopyAllToClipboard();
}

void ListCommands::CopyURL1Click()
{
    if (TListGrid *list = menuList())
        SetClipboardText(list->CellText(UrlColumn, list->Selection().Top));
}

void ListCommands::CopyPOSTDATA1Click()
{
    if (TListGrid *list = menuList())
        SetClipboardText(list->CellText(PostDataColumn, list->Selection().Top));
}

void ListCommands::SaveToFileCSV1Click()
{
    const QString name = runSaveDialog(QStringLiteral("csv"), QStringLiteral("CSV Files (*.csv)"));
    if (!name.isEmpty())
        m_list->SaveCsv(name);
}

void ListCommands::SaveToFileHTM1Click()
{
    const QString name = runSaveDialog(QStringLiteral("htm"), QStringLiteral("HTML Files (*.htm)"));
    if (!name.isEmpty())
        m_list->SaveHtml(name);
}

void ListCommands::SaveToFileHAR1Click()
{
    const QString name = runSaveDialog(QStringLiteral("har"), QStringLiteral("HAR Files (*.har)"));
    if (!name.isEmpty())
        SaveHar(*m_list->model(), name);
}

void ListCommands::OpenFromFileHAR1Click()
{
    emit openHarRequested();
}

void ListCommands::ShowRequest1Click()
{
    if (TListGrid *list = menuList())
        showRequest(list, list->Selection().Top);
}

void ListCommands::showRequest(TListGrid *list, int row)
{
    if (!m_requestWindow) {
        m_requestWindow = new TRequestWindow(m_window);
        m_requestWindow->setFont(m_window->font());
    }
    m_requestWindow->setRequest(list->RowRequest(row), list->CellText(UrlColumn, row));
    m_requestWindow->show();
    m_requestWindow->raise();
    m_requestWindow->activateWindow();
}

void ListCommands::CopyAsCurl1Click()
{
    if (TListGrid *list = menuList()) {
        const int row = list->Selection().Top;
        SetClipboardText(curlCommand(list->RowRequest(row), list->CellText(UrlColumn, row)));
    }
}

void ListCommands::ReplayRequest1Click()
{
    TListGrid *list = menuList();
    const int row = list ? list->Selection().Top : 0;
    if (!list || row < list->FixedRows() || list->CellText(UrlColumn, row).isEmpty())
        return;
    emit replayRequested(replayRequest(list->RowRequest(row), list->CellText(UrlColumn, row)));
}
