// The rows beside each tab: which rows a product's values bring, the rows of
// each kind's faces, and the text form of a row.

#include "TempFolder.h"
#include "app/GridRows.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingStore.h"

namespace {

// Labels in order, heads as "[Head]".
std::vector<std::string> Labels(const std::vector<CGridRow>& rows)
{
    std::vector<std::string> out;
    for (const CGridRow& r : rows) out.push_back(r.IsHead() ? "[" + r.label + "]" : r.label);
    return out;
}

const CGridRow* Find(const std::vector<CGridRow>& rows, const std::string& section, const std::string& label)
{
    std::string head;
    for (const CGridRow& r : rows) {
        if (r.IsHead()) head = r.label;
        else if (r.label == label && head == section) return &r;
    }
    return nullptr;
}

void Set(CProduct& p, std::uint32_t id, int value) { p.GetSettings().SetInt(ModelKey(id), value); }

} // namespace

TEST(GridRows, RenderRowsFollowTheSwitches)
{
    auto box = CreateProduct("BOX");
    const auto rows = [&box] { return BuildRenderRows(*box); };
    const auto value = [&rows](const char* section, const char* label) {
        const std::vector<CGridRow> all = rows(); // r points into it
        const CGridRow* r = Find(all, section, label);
        return r ? r->value : std::string("(none)");
    };
    // Defaults of a box: bevel, borders, colour effect, lens flare and
    // reflection off; shadows on with their three rows; no binder or CD rows.
    const std::vector<std::string> expected = {
        "[Rendering Options]", "Detail", "Soften Edges", "Shading", "Lighting", "Finish", "Light Fall-off", "Backdrop",
        "Texture Filtering", "Rendering Size", "Resolution", "[Bevel]", "Bevel", "[Borders]", "Borders",
        "[Color Balance]", "Brightness", "Contrast", "Red", "Green", "Blue", "[Color Effect]", "Color Effect",
        "[Lens Flare]", "Lens Flare", "[Object Positioning]", "Table Position", "Above Table", "X Rotation",
        "Y Rotation", "Z Rotation", "[Object Properties]", "Edge Radius", "Folds Shown", "[Observer Position]",
        "X Position", "Y Position", "Elevation", "Lens", "Framing", "[Reflection]", "Reflection", "[Shadows]",
        "Shadows", "Lights", "Color", "Style", "Softness"};
    EXPECT_EQ(Labels(rows()), expected);
    // Lights 0x100, shadow colour 0x808080.
    EXPECT_EQ((std::vector{value("Color Balance", "Brightness"), value("Shadows", "Lights"), value("Shadows", "Color"),
                           value("Shadows", "Style")}),
              (std::vector<std::string>{"100%", "256", "8421504", "Best"}));

    // Bevel on shows Style and Size; Color only for "Color Fade"; off again the
    // rows go, and come back with their old values.
    Set(*box, kSetBevel, 1);
    Set(*box, kSetBevelSize, 17);
    EXPECT_EQ((std::vector{value("Bevel", "Size"), value("Bevel", "Color")}), (std::vector<std::string>{"17", "(none)"}));
    Set(*box, kSetBevelStyle, 3);
    EXPECT_EQ(value("Bevel", "Style"), "Color Fade");
    EXPECT_EQ(Find(rows(), "Bevel", "Color")->kind, 'C');
    Set(*box, kSetBevel, 0);
    EXPECT_EQ(value("Bevel", "Size"), "(none)");
    Set(*box, kSetBevel, 1);
    EXPECT_EQ(value("Bevel", "Size"), "17");

    // Lens flare: Alpha Mix only with "Alpha" blending.
    Set(*box, kSetLensFlare, 1);
    EXPECT_NE(Find(rows(), "Lens Flare", "Alpha Mix"), nullptr);
    Set(*box, kSetLensFlareBlending, 2);
    EXPECT_EQ((std::vector{value("Lens Flare", "Alpha Mix"), value("Lens Flare", "Blending")}),
              (std::vector<std::string>{"(none)", "Additive"}));

    // The vertical table hides the Reflection section whatever Reflection holds.
    Set(*box, kSetReflection, 1);
    EXPECT_NE(Find(rows(), "Reflection", "Ripple"), nullptr);
    Set(*box, kSetTablePosition, 1);
    EXPECT_EQ(Find(rows(), "Reflection", "Reflection"), nullptr);

    // Shadows off: only the switch stays.
    Set(*box, kSetShadows, 0);
    EXPECT_EQ(value("Shadows", "Lights"), "(none)");
}

TEST(GridRows, ProductAndFaceRowsByKind)
{
    // A business card has no folds, no CD-ROM and no binding: no [Object Properties].
    const auto cardRows = Labels(BuildRenderRows(*CreateProduct("CARD")));
    EXPECT_EQ(std::count(cardRows.begin(), cardRows.end(), "[Object Properties]"), 0);

    // A binder of type "None" has no colour.
    auto binder = CreateProduct("BINDER");
    const auto type = [&binder] {
        const auto rows = BuildRenderRows(*binder);
        const CGridRow* t = Find(rows, "Object Properties", "Binder Type");
        return std::pair(t ? t->value : "(none)", Find(rows, "Object Properties", "Binder Color") != nullptr);
    };
    EXPECT_EQ(type(), std::pair(std::string("None"), false));
    Set(*binder, kSetBinderType, 2);
    EXPECT_EQ(type(), std::pair(std::string("Comb Bound"), true));

    // Binders show the face image rows on the spine; their page edges the
    // page settings with the three depths; the CD-ROM face names its image.
    const std::vector<CGridRow> spine = BuildFaceRows(*binder, 'S'), edge = BuildFaceRows(*binder, 'r');
    const std::vector<CGridRow> cd = BuildFaceRows(*binder, 'C', "Blue Disc");
    EXPECT_EQ(Labels(spine), (std::vector<std::string>{"[Spine Image]", "Image"}));
    EXPECT_EQ(std::tuple(spine[1].value, spine[1].id, spine[1].category),
              std::tuple(std::string("Double Click To Edit"), kFaceImageRowId, 'S'));
    EXPECT_EQ(Labels(edge), (std::vector<std::string>{"[Page Settings]", "Page Depth %", "Paper Color", "Page Edges"}));
    EXPECT_EQ(std::pair(edge[1].value, edge[1].id), std::pair(std::string("10% / 80% / 10%"), 134u));
    EXPECT_EQ(Labels(cd), (std::vector<std::string>{"[CD-ROM]", "Image"}));
    EXPECT_EQ(cd[1].value, "Blue Disc");

    // Box faces: the front leads to its picture editor; the face picture flag adds the [Image] section.
    auto box = CreateProduct("BOX");
    EXPECT_EQ(Labels(BuildFaceRows(*box, 'F')), (std::vector<std::string>{"[Front Image]", "Image"}));
    EXPECT_TRUE(BuildFaceRows(*box, 'R').empty());
    Set(*box, 144, 1);
    EXPECT_EQ(Labels(BuildFaceRows(*box, 'R')), (std::vector<std::string>{"[Image]", "Name"}));
}

TEST(GridRows, TextFormRoundTripsAndRefusesDamagedTexts)
{
    const CGridRow size = CGridRow::Int("Size", 12, ModelKey(13));
    EXPECT_EQ((std::vector{size.Encode(), CGridRow::Head("Bevel").Encode(),
                           CGridRow::Color("Color", 0x808080, ModelKey(72)).Encode()}),
              (std::vector<std::string>{"Size\n12\nT\nInt\nM13", "Bevel\n\nH\nHead\n", "Color\n8421504\nC\nColor\nM72"}));
    CGridRow back;
    EXPECT_TRUE(CGridRow::Decode(size.Encode(), back) && back == size);
    // Damaged texts are refused and leave the row alone.
    for (const char* text : {"", "a\nb", "a\nb\nTT\nInt\nM1", "a\nb\nT\nInt\nMx", "a\nb\nT\nInt\nM",
                             "a\nb\nT\nInt\nM1\nextra", "a\nb\nT\nInt\nM123456789"}) {
        CGridRow untouched = size;
        EXPECT_TRUE(!CGridRow::Decode(text, untouched) && untouched == size) << text;
    }
}
