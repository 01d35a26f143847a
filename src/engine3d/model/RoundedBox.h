#pragma once
// The faces of a cuboid whose edges and corners are rounded.
//
// Each face keeps its picture; the picture's margin of r along every edge is
// bent round the edge. A picture point (U, V) (face units from the bottom-left
// corner) is first clamped to the flat part [r, W - r] x [r, H - r], giving
// (Uc, Vc); the point lies at distance r from the centre
// Pc = corner + Uc * right + Vc * up - r * normal, in the direction
// normal + tan(a) * right + tan(b) * up, with a = 45 degrees * (U - Uc) / r
// and b likewise. The margin of each face thus covers half of every edge's
// quarter round and a third of every corner's eighth of a sphere, and the
// neighbouring faces meet on the 45-degree lines with the same points.

#include "engine3d/geometry/PolygonList.h"

// Appends the facets of one face of the rounded cuboid: `face` is the sharp
// face (corners top-left, bottom-left, bottom-right, top-right as seen from
// outside); its flat middle comes first (the face's own plane, which ordered
// drawing decides by), then `steps` facets across each margin. Without
// `withMiddle` only the margins (the back of the box, which never shows flat).
void AddRoundedFace(CPolygonList& list, const CPolygon3D& face, double radius, int steps, bool withMiddle);
