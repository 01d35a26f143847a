// A picture object made from an SVG file keeps the file's bytes through its
// record (which names the newer reader it needs) and is drawn from the
// artwork at the box's size, not stretched from a small raster.
#include "../FaceTestUtil.h"

#include "app/FaceObjects.h"
#include "app/project/ProjectFile.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/objects/RecordStream.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace {

TEST(VectorPicture, KeepsItsArtworkAndDrawsAtTheBoxSize)
{
    // 10 x 10 CSS pixels: red up to x = 5.5, blue after it.
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                            "<rect width='5.5' height='10' fill='#f00'/>"
                            "<rect x='5.5' width='4.5' height='10' fill='#00f'/></svg>";
    const std::string path = testing::TempDir() + "vt_vector_" + std::to_string(getpid()) + ".svg";
    std::ofstream(path) << svg;
    std::string message;
    auto picture = CDrawPicture::CreateFromFile(path, 0, 99, message);
    std::remove(path.c_str());
    ASSERT_TRUE(picture && picture->GetVectorArt()) << message;
    EXPECT_EQ(std::pair(picture->GetWidth(), picture->GetOldestReader()), std::pair(10, kReaderVersionVectorArt));
    EXPECT_TRUE(CProjectFile::IsReadableVersion(kReaderVersionVectorArt));

    std::unique_ptr<CDrawObject> back = ReadBack(*picture);
    auto* loaded = dynamic_cast<CDrawPicture*>(back.get());
    ASSERT_TRUE(loaded && loaded->GetVectorArt());
    EXPECT_EQ(std::string(loaded->GetVectorArt()->GetBytes().begin(), loaded->GetVectorArt()->GetBytes().end()), svg);

    // At 100 x 100 the colours meet at 5.5 / 10 * 100 = column 55, sharp; a
    // stretched 10-pixel raster would blend columns 50 to 59.
    loaded->SetBounds(0, 99, 100, -1);
    CRaster face;
    ASSERT_TRUE(face.Create(100, 100, 24));
    loaded->RenderToFace(face);
    EXPECT_EQ(std::pair(RGBQUADtoRGB(face.GetPixelColor(54, 50)), RGBQUADtoRGB(face.GetPixelColor(55, 50))),
              std::pair(RGB(255, 0, 0), RGB(0, 0, 255)));
}

}  // namespace
