#include "engine3d/TextureSet.h"

#include "image/Raster.h"

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
    if (!texture.IsValid() || texture.stride < 3 * static_cast<std::ptrdiff_t>(texture.width)) {
        slot = CTexture();
        return false;
    }
    slot = texture;
    return true;
}
