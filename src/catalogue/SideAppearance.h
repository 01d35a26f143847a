#pragma once
// Builds a side's first picture from its appearance settings (see
// properties/Appearance.h); the side's second picture is the texture.

class CSide;

// False when the face size in the settings is unusable or memory runs out.
bool BuildAppearance(CSide& side);
