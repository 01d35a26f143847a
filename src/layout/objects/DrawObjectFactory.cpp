// Kind codes to kinds.
#include "layout/barcode/DrawBarcode.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"

std::unique_ptr<CDrawObject> CreateDrawObject(const std::string& kindCode)
{
    if (kindCode == "RECT")
        return std::make_unique<CDrawRect>();
    if (kindCode == "LINE")
        return std::make_unique<CDrawLine>();
    if (kindCode == "ELLIPSE")
        return std::make_unique<CDrawEllipse>();
    if (kindCode == "POLYGON")
        return std::make_unique<CDrawPolygon>();
    if (kindCode == "POLYLINE")
        return std::make_unique<CDrawPolyline>();
    if (kindCode == "TEXT")
        return std::make_unique<CDrawText>();
    if (kindCode == "BARCODE")
        return std::make_unique<CDrawBarcode>();
    if (kindCode == "PICTURE")
        return std::make_unique<CDrawPicture>();
    return nullptr;
}
