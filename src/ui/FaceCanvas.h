#pragma once
// The face canvas: the face picture at its zoom with the face's draw objects
// painted over it, the selected objects' handles, and the mouse input of the
// current tool. Painting is double-buffered (Qt widgets paint into a back
// buffer that reaches the screen in one transfer).

#include "ui/FaceMapping.h"
#include "ui/ZoomState.h"

#include <QImage>
#include <QWidget>
#include <string>

class QScrollBar;
class CVtwinView;

class CFaceCanvas : public QWidget {
    Q_OBJECT
public:
    CFaceCanvas(CVtwinView* view, QScrollBar* horizontal, QScrollBar* vertical, QWidget* parent = nullptr);

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

    // Keeps the centre of the visible part while the zoom changes.
    void ZoomChanged(double oldScale);

    // Current scale (1.0 = 100 %) from the face's zoom entry.
    double Scale() const;

signals:
    void mousePositionChanged(int fx, int fy, bool onFace);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    // Hook for the layout layer: draws objects and handles over the picture.
    virtual void PaintObjects(QPainter& /*painter*/) {}

    CVtwinView* m_view = nullptr;
    QScrollBar* m_hbar = nullptr;
    QScrollBar* m_vbar = nullptr;
    std::string m_faceName;
    QImage m_picture;
    CFaceMapping m_mapping;
    bool m_updatingBars = false;

private:
    void OnScroll();
};
