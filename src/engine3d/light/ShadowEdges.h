#pragma once
// The edges of a shadow copy's polygons, in picture pixels, for scanning the
// copy as the union of its edges' walks.
//
// The polygon drawer fills a polygon row by row from the leftmost to the
// rightmost pixel its edges' walks visit in the row. Two polygons that share
// an edge both hold that edge's pixels in every row it crosses, and the two
// walks of one edge (one from each end) visit runs in a row that overlap or
// touch. So where the polygons over a row are chained by edges they share
// over it, their spans make one run, from the leftmost pixel of any edge's
// walk in the row to the rightmost.

#include <cstddef>

struct SCopyEdge {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // y in the rows built
    int polygon = 0;

    bool Reversed(const SCopyEdge& e) const noexcept { return x1 == e.x2 && y1 == e.y2 && x2 == e.x1 && y2 == e.y1; }

    bool SameWay(const SCopyEdge& e) const noexcept { return x1 == e.x1 && y1 == e.y1 && x2 == e.x2 && y2 == e.y2; }
    bool SameSegment(const SCopyEdge& e) const noexcept
    {
        return SameWay(e) || Reversed(e);
    }
};

constexpr int kMaxJoinedPolygons = 16;
constexpr std::size_t kMaxJoinedEdges = 64;

// Whether, on every row 0 .. rows - 1, the polygons whose rows include it
// (polygons 0 .. polygons - 1, by their edges) are chained by shared edges
// whose rows include it. False as well for more than kMaxJoinedPolygons
// polygons or kMaxJoinedEdges edges.
bool RowsJoined(const SCopyEdge* edges, std::size_t count, int polygons, int rows) noexcept;

// The drawer's edge walk into a scan table: for each row y of the walk in
// 0 .. rows - 1, left[y - origin] and right[y - origin] widened to the
// columns it visits there, clamped to 0 .. width. With `both`, the walks of
// the edge from either end together.
void WalkEdgeRows(const SCopyEdge& e, bool both, int rows, int width, int* left, int* right, int origin) noexcept;
