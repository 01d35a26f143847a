// Projects saved by earlier versions of the program keep their exact pictures.
//
// tests/data/stored/ holds one project per product kind with the settings the
// engine reads varied across them (shadow styles, lights, reflection with and
// without ripple, the vertical table, edge softening, Detail, page edges,
// binder rings, CD positions, lens flare, bevel, border, colour effects and
// colour balance, pictures, textures and draw objects on the faces). Each is
// rendered as the command-line program renders it and a hash of the finished
// picture is compared with the hash recorded in renderings.txt when the
// project was saved. A change that alters any of these pictures changes the
// look of every project a user already has.
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "layout/objects/DrawObjectList.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kStored = std::string(VT_TEST_DATA_DIR) + "/stored/";

struct SStoredRendering {
    std::string project;
    std::uint64_t hash = 0;
};

std::vector<SStoredRendering> ReadRecordedHashes()
{
    std::vector<SStoredRendering> list;
    std::ifstream in(kStored + "renderings.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        SStoredRendering r;
        std::string hex;
        if (fields >> r.project >> hex) {
            r.hash = std::stoull(hex, nullptr, 16);
            list.push_back(r);
        }
    }
    return list;
}

// 64-bit FNV-1a over the width, the height and the pixel bytes of every row
// (blue, green, red; row padding left out).
std::uint64_t HashPicture(const CRaster& picture)
{
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&h](std::uint8_t byte) {
        h ^= byte;
        h *= 1099511628211ull;
    };
    const int w = picture.GetWidth(), ht = picture.GetHeight();
    for (int v : {w, ht})
        for (int shift = 0; shift < 32; shift += 8) add(static_cast<std::uint8_t>(v >> shift));
    for (int y = 0; y < ht; ++y) {
        const std::uint8_t* row = picture.GetBits(y);
        for (int i = 0; i < 3 * w; ++i) add(row[i]);
    }
    return h;
}

// Opens and renders a stored project as `vantorel-cli render` does; the hash
// of the finished picture, or 0 with a failure recorded.
std::uint64_t RenderStored(const std::string& name)
{
    CVtwinDoc doc(&CreateDrawObjectList);
    std::string message;
    doc.SetMessageSink([&message](const std::string& m) { message += m; });
    if (!doc.OpenProject(kStored + name) || !doc.HasProduct()) {
        ADD_FAILURE() << name << " does not open: " << message;
        return 0;
    }
    CProduct& product = *doc.GetProduct();
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetFaceObjects([&doc](std::string_view key) -> const CFaceObjects* { return doc.FindFaceObjects(key); });
    pipeline.GetCache().Clear();
    if (!pipeline.Render("y", product) || !backend.GetLastError().empty()) {
        ADD_FAILURE() << name << " does not render: " << backend.GetLastError();
        return 0;
    }
    const CSide* z = product.FindSidePtr("z");
    if (z == nullptr || z->GetPicture() == nullptr) {
        ADD_FAILURE() << name << " left no rendering";
        return 0;
    }
    return HashPicture(*z->GetPicture());
}

}  // namespace

TEST(StoredProjects, RenderAsWhenTheyWereSaved)
{
    const std::vector<SStoredRendering> recorded = ReadRecordedHashes();
    ASSERT_GE(recorded.size(), 12u) << "renderings.txt is missing or short";
    for (const SStoredRendering& r : recorded) {
        const std::uint64_t hash = RenderStored(r.project);
        char text[32];
        std::snprintf(text, sizeof text, "%016" PRIx64, hash);
        EXPECT_EQ(hash, r.hash) << r.project << " now renders as " << text;
    }
}

// The drafts of one drag share a backend (texture levels and one-colour tiles
// made once) and the faces burnt with their draw objects; turned on, they
// must draw what a fresh render of the same angle draws.
TEST(StoredProjects, DraftsOfOneDragDrawAsFreshRenders)
{
    for (const char* name : {"studio_box_software.vtp", "mixed_box_nearest_lit.vtp"}) {
        CVtwinDoc doc(&CreateDrawObjectList);
        ASSERT_TRUE(doc.OpenProject(kStored + name)) << name;
        CProduct& product = *doc.GetProduct();
        auto render = [&](CEngineBackend& backend, std::map<char, CRaster>* kept, int yRotation) {
            product.GetSettings().SetInt(ModelKey(kSetYRotation), yRotation);
            CRenderPipeline pipeline;
            pipeline.SetBackend(&backend);
            pipeline.SetKeptFaces(kept);
            pipeline.SetFaceObjects(
                [&doc](std::string_view key) -> const CFaceObjects* { return doc.FindFaceObjects(key); });
            EXPECT_TRUE(pipeline.Render("z", product)) << name;
            return HashPicture(*product.FindSidePtr("z")->GetPicture());
        };
        CEngineBackend drag;
        drag.SetFacesUnchanged(true);
        std::map<char, CRaster> faces;
        render(drag, &faces, -20);
        const std::uint64_t turned = render(drag, &faces, 35);
        CEngineBackend fresh;
        EXPECT_EQ(turned, render(fresh, nullptr, 35)) << name;
    }
}
