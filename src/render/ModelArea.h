#pragma once
// The square of the scratch picture the model is fitted into: the border or
// bevel width (scaled by k) plus half of the smaller of 10 output pixels and a
// tenth of the picture is left free on each side.

struct SModelArea {
    int innerWidth = 0;   // scratch pixels
    int innerHeight = 0;
    int ox = 0;           // lower-left corner of the square, scratch pixels (y up)
    int oy = 0;
    int side = 0;         // the smaller of innerWidth and innerHeight; 0 when nothing fits
    bool framed = false;  // the model is centred in the innerWidth x innerHeight rectangle at (ox, oy)
};

// width, height: scratch picture size; k: its magnification; frame: the larger
// of the enabled border and bevel sizes in output pixels.
//
// With framing (percent, above 0) the model with its shadow is instead
// centred in the rectangle that leaves framing % of the picture's short side
// free inside the frame on every side, whatever the picture's aspect ratio.
SModelArea ComputeModelArea(int width, int height, int k, int frame, int framing = 0) noexcept;
