#pragma once
// What the face canvas draws over the face and its objects to help placing
// them, never part of the face itself: the guides, and the bleed and safe
// lines of a face with a size in millimetres (the bleed line outside the
// face's edge, where printed artwork runs on past the cut; the safe line
// inside it, within which text is clear of the cut).

#include "layout/edit/FaceMapping.h"
#include "layout/edit/Snapping.h"

#include <vector>

class QPainter;

void PaintGuides(QPainter& painter, const CFaceMapping& mapping, const std::vector<CGuide>& guides,
                 const CGuide* preview);
// Distances in millimetres; nothing when pixelsPerMm is 0 or a distance is 0.
void PaintPrintLines(QPainter& painter, const CFaceMapping& mapping, double pixelsPerMm, double bleedMm,
                     double safeMm);
