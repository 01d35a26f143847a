#pragma once
// The printed size of a rendering: its pixels at the project's resolution.

#include <string>

class SettingStore;

// The resolution of a product's rendering in dots per inch: the "Resolution"
// setting, or the resolution of older projects when it is missing or out of range.
int GetRenderResolution(const SettingStore& store) noexcept;

// "13.3 x 13.3 cm at 300 dpi": width and height in pixels printed at `dpi`,
// in centimetres with one decimal.
std::string FormatPrintSize(int width, int height, int dpi);
