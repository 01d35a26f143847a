#pragma once
// What drawing one textured face needs besides its mapping, worked out once
// per face for the nearest-texel and the smooth paths of CRenderSurface: the
// sub-sample grid, the face picture, the CD-ROM half, white avoidance, the
// rounded corners, the fold bands and the colour of a face without picture.

#include "engine3d/sampling/TextureSet.h"

#include <cstdint>

class CPolygon3D;

// Sub-sample offsets in pixels: 5 x 5 at -0.4 .. +0.4 step 0.2, 10 x 10
// at -0.45 .. +0.45 step 0.1 (a sample count above 25), or 3 x 3 at -1/3,
// 0, +1/3 (a count of 9 or less).
struct CSampleGrid {
    int side = 0;
    int count = 0;
    double first = 0.0, step = 0.0;
    double dx[100] = {};
    double dy[100] = {};
    explicit CSampleGrid(int n) noexcept;
};
const CSampleGrid& GridFor(int sampleCount) noexcept;

// Corner part of the face shape test on face units (U, V): outside a corner
// square of side r, or within r of the centre of that corner's arc.
inline bool CornerAllows(double U, double V, double r, double fw, double fh) noexcept
{
    double cx, cy;
    if (U < r)
        cx = r;
    else if (U > fw - r)
        cx = fw - r;
    else
        return true;
    if (V < r)
        cy = r;
    else if (V > fh - r)
        cy = fh - r;
    else
        return true;
    const double ddx = U - cx, ddy = V - cy;
    return ddx * ddx + ddy * ddy <= r * r;
}

struct CFaceSetup {
    const CTexture* tex = nullptr; // null: the face shows its fill colour
    bool isDisc = false;           // the CD-ROM: 0xFEFEFE texels are transparent
    bool cdHalf = false;           // the CD-ROM shows the right half of its picture
    bool discShape = false;        // the CD-ROM shows only its disc: inside the rim, outside the hole
    bool whiteAvoid = false;       // pure white counts as 0xFEFEFE
    bool boxFace = false;          // edge softening applies
    bool folds = false;            // fold bands along the edges
    double radius = 0.0, faceW = 0.0, faceH = 0.0; // rounded corners, in model units
    double foldU = 0.0, foldV = 0.0;                // fold band widths in u and v
    std::uint32_t foldColour = 0;                   // white avoided
    std::uint8_t fill[3] = {0, 0, 0};              // blue, green, red; white avoided
    int levelCount = 0;                     // picture levels for smooth sampling (0: none built)
    const CTextureLevels* levels = nullptr; // those levels: the picture's, or views of the polygon's part

    // `mappedWidth` and `mappedHeight` are the face's size from its mapping;
    // the polygon gives the fill colour and the part of the picture it shows.
    CFaceSetup(const CTextureSet* textures, char faceCode, double mappedWidth, double mappedHeight,
               const CPolygon3D& polygon) noexcept;
    CFaceSetup(const CFaceSetup&) = delete;
    CFaceSetup& operator=(const CFaceSetup&) = delete;

    // Level L (0 .. levelCount - 1) of the face's picture for smooth sampling.
    const CTexture* Level(int L) const noexcept
    {
        if (L == 0 || levelCount == 0) return tex;
        return &levels->levels[static_cast<std::size_t>(L)];
    }

    // A picture of one colour (its levels tell) becomes the face's fill
    // colour, which every read of it gives: the face is then drawn without a
    // picture. Not for the CD-ROM, which without a picture is not drawn.
    void TakeOneColour() noexcept;

    bool InFold(double u, double v) const noexcept
    {
        return folds && (u < foldU || u > 1.0 - foldU || v < foldV || v > 1.0 - foldV);
    }
    // The shape test beyond the unit square: rounded card corners, the disc.
    bool InCorners(double u, double v) const noexcept
    {
        if (discShape) {
            // Picture position from the centre; the disc's radius is half the
            // picture, its hole 40 of the picture's 693 pixels (the printed disc's).
            const double du = (cdHalf ? 0.5 * u : u - 0.5), dv = v - 0.5;
            const double d2 = du * du + dv * dv;
            constexpr double kHole = 40.0 / 693.0;
            if (d2 > 0.25 || d2 < kHole * kHole) return false;
        }
        return radius == 0.0 || CornerAllows(u * faceW, v * faceH, radius, faceW, faceH);
    }

private:
    // Shows a part of the picture: `tex` and the levels become views of it.
    void TakePart(const CTexture& picture, const CTextureLevels* levels, const CPolygon3D& polygon) noexcept;

    bool oneColour = false;     // the picture's levels found it one colour
    CTexture part;              // the polygon's part of the picture
    CTextureLevels partLevels;  // its part of every level (views; the storage stays empty)
};
