#include "ui/render/RenderPage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kMaxZoom = 16.0;
constexpr double kWheelStep = 1.25;  // one notch of the wheel
} // namespace

CRenderPage::CRenderPage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
}

void CRenderPage::SetPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void CRenderPage::SetPlaceholder(const QString& text)
{
    m_placeholder = text;
    update();
}

void CRenderPage::SetTopBar(QWidget* bar)
{
    m_topBar = bar;
    bar->setParent(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addStretch(1);
    bar->installEventFilter(this);
}

void CRenderPage::HideTopBarKeepingRoom()
{
    if (!m_topBar || m_topBar->isHidden())
        return;
    m_keptBarRoom = m_topBar->height();
    m_topBar->hide();
}

void CRenderPage::ReleaseTopBarRoom()
{
    if (m_keptBarRoom == 0)
        return;
    m_keptBarRoom = 0;
    update();
}

void CRenderPage::ReturnTopBar()
{
    if (m_keptBarRoom > 0)
        m_topBar->show();
}

bool CRenderPage::eventFilter(QObject* watched, QEvent* event)
{
    // The picture moves when the bar comes or goes.
    if (watched == m_topBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        if (event->type() == QEvent::Show)
            m_keptBarRoom = 0;
        update();
    }
    return QWidget::eventFilter(watched, event);
}

QRect CRenderPage::PictureArea() const
{
    int shown = 0;
    if (m_topBar && !m_topBar->isHidden())
        shown = m_topBar->hasHeightForWidth() ? m_topBar->heightForWidth(width()) : m_topBar->sizeHint().height();
    const int top = std::max(shown, m_keptBarRoom);
    return QRect(0, top, width(), std::max(1, height() - top));
}

QRectF CRenderPage::FitRect() const
{
    if (m_picture.isNull())
        return {};
    const QRect area = PictureArea();
    const double s = std::min(static_cast<double>(area.width()) / m_picture.width(),
                              static_cast<double>(area.height()) / m_picture.height());
    const double w = std::max(1.0, m_picture.width() * s);
    const double h = std::max(1.0, m_picture.height() * s);
    return QRectF(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
}

QRect CRenderPage::PictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QRectF fit = FitRect();
    if (m_zoom <= 1.0)
        return fit.toRect();
    return QRectF(m_origin, fit.size() * m_zoom).toRect();
}

void CRenderPage::ZoomAt(double factor, QPointF anchor)
{
    if (m_picture.isNull())
        return;
    const QRectF fit = FitRect();
    const QRectF shown = m_zoom <= 1.0 ? fit : QRectF(m_origin, fit.size() * m_zoom);
    const double zoom = std::clamp(m_zoom * factor, 1.0, kMaxZoom);
    if (zoom <= 1.0) {
        ZoomToFit();
        return;
    }
    // The picture point under the anchor, as a fraction of the picture, stays there.
    const double u = (anchor.x() - shown.x()) / shown.width();
    const double v = (anchor.y() - shown.y()) / shown.height();
    const QSizeF size = fit.size() * zoom;
    m_origin = QPointF(anchor.x() - u * size.width(), anchor.y() - v * size.height());
    m_zoom = zoom;
    update();
}

void CRenderPage::ZoomToFit()
{
    m_zoom = 1.0;
    update();
}

void CRenderPage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (m_picture.isNull()) {
        p.setPen(palette().color(QPalette::BrightText));
        p.drawText(PictureArea(), Qt::AlignCenter, m_placeholder);
        return;
    }
    const QRect r = PictureRect();
    p.setClipRect(PictureArea());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, m_picture);
    p.setPen(QColor(40, 40, 40));
    p.drawRect(r.adjusted(-1, -1, 0, 0));
}

void CRenderPage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_turning = false;
    m_pressAt = event->position().toPoint();
}

void CRenderPage::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !m_turnable || m_picture.isNull() || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->position().toPoint() - m_pressAt;
    if (!m_turning) {
        if (delta.manhattanLength() < kDragThreshold)
            return;
        m_turning = true;
        setCursor(Qt::ClosedHandCursor);
        emit turnStarted();
    }
    emit turnMoved(delta);
}

void CRenderPage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_turning) {
        m_turning = false;
        unsetCursor();
        emit turnFinished(event->position().toPoint() - m_pressAt);
        return;
    }
    if (m_picture.isNull())
        return;
    const QRect r = PictureRect();
    const QPoint p = event->position().toPoint() - r.topLeft();
    const int px = static_cast<int>(static_cast<long long>(p.x()) * m_picture.width() / r.width());
    const int py = static_cast<int>(static_cast<long long>(p.y()) * m_picture.height() / r.height());
    if (p.x() >= 0 && p.y() >= 0 && px < m_picture.width() && py < m_picture.height())
        emit pictureClicked(px, py);
}

void CRenderPage::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || m_picture.isNull()) {
        event->ignore();
        return;
    }
    ZoomAt(std::pow(kWheelStep, notches), event->position());
    event->accept();
}

void CRenderPage::resizeEvent(QResizeEvent* event)
{
    // A zoomed picture keeps its place; the fit follows the page.
    QWidget::resizeEvent(event);
    if (m_zoom <= 1.0)
        update();
}
