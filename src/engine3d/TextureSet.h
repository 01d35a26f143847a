#pragma once
// The face pictures of one render, looked up by face code, and the sampling
// options that go with them.

#include "image/Color.h"

#include <array>
#include <cstddef>
#include <cstdint>

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

class CTextureSet {
public:
    // Face picture for a face code; the set does not own it and the picture
    // must outlive the render. Only valid 24-bit pictures are taken; anything
    // else clears the entry. Returns whether the picture was taken.
    bool SetPicture(char code, const CRaster* picture) noexcept;
    bool SetPicture(char code, const CTexture& texture) noexcept;
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

private:
    std::array<CTexture, 256> m_pictures{};
};
