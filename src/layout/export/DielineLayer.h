#pragma once
// CDielineLayer: puts the dieline onto the first page of a PDF as a layer of
// its own. The lines are drawn in a separation colour "Dieline" (shown as
// magenta where it is not separated) that overprints, inside a marked
// content section of an optional content group "Dieline", so that viewers
// can hide it and a print shop can take it as its own plate. The page's own
// content is kept as it is: the layer is one more content stream after it.

#include "layout/export/DielineNet.h"

#include <string>
#include <vector>

struct SDielineStrokes {
    // PDF points, y up from the page's bottom-left corner.
    std::vector<SDielineLine> cut, fold, marks;
};

class CDielineLayer {
public:
    // The content stream of the layer (resource names /DielineLayer,
    // /DielineInk and /DielineOverprint).
    static std::string MakeContent(const SDielineStrokes& strokes);
    // Adds the layer to the PDF in `pdf` through the dieline module (opened
    // on the first call); false with `error` set when the PDF cannot be read
    // or written, or the module cannot be opened.
    static bool AddTo(std::string& pdf, const SDielineStrokes& strokes, std::string& error);
};
