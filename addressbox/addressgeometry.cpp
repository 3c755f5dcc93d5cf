#include "addressbox/addressgeometry.h"

QRect placeEditRect(const QSize &box, int editOffset)
{
    return QRect(editOffset + 7, 5, box.width() - 46, box.height() - 7);
}

QPoint itemIconPos(const QRect &item, const QSize &bitmap)
{
    const int top = item.top();
    const int bottom = item.top() + item.height(); // one past the last row, as the item rectangle gives it
    return QPoint(item.left() + 4, (top + bottom - bitmap.height()) / 2);
}

int itemTextLeft(const QRect &item, const QSize &bitmap)
{
    return item.left() + bitmap.width() + 6;
}

std::optional<QRegion> addressBoxShape(const QSize &box, bool hasBorder, bool hasDropDown, bool simpleStyle,
                                       int buttonStrip, int frameX, int frameY)
{
    if (hasBorder && hasDropDown)
        return std::nullopt;
    QRegion shape(0, 0, box.width(), box.height());
    if (!hasDropDown && !simpleStyle)
        shape -= QRegion(box.width() - buttonStrip, 0, buttonStrip, box.height());
    if (!hasBorder)
        shape &= QRegion(frameX, frameY, box.width() - 2 * frameX, box.height() - 2 * frameY);
    return shape;
}
