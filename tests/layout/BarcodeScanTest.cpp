// Every barcode kind burnt into a face is read back by an independent
// reader (zbarimg) at each quarter angle and at module sizes 1 to 3, on dark
// artwork, so the quiet zones inside the box are what the reader needs.
// Skipped when zbarimg is not installed.
#include "image/Raster.h"
#include "layout/BarcodeKind.h"
#include "layout/DrawBarcode.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Paint(CRaster& face, COLORREF colour)
{
    for (int y = 0; y < face.GetHeight(); ++y)
        for (int x = 0; x < face.GetWidth(); ++x)
            face.SetPixelColor(x, y, colour);
}

bool HaveReader() { return std::system("command -v zbarimg >/dev/null 2>&1") == 0; }

// What zbarimg reads in the picture: "TYPE:data" lines, joined.
std::string Scan(const CRaster& face, const std::string& name)
{
    const std::string path = testing::TempDir() + "vt_scan_" + std::to_string(getpid()) + "_" + name + ".png";
    CRaster copy(face);
    if (!copy.Save(path.c_str(), IMAGE_TYPE_PNG))
        return "(not saved)";
    const std::string command = "zbarimg -q -Supca.enable " + path + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    if (!std::getenv("VT_KEEP_SCANS"))
        std::remove(path.c_str());
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
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
                CRaster face(w + 2 * margin, h + 2 * margin, 24);
                // Dark artwork around the symbol: its own light margins let it scan.
                Paint(face, RGB(30, 40, 110));
                barcode.RenderToFace(face);
                const std::string name = std::to_string(static_cast<int>(c.kind)) + "_" +
                                         std::to_string(angle) + "_" + std::to_string(module);
                EXPECT_EQ(Scan(face, name), c.read)
                    << GetBarcodeKindName(c.kind) << " angle " << angle << " module " << module;
            }
        }
    }
}
