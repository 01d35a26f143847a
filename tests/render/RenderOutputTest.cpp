// Render output: format and extension rules and remembered choices (saving
// is the picture's own: RasterFiles, SafeFile and RenderFileFlow tests).

#include "PixelTestUtil.h"

#include <filesystem>

#include "TempFolder.h"
#include "ground/IniFile.h"
#include "image/Raster.h"
#include "render/output/RenderOutput.h"

namespace fs = std::filesystem;

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
