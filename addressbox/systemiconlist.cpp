#include "addressbox/systemiconlist.h"

#include <QPainter>

SystemIconList &SystemIconList::shared()
{
    static SystemIconList list;
    return list;
}

int SystemIconList::indexOf(const QString &kind, const std::function<QIcon()> &makeIcon)
{
    const qsizetype found = m_kinds.indexOf(kind);
    if (found >= 0)
        return int(found);
    m_kinds.append(kind);
    m_pixmaps.append(smallPixmap(makeIcon()));
    return int(m_kinds.size() - 1);
}

QPixmap SystemIconList::pixmap(int index) const
{
    if (index < 0 || index >= m_pixmaps.size())
        return QPixmap();
    return m_pixmaps.at(index);
}

QString SystemIconList::kind(int index) const
{
    if (index < 0 || index >= m_kinds.size())
        return QString();
    return m_kinds.at(index);
}

QPixmap SystemIconList::smallPixmap(const QIcon &icon)
{
    QPixmap image(kIconSize, kIconSize);
    image.fill(Qt::transparent);
    if (icon.isNull())
        return image;
    const QPixmap source = icon.pixmap(QSize(kIconSize, kIconSize), 1.0);
    QPainter painter(&image);
    const QSize size = source.deviceIndependentSize().toSize();
    painter.drawPixmap(QRect(QPoint((kIconSize - size.width()) / 2, (kIconSize - size.height()) / 2), size), source);
    return image;
}
