#pragma once
// The highlight of a glossy finish as a product photograph shows it. Beside
// the camera stands a tall strip soft box; a glossy face mirrors it as a soft
// band that runs up the face and moves across it as the product turns, and
// mirrors the bright studio around it as an even sheen. Both are weighted by
// Schlick's Fresnel term F = F0 + (1 - F0) (1 - n.v)^5, so faces seen at a
// grazing angle shine more. The eye is at its real distance, so the
// direction it sees each point from, and the point's mirror image, change
// across a face: that is what makes a band rather than an even face.

#include "engine3d/geometry/PolygonList.h"

#include <algorithm>
#include <cmath>

struct CEngineSettings;

// The band's brightness at `d` half widths of the strip from its centre line
// (0 .. 1): 1 up to 1 - softness, 0 from 1 + softness, a smooth step between
// (softness > 0).
inline double BandProfile(double d, double softness) noexcept
{
    const double t = std::clamp((1.0 + softness - std::abs(d)) / (2.0 * softness), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Table space (x right, y up, z away from the viewer), product sizes as the
// product's bounding-box diagonal.
struct CBandScene {
    double eye[3] = {0.0, 0.0, 0.0};
    double strip[3] = {0.0, 0.0, 0.0}; // a point of the strip's (vertical) centre line
    double halfWidth = 1.0;            // of the strip, table units
    double radiance = 0.0;             // of the strip seen straight on; paper lit by the studio is 1

    // The scene of a model list placed on the table, for the camera of the
    // settings and the strip of the "Lighting" preset; false for a preset
    // without one.
    static bool Of(const CPolygonList& list, const CEngineSettings& settings, CBandScene& scene) noexcept;

    // Where a surface at point p with the outward normal n mirrors the strip:
    // the distance, in the horizontal plane, from the strip's centre line to
    // the ray the eye sees mirrored at p, in strip half widths, signed by the
    // side; not a number when the ray runs away from the strip.
    double StripOffset(const double p[3], const double n[3]) const noexcept;
    // n . v at p, v the direction towards the eye.
    double Facing(const double p[3], const double n[3]) const noexcept;
};

// Sets `specular` and `highlight` of a face of the lit model (its plane
// computed) for "Finish" `finish` (0 "Matte" or unknown: nothing), scaled by
// the shading strength `strength` (0 .. 1). A four-corner face gets the
// band's place and the sheen at its corners; other polygons their value at
// the centre, as `specular`.
void SetFaceHighlight(CPolygon3D& p, const CBandScene& scene, int finish, double strength) noexcept;
