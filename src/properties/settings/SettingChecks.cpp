#include "properties/settings/SettingChecks.h"

#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

#include <climits>
#include <cstdio>

namespace {

constexpr const char* kColorizeBlack = "You can not colorize the image to black.";
constexpr const char* kColorizeBlackAdvice =
    "\n\nPlease choose another color, or select an another Color Effect instead of Colorize.";
constexpr const char* kColorizeDark =
    "You have chosen to Colorize to a very dark color. This will result in the final image appearing very "
    "dark.\n\nAre you sure that you really want to do this?";
constexpr const char* kShadowWhite = "Shadows can not be white.";
constexpr const char* kShadowWhiteAdvice = "\n\nEither turn off Shadows or choose a different Shadow color.";
constexpr const char* kNoLight =
    "You must turn on at least one light if you want Shadows.\n\nEither turn off Shadows or turn on at least "
    "one light.";
constexpr const char* kTooManyLights = "You can not have more than 5 lights turned on.";
constexpr const char* kReflectionTable =
    "You can not combine Reflection with this Table Position.\n\nEither turn off Reflection or change the Table "
    "Position.";
constexpr const char* kReflectionHidden =
    "Reflections can not be combined with this Table Position, so will not be displayed.";

std::string_view TrimField(std::string_view s) noexcept {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The value a C-library integer conversion takes from the text: optional sign,
// leading digits, saturated to the int range (0 when there are no digits).
int LeadingNumber(std::string_view s) noexcept {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT_MAX) n = INT_MAX;
    if (n < INT_MIN) n = INT_MIN;
    return static_cast<int>(n);
}

}  // namespace

const char* const kBevelCoveredMessage =
    "You will not be able to see the Bevel with the new settings, as it is completely covered by the Border.";

CheckResult CheckColorizeColor(std::uint32_t colour, CheckPlace place, const QuestionCallback& ask) {
    colour &= 0xFFFFFFu;
    if (colour == 0) {
        std::string text = kColorizeBlack;
        if (place == CheckPlace::EffectsPage) text += kColorizeBlackAdvice;
        return CheckResult::Refuse(std::move(text));
    }
    const unsigned red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    if (red <= 64 && green <= 64 && blue <= 64) {
        // No is the default: without anyone to answer, the edit is refused.
        if (!ask || !ask(kColorizeDark)) return CheckResult::Refuse();
    }
    return CheckResult::Accept();
}

CheckResult CheckShadowColor(std::uint32_t colour, CheckPlace place) {
    if ((colour & 0xFFFFFFu) == 0xFFFFFFu) {
        std::string text = kShadowWhite;
        if (place == CheckPlace::EffectsPage) text += kShadowWhiteAdvice;
        return CheckResult::Refuse(std::move(text));
    }
    return CheckResult::Accept();
}

int CountLitLights(std::uint32_t mask) noexcept {
    int count = 0;
    for (int bit = 0; bit < 25; ++bit)
        if (mask & (1u << bit)) ++count;
    return count;
}

CheckResult CheckLights(std::uint32_t mask) {
    const int lit = CountLitLights(mask);
    if (lit == 0) return CheckResult::Refuse(kNoLight);
    if (lit > 5) return CheckResult::Refuse(kTooManyLights);
    return CheckResult::Accept();
}

CheckResult CheckReflectionWithTable(bool reflection, bool shadows, int tablePosition) {
    if (reflection && shadows && tablePosition == 1) return CheckResult::Refuse(kReflectionTable);
    return CheckResult::Accept();
}

CheckResult CheckTablePositionChoice(int newTablePosition, bool reflection) {
    if (newTablePosition == 1 && reflection) return CheckResult::Accept(kReflectionHidden);
    return CheckResult::Accept();
}

bool IsBevelCoveredByBorder(const SettingStore& store) noexcept {
    return store.GetInt(ModelKey(kSetBevel)) != 0 && store.GetInt(ModelKey(kSetBorders)) != 0 &&
           store.GetInt(ModelKey(kSetBorderSize)) >= store.GetInt(ModelKey(kSetBevelSize));
}

RenderSizeResult ValidateRenderSize(std::string_view text) {
    RenderSizeResult result;
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) {
        result.message = "Rendering Size wants WIDTHxHEIGHT in pixels, as in 2000x1500.";
        return result;
    }
    const IntFieldResult w = ValidateIntField(text.substr(0, x), kMinRenderSide, kMaxRenderSide, "Width", "pixels");
    const IntFieldResult h = ValidateIntField(text.substr(x + 1), kMinRenderSide, kMaxRenderSide, "Height", "pixels");
    result.message = !w.ok ? w.message : h.message;
    result.ok = w.ok && h.ok;
    result.width = w.value;
    result.height = h.value;
    return result;
}

IntFieldResult ValidateIntField(std::string_view text, int minimum, int maximum, std::string_view label,
                                std::string_view unit) {
    IntFieldResult result;
    const std::string name(label);
    const std::string_view field = TrimField(text);
    if (field.empty()) {
        result.message = name + " is blank.";
        return result;
    }
    const int value = LeadingNumber(field);
    if (std::to_string(value) != field) {
        result.message = name + " contains invalid characters.";
        return result;
    }
    if (value < minimum || value > maximum) {
        char range[64];
        std::snprintf(range, sizeof range, " must be between %d and %d", minimum, maximum);
        result.message = name + range;
        if (!unit.empty()) {
            result.message += ' ';
            result.message += unit;
        }
        result.message += '.';
        return result;
    }
    result.ok = true;
    result.value = value;
    return result;
}
