#pragma once
// The solids of the product kinds. Each builder makes, in model space
// (x from -W/2 to W/2, y from -H/2 to H/2, z from -D/2 at the front to D/2),
// either the list that is drawn (model mode) or the list that casts the
// shadows (shadow mode), not yet placed on the table.

#include "engine3d/model/ModelMesh.h"
#include "engine3d/model/ModelDescription.h"

enum class BuildMode { Model, Shadow };

// Arc steps in degrees: disc rim 2 (quality) or 10; binder rings 15 or 45.
int DiscStep(bool quality) noexcept;
int RingStep(bool quality) noexcept;

// Radius of the CD-ROM disc in model units.
constexpr double kDiscRadius = 62.0;

// The dimensions of a CModelDescription made safe to build with: each a finite number
// between 0.1 and 100000 units (depth may be 0 for flat kinds).
struct CSolidSize {
    double W = 1.0, H = 1.0, D = 1.0;
};
CSolidSize SafeSize(const CEngineSettings& settings) noexcept;

// Box, book and binder kinds with or without CD-ROM: the cuboid's faces, the
// CD-ROM square (or its rim in shadow mode) and the binder rings.
CPolygonList BuildSolidList(const CModelDescription& desc, BuildMode mode, bool quality);
// Both card kinds: one face in the plane z = 0.
CPolygonList BuildCardList(const CModelDescription& desc, BuildMode mode, bool quality);
// The CD-ROM kind: the disc's square (model) or its rim polygon (shadow).
CPolygonList BuildDiscList(const CModelDescription& desc, BuildMode mode, bool quality);

// The radius the box edges are rounded by (Edge Radius, at most 45 % of the
// thinnest side; 0: sharp), and the facets across each half of a rounded edge.
double EdgeRadius(const CEngineSettings& settings, const CSolidSize& size) noexcept;
int EdgeSteps(bool quality) noexcept;

// z of the CD-ROM square of a kind with CD-ROM for its CD Position.
double DiscPlaneZ(const CModelDescription& desc) noexcept;

// Binder rings: y of the bottom of every ring (height w = setting 112 / 10,
// gap g = setting 113 / 10, from y = 2 - H/2 while the top stays below H/2).
std::vector<double> RingPositions(const CModelDescription& desc);

// The model list and the shadow source of any kind, both placed on the table.
void BuildModelLists(const CModelDescription& desc, bool quality, CPolygonList& model,
                     CPolygonList& shadowSource);

// The whole mesh before the camera set-up: the model, its shadow copies and,
// when shown, its reflection.
CModelMesh BuildModelMesh(const CModelDescription& desc, bool quality);
