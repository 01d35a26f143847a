#pragma once
// Small helpers of the effect tests: colours of the pixel buffers (red in the
// low byte), seeded random pictures and model settings stored at once. Every render test includes it first:
// it brings the test framework and the standard headers.

#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"
#include "render/PixelView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}

// Channel 0 red, 1 green, 2 blue.
inline int Channel(std::uint32_t c, int ch) { return static_cast<int>((c >> (8 * ch)) & 0xFF); }

inline CPixelBuffer RandomPicture(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    CPixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.Set(x, y, rng() & 0xFFFFFF);
    return b;
}

// Stores model settings `id = value`, each as a real or an integer as its
// entry in the settings table says.
inline void SetModel(SettingStore& s, std::initializer_list<std::pair<std::uint32_t, double>> values)
{
    for (const auto& [id, value] : values)
        if (FindSetting(id)->type == SettingType::Real)
            s.SetReal(ModelKey(id), value);
        else
            s.SetInt(ModelKey(id), static_cast<std::int32_t>(value));
}
