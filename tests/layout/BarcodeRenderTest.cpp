// A retail barcode on the front of a box, rendered head-on as a 3D picture,
// is read back by an independent reader (zbarimg) from the finished
// rendering. Skipped when zbarimg is not installed.
#include "FaceTestUtil.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <unistd.h>

#include <cstdio>

namespace {

std::string ReadPicture(CRaster& picture, const std::string& name)
{
    const std::string path = testing::TempDir() + "vt_render_scan_" + std::to_string(getpid()) + "_" + name + ".png";
    if (!picture.Save(path.c_str(), IMAGE_TYPE_PNG))
        return "(not saved)";
    std::string out;
    if (FILE* pipe = popen(("zbarimg -q -Supca.enable " + path + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    if (!std::getenv("VT_KEEP_SCANS"))
        std::remove(path.c_str());
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

}  // namespace

TEST(BarcodeRender, FrontalRenderingOfEachRetailKindReadsBack)
{
    if (std::system("command -v zbarimg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "zbarimg is not installed";
    struct Case {
        EBarcodeKind kind;
        const char* data;
        const char* read;
    } const cases[] = {
        {EBarcodeKind::Ean13, "5901234123457", "EAN-13:5901234123457"},
        {EBarcodeKind::Ean8, "96385074", "EAN-8:96385074"},
        {EBarcodeKind::UpcA, "036000291452", "UPC-A:036000291452"},
        {EBarcodeKind::Code128, "VT-128 box", "CODE-128:VT-128 box"},
    };
    for (const Case& c : cases) {
        CVtwinDoc doc(&CreateDrawObjectList);
        ASSERT_TRUE(doc.OpenProject(std::string(VT_TEST_DATA_DIR) + "/stored/box_software.vtp"));
        CProduct& product = *doc.GetProduct();
        SettingStore& s = product.GetSettings();
        // Head-on, nothing over the front: no turn, shadows, reflection or effects.
        for (std::uint32_t id : {kSetXRotation, kSetYRotation, kSetZRotation, kSetShadows, kSetReflection,
                                 kSetLensFlare, kSetBevel, kSetBorders, kSetColorEffect})
            s.SetInt(ModelKey(id), 0);
        s.SetInt(ModelKey(kSetRenderWidth), 600);
        s.SetInt(ModelKey(kSetRenderHeight), 600);
        const CSide* front = product.FindSidePtr("F");
        ASSERT_TRUE(front && front->GetPicture());
        const int faceWidth = front->GetPicture()->GetWidth(), faceHeight = front->GetPicture()->GetHeight();

        auto barcode = std::make_unique<CDrawBarcode>();
        std::string message;
        ASSERT_TRUE(barcode->SetBarcode(c.kind, c.data, &message)) << message;
        int w = 0, h = 0;
        barcode->GetNaturalSize(w, h);
        // As large as the face allows in whole modules, centred.
        const int module = std::max(1, std::min(faceWidth * 9 / 10 / w, faceHeight * 6 / 10 / h));
        w *= module;
        h *= module;
        const int left = (faceWidth - w) / 2, bottom = (faceHeight - h) / 2;
        barcode->SetCoords(left, bottom + h, left + w, bottom);
        static_cast<CDrawObjectList&>(doc.GetFaceObjects("F")).Add(std::move(barcode));

        CEngineBackend backend;
        CRenderPipeline pipeline;
        pipeline.SetBackend(&backend);
        pipeline.SetFaceObjects([&doc](std::string_view key) -> const CFaceObjects* { return doc.FindFaceObjects(key); });
        pipeline.GetCache().Clear();
        ASSERT_TRUE(pipeline.Render("y", product)) << backend.GetLastError();
        CSide* z = product.FindSidePtr("z");
        ASSERT_TRUE(z && z->GetPicture());
        EXPECT_EQ(ReadPicture(*z->GetPicture(), std::to_string(static_cast<int>(c.kind))), c.read)
            << GetBarcodeKindName(c.kind) << " at " << module << " face pixels a module on a " << faceWidth << " x "
            << faceHeight << " front";
    }
}
