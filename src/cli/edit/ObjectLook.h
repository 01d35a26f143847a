#pragma once
// The options every draw-object command shares: a length in face pixels or
// millimetres, and the look of an object (--line-width, --dash,
// --corner-radius, --opacity), read once for add and set-object.

#include "cli/CommandTable.h"

class CDrawObject;

// A length option: millimetres (turned into face pixels, rounded) when
// `perMm` is positive, else whole face pixels. True when the option is not
// given (`pixels` untouched); false with the refusal printed.
bool ReadLength(const SArgs& args, const char* option, double perMm, int minimum, int maximum, int& pixels);

// Applies the look options given. `faceMm` is the face's pixels per
// millimetre (line width and corner radius are millimetres; 0 for a face
// without one, which refuses them). False with the refusal printed.
bool ApplyObjectLook(const SArgs& args, double faceMm, CDrawObject& object);
