// Decodes arbitrary bytes as a TIFF picture (one decoder only) and re-encodes what decodes.

#include "ImageFuzzHarness.h"

#include "image/picture/PictureFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzDecodeAndReencode(data, size, IMAGE_TYPE_TIFF);
}
