#include "urllist/linkcell.h"

#include "core/ansitext.h"

#include <QByteArrayView>

namespace {
constexpr QByteArrayView kScheme("://");
constexpr QByteArrayView kMailto("mailto:");

qsizetype cutIn(QByteArrayView text)
{
    qsizetype at = text.indexOf(kScheme);
    if (at >= 0)
        return at + kScheme.size();
    at = text.indexOf(kMailto);
    if (at >= 0)
        return at + kMailto.size();
    return 0;
}
} // namespace

bool isLinkText(const QByteArray &text)
{
    return text.contains(kScheme) || text.contains(kMailto);
}

qsizetype linkCutOffset(const QByteArray &text)
{
    return cutIn(QByteArrayView(text));
}

qsizetype measureCutOffset(const QByteArray &text)
{
    const qsizetype cr = text.indexOf('\r');
    return cutIn(QByteArrayView(text).first(cr < 0 ? text.size() : cr));
}

QByteArray firstLinePrefix(const QByteArray &text, qsizetype from)
{
    if (from >= text.size())
        return {};
    const QByteArrayView window = QByteArrayView(text).sliced(from).first(
        std::min(text.size() - from, kShownPrefixBytes));
    const qsizetype cr = window.indexOf('\r');
    return (cr < 0 ? window : window.first(cr)).toByteArray();
}

QByteArray linkShownText(const QByteArray &text)
{
    return firstLinePrefix(text, linkCutOffset(text));
}

QByteArray measuredText(const QByteArray &text)
{
    return firstLinePrefix(text, measureCutOffset(text));
}

std::optional<QUrl> shellOpenableUrl(const QByteArray &anchor)
{
    const QUrl url(fromAnsi(anchor), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? std::nullopt : std::optional<QUrl>(url);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ftp"))
        return url.host().isEmpty() ? std::nullopt : std::optional<QUrl>(url);
    return std::nullopt;
}

bool isCellAnchor(const QByteArray &anchor)
{
    return anchor.toUpper().contains("CELL://");
}

std::optional<CellAnchor> parseCellAnchor(const QByteArray &anchor)
{
    if (!isCellAnchor(anchor) || anchor.size() <= 7)
        return std::nullopt;
    const QByteArray ref = anchor.mid(7).toUpper();
    if (!ref.startsWith('R'))
        return std::nullopt;
    const qsizetype c = ref.indexOf('C');
    if (c < 2)
        return std::nullopt;
    bool rowOk = false;
    bool colOk = false;
    const int row = ref.mid(1, c - 1).toInt(&rowOk);
    const int col = ref.mid(c + 1).toInt(&colOk);
    if (!rowOk || !colOk)
        return std::nullopt;
    return CellAnchor{row, col};
}
