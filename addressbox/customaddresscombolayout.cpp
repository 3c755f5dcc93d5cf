// The address box's edit field place, its field icon, its window shape and the widget events that
// move or reshape it.
#include "addressbox/customaddresscombo.h"

#include "addressbox/addressgeometry.h"
#include "addressbox/iconindex.h"
#include "addressbox/systemiconlist.h"
#include "common/errorreport.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>

void TCustomAddressCombo::PlaceEdit()
{
    const QRect place = placeEditRect(size(), kEditOffset);
    if (lineEdit()->geometry() != place)
        lineEdit()->setGeometry(place);
}

void TCustomAddressCombo::UpdateShape()
{
    if (!parentWidget())
        return;
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int metricStrip = style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, this) + frame;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    // The strip covers the style's whole drop-down button where that is wider than the metrics say.
    const int strip = arrow.isValid() ? qMax(metricStrip, width() - arrow.left()) : metricStrip;
    ++m_shapeUpdates;
    const std::optional<QRegion> shape =
        addressBoxShape(size(), m_hasBorder, m_hasDropDown, Style() == csSimple, strip, frame, frame);
    if (shape)
        setMask(*shape);
    else
        clearMask();
}

void TCustomAddressCombo::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    {
        QPainter painter(this);
        const int icon = m_showSelectedIcon ? m_selectedIcon : fieldIcon();
        const QPoint at = m_showSelectedIcon ? QPoint(4, 3) : QPoint(m_iconLeft, m_iconTop);
        const QPixmap pixmap = SystemIconList::shared().pixmap(icon);
        if (!pixmap.isNull())
            painter.drawPixmap(at, pixmap);
    }
    PlaceEdit();
}

int TCustomAddressCombo::fieldIcon()
{
    if (m_fieldIconStale) {
        ++m_fieldIconLookups;
        // What the field shows is enough to tell the kind of address, and stays short.
        m_fieldIcon = IconIndexOf(lineEdit()->text());
        m_fieldIconStale = false;
    }
    return m_fieldIcon;
}

bool TCustomAddressCombo::event(QEvent *event)
{
    // A new parent means a new window: the history is loaded again when it is next shown.
    if (event->type() == QEvent::ParentChange)
        m_windowCreated = false;
    const bool handled = QComboBox::event(event);
    // The drop-down strip is as wide as the style draws it.
    if (event->type() == QEvent::StyleChange)
        UpdateShape();
    return handled;
}

void TCustomAddressCombo::showEvent(QShowEvent *event)
{
    QComboBox::showEvent(event);
    if (!m_windowCreated)
        reportErrors([this] { CreateWnd(); });
}

void TCustomAddressCombo::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    PlaceEdit();
    UpdateShape();
}

void TCustomAddressCombo::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    PlaceEdit();
}

void TCustomAddressCombo::showPopup()
{
    QComboBox::showPopup();
    if (DroppedDown())
        m_droppedRect = view()->window()->frameGeometry();
    PlaceEdit();
}

void TCustomAddressCombo::hidePopup()
{
    QComboBox::hidePopup();
    PlaceEdit();
}

