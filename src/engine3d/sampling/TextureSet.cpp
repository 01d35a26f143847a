#include "engine3d/sampling/TextureSet.h"
#include "engine3d/sampling/FlatTiles.h"

#include "image/Raster.h"

#include <algorithm>
#include <new>

bool CTextureSet::SetPicture(char code, const CRaster* picture) noexcept
{
    CTexture t;
    if (picture && picture->IsValid() && picture->GetBpp() == 24) {
        t.bits = picture->GetBits(0);
        t.width = picture->GetWidth();
        t.height = picture->GetHeight();
        t.stride = picture->GetEffWidth();
    }
    return SetPicture(code, t);
}

bool CTextureSet::SetPicture(char code, const CTexture& texture) noexcept
{
    CTexture& slot = m_pictures[static_cast<unsigned char>(code)];
    m_levels[static_cast<unsigned char>(code)].reset();
    m_flat[static_cast<unsigned char>(code)].reset();
    m_flatBuilt[static_cast<unsigned char>(code)] = false;
    if (!texture.IsValid() || texture.stride < 3 * static_cast<std::ptrdiff_t>(texture.width)) {
        slot = CTexture();
        return false;
    }
    slot = texture;
    return true;
}

namespace {

// One row of the next level from rows r0 and r1 of a level `fromWidth`
// pixels wide: each byte (a + b + c + d + 2) / 4 of the 2 x 2 pixels below,
// the last column (and, by the caller, the last row) of an odd size taken
// twice. The column pairs are summed first (a + c for every byte of the row,
// a loop the compiler does many bytes at a time), then the pairs of pixels.
void HalveRow(const std::uint8_t* r0, const std::uint8_t* r1, int fromWidth, std::uint8_t* out, int toWidth,
              std::vector<std::uint16_t>& sums) noexcept
{
    const int n = 3 * fromWidth;
    std::uint16_t* s = sums.data();
    for (int i = 0; i < n; ++i) s[i] = static_cast<std::uint16_t>(r0[i] + r1[i]);
    if (fromWidth % 2 != 0)
        for (int k = 0; k < 3; ++k) s[n + k] = s[n - 3 + k];
    for (int x = 0; x < toWidth; ++x, s += 6, out += 3)
        for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((s[k] + s[3 + k] + 2) >> 2);
}

} // namespace

bool CTextureLevels::Build(const CTexture& picture) noexcept
{
    levels.clear();
    storage.clear();
    if (!picture.IsValid()) return false;
    try {
        std::vector<std::uint16_t> sums(3 * static_cast<std::size_t>(picture.width) + 3);
        levels.push_back(picture);
        while (levels.back().width > 1 || levels.back().height > 1) {
            const CTexture& from = levels.back();
            CTexture to;
            to.width = (from.width + 1) / 2;
            to.height = (from.height + 1) / 2;
            to.stride = 3 * static_cast<std::ptrdiff_t>(to.width);
            storage.emplace_back(static_cast<std::size_t>(to.stride) * static_cast<std::size_t>(to.height));
            std::uint8_t* out = storage.back().data();
            to.bits = out;
            for (int y = 0; y < to.height; ++y)
                HalveRow(from.At(0, 2 * y), from.At(0, std::min(2 * y + 1, from.height - 1)), from.width,
                         out + y * to.stride, to.width, sums);
            levels.push_back(to);
        }
    } catch (const std::bad_alloc&) {
        levels.clear();
        storage.clear();
        return false;
    }
    return true;
}

bool CTextureSet::BuildLevels() noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        if (!m_pictures[i].IsValid() || m_levels[i]) continue;
        std::shared_ptr<CTextureLevels> levels;
        try {
            levels = std::make_shared<CTextureLevels>();
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!levels->Build(m_pictures[i])) return false;
        m_levels[i] = std::move(levels);
    }
    return true;
}

void CTextureSet::BuildFlatTiles() noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        if (!m_pictures[i].IsValid() || m_flatBuilt[i]) continue;
        m_flatBuilt[i] = true;
        try {
            auto tiles = std::make_shared<CFlatTiles>();
            if (tiles->Build(m_pictures[i])) m_flat[i] = std::move(tiles);
        } catch (const std::bad_alloc&) {
        }
    }
}

void CTextureSet::TakeBuiltFrom(const CTextureSet& earlier) noexcept
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        const CTexture& a = m_pictures[i];
        const CTexture& b = earlier.m_pictures[i];
        if (!a.IsValid() || a.bits != b.bits || a.width != b.width || a.height != b.height || a.stride != b.stride)
            continue;
        if (!m_levels[i]) m_levels[i] = earlier.m_levels[i];
        if (!m_flatBuilt[i]) {
            m_flat[i] = earlier.m_flat[i];
            m_flatBuilt[i] = earlier.m_flatBuilt[i];
        }
    }
}
