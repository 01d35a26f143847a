#include "layout/DrawPicture.h"

#include "image/PictureLoader.h"
#include "image/Raster.h"

std::unique_ptr<CDrawPicture> CDrawPicture::CreateFromImage(std::shared_ptr<const CRaster> image, int left, int top)
{
    auto picture = std::make_unique<CDrawPicture>();
    picture->SetCoords(left, top, left, top);
    picture->SetImage(std::move(image));
    picture->SetBoxToImage();
    return picture;
}

std::unique_ptr<CDrawPicture> CDrawPicture::CreateFromFile(const std::string& fileName, int left, int top,
                                                           std::string& message)
{
    message.clear();
    // The loader converts to 24 bits and undoes the ".enc." channel order;
    // its own reason is not shown, the Picture tool has one sentence.
    std::string reason;
    std::unique_ptr<CRaster> loaded = LoadPicture(fileName, reason);
    if (!loaded || !loaded->IsValid() || loaded->GetBpp() != 24) {
        message = "Picture " + fileName + " could not be read.";
        return nullptr;
    }
    return CreateFromImage(std::shared_ptr<const CRaster>(std::move(loaded)), left, top);
}

void CDrawPicture::SetImage(std::shared_ptr<const CRaster> image)
{
    for (auto& i : m_images)
        i.reset();
    if (image && image->IsValid())
        m_images[0] = std::move(image);
    BuildRotations();
    InvalidateCache();
}

// 900 is the picture turned left, 1800 flipped and mirrored, 2700 turned right.
void CDrawPicture::BuildRotations()
{
    const int q = m_angle / 900;
    if (m_images[q] || !m_images[0])
        return;
    auto turned = std::make_shared<CRaster>();
    bool ok = false;
    switch (q) {
    case 1: ok = turned->Copy(*m_images[0]) && turned->RotateLeft(); break;
    case 2: ok = turned->Copy(*m_images[0]) && turned->Flip() && turned->Mirror(); break;
    case 3: ok = turned->Copy(*m_images[0]) && turned->RotateRight(); break;
    default: break;
    }
    if (ok && turned->IsValid())
        m_images[q] = std::move(turned);
}

void CDrawPicture::SetBoxToImage()
{
    const std::shared_ptr<const CRaster>& image = GetCurrentImage();
    if (!image)
        return;
    const int left = GetMinX(), top = GetMaxY();
    SetCoords(left, top, left + image->GetWidth(), top - image->GetHeight());
    InvalidateCache();
}

void CDrawPicture::RotateLeft(int cx, int cy)
{
    CDrawBitmapObject::RotateLeft(cx, cy);
    BuildRotations();
}

void CDrawPicture::RotateRight(int cx, int cy)
{
    CDrawBitmapObject::RotateRight(cx, cy);
    BuildRotations();
}

// Nearest-neighbour stretch of the current image over the whole bitmap,
// sampling at pixel centres; only the bitmap's stored window is visited.
void CDrawPicture::DrawContent(CContentBitmap& bitmap) const
{
    const std::shared_ptr<const CRaster>& image = GetCurrentImage();
    if (!image || !image->IsValid())
        return;
    const long long iw = image->GetWidth(), ih = image->GetHeight();
    const long long bw = bitmap.GetFullWidth(), bh = bitmap.GetFullHeight();
    if (iw <= 0 || ih <= 0 || bw <= 0 || bh <= 0)
        return;
    // A picture with an alpha plane hands each pixel's alpha on in the top byte.
    const std::uint8_t* alpha = image->AlphaGetPointer();
    for (int r = bitmap.GetTop(); r < bitmap.GetTop() + bitmap.GetHeight(); ++r) {
        const long long fromTop = (2LL * r + 1) * ih / (2 * bh);
        const int sy = static_cast<int>(ih - 1 - fromTop);  // image rows are bottom-up
        for (int c = bitmap.GetLeft(); c < bitmap.GetLeft() + bitmap.GetWidth(); ++c) {
            const int sx = static_cast<int>((2LL * c + 1) * iw / (2 * bw));
            const COLORREF colour = RGBQUADtoRGB(image->GetPixelColor(sx, sy));
            if (alpha)
                bitmap.SetPixel(c, r, CContentBitmap::WithAlpha(colour, alpha[static_cast<std::size_t>(sy) * iw + sx]));
            else
                bitmap.SetPixel(c, r, colour);
        }
    }
}

void CDrawPicture::Save(CRecordStream& stream, bool shareImages, bool withSelection) const
{
    CDrawObject::Save(stream, shareImages, withSelection);
    stream.WriteU32(1);
    stream.WriteI32(m_angle);
    stream.WriteColour(m_transparentColour);
    stream.WriteU32(m_transparent ? 1 : 0);
    if (shareImages) {
        for (const auto& image : m_images)
            stream.WriteImageHandle(image);
    } else {
        stream.WriteU32(m_images[0] ? 1 : 0);
        if (m_images[0])
            stream.WriteImage(m_images[0].get());
    }
}

bool CDrawPicture::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    if (stream.ReadU32() != 1)
        return false;
    m_angle = NormaliseQuarterAngle(stream.ReadI32());
    m_transparentColour = stream.ReadColour() & 0xFFFFFFu;
    m_transparent = stream.ReadU32() != 0;
    for (auto& image : m_images)
        image.reset();
    if (shareImages) {
        for (auto& image : m_images)
            image = stream.ReadImageHandle();
    } else {
        const std::uint32_t hasImage = stream.ReadU32();
        if (stream.Failed() || hasImage > 1)
            return false;
        if (hasImage == 1) {
            std::shared_ptr<CRaster> image = stream.ReadImage();
            if (stream.Failed())
                return false;
            m_images[0] = std::move(image);
        }
    }
    if (stream.Failed())
        return false;
    BuildRotations();
    InvalidateCache();
    return true;
}
