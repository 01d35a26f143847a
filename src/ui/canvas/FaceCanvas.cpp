#include "ui/canvas/FaceCanvas.h"

#include "ui/canvas/CanvasOverlay.h"
#include "ui/canvas/FacePainting.h"

#include "ui/shell/CommandIds.h"
#include "app/VtwinDoc.h"
#include "ui/shell/EditService.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

CFaceCanvas::CFaceCanvas(CEditService& edits, CZoomMap& zoom, QScrollBar* horizontal, QScrollBar* vertical,
                         QWidget* parent)
    : QWidget(parent), m_edits(edits), m_zoom(zoom), m_hbar(horizontal), m_vbar(vertical)
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
    // A drag or point entry belongs to the face it started on.
    CancelTool();
    m_faceName = name;
    // The raster engine stretches 32-bit pictures about four times faster
    // than packed 24-bit ones; convert once here rather than at every paint.
    m_picture = picture.format() == QImage::Format_RGB32 || picture.isNull()
                    ? picture
                    : picture.convertToFormat(QImage::Format_RGB32);
    UpdateMapping();
    update();
}

double CFaceCanvas::Scale() const
{
    if (m_faceName.empty() || m_picture.isNull())
        return 0.0;
    CZoomEntry& entry = m_zoom.Get(m_faceName);
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
    const CZoomEntry* before = m_faceName.empty() ? nullptr : m_zoom.Find(m_faceName);
    const std::uint32_t oldZoom = before ? before->zoom : 0;
    const double s = Scale();
    if (const CZoomEntry* after = m_faceName.empty() ? nullptr : m_zoom.Find(m_faceName);
        after && after->fit && after->zoom != oldZoom) {
        // A fitted face changed its zoom with the window's size: the status
        // bar and the Custom Zoom entry show the new one (after this paint).
        QTimer::singleShot(0, this, [this]() { emit fittedZoomChanged(); });
    }
    if (s <= 0.0) {
        m_mapping = CFaceMapping();
        m_mapping.SetEdges(0, 0, 0, 0, width(), height());
        m_hbar->hide();
        m_vbar->hide();
        return;
    }
    CZoomEntry& entry = m_zoom.Get(m_faceName);
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

void CFaceCanvas::ZoomChanged(double oldScale, std::optional<QPoint> anchor)
{
    if (m_faceName.empty() || m_picture.isNull())
        return;
    CZoomEntry& entry = m_zoom.Get(m_faceName);
    const double s = Scale();
    if (s > 0.0 && oldScale > 0.0 && entry.hasVisible) {
        // The face point at the anchor (window x right, y down; face y up)
        // stays at the anchor: the window's left and top edges move about it.
        const double ax = anchor ? anchor->x() : width() * 0.5;
        const double ay = anchor ? anchor->y() : height() * 0.5;
        const double fx = anchor ? entry.visLeft + ax / oldScale : (entry.visLeft + entry.visRight) * 0.5;
        const double fy = anchor ? entry.visTop - ay / oldScale : (entry.visTop + entry.visBottom) * 0.5;
        entry.visLeft = fx - ax / s;
        entry.visTop = fy + ay / s;
    }
    UpdateMapping();
    update();
    // The status bar's position follows the zoom at once, not at the next move.
    const QPoint mouse = anchor ? *anchor : mapFromGlobal(QCursor::pos());
    if (rect().contains(mouse)) {
        const CFacePoint f = ToFace(mouse);
        emit mousePositionChanged(f.x, f.y, m_mapping.IsOnFace(f));
    }
}

void CFaceCanvas::OnScroll()
{
    if (m_updatingBars || m_faceName.empty())
        return;
    const double s = Scale();
    if (s <= 0.0)
        return;
    CZoomEntry& entry = m_zoom.Get(m_faceName);
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
    emit mappingPainted();
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
    m_handles.clear();
    if (const CDrawObjectList* objects = m_edits.CurrentObjects()) {
        const int zoom = static_cast<int>(std::lround(Scale() * 100.0));
        m_handles = PaintFaceObjects(painter, m_mapping, *objects, m_picture.size(), size(), zoom);
    }
    PaintPrintLines(painter, m_mapping, m_ppm, m_bleedMm, m_safeMm);
    PaintGuides(painter, m_mapping, Guides(), m_guidePreview ? &*m_guidePreview : nullptr);
    const SToolFeedback tool{m_step,         m_mode,       m_anchor,   m_current, m_dragObject,
                             m_dragHandle,   &m_points,    LineColour()};
    PaintToolFeedback(painter, m_mapping, tool);
}

COLORREF CFaceCanvas::LineColour() const
{
    const CVtwinDoc* doc = m_edits.Document();
    return doc ? doc->GetDrawingDefaults().lineColour : CDrawingDefaults().lineColour;
}

const std::vector<CGuide>& CFaceCanvas::Guides() const
{
    static const std::vector<CGuide> none;
    const auto found = m_guides.find(m_faceName);
    return found == m_guides.end() ? none : found->second;
}

void CFaceCanvas::AddGuide(const CGuide& guide)
{
    m_guides[m_faceName].push_back(guide);
    update();
}

void CFaceCanvas::ClearGuides()
{
    m_guides.erase(m_faceName);
    update();
}

void CFaceCanvas::ShowGuidePreview(bool on, const CGuide& guide)
{
    m_guidePreview = on ? std::optional<CGuide>(guide) : std::nullopt;
    update();
}

void CFaceCanvas::SetPrintLines(double pixelsPerMm, double bleedMm, double safeMm)
{
    m_ppm = pixelsPerMm;
    m_bleedMm = bleedMm;
    m_safeMm = safeMm;
    update();
}

// Snapping waits until the pointer has moved a few screen pixels, so a
// click that selects never moves what it picks.
CFacePoint CFaceCanvas::Snap(CFacePoint f) const
{
    const double scale = Scale();
    const int moved = std::max(std::abs(f.x - m_anchor.x), std::abs(f.y - m_anchor.y));
    if (!m_snap || (m_step != 2 && m_step != 3) || moved * scale < 3)
        return f;
    const int tolerance = std::max(1, static_cast<int>(std::lround(6 / scale)));
    return SnapDrag(m_snapTargets, m_step == 2 ? m_dragObject : nullptr, m_dragHandle, m_anchor, f, tolerance);
}

const CFaceCanvas::SHandle* CFaceCanvas::HitHandle(QPoint p) const
{
    for (auto it = m_handles.rbegin(); it != m_handles.rend(); ++it)
        if (it->rect.contains(p))
            return &*it;
    return nullptr;
}

void CFaceCanvas::SetTool(int mode, int subTool)
{
    CancelTool();
    m_mode = mode;
    m_subTool = subTool;
    setCursor(mode == kModeSelect ? Qt::ArrowCursor : Qt::CrossCursor);
    setFocus();
}

void CFaceCanvas::CancelTool()
{
    m_step = 0;
    m_dragObject = nullptr;
    m_points.clear();
    if (m_mode == kModeSelect)
        m_subTool = 0;
    update();
}

void CFaceCanvas::focusOutEvent(QFocusEvent* event)
{
    // A menu or dialog taking the focus ends a drag without change.
    if (m_step != 0 && !(QWidget::mouseGrabber() == this))
        CancelTool();
    QWidget::focusOutEvent(event);
}

void CFaceCanvas::keyPressEvent(QKeyEvent* event)
{
    // Escape abandons a drag or a polygon being entered, changing nothing.
    if (event->key() == Qt::Key_Escape && m_step != 0) {
        CancelTool();
        event->accept();
        return;
    }
    // Plain arrow keys nudge the selection by one pixel, as Shift+arrow does
    // through the Nudge commands; without a selection they do nothing here.
    static const struct {
        int key, command;
    } arrows[] = {{Qt::Key_Up, ID_NUDGE_UP},
                  {Qt::Key_Down, ID_NUDGE_DOWN},
                  {Qt::Key_Left, ID_NUDGE_LEFT},
                  {Qt::Key_Right, ID_NUDGE_RIGHT}};
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && m_step == 0) {
        const CDrawObjectList* objects = m_edits.CurrentObjects();
        for (const auto& a : arrows)
            if (event->key() == a.key && objects && LayoutEdit::CountSelected(*objects) > 0) {
                emit commandRequested(a.command);
                event->accept();
                return;
            }
    }
    QWidget::keyPressEvent(event);
}

void CFaceCanvas::leaveEvent(QEvent* event)
{
    // The status bar shows no position while the mouse is off the canvas.
    emit mousePositionChanged(0, 0, false);
    QWidget::leaveEvent(event);
}

void CFaceCanvas::UpdateCursor(QPoint p)
{
    if (m_step != 0)
        return;
    if (m_mode != kModeSelect) {
        setCursor(Qt::CrossCursor);
        return;
    }
    const SHandle* h = HitHandle(p);
    if (!h) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    switch (h->handle) {
    case 0: setCursor(Qt::SizeAllCursor); break;
    case 1:
    case 8: setCursor(Qt::SizeFDiagCursor); break;
    case 2:
    case 7: setCursor(Qt::SizeVerCursor); break;
    case 3:
    case 6: setCursor(Qt::SizeBDiagCursor); break;
    default: setCursor(Qt::SizeHorCursor); break;
    }
}

void CFaceCanvas::mousePressEvent(QMouseEvent* event)
{
    CDrawObjectList* objects = m_edits.CurrentObjects();
    if (!objects || m_picture.isNull() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    const QPoint p = event->position().toPoint();
    const CFacePoint f = ToFace(p);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (m_mode == kModeSelect) {
        m_anchor = f;
        m_current = f;
        m_cycle = event->modifiers() & Qt::AltModifier;
        const SHandle* h = shift || m_cycle ? nullptr : HitHandle(p);
        // A press on an object that is not selected picks the front-most one
        // there (even over a selected one) and drags it: selecting is no
        // undo step.
        CDrawObject* top = shift || m_cycle ? nullptr : LayoutEdit::PickAt(*objects, f, false);
        if (h && h->handle == 0 && top && !top->IsSelected())
            h = nullptr;
        if (!h && top && !top->IsSelected()) {
            LayoutEdit::SelectOnly(*objects, top);
            m_edits.SelectionChanged();
            m_dragObject = top;
            m_dragHandle = 0;
            m_subTool = 1;
            m_step = 2;
        } else if (!h) {
            m_step = 1;
        } else {
            CDrawObject* o = h->object;
            if (h->handle != 0 && !(o->GetSelection() == kSelectDominant && LayoutEdit::CountSelected(*objects) == 1)) {
                LayoutEdit::SelectOnly(*objects, o);
                m_edits.SelectionChanged();
            }
            m_dragObject = o;
            m_dragHandle = h->handle;
            m_subTool = 1;
            m_step = 2;
        }
        m_snapTargets = CollectSnapTargets(*objects, FaceWidth(), FaceHeight(), Guides());
        update();
        return;
    }
    if (m_mode == kModePoints) {
        if (m_step != 4) {
            m_points = {f, f};
            m_step = 4;
        } else {
            m_points.push_back(f);
        }
        m_anchor = m_points[m_points.size() - 2];
        m_current = f;
        update();
        return;
    }
    m_snapTargets = CollectSnapTargets(*objects, FaceWidth(), FaceHeight(), Guides());
    m_anchor = m_snap ? SnapDrag(m_snapTargets, nullptr, 0, f, f, std::max(1, static_cast<int>(std::lround(6 / Scale()))))
                      : f;
    m_current = m_anchor;
    m_step = 3;
    update();
}

void CFaceCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    CFacePoint f = ToFace(p);
    emit mousePositionChanged(f.x, f.y, m_mapping.IsOnFace(f));
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (m_step == 0) {
        UpdateCursor(p);
        return;
    }
    if (shift && (m_step == 1 || m_step == 3 || m_step == 4))
        f = LayoutEdit::ShiftConstrain(m_anchor, f, m_mode == kModeSegment || m_mode == kModePoints);
    m_current = Snap(f);
    if (m_step == 4 && !m_points.empty())
        m_points.back() = f;
    update();
}

void CFaceCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->button() == Qt::RightButton) {
        if (m_step == 0 && m_edits.CurrentObjects()) {
            SetTool(kModeSelect, 0);
            emit contextMenuRequested(mapToGlobal(p));
        }
        return;
    }
    if (event->button() != Qt::LeftButton || m_step == 0)
        return;
    CFacePoint f = Snap(ToFace(p));
    if (m_step == 1 || m_step == 2) {
        FinishSelect(f, shift);
    } else if (m_step == 3) {
        FinishCreate(f, shift);
    } else if (m_step == 4) {
        if (shift)
            f = LayoutEdit::ShiftConstrain(m_anchor, f, true);
        if (!m_points.empty())
            m_points.back() = f;
        m_current = f;
        update();
    }
}

void CFaceCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_mode != kModePoints || m_step != 4 || event->button() != Qt::LeftButton) {
        // The framework reports the second press of a double click as a
        // double click; other tools take it as a press.
        mousePressEvent(event);
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    CFacePoint f = ToFace(event->position().toPoint());
    // The second press of the double click already appended a point at the
    // pressed position: it is the last point, set to the final position.
    if (shift && m_points.size() >= 2)
        f = LayoutEdit::ShiftConstrain(m_points[m_points.size() - 2], f, true);
    if (!m_points.empty())
        m_points.back() = f;
    std::vector<CFacePoint> points = std::move(m_points);
    m_points.clear();
    m_step = 0;
    emit objectDrawn(points, m_subTool);
    update();
}

void CFaceCanvas::FinishSelect(CFacePoint f, bool shift)
{
    CDrawObjectList* objects = m_edits.CurrentObjects();
    const int step = m_step;
    m_step = 0;
    if (!objects) {
        SetTool(kModeSelect, 0);
        return;
    }
    if (step == 1) {
        // A click picks one object (Alt: the next one beneath); a band takes
        // every object it touches. Neither is an undo step.
        if (f == m_anchor) {
            LayoutEdit::ApplyClick(*objects, LayoutEdit::PickAt(*objects, f, m_cycle), shift);
        } else {
            if (shift)
                f = LayoutEdit::ShiftConstrain(m_anchor, f, false);
            LayoutEdit::ApplyBand(*objects, m_anchor, f, shift);
        }
        m_edits.SelectionChanged();
    } else if (m_dragObject) {
        const int dx = f.x - m_anchor.x, dy = f.y - m_anchor.y;
        if (m_dragHandle == 0) {
            if (dx != 0 || dy != 0)
                m_edits.RunObjectCommand(LayoutEdit::DescribeUndo(*objects, "Move %s"),
                                         [dx, dy](CDrawObjectList& list) {
                                             LayoutEdit::Nudge(list, dx, dy);
                                             return std::string();
                                         });
        } else if (m_dragHandle >= 1 && m_dragHandle <= 8) {
            const CFaceBox old = LayoutEdit::NormalisedBox(*m_dragObject);
            const CFaceBox b = LayoutEdit::ResizeBox(*m_dragObject, m_dragHandle, dx, dy);
            // The undo snapshot clones the list; the dragged object itself stays valid.
            const int index = objects->IndexOf(m_dragObject);
            if (!(b == old) && index >= 0)
                m_edits.RunObjectCommand(LayoutEdit::DescribeUndo(*objects, "Resize %s"),
                                         [index, b](CDrawObjectList& list) {
                                             list.GetObject(static_cast<std::size_t>(index))
                                                 ->SetBounds(b.left, b.top, b.right, b.bottom);
                                             return std::string();
                                         });
        }
    }
    m_dragObject = nullptr;
    m_subTool = 0;
    update();
}

void CFaceCanvas::FinishCreate(CFacePoint f, bool shift)
{
    m_step = 0;
    if (shift)
        f = LayoutEdit::ShiftConstrain(m_anchor, f, m_mode == kModeSegment);
    emit objectDrawn({m_anchor, f}, m_subTool);
    update();
}


void CFaceCanvas::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || m_picture.isNull())
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        // The point under the mouse stays where it is.
        emit zoomStepRequested(steps > 0, event->position().toPoint());
        return;
    }
    QScrollBar* bar = (event->modifiers() & Qt::ShiftModifier) ? m_hbar : m_vbar;
    if (bar->isVisible())
        bar->setValue(bar->value() - steps * bar->singleStep() * 3);
}
