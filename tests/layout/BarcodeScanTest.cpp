// Every barcode kind burnt into a face is read back by an independent
// reader (zbarimg) at each quarter angle and at module sizes 1 to 3, on dark
// artwork, so the quiet zones inside the box are what the reader needs; a
// retail barcode on the front of a box is read back from the box rendered
// head-on as a 3D picture. Skipped when zbarimg is not installed.
#include "FaceTestUtil.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <unistd.h>

#include <cstdio>
#include <map>

namespace {

bool HaveReader() { return std::system("command -v zbarimg >/dev/null 2>&1") == 0; }

// What zbarimg reads in each picture file: "TYPE:data" lines, joined. One
// run reads them all (a run per picture costs more than the reading).
std::map<std::string, std::string> ScanAll(const std::vector<std::string>& paths)
{
    std::string command = "zbarimg --xml -q -Supca.enable";
    for (const std::string& path : paths)
        command += " " + path;
    std::string xml;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            xml.append(buffer, n);
        pclose(pipe);
    }
    // <source href='PATH'> ... <symbol type='TYPE' ...><data><![CDATA[DATA]]></data> ... </source>
    std::map<std::string, std::string> read;
    for (std::size_t at = xml.find("<source href='"); at != std::string::npos; at = xml.find("<source href='", at)) {
        at += 14;
        const std::string path = xml.substr(at, xml.find('\'', at) - at);
        const std::size_t end = xml.find("</source>", at);
        std::string& out = read[path];
        for (std::size_t t = xml.find("type='", at); t < end; t = xml.find("type='", t)) {
            t += 6;
            const std::size_t d = xml.find("<![CDATA[", t) + 9;
            out += (out.empty() ? "" : "\n") + xml.substr(t, xml.find('\'', t) - t) + ":" +
                   xml.substr(d, xml.find("]]>", d) - d);
        }
    }
    return read;
}

// A picture saved for the reader, what it must read and what it shows.
struct Made {
    std::string path, expected, what;
};

// Saves `picture` as the next PNG of `made`.
bool SaveForReader(CRaster& picture, std::vector<Made>& made, const std::string& expected, const std::string& what)
{
    made.push_back({testing::TempDir() + "vt_scan_" + std::to_string(getpid()) + "_" + std::to_string(made.size()) + ".png",
                    expected, what});
    return picture.Save(made.back().path.c_str(), IMAGE_TYPE_PNG);
}

// Reads every saved picture in one run and checks each; the files go unless
// VT_KEEP_SCANS is set.
void ExpectRead(const std::vector<Made>& made)
{
    std::vector<std::string> paths;
    for (const Made& m : made)
        paths.push_back(m.path);
    std::map<std::string, std::string> read = ScanAll(paths);
    for (const Made& m : made) {
        EXPECT_EQ(read[m.path], m.expected) << m.what;
        if (!std::getenv("VT_KEEP_SCANS"))
            std::remove(m.path.c_str());
    }
}

struct Case {
    EBarcodeKind kind;
    const char* data;
    const char* read;  // what the reader reports
};

const Case kCases[] = {
    {EBarcodeKind::Ean13, "400638133393", "EAN-13:4006381333931"},
    {EBarcodeKind::Ean8, "9638507", "EAN-8:96385074"},
    // At one pixel a module the reader misses some numbers that it reads at
    // two (036000291452 among them, however it is drawn); this one it reads.
    {EBarcodeKind::UpcA, "01234567890", "UPC-A:012345678905"},
    {EBarcodeKind::Code128, "Vantorel-2026 #42", "CODE-128:Vantorel-2026 #42"},
    {EBarcodeKind::Code128, "12345678901234", "CODE-128:12345678901234"},
    // A new Code 39 symbol keeps its light margins too.
    {EBarcodeKind::Code39, "BOX 42", "CODE-39:BOX 42"},
};

}  // namespace

TEST(BarcodeScan, EveryKindReadsBackAtEveryAngleAndModule)
{
    if (!HaveReader())
        GTEST_SKIP() << "zbarimg is not installed";
    std::vector<Made> made;
    for (const Case& c : kCases) {
        for (int angle : {0, 900, 1800, 2700}) {
            for (int module = 1; module <= 3; ++module) {
                CDrawBarcode barcode;
                std::string message;
                ASSERT_TRUE(barcode.SetBarcode(c.kind, c.data, &message)) << message;
                barcode.SetAngle(angle);
                int w = 0, h = 0;
                barcode.GetNaturalSize(w, h);
                w *= module;
                h *= module;
                const int margin = 12;
                barcode.SetCoords(margin, margin + h, margin + w, margin);
                // Dark artwork around the symbol: its own light margins let it scan.
                CRaster face = Burnt(barcode, w + 2 * margin, h + 2 * margin, RGB(30, 40, 110));
                ASSERT_TRUE(SaveForReader(face, made, c.read, std::string(GetBarcodeKindName(c.kind)) + " angle " +
                                                                  std::to_string(angle) + " module " + std::to_string(module)));
            }
        }
    }
    ExpectRead(made);
}

TEST(BarcodeScan, FrontalRenderingOfEachRetailKindReadsBack)
{
    if (!HaveReader())
        GTEST_SKIP() << "zbarimg is not installed";
    std::vector<Made> made;
    const Case cases[] = {
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
        ASSERT_TRUE(SaveForReader(*z->GetPicture(), made, c.read,
                                  std::string(GetBarcodeKindName(c.kind)) + " at " + std::to_string(module) +
                                      " face pixels a module on a " + std::to_string(faceWidth) + " x " +
                                      std::to_string(faceHeight) + " front"));
    }
    ExpectRead(made);
}
