#pragma once
// Bresenham's integer line walk, shared by every drawer of straight edges.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

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
// rows - 1, and otherwise the two ends of the run of columns the walk above
// visits in each row (left to right or right to left). The run of a row is
// worked out, not walked: the walk steps along x alone while 2 err > dx, err
// falling by -dy a step, so a row holds the least k with 2 (err + k dy) <= dx
// such steps before the step that moves to the next row (which moves x as
// well when 2 err >= dy); the last row runs on to x2. Rows outside 0 ..
// rows - 1 may be visited or not (a band's edges mostly lie beyond it): a
// sloping line wholly outside them is not walked, and a walk ends once it
// has left them behind.
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
    if (std::max(y1, y2) < 0 || std::min(y1, y2) >= rows) return;
    const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x2) - x1);
    const std::int64_t dy = -std::llabs(static_cast<std::int64_t>(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    std::int64_t err = dx + dy;
    std::int64_t x = x1;
    std::int64_t k = 1;
    for (int y = y1;; y += sy) {
        if (sy > 0 ? y >= rows : y < 0) return;  // every row left lies beyond
        if (y == y2) {
            visit(static_cast<int>(x), y);
            if (x != x2)
                visit(x2, y);
            return;
        }
        if (2 * err > dx) {
            // The rows of a line hold runs that differ by at most one step:
            // the previous row's run, moved to the least k that ends it.
            while (2 * (err + k * dy) > dx)
                ++k;
            while (k > 1 && 2 * (err + (k - 1) * dy) <= dx)
                --k;
            visit(static_cast<int>(x), y);
            x += k * sx;
            err += k * dy;
        }
        visit(static_cast<int>(x), y);
        if (2 * err >= dy) {
            err += dy;
            x += sx;
        }
        err += dx;
    }
}

// The row ends of both walks of a segment, the one from (x1, y1) and the one
// from (x2, y2), together: visit(y, low, high) for each row y of the
// segment within 0 .. rows - 1, with the least and greatest column either
// walk visits in it. The two walks differ only where the line passes exactly
// half-way between two pixels; together they hold the pixels at most half a
// pixel from the line, measured along the rows when the line is nearer
// horizontal and along the columns otherwise. So row y1 + t (t = 0 .. dy,
// towards y2) holds the steps s = 0 .. dx from x1 (towards x2) with
// |2 t dx - 2 s dy| <= max(dx, dy): s from ceil((2 t dx - max) / 2 dy) to
// floor((2 t dx + max) / 2 dy), quotients whose numerators grow by 2 dx a
// row.
template <typename Visit>
inline void WalkSegmentRowEnds(int x1, int y1, int x2, int y2, int rows, Visit visit) noexcept
{
    if (y1 == y2) {
        if (y1 >= 0 && y1 < rows) visit(y1, std::min(x1, x2), std::max(x1, x2));
        return;
    }
    const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x2) - x1);
    const std::int64_t dy = std::llabs(static_cast<std::int64_t>(y2) - y1);
    const std::int64_t most = std::max(dx, dy), m = 2 * dy;
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    // The rows of the segment within 0 .. rows - 1, as steps t from y1.
    const std::int64_t toFirst = sy > 0 ? -static_cast<std::int64_t>(y1) : static_cast<std::int64_t>(y1) - (rows - 1);
    const std::int64_t toLast = sy > 0 ? static_cast<std::int64_t>(rows - 1) - y1 : static_cast<std::int64_t>(y1);
    const std::int64_t first = std::max<std::int64_t>(toFirst, 0), last = std::min(toLast, dy);
    if (first > last) return;
    auto floorDiv = [m](std::int64_t a, std::int64_t& rest) {
        std::int64_t q = a / m;
        if (a % m < 0) --q;
        rest = a - q * m;
        return q;
    };
    std::int64_t restLow = 0, restHigh = 0;
    std::int64_t low = floorDiv(2 * first * dx - most + m - 1, restLow);
    std::int64_t high = floorDiv(2 * first * dx + most, restHigh);
    const std::int64_t growQ = (2 * dx) / m, growR = (2 * dx) % m;
    // A quotient and its remainder one row on (numerator + 2 dx).
    auto grow = [&](std::int64_t& q, std::int64_t& rest) {
        q += growQ;
        rest += growR;
        if (rest >= m) {
            rest -= m;
            ++q;
        }
    };
    // Left to right or right to left, each its own loop.
    auto walk = [&](auto sign) {
        int y = static_cast<int>(y1 + sy * first);
        for (std::int64_t t = first; t <= last; ++t, y += sy) {
            const auto from = static_cast<int>(std::max<std::int64_t>(low, 0)), to = static_cast<int>(std::min(high, dx));
            if constexpr (sign > 0)
                visit(y, x1 + from, x1 + to);
            else
                visit(y, x1 - to, x1 - from);
            grow(low, restLow);
            grow(high, restHigh);
        }
    };
    if (sx > 0)
        walk(std::integral_constant<int, 1>{});
    else
        walk(std::integral_constant<int, -1>{});
}
