// Reads arbitrary bytes as a project. A project that loads must write out and
// load again to the same stream: whatever the reader accepts, the writer keeps.

#include "app/Archive.h"
#include "app/ProjectFile.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Keeps hostile sizes from spending the fuzzer's memory on one input.
    CRaster::SetAllocationLimit(std::size_t{16} << 20);
    CProjectFile::SetPictureBudget(std::size_t{24} << 20);

    CUndoStore undo;
    CVtwinDoc doc(nullptr, &undo);
    CDocContent content;
    std::string error;
    if (!CProjectFile::Read(doc, data, size, content, error)) {
        if (error.empty())
            std::abort(); // a refused load always says why
        return 0;
    }
    doc.TakeContent(std::move(content));

    CArchiveWriter first;
    if (!CProjectFile::Write(doc, first, error))
        return 0;
    CVtwinDoc again(nullptr, &undo);
    CDocContent reread;
    if (!CProjectFile::Read(again, first.Bytes().data(), first.Bytes().size(), reread, error))
        std::abort(); // what we wrote must read back
    if (reread.hasProduct != doc.HasProduct() || reread.layout.size() != doc.GetLayoutCount())
        std::abort();
    return 0;
}
