// Loading and saving pictures: format dispatch, detection and file handling.

#include "image/Raster.h"

#include "image/ByteStream.h"
#include "image/picture/PictureCodecs.h"
#include "image/picture/PictureLimits.h"
#include "image/SafeFile.h"

#include <cstdio>
#include <string>

namespace {

// Decodes into a fresh picture that inherits the target's settings (escape
// flag, background, JPEG quality) but none of its pixels.
bool TryDecode(CRaster& target, CByteStream& stream, const SPictureCodec& codec, CRaster& out)
{
    const int imageType = codec.imageType;
    out = CRaster(imageType);
    out.SetEscape(target.GetEscape());
    out.SetBackgroundColor(target.GetBackgroundColor());
    out.SetJpegQuality(target.GetJpegQuality());
    out.SetAlphaMax(target.GetAlphaMax());
    if (!codec.read(stream, out)) {
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
        const SPictureCodec* codec = FindPictureCodec(imageType);
        if (codec == nullptr) {
            SetLastError("Decode: Unknown or wrong format");
            return false;
        }
        if (!TryDecode(*this, stream, *codec, fresh)) {
            SetLastError(fresh.GetLastError());
            return false;
        }
        fresh.SetLastError("");
        Transfer(fresh);
        return true;
    }
    const std::int64_t start = stream.Tell();
    for (const SPictureCodec& codec : GetPictureCodecs()) {
        if (!stream.Seek(start, SEEK_SET)) {
            break;
        }
        if (TryDecode(*this, stream, codec, fresh)) {
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
    const SPictureCodec* codec = FindPictureCodec(imageType);
    if (codec == nullptr || codec->write == nullptr) {
        SetLastError("Encode: Unknown format");
        return false;
    }
    return codec->write(stream, *this);
}

// The picture is encoded row by row into a temporary file beside the target,
// which then replaces it (CAtomicFile): a failed save never leaves a
// half-written file and never destroys the file that was there, and a
// print-size picture is never held a second time as its encoded bytes.
bool CRaster::Save(const char* fileName, int imageType)
{
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError("Can't open file for writing");
        return false;
    }
    CAtomicFile file;
    std::string error;
    if (!file.Open(fileName, error)) {
        SetLastError(("Can't write file: " + error).c_str());
        return false;
    }
    CFileStream stream(file.Stream());
    const bool encoded = Encode(stream, imageType);
    if (!encoded && !stream.Error())
        return false;  // the encoder's own reason
    // A write that failed (a full disk) makes the commit fail with its reason.
    if (!file.Commit(error)) {
        SetLastError(("Can't write file: " + error).c_str());
        return false;
    }
    return encoded;
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
