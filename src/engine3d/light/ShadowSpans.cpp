#include "engine3d/light/ShadowSpans.h"

#include "engine3d/light/StudioShadow.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/TextureSet.h"
#include "image/LineWalk.h"
#include "image/Raster.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <cassert>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr int kNoLeft = 9999999;
constexpr int kNoRight = -9999999;
// A shade's blue, green and red levels repeated: four pixels and one byte.
constexpr std::size_t kShadeBytes = 16;
// Copies a step can count (its counts are 16-bit).
constexpr std::size_t kMaxCopies = 32000;

// A picture coordinate rounded as the polygon drawer rounds it.
int RoundCoordinate(double v) noexcept
{
    constexpr double kLimit = 1 << 24;
    if (!(v > -kLimit)) return -(1 << 24); // also NaN
    if (v > kLimit) return 1 << 24;
    return static_cast<int>(std::lround(v));
}

bool IsWhite(COLORREF c) noexcept
{
    return (c & 0xFFFFFFu) == 0xFFFFFFu;
}

// Scales the n bytes at p (pixels of blue, green, red) by the levels of
// shade byte for byte: byte = (byte * shade + 127) / 255, in 16 bits, where
// v / 255 is (v + 1 + (v >> 8)) >> 8 for every v up to 255 * 255 + 127 (and
// a shade of 255 keeps the byte). The bytes go 32 at a time, in vector
// registers.
inline std::uint8_t Darken(std::uint8_t byte, std::uint16_t shade) noexcept
{
    const auto v = static_cast<std::uint16_t>(byte * shade + 127);
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(v + 1 + (v >> 8)) >> 8);
}

void DarkenBytes(std::uint8_t* __restrict p, const std::uint8_t* __restrict shade, std::size_t n) noexcept
{
    constexpr std::size_t kChunk = 32;
    std::size_t i = 0;
    for (; i + kChunk <= n; i += kChunk)
        for (std::size_t j = 0; j < kChunk; ++j) p[i + j] = Darken(p[i + j], shade[i + j]);
    for (; i < n; ++i) p[i] = Darken(p[i], shade[i]);
}

} // namespace

bool CShadowSpans::Build(const CModelMesh& mesh, std::size_t last, const CFitContext& fit,
                         const CTextureSet* textures, int width, int firstRow, int rows, COLORREF colour)
{
    m_width = std::max(width, 0);
    m_firstRow = firstRow;
    m_rows = std::max(rows, 0);
    m_castCopies = m_contactCopies = 0;
    m_steps.clear();
    m_copies.clear();
    m_runs.clear();
    m_splitRuns.clear();
    m_kept.clear();
    m_keptLeft.clear();
    m_keptRight.clear();
    m_rowStart.assign(static_cast<std::size_t>(m_rows) + 1, 0);
    m_scanLeft.assign(static_cast<std::size_t>(m_rows), kNoLeft);
    m_scanRight.assign(static_cast<std::size_t>(m_rows), kNoRight);
    m_unionLeft.assign(static_cast<std::size_t>(m_rows), kNoLeft);
    m_unionRight.assign(static_cast<std::size_t>(m_rows), kNoRight);
    m_scanLow = m_unionLow = kNoLeft;
    m_scanHigh = m_unionHigh = kNoRight;
    m_unionSplit = false;
    last = std::min(last, mesh.lists.size() - 1);
    if (last > kMaxCopies) return false;
    for (std::size_t i = 1; i <= last; ++i) {
        for (const CPolygon3D& p : mesh.lists[i].polygons) {
            const std::size_t n = p.vertices.size();
            if (n < 2) continue;
            // What a layer would not count, or what would not be a flat fill.
            if (n == 4 && !IsUntexturedCode(p.faceCode)) return false;
            if (n == 2 ? IsWhite(p.outlineColour)
                       : (p.filled && IsWhite(p.fillColour)) || (p.filled && p.outlined && IsWhite(p.outlineColour)))
                return false;
        }
        // The first cast copy keeps its edges: those along the table recur
        // in every cast copy.
        if (!AddCopyEdges(mesh.lists[i], textures, i == mesh.contactShadowLists + 1))
            for (const CPolygon3D& p : mesh.lists[i].polygons)
                if (p.vertices.size() >= 2) AddPolygonSpans(p, fit, textures);
        const bool contact = i <= mesh.contactShadowLists;
        TakeCopy(contact);
        ++(contact ? m_contactCopies : m_castCopies);
    }
    GroupSteps();
    MakeShades(colour);
    // Only the steps and the shades are kept.
    for (std::vector<int>* v : {&m_scanLeft, &m_scanRight, &m_unionLeft, &m_unionRight, &m_keptLeft, &m_keptRight})
        std::vector<int>().swap(*v);
    for (std::vector<SSpan>* v : {&m_copy, &m_sorted}) std::vector<SSpan>().swap(*v);
    std::vector<std::uint32_t>().swap(m_rowCount);
    std::vector<SRun>().swap(m_runs);
    return true;
}

// A copy of filled polygons (an outline adds no pixel outside its polygon's
// span) without rounded corners, whose polygons are joined on every row,
// as the union of its edges' walks (ShadowEdges.h): each walk widens the
// copy's one run of the rows it visits. An edge walked already the same way
// round adds nothing.
bool CShadowSpans::AddCopyEdges(const CPolygonList& list, const CTextureSet* textures, bool keep)
{
    m_edges.clear();
    int polygons = 0;
    for (const CPolygon3D& p : list.polygons) {
        const std::size_t n = p.vertices.size();
        if (n < 2) continue;
        if (n == 2 || !p.filled || (textures && textures->cornerRadius != 0.0 && p.mapped && n == 4) ||
            polygons == kMaxJoinedPolygons || m_edges.size() + n > kMaxJoinedEdges)
            return false;
        auto px = [&](std::size_t i) { return RoundCoordinate(p.vertices[i].sx); };
        auto py = [&](std::size_t i) { return RoundCoordinate(p.vertices[i].sy) - m_firstRow; };
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            m_edges.push_back({px(i), py(i), px(j), py(j), polygons});
        }
        ++polygons;
    }
    if (!RowsJoined(m_edges.data(), m_edges.size(), polygons, m_rows)) return false;
    // Each segment once: both ways round when the copy walks it both ways
    // (the usual closed product, each edge between two faces), together.
    std::uint64_t walked = 0; // kMaxJoinedEdges bits
    for (std::size_t i = 0; i < m_edges.size(); ++i) {
        if (walked >> i & 1) continue;
        SCopyEdge e = m_edges[i];
        bool both = false;
        for (std::size_t j = i + 1; j < m_edges.size(); ++j) {
            const bool reversed = e.Reversed(m_edges[j]);
            if (reversed || e.SameWay(m_edges[j])) walked |= std::uint64_t{1} << j;
            both = both || reversed;
        }
        if (both && std::pair(e.x2, e.y2) < std::pair(e.x1, e.y1)) e = {e.x2, e.y2, e.x1, e.y1, e.polygon};
        WalkCopyEdge(e, both, keep);
    }
    return true;
}

// One edge (or both ways of it) into the copy's runs: from a kept edge's rows when the first
// cast copy had it, else walked (and kept when asked).
void CShadowSpans::WalkCopyEdge(const SCopyEdge& e, bool both, bool keep)
{
    const int low = std::max(std::min(e.y1, e.y2), 0), high = std::min(std::max(e.y1, e.y2), m_rows - 1);
    if (low > high) return;
    m_unionLow = std::min(m_unionLow, low);
    m_unionHigh = std::max(m_unionHigh, high);
    int* left = m_unionLeft.data();
    int* right = m_unionRight.data();
    const SKeptEdge* kept = nullptr;
    for (const SKeptEdge& k : m_kept)
        if (k.both == both && k.edge.SameWay(e)) {
            kept = &k;
            break;
        }
    if (!kept && !keep) {
        WalkEdgeRows(e, both, m_rows, m_width, left, right, 0);
        return;
    }
    if (!kept) {
        const std::size_t offset = m_keptLeft.size(), n = static_cast<std::size_t>(high - low) + 1;
        m_keptLeft.resize(offset + n, kNoLeft);
        m_keptRight.resize(offset + n, kNoRight);
        WalkEdgeRows(e, both, m_rows, m_width, m_keptLeft.data() + offset, m_keptRight.data() + offset, low);
        m_kept.push_back({e, both, low, high, offset});
        kept = &m_kept.back();
    }
    const int* keptLeft = m_keptLeft.data() + kept->offset;
    const int* keptRight = m_keptRight.data() + kept->offset;
    for (int y = low; y <= high; ++y) {
        left[y] = std::min(left[y], keptLeft[y - low]);
        right[y] = std::max(right[y], keptRight[y - low]);
    }
}

// The edge walk of the polygon drawer's scan tables: rows of the band
// built, both end points included. The walk visits every row from y1 to y2,
// so the rows it widens are those of the band between them.
void CShadowSpans::ScanEdge(int x1, int y1, int x2, int y2) noexcept
{
    const int low = std::max(std::min(y1, y2), 0), high = std::min(std::max(y1, y2), m_rows - 1);
    if (low > high) return;
    m_scanLow = std::min(m_scanLow, low);
    m_scanHigh = std::max(m_scanHigh, high);
    WalkEdgeRows({x1, y1, x2, y2, 0}, false, m_rows, m_width, m_scanLeft.data(), m_scanRight.data(), 0);
}

// The pixels of a line (band rows), as the drawer sets them.
void CShadowSpans::AddLine(int x1, int y1, int x2, int y2)
{
    if ((x1 < 0 && x2 < 0) || (x1 >= m_width && x2 >= m_width) || (y1 < 0 && y2 < 0) ||
        (y1 >= m_rows && y2 >= m_rows))
        return;
    auto pixel = [this](int x, int y) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_rows) AddSpan(y, x, x);
    };
    if (y1 == y2) {
        const int lo = std::max(std::min(x1, x2), 0);
        const int hi = std::min(std::max(x1, x2), m_width - 1);
        if (lo <= hi && y1 >= 0 && y1 < m_rows) AddSpan(y1, lo, hi);
        return;
    }
    if (x1 == x2) {
        const int lo = std::max(std::min(y1, y2), 0);
        const int hi = std::min(std::max(y1, y2), m_rows - 1);
        for (int y = lo; y <= hi; ++y) pixel(x1, y);
        return;
    }
    WalkLine(x1, y1, x2, y2, pixel);
}

// One polygon of a copy as the drawer draws an untextured one: its fill
// (spans of the scan table, trimmed to a rounded face's corners), then its
// outline when it has one; a two-point polygon is a line.
void CShadowSpans::AddPolygonSpans(const CPolygon3D& polygon, const CFitContext& fit, const CTextureSet* textures)
{
    const std::size_t n = polygon.vertices.size();
    auto px = [&](std::size_t i) { return RoundCoordinate(polygon.vertices[i].sx); };
    auto py = [&](std::size_t i) { return RoundCoordinate(polygon.vertices[i].sy) - m_firstRow; };
    if (n == 2) {
        AddLine(px(1), py(1), px(0), py(0));
        return;
    }
    if (polygon.filled) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            ScanEdge(px(i), py(i), px(j), py(j));
        }
        const bool rounded = textures && textures->cornerRadius != 0.0 && polygon.mapped && n == 4;
        CQuadMapping map;
        if (rounded) map.Create(polygon, fit);
        const double radius = rounded ? textures->cornerRadius : 0.0;
        const double faceW = rounded ? textures->faceWidth : 0.0;
        const double faceH = rounded ? textures->faceHeight : 0.0;
        auto inside = [&](int x, int y) {
            double u, v;
            map.Map(x, y + m_firstRow, u, v);
            if (!(u >= 0.0 && u <= 1.0 && v >= 0.0 && v <= 1.0)) return false;
            return CornerAllows(u * faceW, v * faceH, radius, faceW, faceH);
        };
        for (int y = m_scanLow; y <= m_scanHigh; ++y) {
            int& l = m_scanLeft[static_cast<std::size_t>(y)];
            int& r = m_scanRight[static_cast<std::size_t>(y)];
            int left = l, right = std::min(r, m_width - 1);
            l = kNoLeft;
            r = kNoRight;
            if (left > right) continue;
            if (rounded) {
                while (left <= right && !inside(left, y)) ++left;
                while (right >= left && !inside(right, y)) --right;
                if (left > right) continue;
            }
            AddSpan(y, left, right);
        }
        m_scanLow = kNoLeft;
        m_scanHigh = kNoRight;
    }
    // The drawer outlines a flat fill when it is filled and outlined.
    if (!polygon.filled || !polygon.outlined) return;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        AddLine(px(i), py(i), px(j), py(j));
    }
}

// A span of the copy, joined to the one run its row holds so far when it
// overlaps or touches it. A row whose spans leave a gap splits the copy: the
// runs so far and the span become its spans, and the spans after them are
// kept as they come, for the sorted path.
void CShadowSpans::AddSpan(int row, int left, int right)
{
    if (m_unionSplit) {
        m_copy.push_back({row, left, right});
        return;
    }
    int& l = m_unionLeft[static_cast<std::size_t>(row)];
    int& r = m_unionRight[static_cast<std::size_t>(row)];
    m_unionLow = std::min(m_unionLow, row);
    m_unionHigh = std::max(m_unionHigh, row);
    if (l > r) {
        l = left;
        r = right;
    } else if (left <= r + 1 && l <= right + 1) {
        l = std::min(l, left);
        r = std::max(r, right);
    } else {
        m_unionSplit = true;
        for (int y = m_unionLow; y <= m_unionHigh; ++y)
            if (m_unionLeft[static_cast<std::size_t>(y)] <= m_unionRight[static_cast<std::size_t>(y)])
                m_copy.push_back({y, m_unionLeft[static_cast<std::size_t>(y)], m_unionRight[static_cast<std::size_t>(y)]});
        m_copy.push_back({row, left, right});
    }
}

// The copy's spans in order of rows (counted, then placed), along each row
// in order of their left ends (a row holds a few).
void CShadowSpans::SortByRow()
{
    int low = m_copy.front().row, high = low;
    for (const SSpan& s : m_copy) {
        low = std::min(low, s.row);
        high = std::max(high, s.row);
    }
    m_rowCount.assign(static_cast<std::size_t>(high - low) + 2, 0);
    for (const SSpan& s : m_copy) ++m_rowCount[static_cast<std::size_t>(s.row - low) + 1];
    for (std::size_t r = 1; r < m_rowCount.size(); ++r) m_rowCount[r] += m_rowCount[r - 1];
    m_sorted.resize(m_copy.size());
    for (const SSpan& s : m_copy) m_sorted[m_rowCount[static_cast<std::size_t>(s.row - low)]++] = s;
    // m_rowCount[r] is now the end of row r: insertion sort within each row.
    std::size_t begin = 0;
    for (std::size_t r = 0; r + 1 < m_rowCount.size(); ++r) {
        const std::size_t end = m_rowCount[r];
        for (std::size_t i = begin + 1; i < end; ++i) {
            const SSpan s = m_sorted[i];
            std::size_t j = i;
            for (; j > begin && m_sorted[j - 1].left > s.left; --j) m_sorted[j] = m_sorted[j - 1];
            m_sorted[j] = s;
        }
        begin = end;
    }
    m_copy.swap(m_sorted);
}

// The copy's runs: one a row as the spans came (the usual copy), else its
// spans in order along each row, joined where they overlap or touch.
void CShadowSpans::TakeCopy(bool contact)
{
    const bool split = m_unionSplit;
    if (m_unionLow <= m_unionHigh) {
        const auto low = static_cast<std::size_t>(m_unionLow), high = static_cast<std::size_t>(m_unionHigh);
        if (!split) {
            m_copies.push_back({m_unionLow, m_unionHigh, m_runs.size(), contact});
            m_runs.resize(m_runs.size() + (high - low) + 1);
            SRun* run = &m_runs[m_runs.size() - (high - low) - 1];
            for (std::size_t y = low; y <= high; ++y, ++run) {
                const int l = m_unionLeft[y], right = std::min(m_unionRight[y], m_width - 1);
                if (l <= right) *run = {l, right + 1};
            }
        }
        std::fill(m_unionLeft.begin() + static_cast<std::ptrdiff_t>(low), m_unionLeft.begin() + static_cast<std::ptrdiff_t>(high) + 1, kNoLeft);
        std::fill(m_unionRight.begin() + static_cast<std::ptrdiff_t>(low), m_unionRight.begin() + static_cast<std::ptrdiff_t>(high) + 1, kNoRight);
    }
    m_unionLow = kNoLeft;
    m_unionHigh = kNoRight;
    m_unionSplit = false;
    if (!split) return;
    SortByRow();
    SSpan run = m_copy.front();
    for (std::size_t i = 1; i < m_copy.size(); ++i) {
        const SSpan& s = m_copy[i];
        if (s.row == run.row && s.left <= run.right + 1) {
            run.right = std::max(run.right, s.right);
            continue;
        }
        m_splitRuns.push_back({run, contact});
        run = s;
    }
    m_splitRuns.push_back({run, contact});
    m_copy.clear();
}

// Each row's steps in order along it: every run over the row adds its copy
// at its left end and takes it away after its right end. The changes are
// summed per column, the columns changed marked in a bit row, and read back
// in order, one step a column.
void CShadowSpans::GroupSteps()
{
    std::sort(m_splitRuns.begin(), m_splitRuns.end(),
              [](const auto& a, const auto& b) { return a.first.row < b.first.row; });
    const std::size_t columns = static_cast<std::size_t>(m_width) + 1;
    std::vector<int> cast(columns, 0), contact(columns, 0);
    std::vector<std::uint64_t> marked((columns + 63) / 64, 0);
    std::size_t split = 0;
    // Two steps a run at most, and only the rows some copy covers.
    m_steps.clear();
    m_steps.reserve(2 * (m_runs.size() + m_splitRuns.size()));
    int first = m_rows, last = -1;
    for (const SCopy& c : m_copies) {
        first = std::min(first, c.low);
        last = std::max(last, c.high);
    }
    if (!m_splitRuns.empty()) {
        first = std::min(first, m_splitRuns.front().first.row);
        last = std::max(last, m_splitRuns.back().first.row);
    }
    for (int y = 0; y < m_rows; ++y) {
        m_rowStart[static_cast<std::size_t>(y)] = static_cast<std::uint32_t>(m_steps.size());
        if (y < first || y > last) continue;
        std::size_t lowest = columns, highest = 0;
        auto add = [&](int left, int end, bool touch) {
            if (left >= end) return;
            const auto l = static_cast<std::size_t>(left), e = static_cast<std::size_t>(end);
            std::vector<int>& count = touch ? contact : cast;
            ++count[l];
            --count[e];
            marked[l / 64] |= std::uint64_t{1} << (l % 64);
            marked[e / 64] |= std::uint64_t{1} << (e % 64);
            lowest = std::min(lowest, l);
            highest = std::max(highest, e);
        };
        for (const SCopy& c : m_copies)
            if (y >= c.low && y <= c.high) {
                const SRun& r = m_runs[c.offset + static_cast<std::size_t>(y - c.low)];
                add(r.left, r.end, c.contact);
            }
        for (; split < m_splitRuns.size() && m_splitRuns[split].first.row == y; ++split) {
            const SSpan& s = m_splitRuns[split].first;
            add(s.left, s.right + 1, m_splitRuns[split].second);
        }
        for (std::size_t w = lowest / 64; w <= highest / 64 && w < marked.size(); ++w) {
            for (std::uint64_t bits = marked[w]; bits != 0; bits &= bits - 1) {
                const std::size_t x = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                if (cast[x] != 0 || contact[x] != 0)
                    m_steps.push_back({static_cast<int>(x), static_cast<std::int16_t>(cast[x]),
                                       static_cast<std::int16_t>(contact[x])});
                cast[x] = contact[x] = 0;
            }
            marked[w] = 0;
        }
    }
    m_rowStart[static_cast<std::size_t>(m_rows)] = static_cast<std::uint32_t>(m_steps.size());
}

// What each count of cast and contact copies leaves of a level, per channel;
// no copy leaves all of it (255).
void CShadowSpans::MakeShades(COLORREF colour)
{
    const CSrgbTables& t = SrgbTables();
    const auto [cast, contact] = ShadowShares(colour, m_castCopies, m_contactCopies);
    const std::size_t m = static_cast<std::size_t>(m_contactCopies) + 1;
    m_shades.assign((static_cast<std::size_t>(m_castCopies) + 1) * m * kShadeBytes, 255);
    for (int i = 0; i <= m_castCopies; ++i)
        for (int j = i == 0 ? 1 : 0; j <= m_contactCopies; ++j) {
            const float n = static_cast<float>(i), k = static_cast<float>(j);
            std::uint8_t* s = &m_shades[(static_cast<std::size_t>(i) * m + static_cast<std::size_t>(j)) * kShadeBytes];
            for (int c = 0; c < 3; ++c) s[c] = t.Encode((1.0f - cast[c] * n) * (1.0f - contact[c] * k));
            for (std::size_t c = 3; c < kShadeBytes; ++c) s[c] = s[c - 3];
        }
}

// Each row's runs lay their shades out, three bytes a pixel, from the first
// step to the last (255, which keeps a level, where no copy lies), and the
// row is darkened through them at once.
void CShadowSpans::Apply(CRaster& target, int firstRow) const
{
    const std::size_t m = static_cast<std::size_t>(m_contactCopies) + 1;
    const int width = std::min(m_width, target.GetWidth());
    // And the bytes the last store writes past the row.
    std::vector<std::uint8_t> shades(3 * static_cast<std::size_t>(std::max(width, 0)) + kShadeBytes);
    for (int y = 0; y < target.GetHeight(); ++y) {
        const int r = firstRow + y - m_firstRow;
        if (r < 0 || r >= m_rows) continue;
        const std::uint32_t from = m_rowStart[static_cast<std::size_t>(r)], to = m_rowStart[static_cast<std::size_t>(r) + 1];
        if (from == to) continue;
        const int first = std::min(m_steps[from].x, width), end = std::min(m_steps[to - 1].x, width);
        if (first >= end) continue;
        int n = 0, k = 0;
        for (std::uint32_t i = from; i < to; ++i) {
            n += m_steps[i].cast;
            k += m_steps[i].contact;
            // After the last step no copy is left.
            const int x0 = std::min(m_steps[i].x, width), x1 = i + 1 < to ? std::min(m_steps[i + 1].x, width) : end;
            if (x0 >= x1) continue;
            const std::uint8_t* s = &m_shades[(static_cast<std::size_t>(n) * m + static_cast<std::size_t>(k)) * kShadeBytes];
            // Four pixels a store; the bytes a store writes past the run
            // are written again by the runs after it.
            std::uint8_t* d = &shades[3 * static_cast<std::size_t>(x0)];
            for (int x = x0; x < x1; x += 4, d += 12) std::memcpy(d, s, kShadeBytes);
        }
        assert(n == 0 && k == 0);
        DarkenBytes(target.GetBits(y) + 3 * static_cast<std::ptrdiff_t>(first), &shades[3 * static_cast<std::size_t>(first)],
                    3 * static_cast<std::size_t>(end - first));
    }
}
