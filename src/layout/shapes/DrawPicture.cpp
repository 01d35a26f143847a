#include "layout/shapes/DrawPicture.h"

#include "app/project/ProjectFile.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"

#include <algorithm>
#include <cmath>

namespace {

// The picture turned by `quarter` quarter turns anticlockwise (900 is the
// picture turned left, 1800 flipped and mirrored, 2700 turned right).
bool Turn(CRaster& picture, int quarter)
{
    switch (quarter) {
    case 1: return picture.RotateLeft();
    case 2: return picture.Flip() && picture.Mirror();
    case 3: return picture.RotateRight();
    default: return true;
    }
}

}  // namespace

std::unique_ptr<CDrawPicture> CDrawPicture::CreateFromImage(std::shared_ptr<const CRaster> image, int left, int top)
{
    auto picture = std::make_unique<CDrawPicture>();
    picture->SetCoords(left, top, left, top);
    picture->SetImage(std::move(image));
    picture->SetBoxToImage();
    return picture;
}

std::unique_ptr<CDrawPicture> CDrawPicture::CreateFromFile(const std::string& fileName, int left, int top,
                                                           std::string& message, int page)
{
    message.clear();
    if (CVectorArt::IsVectorFileName(fileName)) {
        std::string reason;
        std::shared_ptr<const CVectorArt> art = CVectorArt::FromFile(fileName, page, reason);
        std::unique_ptr<CRaster> raster;
        if (art)
            raster = art->Rasterise(static_cast<int>(std::ceil(art->GetWidth())),
                                    static_cast<int>(std::ceil(art->GetHeight())));
        if (!raster) {
            message = "Picture " + fileName + " could not be read" + (reason.empty() ? "." : " (" + reason + ").");
            return nullptr;
        }
        auto picture = CreateFromImage(std::shared_ptr<const CRaster>(std::move(raster)), left, top);
        picture->SetVectorArt(std::move(art));
        return picture;
    }
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

void CDrawPicture::SetVectorArt(std::shared_ptr<const CVectorArt> art)
{
    m_vector = std::move(art);
    InvalidateCache();
}

std::uint32_t CDrawPicture::GetOldestReader() const
{
    return m_vector ? kReaderVersionVectorArt : kReaderVersionFirst;
}

void CDrawPicture::SetImage(std::shared_ptr<const CRaster> image)
{
    m_vector.reset();  // a new picture replaces the artwork too
    for (auto& i : m_images)
        i.reset();
    if (image && image->IsValid())
        m_images[0] = std::move(image);
    BuildRotations();
    InvalidateCache();
}

void CDrawPicture::BuildRotations()
{
    const int q = m_angle / 900;
    if (m_images[q] || !m_images[0])
        return;
    auto turned = std::make_shared<CRaster>();
    const bool ok = q != 0 && turned->Copy(*m_images[0]) && Turn(*turned, q);
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
// The box's shares map to the upright image through the angle: the box's
// left edge is the image's left (0), bottom (900: turned left), right (1800)
// or top (2700) edge.
bool CDrawPicture::Crop(double left, double top, double right, double bottom)
{
    const std::shared_ptr<const CRaster> image = m_images[0];
    if (!image || !image->IsValid() || left < 0 || top < 0 || right < 0 || bottom < 0 || left + right >= 100 ||
        top + bottom >= 100)
        return false;
    // Box sides in the order left, top, right, bottom, as image sides.
    double cut[4] = {left, top, right, bottom};
    const int q = m_angle / 900;
    double img[4];  // image left, top, right, bottom
    for (int side = 0; side < 4; ++side)
        img[(side + q) % 4] = cut[side];
    const int iw = image->GetWidth(), ih = image->GetHeight();
    const int x0 = static_cast<int>(std::lround(iw * img[0] / 100)), x1 = iw - static_cast<int>(std::lround(iw * img[2] / 100));
    const int t0 = static_cast<int>(std::lround(ih * img[1] / 100)), t1 = ih - static_cast<int>(std::lround(ih * img[3] / 100));
    if (x1 <= x0 || t1 <= t0)
        return false;
    auto made = CRaster::Make(x1 - x0, t1 - t0, 24);
    if (!made)
        return false;
    auto out = std::make_shared<CRaster>(std::move(*made));
    const std::uint8_t* alpha = image->AlphaGetPointer();
    if (alpha && !out->AlphaCreate())
        return false;
    // Rows are bottom-up: top row t of the image is row ih - 1 - t.
    for (int t = t0; t < t1; ++t)
        for (int x = x0; x < x1; ++x) {
            const int from = ih - 1 - t, to = (t1 - t0) - 1 - (t - t0);
            out->SetPixelColor(x - x0, to, RGBQUADtoRGB(image->GetPixelColor(x, from)));
            if (alpha)
                out->AlphaGetPointer()[static_cast<std::size_t>(to) * (x1 - x0) + (x - x0)] =
                    alpha[static_cast<std::size_t>(from) * iw + x];
        }
    // The box keeps the part that stays where it was.
    const double w = GetWidth(), h = GetHeight();
    const int bl = GetMinX() + static_cast<int>(std::lround(w * left / 100));
    const int br = GetMaxX() - static_cast<int>(std::lround(w * right / 100));
    const int bt = GetMaxY() - static_cast<int>(std::lround(h * top / 100));
    const int bb = GetMinY() + static_cast<int>(std::lround(h * bottom / 100));
    SetImage(std::move(out));
    SetBounds(bl, bt, std::max(br, bl + 1), std::min(bb, bt - 1));
    return true;
}

void CDrawPicture::ScaleToFit(int faceWidth, int faceHeight)
{
    const long long w = GetWidth(), h = GetHeight();
    if (w <= 0 || h <= 0 || faceWidth <= 0 || faceHeight <= 0)
        return;
    if (w > faceWidth || h > faceHeight) {
        // The larger scale that fits: min(W / w, H / h), in whole pixels.
        const bool byWidth = w * faceHeight >= h * faceWidth;
        const long long nw = byWidth ? faceWidth : std::max<long long>(1, w * faceHeight / h);
        const long long nh = byWidth ? std::max<long long>(1, h * faceWidth / w) : faceHeight;
        const int left = GetMinX(), top = GetMaxY();
        SetBounds(left, top, left + static_cast<int>(nw), top - static_cast<int>(nh));
    }
}

void CDrawPicture::DrawContent(CContentBitmap& bitmap) const
{
    std::shared_ptr<const CRaster> image = GetCurrentImage();
    const long long bw = bitmap.GetFullWidth(), bh = bitmap.GetFullHeight();
    // Artwork is rasterised at the box's size (upright, then turned).
    const int q = m_angle / 900;
    if (m_vector && bw * bh <= CVectorArt::kMaxPixels) {
        std::shared_ptr<CRaster> art =
            m_vector->Rasterise(static_cast<int>(q % 2 ? bh : bw), static_cast<int>(q % 2 ? bw : bh));
        if (art && Turn(*art, q))
            image = std::move(art);
    }
    if (!image || !image->IsValid())
        return;
    const long long iw = image->GetWidth(), ih = image->GetHeight();
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
    stream.WriteU32(m_vector ? 2 : 1);
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
    if (m_vector) {
        // The artwork's file as it was read.
        stream.WriteU32(static_cast<std::uint32_t>(m_vector->GetKind()));
        stream.WriteU32(static_cast<std::uint32_t>(m_vector->GetPage()));
        const std::vector<std::uint8_t>& bytes = m_vector->GetBytes();
        stream.WriteString(std::string(bytes.begin(), bytes.end()));
    }
}

bool CDrawPicture::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    const std::uint32_t version = stream.ReadU32();
    if (version != 1 && version != 2)
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
    m_vector.reset();
    if (version == 2) {
        const std::uint32_t kind = stream.ReadU32(), page = stream.ReadU32();
        const std::string bytes = stream.ReadString();
        if (stream.Failed() || (kind != 1 && kind != 2) || page < 1 || page > 100000)
            return false;
        std::string error;
        m_vector = CVectorArt::Create(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                      static_cast<EVectorKind>(kind), static_cast<int>(page), error);
        if (!m_vector)
            return false;
    }
    if (stream.Failed())
        return false;
    BuildRotations();
    InvalidateCache();
    return true;
}
