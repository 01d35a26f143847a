#include "engine3d/ModelBuilder.h"

#include "engine3d/Placement.h"
#include "engine3d/Reflection.h"
#include "engine3d/Shadows.h"

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

void BuildModelLists(const CModelSpec& spec, bool quality, CPolygonList& model,
                     CPolygonList& shadowSource)
{
    switch (spec.shape) {
    case ModelShape::Card:
        model = BuildCardList(spec, BuildMode::Model, quality);
        shadowSource = BuildCardList(spec, BuildMode::Shadow, quality);
        break;
    case ModelShape::Disc:
        model = BuildDiscList(spec, BuildMode::Model, quality);
        shadowSource = BuildDiscList(spec, BuildMode::Shadow, quality);
        break;
    case ModelShape::Solid:
    default:
        model = BuildSolidList(spec, BuildMode::Model, quality);
        shadowSource = BuildSolidList(spec, BuildMode::Shadow, quality);
        break;
    }
    const bool isDisc = spec.shape == ModelShape::Disc;
    PlaceOnTable(model, spec.settings, isDisc);
    PlaceOnTable(shadowSource, spec.settings, isDisc);
}

CModelMesh BuildModelMesh(const CModelSpec& spec, bool quality)
{
    CPolygonList model, shadowSource;
    BuildModelLists(spec, quality, model, shadowSource);
    CModelMesh mesh;
    mesh.lists.push_back(model);
    AddShadows(mesh, shadowSource, spec.settings);
    AddReflection(mesh, model, spec.settings);
    return mesh;
}
