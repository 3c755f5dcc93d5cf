#pragma once

#include "placement/placementtypes.h"

#include <QSize>
#include <QString>
#include <QStringList>

// The texts of the stored placement and the rules that read them back; no window needed.

// Words of a position text: runs of characters other than comma and space; runs of commas and
// spaces separate them ("10,,20 30" has the words 10, 20 and 30).
QStringList placementWords(const QString &text);

// Word `index` (0-based) as a decimal integer, or `defaultValue` when the word is missing or is
// not an integer.
int placementWordAsInt(const QStringList &words, int index, int defaultValue);

// A decimal integer text as the store keeps integers, or `defaultValue` when it is not one.
int placementTextToInt(const QString &text, int defaultValue);

// "%d,%d,%d,%d".
QString formatPlacementPoints(int a, int b, int c, int d);

// The screen-size suffix of the value names: "(1280x1024)".
QString screenSizeSuffix(const QSize &screenSize);

// The state a stored show command asks for: 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised;
// anything else gives `defaultState`.
TWindowShowState showStateFromShowCmd(int showCmd, TWindowShowState defaultState);

// A normal rectangle from its stored words, the missing ones taken from `present`
// (left, top, right = left + width, bottom = top + height).
QRect normalRectFromText(const QString &text, const QRect &present);

// "left,top,right,bottom" of a rectangle, right and bottom just outside it.
QString normalRectText(const QRect &rect);

// The INI file's quoting: a text that begins and ends with the same quote character (double or
// single) is written wrapped in one more pair of double quotes, and that pair is taken off
// again when it is read, so that such a text comes back as it was written.
QString quoteIniText(const QString &text);
QString unquoteIniText(const QString &text);
