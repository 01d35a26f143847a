#pragma once
// Conversions between the core's pictures (24-bit, rows bottom-up, BGR) and Qt images.

#include <QImage>

class CRaster;

// A top-down RGB copy of a picture; a null image for an empty or non-24-bit one.
QImage RasterToQImage(const CRaster& raster);
// The same with the picture's alpha plane as the image's alpha (straight
// colour, Format_ARGB32); a picture without one comes back opaque.
QImage RasterToQImageWithAlpha(const CRaster& raster);
// A 24-bit picture from any Qt image: alpha is dropped onto white, or, with
// keepAlpha, kept in the picture's alpha plane beside the straight colours.
// False when the image is null or too large.
bool QImageToRaster(const QImage& image, CRaster& raster, bool keepAlpha = false);

// The filters of a file dialog that opens a picture: the readable formats, then all files.
QString PictureFileFilter();
