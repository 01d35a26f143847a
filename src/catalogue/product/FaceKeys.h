#pragma once
// The side key of a face as its tab names it ("Front" -> "F", "Pages (Top)"
// -> "u", "Back" -> "B", "Background" -> "G", "CD-ROM" -> "C"); empty for any
// other name (the render's working pictures included).

#include <string_view>

std::string_view FaceKeyOfName(std::string_view name) noexcept;
