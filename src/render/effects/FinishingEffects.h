#pragma once
// The 2D finishing effects applied to the rendering picture after scaling:
// colour effect, bevel, border and colour balance. All are exact integer pixel
// arithmetic, in place, on a 24-bit picture (x from the left, y from the
// bottom row). Colours are colour references 0x00BBGGRR.

#include <cstdint>

#include "render/PixelView.h"

enum EColorEffectStyle : int {
    kEffectColorize = 1,
    kEffectGrayScale = 2,
    kEffectColorNegative = 3,
    kEffectBlackWhiteNegative = 4,
    kEffectEmboss = 5,
};

enum EBevelStyle : int {
    kBevelButtonize = 1,
    kBevelIndent = 2,
    kBevelColorFade = 3,
};

// Colour effect chosen by `style`; a style outside 1..5 is Gray Scale.
// `color` is the colorize colour (used by style 1 only).
void ApplyColorEffect(const CPixelView& image, int style, std::uint32_t color) noexcept;

// The emboss convolution alone: each channel becomes
// clamp(P(x-1, y+1) - P(x+1, y-1) + 127, 0, 255), outside neighbours black.
// Needs a scratch copy of the picture, hence not noexcept.
void ApplyEmboss(const CPixelView& image);

// Bevel of `size` rings (outermost ring 0); nothing when size <= 0.
void ApplyBevel(const CPixelView& image, int style, int size, std::uint32_t color) noexcept;

// Solid border `size` pixels wide; nothing when size <= 0.
void ApplyBorder(const CPixelView& image, int size, std::uint32_t color) noexcept;

// Colour balance; all values in percent. Skipped when all five are 100.
void ApplyColorBalance(const CPixelView& image, int brightness, int contrast, int red, int green,
                       int blue) noexcept;

// The colour balance of one channel value (exposed for the lookup tables and
// tests); `balance` is the channel's own percentage.
int ColorBalanceChannel(int c, int brightness, int contrast, int balance) noexcept;
