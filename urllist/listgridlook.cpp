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

QFont cellFont(int zoomOffset)
{
    QFont f = tahoma8();
    if (zoomOffset != 0) {
        const int points = 8 + zoomOffset;
        f.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0))));
    }
    return f;
}

} // namespace ListGridLook
