// Decodes arbitrary bytes as a picture (one decoder only); a
// picture that decodes is encoded again in every format it can be written in.

#include "image/ByteStream.h"
#include "image/Raster.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Keeps hostile headers from spending the fuzzer's memory on one input.
    CRaster::SetAllocationLimit(std::size_t{64} << 20);
    CRaster image;
    if (image.Decode(data, size, IMAGE_TYPE_BMP)) {
        for (int type : {IMAGE_TYPE_BMP, IMAGE_TYPE_PCX, IMAGE_TYPE_PNG, IMAGE_TYPE_JPEG}) {
            if (image.GetWidth() * image.GetHeight() > 1 << 16) {
                break; // large pictures are exercised by decoding alone
            }
            CMemoryStream out;
            if (image.Encode(out, type)) {
                CRaster back;
                back.Decode(out.GetBuffer(), static_cast<std::size_t>(out.Size()), type);
            }
        }
    }
    return 0;
}
