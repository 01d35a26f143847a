#pragma once
// CProductGlb: the product as a glTF 2.0 binary model for web and AR
// viewers: the solids the renderer draws (not placed on the table, no
// shadows or reflection), centred on the origin in metres with +y up and the
// front towards +z, each textured face with its face picture as the render
// shows it (draw objects burnt in, page edges prepared) scaled to at most the
// texture size on its longer side, and untextured parts (binder rings) in
// their colour. Materials: paper-like faces; the CD-ROM disc metallic and
// glossy, its corners cut out.

#include <functional>
#include <string>
#include <string_view>

class CProduct;
class CFaceObjects;

class CProductGlb {
public:
    static constexpr int kDefaultTextureSize = 2048;
    static constexpr int kMinTextureSize = 16, kMaxTextureSize = 8192;

    using ObjectLookup = std::function<const CFaceObjects*(std::string_view key)>;

    // The file's bytes; false with `error` set when the product has no
    // solid or the texture size is out of range.
    static bool Make(CProduct& product, const ObjectLookup& objects, int textureSize, std::string& glb,
                     std::string& error);
    // Writes the file to `path`, replacing it only once it is whole.
    static bool Write(CProduct& product, const ObjectLookup& objects, int textureSize, const std::string& path,
                      std::string& error);
};
