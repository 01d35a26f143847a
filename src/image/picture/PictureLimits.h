#pragma once
// The largest picture the decoders make, and the refusal that names it.
//
// Every decoder checks the size its header declares with CheckPictureSize
// before it allocates anything for the picture, so a file of a few bytes that
// claims a huge picture costs nothing. A picture within these limits must then
// still be justified by the data that follows (each decoder knows how many
// pixels its bytes can produce at most).

#include <cstdint>
#include <string>

class CRaster;

// Widest or highest picture (the BMP and PCX fields and CRaster allow no more).
constexpr std::int64_t kMaxPictureSide = 65535;
// Most pixels in one picture: 16384 x 16384, 768 MiB once widened to 24 bits,
// which still fits CRaster's default allocation limit of 1 GiB.
constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

// True when a picture of width x height pixels is within the limits above.
bool IsPictureSizeAllowed(std::int64_t width, std::int64_t height) noexcept;

// "the largest picture is 16384 x 16384 pixels (...)": the limits in words.
std::string PictureSizeLimitText();

// "Picture is too large: W x H pixels; the largest picture is ..."
std::string PictureTooLargeText(std::int64_t width, std::int64_t height);
// The same refusal with another statement of the limit after the semicolon,
// for a codec whose own limit is lower than the general one.
std::string PictureTooLargeText(std::int64_t width, std::int64_t height, const char* limit);

// True when `text` is a refusal made by PictureTooLargeText.
bool IsPictureTooLargeText(const std::string& text);

// True when a picture of width x height pixels may be made. Otherwise sets the
// too-large text as the image's last error and returns false. Sizes of 0 or
// below are left to the caller (they are damage, not size).
bool CheckPictureSize(std::int64_t width, std::int64_t height, CRaster& image);
