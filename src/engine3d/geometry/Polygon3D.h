#pragma once
// The flat polygons the 3D pictures are made of, in double precision.
//
// Model space: x to the right, y upward, z away from the eye (into the
// picture); after the camera set-up the eye sits at the origin looking along
// +z. Picture space (sx, sy): x to the right, y upward, origin at the
// bottom-left pixel, valid after projection and fitting.

#include "image/Color.h"

#include <array>
#include <vector>

struct CVertex3D {
    double x = 0.0, y = 0.0, z = 0.0; // model space, later eye space
    double sx = 0.0, sy = 0.0;        // picture space after the fit
};

// Face codes: which face picture a polygon carries.
namespace FaceCode {
constexpr char kNone = 0;
constexpr char kFront = 'F';
constexpr char kTop = 'U';
constexpr char kBottom = 'D';
constexpr char kLeft = 'L';
constexpr char kRight = 'R';
constexpr char kSpine = 'S';
constexpr char kBack = 'B';   // the printed back, on products that have one
constexpr char kPagesTop = 'u';
constexpr char kPagesBottom = 'd';
constexpr char kPagesLeft = 'l';
constexpr char kPagesRight = 'r';
constexpr char kDisc = 'C';
constexpr char kRing1 = '1'; // binder ring arc behind the product (45 .. 135 degrees)
constexpr char kRing2 = '2'; // arc beyond the spine (135 .. 225 degrees)
constexpr char kRing3 = '3'; // arc in front of the product (225 .. 315 degrees)
} // namespace FaceCode

// Faces whose outline pixels are softened against the background.
constexpr bool IsBoxFaceCode(char code) noexcept
{
    switch (code) {
    case 'u': case 'd': case 'r': case 'l': case 'f': case 's':
    case 'U': case 'D': case 'R': case 'L': case 'F': case 'S': case 'B':
        return true;
    default:
        return false;
    }
}

// Codes that never carry a picture: none and the binder ring arcs.
constexpr bool IsUntexturedCode(char code) noexcept
{
    return code == 0 || code == '1' || code == '2' || code == '3';
}

class CPolygon3D {
public:
    std::vector<CVertex3D> vertices; // in order around the polygon; 4 for a face, 2 for a line
    double nx = 0.0, ny = 0.0, nz = 0.0, d = 0.0; // plane: normal and normal . first vertex
    COLORREF outlineColour = 0;
    COLORREF fillColour = 0x808080;
    int filled = 1;
    int outlined = 0;
    int drawPass = 3;   // 1 .. 5, order within its list in ordered drawing
    int mapped = 1;     // a four-corner face mapped with the projective inverse
    int mirrored = 0;   // set on the copies made by Mirror; reverses the back-face test
    char faceCode = 0;  // selects the face picture
    double shade = 1.0; // brightness of the lit face: its picture's colours are multiplied by it
    bool linearShade = false; // the shade is linear light: the colours are multiplied through the sRGB curve
    double specular = 0.0;    // linear light the surface reflects, added after the shade (linear shade only)
    // Change of the (linear) shade across the polygon: the shade at (u, v) of
    // its picture part (u left to right, v bottom to top, 0 .. 1) is
    // shade + shadeU (u - 1/2) + shadeV (v - 1/2). Linear shade only.
    double shadeU = 0.0, shadeV = 0.0;
    // A finish's highlight that varies across the polygon, in linear light
    // added after the shade: at (u, v) it is `specular` + sheenU (u - 1/2) +
    // sheenV (v - 1/2) + peak * BandProfile(at + atU (u - 1/2) + atV (v - 1/2),
    // softness) (engine3d/light/HighlightBand.h). Linear shade only.
    struct CHighlight {
        double sheenU = 0.0, sheenV = 0.0;
        double peak = 0.0, at = 0.0, atU = 0.0, atV = 0.0, softness = 1.0;
        bool Varies() const noexcept { return peak != 0.0 || sheenU != 0.0 || sheenV != 0.0; }
    } highlight;
    // The part of its face picture the polygon shows, as fractions of the
    // picture's width and height (v from the bottom); the facets of rounded
    // edges show a strip each, a face the whole picture.
    double texU0 = 0.0, texU1 = 1.0, texV0 = 0.0, texV1 = 1.0;
    std::array<double, 12> inverseMapping{}; // picture-to-texture coefficients, set when drawn

    // A face with four corners, in the order top-left, bottom-left,
    // bottom-right, top-right as seen from the side it shows.
    static CPolygon3D Quad(const CVertex3D& c0, const CVertex3D& c1, const CVertex3D& c2,
                           const CVertex3D& c3, char code);

    // Plane of the polygon from its first three vertices (nothing for fewer):
    // u = p0 - p1, w = p0 - p2, n = u x w, d = n . p0. With the eye at the origin
    // d > 0 means the eye sees the side whose corners run anticlockwise.
    void ComputePlane() noexcept;

    // The back-face test: a polygon is turned away from the eye when d < 0
    // (d > 0 for a mirrored copy).
    bool IsBackFacing() const noexcept { return mirrored ? d > 0.0 : d < 0.0; }
};

inline CVertex3D MakeVertex(double x, double y, double z) noexcept
{
    CVertex3D v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}
