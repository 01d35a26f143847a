// The setting command: each refusal with its message, a change checked as a
// whole, and an accepted change as one undo step.

#include "TempFolder.h"
#include "app/SettingCommand.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingStore.h"

namespace {

CSettingValue Int(std::uint32_t id, int value) { return {ModelKey(id), false, value, {}}; }

TEST(SettingCommand, RefusesWithTheRowsMessage)
{
    auto product = CreateProduct("BOX");
    product->GetSettings().SetInt(ModelKey(kSetLights), 0x3F);  // six lights
    product->GetSettings().SetInt(ModelKey(kSetShadows), 0);
    struct Case {
        std::vector<CSettingValue> values;
        bool yes;                // the answer to a question
        const char* message;     // nullptr: accepted; "*": refused with any message
    } cases[] = {
        {{Int(kSetXRotation, 61)}, false, "X Rotation must be between -60 and 60 degrees."},
        {{Int(kSetXRotation, -60)}, false, nullptr},
        {{Int(kSetShadows, 2)}, false, "Shadows must be Yes or No."},
        {{Int(kSetShadows, 1)}, false, "*"},                            // six lights cast no shadow
        {{Int(kSetShadows, 1), Int(kSetLights, 0x7)}, false, nullptr},  // checked against the change's lights
        {{Int(kSetPageDepthFront, 20)}, false, "The page depth percentages must add up to 100."},
        {{Int(kSetPageDepthFront, 20), Int(kSetPageDepthPages, 70)}, false, nullptr},
        {{Int(kSetPageDepthFront, 101)}, false, "Front Cover must be between 0 and 100 %."},
        {{Int(kSetRenderWidth, 49)}, false, "Width must be between 50 and 10000 pixels."},
        {{Int(kSetLights, 1 << 25)}, false, "Lights must be a 25-bit light mask such as 0x100."},
        {{Int(kSetColorEffectColor, 0x202020)}, false, ""},  // very dark, answered No
        {{Int(kSetColorEffectColor, 0x202020)}, true, nullptr},
        {{Int(kSetColorEffectColor, 0x1000000)}, true,
         "Color Effect Color must be a colour such as #FF8000, 255,128,0 or a colour name."},
        {{Int(kSetTablePosition, kUnreadableSettingValue)}, false, "*"},
    };
    for (const Case& c : cases) {
        const SSettingResult r = CheckSettingValues(*product, c.values, [&](const std::string&) { return c.yes; });
        SCOPED_TRACE(c.values.front().key.id);
        EXPECT_EQ(r.ok, c.message == nullptr);
        if (c.message && std::string(c.message) == "*") {
            EXPECT_FALSE(r.message.empty());
        } else if (c.message) {
            EXPECT_EQ(r.message, c.message);
        }
    }
}

TEST(SettingCommand, AnAcceptedChangeIsOneUndoStep)
{
    CUndoStore undo;
    CVtwinDoc doc(nullptr, &undo);
    doc.SetProduct(CreateProduct("BOX"));
    SettingStore& s = doc.GetProduct()->GetSettings();
    const int before = s.GetInt(ModelKey(kSetXRotation));
    const std::vector<CSettingValue> turn = {Int(kSetXRotation, before + 5)};
    EXPECT_FALSE(SetSettingValues(doc, undo, {Int(kSetXRotation, 99)}, "Turn", {}).ok);
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_NE(SetSettingValues(doc, undo, turn, "Turn", {}).updateMask, 0u);
    EXPECT_EQ(s.GetInt(ModelKey(kSetXRotation)), before + 5);
    // The same value again changes nothing and records nothing.
    const SSettingResult again = SetSettingValues(doc, undo, turn, "Turn", {});
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(again.updateMask, 0u);
    UndoContext context{doc};
    undo.Undo(context);
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(doc.GetProduct()->GetSettings().GetInt(ModelKey(kSetXRotation)), before);
}

}  // namespace
