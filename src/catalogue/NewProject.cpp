#include "catalogue/NewProject.h"

#include "ground/AppFolders.h"
#include "catalogue/product/SideAppearance.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "catalogue/product/StudioDisc.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "properties/AppearanceKinds.h"
#include "properties/settings/SettingKey.h"
#include "properties/settings/SettingTable.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

// Model-level settings written here.
constexpr std::uint32_t kCDImage = 101, kCDPosition = 102;
constexpr std::uint32_t kBinderType = 111, kBinderColor = 114;
constexpr std::uint32_t kSubTitle = 151, kSubPrompt = 152, kSubPattern = 153, kSubName = 154, kSubChosen = 155;
constexpr std::uint32_t kRenderWidth = 161, kRenderHeight = 162, kMagnification = 163;
constexpr std::uint32_t kWidthMm = 171, kHeightMm = 172, kDepthMm = 173;

constexpr int kMaxPixelsPerMm = 16;

struct FaceName {
    char key;
    const char* name;
};
// The main faces in the order they are prepared, with their display names.
constexpr FaceName kMainFaces[] = {{'F', "Front"}, {'S', "Spine"},  {'L', "Left"},
                                   {'R', "Right"}, {'U', "Top"},    {'D', "Bottom"}};

bool Contains(std::string_view text, char c)
{
    return text.find(c) != std::string_view::npos;
}

std::string InternalFile(const CAppFolders& folders, const std::string& name)
{
    if (!name.empty() && name.front() == '/')
        return name;
    return folders.GetInternalFolder() + name;
}

bool LoadPicture(const std::string& path, std::unique_ptr<CRaster>& picture, std::string& error)
{
    auto loaded = std::make_unique<CRaster>();
    if (!loaded->Load(path.c_str()) || !loaded->IsValid()) {
        error = "Can not load the picture:\n\n" + path + "\n\n" + loaded->GetLastError();
        return false;
    }
    if (loaded->GetBpp() != 24 && !loaded->IncreaseBpp(24)) {
        error = "Can not load the picture:\n\n" + path + "\n\n" + loaded->GetLastError();
        return false;
    }
    picture = std::move(loaded);
    return true;
}

// Same aspect ratio in whole pixels: w1 / h1 == w2 / h2.
bool SameRatio(int w1, int h1, int w2, int h2)
{
    return static_cast<long long>(w1) * h2 == static_cast<long long>(w2) * h1;
}

// Prepares one appearance side of baseWidth x baseHeight pixels at magnification k.
bool PrepareSide(const CAppFolders& folders, CSide& side, const SideAppearanceAnswer& a, int baseWidth,
                 int baseHeight, int k, std::string& error)
{
    if (FindAppearanceKind(a.type) == nullptr) {
        error = "Unknown appearance style.";
        return false;
    }
    side.Reset(a.type, baseWidth, baseHeight, a.color1 & 0xFFFFFF, k);
    SettingStore& s = side.GetSettings();
    s.SetInt(SideKey(kSideColor2), static_cast<std::int32_t>(a.color2 & 0xFFFFFF));
    switch (a.type) {
    case kAppearanceGradient:
        s.SetInt(SideKey(kSideGradientStyle), a.gradientStyle);
        break;
    case kAppearanceTexture: {
        const PageLeave chosen = LeaveSidePage("Texture", !a.textureFile.empty());
        if (!chosen.ok) {
            error = chosen.message;
            return false;
        }
        const int scale = a.textureScale;
        if (scale != 1 && scale != 2 && scale != 4 && scale != 8 && scale != 16) {
            error = "The texture scale must be 1, 2, 4, 8 or 16.";
            return false;
        }
        s.SetInt(SideKey(kSideTextureScale), scale);
        std::unique_ptr<CRaster> texture;
        if (!LoadPicture(InternalFile(folders, a.textureFile), texture, error))
            return false;
        side.SetSecondPicture(std::move(texture));
        break;
    }
    case kAppearancePattern:
        s.SetInt(SideKey(kSidePattern), a.pattern);
        s.SetInt(SideKey(kSidePatternCell), std::max(1, a.patternCell));
        break;
    case kAppearancePicture: {
        if (a.pictureFile.empty()) {
            error = "Please select a picture.";
            return false;
        }
        const std::string path = InternalFile(folders, a.pictureFile);
        if (CVectorArt::IsVectorFileName(path)) {
            // Artwork is drawn at the face's resolution and kept as it is.
            std::string reason;
            std::shared_ptr<const CVectorArt> art = CVectorArt::FromFile(path, a.picturePage, reason);
            if (!art || !DrawSidePicture(side, std::move(art))) {
                error = "Can not load the picture:\n\n" + path + "\n\n" + (reason.empty() ? "Out of memory" : reason);
                return false;
            }
        } else {
            std::unique_ptr<CRaster> picture;
            if (!LoadPicture(path, picture, error))
                return false;
            side.SetPicture(std::move(picture));
        }
        const CRaster& picture = *side.GetPicture();
        const bool same = SameRatio(picture.GetWidth(), picture.GetHeight(), baseWidth, baseHeight);
        s.SetInt(SideKey(kSideFitMode), same ? -1 : std::clamp(a.fit, 0, 3));
        break;
    }
    default:
        break;
    }
    if (!BuildAppearance(side)) {
        error = "Out of memory";
        return false;
    }
    return true;
}

// A provided side of a media model: "@E:" + picture of the internal folder,
// or "@C:" + a decimal colour reference.
bool PrepareProvidedSide(const CAppFolders& folders, CSide& side, const std::string& data, int baseWidth,
                         int baseHeight, int k, std::string& error)
{
    SideAppearanceAnswer a;
    if (data.rfind("@E:", 0) == 0 && data.size() > 3) {
        a.type = kAppearancePicture;
        a.pictureFile = data.substr(3);
        a.fit = 0; // stretch when the ratios differ
    } else if (data.rfind("@C:", 0) == 0 && data.size() > 3) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(data.c_str() + 3, &end, 10);
        if (*end != '\0' || value > 0xFFFFFFul) {
            error = "Model data corrupted?";
            return false;
        }
        a.type = kAppearanceColor;
        a.color1 = static_cast<COLORREF>(value);
    } else {
        error = "Model data corrupted?";
        return false;
    }
    return PrepareSide(folders, side, a, baseWidth, baseHeight, k, error);
}

bool PrepareWhiteRaster(CSide& side, int width, int height, int k, std::string& error)
{
    side.Reset(kAppearanceColor, width, height, 0xFFFFFF, k);
    if (!BuildAppearance(side)) {
        error = "Out of memory";
        return false;
    }
    return true;
}

void Report(const NewProjectProgress& progress, const std::string& text)
{
    if (progress)
        progress(text);
}

// The position must be an entry of the kind's list (box kinds: 0, 1, 3, 5).
bool IsCDPositionOf(const CProduct& product, int position)
{
    for (const CDPositionChoice& choice : GetCDPositionChoices(product))
        if (choice.value == position)
            return true;
    return false;
}

} // namespace

int GetFacePixelsPerMm(int widthMm, int heightMm, int depthMm, int renderWidth, int renderHeight) noexcept
{
    const long long largestMm = std::max({widthMm, heightMm, depthMm, 1});
    const long long largestPixels = std::max({renderWidth, renderHeight, 1});
    const long long p = (2 * largestPixels + largestMm - 1) / largestMm; // rounded up
    return static_cast<int>(std::clamp<long long>(p, 1, kMaxPixelsPerMm));
}

void GetFacePixelSize(char key, int widthMm, int heightMm, int depthMm, int pixelsPerMm, int& width,
                     int& height) noexcept
{
    int w = widthMm, h = heightMm;
    switch (key) {
    case 'L': case 'R': case 'S': case 'r': case 'l':
        w = depthMm;
        break;
    case 'U': case 'D': case 'u': case 'd':
        h = depthMm;
        break;
    default:
        break;
    }
    width = std::max(1, w * pixelsPerMm);
    height = std::max(1, h * pixelsPerMm);
}

std::string GetCDSurfaceFileName(const std::string& section)
{
    return "ecd_" + section + ".png";
}

bool SetCDSurface(const CAppFolders& folders, CProduct& product, const std::string& section, std::string& error)
{
    std::unique_ptr<CRaster> surface;
    if (!LoadPicture(InternalFile(folders, GetCDSurfaceFileName(section)), surface, error) || !surface->IsValid()) {
        if (error.empty()) error = "The CD-ROM image could not be read.";
        return false;
    }
    // Studio-lit projects show the disc as a photograph does; the gold and
    // silver surfaces ("a...", "b...") are mirrors of their own tint.
    if (product.GetSettings().GetInt(ModelKey(kSetLighting)) != 0)
        MakeStudioDisc(*surface, !section.empty() && (section[0] == 'a' || section[0] == 'b'));
    CSide& side = product.GetOrCreateSide("C");
    side.Reset(kAppearancePicture, surface->GetWidth(), surface->GetHeight(), 0xFFFFFF, 1);
    side.GetSettings().SetInt(SideKey(kSideFitMode), -1);
    side.SetPicture(std::move(surface));
    return true;
}

void SetFirstListAnswers(const CAppFolders& folders, const std::string& section, NewProjectAnswers& answers)
{
    const std::vector<PictureChoice> cds = ListCDImageChoices(folders.GetInternalFolder(), folders.ProgramSettings());
    if (!cds.empty()) {
        const auto silver = std::find_if(cds.begin(), cds.end(),
                                         [](const PictureChoice& c) { return c.name.rfind("Silver", 0) == 0; });
        answers.cdImage = (silver != cds.end() ? *silver : cds.front()).section;
    }
    const ModelEntry entry = ReadModelEntry(folders.ProgramSettings(), section);
    if (entry.HasSubPicture()) {
        const std::vector<PictureChoice> subs =
            ListSubPictureChoices(folders.GetInternalFolder(), entry.subPattern, folders.ProgramSettings());
        if (!subs.empty())
            answers.subPicture = subs.front().section;
    }
}

bool ReadNewProjectModel(const CAppFolders& folders, const std::string& section, ModelEntry& entry,
                         std::string& error)
{
    entry = ReadModelEntry(folders.ProgramSettings(), section);
    if (entry.model.empty()) {
        error = "Model empty. Data corrupted?";
        return false;
    }
    return true;
}

namespace {

// A page's refusal as the error of the whole step.
bool Accepted(const PageLeave& r, std::string& error)
{
    if (!r.ok)
        error = r.message;
    return r.ok;
}

// The answers of the size, list and CD position pages, checked as the pages
// check them; `size` receives the dimensions in mm.
bool CheckModelAnswers(const ModelEntry& entry, const CProduct& product, const NewProjectAnswers& answers,
                       SizePageValues& size, std::string& error)
{
    const auto pass = [](const std::string&) { return true; }; // the wizard asked already
    size = SizePageValues{std::abs(entry.width), std::abs(entry.height), std::abs(entry.depth)};
    const bool sizePage = std::string_view(product.GetFamilyName()).size() > 0 &&
                          (entry.width < 0 || entry.height < 0 || entry.depth < 0);
    if (sizePage && answers.size) {
        SizePageControls c;
        c.catalogueWidth = entry.width;
        c.catalogueHeight = entry.height;
        c.catalogueDepth = entry.depth;
        c.widthText = std::to_string(answers.size->width);
        c.heightText = std::to_string(answers.size->height);
        c.depthText = std::to_string(answers.size->depth);
        c.binder = product.HasBinding() != 0;
        c.hasCD = product.HasCDROM() != 0;
        if (!Accepted(LeaveSizePage(c, pass, size), error))
            return false;
    }
    if (entry.HasSubPicture() && !Accepted(LeaveListPage(!answers.subPicture.empty()), error))
        return false;
    if (product.HasCDROM() && !Accepted(LeaveListPage(!answers.cdImage.empty()), error))
        return false;
    if (product.HasCDROMInside() && !IsCDPositionOf(product, answers.cdPosition)) {
        error = "Please select an item.";
        return false;
    }
    return true;
}

// Rendering size: the background picture's own size when one was chosen (the
// picture is loaded into `backgroundPicture`), else the answers' size.
bool ChooseRenderingSize(const CAppFolders& folders, const NewProjectAnswers& answers, int& renderWidth,
                         int& renderHeight, std::unique_ptr<CRaster>& backgroundPicture, std::string& error)
{
    renderWidth = answers.renderWidth;
    renderHeight = answers.renderHeight;
    if (answers.background.type != kAppearancePicture) {
        BackRenderControls c;
        c.widthText = std::to_string(renderWidth);
        c.heightText = std::to_string(renderHeight);
        BackRenderValues v;
        return Accepted(LeaveBackRenderPage(c, v), error);
    }
    if (answers.background.pictureFile.empty()) {
        error = "Please select a picture.";
        return false;
    }
    if (!LoadPicture(InternalFile(folders, answers.background.pictureFile), backgroundPicture, error))
        return false;
    // The final picture takes the background's size; beyond what the
    // renderer produces the working rasters alone would take gigabytes.
    if (backgroundPicture->GetWidth() > kMaxRenderSide || backgroundPicture->GetHeight() > kMaxRenderSide) {
        error = "The background picture is too large. It may be at most " + std::to_string(kMaxRenderSide) +
                " x " + std::to_string(kMaxRenderSide) + " pixels.";
        return false;
    }
    renderWidth = backgroundPicture->GetWidth();
    renderHeight = backgroundPicture->GetHeight();
    return true;
}

// The answers of the two effects pages and of the pages page.
bool CheckEffectAnswers(const CProduct& product, const NewProjectAnswers& answers, int renderWidth,
                        int renderHeight, EffectsPageValues& effects, Effects2PageValues& effects2,
                        std::string& error)
{
    if (!Accepted(LeaveEffectsPage(answers.effects, effects), error))
        return false;
    const Effects2PageValues& e = answers.effects2;
    Effects2PageControls c;
    c.bevel = e.bevel;
    c.bevelStyle = e.bevelStyle;
    c.bevelSizeText = std::to_string(e.bevelSize);
    c.bevelColor = e.bevelColor;
    c.borders = e.borders;
    c.borderSizeText = std::to_string(e.borderSize);
    c.borderColor = e.borderColor;
    c.colorEffect = e.colorEffect;
    c.colorEffectStyle = e.colorEffectStyle;
    c.colorEffectColor = e.colorEffectColor;
    c.lensFlare = e.lensFlare;
    c.lensFlareIntensity = e.lensFlareIntensity;
    c.lensFlareColor = e.lensFlareColor;
    c.lensFlareBlending = e.lensFlareBlending;
    const auto pass = [](const std::string&) { return true; }; // the wizard asked already
    if (!Accepted(LeaveEffects2Page(c, renderWidth, renderHeight, pass, effects2), error))
        return false;
    if (product.HasPages() && !GetPagesTotal(std::to_string(answers.pages.frontCover),
                                             std::to_string(answers.pages.pages),
                                             std::to_string(answers.pages.backCover))
                                   .canGoOn) {
        error = "The page depth percentages must add up to 100.";
        return false;
    }
    return true;
}

// The faces the model shows (its side letters): from their appearance pages,
// or from the chosen sub-picture's data for the faces it provides.
bool PrepareMainFaces(const CAppFolders& folders, const ModelEntry& entry, CProduct& product,
                      const NewProjectAnswers& answers, const SizePageValues& size, int p, int k,
                      const NewProjectProgress& progress, std::string& error)
{
    const std::string letters = product.GetSideLetters();
    for (const FaceName& face : kMainFaces) {
        const bool page = Contains(letters, face.key) && !Contains(entry.sideProvided, face.key);
        const bool provided = Contains(letters, face.key) && Contains(entry.sideProvided, face.key) &&
                              entry.HasSubPicture();
        if (!page && !provided)
            continue;
        Report(progress, std::string("Preparing ") + face.name);
        int w = 0, h = 0;
        GetFacePixelSize(face.key, size.width, size.height, size.depth, p, w, h);
        CSide& side = product.GetOrCreateSide(std::string(1, face.key));
        if (page) {
            const auto answer = answers.sides.find(face.key);
            const SideAppearanceAnswer plain;
            if (!PrepareSide(folders, side, answer != answers.sides.end() ? answer->second : plain, w, h, k, error))
                return false;
        } else {
            const std::string key = std::string(1, face.key) + "DATA";
            const std::string data = folders.GetProgramString(answers.subPicture, key);
            if (!PrepareProvidedSide(folders, side, data, w, h, k, error))
                return false;
        }
    }
    // Boxes and books have a printed back: from its page, or (when no page
    // answered for it) starting as the front looks.
    if (!NewProjectHasBackFace(product, entry) || product.FindSidePtr("F") == nullptr)
        return true;
    Report(progress, "Preparing Back");
    const auto answer = answers.sides.find(kBackFaceKey[0]);
    if (answer == answers.sides.end())
        return AddBackFace(product, error);
    int w = 0, h = 0;
    GetFacePixelSize(kBackFaceKey[0], size.width, size.height, size.depth, p, w, h);
    return PrepareSide(folders, product.GetOrCreateSide(kBackFaceKey), answer->second, w, h, k, error);
}

// The background: the chosen picture as it is, or its appearance page's picture.
bool PrepareBackground(const CAppFolders& folders, CProduct& product, const NewProjectAnswers& answers,
                       std::unique_ptr<CRaster> backgroundPicture, int renderWidth, int renderHeight, int k,
                       std::string& error)
{
    CSide& side = product.GetOrCreateSide("G");
    if (!backgroundPicture)
        return PrepareSide(folders, side, answers.background, renderWidth, renderHeight, k, error);
    side.Reset(kAppearancePicture, renderWidth, renderHeight, 0xFFFFFF, k);
    side.GetSettings().SetInt(SideKey(kSideFitMode), -1);
    side.SetPicture(std::move(backgroundPicture));
    if (!BuildAppearance(side)) {
        error = "Out of memory";
        return false;
    }
    return true;
}

// White page-edge faces of the kinds with pages.
bool PreparePageEdges(CProduct& product, const SizePageValues& size, int p, int k,
                      const NewProjectProgress& progress, std::string& error)
{
    struct Edge {
        char key;
        const char* name;
    };
    const Edge edges[] = {{'u', "Pages (Top)"}, {'d', "Pages (Bottom)"}, {'r', "Pages (Right)"}, {'l', "Pages (Left)"}};
    for (const Edge& edge : edges) {
        if (edge.key == 'l' && !product.HasPagesOnLeft())
            continue;
        Report(progress, std::string("Preparing ") + edge.name);
        int w = 0, h = 0;
        GetFacePixelSize(edge.key, size.width, size.height, size.depth, p, w, h);
        if (!PrepareWhiteRaster(product.GetOrCreateSide(std::string(1, edge.key)), w, h, k, error))
            return false;
    }
    return true;
}

// The working sides of the renderer at the rendering size; the alpha and
// scratch pictures at the scratch magnification.
void PrepareWorkingSides(CProduct& product, int renderWidth, int renderHeight, int scratchK,
                         const NewProjectProgress& progress)
{
    struct Working {
        const char* key;
        const char* name;
        int magnification;
    };
    const Working working[] = {{"a", "Alpha Data", scratchK},
                               {"x", "Layout Data", 1},
                               {"y", "Rendering Scratch Data", scratchK},
                               {"z", "Rendering Data", 1}};
    // Only their settings: a render makes each picture when it first needs it
    // (at print sizes "a" and "y" alone would take gigabytes).
    for (const Working& w : working) {
        Report(progress, std::string("Preparing ") + w.name);
        product.GetOrCreateSide(w.key).Reset(kAppearanceColor, renderWidth, renderHeight, 0xFFFFFF, w.magnification);
    }
}

} // namespace

// The steps in the order the first rendering and the stored file rely on:
// the model settings, then the sides in the order they are created.
std::unique_ptr<CProduct> BuildProductFromModel(const CAppFolders& folders, const std::string& section,
                                                const NewProjectAnswers& answers, std::string& error,
                                                const NewProjectProgress& progress)
{
    ModelEntry entry;
    if (!ReadNewProjectModel(folders, section, entry, error))
        return nullptr;
    std::unique_ptr<CProduct> product = CreateProduct(entry.model);
    if (!product) {
        error = "Model not found. Data corrupted?";
        return nullptr;
    }
    SizePageValues size;
    int renderWidth = 0, renderHeight = 0;
    std::unique_ptr<CRaster> backgroundPicture;
    EffectsPageValues effects;
    Effects2PageValues effects2;
    if (!CheckModelAnswers(entry, *product, answers, size, error) ||
        !ChooseRenderingSize(folders, answers, renderWidth, renderHeight, backgroundPicture, error) ||
        !CheckEffectAnswers(*product, answers, renderWidth, renderHeight, effects, effects2, error))
        return nullptr;

    Report(progress, "Creating new document");
    SettingStore& m = product->GetSettings();
    const int k = 1; // face magnification of new projects
    // The scratch picture is drawn at twice the rendering size and reduced, so
    // that with Soften Edges the first rendering has clean outlines.
    const int scratchK = kNewProjectScratchMagnification;
    Report(progress, "Preparing Dimensions");
    m.SetReal(ModelKey(kWidthMm), size.width);
    m.SetReal(ModelKey(kHeightMm), size.height);
    // A card is as thick as card stock (0.76 mm); the catalogue gives it no depth.
    const bool flatCard = product->GetModelShape() == ModelShape::Card && size.depth <= 0;
    m.SetReal(ModelKey(kDepthMm), flatCard ? kCardThicknessMm : size.depth);
    m.SetInt(ModelKey(kRenderWidth), renderWidth);
    m.SetInt(ModelKey(kRenderHeight), renderHeight);
    m.SetInt(ModelKey(kMagnification), scratchK);
    ApplyNewProjectView(m);

    const int p = GetFacePixelsPerMm(size.width, size.height, size.depth, renderWidth, renderHeight);
    if (!PrepareMainFaces(folders, entry, *product, answers, size, p, k, progress, error))
        return nullptr;
    Report(progress, "Preparing Background");
    if (!PrepareBackground(folders, *product, answers, std::move(backgroundPicture), renderWidth, renderHeight, k,
                           error))
        return nullptr;
    if (entry.HasSubPicture()) {
        m.SetText(ModelKey(kSubChosen), answers.subPicture);
        m.SetText(ModelKey(kSubTitle), entry.subTitle);
        m.SetText(ModelKey(kSubPrompt), entry.subPrompt);
        m.SetText(ModelKey(kSubPattern), entry.subPattern);
        m.SetText(ModelKey(kSubName), entry.subName);
    }
    if (product->HasPages()) {
        answers.pages.Store(m);
        if (!PreparePageEdges(*product, size, p, k, progress, error))
            return nullptr;
    }
    if (product->HasBinding()) {
        m.SetInt(ModelKey(kBinderType), answers.binderType);
        m.SetInt(ModelKey(kBinderColor), static_cast<std::int32_t>(answers.binderColor & 0xFFFFFF));
    }
    PrepareWorkingSides(*product, renderWidth, renderHeight, scratchK, progress);
    if (product->HasCDROM()) {
        Report(progress, "Preparing CD-ROM");
        m.SetText(ModelKey(kCDImage), answers.cdImage);
        if (!SetCDSurface(folders, *product, answers.cdImage, error))
            return nullptr;
    }
    if (product->HasCDROMInside())
        m.SetInt(ModelKey(kCDPosition), answers.cdPosition);
    effects.Store(m);
    effects2.Store(m);
    return product;
}

void ApplyNewProjectView(SettingStore& m)
{
    // A product photograph: upright on the table, turned to show its right
    // side, the camera a little above looking down, so that the top shows and
    // the shadow lies on the table behind it. (The start values of the
    // setting table put the eye on the table plane, where the top cannot show
    // and every shadow is a line.)
    m.SetInt(ModelKey(kSetXRotation), 0);
    m.SetInt(ModelKey(kSetYRotation), 30);
    m.SetInt(ModelKey(kSetZRotation), 0);
    m.SetInt(ModelKey(kSetObserverX), 0);
    m.SetInt(ModelKey(kSetObserverY), 0);
    m.SetInt(ModelKey(kSetElevation), 20);
    m.SetInt(ModelKey(kSetLens), 100);
    m.SetInt(ModelKey(kSetSoftenEdges), 1);
    m.SetInt(ModelKey(kSetShading), 50);
    m.SetInt(ModelKey(kSetTextureFiltering), 1);
    m.SetInt(ModelKey(kSetShadowSoftness), 8);
    m.SetInt(ModelKey(kSetFraming), kNewProjectFraming);
    m.SetInt(ModelKey(kSetLighting), 1); // "Studio"
    m.SetInt(ModelKey(kSetBackdrop), 1); // "Studio Sweep"
    m.SetInt(ModelKey(kSetLinearBlending), 1);
    m.SetInt(ModelKey(kSetHighlightBand), 1);
    m.SetInt(ModelKey(kSetReflectionFraming), 1);
    m.SetInt(ModelKey(kSetSteadyRipple), 1);
    m.SetInt(ModelKey(kSetBlockInterior), 1);
    m.SetInt(ModelKey(kSetCoarseEdges), 1);
    m.SetInt(ModelKey(kSetShadowStyle), kStudioShadowStyleValue);
}

bool PrepareSideAppearance(const CAppFolders& folders, CSide& side, const SideAppearanceAnswer& answer,
                           int baseWidth, int baseHeight, int k, std::string& error)
{
    return PrepareSide(folders, side, answer, baseWidth, baseHeight, k, error);
}
