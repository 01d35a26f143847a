#pragma once
// Render-setting edits from the command line: NAME=VALUE where NAME is the
// setting's grid label (with its section when the label is shared, as in
// "Bevel Size" or "Bevel/Size") and VALUE a number, a value name, Yes/No or a
// colour; "Rendering Size=WxH" sets the rendering size in pixels. The text is
// read here; the checks and their messages are the setting command's, as in
// the property grid.

#include "app/SettingCommand.h"

#include <string>
#include <string_view>
#include <vector>

class CProduct;
struct SettingInfo;

// ok, the refusal or an information when ok, and the update mask of the change.
using SSettingEditResult = SSettingResult;

// The setting a name refers to; nullptr with `error` set when none or several match.
const SettingInfo* FindSettingByName(std::string_view name, std::string& error);

// Applies one NAME=VALUE. `assumeYes` answers Yes to the very-dark colorize question.
SSettingEditResult ApplySettingEdit(CProduct& product, std::string_view assignment, bool assumeYes);

// The value of a setting as the grid shows it ("Yes", "Buttonize", "#FF8000", "10 pixels").
std::string FormatSettingValue(const CProduct& product, const SettingInfo& info);

// Parses "#RRGGBB", "0xBBGGRR" is not accepted on purpose (ambiguous); also
// "R,G,B" and the named colours. Returns false when the text is no colour.
bool ParseColour(std::string_view text, unsigned& colourRef);
