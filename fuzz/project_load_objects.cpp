// Reads arbitrary bytes as a project whose draw objects are rebuilt by the
// layout layer (not kept as records), then writes it and reads it back: the
// whole chain from file to objects and back must hold for anything accepted.

#include "app/Archive.h"
#include "app/ProjectFile.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "layout/DrawObjectList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CRaster::SetAllocationLimit(std::size_t{16} << 20);
    CProjectFile::SetPictureBudget(std::size_t{24} << 20);

    CUndoStore undo;
    CVtwinDoc doc(&CreateDrawObjectList, &undo);
    CDocContent content;
    std::string error;
    if (!CProjectFile::Read(doc, data, size, content, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    doc.TakeContent(std::move(content));

    CArchiveWriter first;
    if (!CProjectFile::Write(doc, first, error))
        return 0;
    CVtwinDoc again(&CreateDrawObjectList, &undo);
    CDocContent reread;
    if (!CProjectFile::Read(again, first.Bytes().data(), first.Bytes().size(), reread, error))
        std::abort();
    return 0;
}
