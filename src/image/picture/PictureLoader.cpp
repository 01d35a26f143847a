#include "image/picture/PictureLoader.h"

#include "image/ByteStream.h"
#include "image/picture/PictureCodecs.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLimits.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

namespace {

std::string Format(const char* pattern, const std::string& name)
{
    const int needed = std::snprintf(nullptr, 0, pattern, name.c_str());
    if (needed < 0) {
        return pattern;
    }
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, name.c_str());
    out.resize(static_cast<std::size_t>(needed));
    return out;
}

} // namespace

std::unique_ptr<CRaster> LoadPicture(const std::string& fileName, std::string& message)
{
    message.clear();
    if (fileName.empty()) {
        message = "Please enter a File name.";
        return nullptr;
    }
    CFileStream file;
    std::string error;
    bool notAFile = false;
    if (!file.OpenForReading(fileName, error, &notAFile)) {
        // A folder, pipe or device is named as such; it is never read.
        message = notAFile ? error : Format("File %s could not be opened. The File name may be incorrect.", fileName);
        return nullptr;
    }
    if (CVectorArt::IsVectorFileName(fileName)) {
        // Artwork is drawn 2048 pixels on its longer side at least: faces
        // stretch their picture over the whole face.
        std::string reason;
        const std::shared_ptr<const CVectorArt> art = CVectorArt::FromFile(fileName, 1, reason);
        const double scale = art ? std::max(1.0, 2048.0 / std::max(art->GetWidth(), art->GetHeight())) : 1.0;
        std::unique_ptr<CRaster> drawn =
            art ? art->Rasterise(static_cast<int>(std::lround(art->GetWidth() * scale)),
                                 static_cast<int>(std::lround(art->GetHeight() * scale)))
                : nullptr;
        if (!drawn)
            message = Format("Could not load %s - file may be corrupted.", fileName);
        return drawn;
    }
    const std::int64_t size = file.Size();
    if (size == 0) {
        message = Format("File %s appears to be an empty file.", fileName);
        return nullptr;
    }
    if (size < 10) {
        message = Format("File %s appears to be too small to be an image file.", fileName);
        return nullptr;
    }
    std::unique_ptr<CRaster> image(new (std::nothrow) CRaster());
    if (!image) {
        message = "Could not allocate sufficient memory for the image.";
        return nullptr;
    }
    if (!image->Decode(file, IMAGE_TYPE_UNKNOWN)) {
        const std::string reason = image->GetLastError();
        if (IsPictureTooLargeText(reason)) {
            // "Picture is too large: ..." becomes "File <name> is too large: ...".
            message = "File " + fileName + reason.substr(reason.find(' '));
            return nullptr;
        }
        message = Format("Could not load %s - file may be corrupted.", fileName);
        return nullptr;
    }
    if (!image->IncreaseBpp(24)) {
        message = "Could not convert image to 24 bits per pixel. Out of memory?";
        return nullptr;
    }
    if (fileName.find(".enc.") != std::string::npos) {
        RotateEncodedChannels(*image);
    }
    return image;
}

const std::vector<std::string>& PictureFilePatterns()
{
    static const std::vector<std::string> patterns = [] {
        std::vector<std::string> list;
        for (const SPictureCodec& codec : GetPictureCodecs())
            for (const char* extension : codec.extensions)
                if (extension)
                    list.push_back(std::string("*") + extension);
        // Artwork, drawn by CVectorArt.
        list.insert(list.end(), {"*.svg", "*.pdf"});
        return list;
    }();
    return patterns;
}

void RotateEncodedChannels(CRaster& image) noexcept
{
    if (!image.IsValid() || image.GetBpp() != 24) {
        return;
    }
    for (int y = 0; y < image.GetHeight(); ++y) {
        std::uint8_t* p = image.GetBits(y);
        for (int x = 0; x < image.GetWidth(); ++x, p += 3) {
            const std::uint8_t b = p[0], g = p[1], r = p[2];
            p[0] = r; // blue  <- red
            p[1] = b; // green <- blue
            p[2] = g; // red   <- green
        }
    }
}

void RotateChannelsForEncoding(CRaster& image) noexcept
{
    if (!image.IsValid() || image.GetBpp() != 24) {
        return;
    }
    for (int y = 0; y < image.GetHeight(); ++y) {
        std::uint8_t* p = image.GetBits(y);
        for (int x = 0; x < image.GetWidth(); ++x, p += 3) {
            const std::uint8_t b = p[0], g = p[1], r = p[2];
            p[0] = g; // stored blue  = green, read back as green
            p[1] = r; // stored green = red,   read back as red
            p[2] = b; // stored red   = blue,  read back as blue
        }
    }
}
