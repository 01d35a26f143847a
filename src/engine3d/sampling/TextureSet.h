#pragma once
// The face pictures of one render, looked up by face code, and the sampling
// options that go with them.

#include "image/Color.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CFlatTiles;
class CRaster;

// A read-only view of a 24-bit picture: rows bottom-up, `stride` bytes apart,
// pixels blue, green, red.
struct CTexture {
    const std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    bool IsValid() const noexcept { return bits != nullptr && width > 0 && height > 0; }
    const std::uint8_t* At(int x, int y) const noexcept
    {
        return bits + static_cast<std::ptrdiff_t>(y) * stride + 3 * static_cast<std::ptrdiff_t>(x);
    }
};

// A face picture and its halved copies for smooth sampling: level 0 is the
// picture itself, each further level half the width and height of the one
// before (rounded up), each pixel the mean of the 2 x 2 pixels it covers, down
// to 1 x 1. Levels past 0 are owned here.
struct CTextureLevels {
    std::vector<CTexture> levels;
    std::vector<std::unique_ptr<std::uint8_t[]>> storage; // each level's texels, not cleared before they are made
    bool oneColour = false; // every texel of the picture alike: level 0 is the only level made

    // False when there is no memory for the levels. `knownOneColour`: the
    // caller knows every texel to be alike, which is then not looked at.
    bool Build(const CTexture& picture, bool knownOneColour = false) noexcept;
};

class CTextureSet {
public:
    // Face picture for a face code; the set does not own it and the picture
    // must outlive the render. Only valid 24-bit pictures are taken; anything
    // else clears the entry. Returns whether the picture was taken.
    bool SetPicture(char code, const CRaster* picture) noexcept;
    bool SetPicture(char code, const CTexture& texture) noexcept;
    // The caller knows every texel of the picture set for the code to be
    // alike (until the next SetPicture of the code).
    void SetPictureOneColour(char code) noexcept { m_oneColour[static_cast<unsigned char>(code)] = true; }
    // Null when the face code has no picture.
    const CTexture* GetPicture(char code) const noexcept
    {
        const CTexture& t = m_pictures[static_cast<unsigned char>(code)];
        return t.IsValid() ? &t : nullptr;
    }

    // The CD-ROM face (code 'C') shows only the right half of its picture.
    bool cdHalf = false;
    // Sampled pure white counts as 0xFEFEFE (while drawing the reflection, so
    // that the layer's white background can be told apart from white artwork).
    bool whiteAvoid = false;
    // Rounded card corners: radius in model units (0 for square faces) and the
    // size of the face in model units.
    double cornerRadius = 0.0;
    double faceWidth = 0.0;
    double faceHeight = 0.0;
    // Folds: the edges of the box faces are drawn as a band of `foldWidth`
    // model units in the folds colour.
    bool foldsShown = false;
    COLORREF foldsColour = 0xFFFFFF;
    double foldWidth = 0.6;

    // The scan of every face is widened by a pixel all round before it is
    // sampled, so that a pixel the face's true outline crosses is sampled
    // even where the scan between its rounded corners passes beside it (two
    // faces sharing an edge then add up to the whole pixel).
    bool exactOutlines = false;
    // The CD-ROM face (code 'C') shows its picture only on the disc: inside
    // the rim and outside the hole, whatever picture the face has.
    bool discShape = false;
    // Smooth sampling: faces are sampled bilinearly from the picture level
    // whose texels match the spacing of the sub-samples on screen, instead of
    // the nearest texel of the picture. Needs BuildLevels.
    bool smooth = false;
    // Above 1: the target is enlarged that many times over the picture it is
    // reduced to, each output pixel the mean of a block of that side (blocks
    // start at multiples of it). The insides of lit and smooth faces are then
    // read and lit once per block, at its centre, and the block filled.
    int interiorBlock = 1;
    // Makes the levels of every picture set so far; false (and smooth
    // sampling unavailable) when there is no memory for them.
    bool BuildLevels() noexcept;
    // Null when the code has no picture or its levels were not built.
    const CTextureLevels* GetLevels(char code) const noexcept
    {
        return m_levels[static_cast<unsigned char>(code)].get();
    }

    // Finds the one-colour tiles of every picture set so far, for sampling at
    // the nearest texel; a picture without any (or without memory for them)
    // has none, and is sampled as before.
    void BuildFlatTiles() noexcept;
    // Takes the levels and one-colour tiles `earlier` built for the same
    // pictures (the same pixels at the same place), so that the builds above
    // make only the others. The caller vouches that those pixels have not
    // changed since (the drafts of one drag).
    void TakeBuiltFrom(const CTextureSet& earlier) noexcept;
    // Null when the code has no picture or its picture no one-colour tile.
    const CFlatTiles* GetFlatTiles(char code) const noexcept
    {
        return m_flat[static_cast<unsigned char>(code)].get();
    }

private:
    std::array<CTexture, 256> m_pictures{};
    std::array<std::shared_ptr<const CFlatTiles>, 256> m_flat{};
    std::array<std::shared_ptr<const CTextureLevels>, 256> m_levels{};
    std::array<bool, 256> m_flatBuilt{};  // tiles looked for (a picture may have none)
    std::array<bool, 256> m_oneColour{};  // SetPictureOneColour
};
