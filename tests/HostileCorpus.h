#pragma once
// The hostile files of tests/data/hostile (written by its make.py from the
// formats' structures): tiny pictures and projects that claim huge sizes,
// chunks that claim gigabytes, data that ends early, runaway runs, and counts
// and offsets that lie, each with the words its refusal must contain. Used by
// the picture and project tests and by the hostile-file benchmark.

#include "image/picture/PictureFormats.h"
#include "image/Raster.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace hostile {

struct SHostileFile {
    std::string kind;                // class of attack, for the benchmark's table
    std::string name;                // the file's name with spaces for _, without its extension
    std::vector<std::uint8_t> bytes;
    std::string refusal;             // text the error must contain (a project's error begins with it)
    int type = IMAGE_TYPE_UNKNOWN;   // the picture format the file claims; unknown for a project
};

inline std::vector<std::uint8_t> ReadHostileFile(const std::string& file)
{
    std::ifstream in(std::string(VT_TEST_DATA_DIR) + "/hostile/" + file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The index's pictures, or its projects (files ending .vtp).
inline std::vector<SHostileFile> ReadHostileIndex(bool projects)
{
    const std::pair<std::string, int> types[] = {{".bmp", IMAGE_TYPE_BMP}, {".pcx", IMAGE_TYPE_PCX}, {".png", IMAGE_TYPE_PNG},
                                                 {".jpg", IMAGE_TYPE_JPEG}, {".tif", IMAGE_TYPE_TIFF}};
    std::vector<SHostileFile> out;
    std::ifstream index(std::string(VT_TEST_DATA_DIR) + "/hostile/index.txt");
    std::string file, kind, refusal;
    while (std::getline(index, file, '\t') && std::getline(index, kind, '\t') && std::getline(index, refusal)) {
        const std::string stem = file.substr(0, file.rfind('.')), extension = file.substr(stem.size());
        if ((extension == ".vtp") != projects)
            continue;
        SHostileFile f{kind, stem, ReadHostileFile(file), refusal};
        std::ranges::replace(f.name, '_', ' ');
        for (const auto& [ending, type] : types)
            f.type = ending == extension ? type : f.type;
        out.push_back(std::move(f));
    }
    return out;
}

inline std::vector<SHostileFile> HostilePictures() { return ReadHostileIndex(false); }
inline std::vector<SHostileFile> HostileProjects() { return ReadHostileIndex(true); }

} // namespace hostile
