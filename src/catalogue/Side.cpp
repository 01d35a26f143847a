#include "catalogue/Side.h"

#if __has_include("image/Raster.h")
#include "image/Raster.h"
#endif

CSide::CSide() { ApplyDefaultSettings(m_Settings); }

CSide::~CSide() = default;

void CSide::SetPicture(std::unique_ptr<CRaster> picture) noexcept { m_pPicture = std::move(picture); }

std::unique_ptr<CRaster> CSide::TakePicture() noexcept { return std::move(m_pPicture); }

void CSide::SetSecondPicture(std::unique_ptr<CRaster> picture) noexcept {
    m_pSecondPicture = std::move(picture);
}

std::unique_ptr<CRaster> CSide::TakeSecondPicture() noexcept { return std::move(m_pSecondPicture); }

void CSide::Reset(std::int32_t appearance, std::int32_t baseWidth, std::int32_t baseHeight, std::uint32_t colour,
                  std::int32_t magnification) {
    m_pPicture.reset();
    m_pSecondPicture.reset();
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
