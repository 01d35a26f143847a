#include "engine3d/sampling/FlatTiles.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

std::uint32_t TexelColour(const std::uint8_t* p) noexcept
{
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16;
}

// Whether two runs of bytes are alike; the usual whole tile row (24 bytes)
// is compared inline.
inline bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) noexcept
{
    if (bytes == 24) return std::memcmp(a, b, 24) == 0;
    return std::memcmp(a, b, bytes) == 0;
}

} // namespace

bool CFlatTiles::Build(const CTexture& picture) noexcept
{
    m_tiles.clear();
    m_whole = kMixed;
    if (!picture.IsValid()) return false;
    const int size = 1 << kShift;
    m_columns = (picture.width + size - 1) >> kShift;
    m_rows = (picture.height + size - 1) >> kShift;
    try {
        m_tiles.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), kMixed);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool any = false;
    // A tile is one colour when its first row is its first texel repeated
    // and every later row is its first row: whole rows compared, no texel
    // at a time. The first row repeats its first texel when each byte
    // equals the byte three on (byte i is then byte i mod 3): the row
    // compared with itself a texel on.
    for (int ty = 0; ty < m_rows; ++ty)
        for (int tx = 0; tx < m_columns; ++tx) {
            const int x0 = tx << kShift, y0 = ty << kShift;
            const int w = std::min(size, picture.width - x0), h = std::min(size, picture.height - y0);
            const std::uint8_t* first = picture.At(x0, y0);
            const std::size_t bytes = 3 * static_cast<std::size_t>(w);
            bool one = std::memcmp(first, first + 3, bytes - 3) == 0;
            for (int y = 1; y < h && one; ++y) one = SameBytes(picture.At(x0, y0 + y), first, bytes);
            if (!one) continue;
            m_tiles[static_cast<std::size_t>(ty) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(tx)] =
                TexelColour(first);
            any = true;
        }
    if (!any) m_tiles.clear();
    if (any && std::all_of(m_tiles.begin(), m_tiles.end(), [&](std::uint32_t t) { return t == m_tiles[0]; }))
        m_whole = m_tiles[0];
    return any;
}

bool CFlatTiles::IsOneColour(int c0, int c1, int r0, int r1, std::uint32_t& colour) const noexcept
{
    if (m_tiles.empty() || c0 < 0 || r0 < 0 || c0 > c1 || r0 > r1) return false;
    const int tx0 = c0 >> kShift, tx1 = c1 >> kShift, ty0 = r0 >> kShift, ty1 = r1 >> kShift;
    if (tx1 >= m_columns || ty1 >= m_rows) return false;
    if (m_whole != kMixed) {
        colour = m_whole;
        return true;
    }
    const std::uint32_t first = m_tiles[static_cast<std::size_t>(ty0) * static_cast<std::size_t>(m_columns) +
                                        static_cast<std::size_t>(tx0)];
    if (first == kMixed) return false;
    for (int ty = ty0; ty <= ty1; ++ty)
        for (int tx = tx0; tx <= tx1; ++tx)
            if (m_tiles[static_cast<std::size_t>(ty) * static_cast<std::size_t>(m_columns) +
                        static_cast<std::size_t>(tx)] != first)
                return false;
    colour = first;
    return true;
}
