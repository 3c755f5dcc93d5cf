#pragma once

#include <QStringList>

class QSettings;

// The typed-address history of the platform browser in the per-user settings store: the values
// Url1 to Url25 of the group "TypedURLs" (on Windows the key
// HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs).

inline constexpr int kTypedUrlCount = 25;

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
