#include "properties/PageChecks.h"

#include "properties/settings/SettingChecks.h"
#include "properties/settings/SettingTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Model-level setting numbers the pages fill.
constexpr std::uint32_t kBorders = 1, kBorderSize = 2, kBorderColor = 3;
constexpr std::uint32_t kBevel = 11, kBevelStyle = 12, kBevelSize = 13, kBevelColor = 14;
constexpr std::uint32_t kColorEffect = 21, kColorEffectStyle = 22, kColorEffectColor = 23;
constexpr std::uint32_t kLensFlare = 31, kLensFlareIntensity = 32, kLensFlareColor = 35, kLensFlareBlending = 36;
constexpr std::uint32_t kTablePosition = 53;
constexpr std::uint32_t kReflection = 61, kTopFade = 62, kBottomFade = 63, kRipple = 64;
constexpr std::uint32_t kShadows = 71, kShadowColor = 72, kShadowStyle = 73, kLights = 81;
constexpr std::uint32_t kPaperColor = 121, kPageEdges = 122, kEdgeColor = 123;
constexpr std::uint32_t kFrontCover = 131, kBackCover = 132, kPages = 133;

constexpr std::uint32_t kDefaultLight = 0x100;  // column 3, row 1
constexpr std::uint32_t kLightMask = 0x1FFFFFF; // 25 positions
constexpr int kStyleColorize = 1;

std::string Trim(const std::string& text)
{
    const char* spaces = " \t\r\n";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

// Parses text that must be exactly the decimal form of a 32-bit value.
bool ParseExactInt(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    if (std::to_string(parsed) != text)
        return false; // "+5", "007", " 5" and the like
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

PageLeave CheckWholeNumberField(const std::string& text, int minimum, int maximum, const std::string& label,
                                const std::string& unit, int& value)
{
    const IntFieldResult r = ValidateIntField(text, minimum, maximum, label, unit);
    if (!r.ok)
        return PageLeave::Refuse(r.message);
    value = r.value;
    return PageLeave::Accept();
}

// ---- Effects ------------------------------------------------------------------------

EffectsPageValues EffectsPageValues::FromStore(const SettingStore& store)
{
    EffectsPageValues v;
    v.shadows = store.GetInt(ModelKey(kShadows)) != 0;
    v.lights = static_cast<std::uint32_t>(store.GetInt(ModelKey(kLights)));
    v.shadowColor = static_cast<COLORREF>(store.GetInt(ModelKey(kShadowColor)));
    v.shadowStyle = store.GetInt(ModelKey(kShadowStyle));
    v.tablePosition = store.GetInt(ModelKey(kTablePosition));
    v.reflection = store.GetInt(ModelKey(kReflection)) != 0;
    v.topFade = store.GetInt(ModelKey(kTopFade));
    v.bottomFade = store.GetInt(ModelKey(kBottomFade));
    v.ripple = store.GetInt(ModelKey(kRipple)) != 0;
    v.shadowSoftness = store.GetInt(ModelKey(kSetShadowSoftness));
    v.shading = store.GetInt(ModelKey(kSetShading));
    v.textureFiltering = store.GetInt(ModelKey(kSetTextureFiltering));
    v.framing = store.GetInt(ModelKey(kSetFraming));
    v.lighting = store.GetInt(ModelKey(kSetLighting));
    v.backdrop = store.GetInt(ModelKey(kSetBackdrop));
    v.edgeRadius = store.GetInt(ModelKey(kSetEdgeRadius));
    v.finish = store.GetInt(ModelKey(kSetFinish));
    v.falloff = store.GetInt(ModelKey(kSetFalloff));
    return v;
}

unsigned EffectsPageValues::Store(SettingStore& store) const
{
    unsigned update = 0;
    update |= store.SetInt(ModelKey(kShadows), shadows ? 1 : 0);
    update |= store.SetInt(ModelKey(kLights), static_cast<std::int32_t>(lights));
    update |= store.SetInt(ModelKey(kShadowColor), static_cast<std::int32_t>(shadowColor));
    update |= store.SetInt(ModelKey(kShadowStyle), shadowStyle);
    update |= store.SetInt(ModelKey(kTablePosition), tablePosition);
    update |= store.SetInt(ModelKey(kReflection), reflection ? 1 : 0);
    update |= store.SetInt(ModelKey(kTopFade), topFade);
    update |= store.SetInt(ModelKey(kBottomFade), bottomFade);
    update |= store.SetInt(ModelKey(kRipple), ripple ? 1 : 0);
    update |= store.SetInt(ModelKey(kSetShadowSoftness), std::clamp(shadowSoftness, 0, 50));
    update |= store.SetInt(ModelKey(kSetShading), std::clamp(shading, 0, 100));
    update |= store.SetInt(ModelKey(kSetTextureFiltering), textureFiltering == 1 ? 1 : 0);
    update |= store.SetInt(ModelKey(kSetFraming), std::clamp(framing, 0, 40));
    update |= store.SetInt(ModelKey(kSetLighting), std::clamp(lighting, 0, 3));
    update |= store.SetInt(ModelKey(kSetBackdrop), backdrop == 1 ? 1 : 0);
    update |= store.SetInt(ModelKey(kSetEdgeRadius), std::clamp(edgeRadius, 0, 10));
    update |= store.SetInt(ModelKey(kSetFinish), std::clamp(finish, 0, 3));
    update |= store.SetInt(ModelKey(kSetFalloff), std::clamp(falloff, 0, 40));
    return update;
}

PageLeave LeaveEffectsPage(const EffectsPageValues& controls, EffectsPageValues& stored)
{
    EffectsPageValues result = controls;
    if (controls.shadows) {
        if (const CheckResult lights = CheckLights(controls.lights); !lights.accepted)
            return PageLeave::Refuse(lights.message);
        result.lights = controls.lights & kLightMask;
    } else {
        result.lights = kDefaultLight;
        result.shadowColor = 0x808080;
        result.shadowStyle = 4;
        result.tablePosition = 0;
    }
    if (const CheckResult colour = CheckShadowColor(result.shadowColor, CheckPlace::EffectsPage); !colour.accepted)
        return PageLeave::Refuse(colour.message);
    if (const CheckResult table = CheckReflectionWithTable(result.reflection, result.shadows, result.tablePosition);
        !table.accepted)
        return PageLeave::Refuse(table.message);
    stored = result;
    return PageLeave::Accept();
}

EffectsPageEnabling GetEffectsPageEnabling(bool shadows, bool reflection) noexcept
{
    return EffectsPageEnabling{shadows, reflection};
}

// ---- Effects 2 ----------------------------------------------------------------------

unsigned Effects2PageValues::Store(SettingStore& store) const
{
    unsigned update = 0;
    update |= store.SetInt(ModelKey(kBevel), bevel ? 1 : 0);
    update |= store.SetInt(ModelKey(kBevelStyle), bevelStyle);
    update |= store.SetInt(ModelKey(kBevelSize), bevelSize);
    update |= store.SetInt(ModelKey(kBevelColor), static_cast<std::int32_t>(bevelColor));
    update |= store.SetInt(ModelKey(kBorders), borders ? 1 : 0);
    update |= store.SetInt(ModelKey(kBorderSize), borderSize);
    update |= store.SetInt(ModelKey(kBorderColor), static_cast<std::int32_t>(borderColor));
    update |= store.SetInt(ModelKey(kColorEffect), colorEffect ? 1 : 0);
    update |= store.SetInt(ModelKey(kColorEffectStyle), colorEffectStyle);
    update |= store.SetInt(ModelKey(kColorEffectColor), static_cast<std::int32_t>(colorEffectColor));
    update |= store.SetInt(ModelKey(kLensFlare), lensFlare ? 1 : 0);
    update |= store.SetInt(ModelKey(kLensFlareIntensity), lensFlareIntensity);
    update |= store.SetInt(ModelKey(kLensFlareColor), static_cast<std::int32_t>(lensFlareColor));
    update |= store.SetInt(ModelKey(kLensFlareBlending), lensFlareBlending);
    return update;
}

PageLeave LeaveEffects2Page(const Effects2PageControls& c, int renderWidth, int renderHeight,
                            const PageQuestion& ask, Effects2PageValues& stored)
{
    Effects2PageValues v;
    v.lensFlare = c.lensFlare;
    if (c.lensFlare) {
        v.lensFlareIntensity = c.lensFlareIntensity;
        v.lensFlareColor = c.lensFlareColor;
        v.lensFlareBlending = c.lensFlareBlending;
    } else {
        v.lensFlareIntensity = 100;
        v.lensFlareColor = 0x00FFFF;
        v.lensFlareBlending = 2;
    }

    v.colorEffect = c.colorEffect;
    if (c.colorEffect) {
        v.colorEffectStyle = c.colorEffectStyle;
        v.colorEffectColor = c.colorEffectColor & 0xFFFFFF;
        if (c.colorEffectStyle == kStyleColorize) {
            const CheckResult colour = CheckColorizeColor(v.colorEffectColor, CheckPlace::EffectsPage, ask);
            if (!colour.accepted)
                return PageLeave::Refuse(colour.message);
        }
    } else {
        v.colorEffectStyle = 2;
        v.colorEffectColor = 0x00FF00;
    }

    const int limit = GetBorderBevelLimit(renderWidth, renderHeight);
    v.bevel = c.bevel;
    if (c.bevel) {
        v.bevelStyle = c.bevelStyle;
        v.bevelColor = c.bevelColor;
        PageLeave check = CheckWholeNumberField(c.bevelSizeText, 1, limit, "Bevel Size", "pixels", v.bevelSize);
        if (!check.ok) {
            check.focusField = kEffects2FieldBevelSize;
            return check;
        }
    } else {
        v.bevelStyle = 1;
        v.bevelSize = 10;
        v.bevelColor = 0xFFFFFF;
    }

    v.borders = c.borders;
    if (c.borders) {
        v.borderColor = c.borderColor;
        PageLeave check =
            CheckWholeNumberField(c.borderSizeText, 1, limit, "Border Size", "pixels", v.borderSize);
        if (!check.ok) {
            check.focusField = kEffects2FieldBorderSize;
            return check;
        }
    } else {
        v.borderColor = 0;
        v.borderSize = 1;
    }
    stored = v;
    return PageLeave::Accept();
}

Effects2PageEnabling GetEffects2PageEnabling(bool bevel, bool colorEffect, int colorEffectStyle) noexcept
{
    return Effects2PageEnabling{bevel, colorEffect && colorEffectStyle == kStyleColorize};
}

// ---- Size ---------------------------------------------------------------------------

PageLeave LeaveSizePage(const SizePageControls& c, const PageQuestion& ask, SizePageValues& stored)
{
    constexpr int kMaximum = 300; // millimetres
    const int minimum = c.minimum < 1 ? 1 : c.minimum;
    SizePageValues v;
    struct Field {
        int catalogue;
        const std::string* text;
        const char* label;
        int* value;
        int focus;
    };
    const Field fields[] = {
        {c.catalogueWidth, &c.widthText, "Width", &v.width, kSizeFieldWidth},
        {c.catalogueHeight, &c.heightText, "Height", &v.height, kSizeFieldHeight},
        {c.catalogueDepth, &c.depthText, "Depth", &v.depth, kSizeFieldDepth},
    };
    for (const Field& f : fields) {
        // Catalogue value 0: no such dimension (hidden); positive: fixed by the model.
        if (f.catalogue == 0)
            continue;
        if (f.catalogue > 0) {
            *f.value = f.catalogue;
            continue;
        }
        PageLeave check = CheckWholeNumberField(*f.text, minimum, kMaximum, f.label, "", *f.value);
        if (!check.ok) {
            check.focusField = f.focus;
            return check;
        }
    }

    if (c.binder) {
        // The binding's radius: half the depth across the diagonal, whole millimetres.
        const int r = static_cast<int>(v.depth * 0.5 * 1.414213562);
        if (v.width <= r + 1)
            return PageLeave::Refuse("You can not make a Binder with these dimensions.\n\n"
                                     "Please enter a higher Width or lower Depth value.",
                                     kSizeFieldWidth);
        const char* question = nullptr;
        if (c.hasCD && v.width - r < 62)
            question = "If you do not increase the Width or decrease the Depth, the Binding will overlap "
                       "with the CD-ROM.\n\nDo you really want to do this?";
        else if (2 * v.depth >= v.width)
            question = "To make the Binding fit the current Width and Depth, it will have to be very "
                       "large, and possibly out of proportion, as compared to the covers.\n\n"
                       "Do you really want to do this?";
        if (question && !(ask && ask(question)))
            return PageLeave::Refuse("", kSizeFieldWidth);
    }
    stored = v;
    return PageLeave::Accept();
}

// ---- Pages --------------------------------------------------------------------------

PagesTotal GetPagesTotal(const std::string& frontCover, const std::string& pages, const std::string& backCover)
{
    int a = 0, b = 0, c = 0;
    if (ParseExactInt(Trim(frontCover), a) && ParseExactInt(Trim(pages), b) && ParseExactInt(Trim(backCover), c) &&
        a >= 0 && b >= 0 && c >= 0 && a + b + c == 100)
        return PagesTotal{"100", true};
    return PagesTotal{"ERROR", false};
}

unsigned PagesPageValues::Store(SettingStore& store) const
{
    unsigned update = 0;
    update |= store.SetInt(ModelKey(kPaperColor), static_cast<std::int32_t>(paperColor));
    update |= store.SetInt(ModelKey(kPageEdges), pageEdges ? 1 : 0);
    update |= store.SetInt(ModelKey(kEdgeColor), static_cast<std::int32_t>(edgeColor));
    update |= store.SetInt(ModelKey(kFrontCover), frontCover);
    update |= store.SetInt(ModelKey(kPages), pages);
    update |= store.SetInt(ModelKey(kBackCover), backCover);
    return update;
}

// ---- List pages, Side page ----------------------------------------------------------

PageLeave LeaveListPage(bool itemChosen)
{
    return itemChosen ? PageLeave::Accept() : PageLeave::Refuse("Please select an item.");
}

PageLeave LeaveSidePage(const std::string& style, bool textureChosen)
{
    if (style == "Texture" && !textureChosen)
        return PageLeave::Refuse("Please select a texture.");
    return PageLeave::Accept();
}

// ---- Back Render --------------------------------------------------------------------

const char* const kBackRenderFixedNote =
    "These settings can not be edited because they are fixed at the size of the background image that you chose";

PageLeave LeaveBackRenderPage(const BackRenderControls& c, BackRenderValues& stored)
{
    if (c.fixedByPicture) {
        if (c.pictureWidth <= 0 || c.pictureHeight <= 0)
            return PageLeave::Refuse("The background picture has no size.");
        stored = BackRenderValues{c.pictureWidth, c.pictureHeight};
        return PageLeave::Accept();
    }
    BackRenderValues v;
    PageLeave check = CheckWholeNumberField(c.widthText, kMinRenderSide, kMaxRenderSide, "Width", "pixels", v.width);
    if (!check.ok) {
        check.focusField = 0;
        return check;
    }
    check = CheckWholeNumberField(c.heightText, kMinRenderSide, kMaxRenderSide, "Height", "pixels", v.height);
    if (!check.ok) {
        check.focusField = 1;
        return check;
    }
    stored = v;
    return PageLeave::Accept();
}
