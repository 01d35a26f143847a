#pragma once
// The studio shadow (Shadow Style "Studio"): the shadow of a broad light.
//
// Each light that is on is spread into n x n directions around its own
// (a Latin square over a square of directions): every copy is the product sheared onto the table along one of
// them, so that a point on the table stays where it is in every copy and a
// point h above the table moves by h times the spread. The shadow is sharp
// where the product stands and its penumbra widens with the height that
// casts it. A contact shadow (the product's footprint seen from straight
// above, blurred over a few millimetres) darkens the table where the product
// meets it.
//
// The copies are not blended one by one: each pixel counts the copies that
// cover it (16-bit counts), and the picture is then darkened once by the
// light the covered share leaves (worked out in linear light): the penumbra
// runs in steps of 1/n^2 of the shadow's depth, and the shadow darkens any
// ground, a cut-out's included, by the same share.

#include "engine3d/model/ModelMesh.h"
#include "engine3d/surface/RenderSurface.h"

#include <array>
#include <cstdint>
#include <vector>

struct CEngineSettings;
class CRaster;

constexpr int kStudioShadowStyle = 4;
constexpr int kStudioShadowGrid = 8;   // directions per light along each axis
constexpr int kContactShadowGrid = 4;  // footprint copies along each axis

// Appends the contact shadow's lists (first) and every light's copies, and
// records how many lists of each there are in the mesh.
void AddStudioShadows(CModelMesh& mesh, const CPolygonList& shadowSource, const CEngineSettings& settings);

// Counts the copies over each pixel of a picture (or band) and darkens it.
class CShadowAccumulator {
public:
    bool Create(int width, int height);
    // Counts the non-white pixels of a drawn layer inside the box and makes
    // them white again.
    void Add(CRaster& layer, const CBoundingBox& box, bool contact) noexcept;
    // Darkens the target by the covered shares: a pixel under every cast
    // copy keeps 1 - kCastDepth of its light, under every contact copy
    // 1 - kContactDepth, scaled by how far the shadow colour is from white.
    void Apply(CRaster& target, int castCopies, int contactCopies, COLORREF colour) const noexcept;

private:
    int m_width = 0, m_height = 0;
    std::vector<std::uint16_t> m_cast, m_contact;
    CBoundingBox m_box;
};

constexpr double kCastDepth = 0.60;    // linear light a full cast shadow takes away (grey 0x808080)
constexpr double kContactDepth = 0.70; // and a full contact shadow

// Per channel (blue, green, red): the share of linear light one cast copy and
// one contact copy take, by how far the shadow colour is from white against
// grey 0x808080, a full shadow taking at most 0.95.
struct SShadowShares {
    std::array<float, 3> cast{}, contact{};
};
SShadowShares ShadowShares(COLORREF colour, int castCopies, int contactCopies) noexcept;
