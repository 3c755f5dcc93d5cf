#pragma once

#include "banner/bannerpaint.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// The small HTML subset of banner captions and bodies: <P align="LEFT|CENTER|RIGHT"> ... </P>,
// <FONT face="..."> ... </FONT>, <B> ... </B>, <BR> and <A href="..."> ... </A>. Tag and
// attribute names are matched in any letter case; other tags are skipped.

struct HtmlRun
{
    QString text;
    QFont font;
    QColor color;
    QString href;   // the link target when the run lies inside <A href>
};

struct HtmlLine
{
    Qt::Alignment alignment = Qt::AlignLeft;
    QList<HtmlRun> runs;
};

// Splits the text into lines of runs, starting from the given font and colour.
QList<HtmlLine> parseBannerHtml(const QString &html, const QFont &font, const QColor &color);

// The value between the double quotes after attribute `name` in a tag's text (without the angle
// brackets), with its letter case kept; empty when the tag has no such attribute.
QString htmlTagAttribute(const QString &tag, const QString &name);

// Where a line of the given width starts between left and right.
int htmlLineStart(Qt::Alignment alignment, int left, int right, int lineWidth);

struct PlacedRun
{
    HtmlRun run;
    QRect box;      // the run's cell: its advance by the line's height
    int baseline;
};

// Measures each line and places its runs in the box: the first line at the top, each further one
// lower by the height of the text "gh".
QList<PlacedRun> layoutBannerHtml(const QList<HtmlLine> &lines, const CaptionTextBox &box);

// Draws placed runs with a transparent background, links underlined.
void drawBannerHtml(QPainter &painter, const QList<PlacedRun> &runs);

// The link target under a point, or an empty text.
QString bannerHtmlAnchorAt(const QList<PlacedRun> &runs, QPoint point);

// True when the shell should open the target ("://" or "mailto:" in it); other targets go to
// the panel's OnAnchorClick.
bool isShellLink(const QString &target);
