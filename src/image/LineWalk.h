#pragma once
// Bresenham's integer line walk, shared by every drawer of straight edges.

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
