// Reads arbitrary bytes as a project with the draw objects kept as stored
// records, and writes back what loads.

#include "ProjectFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzProjectLoad(data, size, nullptr);
}
