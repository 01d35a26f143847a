#pragma once
// Builds a side's first picture from its appearance settings (see
// properties/Appearance.h); the side's second picture is the texture. A
// picture side may be drawn from vector artwork, which the side keeps.

#include <memory>

class CSide;
class CVectorArt;

// False when the face size in the settings is unusable or memory runs out.
// The artwork a picture was drawn from stays with the side.
bool BuildAppearance(CSide& side);

// The artwork a side keeps: only a picture side keeps one (null otherwise).
const CVectorArt* GetKeptPictureArt(const CSide& side);

// The size artwork of artWidth x artHeight is drawn at for a face of
// faceWidth x faceHeight pixels: covering the face at its own resolution,
// the face's very size when the two ratios agree within a pixel; 2048 pixels
// on the longer side when the face has no size.
void GetArtPictureSize(double artWidth, double artHeight, int faceWidth, int faceHeight, int& width, int& height);

// The same for the side's face size (none when its settings give none).
void GetSideArtSize(const CSide& side, const CVectorArt& art, int& width, int& height);

// Draws the artwork as the side's first picture at the size above (before
// any fit: the caller sets the fit and builds the appearance) and keeps the
// artwork with it. False, side unchanged, when it cannot be drawn.
bool DrawSidePicture(CSide& side, std::shared_ptr<const CVectorArt> art);

// Where the side's artwork lies over its built picture, in the picture's
// pixels with rows from the top: the artwork is drawn stretched over the
// rectangle and clipped to the picture. False when the side has no artwork.
struct SArtPlacement {
    double x = 0, y = 0, width = 0, height = 0;
};
bool GetSideArtPlacement(const CSide& side, SArtPlacement& placement);
