#include "addressbox/iconindex.h"

#include "addressbox/systemiconlist.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {

struct SpecialFolderRow
{
    const char *name;
    int number;
};

// The names the field knows, upper-cased, with the folder number of each.
constexpr SpecialFolderRow kSpecialFolders[] = {
    {"DESKTOP", 0},
    {"PRINTERS", 4},
    {"MY DOCUMENTS", 5},
    {"RECYCLE BIN", 10},
    {"NETWORK NEIGHBORHOOD", 18},
    {"MY COMPUTER", 17},
    {"PROGRAMS", 2},
    {"CONTROL PANEL", 3},
    {"FAVORITES", 6},
    {"STARTUP", 7},
    {"RECENT", 8},
    {"SENDTO", 9},
    {"STARTMENU", 11},
    {"DESKTOP DIRECTORY", 16},
    {"NETHOOD", 19},
    {"FONTS", 20},
    {"TEMPLATES", 21},
    {"APPDATA", 26},
    {"PRINTHOOD", 27},
};

std::optional<QString> standardFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QIcon themeOr(const char *themeName, QFileIconProvider::IconType fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QFileIconProvider().icon(fallback));
}

QIcon specialFolderIcon(int number)
{
    switch (number) {
    case 0:
        return QFileIconProvider().icon(QFileIconProvider::Desktop);
    case 10:
        return QFileIconProvider().icon(QFileIconProvider::Trashcan);
    case 17:
        return QFileIconProvider().icon(QFileIconProvider::Computer);
    case 5:
        return themeOr("folder-documents", QFileIconProvider::Folder);
    case 3:
        return themeOr("preferences-system", QFileIconProvider::Folder);
    case 20:
        return themeOr("preferences-desktop-font", QFileIconProvider::Folder);
    default:
        return QFileIconProvider().icon(QFileIconProvider::Folder);
    }
}

QIcon mimeIcon(const QString &mimeName)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeName);
    const QIcon generic = QIcon::fromTheme(type.genericIconName(), QFileIconProvider().icon(QFileIconProvider::File));
    return QIcon::fromTheme(type.iconName(), generic);
}

QString mimeKey(const QString &name)
{
    return QStringLiteral("mime:") + QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
}

} // namespace

QString upperAscii(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

int specialFolderOf(const QString &upperText)
{
    for (const SpecialFolderRow &row : kSpecialFolders) {
        if (upperText == QLatin1String(row.name))
            return row.number;
    }
    return kNoSpecialFolder;
}

std::optional<QString> specialFolderPath(int specialFolder)
{
    switch (specialFolder) {
    case 0:  // desktop
    case 16: // the desktop's directory
        return standardFolder(QStandardPaths::DesktopLocation);
    case 5:
        return standardFolder(QStandardPaths::DocumentsLocation);
    case 17: // the computer: the root of the file system
        return QDir::rootPath();
    case 2:
        return standardFolder(QStandardPaths::ApplicationsLocation);
    case 3: // the user's settings
        return standardFolder(QStandardPaths::GenericConfigLocation);
    case 20:
        return standardFolder(QStandardPaths::FontsLocation);
    case 26:
        return standardFolder(QStandardPaths::GenericDataLocation);
    case 10: {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        const std::optional<QString> data = standardFolder(QStandardPaths::GenericDataLocation);
        if (data)
            return *data + QStringLiteral("/Trash");
#endif
        return std::nullopt;
    }
    default: // printers, network, favourites, start-up, recent, send-to, start menu, templates, ...
        return std::nullopt;
    }
}

IconKind iconKindOf(const QString &text)
{
    const int folder = specialFolderOf(upperAscii(text));
    if (folder != kNoSpecialFolder && specialFolderPath(folder))
        return IconKind{IconRule::SpecialFolder, QStringLiteral("special:%1").arg(folder), folder};

    const QFileInfo info(text);
    if ((!text.isEmpty() && info.isFile()) || text.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return IconKind{IconRule::File, mimeKey(text)};
    if (!text.isEmpty() && info.isDir())
        return IconKind{IconRule::Directory, QStringLiteral("directory")};
    if (!text.isEmpty())
        return IconKind{IconRule::WebPage, mimeKey(QStringLiteral("*.htm"))};
    return IconKind{};
}

QIcon iconOfKind(const IconKind &kind)
{
    switch (kind.rule) {
    case IconRule::SpecialFolder:
        return specialFolderIcon(kind.specialFolder);
    case IconRule::File:
    case IconRule::WebPage:
        return mimeIcon(kind.key.mid(int(qstrlen("mime:"))));
    case IconRule::Directory:
        return QFileIconProvider().icon(QFileIconProvider::Folder);
    case IconRule::None:
        break;
    }
    return QIcon();
}

int IconIndexOf(const QString &text)
{
    const IconKind kind = iconKindOf(text);
    if (kind.rule == IconRule::None)
        return -1;
    return SystemIconList::shared().indexOf(kind.key, [&kind] { return iconOfKind(kind); });
}
