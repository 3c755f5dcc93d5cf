#pragma once

#include "webview/postdata.h"

#include <QByteArray>
#include <QString>
#include <functional>

class TListGrid;

// True when the text's first ten characters, with only the letters a to z turned into A to Z,
// are exactly "JAVASCRIPT". Such addresses are never recorded.
bool isScriptAddress(const QByteArray &text);
bool isScriptAddress(const QString &text);

// The POST text of a request body: one character per byte, nothing decoded. The main window
// leaves zero bytes out; the external window keeps them.
enum class ZeroBytes { Drop, Keep };
QByteArray postTextFromBody(const QByteArray &body, ZeroBytes zeroBytes);

// The list panel's height for a list of rowCount rows (heading included): up to ten rows shown.
int listPanelHeight(int rowCount, int defaultRowHeight);
// The list panel's height at start-up and after "Clear URLs": every row, no upper bound.
int fullListPanelHeight(int rowCount, int defaultRowHeight);

// Writes an address into the last row of the URL list, after adding a row at the end when the
// last row's URL cell is not empty. Returns the identity of the row written.
quint64 appendToLastRow(TListGrid &list, const QByteArray &address);

// Writes a navigation's POST text into the row recorded for it: at once when its body is known,
// otherwise when the body arrives, into that row wherever it stands then (nothing when the user
// has deleted it). afterLateWrite runs after a late write. A navigation without a body leaves
// the cell alone.
void writePostData(TListGrid &list, quint64 rowId, const PostDataRef &postData, ZeroBytes zeroBytes,
                   std::function<void()> afterLateWrite = {});
