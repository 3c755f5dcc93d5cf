#include "app/recorder.h"

#include "urllist/listcolumn.h"
#include "urllist/listgrid.h"

#include <QDateTime>
#include <QWidget>

#include <algorithm>

bool isScriptAddress(const QByteArray &text)
{
    static const char kScript[] = "JAVASCRIPT";
    if (text.size() < 10)
        return false;
    for (int i = 0; i < 10; ++i) {
        char c = text.at(i);
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != kScript[i])
            return false;
    }
    return true;
}

bool isScriptAddress(const QString &text)
{
    // Only the ASCII letters are folded, so any non-ASCII character simply fails the comparison.
    return isScriptAddress(text.left(10).toLatin1());
}

QByteArray postTextFromBody(const QByteArray &body, ZeroBytes zeroBytes)
{
    if (zeroBytes == ZeroBytes::Keep)
        return body;
    QByteArray text;
    text.reserve(body.size());
    for (char c : body)
        if (c != '\0')
            text.append(c);
    return text;
}

int listPanelHeight(int rowCount, int defaultRowHeight)
{
    return defaultRowHeight * std::min(rowCount, 10) + 10;
}

int fullListPanelHeight(int rowCount, int defaultRowHeight)
{
    return defaultRowHeight * rowCount + 10;
}

Recorder::Recorder(TListGrid *list, QWidget *listPanel, QObject *parent)
    : QObject(parent), m_list(list), m_listPanel(listPanel)
{
}

quint64 Recorder::append(const QByteArray &address)
{
    return appendRow(address, MainWindow);
}

quint64 Recorder::appendRow(const QByteArray &address, const Style &style, bool inFrame)
{
    if (isScriptAddress(address))
        return 0;
    if (!m_list->CellText(UrlColumn, m_list->RowCount() - 1).isEmpty())
        m_list->SetRowCount(m_list->RowCount() + 1);
    const int last = m_list->RowCount() - 1;
    m_list->SetCellText(UrlColumn, last, address);
    RequestRecord request;
    request.method = "GET";
    request.recorded = QDateTime::currentDateTimeUtc();
    request.window = QString::fromLatin1(style.window);
    if (inFrame)
        request.frame = QStringLiteral("frame");
    m_list->SetRowRequest(last, request);
    return m_list->RowId(last);
}

bool Recorder::record(const QByteArray &address, const PostDataRef &postData, const Style &style)
{
    const quint64 rowId = appendRow(address, style, postData && postData->inFrame());
    if (rowId == 0)
        return false;
    writePostText(rowId, postData, style);
    if (style.fitList)
        fitList();
    return true;
}

void Recorder::writePostText(quint64 rowId, const PostDataRef &postData, const Style &style)
{
    if (!postData)
        return;
    if (postData->hasBody()) {
        writeBody(m_list->RowOfId(rowId), *postData, style);
        return;
    }
    PostData *source = postData.data();
    connect(source, &PostData::bodyReady, this, [this, rowId, style, source] {
        if (!m_list)
            return;
        const int row = m_list->RowOfId(rowId);
        if (row < 0)
            return;
        writeBody(row, *source, style);
        if (style.fitList)
            m_list->FitColumnWidth(PostDataColumn);
    });
}

void Recorder::writeBody(int row, const PostData &postData, const Style &style)
{
    m_list->SetCellText(PostDataColumn, row, postTextFromBody(postData.body(), style.zeroBytes));
    RequestRecord request = m_list->RowRequest(row);
    if (request.isEmpty()) {
        request.recorded = QDateTime::currentDateTimeUtc();
        request.window = QString::fromLatin1(style.window);
    }
    request.method = "POST";
    request.body = postData.body();
    request.contentType = postData.contentType().isEmpty() ? multipartContentType(postData.body())
                                                           : postData.contentType();
    request.doubt = postData.doubt();
    request.source = postData.source();
    request.boundaryRemade = postData.boundaryRemade();
    m_list->SetRowRequest(row, request);
}

void Recorder::deleteCurrentRow()
{
    if (m_list->RowCount() > 2)
        m_list->DeleteRows(m_list->CurrentRow(), 1);
    else if (m_list->RowCount() == 2)
        clear();
}

void Recorder::clear()
{
    m_list->ClearDataCells();
    m_list->SetRowCount(2);
}

void Recorder::fitList()
{
    if (m_listPanel)
        m_listPanel->setFixedHeight(listPanelHeight(m_list->RowCount(), m_list->DefaultRowHeight()));
    m_list->FitColumnWidth(UrlColumn);
    m_list->FitColumnWidth(PostDataColumn);
}

void Recorder::showWholeList()
{
    if (m_listPanel)
        m_listPanel->setFixedHeight(fullListPanelHeight(m_list->RowCount(), m_list->DefaultRowHeight()));
}
