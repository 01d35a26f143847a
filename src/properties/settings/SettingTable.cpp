#include "properties/settings/SettingTable.h"

#include "properties/settings/SettingStore.h"

#include <array>
#include <cstdio>

namespace {

// Both cached models (preview and render) depend on the setting.
constexpr unsigned kModels = kUpdatePreviewModel | kUpdateRenderModel;

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
constexpr VN kFinish[] = {{"Matte", 0}, {"Satin", 1}, {"Gloss", 2}, {"Shrink-Wrap", 3}};
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
// range kind, minimum, maximum, unit, choice list, update class (what a change
// makes stale: the model bits for what moves the solid, the picture bits for
// what must be redrawn)
constexpr SettingInfo kSettings[] = {
    {192, "Detail", "Rendering Options", "Detail", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::Detail, kUpdateRenderModel | kUpdateLayout},
    {191, "Soften Edges", "Rendering Options", "Soften Edges", T::Boolean, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdateRenderModel | kUpdateLayout},
    {193, "Shading", "Rendering Options", "Shading", T::Integer, 50, 0, "", R::Fixed, 0, 100, "%",
     C::None, kUpdateRenderModel | kUpdateScratch},
    {194, "Texture Filtering", "Rendering Options", "Texture Filtering", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::TextureFiltering, kUpdateRenderModel | kUpdateScratch},
    {212, "Backdrop", "Rendering Options", "Backdrop", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::Backdrop, kUpdateScratch},
    {211, "Lighting", "Rendering Options", "Lighting", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::Lighting, kUpdateRenderModel | kUpdateScratch},
    {214, "Finish", "Rendering Options", "Finish", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::Finish, kUpdateRenderModel | kUpdateScratch},
    {215, "Light Fall-off", "Rendering Options", "Light Fall-off", T::Integer, 0, 0, "", R::Fixed, 0, 40, "%",
     C::None, kUpdateRenderModel | kUpdateScratch},
    {216, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None,
     kUpdateRenderModel | kUpdateScratch},
    {217, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None,
     kUpdateRenderModel | kUpdateScratch},
    {11, "Bevel", "Bevel", "Bevel", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {12, "Style", "Bevel", "Bevel Style", T::Choice, 1, 0, "", R::None, 0, 0, "", C::BevelStyle, kUpdateFinish},
    {13, "Size", "Bevel", "Bevel Size", T::Integer, 10, 0, "", R::BorderLimit, 1, 0, "pixels",
     C::None, kModels | kUpdateLayout},
    {14, "Color", "Bevel", "Bevel Color", T::Colour, 0xFFFFFF, 0, "", R::None, 0, 0, "", C::None, kUpdateFinish},
    {1, "Borders", "Borders", "Borders", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {2, "Size", "Borders", "Border Size", T::Integer, 1, 0, "", R::BorderLimit, 1, 0, "pixels",
     C::None, kModels | kUpdateLayout},
    {3, "Color", "Borders", "Border Color", T::Colour, 0x000000, 0, "", R::None, 0, 0, "", C::None, kUpdateFinish},
    {181, "Brightness", "Color Balance", "Brightness", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%",
     C::None, kUpdateFinish},
    {182, "Contrast", "Color Balance", "Contrast", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%",
     C::None, kUpdateFinish},
    {183, "Red", "Color Balance", "Red Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%",
     C::None, kUpdateFinish},
    {184, "Green", "Color Balance", "Green Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%",
     C::None, kUpdateFinish},
    {185, "Blue", "Color Balance", "Blue Color Balance", T::Integer, 100, 0, "", R::Fixed, 50, 150, "%",
     C::None, kUpdateFinish},
    {21, "Color Effect", "Color Effect", "Color Effect", T::Boolean, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdateFinish},
    {22, "Effect Style", "Color Effect", "Color Effect Style", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::ColorEffectStyle, kUpdateFinish},
    {23, "Color", "Color Effect", "Color Effect Color", T::Colour, 0x00FF00, 0, "", R::None, 0, 0, "",
     C::None, kUpdateFinish},
    {31, "Lens Flare", "Lens Flare", "Lens Flare", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateFinish},
    {32, "Intensity", "Lens Flare", "Lens Flare Intensity", T::Integer, 100, 0, "", R::Fixed, 50, 200, "%",
     C::None, kUpdateFinish},
    {33, "", "", "", T::Real, 0, 0.8, "", R::None, 0, 0, "", C::None, kUpdateFinish},
    {34, "", "", "", T::Real, 0, 0.7, "", R::None, 0, 0, "", C::None, kUpdateFinish},
    {35, "Color", "Lens Flare", "Lens Flare Color", T::Colour, 0x00FFFF, 0, "", R::None, 0, 0, "",
     C::None, kUpdateFinish},
    {36, "Blending", "Lens Flare", "Lens Flare Blending", T::Choice, 1, 0, "", R::None, 0, 0, "",
     C::LensFlareBlending, kUpdateFinish},
    {37, "Alpha Mix", "Lens Flare", "Lens Flare Alpha Mix", T::Integer, 128, 0, "", R::Fixed, 1, 255, "",
     C::None, kUpdateFinish},
    {53, "Table Position", "Object Positioning", "Table Position", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::TablePosition, kModels | kUpdateLayout},
    {51, "Above Table", "Object Positioning", "Above Table", T::Integer, 0, 0, "", R::Fixed, 0, 100, "",
     C::None, kModels | kUpdateLayout},
    {41, "X Rotation", "Object Positioning", "X Rotation", T::Integer, 10, 0, "", R::Fixed, -60, 60, "degrees",
     C::None, kModels | kUpdateLayout},
    // A whole turn, so that the back shows.
    {42, "Y Rotation", "Object Positioning", "Y Rotation", T::Integer, 25, 0, "", R::Fixed, -180, 180, "degrees",
     C::None, kModels | kUpdateLayout},
    {43, "Z Rotation", "Object Positioning", "Z Rotation", T::Integer, 15, 0, "", R::Fixed, -60, 60, "degrees",
     C::None, kModels | kUpdateLayout},
    {111, "Binder Type", "Object Properties", "Binder Type", T::Choice, 0, 0, "", R::None, 0, 0, "",
     C::BinderType, kModels | kUpdateLayout},
    {112, "", "", "", T::Integer, 50, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {113, "", "", "", T::Integer, 70, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {114, "Binder Color", "Object Properties", "Binder Color", T::Colour, 0x000000, 0, "", R::None, 0, 0, "",
     C::None, kUpdateRenderModel | kUpdateScratch},
    {102, "CD Position", "Object Properties", "CD Position", T::Choice, 5, 0, "", R::None, 0, 0, "",
     C::CDPositionBook, kModels | kUpdateLayout},
    {213, "Edge Radius", "Object Properties", "Edge Radius", T::Integer, 0, 0, "", R::Fixed, 0, 10, "mm",
     C::None, kModels | kUpdateScratch},
    {201, "Folds Shown", "Object Properties", "Folds Shown", T::Boolean, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdateRenderModel | kUpdateLayout},
    {202, "Folds Color", "Object Properties", "Folds Color", T::Colour, 0xFFFFFF, 0, "", R::None, 0, 0, "",
     C::None, kUpdateRenderModel | kUpdateLayout},
    {91, "X Position", "Observer Position", "Observer X Position", T::Integer, 0, 0, "", R::Fixed, -100, 100, "",
     C::None, kModels | kUpdateLayout},
    {92, "Y Position", "Observer Position", "Observer Y Position", T::Integer, 0, 0, "", R::Fixed, 0, 100, "",
     C::None, kModels | kUpdateLayout},
    {93, "", "", "", T::Integer, 500, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {94, "Lens", "Observer Position", "Lens", T::Choice, 100, 0, "", R::None, 0, 0, "",
     C::Lens, kModels | kUpdateLayout},
    {210, "Framing", "Observer Position", "Framing", T::Integer, 0, 0, "", R::Fixed, 0, 40, "%",
     C::None, kUpdateLayout},
    {218, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateLayout},
    {219, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateRenderModel | kUpdateScratch},
    {220, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateRenderModel | kUpdateScratch},
    {221, "", "", "", T::Boolean, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateRenderModel | kUpdateScratch},
    {95, "Elevation", "Observer Position", "Camera Elevation", T::Integer, 20, 0, "", R::Fixed, 0, 60, "degrees",
     C::None, kModels | kUpdateLayout},
    {61, "Reflection", "Reflection", "Reflection", T::Boolean, 0, 0, "", R::None, 0, 0, "",
     C::None, kModels | kUpdateLayout},
    {62, "Top Fade", "Reflection", "Reflection Top Fade", T::Integer, 128, 0, "", R::Fixed, 1, 255, "",
     C::None, kUpdateScratch},
    {63, "Bottom Fade", "Reflection", "Reflection Bottom Fade", T::Integer, 255, 0, "", R::Fixed, 1, 255, "",
     C::None, kUpdateScratch},
    {64, "Ripple", "Reflection", "Reflection Ripple", T::Boolean, 1, 0, "", R::None, 0, 0, "", C::None, kUpdateScratch},
    {71, "Shadows", "Shadows", "Shadows", T::Boolean, 1, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {81, "Lights", "Shadows", "Lights", T::Lights, 0x100, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateLayout},
    {72, "Color", "Shadows", "Shadow Color", T::Colour, 0x808080, 0, "", R::None, 0, 0, "",
     C::None, kUpdateRenderModel | kUpdateScratch},
    {73, "Style", "Shadows", "Shadow Style", T::Choice, 3, 0, "", R::None, 0, 0, "",
     C::ShadowStyle, kUpdateRenderModel | kUpdateScratch},
    {74, "Softness", "Shadows", "Shadow Softness", T::Integer, 8, 0, "", R::Fixed, 0, 50, "%",
     C::None, kUpdateRenderModel | kUpdateScratch},
    {121, "Paper Color", "Page Settings", "Pages' Paper Color", T::Colour, 0xE0E0E0, 0, "", R::None, 0, 0, "",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {122, "Page Edges", "Page Settings", "Page Edges", T::Boolean, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {123, "Edge Color", "Page Settings", "Page Edge Color", T::Colour, 0xC0C0C0, 0, "", R::None, 0, 0, "",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {131, "Page Depth %", "Page Settings", "Front Cover", T::Integer, 10, 0, "", R::None, 0, 0, "%",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {132, "Page Depth %", "Page Settings", "Back Cover", T::Integer, 10, 0, "", R::None, 0, 0, "%",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {133, "Page Depth %", "Page Settings", "Pages", T::Integer, 80, 0, "", R::None, 0, 0, "%",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {134, "Page Depth %", "Page Settings", "Page Depth Percentages", T::None, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdatePageEdges | kUpdateScratch},
    {101, "Image", "CD-ROM", "CD-ROM Image", T::Text, 0, 0, "", R::None, 0, 0, "",
     C::None, kUpdateCDImage | kUpdateScratch},
    {141, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {142, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {143, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {144, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {145, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {146, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {147, "", "", "", T::Integer, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {151, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {152, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {153, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {154, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {155, "", "", "", T::Text, 0, 0, "", R::None, 0, 0, "", C::None, kUpdateBackground | kUpdateScratch},
    {161, "", "", "", T::Integer, 400, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {162, "", "", "", T::Integer, 400, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {163, "", "", "", T::Integer, 4, 0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {164, "Resolution", "Rendering Options", "Resolution", T::Integer, 300, 0, "", R::Fixed, kMinResolution,
     kMaxResolution, "dpi", C::None, kUpdateFinish},
    {171, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {172, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
    {173, "", "", "", T::Real, 0, 1.0, "", R::None, 0, 0, "", C::None, kModels | kUpdateScratch},
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
    210, 211, 212, 214, 215, 216, 217, 218, 219, 220, 221,
    // 213 "Edge Radius" has no start value: a project that lacks it keeps
    // the sharp edges and the face outlines drawn before it existed, while any
    // stored value (0 too) draws every pixel a face's outline touches.
};

}  // namespace

unsigned GetUpdateClass(std::uint32_t id) noexcept
{
    const SettingInfo* info = FindSetting(id);
    return info ? info->updateClass : kUpdateLayout;
}

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
    case ChoiceList::Finish: return kFinish;
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
