#pragma once
// The appearance kinds of a face (side setting 10001), one table: a row per
// kind with its number, its name and how its picture is made. Code that needs
// a kind reads the table; adding a kind is adding a row (in Appearance.cpp).

#include <cstdint>
#include <span>

class CRaster;
class SettingStore;

enum SideAppearance : std::int32_t {
    kAppearancePicture = 0,
    kAppearanceColor = 1,
    kAppearanceGradient = 2,
    kAppearanceTexture = 3,
    kAppearancePattern = 4,
};

struct AppearanceKind {
    SideAppearance type;
    const char* name;  // as the command line shows it: "picture", "colour", ...
    // Paints the face picture from the settings and the side's texture (which
    // may be null); null for the user's picture, which is fitted instead.
    void (*paint)(CRaster& picture, const SettingStore& settings, const CRaster* texture);
    bool usesTexture;
};

// Every kind, in the order of their numbers.
std::span<const AppearanceKind> GetAppearanceKinds() noexcept;
// The row of `type`, or nullptr for a number no kind has.
const AppearanceKind* FindAppearanceKind(std::int32_t type) noexcept;
// True for the kinds the settings alone draw (colour, gradient, pattern): a
// project file stores no picture of theirs.
bool IsDrawnFromSettings(std::int32_t type) noexcept;
