#pragma once
// The characters of a stored text as Unicode code points.

#include <cstdint>
#include <string>
#include <vector>

// UTF-8 to code points; a byte that does not start a valid sequence is
// taken as a Latin-1 character, so any stored text still shows something.
std::vector<std::uint32_t> DecodeText(const std::string& text);
