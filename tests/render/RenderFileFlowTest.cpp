// Render To File and the Rendering Complete prompt walked through with
// scripted dialogs; the format and extension rules and the remembered
// choices they use.

#include "PixelTestUtil.h"

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "ground/IniFile.h"
#include "image/Raster.h"
#include "render/output/RenderFileFlow.h"
#include "render/output/RenderOutput.h"

namespace fs = std::filesystem;

namespace {

struct SFlow {
    SFlow() : dir(fs::path(folder.Path()).parent_path()), ini((dir / "vtprof.ini").string()), output(&ini), picture(CRaster::Make(16, 12, 24).value())
    {
        picture.Clear(90);
        dialogs.explainFormats = [this](bool& dontExplain) {
            calls.push_back("formats");
            dontExplain = tickExplain;
            return explainOk;
        };
        dialogs.chooseFile = [this](const std::string& folder) -> std::optional<SSaveChoice> {
            calls.push_back("save:" + folder);
            if (!saveName) return std::nullopt;
            return SSaveChoice{*saveName, filter};
        };
        dialogs.chooseJpegQuality = [this](int q) -> std::optional<int> {
            calls.push_back("quality:" + std::to_string(q));
            return jpegAnswer;
        };
        dialogs.showMessage = [this](const std::string& m) { messages.push_back(m); };
    }
    ERenderFileResult Run() { return RunRenderToFile(picture, output, &ini, dialogs, &saved); }

    CTempFolder folder;
    fs::path dir;
    CIniFile ini;
    CRenderOutput output;
    CRaster picture;
    SRenderFileDialogs dialogs;
    std::vector<std::string> calls, messages;
    bool tickExplain = false, explainOk = true;
    std::optional<std::string> saveName;
    int filter = 1;
    std::optional<int> jpegAnswer = 75;
    std::string saved;
};

}  // namespace

TEST(RenderFileFlow, JpegNamesQualityAndRememberedChoices)
{
    SFlow f;
    // Cover with the JPEG filter: explanation first, then the save dialog, then the quality (prefilled 100).
    f.saveName = (f.dir / "cover").string();
    f.filter = 3;
    f.tickExplain = true;
    ASSERT_EQ(f.Run(), ERenderFileResult::Saved) << (f.messages.empty() ? "" : f.messages[0]);
    EXPECT_TRUE(f.saved == (f.dir / "cover.jpg").string() && fs::exists(f.dir / "cover.jpg")) << f.saved;
    EXPECT_EQ(f.calls, (std::vector<std::string>{"formats", "save:", "quality:100"}));
    EXPECT_EQ(std::pair(f.ini.GetInt("GUI", "PromptFormatNoAsk", 0), f.ini.GetInt("Render", "JPEGQuality", -1)), std::pair(1, 75));

    // With PromptFormatNoAsk = 1 the save dialog comes at once, in the remembered
    // folder, and the quality dialog offers the last quality.
    f.calls.clear();
    f.saveName = (f.dir / "cover.v1").string();
    f.jpegAnswer = 0;  // 0 is accepted
    ASSERT_EQ(f.Run(), ERenderFileResult::Saved);
    EXPECT_EQ(f.calls, (std::vector<std::string>{"save:" + f.dir.string() + "/", "quality:75"}));
    EXPECT_EQ(f.saved, (f.dir / "cover.v1").string());  // an extension is kept (the rule: RenderOutputNames)
    EXPECT_EQ(f.ini.GetInt("Render", "JPEGQuality", -1), 0);
}

TEST(RenderFileFlow, CancelAnywhereSavesNothingAndSaysNothing)
{
    // Cancelled at the explanation, the save dialog or the quality: nothing
    // written, said or remembered. Other formats never ask for the quality.
    using R = ERenderFileResult;
    const struct {
        bool explainOk, named;
        int filter;
        std::optional<int> quality;
        R result;
        std::size_t calls;
        const char* file;
    } cases[] = {{false, true, 1, 75, R::Cancelled, 1, "a.png"},
                 {true, false, 1, 75, R::Cancelled, 2, "a.png"},
                 {true, true, 3, std::nullopt, R::Cancelled, 3, "a.jpg"},
                 {true, true, 2, 75, R::Saved, 2, "a.bmp"}};
    for (const auto& c : cases) {
        SFlow f;
        f.explainOk = c.explainOk;
        f.saveName = c.named ? std::optional((f.dir / "a").string()) : std::nullopt;
        f.filter = c.filter;
        f.jpegAnswer = c.quality;
        const R result = f.Run();
        EXPECT_EQ(std::tuple(result, f.calls.size(), fs::exists(f.dir / c.file), f.messages.size(),
                             f.ini.GetInt("GUI", "PromptFormatNoAsk", 0)),
                  std::tuple(c.result, c.calls, c.result == R::Saved, std::size_t(0), 0))
            << c.file;
    }
}

TEST(RenderFileFlow, SaveFailureNamesTheFile)
{
    SFlow f;
    f.saveName = (f.dir / "missing" / "cover").string();
    f.filter = 4;
    EXPECT_EQ(f.Run(), ERenderFileResult::Failed);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0], "Error rendering to " + (f.dir / "missing" / "cover.pcx").string());
    EXPECT_FALSE(fs::exists(f.dir / "missing"));
}

TEST(RenderFileFlow, TransparentFilterSavesTheCutOutAsPngWithAlpha)
{
    SFlow f;
    CRaster cutOut = CRaster::Make(8, 6, 24).value();
    cutOut.Clear(255);
    ASSERT_TRUE(cutOut.AlphaCreate());
    int made = 0;
    f.dialogs.makeCutOut = [&](std::string&) {
        ++made;
        return &cutOut;
    };
    f.filter = kFilterPNGCutOut;
    f.saveName = (f.dir / "cut").string();
    ASSERT_EQ(f.Run(), ERenderFileResult::Saved) << (f.messages.empty() ? "" : f.messages[0]);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(f.saved, (f.dir / "cut.png").string());
    EXPECT_EQ(f.calls, (std::vector<std::string>{"formats", "save:"}));  // no quality asked
    // The file is the cut-out, not the opaque rendering: 8 x 6, colour type 6
    // (truecolour with alpha) in the header chunk.
    std::ifstream in(f.saved, std::ios::binary);
    std::vector<unsigned char> head(26);
    in.read(reinterpret_cast<char*>(head.data()), 26);
    ASSERT_TRUE(in);
    // Width and height: low bytes of big-endian words at 16 and 20; colour type at 25.
    EXPECT_EQ(std::tuple(head[19], head[23], head[25]), std::tuple(8, 6, 6));

    // Cancelled while rendering: nothing written, nothing said.
    f.dialogs.makeCutOut = [](std::string&) -> CRaster* { return nullptr; };
    f.saveName = (f.dir / "cancelled").string();
    EXPECT_EQ(f.Run(), ERenderFileResult::Cancelled);
    EXPECT_FALSE(fs::exists(f.dir / "cancelled.png"));
    EXPECT_TRUE(f.messages.empty());

    // Could not be made: the reason is shown, nothing written.
    f.dialogs.makeCutOut = [](std::string& why) -> CRaster* {
        why = "no cut-out";
        return nullptr;
    };
    f.saveName = (f.dir / "failed").string();
    EXPECT_EQ(f.Run(), ERenderFileResult::Failed);
    EXPECT_FALSE(fs::exists(f.dir / "failed.png"));
    EXPECT_EQ(f.messages, (std::vector<std::string>{"no cut-out"}));
}

TEST(RenderCompletePrompt, CheckBoxIsStoredAndSuppressionHolds)
{
    CTempFolder folder;
    const CIniFile ini(folder.Path() + "vtprof.ini");
    // Render To File / Clipboard suppress the prompt even when they render.
    EXPECT_FALSE(IsRenderCompleteOffered(true, &ini));
    EXPECT_TRUE(IsRenderCompleteOffered(false, &ini));
    SetPromptRenderNoAsk(&ini, true);  // answered with "do not ask again" ticked
    EXPECT_EQ(ini.GetInt("GUI", "PromptRenderNoAsk", 0), 1);
    EXPECT_FALSE(IsRenderCompleteOffered(false, &ini));
}

TEST(RenderOutputNames, FilterTypesAndExtensionRule)
{
    // Filters 1 to 4; an unexpected index (0, 17) gives PNG.
    EXPECT_EQ((std::vector{ImageTypeForFilter(1), ImageTypeForFilter(2), ImageTypeForFilter(3), ImageTypeForFilter(4),
                           ImageTypeForFilter(0), ImageTypeForFilter(17)}),
              (std::vector{IMAGE_TYPE_PNG, IMAGE_TYPE_BMP, IMAGE_TYPE_JPEG, IMAGE_TYPE_PCX, IMAGE_TYPE_PNG, IMAGE_TYPE_PNG}));

    // A trailing dot counts as an extension.
    EXPECT_EQ((std::vector{ApplyExtensionRule("cover", kFilterJPEG), ApplyExtensionRule("cover.v1", kFilterJPEG),
                           ApplyExtensionRule("my.dir/cover", kFilterJPEG), ApplyExtensionRule("/a/b.c/d", kFilterPCX),
                           ApplyExtensionRule("x", 99), ApplyExtensionRule("pic.", kFilterBMP)}),
              (std::vector<std::string>{"cover.jpg", "cover.v1", "my.dir/cover.jpg", "/a/b.c/d.pcx", "x.png", "pic."}));

    EXPECT_EQ((std::vector{FilterForFileName("a/b/Cover.JPEG"), FilterForFileName("cover.jpg"), FilterForFileName("cover.bmp"),
                           FilterForFileName("cover.pcx"), FilterForFileName("cover.v1"), FilterForFileName("my.bmp/cover")}),
              (std::vector<int>{kFilterJPEG, kFilterJPEG, kFilterBMP, kFilterPCX, kFilterPNG, kFilterPNG}));

    EXPECT_EQ(FolderOfPath("/home/u/render/cover.png"), "/home/u/render/");
    EXPECT_EQ(FolderOfPath("cover.png"), "");
}

TEST(RenderOutputSettings, QualityAndFolderAreRemembered)
{
    CTempFolder folder;
    const fs::path dir = fs::path(folder.Path()).parent_path();
    const CIniFile ini((dir / "vtprof.ini").string());
    CRenderOutput out(&ini);
    EXPECT_EQ(out.GetJpegQuality(), 100);  // default; a chosen one is stored: RenderFileFlowTest
    ini.PutInt("Render", "JPEGQuality", 250);  // a hand-edited file
    EXPECT_EQ(out.GetJpegQuality(), 100);

    EXPECT_EQ(out.GetRememberedFolder(), "");
    out.RememberFolderOf("/tmp/renders/cover.png");
    EXPECT_EQ(out.GetRememberedFolder(), "/tmp/renders/");
    CRenderOutput again(&ini);  // a later run reads it from the file
    EXPECT_EQ(again.GetRememberedFolder(), "/tmp/renders/");

    CRenderOutput none(nullptr);
    EXPECT_EQ(none.GetJpegQuality(), 100);
}
