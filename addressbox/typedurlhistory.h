#pragma once

#include <QStringList>

class QSettings;

// The typed-address history in the per-user settings store: the values Url1 to Url25 of the
// group "TypedURLs". On Windows it is the platform browser's (the key
// HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs), which the program reads and
// never writes of itself. Elsewhere no platform browser keeps one, so the program keeps its own,
// in its own settings (organization "Tavorink", application "Trailscribe").

inline constexpr int kTypedUrlCount = 25;

#ifdef Q_OS_WIN
inline constexpr bool kProgramKeepsTypedUrls = false;
#else
inline constexpr bool kProgramKeepsTypedUrls = true;
#endif

// The organization and application names of the store that holds the history on this platform.
struct TypedUrlStoreName
{
    const char *organization;
    const char *application;
};
TypedUrlStoreName typedUrlStoreName();

// The texts of Url1..Url25 in order. Missing and empty values are skipped, and so is a value
// that does not hold text. An absent or unreadable store gives an empty list.
QStringList loadTypedUrls();
// The same from a store of the caller's (its top level holds the group).
QStringList loadTypedUrls(QSettings &store);

// How many values writing a list of `entryCount` entries writes: one past the list, at most 25.
int typedUrlWriteCount(int entryCount);

// Writes Url1..Url(typedUrlWriteCount) from `entries`; a position past the end of the list is
// written as empty text, other values are left alone. A store that cannot be opened for writing
// is left untouched without a report; a store that fails to take the values raises
// TrailscribeError "Failed to set data for '<name>'".
void writeTypedUrls(const QStringList &entries);
void writeTypedUrls(QSettings &store, const QStringList &entries);

// `entries` with `address` (trimmed) put first: an equal entry further down is dropped, and the
// list is cut to 25 entries. An empty address leaves the list as it is.
QStringList typedUrlsWith(QStringList entries, const QString &address);

// Puts an address the user browsed to at the top of the history the program keeps, as Url1,
// Url2, ... with nothing behind the last one. Where the platform browser keeps the history
// (kProgramKeepsTypedUrls false) the first form does nothing. Store failures are handled as
// writeTypedUrls handles them.
void rememberTypedUrl(const QString &address);
void rememberTypedUrl(QSettings &store, const QString &address);
