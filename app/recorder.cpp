#include "app/recorder.h"

#include "core/listcolumn.h"
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

int listPanelHeight(int rowCount, int defaultRowHeight)
{
    return defaultRowHeight * std::min(rowCount, 10) + 10;
}

int fullListPanelHeight(int rowCount, int defaultRowHeight)
{
    return defaultRowHeight * rowCount + 10;
}

Recorder::Recorder(TListGrid *list, QWidget *listPanel, QObject *parent)
    : QObject(parent), m_list(list), m_model(list->model()), m_listPanel(listPanel)
{
}

quint64 Recorder::append(const QByteArray &address)
{
    return appendRow(address, MainWindow);
}

quint64 Recorder::appendRow(const QByteArray &address, const Style &style, bool inFrame)
{
    if (isScriptAddress(address) || !m_model)
        return 0;
    // The list always has a last row, which may be empty.
    if (m_model->rows() == 0 || !m_model->url(m_model->rows() - 1).isEmpty())
        m_model->resizeRows(m_model->rows() + 1);
    const int last = m_model->rows() - 1;
    m_model->setCellText(UrlColumn, last, address);
    RequestRecord request;
    request.method = "GET";
    request.recorded = QDateTime::currentDateTimeUtc();
    request.window = style.window;
    request.frame = inFrame ? RequestFrame::Frame : RequestFrame::TopLevel;
    m_model->setRequest(last, request);
    return m_model->rowId(last);
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
        writeBody(m_model->rowOfId(rowId), *postData, style);
        return;
    }
    PostData *source = postData.data();
    connect(source, &PostData::bodyReady, this, [this, rowId, style, source] {
        if (!m_model)
            return;
        const int row = m_model->rowOfId(rowId);
        if (row < 0)
            return;
        writeBody(row, *source, style);
        if (style.fitList && m_list)
            m_list->FitColumnWidth(PostDataColumn);
    });
}

void Recorder::writeBody(int row, const PostData &postData, const Style &style)
{
    RequestRecord request = m_model->request(row);
    if (request.isEmpty())
        request.recorded = QDateTime::currentDateTimeUtc();
    request.window = style.window;
    request.method = "POST";
    request.body = postData.body();
    request.contentType = postData.contentType();
    request.contentType = bodyContentType(request);
    request.doubt = postData.doubt();
    request.source = postData.source();
    request.boundaryRemade = postData.boundaryRemade();
    m_model->setBody(row, request);
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

void Recorder::addRows(const std::function<void(RequestListModel &model)> &addAtEnd)
{
    if (!m_model)
        return;
    const int before = m_model->rows();
    const int last = before - 1;
    const bool lastIsEmpty = last >= 0 && m_model->url(last).isEmpty() && m_model->request(last).isEmpty()
                             && m_model->postText(last).isEmpty();
    addAtEnd(*m_model);
    // Removed only once the new rows are in, so that the list never goes without a data row.
    if (lastIsEmpty && m_model->rows() > before)
        m_model->removeRows(last, 1);
}

void Recorder::addRows(const QList<HarRow> &rows)
{
    addRows([&rows](RequestListModel &model) {
        const int first = model.rows();
        model.resizeRows(first + int(rows.size()));
        for (int i = 0; i < rows.size(); ++i) {
            model.setCellText(UrlColumn, first + i, rows[i].url);
            model.setBody(first + i, rows[i].request);
        }
    });
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
