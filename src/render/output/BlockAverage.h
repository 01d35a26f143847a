#pragma once
// The exact integer reduction of a 24-bit picture by r in both directions
// (ScalePicture's BlockAverage): each output pixel the truncated mean of its
// r x r block, channel by channel.

#include "render/PixelView.h"

// Rows first .. first + dst height - 1 of src reduced by r (src at least r
// times as wide and as tall as the whole reduction) into dst.
void BlockAverage(const CPixelView& src, const CPixelView& dst, int r, int first) noexcept;
