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
    // Where the picture is drawn (window pixels); empty without a picture.
    QRect PictureRect() const;

signals:
    // Picture pixel (x right, y down from the top-left) under a left click.
    void pictureClicked(int px, int py);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QString m_placeholder;
};
