#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The pixel arithmetic of a banner panel, kept apart from the widgets so that it can be checked
// without a window.

// numerator / denominator rounded to the nearest integer, an exact half going to the even one.
// denominator must be positive.
int roundHalfEven(long long numerator, long long denominator);

// The body gradient: 64 horizontal bands over a client area of the given height.
inline constexpr int kGradientBands = 64;
int gradientBandTop(int band, int height);   // the y nearest to band * height / 64
int gradientBandHeight(int height);          // trunc(height / 64) + 1, before cutting at the bottom
QColor gradientBandColor(int band, const QColor &from, const QColor &to);

// The diagonal shade of a caption bar: brightness term and colour of pixel (x, y) of an image of
// width x height pixels (0 counts as 100 or 20 in the divisions).
int shadeBrightness(int x, int y, int width, int height, int shadeLight);
QRgb shadePixel(int x, int y, int width, int height, int shadeLight, const QColor &color);
QImage buildDiagonalShade(int width, int height, int shadeLight, const QColor &color);

// The caption bar's shaded rectangle: x from 1 to width - 2, y from 1 to captionHeight - 2.
QRect captionBarRect(int width, int captionHeight);

// The close square that a press of any button hides the panel with.
QRect closeSquare(int width);

// The pixels of the close cross, two 2-pixel-wide strokes between (R - 10, 5) and (R - 4, 11)
// and between (R - 4, 5) and (R - 10, 11), R = width - 1, kept inside that 7 x 7 box.
QList<QPoint> closeCrossPixels(int width);

// Where the caption text is laid out: left, top, right and bottom as the text layout reads them.
struct CaptionTextBox
{
    int left;
    int top;
    int right;
    int bottom;
};
CaptionTextBox captionTextBox(int width, int indent, int topIndent);

// The area the panel's children fill: below the caption bar, inside the raised edge.
QRect bannerChildArea(QSize panel, int captionHeight, int bevelWidth);

// Where an image is drawn, unscaled and centred, in a picture of the given size.
QPoint pictureImageOrigin(QSize picture, QSize image);
