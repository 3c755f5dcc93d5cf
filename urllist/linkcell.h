#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

// A cell can hold megabytes (a recorded upload, a data: address). Only this many bytes of the
// line a cell shows are ever decoded, drawn or measured; far more than any column can show.
inline constexpr qsizetype kShownPrefixBytes = 4096;

// A text is a link when it holds "://" or "mailto:" anywhere, in exactly that case.
bool isLinkText(const QByteArray &text);

// Where the shown part of a link begins: just after its first "://", or, without one, just after
// its first "mailto:". 0 for a text that is not a link.
qsizetype linkCutOffset(const QByteArray &text);

// Where the measured part of a cell begins: the same cut, but looked for in the first line only
// (the text before the first CR).
qsizetype measureCutOffset(const QByteArray &text);

// The bytes from 'from' up to the next CR, at most kShownPrefixBytes of them.
QByteArray firstLinePrefix(const QByteArray &text, qsizetype from = 0);

// What a cell shows: a link loses its leading part first, then the first line is taken.
QByteArray linkShownText(const QByteArray &text);

// What the column fit measures: the first line is taken first, then it loses its leading part.
QByteArray measuredText(const QByteArray &text);

// The address the list may hand to the desktop when nobody handled a link click: only http,
// https, ftp and mailto addresses; anything else (a file, a program, a POST text) is refused.
std::optional<QUrl> shellOpenableUrl(const QByteArray &anchor);

// A "CELL://" anchor names a cell as R<row>C<col> from its eighth character on.
struct CellAnchor
{
    int row;
    int col;
};
bool isCellAnchor(const QByteArray &anchor);
std::optional<CellAnchor> parseCellAnchor(const QByteArray &anchor);
