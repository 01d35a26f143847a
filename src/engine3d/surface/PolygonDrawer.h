#pragma once
// Drawing of polygon lists through a render surface: back-face culling,
// textured faces, flat fills, lines, and the ordered passes that put a
// CD-ROM behind or in front of its box.

#include "engine3d/geometry/PolygonList.h"
#include "engine3d/surface/RenderSurface.h"

#include <cstddef>
#include <functional>

// Counts drawn polygons for the progress display.
class CProgressCounter {
public:
    CProgressCounter() = default;
    CProgressCounter(std::size_t total, std::function<void(std::size_t, std::size_t)> report)
        : m_total(total), m_report(std::move(report)) {}
    void Advance() noexcept
    {
        ++m_done;
        if (m_report) m_report(m_done, m_total);
    }
    std::size_t GetDone() const noexcept { return m_done; }
    std::size_t GetTotal() const noexcept { return m_total; }

private:
    std::size_t m_done = 0;
    std::size_t m_total = 0;
    std::function<void(std::size_t, std::size_t)> m_report;
};

struct CDrawOptions {
    bool cull = true;      // skip polygons turned away from the eye
    bool textured = true;  // faces sample their pictures
    bool ordered = false;  // CD-ROM draw passes
    int sampleCount = 25;  // 25, 100 or 9 (GridFor)
    bool soften = false;   // edge softening of box faces
};

// The draw pass of every polygon in ordered drawing: the first 'R' or 'r'
// polygon decides the pass of every 'C' polygon, the first 'L', '1' or 'S'
// polygon that of every '2' polygon; a deciding polygon that faces the eye
// gives pass 4 (drawn after the box), else 2; without one the pass is 3.
void AssignDrawPasses(CPolygonList& list) noexcept;

void DrawPolygon(CPolygon3D& polygon, CRenderSurface& surface, const CDrawOptions& options,
                 const CTextureSet* textures, CBoundingBox* box);

void DrawPolygonList(CPolygonList& list, CRenderSurface& surface, const CDrawOptions& options,
                     const CTextureSet* textures, CProgressCounter* progress, CBoundingBox* box);

// Finishes edge softening after a list has been drawn.
inline void ResolvePartialPixels(CRenderSurface& surface, int sampleCount) noexcept
{
    surface.ResolvePartialPixels(sampleCount);
}
