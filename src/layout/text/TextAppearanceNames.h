#pragma once
// The names of the text appearances by number (kTextNormal .. kTextOutline),
// as the text's properties and the command line show them.

#include "layout/text/DrawText.h"

#include <iterator>

inline constexpr const char* kTextAppearanceNames[] = {"Normal", "Bordered", "Extrude", "Indent", "Outline"};
static_assert(std::size(kTextAppearanceNames) == kTextOutline + 1);
