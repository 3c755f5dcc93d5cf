#pragma once

#include <QColor>
#include <QFont>

// Colours and fonts of the URL list.
namespace ListGridLook {
inline constexpr int kFixedRows = 1;
inline constexpr int kGridLineWidth = 1;
inline constexpr int kTextInset = 2;
inline constexpr int kDefaultRowHeight = 21;
inline constexpr int kDefaultColWidth = 64;
inline constexpr int kMinZoom = -10;
inline constexpr int kMaxZoom = 10;
inline constexpr int kPanMarkSize = 32; // the pan mark, drawn from the pressed point

inline QColor primaryBandColor() { return QColor(255, 255, 223); }
inline QColor secondaryBandColor() { return QColor(236, 236, 255); }
inline QColor gridLineColor() { return QColor(192, 192, 192); }
inline QColor fixedLineColor() { return QColor(128, 128, 128); }
inline QColor urlColor() { return QColor(0, 0, 255); }
// A POST-DATA cell whose text may not be the body that was sent.
inline QColor doubtColor() { return QColor(255, 228, 160); }
inline QColor doubtTextColor() { return QColor(150, 40, 0); }

// Background of a data row (row 1 is the first data row): one row of each band in turn.
QColor bandColor(int row, int primaryLength = 1, int secondaryLength = 1);

// The font with the zoom offset added to its point size. A font sized in pixels counts as the
// point size that gives that height at 96 dots per inch.
QFont zoomedFont(QFont font, int zoomOffset);

// The list's own font, for the heading row and the data rows alike: Tahoma 8 pt, zoomed.
QFont cellFont(int zoomOffset);
} // namespace ListGridLook
