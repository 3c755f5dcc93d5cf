#pragma once

#include "core/cellsource.h"

#include <QByteArray>

// The whole grid, heading rows included, as tab-separated lines: every row ends with CR LF when
// the block spans more than one row. A cell holding a CR loses its CRs and is wrapped in double
// quotes; a rich-text cell ("{\rtf...") is copied as its plain text, under the same CR rule.
QByteArray clipboardBlockText(const CellSource &cells);

// Replaces the clipboard's content with the text, as plain text only. Throws
// TrailscribeError("Cannot open clipboard") when there is no clipboard to open: no GUI
// application, or a call from a thread other than the application's.
void SetClipboardText(const QByteArray &text);

// SetClipboardText(clipboardBlockText(cells)).
void CopyAllToClipboard(const CellSource &cells);
