#pragma once
// The copies of the studio shadow as spans of picture rows, worked out once
// for a render and laid onto each band.
//
// Drawn one by one, every copy is scan-converted into a white layer and its
// pixels counted and whitened again: tens of copies, each as large as the
// shadow, for every band. Here each copy is scan-converted once, exactly as
// the layer would have been filled (the same edge walk, the same spans and
// lines), into the union of its spans along each row; the rows keep only
// where the counts of copies over them change. A copy whose polygons are
// chained by shared edges on every row is the union of its edges' walks
// (ShadowEdges.h): each edge is walked once for both its faces, and the
// first cast copy keeps its walks for the edges along the table, which every
// cast copy shares. A band then walks those
// changes along its rows and darkens the runs between them, as
// CShadowAccumulator::Apply darkens each counted pixel.

#include "engine3d/light/ShadowEdges.h"
#include "engine3d/model/ModelMesh.h"
#include "engine3d/surface/RenderSurface.h"
#include "image/Color.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CRaster;
class CTextureSet;

class CShadowSpans {
public:
    // The shadow lists 1 .. last of a fitted mesh (the first
    // mesh.contactShadowLists of them the contact shadow), over the picture
    // rows firstRow .. firstRow + rows - 1 of a picture `width` wide, in the
    // shadow colour. False when a copy draws in white or samples a face
    // picture: a layer would then not count every pixel drawn, and the
    // copies are drawn instead.
    bool Build(const CModelMesh& mesh, std::size_t last, const CFitContext& fit, const CTextureSet* textures,
               int width, int firstRow, int rows, COLORREF colour);

    // Darkens the band `target`, whose row 0 is picture row firstRow, by the
    // copies over each pixel, as CShadowAccumulator::Apply does.
    void Apply(CRaster& target, int firstRow) const;

private:
    // Where the counts change along a row: from x on, `cast` and `contact`
    // more copies (or fewer, negative) lie over the pixels.
    struct SStep {
        int x = 0;
        std::int16_t cast = 0;
        std::int16_t contact = 0;
    };
    struct SSpan {
        int row = 0; // in the rows built
        int left = 0, right = 0;
    };
    // A copy whose rows low .. high hold one run each (or none), at
    // m_runs[offset + row - low]: pixels left .. end - 1.
    struct SRun {
        int left = 0, end = 0;
    };
    struct SCopy {
        int low = 0, high = -1;
        std::size_t offset = 0;
        bool contact = false;
    };
    // The rows an edge of the first cast copy visits, kept for the copies
    // after it that share the edge (those along the table).
    struct SKeptEdge {
        SCopyEdge edge;
        bool both = false;
        int low = 0, high = -1;
        std::size_t offset = 0;
    };

    bool AddCopyEdges(const CPolygonList& list, const CTextureSet* textures, bool keep);
    void WalkCopyEdge(const SCopyEdge& edge, bool both, bool keep);
    void AddPolygonSpans(const CPolygon3D& polygon, const CFitContext& fit, const CTextureSet* textures);
    void AddLine(int x1, int y1, int x2, int y2);
    void AddSpan(int row, int left, int right);
    void ScanEdge(int x1, int y1, int x2, int y2) noexcept;
    void SortByRow();
    void TakeCopy(bool contact);
    void GroupSteps();
    void MakeShades(COLORREF colour);

    int m_width = 0, m_firstRow = 0, m_rows = 0;
    int m_castCopies = 0, m_contactCopies = 0;
    std::vector<std::uint32_t> m_rowStart; // steps of row r: m_rowStart[r] .. m_rowStart[r + 1] - 1
    std::vector<SStep> m_steps;
    // Blue, green and red of what a level keeps under n cast and m contact
    // copies, repeated over 16 bytes, at ((n * (contact copies + 1)) + m) * 16.
    std::vector<std::uint8_t> m_shades;

    // The copy being scanned: its spans once a row of it has a gap, and one
    // polygon's scan table.
    std::vector<SSpan> m_copy, m_sorted;
    std::vector<std::uint32_t> m_rowCount;
    std::vector<int> m_scanLeft, m_scanRight;
    int m_scanLow = 0, m_scanHigh = -1;
    // Each row's one run of the copy so far, and whether a row has more.
    std::vector<int> m_unionLeft, m_unionRight;
    int m_unionLow = 0, m_unionHigh = -1;
    bool m_unionSplit = false;
    // The copy's edges, and the kept edges' rows.
    std::vector<SCopyEdge> m_edges;
    std::vector<SKeptEdge> m_kept;
    std::vector<int> m_keptLeft, m_keptRight;
    // Every copy's runs: the copies of one run a row, then the runs of the
    // others with their rows.
    std::vector<SCopy> m_copies;
    std::vector<SRun> m_runs;
    std::vector<std::pair<SSpan, bool>> m_splitRuns;
};
