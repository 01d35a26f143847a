#include "cli/edit/ObjectLook.h"

#include "cli/CliSupport.h"
#include "layout/objects/DrawObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

bool ReadLength(const SArgs& args, const char* option, double perMm, int minimum, int maximum, int& pixels)
{
    const std::string* v = args.Get(option);
    if (v == nullptr) return true;
    if (perMm <= 0) return ParseInt(*v, option, minimum, maximum, pixels);
    char* end = nullptr;
    const double mm = std::strtod(v->c_str(), &end);
    const double px = mm * perMm;
    if (end == v->c_str() || *end != '\0' || !std::isfinite(mm) || px < minimum - 0.5 || px > maximum + 0.5) {
        PrintError(std::string(option) + ": \"" + *v + "\" is no length in millimetres from " +
                   std::to_string(minimum / perMm) + " to " + std::to_string(maximum / perMm));
        return false;
    }
    pixels = static_cast<int>(std::clamp<long>(std::lround(px), minimum, maximum));
    return true;
}

bool ApplyObjectLook(const SArgs& args, double faceMm, CDrawObject& object)
{
    const bool width = args.Get("--line-width") != nullptr, radius = args.Get("--corner-radius") != nullptr;
    if ((width || radius) && faceMm <= 0) {
        PrintError("--line-width and --corner-radius are millimetres, and this face has no size in millimetres");
        return false;
    }
    if ((width || args.Get("--dash") != nullptr) && !object.HasLineColour()) {
        PrintError(std::string("--line-width and --dash go with shapes, not with a ") + object.GetKindName());
        return false;
    }
    if (radius && std::string(object.GetKindCode()) != "RECT") {
        PrintError("--corner-radius goes with rectangles");
        return false;
    }
    int pixels = object.GetLineWidth(), corner = object.GetCornerRadius(), opacity = 0;
    if (!ReadLength(args, "--line-width", faceMm, 1, kMaxLineWidth, pixels) ||
        !ReadLength(args, "--corner-radius", faceMm, 0, kDrawMaxSize, corner))
        return false;
    if (const std::string* v = args.Get("--opacity")) {
        if (!ParseInt(*v, "Opacity", 0, 100, opacity, "%")) return false;
        object.SetOpacity(static_cast<std::uint32_t>(opacity));
    }
    if (const std::string* v = args.Get("--dash")) {
        static constexpr const char* kNames[] = {"solid", "dash", "dot", "dash-dot"};
        std::uint32_t found = 4;
        for (std::uint32_t i = 0; i < 4; ++i)
            if (*v == kNames[i]) found = i;
        if (found == 4) {
            PrintError("--dash must be solid, dash, dot or dash-dot");
            return false;
        }
        object.SetDash(found);
    }
    object.SetLineWidth(pixels);
    object.SetCornerRadius(corner);
    return true;
}
