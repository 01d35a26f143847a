#include "image/picture/PictureCodecs.h"

#include "image/picture/PictureFormats.h"
#include "image/Raster.h"
#include "image/codecs/Codecs.h"

namespace {

constexpr SPictureCodec kCodecs[] = {
    {IMAGE_TYPE_BMP, "BMP", {".bmp", nullptr}, DecodeBmp, EncodeBmp, 0},
    {IMAGE_TYPE_JPEG, "JPEG", {".jpg", ".jpeg"}, DecodeJpeg, EncodeJpeg, kCodecQuality},
    {IMAGE_TYPE_PNG, "PNG", {".png", nullptr}, DecodePng, EncodePng, kCodecTransparency},
    {IMAGE_TYPE_PCX, "PCX", {".pcx", nullptr}, DecodePcx, EncodePcx, 0},
    {IMAGE_TYPE_TIFF, "TIFF", {".tif", ".tiff"}, DecodeTiff, nullptr, 0},
};

} // namespace

std::span<const SPictureCodec> GetPictureCodecs() noexcept { return kCodecs; }

const SPictureCodec* FindPictureCodec(int imageType) noexcept
{
    for (const SPictureCodec& c : kCodecs)
        if (c.imageType == imageType)
            return &c;
    return nullptr;
}

const SPictureCodec* FindPictureCodecByExtension(std::string_view extension) noexcept
{
    for (const SPictureCodec& c : kCodecs)
        for (const char* e : c.extensions)
            if (e && extension == e)
                return &c;
    return nullptr;
}
