#pragma once
// Placing a built model relative to the table and the eye.

#include "engine3d/model/ModelMesh.h"

struct CEngineSettings;

// Rotates the list about X, then Y, then Z (each only when its angle is not
// 0) and moves it up so that its lowest point floats Above Table units over
// the horizontal table (Table Position 0), or stands on y = 0 in front of the
// vertical table. For the CD-ROM disc (isDisc) the lowest point is that of
// the rotated rim circle of radius 62 rather than of the list's vertices.
void PlaceOnTable(CPolygonList& list, const CEngineSettings& settings, bool isDisc) noexcept;

// Lowest point of the rim of the disc of radius 62 centred on the origin in
// the plane z = 0, after the rotations of the settings.
double DiscLowestY(const CEngineSettings& settings) noexcept;

// The camera: with an elevation the whole mesh is first turned by minus
// that angle about the x axis (the eye looks down onto the table); then the
// nearest point moves to z = 1 and the mesh moves by (-Observer X,
// -Observer Y, distance). The eye is then at the origin, in front of the
// whole mesh. The distance is the observer distance setting, or with a lens
// LensDistance. The fit into the picture afterwards keeps the framing, so the
// lens changes only how strongly the edges converge.
void PositionCamera(CModelMesh& mesh, const CEngineSettings& settings) noexcept;

// Short side of the 35 mm film frame in mm.
constexpr double kLensFrameHeight = 24.0;

// The distance from the nearest point at which a lens of `lens` mm on 35 mm
// film shows the model (list 0) filling the short side of the frame:
// lens * size / 24, with size the larger of the model's extents in x and y.
double LensDistance(const CModelMesh& mesh, int lens) noexcept;
