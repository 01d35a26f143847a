// Loading and saving pictures: format dispatch, detection and file handling.

#include "image/Raster.h"

#include "image/ByteStream.h"
#include "image/PictureFormats.h"
#include "image/PictureLimits.h"
#include "image/codecs/Codecs.h"
#include "image/SafeFile.h"

#include <cstdio>
#include <string>

namespace {

using DecodeFn = bool (*)(CByteStream&, CRaster&);

DecodeFn DecoderFor(int imageType)
{
    switch (imageType) {
    case IMAGE_TYPE_BMP: return DecodeBmp;
    case IMAGE_TYPE_JPEG: return DecodeJpeg;
    case IMAGE_TYPE_PNG: return DecodePng;
    case IMAGE_TYPE_PCX: return DecodePcx;
    case IMAGE_TYPE_TIFF: return DecodeTiff;
    default: return nullptr;
    }
}

// Decodes into a fresh picture that inherits the target's settings (escape
// flag, background, JPEG quality) but none of its pixels.
bool TryDecode(CRaster& target, CByteStream& stream, int imageType, CRaster& out)
{
    out = CRaster(imageType);
    out.SetEscape(target.GetEscape());
    out.SetBackgroundColor(target.GetBackgroundColor());
    out.SetJpegQuality(target.GetJpegQuality());
    out.SetAlphaMax(target.GetAlphaMax());
    DecodeFn decode = DecoderFor(imageType);
    if (decode == nullptr || !decode(stream, out)) {
        return false;
    }
    out.SetType(imageType);
    return true;
}

} // namespace

bool CRaster::Decode(CByteStream& stream, int imageType)
{
    CRaster fresh;
    if (imageType != IMAGE_TYPE_UNKNOWN) {
        if (DecoderFor(imageType) == nullptr) {
            SetLastError("Decode: Unknown or wrong format");
            return false;
        }
        if (!TryDecode(*this, stream, imageType, fresh)) {
            SetLastError(fresh.GetLastError());
            return false;
        }
        fresh.SetLastError("");
        Transfer(fresh);
        return true;
    }
    const std::int64_t start = stream.Tell();
    for (const int type : {IMAGE_TYPE_BMP, IMAGE_TYPE_JPEG, IMAGE_TYPE_PNG, IMAGE_TYPE_PCX, IMAGE_TYPE_TIFF}) {
        if (!stream.Seek(start, SEEK_SET)) {
            break;
        }
        if (TryDecode(*this, stream, type, fresh)) {
            fresh.SetLastError("");
            Transfer(fresh);
            return true;
        }
        if (GetEscape()) {
            SetLastError("Cancelled");
            return false;
        }
        // The format was recognised and the picture is beyond the limits: no
        // other decoder would take it, and "unknown format" would hide why.
        if (IsPictureTooLargeText(fresh.GetLastError())) {
            SetLastError(fresh.GetLastError());
            return false;
        }
    }
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CRaster::Decode(const std::uint8_t* data, std::size_t size, int imageType)
{
    CMemoryReader stream(data, size);
    return Decode(stream, imageType);
}

bool CRaster::Load(const char* fileName, int imageType)
{
    CFileStream file;
    std::string error;
    bool notAFile = false;
    if (fileName == nullptr || !file.OpenForReading(fileName, error, &notAFile)) {
        SetLastError(notAFile ? error.c_str() : "Can't open file for reading");
        return false;
    }
    return Decode(file, imageType);
}

bool CRaster::Encode(CByteStream& stream, int imageType)
{
    switch (imageType) {
    case IMAGE_TYPE_BMP: return EncodeBmp(stream, *this);
    case IMAGE_TYPE_JPEG: return EncodeJpeg(stream, *this);
    case IMAGE_TYPE_PNG: return EncodePng(stream, *this);
    case IMAGE_TYPE_PCX: return EncodePcx(stream, *this);
    default: SetLastError("Encode: Unknown format"); return false;
    }
}

// The picture is encoded in memory first and then written through
// WriteFileAtomically: a failed save never leaves a half-written file and never
// destroys the file that was there.
bool CRaster::Save(const char* fileName, int imageType)
{
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError("Can't open file for writing");
        return false;
    }
    CMemoryStream encoded;
    if (!Encode(encoded, imageType)) {
        return false;
    }
    std::string error;
    if (!WriteFileAtomically(fileName, encoded.GetBuffer(), static_cast<std::size_t>(encoded.Size()), error)) {
        SetLastError(("Can't write file: " + error).c_str());
        return false;
    }
    return true;
}

bool CRaster::CreateFromDIB(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size == 0) {
        SetLastError("Error reading BMP info");
        return false;
    }
    CMemoryReader stream(data, size);
    return Decode(stream, IMAGE_TYPE_BMP);
}
