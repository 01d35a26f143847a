#pragma once
// The draw objects of one face as the document, the project file and the render
// pipeline see them. The layout layer (CDrawObjectList) derives from this; the
// application layer only stores, copies and draws these lists through it, which
// keeps the layers' dependency direction (layout builds on app, not the reverse).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CRaster;

// Program versions as project files number them (2.10 is 210). A file names
// the oldest version that can read it; a record that an older program would
// misread raises that number, so the older program refuses the file instead.
constexpr std::uint32_t kReaderVersionFirst = 200;         // every record of the first format
constexpr std::uint32_t kReaderVersionBarcodeKinds = 211;  // barcodes other than Code 39

class CFaceObjects {
public:
    virtual ~CFaceObjects() = default;

    // Number of objects, in drawing order (first drawn first).
    virtual std::size_t GetObjectCount() const = 0;

    // The flattened record block of object `index`: a little-endian u32 byte
    // count N (which counts its own 4 bytes) followed by the object's record.
    // Returns false when the object cannot be written.
    virtual bool SaveObject(std::size_t index, std::vector<std::uint8_t>& block) const = 0;

    // Appends the object stored in a flattened block (as SaveObject writes it).
    // A block of an unknown kind is skipped and reported as success; a block
    // that is malformed is refused (false) and nothing is appended.
    virtual bool LoadObject(const std::uint8_t* block, std::size_t size) = 0;

    // Oldest program version that reads every object of the list.
    virtual std::uint32_t GetOldestReader() const { return kReaderVersionFirst; }

    // Deep copy.
    virtual std::unique_ptr<CFaceObjects> Clone() const = 0;

    // Burns every object into a face picture (face pixels, y up), in drawing order.
    virtual void RenderToFace(CRaster& face) const = 0;
};

// Makes the empty list of a face. The document is given one by whoever builds
// it (the desktop program and the command-line program install the layout
// layer's); without one it keeps the stored records unchanged.
using FaceObjectsFactory = std::unique_ptr<CFaceObjects> (*)();
