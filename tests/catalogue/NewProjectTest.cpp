// New project from a catalogue model: which answers are read, what the
// product holds afterwards, and that a refused model leaves the document alone.
#include "TempFolder.h"
#include "app/NewDocument.h"
#include "catalogue/NewProject.h"

#include "ground/AppFolders.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/ImageCanvas.h"
#include "image/Raster.h"

#include <type_traits>

namespace fs = std::filesystem;

namespace {

COLORREF PixelAt(const CRaster& r, int x, int y) { return RGBQUADtoRGB(r.GetPixelColor(x, y)); }

void SavePlain(const std::string& path, int w, int h, COLORREF color, int type)
{
    CRaster r;
    ASSERT_TRUE(r.Create(w, h, 24));
    CImageCanvas(&r).Clear(color);
    ASSERT_TRUE(r.Save(path.c_str(), type)) << r.GetLastError();
}

class NewProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        m_folders.emplace(*CAppFolders::Create(m_root.string(), error));
        for (const CatalogueEntry& e : GetCatalogue())
            ASSERT_TRUE(WriteModelEntry(m_folders->ProgramSettings(), MakeModelEntry(e)));
        // One floppy picture set as the setup writes it, and one CD-ROM picture.
        const std::string in = m_folders->GetInternalFolder();
        SavePlain(in + "efl_001.png", 356, 372, 0x0000FF, IMAGE_TYPE_PNG);
        SavePlain(in + "efl_001_t.png", 356, 12, 0x00FF00, IMAGE_TYPE_PNG);
        SavePlain(in + "efl_001_b.png", 356, 12, 0xFF0000, IMAGE_TYPE_PNG);
        for (const auto& [key, value] : {std::pair{"FDATA", "@E:efl_001.png"}, {"UDATA", "@E:efl_001_t.png"},
                                         {"DDATA", "@E:efl_001_b.png"}, {"LDATA", "@C:16776960"}, {"RDATA", "@C:16776960"}})
            ASSERT_TRUE(m_folders->ProgramSettings().PutString("dfl_001.bmp", key, value));
        SavePlain(in + "ecd_c000.png", 64, 64, 0xABCDEF, IMAGE_TYPE_PNG);
        SavePlain(in + "dtx_grain.bmp", 8, 8, 0x336699, IMAGE_TYPE_BMP);
    }

    // The side keys of a product in list order.
    static std::vector<std::string> Keys(const CProduct& p)
    {
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < p.GetSideCount(); ++i)
            keys.push_back(p.GetSideKey(i));
        return keys;
    }
    static const CRaster& Picture(const CProduct& p, const char* key)
    {
        const CSide* side = p.FindSidePtr(key);
        EXPECT_NE(side, nullptr) << key;
        static CRaster none;
        return side && side->GetPicture() ? *side->GetPicture() : none;
    }
    static std::pair<int, int> Size(const CProduct& p, const char* key)
    {
        return {Picture(p, key).GetWidth(), Picture(p, key).GetHeight()};
    }
    // Each setting of the product as expected: {id, value} rows.
    template <class T> static void Expect(const SettingStore& m, std::initializer_list<std::pair<std::uint32_t, T>> rows)
    {
        for (const auto& [id, value] : rows) {
            if constexpr (std::is_same_v<T, double>)
                EXPECT_EQ(m.GetReal(ModelKey(id)), value) << "setting " << id;
            else if constexpr (std::is_same_v<T, const char*>)
                EXPECT_EQ(m.GetText(ModelKey(id)), value) << "setting " << id;
            else
                EXPECT_EQ(m.GetInt(ModelKey(id)), value) << "setting " << id;
        }
    }

    CTempFolder m_temp;
    const fs::path m_root{m_temp.Path()};
    std::optional<CAppFolders> m_folders;
    CUndoStore m_undo;
};

} // namespace

TEST(FacePixels, RuleArithmetic)
{
    // p = ceil(2 * max(render) / max(W, H, D)), 1 .. 16.
    EXPECT_EQ(GetFacePixelsPerMm(103, 190, 28, 400, 400), 5); // 800 / 190 = 4.2
    EXPECT_EQ(GetFacePixelsPerMm(86, 54, 0, 400, 300), 10);   // 800 / 86 = 9.3
    EXPECT_EQ(GetFacePixelsPerMm(200, 100, 50, 400, 100), 4); // exactly 4
    EXPECT_EQ(GetFacePixelsPerMm(1, 1, 1, 999, 999), 16);
    EXPECT_EQ(GetFacePixelsPerMm(0, 0, 0, 50, 50), 16);
    EXPECT_EQ(GetFacePixelsPerMm(300, 300, 300, 50, 50), 1);
    const auto size = [](char face, int W, int H, int D, int p) {
        int w = 0, h = 0;
        GetFacePixelSize(face, W, H, D, p, w, h);
        return std::pair{w, h};
    };
    EXPECT_EQ(size('R', 103, 190, 28, 5), (std::pair{140, 950}));
    EXPECT_EQ(size('u', 103, 190, 28, 5), (std::pair{515, 140}));
    EXPECT_EQ(size('S', 86, 54, 0, 10), (std::pair{1, 540}));  // no depth: still one pixel
}

TEST_F(NewProjectTest, FloppyDiskHasFivePagesAndTakesItsFacesFromTheSubPicture)
{
    // Its five pages: WizardPages.MediaEntriesGetOnlyTheirPictureChoice.
    NewProjectAnswers answers;
    answers.size = SizePageValues{5, 5, 5}; // no size page: ignored
    std::string error;
    CVtwinDoc doc(nullptr, &m_undo);
    ASSERT_FALSE(CreateFromModel(*m_folders, "dmo_med_015.bmp", answers, doc, error));
    EXPECT_EQ(error, "Please select an item.");
    EXPECT_FALSE(doc.HasProduct());

    answers.subPicture = "dfl_001.bmp";
    std::vector<std::string> steps;
    ASSERT_TRUE(CreateFromModel(*m_folders, "dmo_med_015.bmp", answers, doc, error,
                                [&](const std::string& s) { steps.push_back(s); }))
        << error;
    ASSERT_TRUE(doc.HasProduct());
    EXPECT_TRUE(doc.IsModified());
    const CProduct& p = *doc.GetProduct();
    const SettingStore& m = p.GetSettings();
    Expect<double>(m, {{171, 89.0}, {172, 93.0}, {173, 3.0}});
    Expect<const char*>(m, {{155, "dfl_001.bmp"}, {151, "Select Floppy Disk Type"}, {152, "Please choose the type of &Floppy Disk"},
                            {153, "dfl_*.bmp"}, {154, "Floppy Image"}});
    EXPECT_EQ(Keys(p), (std::vector<std::string>{"F", "L", "R", "U", "D", "G", "a", "x", "y", "z"}));
    // Front, top and bottom are the pictures, left and right the body colour (aqua).
    EXPECT_EQ((std::vector{PixelAt(Picture(p, "F"), 10, 10), PixelAt(Picture(p, "U"), 1, 1), PixelAt(Picture(p, "D"), 1, 1),
                           PixelAt(Picture(p, "L"), 0, 0)}),
              (std::vector<COLORREF>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00}));
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(std::tuple(steps.front(), steps[steps.size() - 2], steps.back()),
              std::tuple("Creating new document", "Setting as document", "Done"));
}

TEST_F(NewProjectTest, FixedModelKeepsItsSizeAndGetsWorkingRasters)
{
    NewProjectAnswers answers;
    answers.size = SizePageValues{10, 10, 10}; // VHS Box shows no size page
    answers.sides['F'].color1 = 0x112233;
    answers.renderWidth = 500;
    answers.renderHeight = 300;
    std::string error;
    const auto product = BuildProductFromModel(*m_folders, "dmo_box_001.bmp", answers, error);
    ASSERT_TRUE(product) << error;
    const SettingStore& m = product->GetSettings();
    Expect<double>(m, {{171, 103.0}, {172, 190.0}, {173, 28.0}});
    // The product-photograph view: upright, turned 30 degrees, seen from 20
    // degrees above through a 100 mm lens, lit, smooth, soft shadows, soft edges.
    Expect<int>(m, {{161, 500}, {162, 300}, {163, 2}, {41, 0}, {42, 30}, {43, 0}, {95, 20}, {94, 100},
                    {191, 1}, {193, 50}, {194, 1}, {74, 8}});
    EXPECT_EQ(Keys(*product), (std::vector<std::string>{"F", "L", "R", "U", "D", "B", "G", "a", "x", "y", "z"}));
    // p = ceil(1000 / 190) = 6: front (and the back, which starts as the front
    // looks) 618 x 1140, left 168 x 1140, top 618 x 168; the background 500 x 300.
    EXPECT_EQ((std::vector{Size(*product, "F"), Size(*product, "B"), Size(*product, "L"), Size(*product, "U"), Size(*product, "G")}),
              (std::vector<std::pair<int, int>>{{618, 1140}, {618, 1140}, {168, 1140}, {618, 168}, {500, 300}}));
    // The front and back in the answered colour; the right (no answer) and the background white.
    EXPECT_EQ((std::vector{PixelAt(Picture(*product, "F"), 5, 5), PixelAt(Picture(*product, "B"), 617, 1139),
                           PixelAt(Picture(*product, "R"), 0, 0), PixelAt(Picture(*product, "G"), 499, 299)}),
              (std::vector<COLORREF>{0x112233, 0x112233, 0xFFFFFF, 0xFFFFFF}));
    // Working sides: white colour sides of the rendering size; the scratch and alpha
    // pictures at the new-project magnification 2; a render makes their pictures.
    for (const char* key : {"G", "a", "x", "y", "z"}) {
        const SettingStore& s = product->FindSidePtr(key)->GetSettings();
        const int k = *key == 'a' || *key == 'y' ? 2 : 1;
        EXPECT_EQ(std::tuple(s.GetInt(SideKey(kSideAppearance)), s.GetInt(SideKey(kSideBaseWidth)), s.GetInt(SideKey(kSideBaseHeight)),
                             s.GetInt(SideKey(kSideMagnification)), *key == 'G' || Size(*product, key) == std::pair{0, 0}),
                  std::tuple(1, 500, 300, k, true)) << key;
    }
    // A back answered on its own page takes that look, at the front's size.
    answers.sides['B'].color1 = 0x445566;
    const auto answered = BuildProductFromModel(*m_folders, "dmo_box_001.bmp", answers, error);
    ASSERT_TRUE(answered) << error;
    EXPECT_EQ(std::pair(Picture(*answered, "B").GetWidth(), PixelAt(Picture(*answered, "B"), 617, 1139)), std::pair(618, COLORREF{0x445566}));
}

TEST_F(NewProjectTest, EditableDepthAndBinderRules)
{
    NewProjectAnswers answers;
    answers.size = SizePageValues{999, 999, 60}; // Software Box: only the depth is read
    std::string error;
    auto box = BuildProductFromModel(*m_folders, "dmo_box_005.bmp", answers, error);
    ASSERT_TRUE(box) << error;
    Expect<double>(box->GetSettings(), {{171, 202.0}, {173, 60.0}});

    // Custom binder 40 x 279 x 60: r = 42, 40 <= 43 -> refused.
    answers.size = SizePageValues{40, 279, 60};
    EXPECT_FALSE(BuildProductFromModel(*m_folders, "dmo_bin_027.bmp", answers, error));
    EXPECT_EQ(error, "You can not make a Binder with these dimensions.\n\n"
                     "Please enter a higher Width or lower Depth value.");
    // 100 x 279 x 60: the wizard asked about the large binding; accepted.
    answers.size = SizePageValues{100, 279, 60};
    answers.binderType = 2;
    answers.binderColor = 0x0000FF;
    auto binder = BuildProductFromModel(*m_folders, "dmo_bin_027.bmp", answers, error);
    ASSERT_TRUE(binder) << error;
    Expect<int>(binder->GetSettings(), {{111, 2}, {114, 0x0000FF}});
    EXPECT_EQ(Keys(*binder),
              (std::vector<std::string>{"F", "G", "u", "d", "r", "l", "a", "x", "y", "z"}));
    // p = ceil(800 / 279) = 3: right edge D x H = 180 x 837, top edge W x D = 300 x 180.
    EXPECT_EQ(std::pair(Size(*binder, "r"), Size(*binder, "u")), std::pair(std::pair{180, 837}, std::pair{300, 180}));
    EXPECT_EQ(PixelAt(Picture(*binder, "l"), 3, 3), 0xFFFFFFu);

    answers.size = SizePageValues{0, 279, 60};
    EXPECT_FALSE(BuildProductFromModel(*m_folders, "dmo_bin_027.bmp", answers, error));
    EXPECT_EQ(error, "Width must be between 1 and 300.");
}

TEST_F(NewProjectTest, RefusedAnswersLeaveTheDocumentAlone)
{
    CVtwinDoc doc(nullptr, &m_undo);
    std::string error;
    NewProjectAnswers good;
    ASSERT_TRUE(CreateFromModel(*m_folders, "dmo_box_002.bmp", good, doc, error)) << error;
    const CProduct* before = doc.GetProduct();
    doc.SetModifiedFlag(false);

    ASSERT_TRUE(m_folders->PutProgramString("broken", "MODEL", "box"));
    struct Case {
        const char* section;
        NewProjectAnswers answers;
        std::string message;
    };
    const auto with = [&](const auto& change) {
        NewProjectAnswers a = good;
        change(a);
        return a;
    };
    // Six lights; a bevel beyond 400 / 4 = 100; no texture chosen; no CD-ROM picture;
    // a book's CD position (2) on a box; pages that do not add up.
    const Case cases[] = {
        {"no_such_section", good, "Model empty. Data corrupted?"},
        {"broken", good, "Model not found. Data corrupted?"},
        {"dmo_box_002.bmp", with([](auto& a) { a.effects.shadows = true; a.effects.lights = 0x3F; }),
         "You can not have more than 5 lights turned on."},
        {"dmo_box_002.bmp", with([](auto& a) { a.effects2.bevel = true; a.effects2.bevelSize = 101; }),
         "Bevel Size must be between 1 and 100 pixels."},
        {"dmo_box_002.bmp", with([](auto& a) { a.renderWidth = 49; }), "Width must be between 50 and 10000 pixels."},
        {"dmo_box_002.bmp", with([](auto& a) { a.sides['F'].type = 3; }), "Please select a texture."},
        {"dmo_bxc_006.bmp", good, "Please select an item."},
        {"dmo_bxc_006.bmp", with([](auto& a) { a.cdImage = "c000"; a.cdPosition = 2; }), "Please select an item."},
        {"dmo_bok_013.bmp", with([](auto& a) { a.pages.frontCover = 20; }), "The page depth percentages must add up to 100."},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(CreateFromModel(*m_folders, c.section, c.answers, doc, error)) << c.section;
        EXPECT_EQ(error, c.message) << c.section;
        EXPECT_EQ(doc.GetProduct(), before) << c.section;
        EXPECT_FALSE(doc.IsModified()) << c.section;
    }
    const auto missingTexture = with([](auto& a) { a.sides['F'].type = 3; a.sides['F'].textureFile = "dtx_missing.bmp"; });
    EXPECT_FALSE(CreateFromModel(*m_folders, "dmo_box_002.bmp", missingTexture, doc, error));
    EXPECT_NE(error.find("dtx_missing.bmp"), std::string::npos) << error;
    EXPECT_EQ(doc.GetProduct(), before);
}

TEST_F(NewProjectTest, CDAppearanceEffectsAndBackgroundPicture)
{
    NewProjectAnswers answers;
    answers.cdImage = "c000";
    answers.cdPosition = 3;
    answers.sides['F'].type = 3;
    answers.sides['F'].textureFile = "dtx_grain.bmp";
    answers.effects.shadows = false;
    answers.effects.lights = 0;
    answers.effects2.borders = true;
    answers.effects2.borderSize = 7;
    answers.effects2.borderColor = 0x123456;
    const std::string background = (m_root / "back.bmp").string();
    SavePlain(background, 640, 480, 0x445566, IMAGE_TYPE_BMP);
    answers.background.type = 0;
    answers.background.pictureFile = background;
    std::string error;
    auto p = BuildProductFromModel(*m_folders, "dmo_bxc_006.bmp", answers, error);
    ASSERT_TRUE(p) << error;
    const SettingStore& m = p->GetSettings();
    EXPECT_EQ(m.GetText(ModelKey(101)), "c000");
    // The disc, the front's texture and the background picture.
    EXPECT_EQ((std::vector{PixelAt(Picture(*p, "C"), 32, 32), PixelAt(Picture(*p, "F"), 0, 0), PixelAt(Picture(*p, "G"), 0, 0)}),
              (std::vector<COLORREF>{0xABCDEF, 0x336699, 0x445566}));
    // The CD position; the background picture fixes the rendering size;
    // shadows off: the default light, grey; the border as answered.
    Expect<int>(m, {{102, 3}, {161, 640}, {162, 480}, {71, 0}, {81, 0x100}, {72, 0x808080}, {1, 1}, {2, 7}, {3, 0x123456}});
    EXPECT_EQ(p->FindSidePtr("z")->GetSettings().GetInt(SideKey(kSideBaseWidth)), 640);
}
