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

bool CTextureLevels::Build(const CTexture& picture) noexcept
{
    levels.clear();
    storage.clear();
    if (!picture.IsValid()) return false;
    try {
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
            for (int y = 0; y < to.height; ++y) {
                const int y0 = 2 * y, y1 = std::min(2 * y + 1, from.height - 1);
                for (int x = 0; x < to.width; ++x) {
                    const int x0 = 2 * x, x1 = std::min(2 * x + 1, from.width - 1);
                    const std::uint8_t* a = from.At(x0, y0);
                    const std::uint8_t* b = from.At(x1, y0);
                    const std::uint8_t* c = from.At(x0, y1);
                    const std::uint8_t* d = from.At(x1, y1);
                    std::uint8_t* o = out + y * to.stride + 3 * x;
                    for (int k = 0; k < 3; ++k) o[k] = static_cast<std::uint8_t>((a[k] + b[k] + c[k] + d[k] + 2) / 4);
                }
            }
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
