#pragma once
// One side of a product: a face, a page edge, the background or a working
// raster, keyed by a one-character string in the product's side list. A side
// owns its appearance settings (category 'S') and up to two pictures; a
// picture drawn from vector artwork keeps the artwork beside it.

#include "properties/AppearanceKinds.h"
#include "properties/settings/SettingStore.h"

#include <cstdint>
#include <memory>
#include <string_view>

class CRaster;
class CVectorArt;

// Side appearance settings (category 'S').
enum SideSettingId : std::uint32_t {
    kSideAppearance = 10001,    // the appearance kind (properties/Appearance.h)
    kSidePattern = 10002,       // pattern number
    kSideGradientStyle = 10003,
    kSideColor1 = 10004,
    kSideColor2 = 10005,
    kSideTextureScale = 10008,  // texture divisor 1, 2, 4, 8 or 16
    kSidePatternCell = 10009,   // pattern cell size in base pixels
    kSideFitMode = 10010,
    kSideFit1 = 10011,
    kSideFit2 = 10012,
    kSideMagnification = 10013,
    kSideBaseWidth = 10014,     // pixels
    kSideBaseHeight = 10015,    // pixels
};

// Display name of a side key: "Front", "Pages (Top)", "Alpha Data", ...;
// empty for a key that names no side.
const char* GetSideName(std::string_view key) noexcept;

// The render's working pictures "a", "x", "y" and "z": made at the size a
// render needs when it first uses them, never stored with their pixels.
bool IsWorkingSide(std::string_view key) noexcept;

class CSide {
public:
    CSide();  // default settings, no pictures
    ~CSide();
    CSide(const CSide&) = delete;
    CSide& operator=(const CSide&) = delete;

    // Deep copy: settings and both pictures.
    std::unique_ptr<CSide> Clone() const;

    SettingStore& GetSettings() noexcept { return m_Settings; }
    const SettingStore& GetSettings() const noexcept { return m_Settings; }

    // First picture: the appearance picture, or the working buffer of "a", "x", "y", "z".
    // Handing it out for change forgets that it is of one colour (below).
    CRaster* GetPicture() noexcept
    {
        m_oneColour = false;
        return m_pPicture.get();
    }
    const CRaster* GetPicture() const noexcept { return m_pPicture.get(); }
    // Whether every pixel of the first picture is known to be alike: it was
    // painted so (a colour appearance) and not handed out for change since.
    // False says nothing.
    bool IsPictureOneColour() const noexcept { return m_oneColour && m_pPicture; }
    void SetPictureOneColour() noexcept { m_oneColour = true; }
    // A new first picture forgets the artwork it was drawn from.
    void SetPicture(std::unique_ptr<CRaster> picture) noexcept;
    std::unique_ptr<CRaster> TakePicture() noexcept;
    // The vector artwork (SVG, PDF page) the first picture was drawn from, or
    // null: projects store it in place of the picture's pixels, and print
    // output draws it as vectors. Set after the picture it belongs to.
    const std::shared_ptr<const CVectorArt>& GetPictureArt() const noexcept { return m_pictureArt; }
    void SetPictureArt(std::shared_ptr<const CVectorArt> art) noexcept { m_pictureArt = std::move(art); }

    // Second picture (a texture for texture sides), stored unchanged.
    CRaster* GetSecondPicture() noexcept { return m_pSecondPicture.get(); }
    const CRaster* GetSecondPicture() const noexcept { return m_pSecondPicture.get(); }
    void SetSecondPicture(std::unique_ptr<CRaster> picture) noexcept;
    std::unique_ptr<CRaster> TakeSecondPicture() noexcept;

    // Deletes both pictures, restores the default settings, then records the
    // appearance type, base size (pixels), colour 1 and magnification. The
    // caller builds the picture from these settings.
    void Reset(std::int32_t appearance, std::int32_t baseWidth, std::int32_t baseHeight,
               std::uint32_t colour, std::int32_t magnification = 1);

    // The settings a new side starts with.
    static void ApplyDefaultSettings(SettingStore& store);

private:
    SettingStore m_Settings;
    std::unique_ptr<CRaster> m_pPicture;
    std::unique_ptr<CRaster> m_pSecondPicture;
    std::shared_ptr<const CVectorArt> m_pictureArt;
    bool m_oneColour = false;
};
