#pragma once
// The page-edge face pictures of books, binders and the other kinds with
// pages: bands for the front cover, the pages (Paper Color, optionally
// striped with page lines in Edge Color) and the back cover, laid out across
// the depth of the product. The covers continue the colours of the front
// picture's edge (and, on the top and bottom of a book, of the spine).

#include "image/Color.h"

#include <string>

class CRaster;
struct CEngineSettings;

struct CPageEdgeStyle {
    int frontPercent = 10;  // front cover share of the depth
    int pagesPercent = 80;  // pages share; the back cover takes the rest
    COLORREF paperColour = 0xE0E0E0;
    bool pageEdges = false; // page lines k pixels wide every 3k pixels
    COLORREF edgeColour = 0xC0C0C0;
    int k = 1;              // scale factor of the picture (setting 10013 of its side)

    static CPageEdgeStyle FromSettings(const CEngineSettings& settings, int k);
};

// Paints the page-edge picture of face `code` into `target` (a 24-bit picture
// of the face's size):
//  'r' right: columns run from the front (x = 0) to the back; the covers copy
//      the front picture's last column.
//  'l' left: the left face's columns run from the back to the front, so the
//      bands are laid out from the front end (last column); the covers copy
//      the front picture's first column.
//  'u' top, 'd' bottom: columns along the width from the spine, rows across
//      the depth; the top face's rows run from the front, the bottom face's
//      from the back. Book form (binderForm false) adds the spine cover strip
//      with mitred corners, taken from the spine picture; binder form takes
//      every cover pixel from the front picture's top ('u') or bottom ('d') row.
// `spine` may be null (book form then continues the front picture's first
// column); a missing front picture paints the covers in the paper colour.
// False with a message, and the target unchanged, when the target is not a
// valid 24-bit picture or the code is not a page edge.
bool PaintPageEdge(char code, bool binderForm, CRaster& target, const CRaster* front,
                   const CRaster* spine, const CPageEdgeStyle& style, std::string* error);
