#pragma once
// CDrawPicture: a raster picture stretched over the object's box, turned in
// quarter steps, optionally skipping one colour when it is burnt into the
// face. The picture and its turned versions are shared, reference-counted
// images: copies made for undo, duplicate and properties share the pixels,
// and the last reference frees them.
//
// A picture made from an SVG file or a PDF page keeps that artwork as well
// (saved as the file's bytes in a newer record, which older programs refuse):
// it is rasterised at the box's size whenever it is drawn, so it stays sharp
// at any size, and print output draws it as vectors.

#include "layout/shapes/DrawBitmapObject.h"

#include <memory>
#include <string>

class CRaster;
class CVectorArt;

class CDrawPicture final : public CDrawBitmapObject {
public:
    CDrawPicture() = default;

    // A picture object for a 24-bit image at angle 0, transparency off, its
    // box the image's own size with the top-left corner at (left, top).
    static std::unique_ptr<CDrawPicture> CreateFromImage(std::shared_ptr<const CRaster> image, int left,
                                                         int top);
    // Reads a picture file for the Picture tool. On failure returns null and
    // sets `message` to "Picture <file> could not be read.".
    // An SVG file or a PDF file's page `page` (from 1) is kept as artwork,
    // its box its own size (CSS pixels, points).
    static std::unique_ptr<CDrawPicture> CreateFromFile(const std::string& fileName, int left, int top,
                                                        std::string& message, int page = 1);

    const char* GetKindCode() const override { return "PICTURE"; }
    const char* GetKindName() const override { return "Picture"; }
    bool IsFilled() const override { return false; }
    bool IsOutlined() const override { return false; }
    int GetMinWidth() const override { return 1; }
    int GetMinHeight() const override { return 1; }
    COLORREF GetBackgroundColour() const override { return m_transparentColour; }
    bool IsTransparent() const override { return m_transparent; }

    void RotateLeft(int cx, int cy) override;
    void RotateRight(int cx, int cy) override;
    void DrawContent(CContentBitmap& bitmap) const override;
    std::uint32_t GetOldestReader() const override;
    void Save(CRecordStream& stream, bool shareImages, bool withSelection) const override;
    bool Load(CRecordStream& stream, bool shareImages, bool withSelection) override;

    void SetTransparent(bool flag) { m_transparent = flag; InvalidateCache(); }
    void SetTransparentColour(COLORREF colour) { m_transparentColour = colour & 0xFFFFFFu; InvalidateCache(); }
    COLORREF GetTransparentColour() const { return m_transparentColour; }

    // Sets the angle-0 image (drops the turned versions) and builds the
    // version for the current angle.
    void SetImage(std::shared_ptr<const CRaster> image);
    // The image at angle 0 (i = 0) or turned by i quarter turns anticlockwise.
    const std::shared_ptr<const CRaster>& GetImage(int quarter = 0) const { return m_images[quarter & 3]; }
    const std::shared_ptr<const CRaster>& GetCurrentImage() const { return m_images[m_angle / 900]; }
    // The artwork the picture was made from (null for a raster picture); the
    // image is then its rasterisation at its own size.
    const std::shared_ptr<const CVectorArt>& GetVectorArt() const { return m_vector; }
    void SetVectorArt(std::shared_ptr<const CVectorArt> art);
    // Makes the current angle's version from the angle-0 image when missing.
    void BuildRotations();
    // Box = the current image's size, keeping the top-left corner.
    void SetBoxToImage();
    // Cuts the given percentages off the left, top, right and bottom of the
    // picture as it is shown (its box, whatever its angle); the part that
    // stays keeps its place and scale on the face. Artwork becomes its
    // rasterisation. False (nothing changed) when nothing would remain.
    bool Crop(double left, double top, double right, double bottom);
    // Scales the box down, keeping the picture's proportions, to fit within
    // a face of the given size (its top-left corner stays).
    void ScaleToFit(int faceWidth, int faceHeight);

private:
    std::shared_ptr<const CRaster> m_images[4];
    std::shared_ptr<const CVectorArt> m_vector;
    COLORREF m_transparentColour = 0xFFFFFF;
    bool m_transparent = false;
};
