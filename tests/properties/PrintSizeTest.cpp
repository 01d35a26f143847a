#include "TempFolder.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

TEST(PrintSize, CentimetresAtTheResolution)
{
    // 1575 px / 300 dpi = 5.25 in = 13.335 cm; 400 px / 72 dpi = 14.111 cm;
    // 10000 px / 300 dpi = 84.667 cm; 1000 px / 254 dpi = 10 cm exactly.
    EXPECT_EQ(FormatPrintSize(1575, 1575, 300), "13.3 x 13.3 cm at 300 dpi");
    EXPECT_EQ(FormatPrintSize(400, 400, 72), "14.1 x 14.1 cm at 72 dpi");
    EXPECT_EQ(FormatPrintSize(10000, 5000, 300), "84.7 x 42.3 cm at 300 dpi");
    EXPECT_EQ(FormatPrintSize(1000, 2000, 254), "10.0 x 20.0 cm at 254 dpi");
}

TEST(PrintSize, ResolutionOfNewAndOfOlderProjects)
{
    SettingStore fresh;
    ApplyStartValues(fresh);
    EXPECT_EQ(GetRenderResolution(fresh), 300) << "new projects print at 300 dpi";

    SettingStore older; // saved before the setting existed
    EXPECT_EQ(GetRenderResolution(older), 72);
    // A damaged value (0, -5) reads as the old resolution rather than a zero-sized print.
    for (auto [stored, read] : {std::pair{600, 600}, {0, 72}, {-5, 72}}) {
        older.SetInt(ModelKey(kSetResolution), stored);
        EXPECT_EQ(GetRenderResolution(older), read) << stored;
    }
}
