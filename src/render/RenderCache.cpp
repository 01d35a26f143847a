#include "render/RenderCache.h"

bool CRenderCache::IsUpToDate(std::string_view code) const
{
    const auto it = m_flags.find(code);
    return it != m_flags.end() && it->second == 1;
}

void CRenderCache::SetUpToDate(std::string_view code)
{
    m_flags[std::string(code)] = 1;
}

void CRenderCache::MarkStale(std::string_view code)
{
    ++m_changes;
    m_flags[std::string(code)] = 0;
    if (code == "u" || code == "d" || code == "r") {
        m_flags["y"] = 0;
        m_flags["z"] = 0;
    } else if (code == "y") {
        m_flags["z"] = 0;
    }
}
