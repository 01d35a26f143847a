#pragma once
// The columns of picture rows that a model's faces overwrite wholly when they
// are drawn, whatever lay there before: a background made there first is
// never seen, so a band's background need not be made there.
//
// A pixel is taken as covered when the square of side 2 * kCoverMargin about
// its centre lies inside the face both as its mapping sees it (0 <= u, v < 1)
// and as its outline's scan sees it. Every sample of such a pixel lies inside
// the face (the samples are within half a pixel of the centre), and the scan
// of the outline through its rounded corners (each within 0.71 pixel of the
// exact one) visits it: both face paths then store the mean of its samples,
// never reading the pixel. The margin leaves the roundings of either path
// far behind.

#include <algorithm>
#include <vector>

class CPolygon3D;
struct CQuadMapping;

// Up to kMost runs of columns of one picture row, from[i] .. to[i] inclusive,
// left to right, apart from each other by at least one column.
struct CCoveredRow {
    static constexpr int kMost = 4;
    int count = 0;
    int from[kMost] = {};
    int to[kMost] = {};

    // Adds the columns lo .. hi, joining runs that overlap or touch; a fifth
    // run apart from the others is left out (fewer columns are then known
    // covered, which is always safe).
    void Add(int lo, int hi) noexcept;

    // Calls f(from, to) for each run of the columns 0 .. width - 1 left uncovered.
    template <class F>
    void ForEachUncovered(int width, F&& f) const
    {
        int x = 0;
        for (int i = 0; i < count && x < width; ++i) {
            if (from[i] > x) f(x, std::min(from[i], width) - 1);
            x = std::max(x, to[i] + 1);
        }
        if (x < width) f(x, width - 1);
    }
};

// The columns both rows cover (at most kMost runs of them: a few may be left out).
CCoveredRow CoveredByBoth(const CCoveredRow& a, const CCoveredRow& b) noexcept;

inline constexpr double kCoverMargin = 3.0; // pixels, about a pixel's centre

class CCoveredFaces {
public:
    // A face that stores every pixel it wholly covers without reading it (an
    // opaque four-corner face without rounded corners or disc shape), its
    // outline in picture pixels (vertices' sx, sy) and its mapping. Faces
    // whose outline is not convex are left out.
    void AddFace(const CPolygon3D& polygon, const CQuadMapping& map);
    bool IsEmpty() const noexcept { return m_faces.empty(); }

    // The covered columns of picture rows firstRow .. firstRow + count - 1 of
    // a picture `width` pixels wide, into rows[0 .. count - 1].
    void Rows(int firstRow, int count, int width, std::vector<CCoveredRow>& rows) const;

private:
    // Inside where x * px + y * py + c >= 0.
    struct SCondition {
        double x = 0.0, y = 0.0, c = 0.0;
    };
    // A condition at its least over the square about a pixel, as a bound on
    // its column in row py: side 1, px > a py + b; side -1, px < a py + b;
    // side 0, a py + b > 0 (the condition does not depend on px).
    struct SBound {
        double a = 0.0, b = 0.0;
        int side = 0;
    };
    struct SFace {
        SBound bounds[8];
        int count = 0;
        double bottom = 0.0, top = 0.0; // rows of the outline
    };
    std::vector<SFace> m_faces;
};
