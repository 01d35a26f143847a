// Draw-object records from untrusted bytes, through both record back ends.
//
// Byte 0 picks the route: even = a stored binary block (the rest of the input
// is the block after its size word, which is filled in so that the record
// itself gets fuzzed), odd = the text back end. Byte 1 bit 0 = with the
// selection state. Whatever loads is saved, cloned both ways and burnt into
// a small face.
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/objects/RecordStream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void Exercise(const CDrawObject& object)
{
    CBinaryRecordStream out;
    SaveDrawObject(out, object, false, true);
    std::vector<std::uint8_t> block;
    out.Flatten(block);
    for (bool textMode : {true, false}) {
        std::unique_ptr<CDrawObject> copy = object.Clone(textMode, true);
        if (copy)
            copy->GetMinWidth();
    }
    static CRaster face = CRaster::Make(48, 40, 24).value();
    object.RenderToFace(face);
    object.CanResizeTo(true, 50, true, 20);
}

}  // namespace

// Font lookup caches live for the whole process; warm them before fuzzing.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CTextRecordStream warm;
    warm.Attach("TEXT\n");
    LoadDrawObject(warm, true, false);
    return 0;
}

// fontconfig keeps a few configuration blocks for the whole process
// without a pointer LeakSanitizer can see.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > (1u << 20))
        return 0;
    const bool text = data[0] & 1;
    const bool withSelection = data[1] & 1;
    data += 2;
    size -= 2;
    if (text) {
        CTextRecordStream stream;
        stream.Attach(std::string(reinterpret_cast<const char*>(data), size));
        std::unique_ptr<CDrawObject> object = LoadDrawObject(stream, true, withSelection);
        if (object)
            Exercise(*object);
        return 0;
    }
    std::vector<std::uint8_t> block(size + 4);
    const std::uint32_t total = static_cast<std::uint32_t>(block.size());
    block[0] = static_cast<std::uint8_t>(total);
    block[1] = static_cast<std::uint8_t>(total >> 8);
    block[2] = static_cast<std::uint8_t>(total >> 16);
    block[3] = static_cast<std::uint8_t>(total >> 24);
    std::copy(data, data + size, block.begin() + 4);
    if (withSelection) {
        CDrawObjectList list;
        if (list.LoadObject(block.data(), block.size()) && list.GetObjectCount() == 1)
            Exercise(*list.GetObject(0));
    } else {
        CBinaryRecordStream stream;
        if (!stream.Attach(block.data(), block.size()))
            return 0;
        std::unique_ptr<CDrawObject> object = LoadDrawObject(stream, false, false);
        if (object)
            Exercise(*object);
    }
    return 0;
}
