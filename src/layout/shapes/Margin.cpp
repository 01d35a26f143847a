#include "layout/shapes/Margin.h"

#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"

#include <cctype>

const char* const kMarginTypeNames[kMarginTypeCount] = {"Top",      "Bottom",    "Left",        "Right",
                                                        "Top Left", "Top Right", "Bottom Left", "Bottom Right"};

namespace {

// Per type: the slider of each extent and whether it counts from the far end.
struct SMarginSliders {
    int h;
    bool hFar;
    int v;
    bool vFar;
};

constexpr SMarginSliders kMarginSliders[kMarginTypeCount] = {
    {-1, false, kMarginSliderLeft, false},                    // 0 top band
    {-1, false, kMarginSliderLeft, true},                     // 1 bottom band
    {kMarginSliderTop, false, -1, false},                     // 2 left band
    {kMarginSliderTop, true, -1, false},                      // 3 right band
    {kMarginSliderTop, false, kMarginSliderLeft, false},      // 4 top-left corner
    {kMarginSliderTop, true, kMarginSliderRight, false},      // 5 top-right corner
    {kMarginSliderBottom, false, kMarginSliderLeft, true},    // 6 bottom-left corner
    {kMarginSliderBottom, true, kMarginSliderRight, true},    // 7 bottom-right corner
};

} // namespace

SMarginSliderUse GetMarginSliders(int type)
{
    if (type < 0 || type >= kMarginTypeCount) return {-1, -1};
    return {kMarginSliders[type].h, kMarginSliders[type].v};
}

std::pair<int, int> GetMarginPercents(int type, const MarginSliderPositions& positions)
{
    if (type < 0 || type >= kMarginTypeCount) return {0, 0};
    const SMarginSliders& s = kMarginSliders[type];
    const auto percent = [&positions](int slider, bool far) {
        if (slider < 0) return 0;
        const int p = positions[static_cast<std::size_t>(slider)];
        return far ? 100 - p : p;
    };
    return {percent(s.h, s.hFar), percent(s.v, s.vFar)};
}

int FindMarginType(std::string_view name)
{
    for (int type = 0; type < kMarginTypeCount; ++type) {
        const std::string_view known = kMarginTypeNames[type];
        if (known.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < known.size() && same; ++i) {
            const auto c = static_cast<unsigned char>(name[i]);
            same = known[i] == ' ' ? (c == ' ' || c == '-') : std::tolower(c) == std::tolower(known[i]);
        }
        if (same) return type;
    }
    return -1;
}

std::unique_ptr<CDrawObject> CreateMarginObject(int type, int faceWidth, int faceHeight, int hPercent,
                                                int vPercent, COLORREF marginColour, COLORREF lineColour)
{
    if (type < 0 || type >= kMarginTypeCount || faceWidth <= 0 || faceHeight <= 0)
        return nullptr;
    const int W = faceWidth, H = faceHeight;
    const int h = static_cast<int>(static_cast<long long>(W) * hPercent / 100);
    const int v = static_cast<int>(static_cast<long long>(H) * vPercent / 100);
    std::unique_ptr<CDrawObject> object;
    if (type < 4) {
        object = std::make_unique<CDrawRect>();
        switch (type) {
        case 0: object->SetCoords(0, H - 1, W - 1, H - v - 1); break;
        case 1: object->SetCoords(0, 0, W - 1, v); break;
        case 2: object->SetCoords(0, 0, h, H - 1); break;
        default: object->SetCoords(W - 1, 0, W - h - 1, H - 1); break;
        }
    } else {
        auto polygon = std::make_unique<CDrawPolygon>();
        switch (type) {
        case 4: polygon->SetPoints({{0, H - 1}, {h, H - 1}, {0, H - v - 1}}); break;
        case 5: polygon->SetPoints({{W - 1, H - 1}, {W - h - 1, H - 1}, {W - 1, H - v - 1}}); break;
        case 6: polygon->SetPoints({{0, 0}, {h, 0}, {0, v}}); break;
        default: polygon->SetPoints({{W - 1, 0}, {W - 1, v}, {W - h - 1, 0}}); break;
        }
        object = std::move(polygon);
    }
    object->SetStyle(kStyleFilled);
    object->SetFillColour(marginColour);
    object->SetLineColour(lineColour);
    return object;
}
