// The document: new-document state, products, tabs and draw-object lists.

#include "TempFolder.h"
#include "app/VtwinDoc.h"

#include "ground/AppFolders.h"
#include "app/project/RecordFaceObjects.h"
#include "app/undo/UndoStore.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"

namespace {

class CNoteRecord final : public CUndoRecord {
public:
    CNoteRecord() : CUndoRecord("F", "Note") {}
    bool Apply(UndoContext&) override { return true; }
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext&) override { return std::make_unique<CNoteRecord>(); }
    int UpdateKind() const override { return 0; }
};

int g_FactoryCalls = 0;
std::unique_ptr<CFaceObjects> CountingFactory()
{
    ++g_FactoryCalls;
    return std::make_unique<CRecordFaceObjects>();
}

} // namespace

TEST(VtwinDoc, StartUpDocumentIsEmptyWithNewDocumentDefaults)
{
    CTempFolder folder;
    std::string error;
    auto folders = CAppFolders::Create(folder.Path(), error);
    ASSERT_TRUE(folders) << error;

    CUndoStore store;
    store.Push(std::make_unique<CNoteRecord>());
    CVtwinDoc doc(nullptr, &store);
    doc.GetDrawingDefaults().text.size = 12;
    doc.GetFaceObjects("F");
    EXPECT_TRUE(folders->IsStartingUp());
    ASSERT_TRUE(doc.OnNewDocument(&*folders));
    EXPECT_FALSE(folders->IsStartingUp() || doc.HasProduct() || store.CanUndo());
    EXPECT_EQ(std::tuple(doc.GetLayoutCount(), doc.GetTitle(), doc.GetTabCount(), doc.GetTabName(0)),
              std::tuple(0u, "Untitled", 0, ""));
    EXPECT_EQ(doc.GetDrawingDefaults(), CDrawingDefaults{});
}

TEST(VtwinDoc, ProductsTabsAndNewProjects)
{
    CUndoStore store;
    CVtwinDoc doc(nullptr, &store);
    EXPECT_FALSE(doc.IsModified());
    doc.SetProduct(CreateProduct("BOX"));
    ASSERT_TRUE(doc.IsModified() && doc.HasProduct());
    const int faces = doc.GetProduct()->GetFaceCount();
    ASSERT_GT(faces, 0);
    EXPECT_EQ(std::pair(doc.GetTabCount(), doc.GetTabName(0)), std::pair(faces + 3, std::string(doc.GetProduct()->GetFaceName(0))));
    EXPECT_EQ((std::vector{doc.GetTabName(faces), doc.GetTabName(faces + 1), doc.GetTabName(faces + 2), doc.GetTabName(faces + 3),
                           doc.GetTabName(-1)}),
              (std::vector<std::string>{"Background", "Layout", "Render", "", ""}));
    // A printed back follows the main faces, before a CD-ROM.
    for (const char* code : {"BOX", "BOXCD"}) {
        CVtwinDoc backed(nullptr, &store);
        backed.SetProduct(CreateProduct(code));
        backed.GetProduct()->GetOrCreateSide("F");
        std::string error;
        ASSERT_TRUE(AddBackFace(*backed.GetProduct(), error)) << error;
        EXPECT_EQ(std::tuple(backed.GetTabCount(), backed.GetTabName(5), backed.GetTabName(6)),
                  std::tuple(backed.GetProduct()->GetFaceCount() + 4, "Back", std::string(code) == "BOX" ? "Background" : "CD-ROM"));
    }

    // A new project replaces product, objects, history and defaults.
    doc.GetFaceObjects("F");
    store.Push(std::make_unique<CNoteRecord>());
    doc.SetPathName("/some/where/old.vtp");
    EXPECT_EQ(doc.GetTitle(), "old.vtp");
    doc.GetDrawingDefaults().lineColour = 1;
    doc.NewProject(CreateProduct("CD"));
    EXPECT_STREQ(doc.GetProduct()->GetKindCode(), "CD");
    EXPECT_TRUE(!store.CanUndo() && doc.GetDrawingDefaults() == CDrawingDefaults{});
    EXPECT_EQ(std::tuple(doc.GetLayoutCount(), doc.GetTitle(), doc.GetPathName(), doc.GetTabName(0)),
              std::tuple(0u, "Untitled", "", "CD-ROM"));
}

TEST(VtwinDoc, FaceListsComeFromTheFactoryAndAreKeptPerFace)
{
    g_FactoryCalls = 0;
    CUndoStore store;
    CVtwinDoc doc(&CountingFactory, &store);
    CFaceObjects& f = doc.GetFaceObjects("F");
    EXPECT_EQ(&doc.GetFaceObjects("F"), &f);
    doc.GetFaceObjects("G");
    EXPECT_EQ(std::tuple(g_FactoryCalls, doc.GetLayoutKey(0), doc.GetLayoutKey(1)), std::tuple(2, "F", "G"));
    EXPECT_EQ(doc.FindFaceObjects("L"), nullptr);
    doc.ClearDrawObjects();
    EXPECT_TRUE(doc.GetLayoutCount() == 0u && doc.FindFaceObjects("F") == nullptr);
}
