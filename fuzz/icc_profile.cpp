// Reads arbitrary bytes as an embedded ICC profile for each kind of pixels a
// picture file can have, and converts a few pixels of each through it.

#include "image/colour/IccTransform.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t in[16 * 4], out[16 * 3];
    for (std::size_t i = 0; i < sizeof in; ++i)
        in[i] = static_cast<std::uint8_t>(i * 37);
    for (auto input : {CIccTransform::Input::Bgr, CIccTransform::Input::Grey, CIccTransform::Input::Cmyk,
                       CIccTransform::Input::CmykInverted}) {
        if (const auto t = CIccTransform::Create(data, size, input))
            t->Apply(in, out, 16);
    }
    return 0;
}
