#include "app/project/RecordFaceObjects.h"

bool CRecordFaceObjects::SaveObject(std::size_t index, std::vector<std::uint8_t>& block) const
{
    if (index >= m_Blocks.size())
        return false;
    block = m_Blocks[index];
    return true;
}

bool CRecordFaceObjects::LoadObject(const std::uint8_t* block, std::size_t size)
{
    if (!block || size < 4)
        return false;
    const std::uint32_t n = static_cast<std::uint32_t>(block[0]) | static_cast<std::uint32_t>(block[1]) << 8 |
                            static_cast<std::uint32_t>(block[2]) << 16 | static_cast<std::uint32_t>(block[3]) << 24;
    if (n != size)
        return false;
    m_Blocks.emplace_back(block, block + size);
    return true;
}

std::unique_ptr<CFaceObjects> CRecordFaceObjects::Clone() const
{
    auto copy = std::make_unique<CRecordFaceObjects>();
    copy->m_Blocks = m_Blocks;
    return copy;
}
