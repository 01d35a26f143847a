#pragma once
// Shared body of the project-loading fuzz targets: reads arbitrary bytes as a
// project; one that loads must write out and read back with the same product,
// faces and object counts. With the layout layer's lists installed, every
// face's objects are also drawn onto a small face picture.

#include "ground/Archive.h"
#include "app/FaceObjects.h"
#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

inline int FuzzProjectLoad(const std::uint8_t* data, std::size_t size, FaceObjectsFactory factory)
{
    // Keeps hostile sizes from spending the fuzzer's memory on one input.
    CRaster::SetAllocationLimit(std::size_t{16} << 20);
    CProjectFile::SetPictureBudget(std::size_t{24} << 20);

    CUndoStore undo;
    CVtwinDoc doc(factory, &undo);
    CDocContent content;
    std::string error;
    if (!CProjectFile::Read(doc, data, size, content, error)) {
        if (error.empty())
            std::abort(); // a refused load always says why
        return 0;
    }
    doc.TakeContent(std::move(content));

    if (factory != nullptr) {
        static CRaster face = CRaster::Make(40, 30, 24).value();
        for (std::size_t i = 0; i < doc.GetLayoutCount(); ++i)
            doc.GetLayoutList(i).RenderToFace(face);
    }

    CArchiveWriter first;
    if (!CProjectFile::Write(doc, first, error))
        return 0;
    CVtwinDoc again(factory, &undo);
    CDocContent reread;
    if (!CProjectFile::Read(again, first.Bytes().data(), first.Bytes().size(), reread, error))
        std::abort(); // what we wrote must read back
    if (reread.hasProduct != doc.HasProduct() || reread.layout.size() != doc.GetLayoutCount())
        std::abort();
    for (std::size_t i = 0; i < reread.layout.size(); ++i)
        if (reread.layout[i].second->GetObjectCount() != doc.GetLayoutList(i).GetObjectCount())
            std::abort(); // every object written is read back
    return 0;
}
