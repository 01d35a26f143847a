#include "ui/canvas/CanvasOverlay.h"

#include <QPainter>

#include <cmath>

void PaintGuides(QPainter& painter, const CFaceMapping& m, const std::vector<CGuide>& guides, const CGuide* preview)
{
    const auto line = [&](const CGuide& g) {
        if (g.vertical) {
            const int x = m.FaceToWindowX(g.position);
            painter.drawLine(x, 0, x, m.windowHeight);
        } else {
            const int y = m.FaceToWindowY(g.position);
            painter.drawLine(0, y, m.windowWidth, y);
        }
    };
    painter.save();
    painter.setPen(QPen(QColor(0, 170, 230), 1));
    for (const CGuide& g : guides)
        line(g);
    if (preview) {
        painter.setPen(QPen(QColor(0, 170, 230), 1, Qt::DashLine));
        line(*preview);
    }
    painter.restore();
}

void PaintPrintLines(QPainter& painter, const CFaceMapping& m, double ppm, double bleedMm, double safeMm)
{
    if (ppm <= 0)
        return;
    // A frame `inset` face pixels inside the face's edges (negative: outside).
    const auto frame = [&](double inset, const QColor& colour) {
        const int d = static_cast<int>(std::lround(inset));
        const QRect r(QPoint(m.FaceToWindowX(d), m.FaceToWindowY(m.faceHeight - d)),
                      QPoint(m.FaceToWindowX(m.faceWidth - d) - 1, m.FaceToWindowY(d) - 1));
        painter.setPen(QPen(colour, 1, Qt::DashLine));
        painter.drawRect(r.normalized());
    };
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (bleedMm > 0)
        frame(-bleedMm * ppm, QColor(220, 0, 0));
    if (safeMm > 0)
        frame(safeMm * ppm, QColor(0, 160, 0));
    painter.restore();
}
