#pragma once

#include <QIcon>
#include <QString>
#include <optional>

// Which icon a text in the address box gets, and its index in the shared icon list.

enum class IconRule {
    SpecialFolder, // one of the named special folders that the platform has
    File,          // an existing file, or a "file://" text: the icon of its kind by name
    Directory,     // an existing directory: the folder icon
    WebPage,       // any other text: the icon of a web page
    None,          // the empty text: no icon
};

struct IconKind
{
    IconRule rule = IconRule::None;
    QString key; // the kind's name in the icon list; empty for None
    int specialFolder = -1;
};

// Folder number of an upper-cased text in the special-folder table, 3000 (no folder) for any
// other text.
inline constexpr int kNoSpecialFolder = 3000;
int specialFolderOf(const QString &upperText);

// The platform's folder for a folder number, or nothing when the platform has no such folder.
std::optional<QString> specialFolderPath(int specialFolder);

// The letters a to z turned into A to Z, nothing else changed.
QString upperAscii(const QString &text);

IconKind iconKindOf(const QString &text);
QIcon iconOfKind(const IconKind &kind);

// The icon of `text` as an index into SystemIconList::shared(); -1 for the empty text.
int IconIndexOf(const QString &text);
