// Reads arbitrary bytes as a project with the real draw objects installed, so
// the layout block's records go through the record stream, every kind's
// loader and every kind's drawing; writes back what loads.

#include "ProjectFuzzHarness.h"
#include "layout/objects/DrawObjectList.h"

// fontconfig keeps a few configuration blocks for the whole process
// without a pointer LeakSanitizer can see.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzProjectLoad(data, size, &CreateDrawObjectList);
}
