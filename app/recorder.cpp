#include "app/recorder.h"

#include "urllist/listgrid.h"

#include <QPointer>

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

quint64 appendToLastRow(TListGrid &list, const QByteArray &address)
{
    if (!list.CellText(0, list.RowCount() - 1).isEmpty())
        list.SetRowCount(list.RowCount() + 1);
    const int last = list.RowCount() - 1;
    list.SetCellText(0, last, address);
    return list.RowId(last);
}

void writePostData(TListGrid &list, quint64 rowId, const PostDataRef &postData, ZeroBytes zeroBytes,
                   std::function<void()> afterLateWrite)
{
    if (!postData)
        return;
    if (postData->hasBody()) {
        list.SetCellText(1, list.RowOfId(rowId), postTextFromBody(postData->body(), zeroBytes));
        return;
    }
    QPointer<TListGrid> grid(&list);
    QObject::connect(postData.data(), &PostData::bodyReady, &list,
                     [grid, rowId, zeroBytes, afterLateWrite](const QByteArray &body) {
                         if (!grid)
                             return;
                         const int row = grid->RowOfId(rowId);
                         if (row < 0)
                             return;
                         grid->SetCellText(1, row, postTextFromBody(body, zeroBytes));
                         if (afterLateWrite)
                             afterLateWrite();
                     });
}
