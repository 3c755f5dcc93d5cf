#pragma once

#include "core/cellsource.h"

#include <QByteArray>

// The whole grid, heading rows included, as tab-separated lines: every row ends with CR LF when
// the block spans more than one row. A cell holding a CR loses its CRs and is wrapped in double
// quotes; a rich-text cell ("{\rtf...") is copied as its plain text, under the same CR rule.
QByteArray clipboardBlockText(const CellSource &cells);
