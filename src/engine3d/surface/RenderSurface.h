#pragma once
// CRenderSurface: draws polygons into one 24-bit target picture.
//
// Textured faces are sampled on a 5 x 5 (25 samples), 10 x 10 (100 samples)
// or 3 x 3 (9 samples) sub-pixel grid through the perspective-correct inverse
// of their projection; untextured polygons are scan-converted flat fills; two-point polygons are
// lines. With edge softening, pixels that a box face covers only partly are
// collected in a partial-pixel table and blended with what lies behind them
// when the list is resolved, so that faces sharing an edge do not leave a
// seam while the outline is blended with the background.
//
// The scan tables, the coverage map and the partial table belong to the
// surface and are sized to its target picture, so any picture size is
// softened and scanned completely.

#include "engine3d/sampling/FaceRunSampler.h"
#include "engine3d/model/ModelMesh.h"
#include "engine3d/sampling/TextureSet.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CRaster;
class CFlatTiles;
struct CFaceSetup;
struct CSampleGrid;
struct CSmoothFace;
struct CFaceShade;
struct CEdgePixels;
struct CInteriorBlocks;

// The area a drawing operation touched, in picture pixels (inclusive).
struct CBoundingBox {
    int left = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MAX;
    int top = INT_MIN;

    bool IsEmpty() const noexcept { return left > right || bottom > top; }
    void Add(int x, int y) noexcept
    {
        if (x < left) left = x;
        if (x > right) right = x;
        if (y < bottom) bottom = y;
        if (y > top) top = y;
    }
    void Add(const CBoundingBox& other) noexcept
    {
        if (other.IsEmpty()) return;
        Add(other.left, other.bottom);
        Add(other.right, other.top);
    }
    // The part of the box inside a width x height picture.
    CBoundingBox ClippedTo(int width, int height) const noexcept;
};

// Per-face inverse of the projection: picture position -> face (u, v).
//
// The eye ray through picture position p is r = (qx, qy, 1) with (qx, qy) the
// projected position before the fit. With the face's eye-space corner P0 and
// edges e1 = corner1 - corner0, e2 = corner2 - corner1, the ray meets the face
// at P0 + a*e1 + b*e2 where
//   a = r.(P0 x e2) / r.(e2 x e1),   b = r.(e1 x P0) / r.(e2 x e1),
// and the texture coordinates are u = b, v = 1 - a. As qx, qy are linear in
// the picture position, each dot product is c_x*px + c_y*py + c_0 with the
// coefficients worked out once per face.
struct CQuadMapping {
    double ax = 0, ay = 0, a0 = 0; // numerator of a
    double bx = 0, by = 0, b0 = 0; // numerator of b
    double cx = 0, cy = 0, c0 = 0; // common denominator
    double faceWidth = 0.0;        // |e2| in model units
    double faceHeight = 0.0;       // |e1| in model units

    // False when the polygon has fewer than 4 vertices.
    bool Create(const CPolygon3D& polygon, const CFitContext& fit) noexcept;
    void Map(double px, double py, double& u, double& v) const noexcept
    {
        const double den = cx * px + cy * py + c0;
        const double a = (ax * px + ay * py + a0) / den;
        u = (bx * px + by * py + b0) / den;
        v = 1.0 - a;
    }
    void StoreInto(CPolygon3D& polygon) const noexcept;
};

// The face shape test: inside when 0 <= u < 1, 0 <= v < 1 and, with a corner
// radius r, (u*faceWidth, v*faceHeight) is not in a corner square of side r
// or lies within r of the centre of that corner's arc.
bool InsideFaceShape(double u, double v, double radius, double faceWidth,
                     double faceHeight) noexcept;

class CRenderSurface {
public:
    // The surface of a valid 24-bit picture; null (with a message) otherwise.
    static std::unique_ptr<CRenderSurface> Create(CRaster& target, std::string* error = nullptr);
    // A surface that draws nothing and only widens the bounding boxes as a
    // width x height picture would (for the box of a list drawn in bands).
    static std::unique_ptr<CRenderSurface> CreateMeasuring(int width, int height);
    virtual ~CRenderSurface();

    CRenderSurface(const CRenderSurface&) = delete;
    CRenderSurface& operator=(const CRenderSurface&) = delete;

    int GetWidth() const noexcept { return m_width; }
    int GetHeight() const noexcept { return m_height; }

    // The fit of the mesh being drawn (the inverse mapping needs it).
    void SetFit(const CFitContext& fit) noexcept { m_fit = fit; }

    // Band drawing: the target holds the rows firstRow .. firstRow + height - 1
    // of a taller picture. Positions given to the drawing operations and the
    // bounding boxes are in the whole picture, and each pixel comes out as
    // it would in the whole picture; rows outside the band are left out.
    // Coverage and partial pixels are in the target's own rows.
    void SetBand(int firstRow) noexcept { m_band = firstRow; }
    int GetBand() const noexcept { return m_band; }
    const CFitContext& GetFit() const noexcept { return m_fit; }

    // A line in a colour; both end points widen the box (which may be null).
    virtual void DrawLine(COLORREF colour, int x1, int y1, int x2, int y2, CBoundingBox* box);
    // A mapped four-corner face, corners in picture pixels. `sampleCount` above
    // 25 selects the 10 x 10 grid, 9 or less 3 x 3, else 5 x 5. A face code without a picture
    // samples the polygon's fill colour, except the CD-ROM, which is skipped.
    virtual void DrawTexturedQuad(int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3,
                                  const CTextureSet* textures, char faceCode, CPolygon3D& polygon,
                                  CBoundingBox* box, int sampleCount, bool soften);
    // Flat fill: BeginPolygon resets the scan tables, AddEdge scan-converts one
    // edge, FillPolygon fills the rows, EndPolygon widens the box.
    virtual int BeginPolygon();
    virtual void AddEdge(int handle, int x1, int y1, int x2, int y2);
    virtual void FillPolygon(int handle, COLORREF fill, const CTextureSet* textures, char faceCode,
                             CPolygon3D& polygon);
    virtual void EndPolygon(int handle, CBoundingBox* box);

    // Edge softening state: clear before a list is drawn with softening, resolve
    // after it (sampleCount as used for the list).
    void ClearSoftening() noexcept;
    // With `linear` an outline pixel mixes its background and the mean of its
    // samples in linear light, by the share of samples the faces cover.
    void ResolvePartialPixels(int sampleCount, bool linear = false) noexcept;

    // Switches the shortcut for pixels wholly inside a lit or smooth face off
    // (and on again): every pixel then reads every sample of the grid, the
    // reference the tests compare with. On by default; process-wide.
    static void SetInteriorShortcut(bool enabled) noexcept;

    // For tests: coverage of a pixel (0 outside), whether a partial record exists.
    int GetCoverage(int x, int y) const noexcept;
    bool HasPartialPixel(int x, int y) const noexcept;
    std::size_t GetPartialPixelCount() const noexcept { return m_partialCount; }

private:
    CRenderSurface(int width, int height, std::uint8_t* bits, std::ptrdiff_t stride);

    struct CPartialPixel {
        std::uint32_t key = 0;     // y * width + x + 1; 0 marks an empty slot
        int count = 0;             // sub-samples covered, summed over faces
        int faces = 0;             // faces that touched the pixel
        std::uint32_t sum[3] = {0, 0, 0};         // blue, green, red sums
        std::uint8_t background[3] = {0, 0, 0};   // blue, green, red when recorded
    };

    std::uint8_t* Pixel(int x, int y) const noexcept
    {
        return m_bits + static_cast<std::ptrdiff_t>(y) * m_stride + 3 * static_cast<std::ptrdiff_t>(x);
    }
    // Faces that are lit (shade below 1) or sampled smoothly: the same
    // coverage and softening rules as the nearest-texel path, with bilinear
    // samples from the picture level that fits the on-screen footprint and
    // the colours multiplied by the shade (RenderSurfaceSmooth.cpp).
    void DrawFilteredQuad(const CQuadMapping& map, const CFaceSetup& face, const CTextureSet* textures,
                          char faceCode, const CPolygon3D& polygon, int sampleCount, bool soften) noexcept;
    // One target row y of such a face, with the numerators of the mapping at x = 0.
    struct CSmoothRow {
        int y = 0;
        double A = 0.0, B = 0.0, C = 0.0;
    };
    void DrawSmoothEdge(const CSmoothFace& f, const CFaceShade& shade, CEdgePixels& edges, const CSmoothRow& row,
                        int from, int to, bool soften) noexcept;
    void DrawSmoothInterior(const CSmoothFace& f, const CFaceShade& shade, const CSmoothRow& row, int from, int to,
                            bool soften) noexcept;
    // Pixels from .. to of target row y, whole blocks of a face's inside read
    // once per block (CTextureSet::interiorBlock).
    void DrawInteriorBlocks(const CInteriorBlocks& blocks, int y, int from, int to, int N, bool soften) noexcept;
    bool EnsureBlockColours(int k) noexcept;
    // Faces sampled at the nearest texel, pixel by pixel or, for a plain
    // face, a run at a time (RenderSurfaceTextured.cpp).
    void DrawNearestQuad(const CQuadMapping& map, const CFaceSetup& face, const CFlatTiles* flat, int sampleCount,
                         bool soften) noexcept;
    bool DrawRunSampledQuad(const CQuadMapping& map, const CSampleGrid& grid, const double* offA,
                            const double* offB, const double* offC, const CTexture& tex, const CFlatTiles* flat,
                            bool boxFace, bool soften) noexcept;
    // Writes one pixel of a textured face from its samples: the average, or
    // with softening the coverage and partial-pixel bookkeeping.
    void StoreSamples(int x, int y, const CPixelSamples& samples, int N, bool boxFace, bool soften) noexcept;
    // The scan span of target row y and the numerators of the mapping at x = 0
    // of that row; false when the row has no span.
    bool RowSpan(int y, const CQuadMapping& map, int& left, int& right, double& rowA, double& rowB,
                 double& rowC) const noexcept;
    // Widens the box with the touched rows and columns of the scan tables.
    void AddScanBox(CBoundingBox* box) const noexcept;
    bool EnsureRunSamples() noexcept;
    void ResetScan() noexcept;
    void ScanEdge(int x1, int y1, int x2, int y2) noexcept;
    void ScanPoint(int x, int y) noexcept;
    void WidenScan() noexcept;
    void SetPixel(int x, int y, COLORREF colour) noexcept;
    bool EnsureSoftening() noexcept;
    std::uint8_t& Coverage(int x, int y) noexcept
    {
        return m_coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                          static_cast<std::size_t>(x)];
    }
    // Pixels from .. to of row y fully covered by N samples.
    void CoverRun(int from, int to, int y, int N) noexcept
    {
        std::fill(&Coverage(from, y), &Coverage(to, y) + 1, static_cast<std::uint8_t>(N));
        m_coverageTouched.Add(from, y);
        m_coverageTouched.Add(to, y);
    }
    // The softening buffers kept on this thread from one surface to the next
    // (RenderSurfaceSoften.cpp).
    struct CKeptSoftening;
    static CKeptSoftening& KeptSoftening() noexcept;
    void KeepSoftening() noexcept;
    CPartialPixel* FindPartial(int x, int y) noexcept;
    CPartialPixel* InsertPartial(int x, int y) noexcept;
    void RemovePartial(int x, int y) noexcept;
    bool GrowPartialTable() noexcept;

    int m_width = 0;
    int m_height = 0;
    std::uint8_t* m_bits = nullptr;
    std::ptrdiff_t m_stride = 0;
    CFitContext m_fit;
    int m_band = 0; // whole-picture row of target row 0

    // Scan tables: leftmost and rightmost x per row, touched rows and columns.
    std::vector<int> m_scanLeft;
    std::vector<int> m_scanRight;
    int m_scanLow = 0, m_scanHigh = 0;
    int m_scanMinX = 0, m_scanMaxX = 0;

    // Edge softening: covered sub-samples per pixel (saturating), and the
    // open-addressing table of partly covered pixels.
    std::vector<std::uint8_t> m_coverage;
    CBoundingBox m_coverageTouched;
    std::vector<CPartialPixel> m_partial; // power-of-two size
    std::size_t m_partialCount = 0;

    // The samples of one row of a textured face, a pixel each (as wide as the picture).
    std::vector<CPixelSamples> m_runSamples;
    // The colours of one row of inside blocks (CInteriorBlocks).
    std::vector<std::uint8_t> m_blockColours;
    std::vector<std::uint8_t> m_blockPixels;
    std::vector<std::uint8_t> m_blockUneven;
};
