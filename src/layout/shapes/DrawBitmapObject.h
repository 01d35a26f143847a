#pragma once
// CDrawBitmapObject: the kinds whose content is drawn into an off-screen
// bitmap (text, barcode, picture). The bitmap has the box's size in face
// pixels and is kept until the content or the size changes; it is burnt into
// the face pixel by pixel, skipping the background colour when the kind is
// transparent.

#include "layout/face/ContentBitmap.h"
#include "layout/objects/DrawObject.h"

class CDrawBitmapObject : public CDrawObject {
public:
    void InvalidateCache() override { m_cacheStale = true; }
    void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void RenderToFace(CRaster& face) const override;
    void RotateLeft(int cx, int cy) override;
    void RotateRight(int cx, int cy) override;
    bool HasStyle() const override { return false; }
    bool HasLineColour() const override { return false; }
    bool HasFillColour() const override { return false; }

    // Draws the content into a bitmap of the box's size that is already
    // filled with the background colour (bitmap pixels, y down).
    virtual void DrawContent(CContentBitmap& bitmap) const = 0;
    virtual COLORREF GetBackgroundColour() const = 0;
    virtual bool IsTransparent() const = 0;

    // Angle in tenths of a degree: 0, 900, 1800 or 2700, anticlockwise.
    int GetAngle() const { return m_angle; }
    void SetAngle(int angle)
    {
        m_angle = NormaliseQuarterAngle(angle);
        InvalidateCache();
    }
    bool IsVertical() const { return m_angle == 900 || m_angle == 2700; }

    // The content as laid out for a face of the given size (face pixels):
    // only the part of the box that lies on the face is drawn. Null when
    // nothing of the box is on the face.
    const CContentBitmap* PrepareContent(int faceWidth, int faceHeight) const;

protected:
    CDrawBitmapObject() = default;
    // Moves the box to `width` x `height`, keeping the corner the angle
    // names fixed (0 top-left, 900 bottom-left, 1800 bottom-right, 2700
    // top-right); a side already of that length is left alone.
    void ResizeKeepingCorner(int width, int height);

    std::int32_t m_angle = 0;

private:
    mutable bool m_cacheStale = true;
    mutable CContentBitmap m_cache;
};
