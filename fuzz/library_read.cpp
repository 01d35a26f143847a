// Picture library description and list files from arbitrary bytes: the
// readers must end, stay within the text and never list an entry without a Path.
#include "catalogue/setup/PictureLibrary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const LibraryEntry& e : ParseLibraryDescription("/library", text)) {
        if (e.path.empty() || e.folder != "/library/")
            std::abort();
    }
    for (const std::string& folder : ParseLibraryList(text)) {
        if (folder.empty() || folder.back() != '/')
            std::abort();
    }
    return 0;
}
