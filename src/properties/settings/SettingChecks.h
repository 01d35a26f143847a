#pragma once
// Consistency checks on render settings, run when the user confirms a colour
// or a set of effect options, and the whole-number field check shared by the
// edit dialogs. A refused value keeps the previous one; the caller shows the
// message (when there is one) and leaves its editor open.

#include "properties/UserPrompts.h"

#include <cstdint>
#include <string>
#include <string_view>

class SettingStore;

struct CheckResult {
    bool accepted = true;
    // For a refusal: the error text, empty when the user refused by answering
    // No. For an acceptance: an information to show, usually empty.
    std::string message;

    static CheckResult Accept(std::string info = {}) { return CheckResult{true, std::move(info)}; }
    static CheckResult Refuse(std::string text = {}) { return CheckResult{false, std::move(text)}; }
};

// Where a check runs: the property grid's in-place editor or the effects pages
// (whose messages carry a second sentence of advice).
enum class CheckPlace { Grid, EffectsPage };

// Color Effect Color (colorize): black is refused; a colour whose red, green
// and blue are all 64 or less needs a Yes to the very-dark question.
CheckResult CheckColorizeColor(std::uint32_t colour, CheckPlace place, const QuestionCallback& ask);

// Shadow Color: pure white is refused.
CheckResult CheckShadowColor(std::uint32_t colour, CheckPlace place);

// Lit positions of a 5 x 5 light mask (bits 0..24).
int CountLitLights(std::uint32_t mask) noexcept;

// Lights with Shadows on: between one and five lights.
CheckResult CheckLights(std::uint32_t mask);

// Effects page: Reflection with Shadows and the vertical table is refused.
CheckResult CheckReflectionWithTable(bool reflection, bool shadows, int tablePosition);

// Grid: choosing Table Position 1 while Reflection is on is allowed and informs.
CheckResult CheckTablePositionChoice(int newTablePosition, bool reflection);

// After an edit of Bevel, Bevel Size, Borders or Border Size: true when both
// are on and the border is at least as wide as the bevel.
bool IsBevelCoveredByBorder(const SettingStore& store) noexcept;
extern const char* const kBevelCoveredMessage;

struct IntFieldResult {
    bool ok = false;
    int value = 0;
    std::string message;  // set when !ok
};

// Trims the text, then refuses, in this order: empty text ("%s is blank."),
// text that is not exactly the decimal form of its value ("%s contains invalid
// characters."), and values outside minimum..maximum ("%s must be between %d
// and %d." or, with a unit word, "%s must be between %d and %d %s."). %s is the
// field's label.
IntFieldResult ValidateIntField(std::string_view text, int minimum, int maximum, std::string_view label,
                                std::string_view unit = {});

// The rendering size "WxH" (blanks around the numbers allowed): width and
// height in pixels, each kMinRenderSide..kMaxRenderSide.
struct RenderSizeResult {
    bool ok = false;
    int width = 0, height = 0;
    std::string message;  // set when !ok
};
RenderSizeResult ValidateRenderSize(std::string_view text);
