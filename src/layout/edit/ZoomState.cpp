#include "layout/edit/ZoomState.h"

CZoomEntry& CZoomMap::Get(const std::string& face)
{
    auto it = m_entries.find(face);
    if (it == m_entries.end()) {
        CZoomEntry entry;
        entry.fit = 1;
        it = m_entries.emplace(face, entry).first;
    }
    return it->second;
}

const CZoomEntry* CZoomMap::Find(const std::string& face) const
{
    auto it = m_entries.find(face);
    return it == m_entries.end() ? nullptr : &it->second;
}

int ZoomInLevel(int z)
{
    static const int levels[] = {25, 50, 100, 200, 400, 800};
    for (int level : levels)
        if (level > z)
            return level;
    return z < 1600 ? 1600 : z;
}

int ZoomOutLevel(int z)
{
    static const int levels[] = {1600, 800, 400, 200, 100, 50};
    for (int level : levels)
        if (z > level)
            return level;
    return z > 25 ? 25 : z;
}
