#pragma once
// Drawing the enlarged scratch picture band by band, on several threads.
//
// The scratch picture (output size times the magnification k in each
// direction) is never held whole: it is cut into bands of rows, each a
// multiple of k rows, and every band is drawn on its own (background, then
// the model) and at once reduced into its rows of the output picture by the
// k x k block average. Memory thus grows with the output, not with the
// output times k squared. Bands are drawn one row wider on either side than
// they deliver, because edge softening looks at the rows next to a pixel;
// every delivered row is then exactly the row of an undivided drawing, and
// the bands, taken by the threads in any order, give the same picture.

#include <cstdint>
#include <functional>
#include <string>

#include "engine3d/surface/CoveredColumns.h"
#include "render/PixelView.h"

class CModelBands;

struct SBandLayout {
    int width = 0;     // scratch picture width (output width * k)
    int height = 0;    // scratch picture height (output height * k)
    int k = 1;         // each output pixel is the average of a k x k block
    int bandRows = 0;  // scratch rows a band delivers, a multiple of k; 0 chooses
    int threads = 1;   // drawing threads (1: all on the calling thread)
    // Cut-out: every band is drawn over a dark and over a light background
    // instead of its own, and the two reduced rows give each output pixel
    // its coverage (alpha: 255 less how far the backgrounds show through)
    // and its colour before coverage. Everything the
    // drawing blends linearly with what lies below (edges, shadows, the
    // reflection) thus becomes partial transparency that, laid over white,
    // gives back the picture drawn over white within rounding.
    std::uint8_t* alpha = nullptr;  // output alpha plane, width / k per row, rows bottom-up
};

// Writes the background of the scratch rows firstRow .. firstRow + band
// height - 1 into `band` (called from the drawing threads at once). Where
// `covered` is not null it gives, for each row of the band, the columns the
// model will overwrite wholly: the background may be left out there.
using BandBackground = std::function<void(const CPixelView& band, int firstRow, const CCoveredRow* covered)>;

// Called on the calling thread as bands complete; false cancels the rest.
using BandProgress = std::function<bool(int done, int total)>;

struct SBandResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;
};

// Scratch rows a band delivers when the layout leaves it open: about two
// million scratch pixels a band, and at least four bands a thread.
int ChooseBandRows(int width, int height, int k, int threads) noexcept;

// Draws every band and writes the reduced rows into `output` (width / k by
// height / k). `model` may be null (background only).
SBandResult RenderBands(const SBandLayout& layout, const BandBackground& background, const CModelBands* model,
                        const CPixelView& output, const BandProgress& progress);
