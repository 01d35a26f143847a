#include "engine3d/surface/CoveredColumns.h"

#include "engine3d/geometry/Polygon3D.h"
#include "engine3d/surface/RenderSurface.h"

#include <algorithm>
#include <cmath>

void CCoveredRow::Add(int lo, int hi) noexcept
{
    if (lo > hi) return;
    int i = 0;
    while (i < count && to[i] < lo - 1) ++i; // runs wholly left of lo .. hi stay
    int j = i;
    while (j < count && from[j] <= hi + 1) { // runs overlapping or touching join it
        lo = std::min(lo, from[j]);
        hi = std::max(hi, to[j]);
        ++j;
    }
    if (i == j && count == kMost) return; // no room for a run of its own
    const int moved = count - j;          // runs right of it, moved to i + 1 on
    const int shift = i + 1 - j;
    if (shift > 0)
        for (int k = count - 1; k >= j; --k) from[k + shift] = from[k], to[k + shift] = to[k];
    else if (shift < 0)
        for (int k = j; k < count; ++k) from[k + shift] = from[k], to[k + shift] = to[k];
    from[i] = lo;
    to[i] = hi;
    count = i + 1 + moved;
}

CCoveredRow CoveredByBoth(const CCoveredRow& a, const CCoveredRow& b) noexcept
{
    CCoveredRow both;
    for (int i = 0, j = 0; i < a.count && j < b.count;) {
        both.Add(std::max(a.from[i], b.from[j]), std::min(a.to[i], b.to[j]));
        (a.to[i] < b.to[j] ? i : j) += 1;
    }
    return both;
}

void CCoveredFaces::AddFace(const CPolygon3D& polygon, const CQuadMapping& map)
{
    if (polygon.vertices.size() != 4) return;
    double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        x[i] = polygon.vertices[i].sx, y[i] = polygon.vertices[i].sy;
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return;
    }
    // The outline's turn at each corner: all one way for a convex outline.
    double turn[4];
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4, k = (i + 2) % 4;
        turn[i] = (x[j] - x[i]) * (y[k] - y[j]) - (y[j] - y[i]) * (x[k] - x[j]);
    }
    const double o = turn[0] > 0.0 ? 1.0 : -1.0;
    for (const double t : turn)
        if (!(o * t > 0.0)) return;
    SCondition conditions[8];
    int count = 0;
    // Left of each edge (counter-clockwise outline; mirrored by o otherwise):
    // (x[j] - x[i]) (py - y[i]) - (y[j] - y[i]) (px - x[i]) >= 0.
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const double dx = x[j] - x[i], dy = y[j] - y[i];
        conditions[count++] = {-o * dy, o * dx, o * (dy * x[i] - dx * y[i])};
    }
    // 0 <= u = B / C < 1 and 0 <= v = 1 - A / C < 1, with s the sign of C
    // inside: s B >= 0, s (C - B) > 0, s A > 0, s (C - A) >= 0.
    const double mx = 0.25 * (x[0] + x[1] + x[2] + x[3]), my = 0.25 * (y[0] + y[1] + y[2] + y[3]);
    const double centre = map.cx * mx + map.cy * my + map.c0;
    if (!(centre > 0.0 || centre < 0.0)) return;
    const double s = centre > 0.0 ? 1.0 : -1.0;
    conditions[count++] = {s * map.bx, s * map.by, s * map.b0};
    conditions[count++] = {s * (map.cx - map.bx), s * (map.cy - map.by), s * (map.c0 - map.b0)};
    conditions[count++] = {s * map.ax, s * map.ay, s * map.a0};
    conditions[count++] = {s * (map.cx - map.ax), s * (map.cy - map.ay), s * (map.c0 - map.a0)};
    SFace f;
    f.bottom = std::min({y[0], y[1], y[2], y[3]});
    f.top = std::max({y[0], y[1], y[2], y[3]});
    // A face too thin for the square about a pixel (the strips of rounded
    // edges) covers nothing.
    const double wide = std::max({x[0], x[1], x[2], x[3]}) - std::min({x[0], x[1], x[2], x[3]});
    if (!(f.top - f.bottom > 2.0 * kCoverMargin && wide > 2.0 * kCoverMargin)) return;
    // Each condition at its least over the square about (px, py):
    // c.x px + beta > 0 with beta = c.y py + least, least = c.c - m (|c.x| +
    // |c.y|) less a share 1e-9 of the terms' size for the roundings; as a
    // bound on px, -beta / c.x = a py + b with a = -c.y / c.x, b = -least / c.x,
    // worked out once a face. The bound as computed (a, b, a py and the sum
    // each rounded once) is off by at most 4 units of the last place of
    // (|c.y py| + |least|) / |c.x|, which (py below 65536) is under
    // 2^-49 size / |c.x|: far inside the share, whose least is 1e-9 size / |c.x|.
    for (int i = 0; i < count; ++i) {
        const SCondition& c = conditions[i];
        const double size = std::fabs(c.c) + (std::fabs(c.x) + std::fabs(c.y)) * 65536.0;
        const double least = c.c - kCoverMargin * (std::fabs(c.x) + std::fabs(c.y)) - 1e-9 * size;
        SBound& b = f.bounds[f.count++];
        b.side = c.x > 0.0 ? 1 : c.x < 0.0 ? -1 : 0;
        b.a = b.side == 0 ? c.y : -c.y / c.x;
        b.b = b.side == 0 ? least : -least / c.x;
        if (!std::isfinite(b.a) || !std::isfinite(b.b)) return;
    }
    m_faces.push_back(f);
}

void CCoveredFaces::Rows(int firstRow, int count, int width, std::vector<CCoveredRow>& rows) const
{
    rows.assign(static_cast<std::size_t>(std::max(count, 0)), CCoveredRow());
    if (width <= 0) return;
    const double m = kCoverMargin;
    for (const SFace& f : m_faces) {
        const double first = firstRow, last = static_cast<double>(firstRow) + count - 1;
        const int lowRow = static_cast<int>(std::clamp(std::ceil(f.bottom + m), first, last + 1.0));
        const int highRow = static_cast<int>(std::clamp(std::floor(f.top - m), first - 1.0, last));
        for (int py = lowRow; py <= highRow; ++py) {
            double lo = 0.0, hi = width - 1.0;
            for (int i = 0; i < f.count && lo <= hi; ++i) {
                const SBound& b = f.bounds[i];
                const double v = b.a * py + b.b;
                if (b.side > 0)
                    lo = std::max(lo, std::floor(v) + 1.0);
                else if (b.side < 0)
                    hi = std::min(hi, std::ceil(v) - 1.0);
                else if (!(v > 0.0))
                    hi = -1.0;
            }
            if (lo <= hi) rows[static_cast<std::size_t>(py - firstRow)].Add(static_cast<int>(lo), static_cast<int>(hi));
        }
    }
}
