// What the face canvas puts on the screen, pixel by pixel: the handle squares
// of selected objects and the shapes drawn through the canvas painter, which
// keep to their window rectangles with the right and bottom edges excluded.

#include "CanvasTestFixture.h"

#include "layout/face/ContentBitmap.h"
#include "layout/shapes/DrawRect.h"
#include "ui/canvas/QtLayoutPainter.h"

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

// A w x h white picture painted by `draw` through the canvas painter at `zoom` percent.
template <class F> QImage PaintWith(int w, int h, int zoom, F draw)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CFaceMapping mapping;
    mapping.SetEdges(0, h, w, 0, w, h);
    CQtLayoutPainter painter(p, mapping, zoom);
    draw(painter);
    return image;
}

} // namespace

class CCanvasPaintingTest : public CCanvasFixture {
    Q_OBJECT

private:
    QImage Grab()
    {
        Canvas().repaint();
        QApplication::processEvents();
        return Canvas().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init()
    {
        QVERIFY(StartOnFront());
        Grab();
    }
    void cleanup() { m_frame.reset(); }

    void handleSquaresAreSevenPixelsWideAndObjectsAreClippedToTheFace()
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
        for (const QPoint d : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
            QVERIFY(IsBlack(image.pixel(QPoint(x, y) + 3 * d)));
            QVERIFY2(!IsBlack(image.pixel(QPoint(x, y) + 4 * d)), "the square is one pixel too large");
        }
        QCOMPARE(image.pixel(x, y) & 0xFFFFFF, 0x0000FFu);  // dominant: blue fill
        // The hit area is the same square.
        const CFaceCanvas::SHandle* in = Canvas().HitHandle(QPoint(x + 3, y + 3));
        const CFaceCanvas::SHandle* out = Canvas().HitHandle(QPoint(x + 4, y + 4));
        QVERIFY(in && in->handle == 8 && (!out || out->handle != 8));

        // An object hanging over the face's edge shows only on the face, as the
        // rendering shows it; its handles stay in reach outside.
        Front().Clear();
        auto over = std::make_unique<CDrawRect>();
        over->SetStyle(1);
        over->SetFillColour(0x0000FF);  // red
        over->SetCoords(150, 80, 260, 30);  // the face is 200 pixels wide
        Front().Add(std::move(over));
        Front().UpdateOrderKeys();
        QImage clipped = Grab();
        const int row = m.FaceToWindowY(55);
        // Red up to the face's last column (199), not beyond.
        const auto redAt = [&](int fx) { return clipped.pixel(m.FaceToWindowX(fx), row) == qRgb(255, 0, 0); };
        QCOMPARE((std::array{redAt(180), redAt(199), redAt(200), redAt(230)}), (std::array{true, true, false, false}));
        // Selected: the handle on its right edge is drawn beyond the face.
        Front().GetObject(0)->SetSelection(kSelectDominant);
        clipped = Grab();
        QVERIFY(IsBlack(clipped.pixel(m.FaceToWindowX(260) + 3, m.FaceToWindowY(30))));
    }

    void dragFeedbackIsTheShapeAndTheBandShowsOnDarkArtwork()
    {
        // While dragging, the rectangle tool shows the outline from the press
        // pixel to the mouse pixel inclusive, as the finished rectangle will
        // paint; the ellipse keeps inside the box, its far edges excluded.
        QPoint from = At(Canvas(), 20, 80), to = At(Canvas(), 120, 30);
        const struct {
            int tool;
            QRect ink;
        } cases[] = {{ID_TOOL_RECT, QRect(from, to)}, {ID_TOOL_ELLIPSE, QRect(from, to - QPoint(1, 1))}};
        for (const auto& c : cases) {
            QVERIFY(m_frame->RunCommand(c.tool));
            QTest::mousePress(&Canvas(), Qt::LeftButton, {}, from);
            QTest::mouseMove(&Canvas(), to);
            const QImage image = Grab();
            QTest::mouseRelease(&Canvas(), Qt::LeftButton, {}, to);
            const QRect face(At(Canvas(), 0, 100), At(Canvas(), 200, 0) - QPoint(1, 1));
            QCOMPARE(InkBounds(image.copy(face)).translated(face.topLeft()), c.ink);
            QVERIFY(m_frame->RunCommand(ID_EDIT_DELETE));  // the new object goes again
        }

        // A black face: the select tool's band must still be seen along its
        // whole length, dashes and gaps alike.
        QVERIFY(m_frame->RunCommand(ID_TOOL_SELECT));
        GiveBoxProduct(*m_frame, 200, 100, true);
        m_frame->View()->SelectTab(QStringLiteral("Front"));
        m_frame->RunCommand(ID_ZOOM_100);
        Grab();
        from = At(Canvas(), 20, 80);
        to = At(Canvas(), 120, 30);
        QTest::mousePress(&Canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&Canvas(), to);
        const QImage image = Grab();
        QTest::mouseRelease(&Canvas(), Qt::LeftButton, {}, to);
        // Black dashes with white between them, on the top edge and the bottom.
        for (const int y : {from.y(), to.y()}) {
            int white = 0, black = 0;
            for (int x = from.x() + 1; x < to.x(); ++x) {
                const QRgb c = image.pixel(x, y) & 0xFFFFFF;
                white += c == 0xFFFFFF ? 1 : 0;
                black += c == 0 ? 1 : 0;
            }
            QVERIFY2(white > 20 && black > 20,
                     qPrintable(QStringLiteral("%1 white, %2 black at y %3").arg(white).arg(black).arg(y)));
            QCOMPARE(white + black, to.x() - from.x() - 1);
        }
        // The band ends on the mouse's pixel, not one past it.
        for (int x = from.x(); x <= to.x() + 1; ++x)
            QCOMPARE(image.pixel(x, to.y() + 1) & 0xFFFFFF, 0u);
        for (int y = from.y(); y <= to.y() + 1; ++y)
            QCOMPARE(image.pixel(to.x() + 1, y) & 0xFFFFFF, 0u);
    }

    void shapesKeepInsideTheirWindowRectangleAndCopiesFollowTheContent()
    {
        // The painter's rectangles exclude their right and bottom edges, as
        // window rectangles do: an ellipse in (10, 10)-(30, 20) covers
        // columns 10..29 and rows 10..19, like the filled rectangle; outlined
        // or filled, small or large.
        const COLORREF black = 0x000000;
        const QSize sizes[] = {{20, 10}, {7, 5}, {2, 2}, {33, 17}, {100, 41}};
        for (const QSize size : sizes)
        for (int kind = 0; kind < 3; ++kind) {
            const QImage image = PaintWith(140, 70, 100, [&](CQtLayoutPainter& painter) {
                const int r = 10 + size.width(), b = 10 + size.height();
                if (kind == 0)
                    painter.Ellipse(10, 10, r, b, nullptr, &black, 1);
                else if (kind == 1)
                    painter.Ellipse(10, 10, r, b, &black, nullptr, 1);
                else
                    painter.FillRect(10, 10, r, b, black);
            });
            QCOMPARE(InkBounds(image), QRect(10, 10, size.width(), size.height()));
        }
        // A wide outline (zoom 400 %: four pixels) is centred on the same
        // path, so it reaches as far past the left and top edges as past the
        // right and bottom ones, and is not cut off.
        const QRect ink = InkBounds(PaintWith(140, 90, 400, [&](CQtLayoutPainter& painter) {
            painter.Ellipse(20, 20, 100, 60, nullptr, &black, 4);
        }));
        QVERIFY2(ink.left() < 20 && ink.top() < 20, "the outer half of the pen is missing");
        QCOMPARE(std::pair(20 - ink.left(), 20 - ink.top()), std::pair(ink.right() - 99, ink.bottom() - 59));

        // The painter keeps screen copies of object contents; a changed
        // content or another key colour must never show an old copy.
        CContentBitmap content;
        QVERIFY(content.Create(4, 4, 0, 0, 4, 4));
        auto paint = [&content](bool transparent, COLORREF key) {
            return PaintWith(8, 8, 100, [&](CQtLayoutPainter& painter) {
                       painter.DrawBitmap(content, 0, 0, 8, 8, transparent, key);
                   }).pixel(3, 3) & 0xFFFFFF;
        };
        content.Fill(0x0000FF);  // red as a colour reference
        const QRgb red1 = paint(false, 0), red2 = paint(false, 0);
        content.Fill(0xFF0000);  // blue
        // Blue, then blue as the key (the white shows), another key, and opaque again.
        const QRgb blue = paint(false, 0), keyed = paint(true, 0xFF0000), other = paint(true, 0x00FF00);
        const QRgb plain = paint(false, 0);
        QCOMPARE((std::array{red1, red2, blue, keyed, other, plain}),
                 (std::array<QRgb, 6>{0xFF0000, 0xFF0000, 0x0000FF, 0xFFFFFF, 0x0000FF, 0x0000FF}));
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
            QVERIFY(QImageToRaster(source, raster) && raster.GetWidth() == 2);
            // The blend, and the opaque blue kept (colours as 0xBBGGRR).
            QCOMPARE(std::pair(RGBQUADtoRGB(raster.GetPixelColor(0, 0)), RGBQUADtoRGB(raster.GetPixelColor(1, 0))),
                     std::pair(COLORREF(0x7F7FFF), COLORREF(0xFF0000)));
        }
    }
};

QTEST_MAIN(CCanvasPaintingTest)
#include "canvas_painting.moc"
