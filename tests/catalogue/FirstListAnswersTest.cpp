// New projects of callers without list pages (the command line, the
// benchmarks): the first CD-ROM picture and sub-picture the setup made are
// taken, and the products of a set-up data folder get their faces, page
// edges, disc and media pictures at the new-project face scale.
#include "TempFolder.h"
#include "catalogue/NewProject.h"

#include "ground/AppFolders.h"
#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/ImageCanvas.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "TestDataFolder.h"

namespace {

std::pair<int, int> PictureSize(const CProduct& p, const char* key)
{
    const CSide* s = p.FindSidePtr(key);
    const CRaster* r = s ? s->GetPicture() : nullptr;
    return r ? std::pair{r->GetWidth(), r->GetHeight()} : std::pair{0, 0};
}

// One data folder set up as the first start leaves it, for the whole suite.
class FirstListAnswersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_temp = new CTempFolder;
        s_folders = MakeSetUpDataFolder(s_temp->Path(), s_error);
    }
    static void TearDownTestSuite()
    {
        s_folders.reset();
        delete s_temp;
    }
    void SetUp() override { ASSERT_TRUE(s_folders) << s_error; }

    static std::string Section(const char* model)
    {
        const CatalogueEntry* e = LookUpModel(model).entry;
        EXPECT_NE(e, nullptr) << model;
        return e ? GetCatalogueSectionName(*e) : std::string();
    }
    static std::unique_ptr<CProduct> Build(const char* model, NewProjectAnswers answers = {})
    {
        const std::string section = Section(model);
        SetFirstListAnswers(*s_folders, section, answers);
        std::string error;
        auto p = BuildProductFromModel(*s_folders, section, answers, error);
        EXPECT_NE(p, nullptr) << model << ": " << error;
        return p;
    }

    static inline CTempFolder* s_temp = nullptr;
    static inline std::optional<CAppFolders> s_folders;
    static inline std::string s_error;
};

} // namespace

TEST_F(FirstListAnswersTest, SilverDiscAndFirstSubPicture)
{
    NewProjectAnswers box;
    SetFirstListAnswers(*s_folders, "dmo_box_001.bmp", box);
    EXPECT_EQ(box.cdImage, "b000"); // "Silver 1", after the gold ones in file order
    EXPECT_EQ(box.subPicture, "");  // the VHS Box has no sub-picture page
    NewProjectAnswers floppy;
    SetFirstListAnswers(*s_folders, Section("3.5\" Floppy Disk"), floppy);
    EXPECT_EQ(floppy.subPicture, "dfl_001.bmp");
    NewProjectAnswers zip;
    SetFirstListAnswers(*s_folders, Section("zip Disk"), zip);
    EXPECT_EQ(zip.subPicture, "dzp_001.bmp");
}

TEST(FirstListAnswers, WithoutSilverTheFirstDiscAndEmptyListsStayEmpty)
{
    const CTempFolder root;
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create(root.Path(), error);
    ASSERT_TRUE(folders) << error;
    ASSERT_TRUE(WriteModelEntry(folders->ProgramSettings(), MakeModelEntry(*LookUpModel("3.5\" Floppy Disk").entry)));
    NewProjectAnswers none;
    SetFirstListAnswers(*folders, GetCatalogueSectionName(*LookUpModel("3.5\" Floppy Disk").entry), none);
    EXPECT_EQ(none.cdImage + none.subPicture, "");

    CRaster r;
    ASSERT_TRUE(r.Create(8, 8, 24));
    CImageCanvas(&r).Clear(0x808080);
    const std::string in = folders->GetInternalFolder();
    for (const char* file : {"dcd_c001.bmp", "dcd_c002.bmp"})
        ASSERT_TRUE(r.Save((in + file).c_str(), IMAGE_TYPE_BMP));
    ASSERT_TRUE(folders->ProgramSettings().PutString("Alias", "c001", "Red"));
    ASSERT_TRUE(folders->ProgramSettings().PutString("Alias", "c002", "Green"));
    NewProjectAnswers coloured;
    SetFirstListAnswers(*folders, "dmo_box_001.bmp", coloured);
    EXPECT_EQ(coloured.cdImage, "c001");
}

// A box's faces and working sides: NewProjectTest.FixedModelKeepsItsSizeAndGetsWorkingRasters.

TEST_F(FirstListAnswersTest, BookWithDiscAndBinderPageEdges)
{
    auto book = Build("bkc/Text Book");
    ASSERT_NE(book, nullptr);
    // 124 x 176 x 50 mm at 400 x 400: p = ceil(800 / 176) = ceil(4.55) = 5.
    EXPECT_EQ((std::vector{PictureSize(*book, "F"), PictureSize(*book, "u"), PictureSize(*book, "d"), PictureSize(*book, "r")}),
              (std::vector<std::pair<int, int>>{{620, 880}, {620, 250}, {620, 250}, {250, 880}}));
    EXPECT_EQ(book->FindSide("l"), CProduct::kNotFound);
    // The disc is the silver surface the setup drew.
    EXPECT_EQ(book->GetSettings().GetText(ModelKey(kSetCDImage)), "b000");
    CRaster surface;
    ASSERT_TRUE(surface.Load((s_folders->GetInternalFolder() + GetCDSurfaceFileName("b000")).c_str()));
    EXPECT_EQ(PictureSize(*book, "C"), (std::pair{surface.GetWidth(), surface.GetHeight()}));

    auto binder = Build("A4 Size Binder");
    ASSERT_NE(binder, nullptr);
    // 210 x 296 x 27 mm at 400 x 400: p = ceil(800 / 296) = ceil(2.70) = 3.
    EXPECT_EQ(std::pair(PictureSize(*binder, "l"), PictureSize(*binder, "r")), std::pair(std::pair{81, 888}, std::pair{81, 888}));
}

// A media model's faces from its sub-picture: NewProjectTest.FloppyDiskHasFivePagesAndTakesItsFacesFromTheSubPicture;
// the set-up folder's floppy and zip pictures and entries: SetupRunTest.
