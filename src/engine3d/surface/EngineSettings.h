#pragma once
// The render settings the 3D engine reads, copied out of a product's settings
// store once per build so that the geometry code works on plain values.

#include "image/Color.h"

#include <cstdint>

class SettingStore;

struct CEngineSettings {
    // Object positioning
    int xRotation = 10, yRotation = 25, zRotation = 15; // degrees
    int tablePosition = 0; // 0 beneath (horizontal table), 1 behind (vertical table)
    int aboveTable = 0;    // model units
    // Observer
    int observerX = 0, observerY = 0;
    int observerDistance = 500; // used when lens is 0
    int lens = 0;               // focal length in mm (35 mm film); 0: the fixed observerDistance
    int elevation = 0;          // degrees the camera looks down onto the table
    // Reflection
    bool reflection = false;
    int topFade = 128, bottomFade = 255; // 1 .. 255, weight of the picture in 255ths
    bool ripple = true;
    bool steadyRipple = false;  // each pixel's weight wobbles about its row's instead of carrying the change on
    // Shadows
    bool shadows = true;
    COLORREF shadowColour = 0x808080;
    int shadowStyle = 3; // 0 cut, 1 good, 2 very good, 3 best
    std::uint32_t lights = 0x100;
    int shadowSoftness = 0; // spread of the soft copies in % of the product's size; 0: 8 units
    // The shadow copies are laid over white and the picture is multiplied by
    // the result, so a shadow darkens any ground by the share it darkens
    // white (cut-outs); otherwise each copy mixes the ground towards the
    // shadow colour. Set by the caller, not stored.
    bool multiplyShadows = false;
    // Rendering options
    int detail = 0; // 0 standard (25 samples), 1 enhanced (100 samples)
    bool softenEdges = false;
    int shading = 0;             // % strength of the face lighting; 0: faces keep their artwork colours
    int lighting = 0;            // studio lighting preset (StudioLighting.h); 0: the light grid's lights, on sRGB values
    bool smoothTextures = false; // filtered picture levels instead of the nearest texel
    int falloff = 0;             // % the key light falls off across the product (ShadeModelList); 0: none
    int finish = 0;              // highlight of the studio lights (FinishSpecular); 0: matte, none
    int edgeRadius = 0;          // mm the box edges are rounded by; 0: sharp edges
    // Faces are sampled in every pixel their outline touches, not only in the
    // pixels of the outline scanned between rounded corners, so that no
    // background shows between two faces. Projects that store an Edge Radius.
    bool exactOutlines = false;
    // The reflection's fade and the soft edges' outline pixels mix in linear
    // light (sRGB decoded and encoded through tables). Projects that store
    // Linear Blending 1: new projects.
    bool linearBlending = false;
    // A finish's highlight varies across each face: the strip soft box's
    // band and a sheen that rises towards grazing angles (HighlightBand.h);
    // otherwise each face has one highlight (FinishSpecular). Projects that
    // store Highlight Band 1: new projects.
    bool highlightBand = false;
    // A framed product is centred with its shadow and its reflection runs
    // below, out of the picture, fading from the product's base; otherwise
    // the reflection is framed too and fades from the picture's top.
    // Projects that store Reflection Framing 1: new projects.
    bool reflectionFraming = false;
    // The insides of lit and smooth faces are read and lit once per output
    // pixel, its k x k block of the scratch picture filled with the colour
    // (CTextureSet::interiorBlock); otherwise once per scratch pixel.
    // Projects that store Block Interior 1: new projects.
    bool blockInterior = false;
    // Standard detail with smooth textures samples a pixel on a 3 x 3 grid
    // instead of 5 x 5, and Enhanced on 5 x 5 instead of 10 x 10: the scratch
    // picture is an enlargement whose k x k blocks are averaged into the
    // output (the backend clears the flag below magnification 2), so an
    // output pixel on an outline still takes 9 k^2 samples (36 at 2; 100 at 2
    // with Enhanced), and the picture levels filter the texels. Nearest texels
    // keep 5 x 5 and 10 x 10, which is all their filtering.
    // Projects that store Coarse Edges 1: new projects.
    bool coarseEdges = false;
    // Binder rings
    int binderType = 0;   // 0 none, 1 spiral, 2 comb
    int binderParam1 = 50; // ring height in tenths of a unit
    int binderParam2 = 70; // gap between rings in tenths of a unit
    COLORREF binderColour = 0;
    // CD-ROM
    int cdPosition = 5;
    // Folds
    bool foldsShown = false;
    COLORREF foldsColour = 0xFFFFFF;
    // Pages
    int pageFront = 10, pagePages = 80, pageBack = 10; // percent of the depth
    COLORREF paperColour = 0xE0E0E0;
    bool pageEdges = false;
    COLORREF edgeColour = 0xC0C0C0;
    // Dimensions (millimetres)
    double width = 1.0, height = 1.0, depth = 1.0;

    // Whether the mirrored model is drawn: Reflection on and the horizontal table.
    bool ReflectionShown() const noexcept { return reflection && tablePosition == 0; }
    // 100 for Detail "Enhanced", else 25; with coarse edges (above) 25 and 9.
    int SampleCount() const noexcept
    {
        const bool coarse = coarseEdges && smoothTextures;
        return detail == 1 ? (coarse ? 25 : 100) : coarse ? 9 : 25;
    }

    // Reads the model-level settings (category 'M') of a store.
    static CEngineSettings FromStore(const SettingStore& store);

    friend bool operator==(const CEngineSettings&, const CEngineSettings&) = default;
};
