#pragma once
// CArtworkPdf: the product's faces laid out flat (CDielineNet) as a print PDF
// of one page at true size. Each face is its appearance picture at its own
// pixel size (or resampled to a chosen resolution), continued past the cut
// edges by the bleed, with its draw objects over it as vector shapes and
// texts as glyph outlines of their fonts (embedded as subsets). Cut lines,
// fold lines and, when asked, crop and fold marks in the margin are drawn
// in the spot colour "Dieline" on a layer of the same name (CDielineLayer),
// so that the print shop can show, hide or separate them.

#include "layout/export/DielineNet.h"

#include <functional>
#include <string>
#include <string_view>

class CProduct;
class CFaceObjects;

struct SArtworkOptions {
    double bleed = 3.0;  // millimetres the appearance continues past the cut
    bool marks = false;  // crop and fold marks in a margin around the bleed
    int dpi = 0;         // pictures resampled to this resolution; 0 keeps their own
};

class CArtworkPdf {
public:
    // The margin the marks take on each side, millimetres.
    static constexpr double kMarksMargin = 10.0;
    // The largest bleed accepted, millimetres, and the resolutions accepted.
    static constexpr double kMaxBleed = 50.0;
    static constexpr int kMinDpi = 36, kMaxDpi = 2400;

    using ObjectLookup = std::function<const CFaceObjects*(std::string_view key)>;

    // The net of the product's printed faces.
    static CDielineNet MakeNet(const CProduct& product);
    // The page size in millimetres: the net plus the bleed and the marks'
    // margin on every side.
    static void GetPageSize(const CDielineNet& net, const SArtworkOptions& options, double& width, double& height);

    // Writes the PDF to `path` (replacing it only once it is whole). False
    // with `error` set when the product has nothing to print, the options are
    // out of range or the file cannot be made.
    static bool Write(const CProduct& product, const ObjectLookup& objects, const SArtworkOptions& options,
                      const std::string& path, std::string& error);
};
