#include "app/GridRows.h"

#include "app/SettingCommand.h"
#include "catalogue/product/FaceKeys.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/ProductSettings.h"
#include "catalogue/product/Side.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingStore.h"

#include <cstdio>

namespace {

std::string FormatInt(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string FormatPercent(int value)
{
    char text[20];
    std::snprintf(text, sizeof text, "%d%%", value);
    return text;
}

// The row maker for setting `id` of the 'M' store by its type.
struct CRowMaker {
    const SettingStore& store;

    int Int(std::uint32_t id) const { return store.GetInt(ModelKey(id)); }

    const char* Label(std::uint32_t id) const
    {
        const SettingInfo* info = FindSetting(id);
        return info ? info->label : "";
    }

    CGridRow Row(std::uint32_t id) const
    {
        const SettingInfo* info = FindSetting(id);
        const SettingKey key = ModelKey(id);
        const std::string label = Label(id);
        const SettingType type = info ? info->type : SettingType::Integer;
        switch (type) {
        case SettingType::Boolean: return CGridRow::Bool(label, Int(id) != 0, key);
        case SettingType::Choice:
            return CGridRow::Str(label, GetValueName(info->choices, Int(id)), key);
        case SettingType::Colour: return CGridRow::Color(label, static_cast<std::uint32_t>(Int(id)), key);
        case SettingType::Lights: return CGridRow::Light(label, static_cast<std::uint32_t>(Int(id)), key);
        case SettingType::Text: return CGridRow::Str(label, store.GetText(key), key);
        case SettingType::Real:
        case SettingType::None:
        case SettingType::Integer: break;
        }
        return CGridRow::Int(label, Int(id), key);
    }
};

bool IsBinder(const CProduct& product) { return product.HasBinding() != 0; }

} // namespace

// ---- rows --------------------------------------------------------------------------

std::string CGridRow::Encode() const
{
    std::string text;
    text.reserve(label.size() + value.size() + type.size() + 16);
    text += label;
    text += '\n';
    text += value;
    text += '\n';
    text += kind;
    text += '\n';
    text += type;
    text += '\n';
    if (category != 0) {
        text += category;
        text += std::to_string(id);
    }
    return text;
}

bool CGridRow::Decode(const std::string& text, CGridRow& row)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() != 5 || parts[2].size() != 1)
        return false;
    CGridRow out;
    out.label = parts[0];
    out.value = parts[1];
    out.kind = parts[2][0];
    out.type = parts[3];
    if (!parts[4].empty()) {
        out.category = parts[4][0];
        const std::string digits = parts[4].substr(1);
        if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out.id = static_cast<std::uint32_t>(std::stoul(digits));
    }
    row = std::move(out);
    return true;
}

CGridRow CGridRow::Head(std::string label)
{
    CGridRow row;
    row.label = std::move(label);
    row.kind = 'H';
    row.type = "Head";
    return row;
}

CGridRow CGridRow::Str(std::string label, std::string value, SettingKey key)
{
    CGridRow row;
    row.label = std::move(label);
    row.value = std::move(value);
    row.kind = 'T';
    row.type = "Str";
    row.category = key.category;
    row.id = key.id;
    return row;
}

CGridRow CGridRow::Bool(std::string label, bool value, SettingKey key)
{
    CGridRow row = Str(std::move(label), value ? "Yes" : "No", key);
    row.type = "Bool";
    return row;
}

CGridRow CGridRow::Int(std::string label, int value, SettingKey key)
{
    CGridRow row = Str(std::move(label), FormatInt(value), key);
    row.type = "Int";
    return row;
}

CGridRow CGridRow::Light(std::string label, std::uint32_t mask, SettingKey key)
{
    CGridRow row = Str(std::move(label), std::to_string(mask), key);
    row.kind = 'L';
    row.type = "Light";
    return row;
}

CGridRow CGridRow::Color(std::string label, std::uint32_t colour, SettingKey key)
{
    CGridRow row = Str(std::move(label), std::to_string(colour), key);
    row.kind = 'C';
    row.type = "Color";
    return row;
}

// ---- the render view ----------------------------------------------------------------

namespace {

// The render view's rows, section by section; a setting's own rows follow it
// only while it is on.
struct CRenderRows {
    const CRowMaker& m;
    std::vector<CGridRow> rows;

    void Add(std::uint32_t id) { rows.push_back(m.Row(id)); }
    void Head(const char* title) { rows.push_back(CGridRow::Head(title)); }
    bool On(std::uint32_t id) const { return m.Int(id) != 0; }

    void AddRenderingOptions(const SettingStore& store)
    {
        Head("Rendering Options");
        for (std::uint32_t id : {kSetDetail, kSetSoftenEdges, kSetShading, kSetLighting, kSetFinish, kSetFalloff,
                                 kSetBackdrop, kSetTextureFiltering})
            Add(id);
        rows.push_back(CGridRow::Str("Rendering Size",
                                     std::to_string(m.Int(kSetRenderWidth)) + " x " +
                                         std::to_string(m.Int(kSetRenderHeight)) + " pixels",
                                     ModelKey(kRenderSizeRowId)));
        // The resolution row tells what it means for the print: "13.3 x 13.3 cm at 300 dpi".
        CGridRow resolution = m.Row(kSetResolution);
        resolution.value = FormatPrintSize(m.Int(kSetRenderWidth), m.Int(kSetRenderHeight), GetRenderResolution(store));
        rows.push_back(std::move(resolution));
    }

    void AddFinishing()
    {
        Head("Bevel");
        Add(kSetBevel);
        if (On(kSetBevel)) {
            Add(kSetBevelStyle);
            Add(kSetBevelSize);
            if (m.Int(kSetBevelStyle) == 3)
                Add(kSetBevelColor);
        }
        Head("Borders");
        Add(kSetBorders);
        if (On(kSetBorders)) {
            Add(kSetBorderSize);
            Add(kSetBorderColor);
        }
    }

    void AddColour()
    {
        Head("Color Balance");
        for (std::uint32_t id : {kSetBrightness, kSetContrast, kSetRedBalance, kSetGreenBalance, kSetBlueBalance})
            rows.push_back(CGridRow::Str(m.Label(id), FormatPercent(m.Int(id)), ModelKey(id)));
        Head("Color Effect");
        Add(kSetColorEffect);
        if (On(kSetColorEffect)) {
            Add(kSetColorEffectStyle);
            if (m.Int(kSetColorEffectStyle) == 1)
                Add(kSetColorEffectColor);
        }
    }

    void AddLensFlare()
    {
        Head("Lens Flare");
        Add(kSetLensFlare);
        if (On(kSetLensFlare)) {
            Add(kSetLensFlareIntensity);
            Add(kSetLensFlareColor);
            Add(kSetLensFlareBlending);
            if (m.Int(kSetLensFlareBlending) == 1)
                Add(kSetLensFlareAlphaMix);
        }
    }

    // The rows of the product's own parts (rounded edges, binder, CD-ROM,
    // folds); none for a product without them.
    void AddObjectProperties(const CProduct& product)
    {
        const bool cdInside = IsSettingOfProduct(product, kSetCDPosition);
        const bool binder = IsSettingOfProduct(product, kSetBinderType);
        const bool folds = IsSettingOfProduct(product, kSetFoldsShown);
        const bool solid = IsSettingOfProduct(product, kSetEdgeRadius);
        if (!cdInside && !binder && !folds && !solid)
            return;
        Head("Object Properties");
        if (solid)
            Add(kSetEdgeRadius);
        if (binder) {
            Add(kSetBinderType);
            if (m.Int(kSetBinderType) != 0)
                Add(kSetBinderColor);
        }
        if (cdInside) {
            const ChoiceList list = product.UsesBoxCDPositions() ? ChoiceList::CDPositionBox : ChoiceList::CDPositionBook;
            rows.push_back(CGridRow::Str(m.Label(kSetCDPosition), GetValueName(list, m.Int(kSetCDPosition)),
                                         ModelKey(kSetCDPosition)));
        }
        if (folds) {
            Add(kSetFoldsShown);
            if (On(kSetFoldsShown))
                Add(kSetFoldsColor);
        }
    }

    void AddReflectionAndShadows()
    {
        if (m.Int(kSetTablePosition) == 0) {
            Head("Reflection");
            Add(kSetReflection);
            if (On(kSetReflection)) {
                Add(kSetReflectionTopFade);
                Add(kSetReflectionBottomFade);
                Add(kSetReflectionRipple);
            }
        }
        Head("Shadows");
        Add(kSetShadows);
        if (On(kSetShadows)) {
            Add(kSetLights);
            Add(kSetShadowColor);
            Add(kSetShadowStyle);
            if (m.Int(kSetShadowStyle) != 0)
                Add(kSetShadowSoftness);
        }
    }
};

} // namespace

std::vector<CGridRow> BuildRenderRows(const CProduct& product)
{
    const SettingStore& store = product.GetSettings();
    const CRowMaker m{store};
    CRenderRows r{m, {}};
    r.AddRenderingOptions(store);
    r.AddFinishing();
    r.AddColour();
    r.AddLensFlare();
    r.Head("Object Positioning");
    for (std::uint32_t id : {kSetTablePosition, kSetAboveTable, kSetXRotation, kSetYRotation, kSetZRotation})
        r.Add(id);
    r.AddObjectProperties(product);
    r.Head("Observer Position");
    for (std::uint32_t id : {kSetObserverX, kSetObserverY, kSetElevation, kSetLens, kSetFraming})
        r.Add(id);
    r.AddReflectionAndShadows();
    return std::move(r.rows);
}

// ---- face views -----------------------------------------------------------------------

std::uint32_t FacePictureFlagId(const CProduct& product, char face) noexcept
{
    switch (face) {
    case 'F': return 141;
    case 'L':
    case 'S':
    case 'l': return (IsBinder(product) && product.HasPages()) ? 142 : 143;
    case 'R':
    case 'r': return 144;
    case 'U':
    case 'u': return 145;
    case 'D':
    case 'd': return 146;
    case 'G': return 147;
    default: return 0;
    }
}

namespace {
const char* FaceHeadName(char face)
{
    switch (face) {
    case 'F': return "Front";
    case 'G': return "Background";
    case 'L':
    case 'l': return "Left";
    case 'R': return "Right";
    case 'S': return "Spine";
    case 'U': return "Top";
    case 'D': return "Bottom";
    default: return "";
    }
}
} // namespace

std::vector<CGridRow> BuildFaceRows(const CProduct& product, char face, const std::string& cdImageName)
{
    const SettingStore& store = product.GetSettings();
    const CRowMaker m{store};
    std::vector<CGridRow> rows;

    if (face == 'C') {
        rows.push_back(CGridRow::Head("CD-ROM"));
        rows.push_back(CGridRow::Str("Image", cdImageName, ModelKey(kSetCDImage)));
        return rows;
    }

    if (const std::uint32_t flag = FacePictureFlagId(product, face); flag != 0 && m.Int(flag) != 0) {
        rows.push_back(CGridRow::Head("Image"));
        const char key[2] = {face, 0};
        rows.push_back(CGridRow::Str("Name", GetSideName(key), SettingKey(flag, 'M')));
    }

    const bool binderEdge = IsBinder(product) && (face == 'L' || face == 'S' || face == 'l');
    if (face == 'F' || face == 'G' || binderEdge) {
        rows.push_back(CGridRow::Head(std::string(FaceHeadName(face)) + " Image"));
        rows.push_back(CGridRow::Str("Image", "Double Click To Edit", SettingKey(kFaceImageRowId, face)));
    } else if (IsSettingOfProduct(product, kSetPageDepthRow)) {
        rows.push_back(CGridRow::Head("Page Settings"));
        rows.push_back(CGridRow::Str("Page Depth %", FormatPageDepths(store), ModelKey(kSetPageDepthRow)));
        rows.push_back(m.Row(kSetPaperColor));
        rows.push_back(m.Row(kSetPageEdges));
        if (m.Int(kSetPageEdges) != 0)
            rows.push_back(m.Row(kSetPageEdgeColor));
    }
    return rows;
}

char FaceLetterOfTab(const std::string& tabName) noexcept
{
    const std::string_view key = FaceKeyOfName(tabName);
    return key.size() == 1 ? key[0] : 0;
}

std::string EditLabelOf(std::uint32_t id, const std::string& gridLabel)
{
    if (id == kSetPageDepthRow)
        return "Page Depth Percentages";
    if (id == kSetCDImage)
        return "CD-ROM Image";
    if (const SettingInfo* info = FindSetting(id); info && info->editLabel && *info->editLabel)
        return info->editLabel;
    return gridLabel;
}

std::vector<SettingValueName> ChoicesOf(const CProduct& product, std::uint32_t id)
{
    const SettingInfo* info = FindSetting(id);
    if (!info)
        return {};
    const ValueNameList names = GetSettingChoices(product, *info);
    return {names.begin(), names.end()};
}

EGridEditor EditorOf(const CGridRow& row)
{
    if (row.IsHead() || row.category == 0)
        return EGridEditor::None;
    if (row.id == kFaceImageRowId)
        return EGridEditor::FaceImage;
    if (row.category != 'M')
        return EGridEditor::None;
    if (row.id == kSetPageDepthRow)
        return EGridEditor::PageDepths;
    if (row.id == kRenderSizeRowId)
        return EGridEditor::RenderSize;
    if (row.id == kSetCDImage)
        return EGridEditor::CDImage;
    const SettingInfo* info = FindSetting(row.id);
    if (!info)
        return EGridEditor::None;
    switch (info->type) {
    case SettingType::Boolean:
    case SettingType::Choice: return EGridEditor::Choice;
    case SettingType::Colour: return EGridEditor::Colour;
    case SettingType::Lights: return EGridEditor::Lights;
    case SettingType::Text: return EGridEditor::Text;
    case SettingType::Integer:
        // A track bar over thousands of values can not pick one; these are typed.
        if (row.id == kSetBevelSize || row.id == kSetBorderSize || row.id == kSetResolution)
            return EGridEditor::Number;
        return info->range == RangeKind::Fixed ? EGridEditor::Slider : EGridEditor::Number;
    case SettingType::Real:
    case SettingType::None: break;
    }
    return EGridEditor::None;
}

std::string UndoTextForBool(const std::string& editLabel, bool value)
{
    return "Set " + editLabel + (value ? " to Yes" : " to No");
}

std::string UndoTextForNumber(const std::string& editLabel, int value, const std::string& unit)
{
    std::string text = "Set " + editLabel + " to " + FormatInt(value);
    if (!unit.empty())
        text += " " + unit;
    return text;
}

std::string UndoTextForChoice(const std::string& editLabel, const std::string& name)
{
    return "Set " + editLabel + " to " + name;
}

std::string UndoTextForModify(const std::string& editLabel) { return "Modify " + editLabel; }
