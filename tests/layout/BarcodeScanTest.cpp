// Every barcode kind burnt into a face is read back by an independent
// reader (zbarimg) at each quarter angle and at module sizes 1 to 3, on dark
// artwork, so the quiet zones inside the box are what the reader needs.
// Skipped when zbarimg is not installed.
#include "image/Raster.h"
#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/DrawBarcode.h"

#include "FaceTestUtil.h"

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
    struct Made {
        std::string path, expected, what;
    };
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
                const std::string path = testing::TempDir() + "vt_scan_" + std::to_string(getpid()) + "_" +
                                         std::to_string(made.size()) + ".png";
                ASSERT_TRUE(face.Save(path.c_str(), IMAGE_TYPE_PNG)) << path;
                made.push_back({path, c.read, std::string(GetBarcodeKindName(c.kind)) + " angle " +
                                                  std::to_string(angle) + " module " + std::to_string(module)});
            }
        }
    }
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
