#pragma once
// Face pictures for the tests that burn objects into one: a face of one
// colour, the colour of a pixel, and where a colour lies on the face. Every
// layout test includes it first: it brings the test framework and the
// standard headers.

#include "image/Raster.h"
#include "layout/objects/DrawObject.h"
#include "layout/objects/RecordStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

inline COLORREF At(const CRaster& face, int x, int y) { return RGBQUADtoRGB(face.GetPixelColor(x, y)); }

inline CRaster FilledFace(int w, int h, COLORREF colour = 0xFFFFFF)
{
    CRaster face = CRaster::Make(w, h, 24).value();
    for (int y = 0; y < h; ++y)
        face.HorizontalLine(0, w - 1, y, colour);
    return face;
}

// `object` (an object or a list of them) burnt into a w x h face of one colour.
template <class T> CRaster Burnt(const T& object, int w, int h, COLORREF colour = 0xFFFFFF)
{
    CRaster face = FilledFace(w, h, colour);
    object.RenderToFace(face);
    return face;
}

// The pixels of one colour: their bounds and count.
struct SInk {
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1, count = 0;
};

inline SInk FindInk(const CRaster& face, COLORREF colour)
{
    SInk ink;
    for (int y = 0; y < face.GetHeight(); ++y)
        for (int x = 0; x < face.GetWidth(); ++x)
            if (At(face, x, y) == colour) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
    return ink;
}

// `object` written as a binary record, as the project file and the clipboard
// store it, and read back; the read must end at the end of the record.
inline std::unique_ptr<CDrawObject> ReadBack(const CDrawObject& object, bool withSelection = true)
{
    CBinaryRecordStream out, in;
    SaveDrawObject(out, object, false, withSelection);
    std::vector<std::uint8_t> block;
    EXPECT_TRUE(out.Flatten(block) && in.Attach(block.data(), block.size()));
    std::unique_ptr<CDrawObject> back = LoadDrawObject(in, false, withSelection);
    EXPECT_TRUE(in.AtEnd()) << object.GetKindCode();
    return back;
}
