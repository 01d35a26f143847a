#include "layout/export/GlbWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

void Pad(std::string& s, char with)
{
    while (s.size() % 4 != 0)
        s += with;
}

void AppendU32(std::string& s, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Format(const char* format, double a, double b, double c)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

std::string JsonText(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out + "\"";
}

}  // namespace

int CGlbWriter::AddView(const void* data, std::size_t length, int target)
{
    Pad(m_bin, '\0');
    m_views.push_back({m_bin.size(), length, target});
    m_bin.append(static_cast<const char*>(data), length);
    return static_cast<int>(m_views.size()) - 1;
}

int CGlbWriter::AddImage(std::string png)
{
    m_images.push_back(AddView(png.data(), png.size(), 0));
    return static_cast<int>(m_images.size()) - 1;
}

int CGlbWriter::AddMaterial(const SGlbMaterial& material)
{
    m_materials.push_back(material);
    return static_cast<int>(m_materials.size()) - 1;
}

void CGlbWriter::AddPrimitive(const std::vector<SGlbVertex>& vertices, const std::vector<std::uint32_t>& indices,
                              int material)
{
    if (vertices.empty() || indices.empty())
        return;
    std::vector<float> positions, normals, uvs;
    SPrimitive p{};
    for (int k = 0; k < 3; ++k)
        p.minimum[k] = p.maximum[k] = vertices[0].position[k];
    for (const SGlbVertex& v : vertices) {
        positions.insert(positions.end(), v.position, v.position + 3);
        normals.insert(normals.end(), v.normal, v.normal + 3);
        uvs.insert(uvs.end(), v.uv, v.uv + 2);
        for (int k = 0; k < 3; ++k) {
            p.minimum[k] = std::min(p.minimum[k], v.position[k]);
            p.maximum[k] = std::max(p.maximum[k], v.position[k]);
        }
    }
    p.positions = AddView(positions.data(), positions.size() * sizeof(float), 34962);
    p.normals = AddView(normals.data(), normals.size() * sizeof(float), 34962);
    p.uvs = AddView(uvs.data(), uvs.size() * sizeof(float), 34962);
    p.indices = AddView(indices.data(), indices.size() * sizeof(std::uint32_t), 34963);
    p.material = material;
    p.vertexCount = vertices.size();
    p.indexCount = indices.size();
    m_primitives.push_back(p);
}

std::string CGlbWriter::Finish() const
{
    std::string views, accessors, primitives, materials, textures, images;
    for (const SView& v : m_views) {
        views += views.empty() ? "" : ",";
        views += "{\"buffer\":0,\"byteOffset\":" + std::to_string(v.offset) +
                 ",\"byteLength\":" + std::to_string(v.length) +
                 (v.target ? ",\"target\":" + std::to_string(v.target) : std::string()) + "}";
    }
    int accessor = 0;
    for (const SPrimitive& p : m_primitives) {
        const std::string count = std::to_string(p.vertexCount);
        accessors += accessors.empty() ? "" : ",";
        accessors += "{\"bufferView\":" + std::to_string(p.positions) + ",\"componentType\":5126,\"count\":" + count +
                     ",\"type\":\"VEC3\",\"min\":" +
                     Format("[%.6g,%.6g,%.6g]", p.minimum[0], p.minimum[1], p.minimum[2]) +
                     ",\"max\":" + Format("[%.6g,%.6g,%.6g]", p.maximum[0], p.maximum[1], p.maximum[2]) + "},";
        accessors += "{\"bufferView\":" + std::to_string(p.normals) + ",\"componentType\":5126,\"count\":" + count +
                     ",\"type\":\"VEC3\"},";
        accessors += "{\"bufferView\":" + std::to_string(p.uvs) + ",\"componentType\":5126,\"count\":" + count +
                     ",\"type\":\"VEC2\"},";
        accessors += "{\"bufferView\":" + std::to_string(p.indices) + ",\"componentType\":5125,\"count\":" +
                     std::to_string(p.indexCount) + ",\"type\":\"SCALAR\"}";
        primitives += primitives.empty() ? "" : ",";
        primitives += "{\"attributes\":{\"POSITION\":" + std::to_string(accessor) +
                      ",\"NORMAL\":" + std::to_string(accessor + 1) +
                      ",\"TEXCOORD_0\":" + std::to_string(accessor + 2) +
                      "},\"indices\":" + std::to_string(accessor + 3) + ",\"material\":" + std::to_string(p.material) +
                      "}";
        accessor += 4;
    }
    int texture = 0;
    for (const SGlbMaterial& m : m_materials) {
        materials += materials.empty() ? "" : ",";
        materials += "{\"name\":" + JsonText(m.name) + ",\"pbrMetallicRoughness\":{\"baseColorFactor\":[" +
                     Format("%.4g,%.4g,%.4g", m.baseColour[0], m.baseColour[1], m.baseColour[2]) +
                     Format(",%.4g],\"metallicFactor\":%.4g,\"roughnessFactor\":%.4g", m.baseColour[3], m.metallic,
                            m.roughness);
        if (m.image >= 0) {
            materials += ",\"baseColorTexture\":{\"index\":" + std::to_string(texture++) + "}";
            textures += textures.empty() ? "" : ",";
            textures += "{\"sampler\":0,\"source\":" + std::to_string(m.image) + "}";
        }
        materials += "}";
        if (m.masked)
            materials += ",\"alphaMode\":\"MASK\",\"alphaCutoff\":0.5";
        materials += ",\"doubleSided\":true}";
    }
    for (int view : m_images) {
        images += images.empty() ? "" : ",";
        images += "{\"bufferView\":" + std::to_string(view) + ",\"mimeType\":\"image/png\"}";
    }
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Vantorel\"},\"scene\":0,"
                       "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"name\":\"Product\",\"mesh\":0}],"
                       "\"meshes\":[{\"name\":\"Product\",\"primitives\":[" + primitives + "]}],"
                       "\"accessors\":[" + accessors + "],\"bufferViews\":[" + views + "],"
                       "\"buffers\":[{\"byteLength\":" + std::to_string((m_bin.size() + 3) / 4 * 4) + "}],"
                       "\"materials\":[" + materials + "]";
    if (!textures.empty())
        json += ",\"samplers\":[{\"magFilter\":9729,\"minFilter\":9987,\"wrapS\":33071,\"wrapT\":33071}],"
                "\"textures\":[" + textures + "],\"images\":[" + images + "]";
    json += "}";
    Pad(json, ' ');
    std::string bin = m_bin;
    Pad(bin, '\0');
    std::string out = "glTF";
    AppendU32(out, 2);
    AppendU32(out, static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
    AppendU32(out, static_cast<std::uint32_t>(json.size()));
    out += "JSON";
    out += json;
    AppendU32(out, static_cast<std::uint32_t>(bin.size()));
    out += std::string("BIN\0", 4);
    out += bin;
    return out;
}
