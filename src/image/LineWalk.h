#pragma once
// Bresenham's integer line walk, shared by every drawer of straight edges.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// Visits the pixels of the line from (x1, y1) to (x2, y2), both end points
// included, calling visit(x, y) once for each. The error term is kept in 64
// bits so that lines between far-off points cannot overflow it.
template <typename Visit>
inline void WalkLine(int x1, int y1, int x2, int y2, Visit visit) noexcept
{
    const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x2) - x1);
    const std::int64_t dy = -std::llabs(static_cast<std::int64_t>(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    std::int64_t err = dx + dy;
    int x = x1;
    int y = y1;
    for (;;) {
        visit(x, y);
        if (x == x2 && y == y2) {
            break;
        }
        const std::int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// The pixels of that line that can widen a row's span of a scan table: both
// ends of a horizontal line, every row of a vertical one within rows 0 ..
// rows - 1, and otherwise the two ends of the run of columns the walk visits
// in each row (left to right or right to left).
template <typename Visit>
inline void WalkLineRowEnds(int x1, int y1, int x2, int y2, int rows, Visit visit) noexcept
{
    if (y1 == y2) {
        visit(x1, y1);
        visit(x2, y2);
        return;
    }
    if (x1 == x2) {
        const int lo = std::max(std::min(y1, y2), 0), hi = std::min(std::max(y1, y2), rows - 1);
        for (int y = lo; y <= hi; ++y)
            visit(x1, y);
        return;
    }
    int runY = y1, runFrom = x1, runTo = x1;
    auto visitRun = [&] {
        visit(runFrom, runY);
        if (runTo != runFrom)
            visit(runTo, runY);
    };
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        if (y != runY) {
            visitRun();
            runY = y;
            runFrom = x;
        }
        runTo = x;
    });
    visitRun();
}
