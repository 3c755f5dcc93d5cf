#include "placement/placementtext.h"

namespace {
bool isSeparator(QChar c)
{
    return c == u',' || c == u' ';
}

bool isQuotedText(const QString &text)
{
    if (text.size() < 2)
        return false;
    const QChar first = text.front();
    return (first == u'"' || first == u'\'') && text.back() == first;
}
} // namespace

QStringList placementWords(const QString &text)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isSeparator(text.at(i)))
            ++i;
        const qsizetype start = i;
        while (i < n && !isSeparator(text.at(i)))
            ++i;
        if (i > start)
            words.append(text.mid(start, i - start));
    }
    return words;
}

int placementTextToInt(const QString &text, int defaultValue)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

int placementWordAsInt(const QStringList &words, int index, int defaultValue)
{
    if (index < 0 || index >= words.size())
        return defaultValue;
    return placementTextToInt(words.at(index), defaultValue);
}

QString formatPlacementPoints(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QString screenSizeSuffix(const QSize &screenSize)
{
    return QStringLiteral("(%1x%2)").arg(screenSize.width()).arg(screenSize.height());
}

TWindowShowState showStateFromShowCmd(int showCmd, TWindowShowState defaultState)
{
    switch (showCmd) {
    case 1:
    case 5:
    case 9:
        return TWindowShowState::Normal;
    case 2:
    case 6:
    case 7:
        return TWindowShowState::Minimized;
    case 3:
        return TWindowShowState::Maximized;
    default:
        return defaultState;
    }
}

QRect normalRectFromText(const QString &text, const QRect &present)
{
    const QStringList words = placementWords(text);
    const int left = placementWordAsInt(words, 0, present.x());
    const int top = placementWordAsInt(words, 1, present.y());
    const int right = placementWordAsInt(words, 2, present.x() + present.width());
    const int bottom = placementWordAsInt(words, 3, present.y() + present.height());
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

QString normalRectText(const QRect &rect)
{
    return formatPlacementPoints(rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height());
}

QString quoteIniText(const QString &text)
{
    return isQuotedText(text) ? u'"' + text + u'"' : text;
}

QString unquoteIniText(const QString &text)
{
    return isQuotedText(text) ? text.mid(1, text.size() - 2) : text;
}
