#include "cli/edit/SettingEdit.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "catalogue/NamedColors.h"
#include "image/Color.h"
#include "catalogue/product/Product.h"
#include "app/SettingCommand.h"
#include "properties/settings/SettingChecks.h"
#include "properties/settings/SettingTable.h"

namespace {

// Whole numbers are read without a range here: the range is the setting's
// (its message comes with the check).
constexpr int kAnyNumber = INT_MIN + 1;

std::string Lower(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) out += static_cast<char>(std::tolower(c));
    return out;
}

std::string Trim(std::string_view s)
{
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

// A number as info prints it, with its unit word ("12 pixels", "50%", "300 dpi"):
// the unit is optional, so the number is what remains without it.
std::string WithoutUnit(const std::string& value, const char* unit)
{
    const std::string u = unit ? Lower(unit) : std::string();
    const std::string v = Lower(value);
    if (u.empty() || v.size() < u.size() || v.compare(v.size() - u.size(), u.size(), u) != 0) return value;
    return Trim(std::string_view(value).substr(0, value.size() - u.size()));
}

// Whether a setting is offered for editing: the grid shows it somewhere.
bool IsEditable(const SettingInfo& info) { return info.label[0] != '\0' && info.type != SettingType::None; }

std::string DisplayName(const SettingInfo& info)
{
    return info.editLabel && info.editLabel[0] ? info.editLabel : info.label;
}

bool ParseYesNo(std::string_view text, int& value)
{
    const std::string t = Lower(Trim(text));
    if (t == "yes" || t == "1" || t == "on" || t == "true") return value = 1, true;
    if (t == "no" || t == "0" || t == "off" || t == "false") return value = 0, true;
    return false;
}

// "F/P/B": front cover, pages and back cover in percent of the depth, as the
// grid row shows them; the three must add up to 100.
SSettingEditResult ApplyPageDepths(CProduct& product, std::string_view value)
{
    SSettingEditResult result;
    std::string parts[3];
    int n = 0;
    for (char c : value) {
        if (c == '/') {
            if (++n > 2) break;
        } else if (c != '%') {
            parts[n] += c;
        }
    }
    if (n != 2) {
        result.message = "Page Depth % wants three numbers, as in 10/80/10 (front cover / pages / back cover).";
        return result;
    }
    const std::uint32_t ids[3] = {kSetPageDepthFront, kSetPageDepthPages, kSetPageDepthBack};
    const char* labels[3] = {"Front Cover", "Pages", "Back Cover"};
    std::vector<CSettingValue> values;
    for (int i = 0; i < 3; ++i) {
        const IntFieldResult r = ValidateIntField(parts[i], kAnyNumber, INT_MAX, labels[i]);
        if (!r.ok) return result.message = r.message, result;
        values.push_back({ModelKey(ids[i]), false, r.value, {}});
    }
    return SetSettingValues(product, values, {});
}

// "WxH": the rendering's width and height in pixels.
SSettingEditResult ApplyRenderSize(CProduct& product, std::string_view value)
{
    const RenderSizeResult size = ValidateRenderSize(value);
    if (!size.ok) return {false, size.message, 0};
    return SetSettingValues(
        product, {{ModelKey(kSetRenderWidth), false, size.width, {}}, {ModelKey(kSetRenderHeight), false, size.height, {}}},
        {});
}

// The number a value's text stands for, as the setting's row reads it: a
// value name, Yes or No, a colour, a light mask or a whole number with or
// without its unit. Text that is none of these becomes
// kUnreadableSettingValue, which the check refuses with the row's message.
bool ReadSettingValue(const CProduct& product, const SettingInfo& info, const std::string& value, CSettingValue& out,
                      std::string& error)
{
    out = {ModelKey(info.id), false, kUnreadableSettingValue, {}};
    switch (info.type) {
    case SettingType::Boolean: ParseYesNo(value, out.number); break;
    case SettingType::Choice:
        for (const SettingValueName& vn : GetSettingChoices(product, info))
            if (Lower(vn.name) == Lower(value) || std::to_string(vn.value) == value) {
                out.number = vn.value;
                break;
            }
        break;
    case SettingType::Integer: {
        const IntFieldResult r = ValidateIntField(WithoutUnit(value, info.unit), kAnyNumber, INT_MAX, DisplayName(info));
        if (!r.ok) return error = r.message, false;
        out.number = r.value;
        break;
    }
    case SettingType::Colour:
        if (unsigned c = 0; ParseColour(value, c)) out.number = static_cast<int>(c);
        break;
    case SettingType::Lights: {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 0);
        if (!value.empty() && *end == '\0' && v >= 0 && v <= static_cast<long>(kLightMaskAll)) out.number = static_cast<int>(v);
        break;
    }
    case SettingType::Text:
        out.isText = true;
        out.text = value;
        break;
    case SettingType::Real:
    case SettingType::None: break;
    }
    return true;
}

}  // namespace

bool ParseColour(std::string_view text, unsigned& colourRef)
{
    const std::string t = Trim(text);
    if (t.size() == 7 && t[0] == '#') {
        char* end = nullptr;
        const unsigned long v = std::strtoul(t.c_str() + 1, &end, 16);
        if (end != t.c_str() + 7) return false;
        colourRef = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        return true;
    }
    int r = 0, g = 0, b = 0;
    char tail = 0;
    if (std::sscanf(t.c_str(), "%d,%d,%d%c", &r, &g, &b, &tail) == 3) {
        if (r < 0 || g < 0 || b < 0 || r > 255 || g > 255 || b > 255) return false;
        colourRef = RGB(r, g, b);
        return true;
    }
    const std::string wanted = Lower(t);
    for (const NamedColor& c : GetNamedColors()) {
        if (Lower(c.name) == wanted) {
            colourRef = c.ToColorRef();
            return true;
        }
    }
    return false;
}

const SettingInfo* FindSettingByName(std::string_view rawName, std::string& error)
{
    const std::string name = Lower(Trim(rawName));
    std::vector<const SettingInfo*> byEdit, byLabel, bySection;
    for (const SettingInfo& info : GetSettingTable()) {
        if (!IsEditable(info)) continue;
        const std::string label = Lower(info.label), section = Lower(info.section);
        if (info.editLabel && Lower(info.editLabel) == name) byEdit.push_back(&info);
        if (label == name) byLabel.push_back(&info);
        if (name == section + "/" + label || name == section + " " + label || name == section + "." + label)
            bySection.push_back(&info);
    }
    for (const auto* list : {&byEdit, &bySection, &byLabel}) {
        if (list->size() == 1) return list->front();
    }
    if (byLabel.size() > 1) {
        error = "\"" + Trim(rawName) + "\" is ambiguous; name the section too, as in \"" +
                std::string(byLabel[0]->section) + "/" + byLabel[0]->label + "\".";
    } else {
        error = "Unknown setting \"" + Trim(rawName) + "\".";
    }
    return nullptr;
}

std::string FormatSettingValue(const CProduct& product, const SettingInfo& info)
{
    const SettingStore& s = product.GetSettings();
    const SettingKey key = ModelKey(info.id);
    char buf[64];
    switch (info.type) {
    case SettingType::Boolean: return s.GetInt(key) ? "Yes" : "No";
    case SettingType::Choice: {
        ChoiceList list = info.choices;
        if (info.id == kSetCDPosition && product.UsesBoxCDPositions()) list = ChoiceList::CDPositionBox;
        return GetValueName(list, s.GetInt(key));
    }
    case SettingType::Colour: {
        const unsigned c = static_cast<unsigned>(s.GetInt(key));
        std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
        return buf;
    }
    case SettingType::Lights: {
        std::snprintf(buf, sizeof buf, "0x%07X", static_cast<unsigned>(s.GetInt(key)));
        return buf;
    }
    case SettingType::Real: std::snprintf(buf, sizeof buf, "%g", s.GetReal(key)); return buf;
    case SettingType::Text: return s.GetText(key);
    case SettingType::Integer: {
        if (info.id >= kSetBrightness && info.id <= kSetBlueBalance) {
            std::snprintf(buf, sizeof buf, "%d%%", s.GetInt(key));
            return buf;
        }
        std::string v = std::to_string(s.GetInt(key));
        if (info.unit && info.unit[0] && std::string_view(info.unit) != "%") v += std::string(" ") + info.unit;
        else if (info.unit && std::string_view(info.unit) == "%") v += "%";
        return v;
    }
    case SettingType::None:
        if (info.id == kSetPageDepthRow) return FormatPageDepths(s);
        return {};
    }
    return {};
}

SSettingEditResult ApplySettingEdit(CProduct& product, std::string_view assignment, bool assumeYes)
{
    SSettingEditResult result;
    const std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        result.message = "Expected NAME=VALUE, got \"" + std::string(assignment) + "\".";
        return result;
    }
    const std::string lowerName = Lower(Trim(assignment.substr(0, eq)));
    if (lowerName == "page depth %" || lowerName == "page depth percentages")
        return ApplyPageDepths(product, assignment.substr(eq + 1));
    if (lowerName == "rendering size") return ApplyRenderSize(product, assignment.substr(eq + 1));
    std::string error;
    const SettingInfo* info = FindSettingByName(assignment.substr(0, eq), error);
    if (info == nullptr) {
        result.message = error;
        return result;
    }
    if (info->id == kSetPageDepthFront || info->id == kSetPageDepthBack || info->id == kSetPageDepthPages) {
        result.message = "The page depths are set together, as in \"Page Depth %=10/80/10\" (front cover / pages / back cover).";
        return result;
    }
    const std::string value = Trim(assignment.substr(eq + 1));
    CSettingValue edit;
    if (!ReadSettingValue(product, *info, value, edit, result.message)) return result;
    result = SetSettingValues(product, {edit}, [assumeYes](const std::string&) { return assumeYes; });
    if (!result.ok && result.message.empty())
        result.message = "The very dark colour was not set (add --yes to set it anyway).";
    return result;
}
