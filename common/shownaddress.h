#pragma once

#include <QString>

// A one-line field lays out and draws its whole text, so a 2 MB data: address would stop the
// window for most of a second. Fields show at most this many characters of an address; what
// they show is its beginning.
inline constexpr qsizetype kLongestShownAddress = 8192;

inline QString shownAddress(const QString &address)
{
    return address.size() > kLongestShownAddress ? address.left(kLongestShownAddress) : address;
}
