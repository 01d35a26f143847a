#include "ui/canvas/FaceLocation.h"

#include <QPainter>
#include <QPainterPath>

QPixmap FaceLocationPicture(char group, qreal dpr)
{
    const QSize size(44, 30);
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    if (group == 0)
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(60, 72, 88), face(238, 242, 248), mark(61, 123, 217);
    // A box seen from the front right and above: front, top and right side.
    const QPolygonF front({QPointF(8, 10), QPointF(28, 10), QPointF(28, 28), QPointF(8, 28)});
    const QPolygonF top({QPointF(8, 10), QPointF(16, 3), QPointF(36, 3), QPointF(28, 10)});
    const QPolygonF right({QPointF(28, 10), QPointF(36, 3), QPointF(36, 21), QPointF(28, 28)});
    if (group == 'G') {
        p.fillRect(QRectF(2, 1, 40, 28), mark.lighter(150));
        p.setPen(QPen(mark, 1));
        p.drawRect(QRectF(2.5, 1.5, 39, 27));
    }
    auto draw = [&](const QPolygonF& poly, bool marked) {
        p.setPen(QPen(edge, 1));
        p.setBrush(marked ? mark : face);
        p.drawPolygon(poly);
    };
    draw(top, group == 'U');
    draw(right, group == 'R');
    draw(front, group == 'F' || group == 'Z');
    p.setPen(QPen(mark, 3, Qt::SolidLine, Qt::RoundCap));
    if (group == 'L')
        p.drawLine(QPointF(8, 10), QPointF(8, 28));  // the left edge: left side or spine
    if (group == 'D')
        p.drawLine(QPointF(8, 28), QPointF(28, 28));
    if (group == 'B') {  // the back: its hidden edges, seen through the box
        p.setPen(QPen(mark, 2, Qt::DashLine));
        p.drawPolyline(QPolygonF({QPointF(16, 3), QPointF(16, 21), QPointF(36, 21)}));
    }
    if (group == 'C') {
        p.setPen(QPen(edge, 1));
        p.setBrush(QColor(200, 210, 225));
        p.drawEllipse(QPointF(18, 19), 7, 7);
        p.setBrush(mark);
        p.drawEllipse(QPointF(18, 19), 2, 2);
    }
    if (group == 'X') {
        p.setPen(QPen(mark, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4, 1, 36, 28));
    }
    if (group == 'Z') {
        // A light spot: the rendered picture.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 214, 80));
        p.drawEllipse(QPointF(39, 25), 3, 3);
    }
    return pm;
}
