#pragma once
// CDielineNet: the faces of a product unfolded around the front, as they are
// printed on one sheet and folded into the product: the left side (or the
// spine) to the left of the front, the right side to its right, the top above
// and the bottom below, and a printed back beyond the left side (or the right
// one), each upright as seen from outside. Each face keeps
// the picture orientation the model gives it, so its picture is printed as
// it is.
//
// Millimetres, x to the right and y down from the top-left corner of the
// net's trim box. An edge a face shares with the front is a fold; every
// other edge is cut, and the face's appearance continues past it by the
// bleed.

#include <string>
#include <vector>

struct SDielineRect {
    double x = 0, y = 0, width = 0, height = 0;
};

struct SDielinePanel {
    char face = 'F';    // face key of the document
    SDielineRect trim;  // where the face is cut and folded
    // Which edges are folds (shared with another face) and so get no bleed.
    bool foldLeft = false, foldRight = false, foldTop = false, foldBottom = false;
    // The trim rectangle grown by `bleed` on the edges that are cut.
    SDielineRect WithBleed(double bleed) const;
};

struct SDielineLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class CDielineNet {
public:
    // The net of a product of width, height and depth (millimetres) whose
    // faces are the side letters given (as the product kinds name them:
    // "F" front, "L" left or "S" spine, "R" right, "U" top, "D" bottom,
    // "B" back; other letters are not printed). A product without depth is its front.
    static CDielineNet Create(double width, double height, double depth, const std::string& letters);

    double GetWidth() const { return m_width; }
    double GetHeight() const { return m_height; }
    const std::vector<SDielinePanel>& GetPanels() const { return m_panels; }
    // The cut edges and the fold edges of the net.
    std::vector<SDielineLine> CutLines() const;
    std::vector<SDielineLine> FoldLines() const;

private:
    double m_width = 0, m_height = 0;
    std::vector<SDielinePanel> m_panels;
};
