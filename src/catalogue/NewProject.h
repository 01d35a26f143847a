#pragma once
// New project from a catalogue model: takes the answers of the new-project
// wizard as one value and builds the complete product (model settings, every
// side with its appearance picture, the page edges and the working rasters);
// app/NewDocument.h hands it to the document. The desktop wizard and the
// command line both call it; nothing here opens a window.

#include "image/Color.h"
#include "properties/PageChecks.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CAppFolders;
class CProduct;
struct ModelEntry;

// One appearance page ("Front's Appearance", ..., "Background's Appearance").
struct SideAppearanceAnswer {
    int type = 1;                 // 0 picture, 1 colour, 2 gradient, 3 texture, 4 pattern
    COLORREF color1 = 0xFFFFFF;   // colour 1 (the plain colour)
    COLORREF color2 = 0x000000;   // colour 2 of gradients and patterns
    int gradientStyle = 0;        // 0..31
    std::string textureFile;      // "dtx_*.bmp" of the internal folder, or a full path
    int textureScale = 1;         // divisor 1, 2, 4, 8 or 16
    int pattern = 131;            // pattern number, 131 or 144..193
    int patternCell = 1;          // pattern cell size in base pixels
    std::string pictureFile;      // the user's picture (full path)
    int picturePage = 1;          // the page of a PDF picture, from 1
    int fit = 0;                  // when the picture's ratio differs: 0 stretch, 1 start, 2 middle, 3 end
};

// Everything the wizard's pages collected. Pages the model does not show are
// ignored; their settings keep the product's start values.
struct NewProjectAnswers {
    // Size page: millimetres; only the editable dimensions are read. Unset:
    // the catalogue's defaults.
    std::optional<SizePageValues> size;
    // Appearance of the main faces by side letter (F, L, R, U, D, S) and of the
    // background. Faces without an answer are plain white.
    std::map<char, SideAppearanceAnswer> sides;
    SideAppearanceAnswer background;
    // Sub-picture page: the chosen file ("dfl_001.bmp").
    std::string subPicture;
    PagesPageValues pages;
    int binderType = 0;            // 111
    COLORREF binderColor = 0;      // 114
    std::string cdImage;           // CD-ROM picture section ("c009", "a101")
    int cdPosition = 5;            // 102
    // Back Render page: the final picture size in pixels. With a background
    // picture the size is that picture's size instead.
    int renderWidth = 400;
    int renderHeight = 400;
    EffectsPageValues effects;
    Effects2PageValues effects2;
};

// Answers for the list pages of a caller that has no choices to offer: the
// CD-ROM picture is the first silver one of the internal folder (the first
// of any when there is no silver one), the sub-picture the first available.
// Lists that are empty leave the answer empty.
void SetFirstListAnswers(const CAppFolders& folders, const std::string& section, NewProjectAnswers& answers);

// Shadow Style "Studio": a contact shadow and a penumbra that widens with height.
constexpr int kStudioShadowStyleValue = 4;

// Margin around the product and its shadow in new projects, % of the picture's short side.
constexpr int kNewProjectFraming = 8;

// Thickness of a new card, mm (card stock such as a payment card's).
constexpr double kCardThicknessMm = 0.76;

// Magnification of the scratch and alpha pictures of a new project.
constexpr int kNewProjectScratchMagnification = 2;

// The view and rendering options a new project starts with (camera above the
// table with a product lens, lit faces, smooth textures, soft shadows at the
// product's scale, Soften Edges); stored by BuildProductFromModel before the
// answers of the effects pages.
void ApplyNewProjectView(SettingStore& settings);

using NewProjectProgress = std::function<void(const std::string& text)>;

// The model entry named `section` with its display name ("Alias"); false and
// the message when the entry is unusable.
bool ReadNewProjectModel(const CAppFolders& folders, const std::string& section, ModelEntry& entry,
                         std::string& error);

// Builds the product of model `section` from the answers. Null and `error` set
// ("Model empty. Data corrupted?", "Model not found. Data corrupted?", or the
// message of the page whose answer is not acceptable) on failure.
std::unique_ptr<CProduct> BuildProductFromModel(const CAppFolders& folders, const std::string& section,
                                                const NewProjectAnswers& answers, std::string& error,
                                                const NewProjectProgress& progress = nullptr);

// Face pictures are drawn at a whole number of pixels per millimetre:
// p = ceil(2 * max(render width, render height) / max(W, H, D)), limited to
// 1 .. 16. Twice the rendering size keeps the faces sharp where the product
// fills the picture; the limit keeps small products from huge faces.
int GetFacePixelsPerMm(int widthMm, int heightMm, int depthMm, int renderWidth, int renderHeight) noexcept;

// Base size in pixels of side `key` ("F", "L", "u", ...) of a product of
// W x H x D millimetres at p pixels per millimetre; every side is at least
// 1 x 1. Front W x H; left, right, spine and the right and left page edges
// D x H; top, bottom and their page edges W x D.
void GetFacePixelSize(char key, int widthMm, int heightMm, int depthMm, int pixelsPerMm, int& width,
                     int& height) noexcept;

// File name of a CD-ROM picture section's surface: "ecd_" + section + ".png".
std::string GetCDSurfaceFileName(const std::string& section);

// Gives the product's CD-ROM face ("C") the surface picture of a CD-ROM
// picture section; a studio-lit product (Lighting not 0) shows it as the
// studio disc (MakeStudioDisc). False with a message when it cannot be read;
// the face then stays as it was.
bool SetCDSurface(const CAppFolders& folders, CProduct& product, const std::string& section, std::string& error);

class CSide;

// Gives `side` the appearance of one appearance page's answer at a base size
// of baseWidth x baseHeight pixels and magnification k: textures and
// pictures are read (names without a folder from the internal folder), the
// Side page's checks apply, and the appearance picture is built. False with
// the message in `error` when the answer is not acceptable; the side may then
// be partly changed, so callers work on a copy or discard it.
bool PrepareSideAppearance(const CAppFolders& folders, CSide& side, const SideAppearanceAnswer& answer,
                           int baseWidth, int baseHeight, int k, std::string& error);
