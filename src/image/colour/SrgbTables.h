#pragma once
// Tables between stored sRGB levels and linear light, for per-pixel work in
// linear light: 256 levels to linear light, and linear light in 4096 equal
// steps back to the nearest level.

#include <array>
#include <cstdint>

struct CSrgbTables {
    static constexpr int kSteps = 4096;
    std::array<float, 256> decode{};
    std::array<std::uint8_t, kSteps + 1> encode{};

    // The level nearest to linear light l (0 .. 1; clamped).
    std::uint8_t Encode(float l) const noexcept
    {
        const int i = static_cast<int>(l * kSteps + 0.5f);
        return encode[static_cast<std::size_t>(i < 0 ? 0 : i > kSteps ? kSteps : i)];
    }
};

// Built once.
const CSrgbTables& SrgbTables();
