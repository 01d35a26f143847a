#pragma once
// The face canvas: the face picture at its zoom with the face's draw objects
// painted over it, the selected objects' handles, and the mouse input of the
// current tool. Painting is double-buffered (Qt widgets paint into a back
// buffer that reaches the screen in one transfer).

#include "layout/edit/FaceMapping.h"
#include "ui/canvas/FacePainting.h"
#include "layout/edit/ZoomState.h"

#include "layout/edit/LayoutEdit.h"
#include "layout/edit/Snapping.h"

#include <QImage>
#include <QRect>
#include <QPoint>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QScrollBar;
class CEditService;

class CFaceCanvas : public QWidget {
    Q_OBJECT
public:
    // Shows the objects of the face `edits` shows, at the zooms of `zoom`
    // (both outlive the canvas); the scroll bars move the face.
    CFaceCanvas(CEditService& edits, CZoomMap& zoom, QScrollBar* horizontal, QScrollBar* vertical,
                QWidget* parent = nullptr);

    // The face shown: its name (zoom map key) and picture.
    void SetFace(const std::string& name, const QImage& picture);
    const std::string& FaceName() const { return m_faceName; }
    const QImage& Picture() const { return m_picture; }
    int FaceWidth() const { return m_picture.width(); }
    int FaceHeight() const { return m_picture.height(); }

    // The mapping of the last paint (or of the current size when not painted yet).
    const CFaceMapping& Mapping() const { return m_mapping; }
    // Recomputes the mapping from the zoom entry and the window size, and
    // updates the scroll bars; painting calls it first.
    void UpdateMapping();

    // Keeps the face point at `anchor` (window pixels; the centre of the
    // visible part when none is given) in place while the zoom changes, and
    // reports the face point now under the mouse.
    void ZoomChanged(double oldScale, std::optional<QPoint> anchor = std::nullopt);

    // Current scale (1.0 = 100 %) from the face's zoom entry.
    double Scale() const;

    // Tools: mode and sub-tool as the Draw menu sets them.
    void SetTool(int mode, int subTool);
    int ToolMode() const { return m_mode; }
    int SubTool() const { return m_subTool; }
    // Ends any drag or point entry without change.
    void CancelTool();
    bool IsBusy() const { return m_step != 0; }

    // Handle list of the last paint: window rectangles with object and handle.
    using SHandle = SCanvasHandle;
    const std::vector<SHandle>& Handles() const { return m_handles; }
    // Last entry containing the point (handles over bodies, front over back).
    const SHandle* HitHandle(QPoint p) const;

    // Guides of the face shown (face pixels), laid from the rulers and kept
    // per face while the program runs; the preview follows a ruler drag.
    const std::vector<CGuide>& Guides() const;
    void AddGuide(const CGuide& guide);
    void ClearGuides();
    void ShowGuidePreview(bool on, const CGuide& guide);
    // Snapping of moves, resizes and new objects (View > Snap).
    void SetSnapping(bool on) { m_snap = on; }
    bool IsSnapping() const { return m_snap; }
    // The bleed and safe lines: face pixels per millimetre (0: none) and
    // the distances in millimetres.
    void SetPrintLines(double pixelsPerMm, double bleedMm, double safeMm);

signals:
    void mousePositionChanged(int fx, int fy, bool onFace);
    // Each paint, after the mapping is brought up to date (the rulers follow it).
    void mappingPainted();
    // A fitted face took another zoom with the window's size (after the paint).
    void fittedZoomChanged();
    // A key asks for menu command `id` (the arrows nudge the selection).
    void commandRequested(int id);
    // A right click on the selection asks for its menu at `globalPos`.
    void contextMenuRequested(QPoint globalPos);
    // The tool finished a new object of sub-tool `subTool` through these face points.
    void objectDrawn(const std::vector<CFacePoint>& points, int subTool);
    // Ctrl+wheel: zoom in (or out) keeping the face point at `windowPoint` in place.
    void zoomStepRequested(bool in, QPoint windowPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    CEditService& m_edits;
    CZoomMap& m_zoom;
    QScrollBar* m_hbar = nullptr;
    QScrollBar* m_vbar = nullptr;
    std::string m_faceName;
    QImage m_picture;
    CFaceMapping m_mapping;
    bool m_updatingBars = false;

private:
    void OnScroll();
    CFacePoint ToFace(QPoint p) const { return m_mapping.WindowToFace(p.x(), p.y()); }
    void UpdateCursor(QPoint p);
    void FinishSelect(CFacePoint release, bool shift);
    void FinishCreate(CFacePoint release, bool shift);
    // The point a move, resize or new object comes to rest at.
    CFacePoint Snap(CFacePoint f) const;
    // The document's colour for new lines (the feedback of a drawing tool).
    COLORREF LineColour() const;

    int m_mode = kModeSelect;
    int m_subTool = 0;
    int m_step = 0;            // 0 idle; 1 band; 2 dragging; 3 creating; 4 entering points
    CFacePoint m_anchor;       // press point, face pixels
    CFacePoint m_current;      // current point, face pixels (constrained)
    bool m_cycle = false;      // Alt held at the press: the click cycles through the objects beneath
    CDrawObject* m_dragObject = nullptr;
    int m_dragHandle = 0;
    std::vector<CFacePoint> m_points;  // polyline in progress
    std::vector<SHandle> m_handles;
    std::map<std::string, std::vector<CGuide>> m_guides;  // by face name
    std::optional<CGuide> m_guidePreview;
    bool m_snap = true;
    CSnapTargets m_snapTargets;  // collected when a drag starts
    double m_ppm = 0, m_bleedMm = 0, m_safeMm = 0;
};
