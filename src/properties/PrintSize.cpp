#include "properties/PrintSize.h"

#include <cstdio>

#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

int GetRenderResolution(const SettingStore& store) noexcept
{
    const std::int32_t* dpi = store.LookupInt(ModelKey(kSetResolution));
    if (dpi == nullptr || *dpi < kMinResolution || *dpi > kMaxResolution) return kStoredProjectResolution;
    return *dpi;
}

std::string FormatPrintSize(int width, int height, int dpi)
{
    if (dpi <= 0) dpi = kStoredProjectResolution;
    // 2.54 cm to the inch.
    const double w = width * 2.54 / dpi, h = height * 2.54 / dpi;
    char text[96];
    std::snprintf(text, sizeof text, "%.1f x %.1f cm at %d dpi", w, h, dpi);
    return text;
}
