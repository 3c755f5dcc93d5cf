#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QList>
#include <functional>

// The program-wide list of small (16 x 16) icons that every address box draws from. An icon kind
// ("mime:text/html", "folder", ...) gets its index the first time it is asked for and keeps it for
// the run; indexes are never reused.
class SystemIconList
{
public:
    static constexpr int kIconSize = 16;

    static SystemIconList &shared();

    // The index of `kind`, adding the icon that `makeIcon` gives when the kind is new.
    int indexOf(const QString &kind, const std::function<QIcon()> &makeIcon);

    int count() const { return int(m_pixmaps.size()); }
    // The 16 x 16 image of `index`; a null pixmap for an index outside the list.
    QPixmap pixmap(int index) const;
    QString kind(int index) const;

    // `icon` drawn into a transparent 16 x 16 image, centred when the icon has no image of that size.
    static QPixmap smallPixmap(const QIcon &icon);

private:
    SystemIconList() = default;

    QStringList m_kinds;
    QList<QPixmap> m_pixmaps;
};
