#pragma once
// The reflection: the model mirrored in the horizontal table plane, drawn
// into a white layer and blended into the picture with a vertical fade and
// an optional diagonal ripple.

#include "engine3d/model/ModelMesh.h"
#include "engine3d/surface/RenderSurface.h"

struct CEngineSettings;
class CRaster;

// Appends a mirrored copy of the model list when Reflection is on and the
// table is horizontal.
void AddReflection(CModelMesh& mesh, const CPolygonList& modelList, const CEngineSettings& settings);

// Blends the layer onto the target inside the box. Weights are in units of
// 25500 (= 255 * 100): row y (from the bottom of a picture of height H) keeps
// w = topFade*100 + ((H - y) * (bottomFade - topFade) * 100) / H of the
// picture and gives 25500 - w to the layer; with ripple w moves by
// (((x + y) mod 11) - 5) * 100 from pixel to pixel along the row. White layer
// pixels are background and are skipped. A top fade above the bottom fade
// gives the same linear fade from the top value at the top to the bottom
// value at the bottom.
// Weight of the picture in row y (units of 25500, before ripple and clamping);
// rows from `height` up (a fade ending below the picture's top) keep the top fade.
long long ReflectionWeight(int y, int height, int topFade, int bottomFade) noexcept;

// With firstRow and pictureHeight the layer and the target are a band of a
// taller picture (rows firstRow and up of pictureHeight rows): weights and
// ripple follow the whole picture's rows. With `linear` the two mix in
// linear light: the picture's light times w / 25500 plus the layer's times
// the rest, encoded to the nearest level.
bool BlendReflectionLayer(const CRaster& layer, CRaster& target, int topFade, int bottomFade,
                          bool ripple, const CBoundingBox& box,
                          int firstRow = 0, int pictureHeight = 0, bool linear = false,
                          bool steadyRipple = false) noexcept;
