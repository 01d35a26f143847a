#pragma once
// Colour types shared by every layer.
//
// COLORREF is the 32-bit colour reference 0x00BBGGRR: red in the lowest byte,
// then green, then blue, top byte 0. Settings, draw objects and records use it.
// RGBQUAD is a palette entry as stored in a bitmap: blue, green, red, reserved.
// Inside 24-bit pictures a pixel is the three bytes blue, green, red.

#include <cstdint>

using COLORREF = std::uint32_t;

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;

    friend constexpr bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is a 4-byte palette entry");

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) noexcept
{
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) noexcept { return static_cast<std::uint8_t>(c & 0xFFu); }
constexpr std::uint8_t GetGValue(COLORREF c) noexcept { return static_cast<std::uint8_t>((c >> 8) & 0xFFu); }
constexpr std::uint8_t GetBValue(COLORREF c) noexcept { return static_cast<std::uint8_t>((c >> 16) & 0xFFu); }

// Colour reference -> palette entry: blue = bits 16..23, green = bits 8..15, red = bits 0..7.
constexpr RGBQUAD RGBtoRGBQUAD(COLORREF c) noexcept
{
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}
// Palette entry -> colour reference (the reserved byte is dropped).
constexpr COLORREF RGBQUADtoRGB(RGBQUAD q) noexcept
{
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

constexpr COLORREF kColorWhite = 0xFFFFFFu;
constexpr COLORREF kColorBlack = 0x000000u;
