#include "properties/SettingTable.h"

#include "properties/SettingStore.h"

#include <array>
#include <cstdio>

namespace {

constexpr bool InRange(std::uint32_t id, std::uint32_t lo, std::uint32_t hi) noexcept {
    return id >= lo && id <= hi;
}

// Bits 64 and 128: the cached models depend on the setting.
unsigned ModelPart(std::uint32_t id) noexcept {
    switch (id) {
    case 1: case 2: case 11: case 13: case 41: case 42: case 43: case 51: case 53: case 61:
    case 71: case 81: case 91: case 92: case 93: case 102: case 111: case 112: case 113:
        return kUpdatePreviewModel | kUpdateRenderModel;
    case 72: case 73: case 74: case 114: case 191: case 192: case 193: case 194: case 201: case 202: case 211:
        return kUpdateRenderModel;
    case 213:
        return kUpdatePreviewModel | kUpdateRenderModel;
    case 94: case 95:
        return kUpdatePreviewModel | kUpdateRenderModel;
    default:
        break;
    }
    if (InRange(id, 141, 147) || InRange(id, 151, 154) || InRange(id, 161, 163) || InRange(id, 171, 173))
        return kUpdatePreviewModel | kUpdateRenderModel;
    return 0;
}

// Bits 1, 2, 4, 8, 16, 32: which pictures must be redone.
unsigned PicturePart(std::uint32_t id) noexcept {
    switch (id) {
    case 3: case 12: case 14: case 21: case 22: case 23:
        return kUpdateFinish;
    case 62: case 63: case 64: case 72: case 73: case 74: case 114: case 193: case 194: case 211: case 212: case 213:
        return kUpdateScratch;
    case 101:
        return kUpdateCDImage | kUpdateScratch;
    case 164: // only the finished picture carries the resolution
        return kUpdateFinish;
    case 121: case 122: case 123: case 131: case 132: case 133: case 134:
        return kUpdatePageEdges | kUpdateScratch;
    case 155:
        return kUpdateBackground | kUpdateScratch;
    default:
        break;
    }
    if (InRange(id, 31, 37) || InRange(id, 181, 185)) return kUpdateFinish;
    if (InRange(id, 141, 147) || InRange(id, 151, 154) || InRange(id, 161, 163) || InRange(id, 171, 173))
        return kUpdateScratch;
    return kUpdateLayout;
}

using VN = SettingValueName;

constexpr VN kDetail[] = {{"Standard", 0}, {"Enhanced", 1}};
constexpr VN kBevelStyle[] = {{"Buttonize", 1}, {"Color Fade", 3}, {"Indent", 2}};
constexpr VN kColorEffectStyle[] = {{"Black and White Negative", 4}, {"Color Negative", 3}, {"Colorize", 1},
                                    {"Emboss", 5}, {"Gray Scale", 2}};
constexpr VN kLensFlareBlending[] = {{"Additive", 2}, {"Alpha", 1}, {"Subtractive", 3}};
constexpr VN kTablePosition[] = {{"Beneath (Horizontal Table)", 0}, {"Behind (Vertical Table)", 1}};
constexpr VN kShadowStyle[] = {{"Cut Shadows", 0}, {"Good", 1}, {"Very Good", 2}, {"Best", 3}, {"Studio", 4}};
// 0 keeps the observer at the fixed distance of setting 93 (projects made
// before the lens existed); the others are focal lengths in mm on 35 mm film.
constexpr VN kLens[] = {{"Fixed Distance", 0}, {"24 mm (Wide Angle)", 24}, {"35 mm", 35}, {"50 mm (Normal)", 50},
                        {"85 mm", 85}, {"100 mm (Product)", 100}, {"135 mm", 135}, {"200 mm (Telephoto)", 200}};
constexpr VN kTextureFiltering[] = {{"Nearest", 0}, {"Smooth", 1}};
// 0 lights the faces by the shadow lights of the light grid (projects made
// before the studio presets); the others are the presets of StudioLighting.
constexpr VN kBackdrop[] = {{"Plain", 0}, {"Studio Sweep", 1}};
constexpr VN kLighting[] = {{"Shadow Lights", 0}, {"Studio", 1}, {"Soft Window", 2}, {"Dramatic", 3}};
constexpr VN kBinderType[] = {{"None", 0}, {"Spiral Bound", 1}, {"Comb Bound", 2}};
constexpr VN kCDPositionBook[] = {{"In Front Of Book", 0}, {"Inside Front Cover", 2}, {"Middle", 3},
                                  {"Inside Back Cover", 4}, {"Behind The Book", 5}};
constexpr VN kCDPositionBox[] = {{"In Front Of Box", 0}, {"Inside Front", 1}, {"Inside Middle", 3},
                                 {"Inside Back", 5}};
constexpr VN kScaleDivisor[] = {{"X 1", 1}, {"X 1/2", 2}, {"X 1/4", 4}, {"X 1/8", 8}, {"X 1/16", 16}};
constexpr VN kMultiplier[] = {{"X 1", 1},   {"X 2", 2},   {"X 3", 3},   {"X 4", 4},   {"X 5", 5},   {"X 6", 6},
                              {"X 7", 7},   {"X 8", 8},   {"X 9", 9},   {"X 10", 10}, {"X 11", 11}, {"X 12", 12},
                              {"X 13", 13}, {"X 14", 14}, {"X 15", 15}, {"X 16", 16}};

using T = SettingType;
using R = RangeKind;
using C = ChoiceList;

// id, label, section, edit label, type, int default, real default, text default,
// range kind, minimum, maximum, unit, choice list
constexpr SettingInfo kSettings[] = {
    {192, "Detail", "Rendering Options", "Detail", T::Choice, 0, 0, "", R::None, 0, 0, "", C::Detail},
    {191, "Soften Edges", "Rendering Options", "Soften Edges", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {193, "Shading", "Rendering Options", "Shading", T::Integer, 50, 0, "", R::Fixed, 0, 100, "%", C::None},
    {194, "Texture Filtering", "Rendering Options", "Texture Filtering", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::TextureFiltering},
    {212, "Backdrop", "Rendering Options", "Backdrop", T::Choice, 0, 0, "", R::None, 0, 0, "", C::Backdrop},
    {211, "Lighting", "Rendering Options", "Lighting", T::Choice, 0, 0, "", R::None, 0, 0, "", C::Lighting},
    {11, "Bevel", "Bevel", "Bevel", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {12, "Style", "Bevel", "Bevel Style", T::Choice, 1, 0, "", R::None, 0, 0, "", C::BevelStyle},
    {13, "Size", "Bevel", "Bevel Size", T::Integer, 10, 0, "", R::BorderLimit, 1, 0, "pixels", C::None},
    {14, "Color", "Bevel", "Bevel Color", T::Colour, 0xFFFFFF, 0, "", R::None, 0, 0, "", C::None},
    {1, "Borders", "Borders", "Borders", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {2, "Size", "Borders", "Border Size", T::Integer, 1, 0, "", R::BorderLimit, 1, 0, "pixels", C::None},
    {3, "Color", "Borders", "Border Color", T::Colour, 0x000000, 0, "", R::None, 0, 0, "", C::None},
    {181, "Brightness", "Color Balance", "Brightness", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%", C::None},
    {182, "Contrast", "Color Balance", "Contrast", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%", C::None},
    {183, "Red", "Color Balance", "Red Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%", C::None},
    {184, "Green", "Color Balance", "Green Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%", C::None},
    {185, "Blue", "Color Balance", "Blue Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%", C::None},
    {21, "Color Effect", "Color Effect", "Color Effect", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {22, "Effect Style", "Color Effect", "Color Effect Style", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::ColorEffectStyle},
    {23, "Color", "Color Effect", "Color Effect Color", T::Colour, 0x00FF00, 0, "", R::None, 0, 0, "", C::None},
    {31, "Lens Flare", "Lens Flare", "Lens Flare", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {32, "Intensity", "Lens Flare", "Lens Flare Intensity", T::Integer, 100, 0, "", R::Fixed, 50, 200, "%",
     C::None},
    {33, "", "", "", T::Real, 0, 0.8, "", R::None, 0, 0, "", C::None},
    {34, "", "", "", T::Real, 0, 0.7, "", R::None, 0, 0, "", C::None},
    {35, "Color", "Lens Flare", "Lens Flare Color", T::Colour, 0x00FFFF, 0, "", R::None, 0, 0, "", C::None},
    {36, "Blending", "Lens Flare", "Lens Flare Blending", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::LensFlareBlending},
    {37, "Alpha Mix", "Lens Flare", "Lens Flare Alpha Mix", T::Integer, 128, 0, "", R::Fixed, 1, 255, "", C::None},
    {53, "Table Position", "Object Positioning", "Table Position", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::TablePosition},
    {51, "Above Table", "Object Positioning", "Above Table", T::Integer, 0, 0, "", R::Fixed, 0, 100, "", C::None},
    {41, "X Rotation", "Object Positioning", "X Rotation", T::Integer, 10, 0, "", R::Fixed, -60, 60, "degrees",
     C::None},
    {42, "Y Rotation", "Object Positioning", "Y Rotation", T::Integer, 25, 0, "", R::Fixed, -60, 60, "degrees",
     C::None},
    {43, "Z Rotation", "Object Positioning", "Z Rotation", T::Integer, 15, 0, "", R::Fixed, -60, 60, "degrees",
     C::None},
    {111, "Binder Type", "Object Properties", "Binder Type", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::BinderType},
    {112, "", "", "", T::Integer, 50, 0, "", R::None, 0, 0, "", C::None},
    {113, "", "", "", T::Integer, 70, 0, "", R::None, 0, 0, "", C::None},
    {114, "Binder Color", "Object Properties", "Binder Color", T::Colour, 0x000000, 0, "", R::None, 0, 0, "",
     C::None},
    {102, "CD Position", "Object Properties", "CD Position", T::Choice, 5, 0, "", R::None, 0, 0, "",
     C::CDPositionBook},
    {213, "Edge Radius", "Object Properties", "Edge Radius", T::Integer, 0, 0, "", R::Fixed, 0, 10, "mm", C::None},
    {201, "Folds Shown", "Object Properties", "Folds Shown", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {202, "Folds Color", "Object Properties", "Folds Color", T::Colour, 0xFFFFFF, 0, "", R::None, 0, 0, "",
     C::None},
    {91, "X Position", "Observer Position", "Observer X Position", T::Integer, 0, 0, "", R::Fixed, -100, 100, "",
     C::None},
    {92, "Y Position", "Observer Position", "Observer Y Position", T::Integer, 0, 0, "", R::Fixed, 0, 100, "",
     C::None},
    {93, "", "", "", T::Integer, 500, 0, "", R::None, 0, 0, "", C::None},
    {94, "Lens", "Observer Position", "Lens", T::Choice, 100, 0, "", R::None, 0, 0, "", C::Lens},
    {210, "Framing", "Observer Position", "Framing", T::Integer, 0, 0, "", R::Fixed, 0, 40, "%", C::None},
    {95, "Elevation", "Observer Position", "Camera Elevation", T::Integer, 20, 0, "", R::Fixed, 0, 60, "degrees",
     C::None},
    {61, "Reflection", "Reflection", "Reflection", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {62, "Top Fade", "Reflection", "Reflection Top Fade", T::Integer, 128, 0, "", R::Fixed, 1, 255, "", C::None},
    {63, "Bottom Fade", "Reflection", "Reflection Bottom Fade", T::Integer, 255, 0, "", R::Fixed, 1, 255, "",
     C::None},
    {64, "Ripple", "Reflection", "Reflection Ripple", T::Boolean, 1, 0, "", R::None, 0, 0, "", C::None},
    {71, "Shadows", "Shadows", "Shadows", T::Boolean, 1, 0, "", R::None, 0, 0, "", C::None},
    {81, "Lights", "Shadows", "Lights", T::Lights, 0x100, 0, "", R::None, 0, 0, "", C::None},
    {72, "Color", "Shadows", "Shadow Color", T::Colour, 0x808080, 0, "", R::None, 0, 0, "", C::None},
    {73, "Style", "Shadows", "Shadow Style", T::Choice, 3, 0, "", R::None, 0, 0, "", C::ShadowStyle},
    {74, "Softness", "Shadows", "Shadow Softness", T::Integer, 8, 0, "", R::Fixed, 0, 50, "%", C::None},
    {121, "Paper Color", "Page Settings", "Pages' Paper Color", T::Colour, 0xE0E0E0, 0, "", R::None, 0, 0, "",
     C::None},
    {122, "Page Edges", "Page Settings", "Page Edges", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None},
    {123, "Edge Color", "Page Settings", "Page Edge Color", T::Colour, 0xC0C0C0, 0, "", R::None, 0, 0, "",
     C::None},
    {131, "Page Depth %", "Page Settings", "Front Cover", T::Integer, 10, 0, "", R::None, 0, 0, "%", C::None},
    {132, "Page Depth %", "Page Settings", "Back Cover", T::Integer, 10, 0, "", R::None, 0, 0, "%", C::None},
    {133, "Page Depth %", "Page Settings", "Pages", T::Integer, 80, 0, "", R::None, 0, 0, "%", C::None},
    {134, "Page Depth %", "Page Settings", "Page Depth Percentages", T::None, 0, 0, "", R::None, 0, 0, "",
     C::None},
    {101, "Image", "CD-ROM", "CD-ROM Image", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {141, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {142, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {143, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {144, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {145, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {146, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {147, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None},
    {151, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {152, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {153, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {154, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {155, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None},
    {161, "", "", "", T::Integer, 400, 0, "", R::None, 0, 0, "", C::None},
    {162, "", "", "", T::Integer, 400, 0, "", R::None, 0, 0, "", C::None},
    {163, "", "", "", T::Integer, 4, 0, "", R::None, 0, 0, "", C::None},
    {164, "Resolution", "Rendering Options", "Resolution", T::Integer, 300, 0, "", R::Fixed, kMinResolution,
     kMaxResolution, "dpi", C::None},
    {171, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None},
    {172, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None},
    {173, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None},
};

constexpr std::uint32_t kStartOrder[] = {
    191, 192, 201, 202, 53, 71, 72, 73, 61, 62, 63, 64, 141, 142, 143, 144, 145, 146, 147,
    11, 12, 13, 14, 1, 2, 3, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37, 41, 42, 43, 91, 92, 93,
    51, 81, 131, 132, 133, 121, 123, 122, 101, 102, 111, 112, 113, 114, 155, 151, 152, 153, 154,
    171, 172, 173, 161, 162, 163, 164, 181, 182, 183, 184, 185,
    // Added later; projects saved before them lack them and read 0, the
    // behaviour from before (unlit faces, nearest texels, the fixed observer
    // distance, a level eye, the fixed shadow spread).
    193, 194, 94, 95, 74,
    // Start at 0, the behaviour before them (the square fit, faces lit by
    // the shadow lights, a plain background); new projects set the studio
    // look (ApplyNewProjectView, the effects page).
    210, 211, 212,
    // 213 "Edge Radius" has no start value: a project that lacks it keeps
    // the sharp edges and the face outlines drawn before it existed, while any
    // stored value (0 too) draws every pixel a face's outline touches.
};

}  // namespace

unsigned GetUpdateClass(std::uint32_t id) noexcept { return ModelPart(id) | PicturePart(id); }

ValueNameList GetValueNames(ChoiceList list) noexcept {
    switch (list) {
    case ChoiceList::Detail: return kDetail;
    case ChoiceList::BevelStyle: return kBevelStyle;
    case ChoiceList::ColorEffectStyle: return kColorEffectStyle;
    case ChoiceList::LensFlareBlending: return kLensFlareBlending;
    case ChoiceList::TablePosition: return kTablePosition;
    case ChoiceList::ShadowStyle: return kShadowStyle;
    case ChoiceList::BinderType: return kBinderType;
    case ChoiceList::CDPositionBook: return kCDPositionBook;
    case ChoiceList::CDPositionBox: return kCDPositionBox;
    case ChoiceList::Lens: return kLens;
    case ChoiceList::TextureFiltering: return kTextureFiltering;
    case ChoiceList::Lighting: return kLighting;
    case ChoiceList::Backdrop: return kBackdrop;
    case ChoiceList::ScaleDivisor: return kScaleDivisor;
    case ChoiceList::Multiplier: return kMultiplier;
    case ChoiceList::None: break;
    }
    return {};
}

std::string GetValueName(ChoiceList list, int value) {
    for (const SettingValueName& vn : GetValueNames(list))
        if (vn.value == value) return vn.name;
    return {};
}

std::span<const SettingInfo> GetSettingTable() noexcept { return kSettings; }

const SettingInfo* FindSetting(std::uint32_t id) noexcept {
    for (const SettingInfo& info : kSettings)
        if (info.id == id) return &info;
    return nullptr;
}

int GetBorderBevelLimit(int renderWidth, int renderHeight) noexcept {
    const int w = renderWidth / 4;  // C++ division truncates toward zero
    const int h = renderHeight / 4;
    return w < h ? w : h;
}

std::span<const std::uint32_t> GetStartValueOrder() noexcept { return kStartOrder; }

void ApplyStartValues(SettingStore& store) {
    for (std::uint32_t id : kStartOrder) {
        const SettingInfo* info = FindSetting(id);
        if (!info) continue;
        const SettingKey key = ModelKey(id);
        switch (info->type) {
        case SettingType::Real: store.SetReal(key, info->defaultReal); break;
        case SettingType::Text: store.SetText(key, info->defaultText); break;
        case SettingType::None: break;
        default: store.SetInt(key, info->defaultInt); break;
        }
    }
}

std::string FormatPageDepths(const SettingStore& store) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d%% / %d%% / %d%%", store.GetInt(ModelKey(kSetPageDepthFront)),
                  store.GetInt(ModelKey(kSetPageDepthPages)), store.GetInt(ModelKey(kSetPageDepthBack)));
    return buf;
}
