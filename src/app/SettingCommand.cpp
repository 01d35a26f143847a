#include "app/SettingCommand.h"

#include "app/undo/SettingEditRecord.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingChecks.h"
#include "properties/settings/SettingStore.h"

#include <string_view>

namespace {

bool IsPageDepth(std::uint32_t id) noexcept
{
    return id == kSetPageDepthFront || id == kSetPageDepthPages || id == kSetPageDepthBack;
}

// The value `id` has after the change: the change's own, else the stored one.
int ValueAfter(const CProduct& product, const std::vector<CSettingValue>& values, std::uint32_t id)
{
    for (const CSettingValue& v : values)
        if (v.key == ModelKey(id) && !v.isText)
            return v.number;
    return product.GetSettings().GetInt(ModelKey(id));
}

std::string LabelOf(const SettingInfo& info)
{
    return info.editLabel && info.editLabel[0] ? info.editLabel : info.label;
}

std::string RangeRefusal(int value, int minimum, int maximum, std::string_view label, std::string_view unit)
{
    const IntFieldResult r = ValidateIntField(std::to_string(value), minimum, maximum, label, unit);
    return r.ok ? std::string() : r.message;
}

CheckResult CheckRange(int value, int minimum, int maximum, std::string_view label, std::string_view unit)
{
    std::string refusal = RangeRefusal(value, minimum, maximum, label, unit);
    return refusal.empty() ? CheckResult::Accept() : CheckResult::Refuse(std::move(refusal));
}

// The three page depths: each 0..100 %, together 100.
std::string CheckPageDepths(const CProduct& product, const std::vector<CSettingValue>& values)
{
    const std::uint32_t ids[3] = {kSetPageDepthFront, kSetPageDepthPages, kSetPageDepthBack};
    const char* labels[3] = {"Front Cover", "Pages", "Back Cover"};
    int total = 0;
    for (int i = 0; i < 3; ++i) {
        const int v = ValueAfter(product, values, ids[i]);
        if (std::string refusal = RangeRefusal(v, 0, 100, labels[i], "%"); !refusal.empty())
            return refusal;
        total += v;
    }
    return total == 100 ? std::string() : "The page depth percentages must add up to 100.";
}

// Lights with Shadows on: one to five lit.
CheckResult CheckShadowLights(const CProduct& product, const std::vector<CSettingValue>& values)
{
    if (ValueAfter(product, values, kSetShadows) == 0)
        return CheckResult::Accept();
    return CheckLights(static_cast<std::uint32_t>(ValueAfter(product, values, kSetLights)));
}

CheckResult CheckColour(const SettingInfo& info, int value, const QuestionCallback& ask)
{
    if (value < 0 || value > 0xFFFFFF)
        return CheckResult::Refuse(LabelOf(info) + " must be a colour such as #FF8000, 255,128,0 or a colour name.");
    const auto colour = static_cast<std::uint32_t>(value);
    if (info.id == kSetColorEffectColor)
        return CheckColorizeColor(colour, CheckPlace::Grid, ask);
    if (info.id == kSetShadowColor)
        return CheckShadowColor(colour, CheckPlace::Grid);
    return CheckResult::Accept();
}

// One value against its row; the dependencies between rows are checked after.
CheckResult CheckValue(const CProduct& product, const SettingInfo& info, const CSettingValue& v,
                       const QuestionCallback& ask)
{
    const std::string label = LabelOf(info);
    switch (info.type) {
    case SettingType::Boolean:
        if (v.number != 0 && v.number != 1)
            return CheckResult::Refuse(label + " must be Yes or No.");
        return CheckResult::Accept();
    case SettingType::Choice: {
        std::string names;
        for (const SettingValueName& vn : GetSettingChoices(product, info)) {
            if (vn.value == v.number)
                return CheckResult::Accept();
            names += (names.empty() ? "\"" : ", \"") + std::string(vn.name) + "\"";
        }
        return CheckResult::Refuse(label + " must be one of " + names + ".");
    }
    case SettingType::Integer: {
        if (info.id == kSetRenderWidth || info.id == kSetRenderHeight)
            return CheckRange(v.number, kMinRenderSide, kMaxRenderSide, info.id == kSetRenderWidth ? "Width" : "Height",
                              "pixels");
        if (info.range == RangeKind::None)
            return CheckResult::Accept();
        int minimum = 0, maximum = 0;
        GetSettingRange(product, info, minimum, maximum);
        return CheckRange(v.number, minimum, maximum, label, info.unit ? info.unit : "");
    }
    case SettingType::Colour: return CheckColour(info, v.number, ask);
    case SettingType::Lights:
        if (v.number < 0 || static_cast<std::uint32_t>(v.number) > kLightMaskAll)
            return CheckResult::Refuse(label + " must be a 25-bit light mask such as 0x100.");
        return CheckResult::Accept();
    case SettingType::Text: return CheckResult::Accept();
    case SettingType::Real:
    case SettingType::None: break;
    }
    return CheckResult::Refuse(label + " can not be set here.");
}

// What the user should know about an accepted change that is stored but
// does not show as they may expect.
std::string InformationAbout(const CProduct& product, const std::vector<CSettingValue>& values)
{
    std::string info;
    const bool reflection = ValueAfter(product, values, kSetReflection) != 0;
    for (const CSettingValue& v : values) {
        if (v.key == ModelKey(kSetReflection) && v.number == 1 && ValueAfter(product, values, kSetTablePosition) == 1)
            info = CheckTablePositionChoice(1, true).message;
        if (v.key == ModelKey(kSetTablePosition))
            info = CheckTablePositionChoice(v.number, reflection).message;
    }
    return info;
}

bool TouchesBevelOrBorder(const std::vector<CSettingValue>& values)
{
    for (const CSettingValue& v : values)
        if (v.key == ModelKey(kSetBevel) || v.key == ModelKey(kSetBevelSize) || v.key == ModelKey(kSetBorders) ||
            v.key == ModelKey(kSetBorderSize))
            return true;
    return false;
}

bool IsStored(const SettingStore& store, const CSettingValue& v)
{
    if (v.isText) {
        const std::string* now = store.LookupText(v.key);
        return now && *now == v.text;
    }
    const std::int32_t* now = store.LookupInt(v.key);
    return now && *now == v.number;
}

SSettingResult Store(CProduct& product, const std::vector<CSettingValue>& values, std::string information)
{
    SSettingResult result;
    SettingStore& store = product.GetSettings();
    for (const CSettingValue& v : values)
        result.updateMask |= v.isText ? store.SetText(v.key, v.text) : store.SetInt(v.key, v.number);
    if (TouchesBevelOrBorder(values) && IsBevelCoveredByBorder(store))
        information = kBevelCoveredMessage;
    result.ok = true;
    result.message = std::move(information);
    return result;
}

}  // namespace

ValueNameList GetSettingChoices(const CProduct& product, const SettingInfo& info)
{
    if (info.id == kSetCDPosition && product.UsesBoxCDPositions())
        return GetValueNames(ChoiceList::CDPositionBox);
    return GetValueNames(info.choices);
}

void GetSettingRange(const CProduct& product, const SettingInfo& info, int& minimum, int& maximum)
{
    minimum = info.minimum;
    maximum = info.maximum;
    const SettingStore& s = product.GetSettings();
    if (info.range == RangeKind::BorderLimit)
        maximum = GetBorderBevelLimit(s.GetInt(ModelKey(kSetRenderWidth)), s.GetInt(ModelKey(kSetRenderHeight)));
}

SSettingResult CheckSettingValues(const CProduct& product, const std::vector<CSettingValue>& values,
                                  const QuestionCallback& ask)
{
    SSettingResult result;
    bool pageDepths = false, lights = false;
    for (const CSettingValue& v : values) {
        const SettingInfo* info = v.key.category == 'M' ? FindSetting(v.key.id) : nullptr;
        if (info == nullptr)
            return result.message = "There is no such setting.", result;
        pageDepths |= IsPageDepth(info->id);
        lights |= info->id == kSetLights || (info->id == kSetShadows && v.number == 1);
        if (IsPageDepth(info->id))
            continue;
        CheckResult check = CheckValue(product, *info, v, ask);
        if (!check.accepted)
            return result.message = std::move(check.message), result;
    }
    if (pageDepths)
        if (std::string refusal = CheckPageDepths(product, values); !refusal.empty())
            return result.message = std::move(refusal), result;
    if (lights)
        if (CheckResult check = CheckShadowLights(product, values); !check.accepted)
            return result.message = std::move(check.message), result;
    result.ok = true;
    result.message = InformationAbout(product, values);
    return result;
}

SSettingResult SetSettingValues(CProduct& product, const std::vector<CSettingValue>& values,
                                const QuestionCallback& ask)
{
    SSettingResult check = CheckSettingValues(product, values, ask);
    if (!check.ok)
        return check;
    return Store(product, values, std::move(check.message));
}

SSettingResult SetSettingValues(CVtwinDoc& doc, CUndoStore& undo, const std::vector<CSettingValue>& values,
                                const std::string& undoText, const QuestionCallback& ask)
{
    CProduct* product = doc.GetProduct();
    if (product == nullptr)
        return {};
    SSettingResult check = CheckSettingValues(*product, values, ask);
    if (!check.ok)
        return check;
    bool changed = false;
    unsigned expected = 0;
    for (const CSettingValue& v : values)
        if (!IsStored(product->GetSettings(), v)) {
            changed = true;
            expected |= GetUpdateClass(v.key.id);
        }
    if (!changed)
        return check;
    undo.Push(std::make_unique<CSettingEditRecord>(doc, undoText, expected), true);
    return Store(*product, values, std::move(check.message));
}
