#pragma once
// What the render pipeline needs from the 3D engine: preparing a page-edge
// face picture and drawing the product's model (with shadows and reflection)
// into the scratch picture. The pipeline owns the order of the steps, the
// pictures and the progress; the engine owns the geometry.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine3d/surface/CoveredColumns.h"
#include "render/ModelArea.h"

class CProduct;
class CRaster;

// Face picture of a face code ('F', 'L', ..., 'u', 'd', 'l', 'r', 'C'), with
// the face's draw objects already burnt in; nullptr when the face has none.
using FacePictureLookup = std::function<const CRaster*(char code)>;
// Whether the picture of a face code is known to be of one colour (a colour
// appearance without draw objects), so that nothing need look at its pixels
// to find that out; false says nothing.
using FaceOneColourLookup = std::function<bool(char code)>;

// Called as polygons are drawn: `done` of `total`.
using ModelDrawProgress = std::function<void(long long done, long long total)>;

struct SModelDrawRequest {
    CRaster* target = nullptr;   // the scratch picture (or the layout preview)
    CRaster* alpha = nullptr;    // the white working layer for shadows and reflection
    SModelArea area;             // where the model goes, target pixels
    int magnification = 1;       // k of the target over the output size
    bool quality = true;         // fine tessellation
    FacePictureLookup faces;
    FaceOneColourLookup oneColourFaces; // may be empty
    ModelDrawProgress progress;
    bool cutOut = false;         // drawn for a picture with alpha: shadows darken whatever ground it is laid on
};

// A model prepared for drawing in bands: DrawBand draws the rows firstRow ..
// firstRow + scratch height - 1 of the scratch picture into `scratch` (which
// holds the background of those rows), with `alpha` a white working layer of
// the same size, which it leaves white. It may be called from several threads
// at once.
class CModelBands {
public:
    virtual ~CModelBands() = default;
    virtual bool DrawBand(CRaster& scratch, CRaster& alpha, int firstRow, std::string* error) const = 0;
    // The columns of scratch rows firstRow .. firstRow + count - 1 that
    // DrawBand overwrites wholly whatever they held, so that their
    // background need not be made, into rows[0 .. count - 1]; none known by
    // default. May be called from several threads at once.
    virtual void CoveredRows(int firstRow, int count, std::vector<CCoveredRow>& rows) const
    {
        (void)firstRow;
        rows.assign(static_cast<std::size_t>(count > 0 ? count : 0), CCoveredRow());
    }
};

class CRenderBackend {
public:
    virtual ~CRenderBackend() = default;
    // Prepares the page-edge face `code` ('u', 'd', 'l' or 'r') into the product's side.
    virtual void PreparePageEdge(CProduct& product, char code) = 0;
    // The same, with the face pictures (draw objects burnt in) the covers
    // continue; backends that do not need them keep the plain form.
    virtual void PreparePageEdge(CProduct& product, char code, const FacePictureLookup& faces)
    {
        (void)faces;
        PreparePageEdge(product, code);
    }
    // Draws the model; returns false when nothing could be drawn.
    virtual bool DrawModel(CProduct& product, const SModelDrawRequest& request) = 0;
    // Prepares the model of `request` (its area, magnification, quality and
    // faces; target and alpha unused) for band drawing on a scratch picture of
    // pictureWidth x pictureHeight. The face pictures must outlive the result. Null
    // when the backend only draws whole pictures (DrawModel is used then) or
    // nothing can be drawn (with a message through the backend's own error).
    virtual std::unique_ptr<CModelBands> PrepareBands(CProduct& product, const SModelDrawRequest& request,
                                                      int pictureWidth, int pictureHeight)
    {
        (void)product;
        (void)request;
        (void)pictureWidth;
        (void)pictureHeight;
        return nullptr;
    }
    // Whether PrepareBands is offered.
    virtual bool DrawsBands() const noexcept { return false; }
};
