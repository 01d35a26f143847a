#include "engine3d/light/ShadowEdges.h"

#include "image/LineWalk.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

// Polygons chained so far, as a forest of parents.
struct SChains {
    std::array<int, kMaxJoinedPolygons> parent{};

    int Root(int p) noexcept
    {
        while (parent[static_cast<std::size_t>(p)] != p) p = parent[static_cast<std::size_t>(p)];
        return p;
    }
};

} // namespace

// Which polygons lie over a row, and which shared edges, changes only at the
// rows of the end points: those rows, the row after each and row 0 stand for
// all.
bool RowsJoined(const SCopyEdge* edges, std::size_t count, int polygons, int rows) noexcept
{
    if (polygons > kMaxJoinedPolygons || count > kMaxJoinedEdges) return false;
    std::array<int, kMaxJoinedPolygons> low, high;
    low.fill(INT_MAX);
    high.fill(INT_MIN);
    std::array<int, 2 * kMaxJoinedEdges + 1> at;
    std::size_t tries = 0;
    at[tries++] = 0;
    // Each edge shared by two polygons, once: its rows and its polygons.
    struct SShared {
        int low, high, a, b;
    };
    std::array<SShared, kMaxJoinedEdges> shared;
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const SCopyEdge& e = edges[i];
        const auto p = static_cast<std::size_t>(e.polygon);
        low[p] = std::min({low[p], e.y1, e.y2});
        high[p] = std::max({high[p], e.y1, e.y2});
        at[tries++] = e.y1;
        at[tries++] = e.y1 + 1;
        for (std::size_t j = i + 1; j < count && pairs < shared.size(); ++j)
            if (edges[j].polygon != e.polygon && e.SameSegment(edges[j]))
                shared[pairs++] = {std::min(e.y1, e.y2), std::max(e.y1, e.y2), e.polygon, edges[j].polygon};
    }
    std::sort(at.begin(), at.begin() + static_cast<std::ptrdiff_t>(tries));
    for (std::size_t r = 0; r < tries; ++r) {
        const int y = at[r];
        if (y < 0 || y >= rows || (r > 0 && at[r - 1] == y)) continue;
        SChains chains;
        for (int p = 0; p < polygons; ++p) chains.parent[static_cast<std::size_t>(p)] = p;
        for (std::size_t i = 0; i < pairs; ++i)
            if (y >= shared[i].low && y <= shared[i].high)
                chains.parent[static_cast<std::size_t>(chains.Root(shared[i].b))] = chains.Root(shared[i].a);
        int root = -1;
        for (int p = 0; p < polygons; ++p) {
            if (y < low[static_cast<std::size_t>(p)] || y > high[static_cast<std::size_t>(p)]) continue;
            const int q = chains.Root(p);
            if (root >= 0 && q != root) return false;
            root = q;
        }
    }
    return true;
}

void WalkEdgeRows(const SCopyEdge& e, bool both, int rows, int width, int* left, int* right, int origin) noexcept
{
    if (both && std::min(e.x1, e.x2) >= 0 && std::max(e.x1, e.x2) <= width) { // no column to clamp
        WalkSegmentRowEnds(e.x1, e.y1, e.x2, e.y2, rows, [=](int y, int low, int high) {
            int& l = left[y - origin];
            int& r = right[y - origin];
            l = std::min(l, low);
            r = std::max(r, high);
        });
        return;
    }
    if (both) {
        WalkSegmentRowEnds(e.x1, e.y1, e.x2, e.y2, rows, [=](int y, int low, int high) {
            int& l = left[y - origin];
            int& r = right[y - origin];
            l = std::min(l, std::clamp(low, 0, width));
            r = std::max(r, std::clamp(high, 0, width));
        });
        return;
    }
    WalkLineRowEnds(e.x1, e.y1, e.x2, e.y2, rows, [=](int x, int y) {
        if (y < 0 || y >= rows) return;
        x = std::clamp(x, 0, width);
        if (x < left[y - origin]) left[y - origin] = x;
        if (x > right[y - origin]) right[y - origin] = x;
    });
}
