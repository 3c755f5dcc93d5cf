#include "recorder.h"

#include "listgrid.h"

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
