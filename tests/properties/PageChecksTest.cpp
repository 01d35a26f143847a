// Leaving the wizard and property pages: what is refused, with which message,
// and what each page stores.
#include "TempFolder.h"
#include "properties/PageChecks.h"

#include "properties/settings/SettingChecks.h"

namespace {

// Records the questions asked and answers them with a fixed reply.
struct Asker {
    bool reply = false;
    std::vector<std::string> asked;
    PageQuestion Fn()
    {
        return [this](const std::string& q) {
            asked.push_back(q);
            return reply;
        };
    }
};

// The page refuses with the setting checks' own messages (their texts: SettingChecksTest).
const std::string kNoLight = CheckLights(0).message, kTooMany = CheckLights(0x3F).message;
const std::string kReflectionTable = CheckReflectionWithTable(true, true, 1).message;

} // namespace

// Each row leaves the page from its controls into values holding a marker;
// a refusal leaves them alone, an accepted page stores the controls.
TEST(EffectsPage, RefusalsKeepTheStoredValues)
{
    // Bits 0, 4, 20, 24 (the four corners) and 12 (centre): five lights.
    const std::uint32_t five = (1u << 0) | (1u << 4) | (1u << 20) | (1u << 24) | (1u << 12);
    const std::string white = "Shadows can not be white.\n\nEither turn off Shadows or choose a different Shadow color.";
    const struct {
        const char* what;
        EffectsPageValues controls;
        std::string refusal; // empty: accepted
    } rows[] = {
        {"no light", {.lights = 0}, kNoLight},
        {"six lights", {.lights = five | 1u << 7}, kTooMany},
        {"five lights", {.lights = five, .topFade = 99}, ""},
        {"white shadow", {.shadowColor = 0xFFFFFF}, white},
        {"all but white", {.shadowColor = 0xFEFFFF, .topFade = 98}, ""},
        {"reflection on the vertical table", {.tablePosition = 1, .reflection = true}, kReflectionTable},
        {"reflection on the table beneath", {.reflection = true, .topFade = 97}, ""},
    };
    for (const auto& row : rows) {
        EffectsPageValues stored{.topFade = 7};
        const PageLeave r = LeaveEffectsPage(row.controls, stored);
        const bool ok = row.refusal.empty();
        EXPECT_EQ(std::tuple(r.ok, r.message, stored.topFade, stored.lights),
                  std::tuple(ok, row.refusal, ok ? row.controls.topFade : 7, ok ? row.controls.lights : 0x80u))
            << row.what;
    }
    EXPECT_TRUE(!GetEffectsPageEnabling(false, true).shadowControls && GetEffectsPageEnabling(false, true).reflectionControls);
}

TEST(EffectsPage, ShadowsOffStoresDefaults)
{
    // No light and a white shadow would be refused with Shadows on; the table
    // may stay beneath a reflection.
    const EffectsPageValues controls{.shadows = false, .lights = 0, .shadowColor = 0xFFFFFF, .shadowStyle = 0,
                                     .tablePosition = 1, .reflection = true};
    EffectsPageValues stored;
    ASSERT_TRUE(LeaveEffectsPage(controls, stored).ok);
    // Shadow style 4 is "Studio".
    EXPECT_EQ(std::tuple(stored.shadows, stored.lights, stored.shadowColor, stored.shadowStyle, stored.tablePosition, stored.reflection),
              std::tuple(false, 0x100u, 0x808080u, 4, 0, true));
}

TEST(EffectsPage, StoreWritesTheNineSettings)
{
    SettingStore store;
    const EffectsPageValues v{.shadows = true, .lights = 0x11, .shadowColor = 0x123456, .shadowStyle = 1, .tablePosition = 1,
                              .reflection = false, .topFade = 10, .bottomFade = 20, .ripple = false};
    EXPECT_NE(v.Store(store), 0u);
    for (const auto& [id, value] : {std::pair{71, 1}, {81, 0x11}, {72, 0x123456}, {73, 1}, {53, 1}, {61, 0}, {62, 10}, {63, 20}, {64, 0}}) {
        ASSERT_NE(store.LookupInt(ModelKey(id)), nullptr) << id;
        EXPECT_EQ(*store.LookupInt(ModelKey(id)), value) << id;
    }
    const EffectsPageValues back = EffectsPageValues::FromStore(store);
    EXPECT_EQ(std::tuple(back.lights, back.shadowColor, back.tablePosition), std::tuple(0x11u, 0x123456u, 1));
}

TEST(Effects2Page, BevelAndBorderSizeBound)
{
    // 400 x 300: M = min(100, 75) = 75.
    Asker asker;
    Effects2PageControls c{.bevel = true, .bevelStyle = 3, .bevelSizeText = "75", .bevelColor = 0x112233};
    Effects2PageValues stored;
    ASSERT_TRUE(LeaveEffects2Page(c, 400, 300, asker.Fn(), stored).ok);
    EXPECT_EQ(std::tuple(stored.bevelSize, stored.bevelStyle, stored.bevelColor), std::tuple(75, 3, 0x112233u));

    // Every refusal of the field's text: ValidateIntField.MessagesInTestOrder.
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"76", "Bevel Size must be between 1 and 75 pixels."},
        {"0", "Bevel Size must be between 1 and 75 pixels."},
        {"7a", "Bevel Size contains invalid characters."},
    };
    for (const Case& bad : cases) {
        Effects2PageValues untouched;
        untouched.bevelSize = 42;
        c.bevelSizeText = bad.text;
        const PageLeave r = LeaveEffects2Page(c, 400, 300, asker.Fn(), untouched);
        EXPECT_EQ(std::tuple(r.ok, r.message, untouched.bevelSize, r.focusField), std::tuple(false, bad.message, 42, kEffects2FieldBevelSize))
            << bad.text;
    }
    c.bevelSizeText = " 12 "; // trimmed
    ASSERT_TRUE(LeaveEffects2Page(c, 400, 300, asker.Fn(), stored).ok);
    EXPECT_EQ(stored.bevelSize, 12);

    c.borders = true;
    c.borderSizeText = "76";
    const PageLeave r = LeaveEffects2Page(c, 400, 300, asker.Fn(), stored);
    EXPECT_EQ(std::pair(r.message, r.focusField), std::pair(std::string("Border Size must be between 1 and 75 pixels."), kEffects2FieldBorderSize));
    EXPECT_TRUE(asker.asked.empty());
}

TEST(Effects2Page, UntickedGroupsStoreDefaults)
{
    // The size texts are not checked while their groups are off, black is fine while the effect is.
    const Effects2PageControls c{.bevel = false, .bevelStyle = 2, .bevelSizeText = "nonsense", .borders = false,
                                 .borderSizeText = "", .borderColor = 0x777777, .colorEffect = false,
                                 .colorEffectColor = 0, .lensFlare = false, .lensFlareIntensity = 180};
    Effects2PageValues v;
    ASSERT_TRUE(LeaveEffects2Page(c, 400, 400, nullptr, v).ok);
    EXPECT_EQ(std::tuple(v.bevelStyle, v.bevelSize, v.bevelColor, v.borderColor, v.borderSize), std::tuple(1, 10, 0xFFFFFFu, 0u, 1));
    EXPECT_EQ(std::tuple(v.colorEffectStyle, v.colorEffectColor, v.lensFlareIntensity, v.lensFlareColor),
              std::tuple(2, 0x00FF00u, 100, 0x00FFFFu));
    EXPECT_EQ(v.lensFlareBlending, 2); // additive: a flare switched on later keeps the picture's brightness

    SettingStore store;
    v.Store(store);
    EXPECT_EQ(std::tuple(store.GetInt(ModelKey(13)), store.GetInt(ModelKey(22)), store.GetInt(ModelKey(35)), store.GetInt(ModelKey(14))),
              std::tuple(10, 2, 0x00FFFF, 0xFFFFFF));
}

TEST(Effects2Page, ColorizeChecks)
{
    Effects2PageControls c{.colorEffect = true, .colorEffectStyle = 1}; // Colorize
    Effects2PageValues v;
    Asker asker;

    // The page asks the colour check of the effects page (its rules: ColorizeCheck).
    c.colorEffectColor = 0;
    EXPECT_EQ(LeaveEffects2Page(c, 400, 400, asker.Fn(), v).message,
              CheckColorizeColor(0, CheckPlace::EffectsPage, nullptr).message);
    c.colorEffectColor = 0x404040;
    EXPECT_FALSE(LeaveEffects2Page(c, 400, 400, asker.Fn(), v).ok);  // No to the question
    asker.reply = true;
    ASSERT_TRUE(LeaveEffects2Page(c, 400, 400, asker.Fn(), v).ok);
    EXPECT_EQ(v.colorEffectColor, 0x404040u);
    EXPECT_EQ(asker.asked.size(), 2u);

    // Another style: no colour check at all.
    c.colorEffectStyle = 2;
    c.colorEffectColor = 0;
    EXPECT_TRUE(LeaveEffects2Page(c, 400, 400, asker.Fn(), v).ok);
    EXPECT_FALSE(GetEffects2PageEnabling(true, true, 2).colorEffectColor);
    EXPECT_TRUE(GetEffects2PageEnabling(true, true, 1).colorEffectColor);
}

TEST(SizePage, BinderDimensions)
{
    const char* kRefused = "You can not make a Binder with these dimensions.\n\n"
                           "Please enter a higher Width or lower Depth value.";
    const char* kLarge = "To make the Binding fit the current Width and Depth, it will have to be very large, and "
                         "possibly out of proportion, as compared to the covers.\n\nDo you really want to do this?";
    const char* kOverlap = "If you do not increase the Width or decrease the Depth, the Binding will overlap with "
                           "the CD-ROM.\n\nDo you really want to do this?";
    SizePageControls c{.catalogueWidth = -216, .catalogueHeight = -279, .catalogueDepth = -27, .widthText = "", .heightText = "279", .depthText = "",
                       .binder = true};

    // 100 x 60: r = trunc(60 * 0.7071) = 42; 100 > 43, 2 * 60 = 120 >= 100 -> question.
    c.widthText = "100";
    c.depthText = "60";
    Asker no;
    SizePageValues v;
    PageLeave r = LeaveSizePage(c, no.Fn(), v);
    EXPECT_EQ(std::tuple(r.ok, r.focusField, v.width), std::tuple(false, kSizeFieldWidth, 0));
    EXPECT_EQ(no.asked, std::vector<std::string>{kLarge});
    Asker yes;
    yes.reply = true;
    ASSERT_TRUE(LeaveSizePage(c, yes.Fn(), v).ok);
    EXPECT_EQ(std::tuple(v.width, v.height, v.depth), std::tuple(100, 279, 60));

    // 40 x 60: 40 <= 43 -> refused without a question.
    c.widthText = "40";
    Asker none;
    r = LeaveSizePage(c, none.Fn(), v);
    EXPECT_EQ(std::pair(r.ok, r.message), std::pair(false, std::string(kRefused)));
    EXPECT_TRUE(none.asked.empty());
    // 43 is still refused (r + 1), 44 reaches the question.
    c.widthText = "43";
    EXPECT_EQ(LeaveSizePage(c, none.Fn(), v).message, kRefused);
    c.widthText = "44";
    EXPECT_FALSE(LeaveSizePage(c, none.Fn(), v).ok);
    EXPECT_EQ(none.asked.size(), 1u);

    // With a CD-ROM, depth 27: r = trunc(19.09) = 19; width 80 leaves 61 < 62.
    c.hasCD = true;
    c.depthText = "27";
    c.widthText = "80";
    Asker cd;
    EXPECT_FALSE(LeaveSizePage(c, cd.Fn(), v).ok);
    EXPECT_EQ(cd.asked, std::vector<std::string>{kOverlap});
    // Width 81 leaves 62 and 2 * 27 < 81: no question.
    c.widthText = "81";
    Asker quiet;
    EXPECT_TRUE(LeaveSizePage(c, quiet.Fn(), v).ok);
    EXPECT_TRUE(quiet.asked.empty());
}

TEST(SizePage, FieldsAndRanges)
{
    // Software box: width and height fixed, depth editable.
    // A fixed field is not read.
    SizePageControls c{.catalogueWidth = 202, .catalogueHeight = 261, .catalogueDepth = -50, .widthText = "garbage", .heightText = "",
                       .depthText = "301"};
    SizePageValues v;
    PageLeave r = LeaveSizePage(c, nullptr, v);
    EXPECT_EQ(std::tuple(r.ok, r.message, r.focusField), std::tuple(false, std::string("Depth must be between 1 and 300."), kSizeFieldDepth));
    c.depthText = "300";
    ASSERT_TRUE(LeaveSizePage(c, nullptr, v).ok);
    EXPECT_EQ(std::tuple(v.width, v.height, v.depth), std::tuple(202, 261, 300));

    c.minimum = 5;
    c.depthText = "4";
    EXPECT_EQ(LeaveSizePage(c, nullptr, v).message, "Depth must be between 5 and 300.");

    // A card has no depth field.
    const SizePageControls card{.catalogueWidth = -86, .catalogueHeight = -54, .widthText = "86", .heightText = "", .depthText = ""};
    EXPECT_EQ(LeaveSizePage(card, nullptr, v).message, "Height is blank.");
}

TEST(PagesPage, TotalMustBeHundred)
{
    EXPECT_EQ(GetPagesTotal("10", "80", "10").text, "100");
    EXPECT_TRUE(GetPagesTotal("10", "80", "10").canGoOn && GetPagesTotal("0", "100", "0").canGoOn);
    for (const auto& t : {std::vector<std::string>{"10", "80", "11"}, {"", "90", "10"}, {"x", "80", "10"},
                          {"-10", "100", "10"}, {"50", "50", "0 0"}}) {
        const PagesTotal total = GetPagesTotal(t[0], t[1], t[2]);
        EXPECT_EQ(std::pair(total.text, total.canGoOn), std::pair(std::string("ERROR"), false)) << t[0] << " " << t[1] << " " << t[2];
    }
    SettingStore store;
    const PagesPageValues p{.frontCover = 5, .pages = 90, .backCover = 5};
    p.Store(store);
    EXPECT_EQ(std::tuple(store.GetInt(ModelKey(131)), store.GetInt(ModelKey(133)), store.GetInt(ModelKey(132)), store.GetInt(ModelKey(121))),
              std::tuple(5, 90, 5, static_cast<int>(p.paperColor)));
}

TEST(BackRenderPage, RangeAndFixedSize)
{
    BackRenderControls c;
    BackRenderValues v;
    c.widthText = "49";
    EXPECT_EQ(LeaveBackRenderPage(c, v).message, "Width must be between 50 and 10000 pixels.");
    EXPECT_EQ(v.width, 400);
    c.widthText = "50";
    c.heightText = "10001";
    EXPECT_EQ(LeaveBackRenderPage(c, v).message, "Height must be between 50 and 10000 pixels.");
    c.heightText = "10000";  // print sizes: 10000 pixels is 84.7 cm at 300 dpi
    ASSERT_TRUE(LeaveBackRenderPage(c, v).ok);
    EXPECT_EQ(std::pair(v.width, v.height), std::pair(50, 10000));

    // Fixed by a background picture: the fields are not read.
    c.fixedByPicture = true;
    c.widthText = "oops";
    c.pictureWidth = 640;
    c.pictureHeight = 480;
    ASSERT_TRUE(LeaveBackRenderPage(c, v).ok);
    EXPECT_EQ(std::pair(v.width, v.height), std::pair(640, 480));
}
