#include "addressbox/addressitemdelegate.h"

#include "addressbox/addressgeometry.h"
#include "addressbox/customaddresscombo.h"
#include "addressbox/iconindex.h"
#include "addressbox/systemiconlist.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

TAddressItemDelegate::TAddressItemDelegate(TCustomAddressCombo *box)
    : QStyledItemDelegate(box), m_box(box)
{
}

void TAddressItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const QRect item = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette &palette = option.palette;
    painter->save();
    painter->fillRect(item, selected ? palette.highlight() : palette.base());

    const QString text = index.data(Qt::DisplayRole).toString();
    const int icon = IconIndexOf(text);
    if (selected)
        m_box->m_selectedIcon = icon;
    const QSize bitmap(SystemIconList::kIconSize, SystemIconList::kIconSize);
    if (index.isValid() && index.row() < index.model()->rowCount(index.parent())) {
        const QPixmap pixmap = SystemIconList::shared().pixmap(icon);
        if (!pixmap.isNull())
            painter->drawPixmap(itemIconPos(item, bitmap), pixmap);
    }

    const int textLeft = itemTextLeft(item, bitmap);
    painter->setFont(option.font);
    painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
    painter->drawText(QRect(textLeft, item.top(), qMax(0, item.right() - textLeft + 1), item.height()),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);

    if (option.state.testFlag(QStyle::State_HasFocus)) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = item;
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

QSize TAddressItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QSize bitmap(SystemIconList::kIconSize, SystemIconList::kIconSize);
    const int textWidth = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return QSize(itemTextLeft(QRect(), bitmap) + textWidth + 4, m_box->ItemHeight());
}
