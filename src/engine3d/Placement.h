#pragma once
// Placing a built model relative to the table and the eye.

#include "engine3d/ModelMesh.h"

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

// Steps 1 and 2 of the camera: the nearest point moves to z = 1, then the
// mesh moves by (-Observer X, -Observer Y, observer distance). The eye is
// then at the origin, in front of the whole mesh.
void PositionCamera(CModelMesh& mesh, const CEngineSettings& settings) noexcept;
