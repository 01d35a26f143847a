#pragma once
// A ruler along the top or the left of the face canvas: millimetres of the
// product (face pixels where the face has no size in millimetres) counted
// from the face's top-left corner, as the Position Toolbar counts them.
// Dragging from a ruler onto the face lays a guide there: from the top ruler
// a horizontal one, from the left ruler a vertical one. The ruler draws
// what the canvas's last mapping shows, so the two never disagree.

#include <QWidget>

class CFaceCanvas;

class CRuler : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThickness = 20;  // pixels

    CRuler(Qt::Orientation orientation, CFaceCanvas* canvas, QWidget* parent = nullptr);

    // Face pixels per millimetre (0: count face pixels).
    void SetPixelsPerMm(double ppm);
    double PixelsPerMm() const { return m_ppm; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The guide the pointer at global point `global` would lay, if it is over the face.
    bool GuideAt(QPoint global, int& position) const;

    Qt::Orientation m_orientation;
    CFaceCanvas* m_canvas;
    double m_ppm = 0;
    bool m_dragging = false;
};
