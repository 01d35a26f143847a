// Text that reaches outside its cell (italic overhang) keeps every ink pixel
// inside its box; smooth text blends its coverage over the face and never
// turns an edge pixel into the key colour; the optional record fields that
// carry both choices. Texts of several lines: where the lines go (alignment,
// line spacing, letter spacing, wrapping), how the box follows them, and the
// optional record words that carry the choices.
#include "FaceTestUtil.h"

#include "image/Raster.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/objects/RecordStream.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "layout/text/FontEngine.h"
#include "layout/text/TextBlock.h"

#include <set>

namespace {

// The whole line rendered by the font engine without a clip: the glyph
// outlines' own pixels, wherever they fall.
CTextMask WholeLine(const CDrawText& text)
{
    CTextMask mask;
    EXPECT_TRUE(CFontEngine::Get().RenderText(text.GetFontRequest(static_cast<int>(text.GetSize())), text.GetString(),
                                              mask));
    return mask;
}

// Cell pixels (u, v) that carry ink.
std::set<std::pair<int, int>> InkCells(const CTextMask& mask)
{
    std::set<std::pair<int, int>> cells;
    for (int row = 0; row < mask.height; ++row)
        for (int col = 0; col < mask.width; ++col)
            if (mask.Ink(col, row))
                cells.insert({mask.left + col, mask.top + row});
    return cells;
}

// The eight-neighbour ring around the ink (a 3 x 3 dilation less the ink).
std::set<std::pair<int, int>> RingCells(const std::set<std::pair<int, int>>& ink)
{
    std::set<std::pair<int, int>> ring;
    for (const auto& [u, v] : ink)
        for (int du = -1; du <= 1; ++du)
            for (int dv = -1; dv <= 1; ++dv)
                if (!ink.count({u + du, v + dv}))
                    ring.insert({u + du, v + dv});
    return ring;
}

// Times italic "fff" at 60 pixels: each f leans past its advance.
void MakeItalicFff(CDrawText& text)
{
    text.SetText("fff");
    text.SetFontFace("Times");
    text.SetItalic(true);
    text.SetSize(60);
    text.SetColour1(0x0000FF);
    text.SetColour2(0x00FF00);
}

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

// The italic f leans past its advance on both sides; the box grows by that
// ink and the text moves in, so every pixel the outlines ink reaches the
// face, and a bordered text's ring shows one pixel beyond it on every side.
TEST(TextInkBox, ItalicTextKeepsEveryInkPixelAndItsRingAtEveryAngle)
{
    CDrawText probe;
    MakeItalicFff(probe);
    const auto ink = InkCells(WholeLine(probe));
    const int inkPixels = static_cast<int>(ink.size()), ringPixels = static_cast<int>(RingCells(ink).size());
    ASSERT_GT(inkPixels, 0);
    for (int angle : {0, 900, 1800, 2700})
        for (bool bordered : {false, true}) {
            CDrawText text;
            MakeItalicFff(text);
            if (bordered)
                text.SetAppearance(kTextBordered);
            text.SetAngle(angle);
            text.SetCoords(200, 200, 200, 200);
            text.FitToText();
            CRaster face = Burnt(text, 400, 400, 0xFFFFFF);
            const SInk glyphs = FindInk(face, 0x0000FF), border = FindInk(face, 0x00FF00);
            EXPECT_EQ(glyphs.count, inkPixels) << angle << " bordered " << bordered;
            if (bordered) {
                EXPECT_EQ(border.count, ringPixels) << angle;
                EXPECT_TRUE(border.minX == glyphs.minX - 1 && border.maxX == glyphs.maxX + 1 &&
                            border.minY == glyphs.minY - 1 && border.maxY == glyphs.maxY + 1)
                    << angle;
                continue;
            }
            // The box covers face columns min x .. max x - 1 and rows min y + 1
            // .. max y; the ink stays one pixel inside that on every side and,
            // the box being no larger than the ink needs, touches that margin at
            // the end of the line, where the last f leans past its advance, and
            // at its start where the font's first f reaches behind its pen
            // position (some Times faces' does, some do not).
            const int left = glyphs.minX - (text.GetMinX() + 1), right = text.GetMaxX() - 2 - glyphs.maxX;
            const int top = glyphs.minY - (text.GetMinY() + 2), bottom = text.GetMaxY() - 1 - glyphs.maxY;
            EXPECT_TRUE(left >= 0 && right >= 0 && top >= 0 && bottom >= 0) << angle;
            const int start[] = {left, top, right, bottom}, end[] = {right, bottom, left, top};
            EXPECT_EQ(end[angle / 900], 0) << angle;
            if (ink.begin()->first < 0) {
                EXPECT_EQ(start[angle / 900], 0) << angle;
            }
        }

    // A text stored before keeps its cell box, which cuts the overhang: the
    // reason the ink box exists.
    CDrawText cell;
    MakeItalicFff(cell);
    cell.SetFitsInk(false);
    cell.SetCoords(200, 200, 200, 200);
    cell.FitToText();
    CRaster face = Burnt(cell, 400, 400, 0xFFFFFF);
    EXPECT_LT(FindInk(face, 0x0000FF).count, inkPixels);
}

// Above 512-pixel cells the ink is measured on the outlines, not on a
// rendering: the box may be a pixel larger, never smaller.
TEST(TextInkBox, HugeItalicTextKeepsItsInkToo)
{
    for (bool smooth : {false, true}) {
        CDrawText text;
        MakeItalicFff(text);
        text.SetText("ff");
        text.SetSize(600);
        text.SetSmooth(smooth);
        text.SetCoords(10, 790, 10, 790);
        text.FitToText();
        const int covered = static_cast<int>(InkCells(WholeLine(text)).size());
        CRaster face = Burnt(text, 800, 800, 0xFFFFFF);
        int drawn = 0;
        for (int y = 0; y < face.GetHeight(); ++y)
            for (int x = 0; x < face.GetWidth(); ++x)
                drawn += At(face, x, y) != 0xFFFFFF;
        EXPECT_EQ(drawn, covered) << smooth;
        EXPECT_LE(text.GetMaxX(), 800);
    }
}

// (Plain upright text keeps the cell rule, the extent plus a pixel on each
// side: TextSize.BoxFollowsTheFontAndTheMeasuredText.)
TEST(TextInkBox, ResizingKeepsTheInk)
{
    // Dragging the box: the font follows the side less the margins and the
    // ink across the line, the other side follows the line with its ink.
    CDrawText text;
    MakeItalicFff(text);
    text.SetCoords(10, 300, 10, 300);
    text.FitToText();
    const int width = text.GetWidthForHeight(82);
    text.SetBounds(10, 300, 10 + width, 300 - 82);
    CDrawText::COverhang o = text.MeasureOverhang(static_cast<int>(text.GetSize()));
    EXPECT_LE(static_cast<int>(text.GetSize()) + o.top + o.bottom + 2, 82);
    int w = 0, h = 0;
    text.MeasureExtent(-1, w, h);
    EXPECT_EQ(width, w + o.left + o.right + 2);
    EXPECT_GT(o.left + o.right, 0);
    CRaster face = Burnt(text, 400, 400, 0xFFFFFF);
    EXPECT_EQ(FindInk(face, 0x0000FF).count, static_cast<int>(InkCells(WholeLine(text)).size()));
}

// Smooth text over a coloured face: every pixel is the face and the text
// colour mixed by the glyphs' coverage, out = (text a + face (255 - a)) / 255
// rounded, a the coverage the font engine gives for that pixel.
TEST(TextSmooth, EdgePixelsBlendByCoverage)
{
    const COLORREF faceColour = 0x2080C0, textColour = 0x1030F0;
    CDrawText text;
    MakeItalicFff(text);
    text.SetColour1(textColour);
    text.SetSmooth(true);
    text.SetCoords(20, 150, 20, 150);
    text.FitToText();
    CRaster face = Burnt(text, 200, 200, faceColour);

    const CTextMask mask = WholeLine(text);
    ASSERT_TRUE(mask.smooth);
    // Where the line's ink starts, measured on the mask: the text origin sits
    // one pixel in from the box's left and top edges plus any ink beyond the
    // cell on those sides.
    int inkLeft = 1 << 30, inkTop = 1 << 30, partial = 0;
    for (int row = 0; row < mask.height; ++row)
        for (int col = 0; col < mask.width; ++col)
            if (mask.Ink(col, row)) {
                inkLeft = std::min(inkLeft, mask.left + col);
                inkTop = std::min(inkTop, mask.top + row);
                partial += mask.Coverage(col, row) < 255;
            }
    ASSERT_GT(partial, 0);  // the test needs edge pixels
    const int originX = text.GetMinX() + 1 + std::max(0, -inkLeft);
    const int originTop = text.GetMaxY() - 1 - std::max(0, -inkTop);
    const auto coverageAt = [&](int x, int y) {
        const int col = x - originX - mask.left, row = (originTop - y) - mask.top;
        if (col < 0 || row < 0 || col >= mask.width || row >= mask.height)
            return 0;
        return mask.Coverage(col, row);
    };
    int mismatches = 0;
    for (int y = 0; y < face.GetHeight(); ++y) {
        for (int x = 0; x < face.GetWidth(); ++x) {
            const double a = coverageAt(x, y);
            COLORREF want = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const double t = (textColour >> shift) & 0xFF, f = (faceColour >> shift) & 0xFF;
                want |= static_cast<COLORREF>(std::lround((t * a + f * (255.0 - a)) / 255.0)) << shift;
            }
            if (At(face, x, y) != want && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " coverage " << a << ": " << std::hex << At(face, x, y)
                              << " instead of " << want;
        }
    }
    EXPECT_EQ(mismatches, 0);

    // The layout is the one-bit text's: turning Smooth on moves nothing.
    CDrawText sharp;
    MakeItalicFff(sharp);
    sharp.SetCoords(20, 150, 20, 150);
    sharp.FitToText();
    int sw = 0, sh = 0, mw = 0, mh = 0;
    sharp.MeasureExtent(-1, sw, sh);
    text.MeasureExtent(-1, mw, mh);
    EXPECT_EQ(std::pair(sw, sh), std::pair(mw, mh));
}

// Colours one step from the key: a mix of them must still never be taken for
// the transparent background, and only pixels no ink reaches are the key.
TEST(TextSmooth, CoveredPixelsNeverBecomeTheKeyColour)
{
    const COLORREF nearKey1 = 0xFF00FE, nearKey2 = 0xFE00FF;  // key: 0xFF00FF
    for (std::uint32_t appearance : {kTextNormal, kTextBordered, kTextExtrude, kTextIndent, kTextOutline}) {
        for (int angle : {0, 900}) {
            CDrawText text;
            MakeItalicFff(text);
            text.SetColour1(nearKey1);
            text.SetColour2(nearKey2);
            text.SetAppearance(appearance);
            text.SetAngle(angle);
            text.SetSmooth(true);
            text.SetCoords(0, 150, 0, 150);
            text.FitToText();
            ASSERT_EQ(text.GetBackgroundColour(), 0xFF00FFu);
            const CContentBitmap* content = text.PrepareContent(400, 400);
            ASSERT_NE(content, nullptr);
            int empty = 0, covered = 0;
            for (int r = 0; r < content->GetHeight(); ++r)
                for (int c = 0; c < content->GetWidth(); ++c) {
                    const COLORREF px = content->GetPixel(c, r);
                    if (px == 0xFF00FFu) {
                        ++empty;
                    } else {
                        ++covered;
                        EXPECT_GT(CContentBitmap::AlphaOf(px), 0) << appearance << " at " << c << "," << r;
                    }
                }
            EXPECT_GT(empty, 0) << appearance;
            EXPECT_GT(covered, 0) << appearance;
        }
    }

    // Drawn directly: laying the key colour itself fully over a pixel or
    // over opaque paint gives green 1, not the key.
    CContentBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(2, 1, 0, 0, 2, 1));
    bitmap.Fill(0xFF00FF);
    bitmap.Cover(0, 0, 0xFF00FF, 255, 0xFF00FF);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF01FFu);
    // Coverage over nothing keeps the colour exactly, with the coverage as alpha.
    bitmap.Cover(1, 0, 0x123456, 100, 0xFF00FF);
    EXPECT_EQ(std::pair(bitmap.GetPixel(1, 0) & 0xFFFFFFu, int(CContentBitmap::AlphaOf(bitmap.GetPixel(1, 0)))),
              std::pair(0x123456u, 100));
    // Half over half: alpha 100 + 100 (155) / 255 = 160.78, rounded 161; the
    // colour weights 100 * 255 and 100 * 155 mix 0x000000 over 0x123456.
    bitmap.Cover(1, 0, 0x000000, 100, 0xFF00FF);
    EXPECT_EQ(CContentBitmap::AlphaOf(bitmap.GetPixel(1, 0)), 161);
    const auto mix = [](int under) { return static_cast<unsigned>(std::lround(under * 15500.0 / 41000.0)); };
    EXPECT_EQ(bitmap.GetPixel(1, 0) & 0xFFFFFFu, mix(0x12) << 16 | mix(0x34) << 8 | mix(0x56));
    // Taking all the coverage away leaves the key.
    bitmap.Uncover(1, 0, 255, 0xFF00FF);
    EXPECT_EQ(bitmap.GetPixel(1, 0), 0xFF00FFu);
}

TEST(TextRecord, OptionalFieldsCarryTheInkBoxAndSmooth)
{
    // A text made now fits its ink; the record ends in the tag, one word and
    // the option bits.
    CDrawText made;
    made.SetText("Ink");
    EXPECT_TRUE(made.GetFitsInk());
    EXPECT_FALSE(made.GetSmooth());
    made.SetSmooth(true);
    CBinaryRecordStream s;
    made.Save(s, false, false);
    std::vector<std::uint32_t> words;
    s.Rewind();
    while (!s.AtEnd())
        words.push_back(s.ReadU32());
    ASSERT_GE(words.size(), 3u);
    // The tag, one word, and the bits fits ink (1) and smooth (2).
    EXPECT_EQ(std::vector(words.end() - 3, words.end()), (std::vector<std::uint32_t>{0x54584F31u, 1, 3}));
    // (Read back, cloned and followed by other objects in one stream: the
    // smooth text of DrawObjectRecord.EveryKindRoundTripsWithAndWithoutSelection.)

    // A record without them (every text stored before) reads as the cell
    // box without smoothing, and such a text writes the first record only.
    CDrawText old;
    old.SetText("Old");
    old.SetFitsInk(false);
    CBinaryRecordStream plain;
    old.Save(plain, false, false);
    CBinaryRecordStream reference;
    CDrawText probe;
    probe.SetText("Old");
    probe.SetFitsInk(true);
    probe.Save(reference, false, false);
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(plain.Flatten(a));
    ASSERT_TRUE(reference.Flatten(b));
    EXPECT_EQ(a.size() + 12, b.size());  // the three optional words
    plain.Rewind();
    CDrawText readOld;
    ASSERT_TRUE(readOld.Load(plain, false, false));
    EXPECT_EQ(std::pair(readOld.GetFitsInk(), readOld.GetSmooth()), std::pair(false, false));

    // An old text's record followed by optional words of our own, then another object.
    CDrawRect rect;
    rect.SetCoords(1, 2, 3, 4);
    const auto withWords = [&](CBinaryRecordStream& out, std::initializer_list<std::uint32_t> words) {
        old.Save(out, false, false);
        out.WriteU32(0x54584F31u);
        for (std::uint32_t w : words)
            out.WriteU32(w);
    };
    CBinaryRecordStream later;
    withWords(later, {3, 2, 77, 78});  // the option bits and two words of a later version
    SaveDrawObject(later, rect, false, false);
    later.Rewind();
    CDrawText fromLater;
    ASSERT_TRUE(fromLater.Load(later, false, false));
    EXPECT_EQ(std::pair(fromLater.GetFitsInk(), fromLater.GetSmooth()), std::pair(false, true));
    auto afterLater = LoadDrawObject(later, false, false);
    ASSERT_TRUE(afterLater);
    EXPECT_STREQ(afterLater->GetKindCode(), "RECT");

    // Damaged optional fields: no words, or more words than the record holds.
    for (std::uint32_t count : {0u, 1000u}) {
        CBinaryRecordStream bad;
        withWords(bad, {count, 1});
        bad.Rewind();
        CDrawText refused;
        EXPECT_FALSE(refused.Load(bad, false, false)) << count;
    }
}

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
