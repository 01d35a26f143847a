#include "ui/widgets/RasterImage.h"

#include "image/picture/PictureFormats.h"
#include "image/Raster.h"

#include <QStringList>

#include <cstring>

QImage RasterToQImage(const CRaster& raster)
{
    if (!raster.IsValid() || raster.GetBpp() != 24)
        return {};
    const int w = raster.GetWidth();
    const int h = raster.GetHeight();
    QImage image(w, h, QImage::Format_BGR888);
    if (image.isNull())
        return {};
    const int rowBytes = w * 3;
    for (int y = 0; y < h; ++y) {
        // Picture row y counts from the bottom; image rows from the top.
        std::memcpy(image.scanLine(h - 1 - y), raster.GetBits(y), static_cast<size_t>(rowBytes));
    }
    return image;
}

QImage RasterToQImageWithAlpha(const CRaster& raster)
{
    QImage image = RasterToQImage(raster).convertToFormat(QImage::Format_ARGB32);
    const std::uint8_t* alpha = raster.AlphaGetPointer();
    if (image.isNull() || !alpha)
        return image;
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        // The alpha plane's rows count from the bottom, as the picture's do.
        const std::uint8_t* plane = alpha + static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), plane[x]);
    }
    return image;
}

bool QImageToRaster(const QImage& source, CRaster& raster, bool keepAlpha)
{
    if (source.isNull() || source.width() > CRaster::kMaxDimension || source.height() > CRaster::kMaxDimension)
        return false;
    QImage image = source;
    if (keepAlpha && image.hasAlphaChannel()) {
        // Straight colour into the pixels, the alpha into the alpha plane
        // (only when some pixel is not opaque).
        image = image.convertToFormat(QImage::Format_ARGB32);
        CRaster result;
        if (image.isNull() || !result.Create(image.width(), image.height(), 24))
            return false;
        const int h = image.height();
        bool clear = false;
        for (int y = 0; y < h && !clear; ++y)
            for (int x = 0; x < image.width() && !clear; ++x)
                clear = qAlpha(image.pixel(x, y)) != 255;
        if (clear && !result.AlphaCreate())
            return false;
        std::uint8_t* alpha = result.AlphaGetPointer();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                result.SetPixelColor(x, h - 1 - y,
                                     static_cast<COLORREF>(qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16)));
                if (alpha)
                    alpha[static_cast<std::size_t>(h - 1 - y) * image.width() + x] = static_cast<std::uint8_t>(qAlpha(p));
            }
        raster = std::move(result);
        return true;
    }
    if (image.hasAlphaChannel()) {
        // pixel() hands back premultiplied values as they are stored; the
        // blend below needs straight colour.
        image = image.convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            return false;
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                const int a = qAlpha(p);
                flat.setPixel(x, y, qRgb((qRed(p) * a + 255 * (255 - a)) / 255, (qGreen(p) * a + 255 * (255 - a)) / 255,
                                         (qBlue(p) * a + 255 * (255 - a)) / 255));
            }
        image = flat;
    }
    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull())
        return false;
    CRaster result;
    if (!result.Create(image.width(), image.height(), 24))
        return false;
    const int h = image.height();
    for (int y = 0; y < h; ++y)
        std::memcpy(result.GetBits(y), image.constScanLine(h - 1 - y), static_cast<size_t>(image.width()) * 3);
    raster = std::move(result);
    return true;
}

QString PictureFileFilter()
{
    QStringList patterns;
    for (const std::string& pattern : PictureFilePatterns())
        patterns << QString::fromStdString(pattern);
    return QStringLiteral("Pictures (%1);;All Files (*.*)").arg(patterns.join(QLatin1Char(' ')));
}
