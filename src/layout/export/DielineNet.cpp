#include "layout/export/DielineNet.h"

SDielineRect SDielinePanel::WithBleed(double bleed) const
{
    SDielineRect r = trim;
    const double left = foldLeft ? 0 : bleed, right = foldRight ? 0 : bleed;
    const double top = foldTop ? 0 : bleed, bottom = foldBottom ? 0 : bleed;
    r.x -= left;
    r.y -= top;
    r.width += left + right;
    r.height += top + bottom;
    return r;
}

CDielineNet CDielineNet::Create(double width, double height, double depth, const std::string& letters)
{
    const auto has = [&letters](char c) { return letters.find(c) != std::string::npos; };
    const bool deep = depth > 0;
    const char leftFace = has('S') ? 'S' : 'L';
    const bool left = deep && (has('L') || has('S')), right = deep && has('R');
    const bool top = deep && has('U'), bottom = deep && has('D');
    // The back hangs from the far edge of the left face (a book's cover:
    // back, spine, front), or from the right face when there is no left one.
    const bool back = deep && has('B') && (left || right);
    const double bx = back && left ? width : 0;
    const double fx = bx + (left ? depth : 0), fy = top ? depth : 0;

    CDielineNet net;
    net.m_width = fx + width + (right ? depth : 0) + (back && !left ? width : 0);
    net.m_height = fy + height + (bottom ? depth : 0);
    SDielinePanel front{'F', {fx, fy, width, height}};
    front.foldLeft = left, front.foldRight = right, front.foldTop = top, front.foldBottom = bottom;
    net.m_panels.push_back(front);
    if (left) {
        SDielinePanel p{leftFace, {bx, fy, depth, height}};
        p.foldRight = true;
        p.foldLeft = back;
        net.m_panels.push_back(p);
    }
    if (right) {
        SDielinePanel p{'R', {fx + width, fy, depth, height}};
        p.foldLeft = true;
        p.foldRight = back && !left;
        net.m_panels.push_back(p);
    }
    if (back) {
        SDielinePanel p{'B', {left ? 0 : fx + width + depth, fy, width, height}};
        p.foldRight = left;
        p.foldLeft = !left;
        net.m_panels.push_back(p);
    }
    if (top) {
        SDielinePanel p{'U', {fx, 0, width, depth}};
        p.foldBottom = true;
        net.m_panels.push_back(p);
    }
    if (bottom) {
        SDielinePanel p{'D', {fx, fy + height, width, depth}};
        p.foldTop = true;
        net.m_panels.push_back(p);
    }
    return net;
}

namespace {

// The four edges of a panel with whether each is a fold.
template <typename Visit>
void ForEachEdge(const SDielinePanel& p, Visit visit)
{
    const double x0 = p.trim.x, y0 = p.trim.y, x1 = x0 + p.trim.width, y1 = y0 + p.trim.height;
    visit(SDielineLine{x0, y0, x1, y0}, p.foldTop);
    visit(SDielineLine{x1, y0, x1, y1}, p.foldRight);
    visit(SDielineLine{x1, y1, x0, y1}, p.foldBottom);
    visit(SDielineLine{x0, y1, x0, y0}, p.foldLeft);
}

}  // namespace

std::vector<SDielineLine> CDielineNet::CutLines() const
{
    std::vector<SDielineLine> lines;
    for (const SDielinePanel& p : m_panels)
        ForEachEdge(p, [&lines](const SDielineLine& l, bool fold) {
            if (!fold)
                lines.push_back(l);
        });
    return lines;
}

std::vector<SDielineLine> CDielineNet::FoldLines() const
{
    // Each fold is shared by the front or the back and one other face: their
    // edges name every fold once.
    std::vector<SDielineLine> lines;
    for (const SDielinePanel& p : m_panels)
        if (p.face == 'F' || p.face == 'B')
            ForEachEdge(p, [&lines](const SDielineLine& l, bool fold) {
                if (fold)
                    lines.push_back(l);
            });
    return lines;
}
