#include "ui/render/RenderPage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

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

bool CRenderPage::eventFilter(QObject* watched, QEvent* event)
{
    // The picture moves when the bar comes or goes.
    if (watched == m_topBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        update();
    return QWidget::eventFilter(watched, event);
}

QRect CRenderPage::PictureArea() const
{
    const int top = m_topBar && !m_topBar->isHidden() ? m_topBar->sizeHint().height() : 0;
    return QRect(0, top, width(), std::max(1, height() - top));
}

QRect CRenderPage::PictureRect() const
{
    if (m_picture.isNull())
        return {};
    // Shown at its own size when it fits, else reduced to fit.
    const QRect area = PictureArea();
    const double s = std::min({1.0, static_cast<double>(area.width()) / m_picture.width(),
                               static_cast<double>(area.height()) / m_picture.height()});
    const int w = std::max(1, static_cast<int>(m_picture.width() * s));
    const int h = std::max(1, static_cast<int>(m_picture.height() * s));
    return QRect(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
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
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, m_picture);
    p.setPen(QColor(40, 40, 40));
    p.drawRect(r.adjusted(-1, -1, 0, 0));
}

void CRenderPage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_picture.isNull())
        return;
    const QRect r = PictureRect();
    const QPoint p = event->position().toPoint() - r.topLeft();
    const int px = static_cast<int>(static_cast<long long>(p.x()) * m_picture.width() / r.width());
    const int py = static_cast<int>(static_cast<long long>(p.y()) * m_picture.height() / r.height());
    if (p.x() >= 0 && p.y() >= 0 && px < m_picture.width() && py < m_picture.height())
        emit pictureClicked(px, py);
}
