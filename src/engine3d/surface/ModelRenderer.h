#pragma once
// Entry point of the 3D engine for the render pipeline: build the solid of a
// product with its shadows and reflection, fit it into the model area of the
// scratch picture and draw it there.
//
// Typical use by the pipeline (one render):
//
//   CModelDescription desc = CModelDescription::FromProduct(product);
//   CTextureSet textures;
//   PrepareTextureSet(desc, textures);            // CD half, card corners, folds
//   textures.SetPicture('F', frontPicture);       // one picture per face code
//   ...                                           // (see GetFaceCodes)
//   CModelArea area{S, ox, oy};                   // square of the model, scratch pixels
//   std::string error;
//   if (!model.Draw(desc, /*quality*/ true, area, textures, scratch, alpha,
//                   progress, &error)) { ... }
//
// `model` is a CProductModel kept by the caller between renders: it builds
// the mesh on first use and reuses it until Discard() (call it whenever a
// setting or dimension that shapes the model changes: rotation, observer,
// table, Above Table, shadows, lights, reflection, dimensions, binder, CD
// position). `alpha` is the white working layer ("a") of the scratch
// picture's size, used for the shadow copies and the reflection.
//
// Drawing order (back to front): the reflection into the layer, blended with
// the fades and the ripple; each shadow copy into the layer, blended with the
// shadow style's weight; the model straight onto the scratch picture. With
// Soften Edges the model and the reflection are resolved after drawing.
//
// The page-edge pictures ('u', 'd', 'r', 'l') of kinds with pages are
// painted beforehand with PaintPageEdge (engine3d/model/PageEdges.h).
//
// Progress: the callback gets (steps done, total) after every polygon and
// after every list; total is the polygon count of the mesh plus its list count.
//
// The mesh is rebuilt automatically when the CModelDescription (kind answers and
// settings) or the quality flag differ from those of the kept mesh.

#include "engine3d/light/ShadowSpans.h"
#include "engine3d/surface/CoveredColumns.h"
#include "engine3d/model/ModelMesh.h"
#include "engine3d/model/ModelDescription.h"
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/TextureSet.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CRaster;

// The square the model is fitted into: side and lower-left corner in scratch pixels.
struct CModelArea {
    int size = 0;
    int ox = 0;
    int oy = 0;
    // Above 0: the model is centred in this rectangle at (ox, oy) instead of the square.
    int width = 0;
    int height = 0;
};

using ModelProgress = std::function<void(std::size_t done, std::size_t total)>;

// Sets the sampling options of a render from the product: the CD half flag,
// the corner radius and face size of rounded cards, the folds.
void PrepareTextureSet(const CModelDescription& desc, CTextureSet& textures);

// The face codes whose pictures the model samples, as a string ("FURDL" for a
// box, "FurdS" for a book, "FurdlC" for a binder with CD-ROM, "C" for the CD).
// Each code is also the side key of its picture, except 'C', the CD-ROM picture.
std::string GetFaceCodes(const CModelDescription& desc);

class CProductModel {
public:
    // Builds the model list, the shadow copies and the reflection, places them
    // on the table and sets up the camera. `quality` selects the fine
    // tessellation of the disc rim and the binder rings.
    void Build(const CModelDescription& desc, bool quality);
    bool IsBuilt() const noexcept { return m_built; }
    void Discard() noexcept;

    // The built mesh (empty before Build).
    CModelMesh& GetMesh() noexcept { return m_mesh; }
    const CModelMesh& GetMesh() const noexcept { return m_mesh; }

    // Projects the mesh and fits it into the area; the context is what the
    // rasteriser needs for this fit.
    CFitContext Fit(const CModelArea& area) noexcept;

    // Builds when needed (not built yet, or another CModelDescription or
    // quality) and fits; false with a message when the area is empty or
    // memory runs out.
    bool Prepare(const CModelDescription& desc, bool quality, const CModelArea& area, CFitContext& fit,
                 std::string* error);

    // Builds when needed (not built yet, or another CModelDescription or quality),
    // fits and draws. False with a message when the pictures are unusable
    // (not 24-bit, different sizes) or the area is empty; nothing is drawn then.
    bool Draw(const CModelDescription& desc, bool quality, const CModelArea& area,
              CTextureSet& textures, CRaster& scratch, CRaster& alpha,
              const ModelProgress& progress, std::string* error);

private:
    CModelMesh m_mesh;
    bool m_built = false;
    bool m_quality = false;
    CModelDescription m_desc;
};

// Draws a fitted mesh: the reflection (last list, when the settings show one), the
// shadow copies (lists 1 and up) and the model (list 0), as described above.
// With firstRow and pictureHeight, scratch and alpha are a band of a taller
// picture (see CRenderSurface::SetBand): its rows come out as in the whole
// picture, except that edge softening needs the rows on either side of a row
// (draw bands overlapping by a row and keep their inner rows), and that the
// reflection's ripple needs the reflection's box over the whole picture
// (`reflectionBox`, whole-picture rows). With `alphaWhite` the layer is
// white already and is not whitened first; it is left white, as every list
// whitens again what it drew.
bool RenderModelPicture(CModelMesh& mesh, const CFitContext& fit, const CModelDescription& desc,
                        CTextureSet& textures, CRaster& scratch, CRaster& alpha,
                        const ModelProgress& progress, std::string* error, int firstRow = 0,
                        int pictureHeight = 0, const CBoundingBox* reflectionBox = nullptr,
                        const CShadowSpans* shadowSpans = nullptr, bool alphaWhite = false);

// A fitted model drawn band by band. Every DrawBand works on its own copy of
// the mesh and the texture set, so bands may be drawn on several threads at
// once; the face pictures are only read.
class CModelBandDrawer {
public:
    // The picture is pictureWidth x pictureHeight scratch pixels.
    CModelBandDrawer(const CModelMesh& mesh, const CFitContext& fit, const CModelDescription& desc,
                     const CTextureSet& textures, int pictureWidth, int pictureHeight);
    // Draws the rows firstRow .. firstRow + scratch height - 1 of the picture
    // into scratch (which holds the background of those rows); alpha is a
    // white working layer of the scratch's size, left white.
    bool DrawBand(CRaster& scratch, CRaster& alpha, int firstRow, std::string* error) const;
    // The columns of picture rows firstRow .. firstRow + count - 1 that
    // DrawBand overwrites wholly whatever they held (see CoveredColumns.h):
    // the product's front-facing opaque faces.
    void CoveredRows(int firstRow, int count, std::vector<CCoveredRow>& rows) const
    {
        m_covered.Rows(firstRow, count, m_width, rows);
    }

private:
    CModelMesh m_mesh;
    CFitContext m_fit;
    CModelDescription m_desc;
    CTextureSet m_textures;
    int m_width;
    int m_height;
    CCoveredFaces m_covered;
    CBoundingBox m_reflectionBox; // whole-picture rows; empty without reflection
    // The studio shadow's copies over the whole picture, scanned once; unused
    // (the bands draw the copies) when they could not be.
    CShadowSpans m_shadowSpans;
    bool m_spans = false;
};
