#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <optional>

// Pixel rules of the address box, free of any widget.

// Where the edit field sits inside a box of `box` size: x = edit offset + 7, y = 5,
// width = box width - 46, height = box height - 7.
QRect placeEditRect(const QSize &box, int editOffset);

// Top-left of an entry's icon in its item rectangle: 4 in from the left, centred vertically
// (rounded toward zero).
QPoint itemIconPos(const QRect &item, const QSize &bitmap);

// Left of an entry's text: past the icon and 6 more pixels (22 for a 16-pixel icon).
int itemTextLeft(const QRect &item, const QSize &bitmap);

// The box's window shape. Nothing (no mask) when it has both its border and its drop-down
// button. Otherwise the whole box, less the button strip of `buttonStrip` pixels at the right edge
// when it has no drop-down (and the style is not the simple one), cut to the box inset by
// `frameX` and `frameY` when it has no border.
std::optional<QRegion> addressBoxShape(const QSize &box, bool hasBorder, bool hasDropDown, bool simpleStyle,
                                       int buttonStrip, int frameX, int frameY);
