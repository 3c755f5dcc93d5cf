#pragma once

#include "core/cellsource.h"
#include "core/clipboardtext.h"

#include <QByteArray>

// Replaces the clipboard's content with the text, as plain text only. Throws
// TrailscribeError("Cannot open clipboard") when there is no clipboard to open: no GUI
// application, or a call from a thread other than the application's.
void SetClipboardText(const QByteArray &text);

// SetClipboardText(clipboardBlockText(cells)).
void CopyAllToClipboard(const CellSource &cells);
