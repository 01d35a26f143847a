#pragma once
// CGlbWriter: a glTF 2.0 binary file (GLB) of one mesh in one node: the
// primitives (triangles with positions, normals and texture coordinates),
// their materials (metallic-roughness) and the PNG pictures of those
// materials, all in the file's one binary buffer.
//
// Layout of the file: a 12-byte header ("glTF", version 2, total length),
// then the JSON chunk (length, "JSON", text padded with spaces to 4 bytes)
// and the binary chunk (length, "BIN\0", data padded with zeros to 4 bytes).

#include <cstdint>
#include <string>
#include <vector>

struct SGlbVertex {
    float position[3];  // metres, +y up, +z towards the viewer
    float normal[3];
    float uv[2];  // 0, 0 the picture's top-left corner
};

struct SGlbMaterial {
    std::string name;
    float baseColour[4] = {1, 1, 1, 1};
    float metallic = 0, roughness = 0.5f;
    int image = -1;      // index of a picture added with AddImage, -1 for none
    bool masked = false; // clear texels of the picture are cut out
};

class CGlbWriter {
public:
    // Adds a PNG picture; returns its index.
    int AddImage(std::string png);
    int AddMaterial(const SGlbMaterial& material);
    // Adds a primitive of `indices` (triangles, counter-clockwise seen from
    // outside) into `vertices`, drawn with material `material`.
    void AddPrimitive(const std::vector<SGlbVertex>& vertices, const std::vector<std::uint32_t>& indices,
                      int material);
    // The whole file.
    std::string Finish() const;

private:
    struct SView {
        std::size_t offset, length;
        int target;  // 34962 array buffer, 34963 element array buffer, 0 none
    };
    struct SPrimitive {
        int positions, normals, uvs, indices, material;
        std::size_t vertexCount, indexCount;
        float minimum[3], maximum[3];
    };
    int AddView(const void* data, std::size_t length, int target);

    std::string m_bin;
    std::vector<SView> m_views;
    std::vector<int> m_images;  // their buffer views
    std::vector<SGlbMaterial> m_materials;
    std::vector<SPrimitive> m_primitives;
};
