// Reads arbitrary bytes as SVG artwork and as a PDF file's first page, and
// rasterises what reads at a small size.

#include "image/Raster.h"
#include "image/picture/VectorArt.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (EVectorKind kind : {EVectorKind::Svg, EVectorKind::Pdf}) {
        std::string error;
        const auto art = CVectorArt::Create(std::vector<std::uint8_t>(data, data + size), kind, 1, error);
        if (art)
            art->Rasterise(24, 16);
    }
    return 0;
}
