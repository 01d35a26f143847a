#pragma once
// Runs of 24-bit pixels (blue, green, red) along a picture row: one colour
// written over a run, and the counting of a layer's drawn (non-white) pixels.

#include <cstdint>

// Writes `count` pixels of one colour from p on.
void FillPixelRun(std::uint8_t* p, int count, std::uint8_t blue, std::uint8_t green, std::uint8_t red) noexcept;

// For each of `count` pixels of a layer row: when the pixel is not pure
// white (blue & green & red != 255), its count goes up by one, up to 0xFFFF,
// and the pixel is made white again, ready for the next drawing.
void TakeDrawnPixels(std::uint8_t* layer, std::uint16_t* counts, int count) noexcept;
