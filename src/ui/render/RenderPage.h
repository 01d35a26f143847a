#pragma once
// The picture of the "Layout" or "Render" tab on a dark ground. The picture
// fits the page; the mouse wheel zooms it about the point under the mouse
// (never below the fit). A left click reports the picture pixel under it; on
// a page that can turn, a left drag reports the turn instead.

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QWidget>

class CRenderPage : public QWidget {
    Q_OBJECT
public:
    explicit CRenderPage(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }
    void SetPlaceholder(const QString& text);
    // A bar across the top (owned by the page); the picture uses the room below it while it is shown.
    void SetTopBar(QWidget* bar);
    QWidget* TopBar() const { return m_topBar; }
    // Hides the bar but keeps its room until it is shown again or
    // ReleaseTopBarRoom is called, so the picture does not move meanwhile
    // (a drag turns the product while the offer was for the picture before).
    void HideTopBarKeepingRoom();
    void ReleaseTopBarRoom();
    // Shows the bar kept hidden by HideTopBarKeepingRoom again (the picture it
    // offered is shown again).
    void ReturnTopBar();
    // Where the picture is drawn (window pixels); empty without a picture.
    QRect PictureRect() const;

    // Left drags turn the product (the Render tab's page).
    void SetTurnable(bool turnable) { m_turnable = turnable; }
    bool IsTurning() const { return m_turning; }

    // Zoom against the fit: 1 fits the page, 2 shows the picture twice as large.
    double Zoom() const { return m_zoom; }
    // Zooms by `factor` keeping the page point `anchor` over the same picture point.
    void ZoomAt(double factor, QPointF anchor);
    void ZoomToFit();

    // Distance (window pixels) the mouse must move before a press becomes a drag.
    static constexpr int kDragThreshold = 4;

signals:
    // Picture pixel (x right, y down from the top-left) under a left click.
    void pictureClicked(int px, int py);
    // A left drag began, moved to `delta` window pixels from the press, ended there.
    void turnStarted();
    void turnMoved(QPoint delta);
    void turnFinished(QPoint delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The room for the picture: the page below the top bar.
    QRect PictureArea() const;
    // The picture fitted into the area (window pixels).
    QRectF FitRect() const;

    QImage m_picture;
    QString m_placeholder;
    QWidget* m_topBar = nullptr;
    int m_keptBarRoom = 0;  // window pixels kept for the hidden bar
    bool m_turnable = false;
    bool m_pressed = false;
    bool m_turning = false;
    QPoint m_pressAt;
    double m_zoom = 1.0;
    QPointF m_origin;  // top-left of the zoomed picture (window pixels) while m_zoom > 1
};
