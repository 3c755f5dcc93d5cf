#include "banner/bannerhtml.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

QString htmlTagAttribute(const QString &tag, const QString &name)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = tag.indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0)
            return {};
        from = at + name.size();
        // the name must stand as a word of its own, not inside another name or a value
        if (at > 0 && !tag.at(at - 1).isSpace())
            continue;
        qsizetype i = from;
        while (i < tag.size() && tag.at(i).isSpace())
            ++i;
        if (i >= tag.size() || tag.at(i) != u'=')
            continue;
        ++i;
        while (i < tag.size() && tag.at(i).isSpace())
            ++i;
        if (i >= tag.size() || tag.at(i) != u'"')
            continue;
        const qsizetype end = tag.indexOf(u'"', i + 1);
        if (end < 0)
            return tag.mid(i + 1);
        return tag.mid(i + 1, end - i - 1);
    }
}

QList<HtmlLine> parseBannerHtml(const QString &html, const QFont &font, const QColor &color)
{
    QList<HtmlLine> lines;
    HtmlLine line;
    QFont current = font;
    QColor currentColor = color;
    QString href;
    bool lineOpen = false;   // something was put on the current line

    auto addText = [&](QString text) {
        text.replace(u'\r', u' ').replace(u'\n', u' ');
        if (text.isEmpty())
            return;
        if (!line.runs.isEmpty()) {
            HtmlRun &last = line.runs.last();
            if (last.font == current && last.color == currentColor && last.href == href) {
                last.text += text;
                return;
            }
        }
        line.runs.append(HtmlRun{text, current, currentColor, href});
        lineOpen = true;
    };
    auto endLine = [&] {
        lines.append(line);
        line = HtmlLine{};
        lineOpen = false;
    };

    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf(u'<', i);
        const qsizetype close = open < 0 ? -1 : html.indexOf(u'>', open + 1);
        if (open < 0 || close < 0) {
            addText(html.mid(i));
            break;
        }
        addText(html.mid(i, open - i));
        i = close + 1;

        const QString tag = html.mid(open + 1, close - open - 1).trimmed();
        const bool closing = tag.startsWith(u'/');
        const QString body = closing ? tag.mid(1).trimmed() : tag;
        qsizetype nameEnd = 0;
        while (nameEnd < body.size() && !body.at(nameEnd).isSpace() && body.at(nameEnd) != u'/')
            ++nameEnd;
        const QString name = body.left(nameEnd).toUpper();

        if (name == u"P") {
            if (closing) {
                endLine();
            } else {
                if (lineOpen)
                    endLine();
                const QString align = htmlTagAttribute(body, QStringLiteral("align")).toUpper();
                if (align.contains(u"RIGHT"))
                    line.alignment = Qt::AlignRight;
                else if (align.contains(u"LEFT"))
                    line.alignment = Qt::AlignLeft;
                else if (align.contains(u"CENTER"))
                    line.alignment = Qt::AlignHCenter;
                lineOpen = true;
            }
        } else if (name == u"BR") {
            const Qt::Alignment keep = line.alignment;
            endLine();
            line.alignment = keep;
        } else if (name == u"FONT") {
            if (closing) {
                current.setFamily(font.family());
                if (font.pixelSize() > 0)
                    current.setPixelSize(font.pixelSize());
                else
                    current.setPointSizeF(font.pointSizeF());
                currentColor = color;
            } else {
                const QString face = htmlTagAttribute(body, QStringLiteral("face"));
                if (!face.isEmpty())
                    current.setFamily(face);
            }
        } else if (name == u"B") {
            current.setBold(!closing);
        } else if (name == u"A") {
            href = closing ? QString() : htmlTagAttribute(body, QStringLiteral("href"));
        }
    }
    if (lineOpen && !line.runs.isEmpty())
        lines.append(line);
    return lines;
}

int htmlLineStart(Qt::Alignment alignment, int left, int right, int lineWidth)
{
    if (alignment & Qt::AlignRight)
        return std::max(right - lineWidth, left + 1);
    if (alignment & Qt::AlignHCenter) {
        const int space = right - left - 1 - lineWidth;
        return space > 0 ? left + 1 + space / 2 : left + 1;
    }
    return left + 1;
}

QList<PlacedRun> layoutBannerHtml(const QList<HtmlLine> &lines, const CaptionTextBox &box)
{
    QList<PlacedRun> placed;
    int top = box.top;
    for (const HtmlLine &line : lines) {
        int width = 0;
        int ascent = 0;
        int height = 0;
        for (const HtmlRun &run : line.runs) {
            const QFontMetrics metrics(run.font);
            width += metrics.horizontalAdvance(run.text);
            ascent = std::max(ascent, metrics.ascent());
            height = std::max(height, metrics.boundingRect(QStringLiteral("gh")).height());
            height = std::max(height, metrics.height());
        }
        int x = htmlLineStart(line.alignment, box.left, box.right, width);
        for (const HtmlRun &run : line.runs) {
            const int advance = QFontMetrics(run.font).horizontalAdvance(run.text);
            placed.append(PlacedRun{run, QRect(x, top, advance, height), top + ascent});
            x += advance;
        }
        top += height;
    }
    return placed;
}

void drawBannerHtml(QPainter &painter, const QList<PlacedRun> &runs)
{
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const PlacedRun &placed : runs) {
        QFont font = placed.run.font;
        font.setUnderline(!placed.run.href.isEmpty());
        painter.setFont(font);
        painter.setPen(placed.run.color);
        painter.drawText(QPoint(placed.box.left(), placed.baseline), placed.run.text);
    }
    painter.restore();
}

QString bannerHtmlAnchorAt(const QList<PlacedRun> &runs, QPoint point)
{
    for (const PlacedRun &placed : runs) {
        if (!placed.run.href.isEmpty() && placed.box.contains(point))
            return placed.run.href;
    }
    return {};
}

bool isShellLink(const QString &target)
{
    return target.contains(QStringLiteral("://")) || target.contains(QStringLiteral("mailto:"), Qt::CaseInsensitive);
}
