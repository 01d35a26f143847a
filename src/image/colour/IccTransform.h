#pragma once
// CIccTransform: the colours of a picture file that carries an ICC profile
// turned into sRGB (littleCMS, relative colorimetric intent without black point
// compensation, as common converters do by default), so that a photograph
// tagged Adobe RGB or a CMYK print file shows the colours its profile
// describes. Pictures without a profile are taken as sRGB and left alone. A
// profile that cannot be read, or whose colour space does not fit the
// pixels, is ignored: the picture then loads as it did without it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CRaster;

class CIccTransform {
public:
    enum class Input {
        Bgr,           // three bytes blue, green, red
        Grey,          // one byte
        Cmyk,          // four bytes of ink, 0 none
        CmykInverted,  // four bytes, 255 - ink (as Adobe's applications write JPEG)
    };
    // The largest profile read (a print profile is a few megabytes at most).
    static constexpr std::size_t kMaxProfileBytes = 16u << 20;

    // Null when the profile is unusable for pixels of that kind.
    static std::unique_ptr<CIccTransform> Create(const std::uint8_t* profile, std::size_t size, Input input);
    ~CIccTransform();
    CIccTransform(const CIccTransform&) = delete;
    CIccTransform& operator=(const CIccTransform&) = delete;

    // `count` pixels of the input kind to blue, green, red (may be in place
    // for Bgr).
    void Apply(const std::uint8_t* in, std::uint8_t* bgr, std::size_t count) const;
    // A decoded picture in place: the rows of a 24-bit picture, or the
    // palette of a palette picture (a grey profile reads each entry's red).
    void ApplyToPicture(CRaster& picture) const;

private:
    CIccTransform() = default;
    // Whether the transform gives back what it is given.
    bool IsIdentity() const;
    void* m_transform = nullptr;
    Input m_input = Input::Bgr;
};

// Joins the ICC profile a JPEG file carries in its APP2 "ICC_PROFILE"
// segments (each: the name, a NUL, its number from 1, the count, then its
// part of the profile). Empty when there is none or the segments do not
// make one whole profile.
std::vector<std::uint8_t> JoinJpegIccSegments(const std::vector<std::vector<std::uint8_t>>& segments);
