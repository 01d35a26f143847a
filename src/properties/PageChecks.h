#pragma once
// What the property pages of the new-project wizard and of the "Properties"
// dialog check when the user leaves them, and what each page stores. The
// dialogs read their controls into the value records below and call the
// Leave... function; a refused page keeps its values and shows the message.
// Questions (Yes/No, No preselected) go through the caller's callback.

#include "image/Color.h"
#include "properties/settings/SettingStore.h"

#include <cstdint>
#include <functional>
#include <string>

// The caller asks the user; true means Yes.
using PageQuestion = std::function<bool(const std::string& question)>;

struct PageLeave {
    bool ok = true;
    // Shown in a message box when the page is refused (empty: refused quietly,
    // for instance after the user answered No).
    std::string message;
    // Which field takes the focus after a refusal (-1 none; see the page).
    int focusField = -1;

    static PageLeave Accept() { return PageLeave{}; }
    static PageLeave Refuse(std::string text, int field = -1) { return PageLeave{false, std::move(text), field}; }
};

// ---- Effects ("Effects": shadows, lights, table, reflection) --------------------
struct EffectsPageValues {
    bool shadows = true;              // 71
    std::uint32_t lights = 0x80;      // 81, 25-bit mask, bit x + 5 y: above the front, the shadow falls behind the product
    COLORREF shadowColor = 0x808080;  // 72
    int shadowStyle = 4;              // 73, "Studio"
    int tablePosition = 0;            // 53, 1 = "Behind (Vertical Table)"
    bool reflection = false;          // 61
    int topFade = 128;                // 62
    int bottomFade = 255;             // 63
    bool ripple = true;               // 64
    int shadowSoftness = 8;           // 74, % of the product's size
    int shading = 50;                 // 193, %
    int textureFiltering = 1;         // 194, 1 = "Smooth"
    int framing = 8;                  // 210, % of the picture's short side
    int lighting = 1;                 // 211, 1 = "Studio"
    int backdrop = 1;                 // 212, 1 = "Studio Sweep"
    int edgeRadius = 2;               // 213, mm
    int finish = 1;                   // 214, 1 = "Satin"
    int falloff = 15;                 // 215, %

    static EffectsPageValues FromStore(const SettingStore& store);
    unsigned Store(SettingStore& store) const;
};

// Checks the controls and, when they may be left, fills `stored` with what
// the page stores (shadows off: one default light, grey shadow, "Best",
// table beneath). On refusal `stored` is untouched.
PageLeave LeaveEffectsPage(const EffectsPageValues& controls, EffectsPageValues& stored);

struct EffectsPageEnabling {
    bool shadowControls; // lights grid, colour, style, table position
    bool reflectionControls; // fades and ripple
};
EffectsPageEnabling GetEffectsPageEnabling(bool shadows, bool reflection) noexcept;

// ---- Effects 2 ("Effects": bevel, borders, colour effect, lens flare) -----------
struct Effects2PageControls {
    bool bevel = false;
    int bevelStyle = 1;
    std::string bevelSizeText = "10";
    COLORREF bevelColor = 0xFFFFFF;
    bool borders = false;
    std::string borderSizeText = "1";
    COLORREF borderColor = 0;
    bool colorEffect = false;
    int colorEffectStyle = 1;
    COLORREF colorEffectColor = 0x00FF00;
    bool lensFlare = false;
    int lensFlareIntensity = 100;
    COLORREF lensFlareColor = 0x00FFFF;
    int lensFlareBlending = 2; // "Additive": the flare brightens and never dims the picture
};

struct Effects2PageValues {
    bool bevel = false;           // 11
    int bevelStyle = 1;           // 12
    int bevelSize = 10;           // 13
    COLORREF bevelColor = 0xFFFFFF; // 14
    bool borders = false;         // 1
    int borderSize = 1;           // 2
    COLORREF borderColor = 0;     // 3
    bool colorEffect = false;     // 21
    int colorEffectStyle = 2;     // 22
    COLORREF colorEffectColor = 0x00FF00; // 23
    bool lensFlare = false;       // 31
    int lensFlareIntensity = 100; // 32
    COLORREF lensFlareColor = 0x00FFFF; // 35
    int lensFlareBlending = 2;    // 36, "Additive"

    unsigned Store(SettingStore& store) const;
};

// Field focus numbers of the Effects 2 page (a refused size takes the focus).
constexpr int kEffects2FieldBevelSize = 0;
constexpr int kEffects2FieldBorderSize = 1;

// renderWidth/Height: the rendering size in pixels that bounds the sizes.
PageLeave LeaveEffects2Page(const Effects2PageControls& controls, int renderWidth, int renderHeight,
                            const PageQuestion& ask, Effects2PageValues& stored);

struct Effects2PageEnabling {
    bool bevelControls;
    bool colorEffectColor;
};
Effects2PageEnabling GetEffects2PageEnabling(bool bevel, bool colorEffect, int colorEffectStyle) noexcept;

// ---- Size ------------------------------------------------------------------------
// Field focus numbers of the size page.
constexpr int kSizeFieldWidth = 0;
constexpr int kSizeFieldHeight = 1;
constexpr int kSizeFieldDepth = 2;

struct SizePageControls {
    // Catalogue values: positive fixed, negative editable, 0 hidden.
    int catalogueWidth = 0, catalogueHeight = 0, catalogueDepth = 0;
    std::string widthText, heightText, depthText;
    int minimum = 1;      // the model's smallest dimension in millimetres
    bool binder = false;  // the kind has a binding
    bool hasCD = false;   // the kind has a CD-ROM
};

struct SizePageValues {
    int width = 0, height = 0, depth = 0; // millimetres; 0 for a hidden field
};

PageLeave LeaveSizePage(const SizePageControls& controls, const PageQuestion& ask, SizePageValues& stored);

// ---- Pages ("Size as a Percentage of Depth") ------------------------------------
struct PagesTotal {
    std::string text; // "100" or "ERROR"
    bool canGoOn;
};
PagesTotal GetPagesTotal(const std::string& frontCover, const std::string& pages, const std::string& backCover);

struct PagesPageValues {
    // New projects: warm white paper with fine page lines (the start values
    // of the settings are a grey block without lines).
    COLORREF paperColor = 0xE6F0F4; // 121, RGB(244, 240, 230)
    bool pageEdges = true;          // 122
    COLORREF edgeColor = 0xCCD8DE;  // 123, RGB(222, 216, 204)
    int frontCover = 10;            // 131
    int pages = 80;                 // 133
    int backCover = 10;             // 132

    unsigned Store(SettingStore& store) const;
};

// ---- List pages (CD-ROM image, CD position, sub-picture) and the Side page ------
PageLeave LeaveListPage(bool itemChosen);
// style: the Side page's style list index text; "Texture" needs a chosen texture.
PageLeave LeaveSidePage(const std::string& style, bool textureChosen);

// ---- Back Render ("Final Image Size") ---------------------------------------------
struct BackRenderControls {
    std::string widthText = "400";
    std::string heightText = "400";
    // When a background picture was chosen, the size is fixed at its size.
    bool fixedByPicture = false;
    int pictureWidth = 0, pictureHeight = 0;
};
struct BackRenderValues {
    int width = 400, height = 400; // pixels
};
// The note shown instead of editable fields when the size is fixed.
extern const char* const kBackRenderFixedNote;
PageLeave LeaveBackRenderPage(const BackRenderControls& controls, BackRenderValues& stored);

// ---- Shared field check ------------------------------------------------------------
// Whole-number field: trims, then refuses empty text, text that is not exactly
// the decimal form of its value, and values outside minimum..maximum. The unit
// word (may be empty) follows the range in the message.
PageLeave CheckWholeNumberField(const std::string& text, int minimum, int maximum, const std::string& label,
                                const std::string& unit, int& value);
