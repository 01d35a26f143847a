#include "image/picture/PictureLimits.h"

#include "image/Raster.h"

#include <string_view>

namespace {

constexpr std::string_view kTooLargeHead = "Picture is too large: ";

} // namespace

std::string PictureTooLargeText(std::int64_t width, std::int64_t height, const char* limit)
{
    return std::string(kTooLargeHead) + std::to_string(width) + " x " + std::to_string(height) + " pixels; " +
           limit;
}

bool IsPictureSizeAllowed(std::int64_t width, std::int64_t height) noexcept
{
    return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxPicturePixels;
}

std::string PictureSizeLimitText()
{
    return "the largest picture is 16384 x 16384 pixels (" + std::to_string(kMaxPicturePixels) +
           " pixels in any shape, at most " + std::to_string(kMaxPictureSide) + " wide or high)";
}

std::string PictureTooLargeText(std::int64_t width, std::int64_t height)
{
    return PictureTooLargeText(width, height, PictureSizeLimitText().c_str());
}

bool IsPictureTooLargeText(const std::string& text)
{
    return std::string_view(text).substr(0, kTooLargeHead.size()) == kTooLargeHead;
}

bool CheckPictureSize(std::int64_t width, std::int64_t height, CRaster& image)
{
    if (width <= 0 || height <= 0) {
        return true;
    }
    if (!IsPictureSizeAllowed(width, height)) {
        image.SetLastError(PictureTooLargeText(width, height).c_str());
        return false;
    }
    return true;
}
