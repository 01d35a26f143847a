#pragma once
// The picture of the "Layout" or "Render" tab, centred on a dark ground, with
// the pixel of the picture under a left click reported.

#include <QImage>
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
    // Where the picture is drawn (window pixels); empty without a picture.
    QRect PictureRect() const;

signals:
    // Picture pixel (x right, y down from the top-left) under a left click.
    void pictureClicked(int px, int py);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The room for the picture: the page below the top bar.
    QRect PictureArea() const;

    QImage m_picture;
    QString m_placeholder;
    QWidget* m_topBar = nullptr;
};
