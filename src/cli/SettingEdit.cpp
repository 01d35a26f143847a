#include "cli/SettingEdit.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "catalogue/NamedColors.h"
#include "image/Color.h"
#include "catalogue/Product.h"
#include "properties/SettingChecks.h"
#include "properties/SettingTable.h"

namespace {

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
    const char* labels[3] = {"Front Cover", "Pages", "Back Cover"};
    int v[3] = {0, 0, 0};
    if (n != 2) {
        result.message = "Page Depth % wants three numbers, as in 10/80/10 (front cover / pages / back cover).";
        return result;
    }
    for (int i = 0; i < 3; ++i) {
        const IntFieldResult r = ValidateIntField(parts[i], 0, 100, labels[i], "%");
        if (!r.ok) return result.message = r.message, result;
        v[i] = r.value;
    }
    if (v[0] + v[1] + v[2] != 100) {
        result.message = "The page depth percentages must add up to 100.";
        return result;
    }
    SettingStore& s = product.GetSettings();
    result.updateMask = s.SetInt(ModelKey(kSetPageDepthFront), v[0]) | s.SetInt(ModelKey(kSetPageDepthPages), v[1]) |
                        s.SetInt(ModelKey(kSetPageDepthBack), v[2]);
    result.ok = true;
    return result;
}

// "WxH": the rendering's width and height in pixels.
SSettingEditResult ApplyRenderSize(CProduct& product, std::string_view value)
{
    SSettingEditResult result;
    const std::string text = Trim(value);
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        result.message = "Rendering Size wants WIDTHxHEIGHT in pixels, as in 2000x1500.";
        return result;
    }
    const IntFieldResult w = ValidateIntField(text.substr(0, x), kMinRenderSide, kMaxRenderSide, "Width", "pixels");
    if (!w.ok) return result.message = w.message, result;
    const IntFieldResult h = ValidateIntField(text.substr(x + 1), kMinRenderSide, kMaxRenderSide, "Height", "pixels");
    if (!h.ok) return result.message = h.message, result;
    SettingStore& s = product.GetSettings();
    result.updateMask = s.SetInt(ModelKey(kSetRenderWidth), w.value) | s.SetInt(ModelKey(kSetRenderHeight), h.value);
    result.ok = true;
    return result;
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
    const std::string label = DisplayName(*info);
    SettingStore& s = product.GetSettings();
    const SettingKey key = ModelKey(info->id);
    int number = 0;

    switch (info->type) {
    case SettingType::Boolean:
        if (!ParseYesNo(value, number)) {
            result.message = label + " must be Yes or No.";
            return result;
        }
        if (info->id == kSetShadows && number == 1) {
            const CheckResult c = CheckLights(static_cast<unsigned>(s.GetInt(ModelKey(kSetLights))));
            if (!c.accepted) return result.message = c.message, result;
        }
        break;
    case SettingType::Choice: {
        ChoiceList list = info->choices;
        if (info->id == kSetCDPosition && product.UsesBoxCDPositions()) list = ChoiceList::CDPositionBox;
        bool found = false;
        for (const SettingValueName& vn : GetValueNames(list)) {
            if (Lower(vn.name) == Lower(value) || std::to_string(vn.value) == value) {
                number = vn.value;
                found = true;
                break;
            }
        }
        if (!found) {
            std::string names;
            for (const SettingValueName& vn : GetValueNames(list)) names += (names.empty() ? "\"" : ", \"") + std::string(vn.name) + "\"";
            result.message = label + " must be one of " + names + ".";
            return result;
        }
        break;
    }
    case SettingType::Integer: {
        int lo = info->minimum, hi = info->maximum;
        if (info->range == RangeKind::BorderLimit)
            hi = GetBorderBevelLimit(s.GetInt(ModelKey(kSetRenderWidth)), s.GetInt(ModelKey(kSetRenderHeight)));
        if (info->range == RangeKind::None) {
            lo = -2147483647;
            hi = 2147483647;
        }
        const IntFieldResult r = ValidateIntField(WithoutUnit(value, info->unit), lo, hi, label, info->unit ? info->unit : "");
        if (!r.ok) return result.message = r.message, result;
        number = r.value;
        break;
    }
    case SettingType::Colour: {
        unsigned c = 0;
        if (!ParseColour(value, c)) {
            result.message = label + " must be a colour such as #FF8000, 255,128,0 or a colour name.";
            return result;
        }
        number = static_cast<int>(c);
        if (info->id == kSetColorEffectColor) {
            const CheckResult check = CheckColorizeColor(c, CheckPlace::Grid, [assumeYes](const std::string&) { return assumeYes; });
            if (!check.accepted) {
                result.message = check.message.empty()
                                     ? "The very dark colour was not set (add --yes to set it anyway)."
                                     : check.message;
                return result;
            }
        }
        if (info->id == kSetShadowColor) {
            const CheckResult check = CheckShadowColor(c, CheckPlace::Grid);
            if (!check.accepted) return result.message = check.message, result;
        }
        break;
    }
    case SettingType::Lights: {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 0);
        if (value.empty() || *end != '\0' || v < 0 || v > 0x1FFFFFF) {
            result.message = label + " must be a 25-bit light mask such as 0x100.";
            return result;
        }
        if (s.GetInt(ModelKey(kSetShadows))) {
            const CheckResult check = CheckLights(static_cast<unsigned>(v));
            if (!check.accepted) return result.message = check.message, result;
        }
        number = static_cast<int>(v);
        break;
    }
    case SettingType::Text:
        result.updateMask = s.SetText(key, value);
        result.ok = true;
        return result;
    case SettingType::Real:
    case SettingType::None:
        result.message = label + " can not be set here.";
        return result;
    }

    if (info->id == kSetReflection && number == 1 && s.GetInt(ModelKey(kSetTablePosition)) == 1)
        result.message = CheckTablePositionChoice(1, true).message;  // stored, but not drawn
    if (info->id == kSetTablePosition) {
        const CheckResult check = CheckTablePositionChoice(number, s.GetInt(ModelKey(kSetReflection)) != 0);
        result.message = check.message;
    }
    result.updateMask = s.SetInt(key, number);
    if ((info->id == kSetBevel || info->id == kSetBevelSize || info->id == kSetBorders || info->id == kSetBorderSize) &&
        IsBevelCoveredByBorder(s))
        result.message = kBevelCoveredMessage;
    result.ok = true;
    return result;
}
