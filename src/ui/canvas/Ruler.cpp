#include "ui/canvas/Ruler.h"

#include "ui/canvas/FaceCanvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

CRuler::CRuler(Qt::Orientation orientation, CFaceCanvas* canvas, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_canvas(canvas)
{
    setObjectName(orientation == Qt::Horizontal ? QStringLiteral("topRuler") : QStringLiteral("leftRuler"));
    setCursor(orientation == Qt::Horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
    setToolTip(QStringLiteral("Drag onto the face to lay a guide"));
    if (orientation == Qt::Horizontal)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void CRuler::SetPixelsPerMm(double ppm)
{
    if (ppm != m_ppm) {
        m_ppm = ppm;
        update();
    }
}

QSize CRuler::sizeHint() const
{
    return m_orientation == Qt::Horizontal ? QSize(100, kThickness) : QSize(kThickness, 100);
}

// Ticks every step units (millimetres or pixels), the step the smallest of
// 1, 2, 5, 10, 20, 50, ... that puts ticks at least 6 screen pixels apart;
// a number at every fifth or tenth tick.
void CRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().windowText().color());
    const CFaceMapping& m = m_canvas->Mapping();
    const bool across = m_orientation == Qt::Horizontal;
    const double perUnit = m_ppm > 0 ? m_ppm : 1.0;  // face pixels per counted unit
    // Screen pixels per unit: the mapping's span over its window.
    const double screenPerUnit = across ? perUnit * m.windowWidth / std::max(1, std::abs(m.spanX))
                                        : perUnit * m.windowHeight / std::max(1, std::abs(m.spanY));
    double step = 1;
    for (int i = 0; step * screenPerUnit < 6 && i < 30; ++i)
        step *= (i % 3 == 1) ? 2.5 : 2;  // 1, 2, 5, 10, 20, 50, ...
    // A number every 10, 20, 50, ... units: every 10th tick of a step of 1,
    // every 5th of a step of 2, every 4th of a step of 5 (times ten's powers).
    const double lead = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const int labelEvery = lead < 1.5 ? 10 : lead < 3 ? 5 : 4;
    const int length = across ? width() : height();
    // Units from the face's left (or top) edge at window position w.
    const auto unitAt = [&](int w) {
        return across ? m.WindowToFaceX(w) / perUnit : (m.faceHeight - m.WindowToFaceY(w)) / perUnit;
    };
    const auto windowAt = [&](double units) {
        return across ? m.FaceToWindowX(static_cast<int>(std::lround(units * perUnit)))
                      : m.FaceToWindowY(m.faceHeight - static_cast<int>(std::lround(units * perUnit)));
    };
    const double first = std::floor(std::min(unitAt(0), unitAt(length)) / step) - 1;
    const double last = std::ceil(std::max(unitAt(0), unitAt(length)) / step) + 1;
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.75));
    p.setFont(small);
    for (double k = first; k <= last && k - first < 5000; k += 1) {
        const int w = windowAt(k * step);
        const long long index = std::llround(k);
        const bool major = index % labelEvery == 0;
        const int tick = major ? kThickness - 2 : kThickness / 3;
        if (across) {
            p.drawLine(w, kThickness - tick, w, kThickness - 1);
            if (major)
                p.drawText(w + 2, 9, QString::number(k * step));
        } else {
            p.drawLine(kThickness - tick, w, kThickness - 1, w);
            if (major) {
                p.save();
                p.translate(9, w + 2);
                p.rotate(90);
                p.drawText(0, 0, QString::number(k * step));
                p.restore();
            }
        }
    }
    p.drawLine(across ? QLine(0, kThickness - 1, length, kThickness - 1) : QLine(kThickness - 1, 0, kThickness - 1, length));
}

bool CRuler::GuideAt(QPoint global, int& position) const
{
    const QPoint local = m_canvas->mapFromGlobal(global);
    if (!m_canvas->rect().contains(local))
        return false;
    const CFaceMapping& m = m_canvas->Mapping();
    position = m_orientation == Qt::Horizontal ? m.WindowToFaceY(local.y()) : m.WindowToFaceX(local.x());
    return true;
}

void CRuler::mousePressEvent(QMouseEvent* event)
{
    m_dragging = event->button() == Qt::LeftButton && !m_canvas->Picture().isNull();
}

void CRuler::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    int position = 0;
    const bool on = GuideAt(event->globalPosition().toPoint(), position);
    m_canvas->ShowGuidePreview(on, {m_orientation == Qt::Vertical, position});
}

void CRuler::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    m_canvas->ShowGuidePreview(false, {});
    int position = 0;
    if (GuideAt(event->globalPosition().toPoint(), position))
        m_canvas->AddGuide({m_orientation == Qt::Vertical, position});
}
