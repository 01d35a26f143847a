// Edge softening of CRenderSurface: the coverage map and the table of partly
// covered pixels, and their resolution after a list.
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/FaceSetup.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <bit>
#include <new>


// A band's surface lives for one band, and its coverage map alone is as
// large as its picture in pixels (2 MB a band at 4000 pixels wide): instead
// of being made and cleared again for each band, the map and the partial
// table of a surface that ends go back to its thread, cleared (only the
// touched box of the map, as after each list), for the next surface to take.
// Two of each are kept, for the picture's surface and the layer's; buffers
// larger than a band's are not kept, so a whole picture drawn at once does
// not leave its map behind.
struct CRenderSurface::CKeptSoftening {
    static constexpr std::size_t kMostBytes = std::size_t{4} << 20;
    std::vector<std::uint8_t> coverage[2];
    std::vector<CPartialPixel> partial[2];
};

CRenderSurface::CKeptSoftening& CRenderSurface::KeptSoftening() noexcept
{
    thread_local CKeptSoftening kept;
    return kept;
}

void CRenderSurface::KeepSoftening() noexcept
{
    if (m_coverage.empty() && m_partial.empty()) return;
    ClearSoftening(); // every byte of the map and every record empty again
    CKeptSoftening& kept = KeptSoftening();
    const auto keep = [](auto& buffer, auto& slots) {
        if (buffer.empty() || buffer.capacity() * sizeof(buffer[0]) > CKeptSoftening::kMostBytes) return;
        for (auto& slot : slots)
            if (slot.empty()) {
                slot.swap(buffer);
                return;
            }
    };
    keep(m_coverage, kept.coverage);
    keep(m_partial, kept.partial);
}

bool CRenderSurface::EnsureSoftening() noexcept
{
    CKeptSoftening& kept = KeptSoftening();
    // A kept buffer holds only zeros (empty records): cut or lengthened to
    // the size wanted, it is as if made anew.
    const auto take = [](auto& buffer, auto& slots) {
        for (auto& slot : slots)
            if (!slot.empty()) {
                buffer.swap(slot);
                return;
            }
    };
    try {
        if (m_coverage.empty()) {
            take(m_coverage, kept.coverage);
            m_coverage.resize(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
        }
        // About four partly covered pixels a column fit without growing (a
        // band of a studio render holds 2,000 to 12,000 of them); the size
        // changes no picture, as each record resolves its own pixel.
        if (m_partial.empty()) {
            take(m_partial, kept.partial);
            m_partial.resize(std::max(m_partial.size(),
                                      std::bit_ceil(std::max<std::size_t>(4096, 4 * static_cast<std::size_t>(m_width)))));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CRenderSurface::ClearSoftening() noexcept
{
    if (!m_coverage.empty() && !m_coverageTouched.IsEmpty()) {
        for (int y = m_coverageTouched.bottom; y <= m_coverageTouched.top; ++y) {
            std::uint8_t* row = &Coverage(m_coverageTouched.left, y);
            std::fill(row, row + (m_coverageTouched.right - m_coverageTouched.left + 1), 0);
        }
    }
    m_coverageTouched = CBoundingBox();
    if (m_partialCount != 0) {
        for (CPartialPixel& p : m_partial) p = CPartialPixel();
        m_partialCount = 0;
    }
}

namespace {
inline std::size_t HashKey(std::uint32_t key) noexcept
{
    return static_cast<std::size_t>(key * 2654435761u);
}
} // namespace

CRenderSurface::CPartialPixel* CRenderSurface::FindPartial(int x, int y) noexcept
{
    if (m_partial.empty()) return nullptr;
    const std::uint32_t key =
        static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(m_width) + static_cast<std::uint32_t>(x) + 1;
    const std::size_t mask = m_partial.size() - 1;
    for (std::size_t i = HashKey(key) & mask;; i = (i + 1) & mask) {
        CPartialPixel& slot = m_partial[i];
        if (slot.key == key) return slot.faces > 0 ? &slot : nullptr;
        if (slot.key == 0) return nullptr;
    }
}

CRenderSurface::CPartialPixel* CRenderSurface::InsertPartial(int x, int y) noexcept
{
    if ((m_partialCount + 1) * 2 > m_partial.size() && !GrowPartialTable()) return nullptr;
    const std::uint32_t key =
        static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(m_width) + static_cast<std::uint32_t>(x) + 1;
    const std::size_t mask = m_partial.size() - 1;
    for (std::size_t i = HashKey(key) & mask;; i = (i + 1) & mask) {
        CPartialPixel& slot = m_partial[i];
        if (slot.key == key) {
            if (slot.faces == 0) { // removed earlier: a fresh record
                const std::uint8_t* p = Pixel(x, y);
                slot = CPartialPixel();
                slot.key = key;
                slot.background[0] = p[0];
                slot.background[1] = p[1];
                slot.background[2] = p[2];
            }
            return &slot;
        }
        if (slot.key == 0) {
            const std::uint8_t* p = Pixel(x, y);
            slot.key = key;
            slot.background[0] = p[0];
            slot.background[1] = p[1];
            slot.background[2] = p[2];
            ++m_partialCount;
            return &slot;
        }
    }
}

void CRenderSurface::RemovePartial(int x, int y) noexcept
{
    // A removed record keeps its slot (so probing chains stay intact) with no faces.
    CPartialPixel* rec = FindPartial(x, y);
    if (!rec) return;
    const std::uint32_t key = rec->key;
    *rec = CPartialPixel();
    rec->key = key;
}

bool CRenderSurface::GrowPartialTable() noexcept
{
    std::vector<CPartialPixel> grown;
    try {
        grown.assign(std::max<std::size_t>(m_partial.size() * 2, 4096), CPartialPixel());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<CPartialPixel> old;
    old.swap(m_partial);
    m_partial.swap(grown);
    const std::size_t mask = m_partial.size() - 1;
    m_partialCount = 0;
    for (const CPartialPixel& rec : old) {
        if (rec.key == 0) continue;
        std::size_t i = HashKey(rec.key) & mask;
        while (m_partial[i].key != 0) i = (i + 1) & mask;
        m_partial[i] = rec;
        ++m_partialCount;
    }
    return true;
}

int CRenderSurface::GetCoverage(int x, int y) const noexcept
{
    if (m_coverage.empty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                      static_cast<std::size_t>(x)];
}

bool CRenderSurface::HasPartialPixel(int x, int y) const noexcept
{
    return const_cast<CRenderSurface*>(this)->FindPartial(x, y) != nullptr;
}

// After a list: a partial pixel that ended fully covered (or sits inside the
// product: covered itself, or at least 3 of its 4 neighbours covered, a
// neighbour outside the picture counting as covered) becomes the average of
// its samples; an outline pixel still showing its recorded background is
// blended with it, ((N - count) * background + sum) / N; a pixel that
// something else has been drawn over since keeps that.
void CRenderSurface::ResolvePartialPixels(int sampleCount, bool linear) noexcept
{
    const CSrgbTables& srgb = SrgbTables();
    if (m_partialCount == 0) return;
    const int N = GridFor(sampleCount).count;
    auto covered = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return true;
        return GetCoverage(x, y) >= N;
    };
    for (const CPartialPixel& rec : m_partial) {
        if (rec.key == 0 || rec.faces == 0) continue;
        const std::uint32_t index = rec.key - 1;
        const int x = static_cast<int>(index % static_cast<std::uint32_t>(m_width));
        const int y = static_cast<int>(index / static_cast<std::uint32_t>(m_width));
        std::uint8_t* p = Pixel(x, y);
        bool interior = covered(x, y);
        if (!interior) {
            const int n = covered(x - 1, y) + covered(x + 1, y) + covered(x, y - 1) + covered(x, y + 1);
            interior = n >= 3;
        }
        if (rec.count >= N || interior) {
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(rec.sum[c] / rec.count);
        } else if (p[0] == rec.background[0] && p[1] == rec.background[1] && p[2] == rec.background[2] && linear) {
            const float share = static_cast<float>(rec.count) / static_cast<float>(N);
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t mean = (rec.sum[c] + rec.count / 2) / rec.count;
                p[c] = srgb.Encode(srgb.decode[rec.background[c]] * (1.0f - share) + srgb.decode[mean] * share);
            }
        } else if (p[0] == rec.background[0] && p[1] == rec.background[1] && p[2] == rec.background[2]) {
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>(
                    (static_cast<std::uint32_t>(N - rec.count) * rec.background[c] + rec.sum[c]) / N);
        }
    }
}
