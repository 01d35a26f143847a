// Makes the read-only data that is installed with the program: the texture
// pictures "dtx_*.bmp", a small picture library with its description files,
// the thumbnails of the 32 catalogue models "dmo_*.bmp" and the CD position
// pictures "dck_*.bmp" (book list) and "dcx_*.bmp" (box list), the number in
// their name being the CD Position value. Everything is drawn by our own code;
// the thumbnails and CD position pictures are rendered by the 3D engine.
//
// usage: vt_generate_data OUTPUT_FOLDER
#include "ground/AppFolders.h"
#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/MediaPictures.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/ImageCanvas.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- procedural pictures -----------------------------------------------------------

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                      static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Value in 0..1 of a lattice point.
double Lattice(int x, int y, std::uint32_t seed)
{
    return (Hash(x, y, seed) & 0xFFFF) / 65535.0;
}

// Smooth value noise that repeats every `period` cells, so tiles join seamlessly.
double PeriodicNoise(double x, double y, int period, std::uint32_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Lattice(wrap(x0), wrap(y0), seed), b = Lattice(wrap(x0 + 1), wrap(y0), seed);
    const double c = Lattice(wrap(x0), wrap(y0 + 1), seed), d = Lattice(wrap(x0 + 1), wrap(y0 + 1), seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

// Several octaves of periodic noise over a tile of `size` pixels; 0..1.
double Turbulence(int x, int y, int size, int baseCells, std::uint32_t seed)
{
    double sum = 0, weight = 0, amplitude = 1;
    for (int cells = baseCells; cells <= size / 2; cells *= 2, amplitude *= 0.5) {
        sum += amplitude * PeriodicNoise(x * cells / static_cast<double>(size), y * cells / static_cast<double>(size),
                                         cells, seed + static_cast<std::uint32_t>(cells));
        weight += amplitude;
    }
    return sum / weight;
}

COLORREF Shade(COLORREF base, double factor)
{
    auto ch = [factor](int v) { return static_cast<unsigned>(std::clamp(static_cast<int>(v * factor), 0, 255)); };
    return RGB(ch(GetRValue(base)), ch(GetGValue(base)), ch(GetBValue(base)));
}

COLORREF Blend(COLORREF a, COLORREF b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](int x, int y) { return static_cast<unsigned>(std::lround(x + (y - x) * t)); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

using PixelFunction = std::function<COLORREF(int x, int y)>;

std::unique_ptr<CRaster> Paint(int w, int h, const PixelFunction& f)
{
    auto r = std::make_unique<CRaster>();
    if (!r->Create(w, h, 24))
        return nullptr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r->SetPixelColor(x, y, f(x, y));
    return r;
}

struct Texture {
    const char* name;
    PixelFunction pixel;
};

std::vector<Texture> Textures(int n)
{
    const double pi = std::numbers::pi;
    return {
        {"paper", [n](int x, int y) {
             const double v = 0.96 + 0.04 * Turbulence(x, y, n, 8, 1) + ((Hash(x, y, 2) & 7) - 3.5) / 255.0;
             return Shade(RGB(246, 243, 234), v);
         }},
        {"card", [n](int x, int y) {
             const double fibre = Turbulence(x, y * 4 % n, n, 4, 3);
             return Shade(RGB(214, 200, 170), 0.9 + 0.12 * fibre + ((Hash(x, y, 4) & 7) - 3.5) / 300.0);
         }},
        {"linen", [n, pi](int x, int y) {
             const double warp = 0.5 + 0.5 * std::sin(2 * pi * x * 32 / n);
             const double weft = 0.5 + 0.5 * std::sin(2 * pi * y * 32 / n);
             const double v = 0.86 + 0.08 * std::max(warp, weft) + 0.06 * Turbulence(x, y, n, 16, 5);
             return Shade(RGB(226, 216, 196), v);
         }},
        {"wood", [n, pi](int x, int y) {
             const double t = Turbulence(x, y, n, 2, 7);
             const double rings = 0.5 + 0.5 * std::sin(2 * pi * (x * 6.0 / n + 2.0 * t));
             return Blend(RGB(150, 96, 52), RGB(196, 140, 86), rings * 0.8 + 0.2 * Turbulence(x, y, n, 32, 8));
         }},
        {"brushed_metal", [n](int x, int y) {
             const double streak = Turbulence(x / 16, y, n, 32, 9);
             const double v = 0.78 + 0.18 * streak + ((Hash(x, y, 10) & 7) - 3.5) / 400.0;
             return Shade(RGB(200, 204, 210), v);
         }},
        {"marble", [n, pi](int x, int y) {
             const double t = Turbulence(x, y, n, 2, 11);
             const double vein = std::pow(std::abs(std::sin(2 * pi * (x + y) * 2.0 / n + 6.0 * t)), 0.25);
             return Blend(RGB(120, 120, 128), RGB(240, 238, 234), vein);
         }},
        {"leather", [n](int x, int y) {
             const double grain = Turbulence(x, y, n, 16, 13);
             const double pores = PeriodicNoise(x * 32.0 / n, y * 32.0 / n, 32, 14);
             return Shade(RGB(112, 62, 34), 0.75 + 0.25 * grain + 0.1 * (pores > 0.75 ? -1 : 0));
         }},
        {"noise", [](int x, int y) {
             const int v = 96 + static_cast<int>(Hash(x, y, 15) % 64);
             return RGB(v, v, v);
         }},
        {"canvas", [n, pi](int x, int y) {
             const bool over = ((x / 4) + (y / 4)) % 2 == 0;
             const double thread = over ? std::sin(pi * (x % 4) / 4.0) : std::sin(pi * (y % 4) / 4.0);
             return Shade(RGB(222, 212, 188), 0.84 + 0.12 * thread + 0.06 * Turbulence(x, y, n, 8, 16));
         }},
        {"cork", [n](int x, int y) {
             const double base = Turbulence(x, y, n, 16, 17);
             const bool speck = (Hash(x / 2, y / 2, 18) % 23) == 0;
             return speck ? RGB(90, 56, 30) : Shade(RGB(190, 140, 90), 0.8 + 0.3 * base);
         }},
        {"granite", [](int x, int y) {
             const std::uint32_t h = Hash(x / 2, y / 2, 19) % 100;
             if (h < 12)
                 return RGB(40, 38, 40);
             if (h < 20)
                 return RGB(196, 150, 140);
             const int v = 150 + static_cast<int>(Hash(x, y, 20) % 40);
             return RGB(v, v, v + 4);
         }},
        {"denim", [n](int x, int y) {
             const bool twill = ((x + y) / 2) % 4 < 2;
             const double v = (twill ? 0.95 : 0.75) + 0.1 * Turbulence(x, y, n, 16, 21);
             return Shade(RGB(52, 80, 130), v);
         }},
    };
}

bool Save(CRaster& picture, const fs::path& path)
{
    if (picture.Save(path.c_str(), IMAGE_TYPE_BMP))
        return true;
    std::fprintf(stderr, "vt_generate_data: can not write %s: %s\n", path.c_str(), picture.GetLastError());
    return false;
}

bool WriteTextures(const fs::path& out)
{
    constexpr int kTile = 128; // pixels; the textures repeat seamlessly
    for (const Texture& t : Textures(kTile)) {
        auto picture = Paint(kTile, kTile, t.pixel);
        if (!picture || !Save(*picture, out / (std::string("dtx_") + t.name + ".bmp")))
            return false;
    }
    return true;
}

// ---- picture library -------------------------------------------------------------

struct LibraryPicture {
    const char* file;
    const char* name;
    const char* info;
    PixelFunction pixel;
};

bool WriteLibraryFolder(const fs::path& folder, int w, int h, const std::vector<LibraryPicture>& pictures)
{
    fs::create_directories(folder);
    CIniDocument ini;
    ini.PutString("Default", "0.Credit", "Vantorel");
    ini.PutString("Default", "0.Copyright", "Free for use in Vantorel designs");
    ini.PutInt("Default", "0.Width", w);
    ini.PutInt("Default", "0.Height", h);
    int n = 0;
    for (const LibraryPicture& p : pictures) {
        auto picture = Paint(w, h, p.pixel);
        if (!picture)
            return false;
        auto thumb = MakeThumbnail(*picture);
        const std::string file = std::string(p.file) + ".bmp";
        const std::string thumbFile = std::string("t_") + p.file + ".bmp";
        if (!thumb || !Save(*picture, folder / file) || !Save(*thumb, folder / thumbFile))
            return false;
        const std::string k = std::to_string(++n) + ".";
        ini.PutString("Image", k + "Thumb", thumbFile);
        ini.PutString("Image", k + "Image", file);
        ini.PutString("Image", k + "Path", file);
        ini.PutString("Image", k + "Name", p.name);
        ini.PutString("Image", k + "Info", p.info);
    }
    return ini.Save((folder / "vtlib.ini").string());
}

bool WriteLibrary(const fs::path& out)
{
    constexpr int w = 640, h = 480;
    const auto vertical = [](COLORREF bottom, COLORREF top) {
        return [=](int, int y) { return Blend(bottom, top, y / static_cast<double>(h - 1)); };
    };
    const std::vector<LibraryPicture> backgrounds = {
        {"sky", "Clear Sky", "A clear blue sky, lighter toward the horizon", vertical(RGB(200, 226, 250), RGB(40, 110, 200))},
        {"sunset", "Sunset", "Warm evening light over a dark horizon",
         [=](int x, int y) {
             const COLORREF sky = Blend(RGB(250, 150, 60), RGB(60, 40, 110), y / static_cast<double>(h - 1));
             return y < h / 5 ? Shade(sky, 0.25 + 0.1 * Turbulence(x, y, 256, 8, 31)) : sky;
         }},
        {"studio_grey", "Studio Grey", "A seamless grey studio backdrop with a soft light",
         [=](int x, int y) {
             const double dx = (x - w / 2.0) / w, dy = (y - h * 0.6) / h;
             return Shade(RGB(200, 202, 206), 1.05 - 0.9 * (dx * dx + dy * dy));
         }},
        {"studio_black", "Studio Black", "A dark backdrop with a spot of light",
         [=](int x, int y) {
             const double dx = (x - w / 2.0) / w, dy = (y - h * 0.55) / h;
             const double v = std::max(0.0, 1.0 - 3.0 * (dx * dx + dy * dy));
             return Blend(RGB(8, 8, 12), RGB(90, 92, 100), v);
         }},
        {"desk", "Wooden Desk", "A warm wooden desk top",
         [=](int x, int y) {
             const double t = Turbulence(x % 256, y % 256, 256, 2, 33);
             const double grain = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (y * 10.0 / h + 3.0 * t));
             return Blend(RGB(110, 66, 34), RGB(170, 112, 64), grain);
         }},
        {"night", "Night", "A deep blue night with faint stars",
         [=](int x, int y) {
             if (Hash(x, y, 35) % 900 == 0)
                 return RGB(230, 230, 255);
             return Blend(RGB(30, 40, 90), RGB(4, 6, 24), y / static_cast<double>(h - 1));
         }},
    };
    std::vector<LibraryPicture> materials;
    for (Texture& t : Textures(128)) {
        const PixelFunction tile = t.pixel;
        materials.push_back({t.name, t.name, "A repeating material picture",
                             [tile](int x, int y) { return tile(x % 128, y % 128); }});
    }
    return WriteLibraryFolder(out / "library" / "Backgrounds", w, h, backgrounds) &&
           WriteLibraryFolder(out / "library" / "Materials", 512, 512, materials);
}

// ---- rendered pictures -----------------------------------------------------------

// Each model of a tab shows artwork of its own in the New dialog: a colour
// from this list by its place in the tab, and a front that changes between
// gradients and patterns, so that no two thumbnails of a tab look alike.
COLORREF ModelColour(int place)
{
    static const COLORREF kColours[] = {RGB(40, 110, 190), RGB(180, 50, 40),  RGB(40, 130, 70),
                                        RGB(220, 130, 30), RGB(110, 60, 160), RGB(20, 140, 150),
                                        RGB(200, 170, 40), RGB(170, 40, 110)};
    return kColours[place % static_cast<int>(std::size(kColours))];
}

// The model's place among the models of its tab (0 for the first).
int PlaceInTab(const CatalogueEntry& e)
{
    int place = 0;
    for (const CatalogueEntry& other : GetCatalogue()) {
        if (&other == &e)
            break;
        if (std::string_view(other.prefix) == e.prefix)
            ++place;
    }
    return place;
}

// Renders `product` at size x size and returns the rendered picture ("z"),
// or null when the engine did not draw it.
std::unique_ptr<CRaster> Render(CProduct& product)
{
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.GetCache().Clear();
    if (!pipeline.Render("y", product) || !backend.GetLastError().empty())
        return nullptr;
    const CSide* z = product.FindSidePtr("z");
    if (!z || !z->GetPicture() || !z->GetPicture()->IsValid())
        return nullptr;
    return std::make_unique<CRaster>(*z->GetPicture());
}

NewProjectAnswers ThumbnailAnswers(const CatalogueEntry& e, int size)
{
    NewProjectAnswers a;
    a.renderWidth = size;
    a.renderHeight = size;
    const int place = PlaceInTab(e);
    const COLORREF colour = ModelColour(place);
    for (char face : std::string("FLRUDS"))
        a.sides[face].color1 = Shade(colour, 0.8);
    SideAppearanceAnswer& front = a.sides['F'];
    front.color1 = colour;
    if (place % 2 == 0) {
        front.type = 2;  // gradients in turn from the corners and the edges
        front.gradientStyle = (place * 5) % 16;
        front.color2 = Shade(colour, 1.6);
    } else {
        front.type = 4;  // a two-colour pattern in large cells
        front.pattern = 144 + (place * 7) % 50;
        front.patternCell = 4;
        front.color2 = Blend(colour, RGB(255, 255, 255), 0.6);
    }
    a.background.color1 = 0xFFFFFF;
    a.subPicture = e.subPattern && std::string(e.subPattern).rfind("dfl", 0) == 0 ? "dfl_001.bmp" : "dzp_001.bmp";
    a.cdImage = "a111";
    a.effects.shadows = true;
    a.effects.lights = 0x100;
    a.effects.shadowColor = 0xC0C0C0;
    a.pages.pageEdges = true;
    a.binderType = 1;
    a.binderColor = RGB(60, 60, 60);
    return a;
}

// A stand-in when the engine cannot draw: the front face on white.
std::unique_ptr<CRaster> FlatThumbnail(const CProduct& product)
{
    const CSide* front = product.FindSidePtr("F");
    if (!front)
        front = product.FindSidePtr("C");
    if (front && front->GetPicture())
        return MakeThumbnail(*front->GetPicture());
    return nullptr;
}

bool RenderThumbnail(const CAppFolders& folders, const std::string& section, const NewProjectAnswers& answers,
                     const fs::path& path)
{
    std::string error;
    std::unique_ptr<CProduct> product = BuildProductFromModel(folders, section, answers, error);
    if (!product) {
        std::fprintf(stderr, "vt_generate_data: %s: %s\n", section.c_str(), error.c_str());
        return false;
    }
    std::unique_ptr<CRaster> rendered = Render(*product);
    std::unique_ptr<CRaster> thumb = rendered ? MakeThumbnail(*rendered) : FlatThumbnail(*product);
    if (!rendered)
        std::fprintf(stderr, "vt_generate_data: %s: the engine did not draw; a flat picture is used\n",
                     section.c_str());
    return thumb && Save(*thumb, path);
}

// The working data folder the models are built in: catalogue entries, one CD
// surface and one floppy and zip picture set.
bool PrepareWorkFolder(const CAppFolders& folders)
{
    if (!WriteCatalogue(folders.ProgramSettings()))
        return false;
    const std::string in = folders.GetInternalFolder();
    auto cd = DrawCDPicture(0xD0D0D0, 0xC0C0C0, 0xB0B0B0, CDFinish{true, true, true});
    if (!cd || !cd->Save((in + "ecd_a111.png").c_str(), IMAGE_TYPE_PNG))
        return false;
    for (const char* stem : {"fl", "zp"}) {
        const bool floppy = stem[0] == 'f';
        const COLORREF body = floppy ? RGB(30, 30, 34) : RGB(40, 90, 200);
        MediaPictureSet set = DrawMediaPictures(floppy ? MediaKind::Floppy : MediaKind::Zip, body, LightTone(body),
                                                DarkTone(body), 0xC0C0C0);
        if (!set.front)
            return false;
        const std::string e = std::string("e") + stem + "_001";
        const std::string section = std::string("d") + stem + "_001.bmp";
        if (!set.front->Save((in + e + ".png").c_str(), IMAGE_TYPE_PNG) ||
            !set.top->Save((in + e + "_t.png").c_str(), IMAGE_TYPE_PNG) ||
            !set.bottom->Save((in + e + "_b.png").c_str(), IMAGE_TYPE_PNG))
            return false;
        const CIniFile& ini = folders.ProgramSettings();
        const std::string colour = "@C:" + std::to_string(body);
        if (!ini.Update([&](CIniDocument& doc) {
                return doc.PutString(section, "FDATA", "@E:" + e + ".png") &&
                       doc.PutString(section, "UDATA", "@E:" + e + "_t.png") &&
                       doc.PutString(section, "DDATA", "@E:" + e + "_b.png") && doc.PutString(section, "LDATA", colour) &&
                       doc.PutString(section, "RDATA", colour);
            }))
            return false;
    }
    return true;
}

bool WriteRenderedPictures(const fs::path& out)
{
    const fs::path work = out / ".work";
    std::error_code ec;
    fs::remove_all(work, ec);
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create(work.string(), error);
    if (!folders || !PrepareWorkFolder(*folders)) {
        std::fprintf(stderr, "vt_generate_data: the work folder could not be prepared: %s\n", error.c_str());
        return false;
    }
    constexpr int kRenderSize = 154; // twice the thumbnail, reduced for smooth edges
    bool ok = true;
    for (const CatalogueEntry& e : GetCatalogue()) {
        const std::string section = GetCatalogueSectionName(e);
        ok = RenderThumbnail(*folders, section, ThumbnailAnswers(e, kRenderSize), out / section) && ok;
    }
    // CD positions: the box list on a CD box, the book list on a magazine.
    struct Position {
        const char* prefix;
        const char* model;
        int value;
    };
    const Position positions[] = {{"dcx", "dmo_bxc_006.bmp", 0}, {"dcx", "dmo_bxc_006.bmp", 1},
                                  {"dcx", "dmo_bxc_006.bmp", 3}, {"dcx", "dmo_bxc_006.bmp", 5},
                                  {"dck", "dmo_bkc_014.bmp", 0}, {"dck", "dmo_bkc_014.bmp", 2},
                                  {"dck", "dmo_bkc_014.bmp", 3}, {"dck", "dmo_bkc_014.bmp", 4},
                                  {"dck", "dmo_bkc_014.bmp", 5}};
    for (const Position& p : positions) {
        const CatalogueEntry* entry = nullptr;
        for (const CatalogueEntry& e : GetCatalogue())
            if (GetCatalogueSectionName(e) == p.model)
                entry = &e;
        if (!entry)
            return false;
        NewProjectAnswers a = ThumbnailAnswers(*entry, kRenderSize);
        a.cdPosition = p.value;
        char name[32];
        std::snprintf(name, sizeof name, "%s_%03d.bmp", p.prefix, p.value);
        ok = RenderThumbnail(*folders, p.model, a, out / name) && ok;
    }
    fs::remove_all(work, ec);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vt_generate_data OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "vt_generate_data: can not create %s\n", out.c_str());
        return 1;
    }
    if (!WriteTextures(out) || !WriteLibrary(out) || !WriteRenderedPictures(out))
        return 1;
    return 0;
}
