#pragma once
// The table of named colours that the first-run setup loops over: CD-ROM
// surface pictures are made in every one of them (the index gives the CD-ROM
// section number "c%03d"), floppy and zip pictures in their light and dark tones.

#include <cstddef>
#include <cstdint>
#include <span>

struct NamedColor {
    const char* name;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    // Colour reference 0x00BBGGRR.
    constexpr std::uint32_t ToColorRef() const noexcept
    {
        return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }
};

inline constexpr std::size_t kNamedColorCount = 143;

// All named colours in their fixed order (alphabetical by name).
std::span<const NamedColor, kNamedColorCount> GetNamedColors() noexcept;
