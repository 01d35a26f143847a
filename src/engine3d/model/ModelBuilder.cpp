#include "engine3d/model/ModelBuilder.h"

#include "engine3d/geometry/Placement.h"
#include "engine3d/light/Reflection.h"
#include "engine3d/light/Shading.h"
#include "engine3d/light/Shadows.h"

#include <cmath>

int DiscStep(bool quality) noexcept { return quality ? 2 : 10; }
int RingStep(bool quality) noexcept { return quality ? 15 : 45; }

CSolidSize SafeSize(const CEngineSettings& settings) noexcept
{
    auto safe = [](double v, double lowest) {
        if (!std::isfinite(v) || v < lowest) return lowest;
        return v > 100000.0 ? 100000.0 : v;
    };
    CSolidSize s;
    s.W = safe(settings.width, 0.1);
    s.H = safe(settings.height, 0.1);
    s.D = safe(settings.depth, 0.0);
    return s;
}

void BuildModelLists(const CModelDescription& desc, bool quality, CPolygonList& model,
                     CPolygonList& shadowSource)
{
    switch (desc.shape) {
    case ModelShape::Card:
        model = BuildCardList(desc, BuildMode::Model, quality);
        shadowSource = BuildCardList(desc, BuildMode::Shadow, quality);
        break;
    case ModelShape::Disc:
        model = BuildDiscList(desc, BuildMode::Model, quality);
        shadowSource = BuildDiscList(desc, BuildMode::Shadow, quality);
        break;
    case ModelShape::Solid:
    default:
        model = BuildSolidList(desc, BuildMode::Model, quality);
        shadowSource = BuildSolidList(desc, BuildMode::Shadow, quality);
        break;
    }
    const bool isDisc = desc.shape == ModelShape::Disc;
    PlaceOnTable(model, desc.settings, isDisc);
    PlaceOnTable(shadowSource, desc.settings, isDisc);
    // Lit where it stands, before the reflection copies it; the shadow
    // source stays unlit.
    ShadeModelList(model, desc.settings);
}

CModelMesh BuildModelMesh(const CModelDescription& desc, bool quality)
{
    CPolygonList model, shadowSource;
    BuildModelLists(desc, quality, model, shadowSource);
    CModelMesh mesh;
    mesh.lists.push_back(model);
    AddShadows(mesh, shadowSource, desc.settings);
    AddReflection(mesh, model, desc.settings);
    return mesh;
}
