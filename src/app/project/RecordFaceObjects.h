#pragma once
// The draw objects of one face kept as their stored record blocks, unchanged.
// Used when no layout layer is installed (command-line tools, tests), so that a
// project read and written again keeps every object byte for byte.

#include "app/FaceObjects.h"

#include <cstdint>
#include <vector>

class CRecordFaceObjects final : public CFaceObjects {
public:
    static std::unique_ptr<CFaceObjects> Make() { return std::make_unique<CRecordFaceObjects>(); }

    std::size_t GetObjectCount() const override { return m_Blocks.size(); }
    bool SaveObject(std::size_t index, std::vector<std::uint8_t>& block) const override;
    // Refuses a block shorter than its own size word or whose size word
    // differs from the block's length.
    bool LoadObject(const std::uint8_t* block, std::size_t size) override;
    std::unique_ptr<CFaceObjects> Clone() const override;
    // Records alone cannot be drawn.
    void RenderToFace(CRaster&) const override {}

private:
    std::vector<std::vector<std::uint8_t>> m_Blocks;
};
