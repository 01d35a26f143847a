#pragma once
// What drawing one textured face needs besides its mapping, worked out once
// per face for the nearest-texel and the smooth paths of CRenderSurface: the
// sub-sample grid, the face picture, the CD-ROM half, white avoidance, the
// rounded corners, the fold bands and the colour of a face without picture.

#include "engine3d/TextureSet.h"

#include <cstdint>

// Sub-sample offsets in pixels: 5 x 5 at -0.4 .. +0.4 step 0.2, or 10 x 10
// at -0.45 .. +0.45 step 0.1 (a sample count above 25).
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
    bool whiteAvoid = false;       // pure white counts as 0xFEFEFE
    bool boxFace = false;          // edge softening applies
    bool folds = false;            // fold bands along the edges
    double radius = 0.0, faceW = 0.0, faceH = 0.0; // rounded corners, in model units
    double foldU = 0.0, foldV = 0.0;                // fold band widths in u and v
    std::uint32_t foldColour = 0;                   // white avoided
    std::uint8_t fill[3] = {0, 0, 0};              // blue, green, red; white avoided

    // `mappedWidth` and `mappedHeight` are the face's size from its mapping.
    CFaceSetup(const CTextureSet* textures, char faceCode, double mappedWidth, double mappedHeight,
               COLORREF fillColour) noexcept;

    bool InFold(double u, double v) const noexcept
    {
        return folds && (u < foldU || u > 1.0 - foldU || v < foldV || v > 1.0 - foldV);
    }
    bool InCorners(double u, double v) const noexcept
    {
        return radius == 0.0 || CornerAllows(u * faceW, v * faceH, radius, faceW, faceH);
    }
};
