#include "engine3d/surface/EngineSettings.h"

#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

CEngineSettings CEngineSettings::FromStore(const SettingStore& store)
{
    auto i = [&](std::uint32_t id) { return store.GetInt(SettingKey(id, 'M')); };
    auto r = [&](std::uint32_t id) { return store.GetReal(SettingKey(id, 'M')); };
    auto c = [&](std::uint32_t id) { return static_cast<COLORREF>(i(id)) & 0xFFFFFFu; };

    CEngineSettings s;
    s.xRotation = i(kSetXRotation);
    s.yRotation = i(kSetYRotation);
    s.zRotation = i(kSetZRotation);
    s.tablePosition = i(kSetTablePosition);
    s.aboveTable = i(kSetAboveTable);
    s.observerX = i(kSetObserverX);
    s.observerY = i(kSetObserverY);
    s.observerDistance = i(kSetObserverDistance);
    s.lens = i(kSetLens);
    s.elevation = i(kSetElevation);
    s.reflection = i(kSetReflection) != 0;
    s.topFade = i(kSetReflectionTopFade);
    s.bottomFade = i(kSetReflectionBottomFade);
    s.ripple = i(kSetReflectionRipple) != 0;
    s.shadows = i(kSetShadows) != 0;
    s.shadowColour = c(kSetShadowColor);
    s.shadowStyle = i(kSetShadowStyle);
    s.lights = static_cast<std::uint32_t>(i(kSetLights)) & 0x1FFFFFFu;
    s.shadowSoftness = i(kSetShadowSoftness);
    s.detail = i(kSetDetail);
    s.softenEdges = i(kSetSoftenEdges) != 0;
    s.shading = i(kSetShading);
    s.lighting = i(kSetLighting);
    s.smoothTextures = i(kSetTextureFiltering) == 1;
    s.finish = i(kSetFinish);
    s.falloff = i(kSetFalloff);
    s.edgeRadius = i(kSetEdgeRadius);
    s.exactOutlines = store.LookupInt(SettingKey(kSetEdgeRadius, 'M')) != nullptr;
    s.linearBlending = i(kSetLinearBlending) != 0;
    s.highlightBand = i(kSetHighlightBand) != 0;
    s.reflectionFraming = i(kSetReflectionFraming) != 0;
    s.steadyRipple = i(kSetSteadyRipple) != 0;
    s.blockInterior = i(kSetBlockInterior) != 0;
    s.coarseEdges = i(kSetCoarseEdges) != 0;
    s.binderType = i(kSetBinderType);
    s.binderParam1 = i(kSetBinderParam1);
    s.binderParam2 = i(kSetBinderParam2);
    s.binderColour = c(kSetBinderColor);
    s.cdPosition = i(kSetCDPosition);
    s.foldsShown = i(kSetFoldsShown) != 0;
    s.foldsColour = c(kSetFoldsColor);
    s.pageFront = i(kSetPageDepthFront);
    s.pagePages = i(kSetPageDepthPages);
    s.pageBack = i(kSetPageDepthBack);
    s.paperColour = c(kSetPaperColor);
    s.pageEdges = i(kSetPageEdges) != 0;
    s.edgeColour = c(kSetPageEdgeColor);
    s.width = r(kSetProductWidth);
    s.height = r(kSetProductHeight);
    s.depth = r(kSetProductDepth);
    return s;
}
