#include "app/surftoolbar.h"

#include <QPainter>
#include <QToolButton>

namespace {
// A separator: room between button groups with an etched line in its middle.
class Separator : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int x = width() / 2 - 1;
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(x, 4, x, height() - 5);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(x + 1, 4, x + 1, height() - 5);
    }
};
} // namespace

SurfToolBar::SurfToolBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ToolBar1"));
    setFixedHeight(kHeight);
}

QToolButton *SurfToolBar::addButton(const QString &objectName, const QString &caption, const QIcon &icon)
{
    auto *b = new QToolButton(this);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(kButtonWidth, kButtonHeight);
    m_items.append(b);
    relayout();
    return b;
}

QWidget *SurfToolBar::addSeparator(const QString &objectName, bool visible)
{
    auto *s = new Separator(this);
    s->setObjectName(objectName);
    s->setFixedSize(kSeparatorWidth, kButtonHeight);
    s->setVisible(visible);
    if (!visible)
        s->setAttribute(Qt::WA_WState_ExplicitShowHide);
    m_items.append(s);
    relayout();
    return s;
}

void SurfToolBar::relayout()
{
    int x = 0;
    for (QWidget *w : m_items) {
        if (w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide))
            continue;
        w->move(x, (kHeight - kButtonHeight) / 2);
        x += w->width();
    }
}

void SurfToolBar::showEvent(QShowEvent *event)
{
    relayout();
    QWidget::showEvent(event);
}

void SurfToolBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, height() - 2, width() - 1, height() - 2);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 1, width() - 1, 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
}
