#pragma once
// The light grid: 25 light positions over the model, column i from left (-2)
// to right (+2), row j from the front (-2, the viewer's side) to the back (+2).
// Lights only decide where shadows fall; they do not shade the faces.

#include <cstdint>

// Bit (i + 2) + 5 * (j + 2) of the 25-bit mask is the light at (i, j).
constexpr int LightBit(int i, int j) noexcept { return (i + 2) + 5 * (j + 2); }

bool IsLightOn(std::uint32_t mask, int i, int j) noexcept;

// A light at (i, j) casts along (-0.5 i, -1, -0.5 j): the shear of x and z per
// unit of fall.
struct CLightShear {
    double a = 0.0; // x per unit of fall
    double b = 0.0; // z per unit of fall
};
CLightShear LightShear(int i, int j) noexcept;
