#include "image/picture/ExifOrientation.h"

#include "image/Raster.h"

#include <cstring>

namespace {

// The EXIF block is a small TIFF file: an 8-byte header ("II" little-endian or
// "MM" big-endian, the number 42, the offset of the first directory), then
// directories of 12-byte entries (tag, type, count, value or offset). Offsets
// count from the start of the TIFF header.
class CTiffBlock {
public:
    CTiffBlock(const std::uint8_t* data, std::size_t size) noexcept : m_data(data), m_size(size) {}

    bool ReadHeader() noexcept
    {
        if (m_size < 8) {
            return false;
        }
        if (m_data[0] == 'I' && m_data[1] == 'I') {
            m_bigEndian = false;
        } else if (m_data[0] == 'M' && m_data[1] == 'M') {
            m_bigEndian = true;
        } else {
            return false;
        }
        return U16(2) == 42;
    }
    // Offset of the first directory.
    std::uint32_t FirstDirectory() const noexcept { return U32(4); }
    bool Has(std::size_t offset, std::size_t bytes) const noexcept
    {
        return offset <= m_size && bytes <= m_size - offset;
    }
    std::uint16_t U16(std::size_t at) const noexcept
    {
        const std::uint8_t* p = m_data + at;
        return m_bigEndian ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                           : static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t U32(std::size_t at) const noexcept
    {
        const std::uint32_t hi = U16(m_bigEndian ? at : at + 2);
        const std::uint32_t lo = U16(m_bigEndian ? at + 2 : at);
        return (hi << 16) | lo;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_bigEndian = false;
};

constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kEntrySize = 12;

} // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) noexcept
{
    static const std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (data == nullptr || size < sizeof(kExifId) || std::memcmp(data, kExifId, sizeof(kExifId)) != 0) {
        return 1;
    }
    CTiffBlock tiff(data + sizeof(kExifId), size - sizeof(kExifId));
    if (!tiff.ReadHeader()) {
        return 1;
    }
    const std::size_t directory = tiff.FirstDirectory();
    if (!tiff.Has(directory, 2)) {
        return 1;
    }
    const std::size_t entries = tiff.U16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + i * kEntrySize;
        if (!tiff.Has(entry, kEntrySize)) {
            return 1;
        }
        if (tiff.U16(entry) != kTagOrientation) {
            continue;
        }
        // One SHORT: the value sits in the first two bytes of the value field.
        if (tiff.U16(entry + 2) != kTypeShort || tiff.U32(entry + 4) != 1) {
            return 1;
        }
        const int value = tiff.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

// Each orientation undone with the picture's own turns (rows are stored
// bottom-up, so Flip turns the picture upside down as seen and Mirror swaps
// left and right): 5 is a transposition (clockwise turn, then mirror), 7 the
// other diagonal (anticlockwise turn, then mirror).
bool ApplyOrientation(CRaster& image, int orientation)
{
    switch (orientation) {
    case 2: return image.Mirror();
    case 3: return image.Flip() && image.Mirror();
    case 4: return image.Flip();
    case 5: return image.RotateRight() && image.Mirror();
    case 6: return image.RotateRight();
    case 7: return image.RotateLeft() && image.Mirror();
    case 8: return image.RotateLeft();
    default: return true;
    }
}
