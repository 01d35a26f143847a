#include "../FaceTestUtil.h"

#include "layout/export/DielineNet.h"

namespace {

double Length(const std::vector<SDielineLine>& lines)
{
    double sum = 0;
    for (const SDielineLine& l : lines)
        sum += std::hypot(l.x2 - l.x1, l.y2 - l.y1);
    return sum;
}

// The cross of a box, a book's front and spine, a card: sizes, where the
// front lies, how many folds, and the cut length (for a convex-cornered
// cross the outline is as long as the box around it).
TEST(DielineNetTest, UnfoldsEachKindAroundTheFront)
{
    struct SCase {
        double w, h, d;
        const char* letters;
        double netW, netH, frontX, frontY;
        std::size_t panels, folds;
        double cut;
    } cases[] = {
        {100, 150, 20, "FLRUD", 140, 190, 20, 20, 5, 4, 2 * (140 + 190)},
        {130, 200, 30, "FS", 160, 200, 30, 0, 2, 1, 2 * 30 + 200 + 2 * 130 + 200},
        {85, 55, 0, "F", 85, 55, 0, 0, 1, 0, 2 * (85 + 55)},
        // The back beyond the left side (or a book's spine): B L F R and B S F.
        {100, 150, 20, "FLRUDB", 240, 190, 120, 20, 6, 5, 2 * (240 + 190)},
        {130, 200, 30, "FSB", 290, 200, 160, 0, 3, 2, 2 * (290 + 200)},
    };
    for (const SCase& c : cases) {
        const CDielineNet net = CDielineNet::Create(c.w, c.h, c.d, c.letters);
        SCOPED_TRACE(c.letters);
        // Whole millimetres along the axes: the sums are exact.
        ASSERT_EQ(net.GetPanels().size(), c.panels);
        EXPECT_EQ(std::tuple(net.GetWidth(), net.GetHeight(), net.GetPanels()[0].trim.x, net.GetPanels()[0].trim.y,
                             net.FoldLines().size(), Length(net.CutLines())),
                  std::tuple(c.netW, c.netH, c.frontX, c.frontY, c.folds, c.cut));
    }
}

// The bleed grows a face on its cut edges only: the left side of a box
// keeps its fold with the front.
TEST(DielineNetTest, BleedOnlyPastCutEdges)
{
    const CDielineNet net = CDielineNet::Create(100, 150, 20, "FLRUD");
    const SDielinePanel& left = net.GetPanels()[1];
    ASSERT_EQ(left.face, 'L');
    const SDielineRect r = left.WithBleed(3);
    EXPECT_EQ((std::array{r.x, r.y, r.width, r.height}), (std::array{-3.0, 17.0, 23.0, 156.0}));
}

}  // namespace
