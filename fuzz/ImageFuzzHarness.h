#pragma once
// Shared body of the picture decoder fuzz targets: decodes arbitrary bytes as
// one format (or with detection), and encodes a picture that decodes again in
// every format it can be written in, decoding each result once more.

#include "image/ByteStream.h"
#include "image/Raster.h"

#include <cstddef>
#include <cstdint>

inline int FuzzDecodeAndReencode(const std::uint8_t* data, std::size_t size, int type)
{
    // Keeps hostile headers from spending the fuzzer's memory on one input.
    CRaster::SetAllocationLimit(std::size_t{64} << 20);
    CRaster image;
    if (image.Decode(data, size, type)) {
        for (int outType : {IMAGE_TYPE_BMP, IMAGE_TYPE_PCX, IMAGE_TYPE_PNG, IMAGE_TYPE_JPEG}) {
            if (image.GetWidth() * image.GetHeight() > 1 << 16) {
                break; // large pictures are exercised by decoding alone
            }
            CMemoryStream out;
            if (image.Encode(out, outType)) {
                CRaster back;
                back.Decode(out.GetBuffer(), static_cast<std::size_t>(out.Size()), outType);
            }
        }
    }
    return 0;
}
