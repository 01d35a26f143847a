#pragma once
// The sRGB colour space as an ICC profile (version 2.1, display class), for
// the picture files that carry their colour space as a profile (JPEG).

#include <cstdint>
#include <vector>

// The profile's bytes: the D50-adapted sRGB primaries and white point and one
// tone curve of 1024 points shared by the three channels. Built once.
const std::vector<std::uint8_t>& SrgbIccProfile();

// The sRGB transfer function: a stored value 0 .. 1 to linear light 0 .. 1,
// and back.
double SrgbToLinear(double v) noexcept;
double LinearToSrgb(double v) noexcept;
