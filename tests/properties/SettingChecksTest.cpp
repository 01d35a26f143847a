#include "TempFolder.h"
#include "properties/settings/SettingChecks.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

namespace {

// Records questions and answers them with a fixed answer.
struct Asker {
    bool answer = false;
    std::vector<std::string> asked;
    QuestionCallback Callback() {
        return [this](const std::string& q) {
            asked.push_back(q);
            return answer;
        };
    }
};

const std::string kDark =
    "You have chosen to Colorize to a very dark color. This will result in the final image appearing very "
    "dark.\n\nAre you sure that you really want to do this?";

}  // namespace

TEST(ColorizeCheck, BlackRefusedDarkAskedOthersAccepted) {
    Asker asker;
    CheckResult r = CheckColorizeColor(0, CheckPlace::Grid, asker.Callback());
    EXPECT_EQ(std::pair(r.accepted, r.message), std::pair(false, std::string("You can not colorize the image to black.")));
    r = CheckColorizeColor(0, CheckPlace::EffectsPage, asker.Callback());
    EXPECT_EQ(std::pair(r.accepted, r.message),
              std::pair(false, std::string("You can not colorize the image to black.\n\nPlease choose another color, or select an "
                                           "another Color Effect instead of Colorize.")));
    EXPECT_TRUE(asker.asked.empty()) << "black is refused without a question";

    // 0x404040: every channel 64 -> the very-dark question; No refuses quietly.
    r = CheckColorizeColor(0x404040, CheckPlace::Grid, asker.Callback());
    EXPECT_EQ(std::tuple(r.accepted, r.message, asker.asked), std::tuple(false, "", std::vector{kDark}));
    asker.answer = true;
    EXPECT_TRUE(CheckColorizeColor(0x404040, CheckPlace::EffectsPage, asker.Callback()).accepted);
    EXPECT_TRUE(CheckColorizeColor(0x000001, CheckPlace::Grid, asker.Callback()).accepted);
    EXPECT_EQ(asker.asked.size(), 3u);

    // One channel at 65, the others at 64 -> silently accepted, whichever channel it is.
    asker.asked.clear();
    for (std::uint32_t colour : {0x404041u, 0x414040u, 0x00FF00u})
        EXPECT_TRUE(CheckColorizeColor(colour, CheckPlace::Grid, asker.Callback()).accepted) << std::hex << colour;
    EXPECT_TRUE(asker.asked.empty());

    // Nobody to answer: No is the default.
    EXPECT_FALSE(CheckColorizeColor(0x101010, CheckPlace::Grid, nullptr).accepted);
}

TEST(ShadowCheck, OnlyPureWhiteIsRefused) {
    const CheckResult grid = CheckShadowColor(0xFFFFFF, CheckPlace::Grid), page = CheckShadowColor(0xFFFFFF, CheckPlace::EffectsPage);
    EXPECT_EQ(std::tuple(grid.accepted, grid.message, page.accepted, page.message),
              std::tuple(false, "Shadows can not be white.", false,
                         "Shadows can not be white.\n\nEither turn off Shadows or choose a different Shadow color."));
    EXPECT_TRUE(CheckShadowColor(0xFEFFFF, CheckPlace::Grid).accepted && CheckShadowColor(0xFFFFFE, CheckPlace::EffectsPage).accepted &&
                CheckShadowColor(0x808080, CheckPlace::Grid).accepted);
}

TEST(LightsCheck, OneToFiveLightsAccepted) {
    EXPECT_EQ(CountLitLights((1u << 0) | (1u << 4) | (1u << 20) | (1u << 24)), 4) << "the four corners";
    EXPECT_EQ(CountLitLights(0x100), 1);
    // The default 0x100 is bit 8: column 3, row 1.
    EXPECT_EQ(LightBit(3, 1), 0x100u);
    EXPECT_TRUE(IsLightOn(0x100, 3, 1) && !IsLightOn(0x100, 1, 3));
    const std::uint32_t corners = LightBit(0, 0) | LightBit(4, 0) | LightBit(0, 4) | LightBit(4, 4);
    EXPECT_EQ(corners, (1u << 0) | (1u << 4) | (1u << 20) | (1u << 24));
    EXPECT_EQ(CountLitLights(0xFE000000u), 0) << "bits above the 5 x 5 grid are not lights";

    const CheckResult none = CheckLights(0), six = CheckLights(0x3F);
    EXPECT_EQ(std::tuple(none.accepted, none.message, six.accepted, six.message),
              std::tuple(false,
                         "You must turn on at least one light if you want Shadows.\n\nEither turn off Shadows or turn on at "
                         "least one light.",
                         false, "You can not have more than 5 lights turned on."));
    EXPECT_TRUE(CheckLights(0x1F).accepted && !CheckLights(0x1FFFFFF).accepted) << "five lights, twenty-five";
}

TEST(ReflectionChecks, EffectsPageRefusesAndGridInforms) {
    CheckResult r = CheckReflectionWithTable(true, true, 1);
    EXPECT_EQ(std::pair(r.accepted, r.message),
              std::pair(false, std::string("You can not combine Reflection with this Table Position.\n\nEither turn off "
                                           "Reflection or change the Table Position.")));
    EXPECT_TRUE(CheckReflectionWithTable(true, false, 1).accepted && CheckReflectionWithTable(false, true, 1).accepted &&
                CheckReflectionWithTable(true, true, 0).accepted);

    r = CheckTablePositionChoice(1, true);
    EXPECT_EQ(std::pair(r.accepted, r.message),
              std::pair(true, std::string("Reflections can not be combined with this Table Position, so will not be displayed.")));
    EXPECT_EQ(CheckTablePositionChoice(1, false).message + CheckTablePositionChoice(0, true).message, "");
}

TEST(BevelCovered, BorderAtLeastAsWideAsBevel) {
    SettingStore s;
    ApplyStartValues(s);  // bevel 10, border 1, both off
    // Each step: {setting, value} then whether the bevel is covered; equal sizes cover it.
    const std::tuple<std::uint32_t, int, bool> steps[] = {{kSetBevel, 0, false},      {kSetBevel, 1, false},
                                                          {kSetBorders, 1, false},    {kSetBorderSize, 10, true},
                                                          {kSetBevelSize, 11, false}, {kSetBorderSize, 30, true},
                                                          {kSetBevel, 0, false}};
    for (const auto& [id, value, covered] : steps) {
        s.SetInt(ModelKey(id), value);
        EXPECT_EQ(IsBevelCoveredByBorder(s), covered) << id << " = " << value;
    }
    EXPECT_STREQ(kBevelCoveredMessage,
                 "You will not be able to see the Bevel with the new settings, as it is completely covered by the "
                 "Border.");
}

TEST(ValidateIntField, MessagesInTestOrder) {
    struct Case {
        const char* text;
        int lo, hi;
        const char* unit;
        bool ok;
        int value;
        const char* message;
    };
    const Case cases[] = {
        {"12", 1, 100, "pixels", true, 12, ""},
        {"  12\t", 1, 100, "pixels", true, 12, ""},
        {"-60", -60, 60, "degrees", true, -60, ""},
        {"100", 1, 100, "pixels", true, 100, ""},
        {"", 1, 100, "pixels", false, 0, "Bevel Size is blank."},
        {"   ", 1, 100, "pixels", false, 0, "Bevel Size is blank."},
        {"12a", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"abc", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"007", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"+5", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"-0", -5, 5, "", false, 0, "Bevel Size contains invalid characters."},
        {"1 2", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"99999999999", 1, 100, "pixels", false, 0, "Bevel Size contains invalid characters."},
        {"101", 1, 100, "pixels", false, 0, "Bevel Size must be between 1 and 100 pixels."},
        {"0", 1, 100, "pixels", false, 0, "Bevel Size must be between 1 and 100 pixels."},
        {"0", 1, 100, "", false, 0, "Bevel Size must be between 1 and 100."},
        {"-61", -60, 60, "degrees", false, 0, "Bevel Size must be between -60 and 60 degrees."},
    };
    for (const Case& c : cases) {
        const IntFieldResult r = ValidateIntField(c.text, c.lo, c.hi, "Bevel Size", c.unit);
        EXPECT_EQ(std::tuple(r.ok, r.message, r.ok ? r.value : 0), std::tuple(c.ok, std::string(c.message), c.value)) << "'" << c.text << "'";
    }
}
