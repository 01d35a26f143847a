#include "cli/edit/CliFaces.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/VtwinDoc.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/Appearance.h"
#include "properties/settings/SettingTable.h"

namespace {

// Tab order of the desktop program; "C" is the CD-ROM's surface.
constexpr const char* kFaceOrder[] = {"F", "S", "L", "R", "U", "D", "B", "l", "r", "u", "d", "C", "G"};

std::string Lower(const std::string& text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value) && std::fabs(value) < 1e7;
}

bool ParsePair(const std::string& text, const char* separators, double perMm, int& a, int& b)
{
    const std::size_t at = text.find_first_of(separators);
    if (at == std::string::npos) return false;
    double x = 0, y = 0;
    if (!ParseNumber(text.substr(0, at), x) || !ParseNumber(text.substr(at + 1), y)) return false;
    if (perMm > 0) {
        x *= perMm;
        y *= perMm;
    }
    a = static_cast<int>(std::lround(x));
    b = static_cast<int>(std::lround(y));
    return true;
}

}  // namespace

std::vector<std::string> GetEditableFaceKeys(const CProduct& product)
{
    std::vector<std::string> keys;
    for (const char* key : kFaceOrder)
        if (product.FindSidePtr(key) != nullptr) keys.emplace_back(key);
    return keys;
}

std::string GetFaceTabName(const std::string& key)
{
    if (key == "C") return "CD-ROM";
    return GetSideName(key);
}

std::string FindFaceKey(const CProduct& product, const std::string& name, std::string& error)
{
    const std::vector<std::string> keys = GetEditableFaceKeys(product);
    for (const std::string& key : keys)
        if (name == key) return key;
    for (const std::string& key : keys)
        if (Lower(name) == Lower(GetFaceTabName(key))) return key;
    std::string known;
    for (const std::string& key : keys) known += (known.empty() ? "" : ", ") + GetFaceTabName(key);
    error = "this " + std::string(product.GetKindName()) + " has no face \"" + name + "\" (faces: " + known + ")";
    return {};
}

std::string FindFaceKeyForEdit(CProduct& product, const std::string& name, bool& added, std::string& error)
{
    added = false;
    const bool back = name == kBackFaceKey || Lower(name) == Lower(GetSideName(kBackFaceKey));
    if (back && CanHaveBackFace(product) && !HasBackFace(product)) {
        if (!AddBackFace(product, error)) return {};
        added = true;
    }
    return FindFaceKey(product, name, error);
}

bool ParseFacePoint(const std::string& text, double perMm, int& x, int& y)
{
    return ParsePair(text, ",", perMm, x, y);
}

bool ParseFaceSize(const std::string& text, double perMm, int& width, int& height)
{
    return ParsePair(text, "xX", perMm, width, height) && width > 0 && height > 0;
}
