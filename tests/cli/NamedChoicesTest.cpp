#include "cli/Commands.h"
#include "cli/NamedChoices.h"

#include <gtest/gtest.h>

namespace {

std::vector<SNamedChoice> Choices(std::initializer_list<const char*> names)
{
    std::vector<SNamedChoice> out;
    for (const char* n : names) out.push_back({n, n, ""});
    return out;
}

TEST(NamedChoices, ExactThenBeginningThenPart)
{
    const auto c = Choices({"Aqua 1", "Aqua 2", "Aquamarine 1", "Black 1", "Silver 3"});
    std::vector<std::string> candidates;
    EXPECT_EQ(MatchChoice(c, "aqua 1", candidates), 0);  // exact wins over the longer "Aquamarine 1"
    EXPECT_EQ(MatchChoice(c, "Bl", candidates), 3);
    EXPECT_EQ(MatchChoice(c, "ver", candidates), 4);     // a part of one name only
    EXPECT_TRUE(candidates.empty());
    EXPECT_EQ(MatchChoice(c, "aqua", candidates), -1);
    EXPECT_EQ(candidates, (std::vector<std::string>{"Aqua 1", "Aqua 2", "Aquamarine 1"}));
    // " 1" begins no name, so the parts are looked at: three hold it.
    EXPECT_EQ(MatchChoice(c, " 1", candidates), -1);
    EXPECT_EQ(candidates.size(), 3u);
    EXPECT_EQ(MatchChoice(c, "teal", candidates), -1);
    EXPECT_TRUE(candidates.empty() && MatchChoice(c, "", candidates) == -1);
}

TEST(NamedChoices, RefusalsNameTheCandidatesOrTheList)
{
    const auto c = Choices({"Gold 1", "Gold 2"});
    std::string error;
    EXPECT_EQ(FindChoice(c, "gold", "CD-ROM image", "cd-images", error), nullptr);
    EXPECT_EQ(error, "the CD-ROM image name \"gold\" is ambiguous: \"Gold 1\", \"Gold 2\"");
    EXPECT_EQ(FindChoice(c, "Silver", "CD-ROM image", "cd-images", error), nullptr);
    EXPECT_EQ(error, "no CD-ROM image named \"Silver\" (see: vantorel-cli list cd-images)");
}

TEST(NamedChoices, ProgramListsHaveUniqueNames)
{
    // 51 patterns: 131 and 144 .. 193; 32 gradients: 16 shapes, each also with the colours exchanged.
    const auto patterns = ListPatternChoices();
    ASSERT_EQ(patterns.size(), 51u);
    EXPECT_EQ(patterns.front().value + " " + patterns[1].value + " " + patterns.back().value, "131 144 193");
    const auto gradients = ListGradientChoices();
    ASSERT_EQ(gradients.size(), 32u);
    EXPECT_EQ(gradients[16].note, gradients[0].note + ", colours exchanged");
}

TEST(TurntableFrames, FrameNamesTakeOneNumber)
{
    EXPECT_EQ((std::vector{FormatFrameName("shots/frame-%03d.png", 7), FormatFrameName("f%d.png", 12), FormatFrameName("f%3d.png", 5),
                           FormatFrameName("100%%-%02d.png", 3), FormatFrameName("f%04d.png", 12345)}),
              (std::vector<std::string>{"shots/frame-007.png", "f12.png", "f  5.png", "100%-03.png", "f12345.png"}));
    for (const char* bad : {"frame.png", "%d-%d.png", "%s.png", "%.png", "f%", "%-3d.png", "%123d.png"})
        EXPECT_EQ(FormatFrameName(bad, 1), "") << bad;
}

}  // namespace
