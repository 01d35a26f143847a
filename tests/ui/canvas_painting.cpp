// What the face canvas puts on the screen, pixel by pixel: the handle squares
// of selected objects and the shapes drawn through the canvas painter, which
// keep to their window rectangles with the right and bottom edges excluded.

#include "UiTestSupport.h"

#include "app/UndoStore.h"
#include "layout/DrawRect.h"
#include "ui/CommandIds.h"
#include "ui/QtLayoutPainter.h"
#include "ui/RasterImage.h"

#include <QPainter>

namespace {

bool IsBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }

// Columns and rows of the image that hold any pixel other than white.
QRect InkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class CCanvasPaintingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    CFaceCanvas& Canvas() { return *m_frame->View()->Canvas(); }
    CDrawObjectList& Front() { return FaceList(*m_frame, "F"); }
    QImage Grab()
    {
        Canvas().repaint();
        QApplication::processEvents();
        return Canvas().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init()
    {
        m_messages = CTestMessages();
        m_messages.Install();
        CUndoStore::Instance().Clear();
        m_frame = std::make_unique<CMainFrame>(QString());
        m_frame->resize(1200, 900);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        GiveBoxProduct(*m_frame);
        m_frame->View()->SelectTab(QStringLiteral("Front"));
        m_frame->RunCommand(ID_ZOOM_100);
        Grab();
    }
    void cleanup() { m_frame.reset(); }

    void handleSquaresAreSevenPixelsWide()
    {
        // A white (invisible on the white face) rectangle, selected and
        // dominant: only its handles show.
        auto rect = std::make_unique<CDrawRect>();
        rect->SetStyle(1);
        rect->SetFillColour(0xFFFFFF);
        rect->SetCoords(50, 80, 150, 30);
        rect->SetSelection(kSelectDominant);
        Front().Add(std::move(rect));
        Front().UpdateOrderKeys();
        const QImage image = Grab();
        const CFaceMapping& m = Canvas().Mapping();
        // Handle 8 sits at the box's bottom-right window corner; its square
        // runs from x - 3 to x + 4 exclusive: seven pixels, black outline.
        const int x = m.FaceToWindowX(150), y = m.FaceToWindowY(30);
        QVERIFY(IsBlack(image.pixel(x - 3, y)));
        QVERIFY(IsBlack(image.pixel(x + 3, y)));
        QVERIFY(IsBlack(image.pixel(x, y - 3)));
        QVERIFY(IsBlack(image.pixel(x, y + 3)));
        QCOMPARE(image.pixel(x, y) & 0xFFFFFF, 0x0000FFu);  // dominant: blue fill
        QVERIFY2(!IsBlack(image.pixel(x + 4, y)), "the square is one pixel too wide");
        QVERIFY2(!IsBlack(image.pixel(x, y + 4)), "the square is one pixel too tall");
        QVERIFY(!IsBlack(image.pixel(x - 4, y)));
        QVERIFY(!IsBlack(image.pixel(x, y - 4)));
        // The hit area is the same square.
        const CFaceCanvas::SHandle* hit = Canvas().HitHandle(QPoint(x + 3, y + 3));
        QVERIFY(hit && hit->handle == 8);
        hit = Canvas().HitHandle(QPoint(x + 4, y + 4));
        QVERIFY(!hit || hit->handle != 8);
    }

    void shapesKeepInsideTheirWindowRectangle()
    {
        // The painter's rectangles exclude their right and bottom edges, as
        // window rectangles do: an ellipse in (10, 10)-(30, 20) covers
        // columns 10..29 and rows 10..19, like the filled rectangle; outlined
        // or filled, small or large.
        const COLORREF black = 0x000000;
        const QSize sizes[] = {{20, 10}, {7, 5}, {2, 2}, {33, 17}, {100, 41}};
        for (const QSize size : sizes)
        for (int kind = 0; kind < 3; ++kind) {
            QImage image(140, 70, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter p(&image);
                CFaceMapping mapping;
                mapping.SetEdges(0, 70, 140, 0, 140, 70);
                CQtLayoutPainter painter(p, mapping, 100);
                const int r = 10 + size.width(), b = 10 + size.height();
                if (kind == 0)
                    painter.Ellipse(10, 10, r, b, nullptr, &black, 1);
                else if (kind == 1)
                    painter.Ellipse(10, 10, r, b, &black, nullptr, 1);
                else
                    painter.FillRect(10, 10, r, b, black);
            }
            QCOMPARE(InkBounds(image), QRect(10, 10, size.width(), size.height()));
        }
    }

    void translucentPicturesAreFlattenedOnWhite()
    {
        // Half-covering red (alpha 128) over white: red 255, green and blue
        // 255 * 127 / 255 = 127, whichever way the source stores its alpha.
        for (const QImage::Format format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
            QImage source(2, 1, QImage::Format_ARGB32);
            source.setPixel(0, 0, qRgba(255, 0, 0, 128));
            source.setPixel(1, 0, qRgba(0, 0, 255, 255));
            source = source.convertToFormat(format);
            CRaster raster;
            QVERIFY(QImageToRaster(source, raster));
            QCOMPARE(raster.GetWidth(), 2);
            const RGBQUAD blend = raster.GetPixelColor(0, 0);
            QCOMPARE(int(blend.rgbRed), 255);
            QCOMPARE(int(blend.rgbGreen), 127);
            QCOMPARE(int(blend.rgbBlue), 127);
            const RGBQUAD opaque = raster.GetPixelColor(1, 0);  // opaque blue kept
            QCOMPARE(int(opaque.rgbRed), 0);
            QCOMPARE(int(opaque.rgbBlue), 255);
        }
    }
};

QTEST_MAIN(CCanvasPaintingTest)
#include "canvas_painting.moc"
