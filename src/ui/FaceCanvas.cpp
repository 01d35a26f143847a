#include "ui/FaceCanvas.h"

#include "ui/VtwinView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

CFaceCanvas::CFaceCanvas(CVtwinView* view, QScrollBar* horizontal, QScrollBar* vertical, QWidget* parent)
    : QWidget(parent), m_view(view), m_hbar(horizontal), m_vbar(vertical)
{
    setObjectName(QStringLiteral("faceCanvas"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
    connect(m_hbar, &QScrollBar::valueChanged, this, &CFaceCanvas::OnScroll);
    connect(m_vbar, &QScrollBar::valueChanged, this, &CFaceCanvas::OnScroll);
}

void CFaceCanvas::SetFace(const std::string& name, const QImage& picture)
{
    m_faceName = name;
    m_picture = picture;
    UpdateMapping();
    update();
}

double CFaceCanvas::Scale() const
{
    if (m_faceName.empty() || m_picture.isNull())
        return 0.0;
    CZoomEntry& entry = m_view->ZoomMap().Get(m_faceName);
    if (entry.fit) {
        const double s = std::min(static_cast<double>(width()) / m_picture.width(),
                                  static_cast<double>(height()) / m_picture.height());
        // The fitted zoom becomes the stored zoom, so that Zoom In / Out step
        // from what the user sees.
        entry.zoom = static_cast<std::uint32_t>(std::lround(s * 1000.0));
        return s;
    }
    return entry.zoom / 1000.0;
}

void CFaceCanvas::UpdateMapping()
{
    const double s = Scale();
    if (s <= 0.0) {
        m_mapping = CFaceMapping();
        m_mapping.SetEdges(0, 0, 0, 0, width(), height());
        m_hbar->hide();
        m_vbar->hide();
        return;
    }
    CZoomEntry& entry = m_view->ZoomMap().Get(m_faceName);
    const double fw = m_picture.width(), fh = m_picture.height();
    if (!entry.hasVisible) {
        // First showing at this zoom: the top-left corner of the face.
        entry.visLeft = 0.0;
        entry.visTop = fh;
        entry.hasVisible = true;
    }
    bool sx = false, sy = false;
    m_mapping = ComputeFaceMapping(m_picture.width(), m_picture.height(), width(), height(), s, entry.visLeft,
                                   entry.visTop, &sx, &sy);
    entry.visLeft = m_mapping.faceLeft;
    entry.visTop = m_mapping.faceTop;
    entry.visRight = m_mapping.faceRight;
    entry.visBottom = m_mapping.faceBottom;

    // Scroll bars count window pixels of the scaled picture.
    m_updatingBars = true;
    const int scaledW = static_cast<int>(std::lround(fw * s));
    const int scaledH = static_cast<int>(std::lround(fh * s));
    m_hbar->setVisible(sx);
    m_vbar->setVisible(sy);
    if (sx) {
        m_hbar->setRange(0, std::max(0, scaledW - width()));
        m_hbar->setPageStep(width());
        m_hbar->setSingleStep(std::max(1, width() / 20));
        m_hbar->setValue(static_cast<int>(std::lround(m_mapping.faceLeft * s)));
    }
    if (sy) {
        m_vbar->setRange(0, std::max(0, scaledH - height()));
        m_vbar->setPageStep(height());
        m_vbar->setSingleStep(std::max(1, height() / 20));
        m_vbar->setValue(static_cast<int>(std::lround((fh - m_mapping.faceTop) * s)));
    }
    m_updatingBars = false;
}

void CFaceCanvas::ZoomChanged(double oldScale)
{
    if (m_faceName.empty() || m_picture.isNull())
        return;
    CZoomEntry& entry = m_view->ZoomMap().Get(m_faceName);
    const double s = Scale();
    if (s > 0.0 && oldScale > 0.0 && entry.hasVisible) {
        // Keep the face point at the window's centre where it is.
        const double cx = (entry.visLeft + entry.visRight) * 0.5;
        const double cy = (entry.visTop + entry.visBottom) * 0.5;
        entry.visLeft = cx - width() * 0.5 / s;
        entry.visTop = cy + height() * 0.5 / s;
    }
    UpdateMapping();
    update();
}

void CFaceCanvas::OnScroll()
{
    if (m_updatingBars || m_faceName.empty())
        return;
    const double s = Scale();
    if (s <= 0.0)
        return;
    CZoomEntry& entry = m_view->ZoomMap().Get(m_faceName);
    if (m_hbar->isVisible())
        entry.visLeft = m_hbar->value() / s;
    if (m_vbar->isVisible())
        entry.visTop = m_picture.height() - m_vbar->value() / s;
    UpdateMapping();
    update();
}

void CFaceCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateMapping();
}

void CFaceCanvas::paintEvent(QPaintEvent*)
{
    UpdateMapping();
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (m_picture.isNull())
        return;
    // The picture goes exactly where the mapping puts the face corners, so the
    // objects drawn through the mapping sit on the right pixels.
    const int x0 = m_mapping.FaceToWindowX(0);
    const int x1 = m_mapping.FaceToWindowX(m_picture.width());
    const int y0 = m_mapping.FaceToWindowY(m_picture.height());
    const int y1 = m_mapping.FaceToWindowY(0);
    const QRect target(x0, y0, x1 - x0, y1 - y0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, Scale() < 1.0);
    painter.drawImage(target, m_picture);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(target.adjusted(-1, -1, 0, 0));
    PaintObjects(painter);
}

void CFaceCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const CFacePoint f = m_mapping.WindowToFace(p.x(), p.y());
    emit mousePositionChanged(f.x, f.y, m_mapping.IsOnFace(f));
    QWidget::mouseMoveEvent(event);
}

void CFaceCanvas::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || m_picture.isNull())
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        m_view->OnCommand(steps > 0 ? 32797 : 32798);
        return;
    }
    QScrollBar* bar = (event->modifiers() & Qt::ShiftModifier) ? m_hbar : m_vbar;
    if (bar->isVisible())
        bar->setValue(bar->value() - steps * bar->singleStep() * 3);
}
