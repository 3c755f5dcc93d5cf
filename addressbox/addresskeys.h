#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The address box's key table, type-ahead and entry moves as plain functions; the widget only
// carries out what they decide.

enum class AddressKeyAction {
    PassOn,        // not a key of the table: the field handles it as usual
    EnterClosed,   // Enter with the list closed (not consumed)
    EnterOpen,     // Enter with the list open
    CloseList,     // Escape, Alt+Down or Alt+Up with the list open
    NextEntry,     // Down with the list open
    PreviousEntry, // Up with the list open
    OpenList,      // Down or Alt+Down with the list closed
    Swallow,       // Up with the list closed: consumed, nothing else
};

// `key` is a Qt::Key; Alt is the only modifier looked at.
AddressKeyAction addressKeyAction(int key, bool alt, bool listOpen);

// Entries that Down and Up move to from the selected index `selected` (-1 when none). Down
// stops at index 24 and does not check the number of entries: from the last entry it gives an
// index past the end, which selects nothing.
inline constexpr int kLastDownFrom = 24;
std::optional<int> nextEntryIndex(int selected);
std::optional<int> previousEntryIndex(int selected);

// The address Enter stores for `text`: `defaultProtocol` is put in front when it is not empty and
// the text neither holds "://" nor names an existing file.
QString enteredAddress(const QString &text, const QString &defaultProtocol,
                       const std::function<bool(const QString &)> &isExistingFile);

// Moves entry `index` to the top, the others keeping their order. An index outside the list
// changes nothing.
void moveEntryToTop(QStringList &entries, int index);

// The type-ahead of the field for one typed character.
struct TypeAheadResult
{
    int entry = -1;     // index of the matching entry
    QString text;       // the new field text: the prefix followed by the rest of the entry
    int selectFrom = 0; // the added rest, from here to the end, is selected
};

// `text` is the field's text, `selectionStart`/`selectionLength` its selection, `typed` the
// character. The prefix is the text before the selection when some text is selected, else the
// whole text, followed by the character; the first entry that begins with it, ignoring case,
// matches. Nothing for control characters or when no entry matches.
std::optional<TypeAheadResult> typeAhead(const QStringList &entries, const QString &text, int selectionStart,
                                         int selectionLength, const QString &typed);

// Whether `point` lies in `rect`, its right and bottom edges included.
bool droppedRectContains(const QRect &rect, const QPoint &point);
