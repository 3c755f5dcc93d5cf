#include "urllist/listgridlook.h"

#include "common/fonts.h"

#include <algorithm>
#include <cmath>

namespace ListGridLook {

QColor bandColor(int row, int primaryLength, int secondaryLength)
{
    const int period = std::max(1, primaryLength + secondaryLength);
    int k = (row - kFixedRows) % period;
    if (k < 0)
        k += period;
    return k < primaryLength ? primaryBandColor() : secondaryBandColor();
}

QFont zoomedFont(QFont font, int zoomOffset)
{
    if (zoomOffset == 0)
        return font;
    if (font.pixelSize() > 0) {
        const int points = qRound(font.pixelSize() * 72.0 / 96.0);
        font.setPixelSize(std::max(1, int(std::lround((points + zoomOffset) * 96.0 / 72.0))));
    } else {
        font.setPointSizeF(std::max(1.0, font.pointSizeF() + zoomOffset));
    }
    return font;
}

QFont cellFont(int zoomOffset)
{
    return zoomedFont(tahoma8(), zoomOffset);
}

} // namespace ListGridLook
