#pragma once
// Copies one 24-bit picture into another of a different size: an exact
// integer reduction averages r x r blocks (per channel, integer division),
// the same size is a plain copy, anything else is resampled bilinearly.

#include "engine3d/surface/CoveredColumns.h"
#include "render/PixelView.h"

enum class EScaleMethod { BlockAverage, Copy, Resample };

// The method ScalePicture uses for these sizes.
EScaleMethod ChooseScaleMethod(int srcWidth, int srcHeight, int dstWidth, int dstHeight) noexcept;

void ScalePicture(const CPixelView& source, const CPixelView& dest) noexcept;

// The rows firstRow .. firstRow + band height - 1 of `source` scaled to the
// band's width and `destHeight` rows, each row exactly as ScalePicture makes
// it; for drawing a tall picture band by band. With `covered` (one entry a
// band row) the columns it gives may be left as they were (a copy or a
// resampling leaves them; a block average makes every column).
void ScalePictureRows(const CPixelView& source, int destHeight, int firstRow, const CPixelView& band,
                      const CCoveredRow* covered = nullptr) noexcept;
