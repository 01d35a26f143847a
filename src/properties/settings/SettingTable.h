#pragma once
// The model-level render settings (category 'M'): identity, labels, type,
// default, range, unit and value names of each, the update classes, and the
// start values a new product receives.

#include "properties/settings/SettingKey.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class SettingStore;

// Setting ids of category 'M'.
enum SettingId : std::uint32_t {
    kSetBorders = 1,
    kSetBorderSize = 2,
    kSetBorderColor = 3,
    kSetBevel = 11,
    kSetBevelStyle = 12,
    kSetBevelSize = 13,
    kSetBevelColor = 14,
    kSetColorEffect = 21,
    kSetColorEffectStyle = 22,
    kSetColorEffectColor = 23,
    kSetLensFlare = 31,
    kSetLensFlareIntensity = 32,
    kSetLensFlareX = 33,
    kSetLensFlareY = 34,
    kSetLensFlareColor = 35,
    kSetLensFlareBlending = 36,
    kSetLensFlareAlphaMix = 37,
    kSetXRotation = 41,
    kSetYRotation = 42,
    kSetZRotation = 43,
    kSetAboveTable = 51,
    kSetTablePosition = 53,
    kSetReflection = 61,
    kSetReflectionTopFade = 62,
    kSetReflectionBottomFade = 63,
    kSetReflectionRipple = 64,
    kSetShadows = 71,
    kSetShadowColor = 72,
    kSetShadowStyle = 73,
    kSetShadowSoftness = 74,  // % of the product's size; 0: the fixed spread of 8 units
    kSetLights = 81,
    kSetObserverX = 91,
    kSetObserverY = 92,
    kSetObserverDistance = 93,
    kSetLens = 94,            // focal length in mm (35 mm film); 0: the fixed distance of setting 93
    kSetElevation = 95,       // degrees the camera looks down onto the table; 0: level
    kSetCDImage = 101,
    kSetCDPosition = 102,
    kSetBinderType = 111,
    kSetBinderParam1 = 112,
    kSetBinderParam2 = 113,
    kSetBinderColor = 114,
    kSetPaperColor = 121,
    kSetPageEdges = 122,
    kSetPageEdgeColor = 123,
    kSetPageDepthFront = 131,
    kSetPageDepthBack = 132,
    kSetPageDepthPages = 133,
    kSetPageDepthRow = 134,  // grid row only; nothing is stored under it
    kSetFacePictureFront = 141,  // 141..147: per-face "has its own picture" flags
    kSetFacePictureLast = 147,
    kSetSubTitle = 151,          // SUBT of the model entry
    kSetSubPrompt = 152,         // SUBD
    kSetSubPattern = 153,        // SUBW
    kSetSubName = 154,           // SUBS
    kSetSubPicture = 155,        // chosen sub-picture file name
    kSetRenderWidth = 161,       // pixels
    kSetRenderHeight = 162,      // pixels
    kSetMagnification = 163,     // k of the alpha and scratch pictures
    kSetResolution = 164,        // dots per inch written into the rendered picture
    kSetProductWidth = 171,      // millimetres (real)
    kSetProductHeight = 172,
    kSetProductDepth = 173,
    kSetBrightness = 181,
    kSetContrast = 182,
    kSetRedBalance = 183,
    kSetGreenBalance = 184,
    kSetBlueBalance = 185,
    kSetSoftenEdges = 191,
    kSetDetail = 192,
    kSetShading = 193,           // % strength of the lighting of the faces; 0: unlit
    kSetTextureFiltering = 194,  // 0 nearest texel, 1 smooth (filtered picture levels)
    kSetFoldsShown = 201,
    kSetFoldsColor = 202,
    kSetFraming = 210,           // margin around the product and its shadow, % of the picture's short side; 0: the fixed square
    kSetLighting = 211,          // studio lighting preset of the faces, in linear light; 0: the shadow lights on sRGB values
    kSetBackdrop = 212,          // 1: the background is lit as a studio paper sweep; 0: plain
    kSetFalloff = 215,           // % the key light falls off across the product, in linear light; 0: even faces
    kSetFinish = 214,            // surface: 0 matte (no highlight), 1 satin, 2 gloss, 3 shrink-wrap
    kSetEdgeRadius = 213,        // mm the box edges are rounded by; 0 sharp. Its presence also closes the seams
    kSetLinearBlending = 216,    // 1: the reflection and the soft edges mix in linear light; 0: on stored levels
    kSetHighlightBand = 217,     // 1: a finish's highlight varies across each face (the soft box's band); 0: even
    kSetReflectionFraming = 218, // 1: framing centres the product and its shadow, the reflection runs below; 0: counts it
    kSetSteadyRipple = 219,      // 1: the ripple wobbles each pixel's weight about its row's; 0: carried along the row
    kSetBlockInterior = 220,     // 1: face insides are read and lit once per output pixel (k x k block); 0: per scratch pixel
    kSetCoarseEdges = 221,       // 1: at magnification 2 and above, outline pixels take 3 x 3 samples (Enhanced 5 x 5); 0: 5 x 5 (10 x 10)
};

// Update class bits: which prepared data a change makes stale.
enum UpdateBits : unsigned {
    kUpdateLayout = 1,         // layout, scratch and rendering data
    kUpdateScratch = 2,        // scratch and rendering data
    kUpdateFinish = 4,         // rendering data only (finishing effects)
    kUpdateCDImage = 8,        // the CD-ROM face picture
    kUpdatePageEdges = 16,     // the page-edge faces
    kUpdateBackground = 32,    // the background picture
    kUpdatePreviewModel = 64,  // cached preview model
    kUpdateRenderModel = 128,  // cached render model
};

// Update class of a setting id: its row's column; ids without a row get class 1.
unsigned GetUpdateClass(std::uint32_t id) noexcept;

enum class SettingType {
    Boolean,   // 0 "No", 1 "Yes"
    Choice,    // one of a value-name list
    Integer,
    Colour,    // 0x00BBGGRR
    Lights,    // 25-bit mask
    Real,
    Text,
    None,      // a grid item that stores nothing
};

struct SettingValueName {
    const char* name;
    int value;
};

// Ordered (display order) value-name list.
using ValueNameList = std::span<const SettingValueName>;

enum class ChoiceList {
    None,
    Detail,
    BevelStyle,
    ColorEffectStyle,
    LensFlareBlending,
    TablePosition,
    ShadowStyle,
    BinderType,
    CDPositionBook,
    CDPositionBox,
    Lens,
    TextureFiltering,
    Lighting,
    Backdrop,
    Finish,
    ScaleDivisor,  // "X 1"=1, "X 1/2"=2 ... "X 1/16"=16 (size pages)
    Multiplier,    // "X 1"=1 .. "X 16"=16 (size pages)
};

ValueNameList GetValueNames(ChoiceList list) noexcept;

// Name of `value` in the list, or "" when no entry has that value.
std::string GetValueName(ChoiceList list, int value);

// The range of Bevel Size and Border Size depends on the rendered picture size.
enum class RangeKind { None, Fixed, BorderLimit };

struct SettingInfo {
    std::uint32_t id;
    const char* label;      // grid label ("" when the grid never shows it)
    const char* section;    // grid section ("" when never shown)
    const char* editLabel;  // name in edit dialogs, undo texts, messages
    SettingType type;
    std::int32_t defaultInt;   // Boolean/Choice/Integer/Colour/Lights
    double defaultReal;        // Real
    const char* defaultText;   // Text
    RangeKind range;
    std::int32_t minimum;      // valid when range == Fixed (BorderLimit: minimum only)
    std::int32_t maximum;
    const char* unit;          // "pixels", "degrees", "%" or ""
    ChoiceList choices;        // Choice settings; CD Position uses the book list here
    unsigned updateClass;      // UpdateBits a change of the setting makes stale
};

// Every 'M' setting, in the order the settings table lists them.
std::span<const SettingInfo> GetSettingTable() noexcept;

// Entry of `id`, or nullptr.
const SettingInfo* FindSetting(std::uint32_t id) noexcept;

// Upper bound M of Bevel Size and Border Size: min(width / 4, height / 4),
// each quotient truncated toward zero (rendered picture size in pixels).
int GetBorderBevelLimit(int renderWidth, int renderHeight) noexcept;

// Lights mask: bit (x + 5 y) is the light in column x (0 left .. 4 right) and
// row y (0 bottom .. 4 top) of the 5 x 5 grid around the product.
constexpr int kLightGridSize = 5;
constexpr std::uint32_t kLightMaskAll = (1u << 25) - 1;
constexpr std::uint32_t LightBit(int column, int row) noexcept {
    return 1u << (column + kLightGridSize * row);
}
constexpr bool IsLightOn(std::uint32_t mask, int column, int row) noexcept {
    return (mask & LightBit(column, row)) != 0;
}

// Rendering sizes and resolution accepted wherever they are entered.
constexpr int kMinRenderSide = 50;       // pixels
constexpr int kMaxRenderSide = 10000;    // pixels
constexpr int kMinResolution = 10;       // dots per inch
constexpr int kMaxResolution = 9600;
// Resolution of a project saved before it had the setting.
constexpr int kStoredProjectResolution = 72;

// The ids in the order a new product receives their start values.
std::span<const std::uint32_t> GetStartValueOrder() noexcept;

// Stores every start value into `store` in start-value order.
void ApplyStartValues(SettingStore& store);

// "%d%% / %d%% / %d%%" of front cover, pages, back cover.
std::string FormatPageDepths(const SettingStore& store);
