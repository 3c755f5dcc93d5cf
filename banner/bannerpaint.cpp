#include "banner/bannerpaint.h"

#include <algorithm>

int roundHalfEven(long long numerator, long long denominator)
{
    long long quotient = numerator / denominator;
    long long remainder = numerator % denominator;
    if (remainder < 0) {
        // floor division, so that the remainder lies in [0, denominator)
        quotient -= 1;
        remainder += denominator;
    }
    const long long twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient % 2 != 0)))
        quotient += 1;
    return static_cast<int>(quotient);
}

int gradientBandTop(int band, int height)
{
    return roundHalfEven(static_cast<long long>(band) * height, kGradientBands);
}

int gradientBandHeight(int height)
{
    return height / kGradientBands + 1;
}

QColor gradientBandColor(int band, const QColor &from, const QColor &to)
{
    auto channel = [band](int a, int b) {
        return a + roundHalfEven(static_cast<long long>(band) * (b - a), kGradientBands);
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

int shadeBrightness(int x, int y, int width, int height, int shadeLight)
{
    const int w = width == 0 ? 100 : width;
    const int h = height == 0 ? 20 : height;
    const int k = shadeLight - 255 + (129 * x) / w + (129 * y) / h;
    return shadeLight - k / 2;   // C++ division truncates toward zero
}

QRgb shadePixel(int x, int y, int width, int height, int shadeLight, const QColor &color)
{
    const int l = shadeBrightness(x, y, width, height, shadeLight);
    auto channel = [l](int c) { return std::clamp(c * l / 255, 0, 255); };
    return qRgb(channel(color.red()), channel(color.green()), channel(color.blue()));
}

QImage buildDiagonalShade(int width, int height, int shadeLight, const QColor &color)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = shadePixel(x, y, width, height, shadeLight, color);
    }
    return image;
}

QRect captionBarRect(int width, int captionHeight)
{
    return QRect(QPoint(1, 1), QPoint(width - 2, captionHeight - 2));
}

QRect closeSquare(int width)
{
    return QRect(width - 14, 2, 12, 12);
}

QList<QPoint> closeCrossPixels(int width)
{
    const int left = width - 1 - 10;
    const int top = 5;
    QList<QPoint> pixels;
    for (int i = 0; i <= 6; ++i) {
        pixels.append(QPoint(left + i, top + i));       // falling stroke
        pixels.append(QPoint(left + 6 - i, top + i));   // rising stroke
        if (i < 6) {
            pixels.append(QPoint(left + i + 1, top + i));
            pixels.append(QPoint(left + 5 - i, top + i));
        }
    }
    std::sort(pixels.begin(), pixels.end(), [](const QPoint &a, const QPoint &b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

CaptionTextBox captionTextBox(int width, int indent, int topIndent)
{
    // 12 pixels for the close button and 20 of spacing are kept free at the right
    return CaptionTextBox{1 + indent, 1 + topIndent, width - 1 - 32, 21};
}

QRect bannerChildArea(QSize panel, int captionHeight, int bevelWidth)
{
    const int top = std::max(0, captionHeight);
    QRect area(0, top, panel.width(), std::max(0, panel.height() - top));
    return area.adjusted(bevelWidth, bevelWidth, -bevelWidth, -bevelWidth);
}

QPoint pictureImageOrigin(QSize picture, QSize image)
{
    return QPoint(std::max(0, picture.width() - image.width()) / 2,
                  std::max(0, picture.height() - image.height()) / 2);
}
