// Texts of several lines: where the lines go (alignment, line spacing,
// letter spacing, wrapping), how the box follows them, and the optional
// record words that carry the choices.
#include "FaceTestUtil.h"

#include "layout/text/DrawText.h"
#include "layout/text/FontEngine.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/objects/RecordStream.h"
#include "layout/text/TextBlock.h"

namespace {

int Width(const std::string& text, int size, int tracking = 0)
{
    CFontRequest f;
    f.height = size;
    f.tracking = tracking;
    int w = 0, h = 0;
    EXPECT_TRUE(CFontEngine::Get().MeasureText(f, text, w, h));
    return w;
}

CTextBlock Block(const std::string& text, int size, CTextLayout layout)
{
    CFontRequest f;
    f.height = size;
    CTextBlock b;
    EXPECT_TRUE(b.Build(f, text, layout));
    return b;
}

}  // namespace

TEST(TextLines, PlacesLinesByAlignmentSpacingAndWrap)
{
    const int aa = Width("AA", 20), a = Width("A", 20);
    struct Case {
        const char* text;
        CTextLayout layout;
        int lines, width, height, secondX, secondY;
    };
    // Line i starts i * round(20 * spacing / 100) down; the block is that
    // plus one cell of 20 tall.
    const Case cases[] = {
        {"AA\nA", {kAlignLeft, 100, 0, 0}, 2, aa, 40, 0, 20},
        {"AA\nA", {kAlignCentre, 150, 0, 0}, 2, aa, 50, (aa - a) / 2, 30},
        {"AA\nA", {kAlignRight, 120, 0, 0}, 2, aa, 44, aa - a, 24},
        // Wrapped one pixel short of the whole line: "AA" stays, "A" moves down.
        {"AA A", {kAlignLeft, 100, 0, Width("AA A", 20) - 1}, 2, Width("AA A", 20) - 1, 40, 0, 20},
        // A word longer than the width breaks between its letters.
        {"AAA", {kAlignLeft, 100, 0, aa}, 2, aa, 40, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CTextBlock b = Block(c.text, 20, c.layout);
        ASSERT_EQ(b.GetLines().size(), static_cast<std::size_t>(c.lines));
        EXPECT_EQ(std::tuple(b.GetWidth(), b.GetHeight(), b.GetLines()[1].x, b.GetLines()[1].y),
                  std::tuple(c.width, c.height, c.secondX, c.secondY));
    }
    // Letter spacing of 10 % at 20 pixels adds 2 pixels between the two letters.
    EXPECT_EQ(Block("AB", 20, {kAlignLeft, 100, 10, 0}).GetWidth(), Width("A", 20) + Width("B", 20) + 2);
    // A justified line that wrapped fills the width; the paragraph's last does not.
    const int wrap = Width("A A", 20) + 6;
    const CTextBlock j = Block("A A A", 20, {kAlignJustified, 100, 0, wrap});
    ASSERT_EQ(j.GetLines().size(), 2u);
    EXPECT_EQ(std::tuple(j.GetLines()[0].advance, j.GetLines()[0].spaceExtra, j.GetLines()[1].spaceExtra),
              std::tuple(wrap, wrap - Width("A A", 20), 0));
}

TEST(TextLines, BoxFollowsTheLinesAndTheRecordKeepsTheChoices)
{
    CDrawText t;
    t.SetFitsInk(false);  // the cell box, so the sizes are the plain arithmetic
    t.SetText("AA\nA");
    t.SetSize(20);
    t.SetLayout({kAlignCentre, 150, 0, 0});
    t.SetCoords(0, 100, 0, 100);
    t.FitToText();
    EXPECT_EQ(std::pair(t.GetWidth(), t.GetHeight()), std::pair(Width("AA", 20) + 2, 30 + 20 + 2));
    // A box 80 tall holds the largest font s with round(1.5 s) + s <= 78: 31.
    t.SetBounds(0, 100, t.GetWidth(), 20);
    EXPECT_EQ(t.GetSize(), 31u);

    // The choices ride in the optional words; a text set as one plain line
    // writes none of them, as before.
    CBinaryRecordStream s;
    t.Save(s, false, false);
    s.Rewind();
    CDrawText back;
    ASSERT_TRUE(back.Load(s, false, false));
    EXPECT_EQ(back.GetLayout(), t.GetLayout());
    // The display name is one row in the objects panel.
    EXPECT_EQ(std::pair(back.GetString(), back.GetDisplayName()), std::pair(std::string("AA\nA"), std::string("AA")));
    CDrawText plain, layoutDefault;
    plain.SetFitsInk(false);
    layoutDefault.SetFitsInk(false);
    layoutDefault.SetLayout(CTextLayout{});
    CTextRecordStream a, b;
    plain.Save(a, true, false);
    layoutDefault.Save(b, true, false);
    EXPECT_EQ(a.GetText(), b.GetText());
}

TEST(TextLines, ANewTextLongerThanTheFaceWrapsAndStaysOnIt)
{
    CDrawText t;
    t.SetText("one two three four five six seven");
    t.SetSize(20);
    t.SetCoords(150, 90, 150, 90);
    t.FitToText();
    ObjectCommands::KeepOnFace(t, 200, 100);
    EXPECT_TRUE(t.IsWrapped());
    EXPECT_TRUE(t.GetMinX() >= 0 && t.GetMaxX() <= 200 && t.GetMinY() >= 0 && t.GetMaxY() <= 100)
        << t.GetMinX() << "," << t.GetMinY() << " - " << t.GetMaxX() << "," << t.GetMaxY();
    // One word wider than the face stays whole, its left edge on the face's.
    t.SetLayout(CTextLayout{});
    t.SetText("Supercalifragilistic");
    t.SetSize(40);
    t.FitToText();
    ObjectCommands::KeepOnFace(t, 200, 100);
    EXPECT_EQ(std::pair(t.IsWrapped(), t.GetMinX()), std::pair(false, 0));
}

// A quarter turn about the centre takes a wide text lying low on the face
// over its bottom edge; the turn brings it back on, as a paste is. A text the
// designer put across an edge turns where it is.
TEST(TextLines, ATurnKeepsATextThatLayOnTheFaceOnIt)
{
    for (const bool across : {false, true}) {
        CDrawObjectList list;
        auto* t = static_cast<CDrawText*>(list.Add(std::make_unique<CDrawText>()));
        t->SetText("NIGHT HARBOUR");
        t->SetSize(20);
        t->SetCoords(40, across ? 210 : 30, 40, across ? 210 : 30);
        t->FitToText();
        const int width = t->GetWidth(), height = t->GetHeight();
        ASSERT_GT(width, 4 * height);
        const int cy = (t->GetMinY() + t->GetMaxY()) / 2;
        EXPECT_EQ(ObjectCommands::SetAngle(list, 0, 90, 200, 200), "");
        EXPECT_EQ(std::pair(t->GetWidth(), t->GetHeight()), std::pair(height, width));
        if (across) {
            EXPECT_NEAR((t->GetMinY() + t->GetMaxY()) / 2, cy, 1);  // turned in place
        } else {
            EXPECT_TRUE(t->GetMinY() == 0 && t->GetMaxY() <= 200);  // lifted by the part the turn took off
        }
    }
    // On a spine narrower than the text, the turn about the centre would take
    // it wholly off the face: it is brought back on, its right edge on the face's.
    CDrawObjectList list;
    auto* t = static_cast<CDrawText*>(list.Add(std::make_unique<CDrawText>()));
    t->SetText("NIGHT HARBOUR");
    t->SetSize(20);
    t->SetCoords(0, 100, 0, 100);
    t->FitToText();
    const int width = t->GetWidth(), height = t->GetHeight();
    ASSERT_GT(width / 2 - height / 2, 30);  // turned in place it would start right of x = 30
    EXPECT_EQ(ObjectCommands::SetAngle(list, 0, 90, 30, 200), "");
    EXPECT_EQ(t->GetMaxX(), 30);
}
