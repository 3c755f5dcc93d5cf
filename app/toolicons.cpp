#include "app/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {
QIcon drawIcon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pm);
}

void arrow(QPainter &p, bool left, const QColor &color)
{
    QPainterPath path;
    if (left) {
        path.moveTo(1, 8); path.lineTo(8, 1); path.lineTo(8, 5); path.lineTo(15, 5);
        path.lineTo(15, 11); path.lineTo(8, 11); path.lineTo(8, 15);
    } else {
        path.moveTo(15, 8); path.lineTo(8, 1); path.lineTo(8, 5); path.lineTo(1, 5);
        path.lineTo(1, 11); path.lineTo(8, 11); path.lineTo(8, 15);
    }
    path.closeSubpath();
    p.setPen(QPen(color.darker(160), 1));
    p.setBrush(color);
    p.drawPath(path);
}

void page(QPainter &p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 9, 13));
    p.setPen(QPen(QColor(150, 150, 170), 1));
    for (int y = 4; y <= 11; y += 2)
        p.drawLine(QPointF(4.5, y + 0.5), QPointF(9.5, y + 0.5));
}
} // namespace

QList<QIcon> makeSurfToolIcons()
{
    QList<QIcon> icons;
    icons << drawIcon([](QPainter &p) { arrow(p, true, QColor(46, 139, 87)); });
    icons << drawIcon([](QPainter &p) { arrow(p, false, QColor(46, 139, 87)); });
    icons << drawIcon([](QPainter &p) {
        p.setPen(QPen(QColor(140, 20, 20), 1));
        p.setBrush(QColor(210, 40, 40));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
    icons << drawIcon([](QPainter &p) {
        page(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 130, 30));
        p.drawRect(QRectF(9, 10.5, 7, 2));
        p.drawRect(QRectF(11.5, 8, 2, 7));
    });
    icons << drawIcon([](QPainter &p) {
        page(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawRect(QRectF(9, 10.5, 7, 2));
    });
    icons << drawIcon([](QPainter &p) {
        p.setPen(QPen(QColor(20, 40, 110), 1));
        p.setBrush(QColor(60, 90, 180));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    });
    icons << drawIcon([](QPainter &p) {
        page(p);
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(QPointF(8, 8), QPointF(15, 15));
        p.drawLine(QPointF(15, 8), QPointF(8, 15));
    });
    icons << drawIcon([](QPainter &p) {
        p.setPen(QPen(QColor(90, 60, 30), 1));
        p.setBrush(QColor(170, 120, 60));
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setBrush(QColor(240, 200, 60));
        p.drawEllipse(QRectF(9.5, 7.5, 2, 2));
    });
    icons << drawIcon([](QPainter &p) {
        p.setPen(QPen(QColor(20, 90, 20), 1));
        p.setBrush(QColor(60, 170, 60));
        QPainterPath path;
        path.moveTo(3, 2); path.lineTo(14, 8); path.lineTo(3, 14);
        path.closeSubpath();
        p.drawPath(path);
    });
    return icons;
}
