#include "catalogue/product/Side.h"

#include "catalogue/product/FaceKeys.h"
#include "image/Raster.h"

namespace {

constexpr struct {
    const char* key;
    const char* name;
} kNames[] = {
    {"F", "Front"},         {"L", "Left"},           {"R", "Right"},         {"U", "Top"},
    {"D", "Bottom"},        {"S", "Spine"},          {"B", "Back"},          {"G", "Background"},
    {"u", "Pages (Top)"},   {"d", "Pages (Bottom)"}, {"r", "Pages (Right)"}, {"l", "Pages (Left)"},
    {"a", "Alpha Data"},    {"x", "Layout Data"},    {"y", "Rendering Scratch Data"}, {"z", "Rendering Data"},
};

}  // namespace

const char* GetSideName(std::string_view key) noexcept {
    for (const auto& n : kNames)
        if (key == n.key) return n.name;
    return "";
}

std::string_view FaceKeyOfName(std::string_view name) noexcept
{
    // The CD-ROM's surface is a face of its own, though no appearance side.
    if (name == "CD-ROM") return "C";
    for (const auto& n : kNames)
        if (name == n.name && !IsWorkingSide(n.key)) return n.key;
    return {};
}

bool IsWorkingSide(std::string_view key) noexcept
{
    return key == "a" || key == "x" || key == "y" || key == "z";
}

CSide::CSide() { ApplyDefaultSettings(m_Settings); }

CSide::~CSide() = default;

std::unique_ptr<CSide> CSide::Clone() const {
    auto copy = std::make_unique<CSide>();
    copy->m_Settings = m_Settings;
    if (m_pPicture) copy->m_pPicture = std::make_unique<CRaster>(*m_pPicture);
    if (m_pSecondPicture) copy->m_pSecondPicture = std::make_unique<CRaster>(*m_pSecondPicture);
    copy->m_pictureArt = m_pictureArt;  // immutable: shared
    copy->m_oneColour = m_oneColour;
    return copy;
}

void CSide::SetPicture(std::unique_ptr<CRaster> picture) noexcept {
    m_pPicture = std::move(picture);
    m_pictureArt.reset();
    m_oneColour = false;
}

std::unique_ptr<CRaster> CSide::TakePicture() noexcept {
    m_oneColour = false;
    return std::move(m_pPicture);
}

void CSide::SetSecondPicture(std::unique_ptr<CRaster> picture) noexcept {
    m_pSecondPicture = std::move(picture);
}

std::unique_ptr<CRaster> CSide::TakeSecondPicture() noexcept { return std::move(m_pSecondPicture); }

void CSide::Reset(std::int32_t appearance, std::int32_t baseWidth, std::int32_t baseHeight, std::uint32_t colour,
                  std::int32_t magnification) {
    m_pPicture.reset();
    m_pSecondPicture.reset();
    m_pictureArt.reset();
    m_oneColour = false;
    m_Settings.Clear();
    ApplyDefaultSettings(m_Settings);
    m_Settings.SetInt(SideKey(kSideAppearance), appearance);
    m_Settings.SetInt(SideKey(kSideBaseWidth), baseWidth);
    m_Settings.SetInt(SideKey(kSideBaseHeight), baseHeight);
    m_Settings.SetInt(SideKey(kSideColor1), static_cast<std::int32_t>(colour));
    m_Settings.SetInt(SideKey(kSideMagnification), magnification);
}

void CSide::ApplyDefaultSettings(SettingStore& store) {
    // A plain white face, one picture pixel per base pixel, until a page or
    // the new-project step says otherwise.
    store.SetInt(SideKey(kSideAppearance), kAppearanceColor);
    store.SetInt(SideKey(kSideColor1), 0xFFFFFF);
    store.SetInt(SideKey(kSideColor2), 0x000000);
    store.SetInt(SideKey(kSideMagnification), 1);
}
