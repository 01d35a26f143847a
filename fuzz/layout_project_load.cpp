// Reads arbitrary bytes as a project with the real draw objects installed, so
// the layout block's records go through the record stream and every kind's
// loader. A project that loads must write out and read back with the same
// faces and object counts, and its objects must draw onto a small face.

#include "app/Archive.h"
#include "app/ProjectFile.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "layout/DrawObjectList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// fontconfig keeps a few configuration blocks for the whole process
// without a pointer LeakSanitizer can see.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

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
            std::abort();  // a refused load always says why
        return 0;
    }
    doc.TakeContent(std::move(content));

    static CRaster face(40, 30, 24);
    for (std::size_t i = 0; i < doc.GetLayoutCount(); ++i)
        doc.GetLayoutList(i).RenderToFace(face);

    CArchiveWriter first;
    if (!CProjectFile::Write(doc, first, error))
        return 0;
    CVtwinDoc again(&CreateDrawObjectList, &undo);
    CDocContent reread;
    if (!CProjectFile::Read(again, first.Bytes().data(), first.Bytes().size(), reread, error))
        std::abort();  // what we wrote must read back
    if (reread.hasProduct != doc.HasProduct() || reread.layout.size() != doc.GetLayoutCount())
        std::abort();
    for (std::size_t i = 0; i < reread.layout.size(); ++i)
        if (reread.layout[i].second->GetObjectCount() != doc.GetLayoutList(i).GetObjectCount())
            std::abort();  // every object written is read back
    return 0;
}
