#pragma once

#include <QFlags>
#include <QtGlobal>

// Settings of the address field's auto-completion and the flag word they make.
enum TAutoComplete { acDefault, acForceOn, acForceOff };
enum TAutoSuggest { asDefault, asForceOn, asForceOff };

enum class TFileOption : quint32 {
    FileSystem = 0x1,
    UrlHistory = 0x2,
    UrlMRU = 0x4,
};
Q_DECLARE_FLAGS(TFileOptions, TFileOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileOptions)

inline constexpr quint32 kAutoCompleteDefault = 0x0;
inline constexpr quint32 kAutoCompleteFileSystem = 0x1;
inline constexpr quint32 kAutoCompleteUrlHistory = 0x2;
inline constexpr quint32 kAutoCompleteUrlMru = 0x4;
inline constexpr quint32 kAutoSuggestForceOn = 0x10000000;
inline constexpr quint32 kAutoSuggestForceOff = 0x20000000;
inline constexpr quint32 kAutoAppendForceOn = 0x40000000;
inline constexpr quint32 kAutoAppendForceOff = 0x80000000;

// The sum of the flags for the three settings; 0 with the defaults.
quint32 autoCompleteFlags(TAutoComplete autoComplete, TAutoSuggest autoSuggest, TFileOptions fileOptions);

// How a flag word is served by a QCompleter on the edit field.
struct CompleterSetup
{
    bool inlineCompletion = false; // complete the typed text in place
    bool suggestionList = false;   // show a list of matching entries under the field
    bool fileSystemSource = false; // entries are the file system's paths, not the box's list

    bool enabled() const { return inlineCompletion || suggestionList; }
    bool operator==(const CompleterSetup &) const = default;
};

// No force flag means the user's default: inline completion and the suggestion list both on.
// The sources default to the typed-address list; the file system is the source only when it is
// the one source asked for.
CompleterSetup completerSetupFor(quint32 flags);
