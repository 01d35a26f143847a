#include "layout/barcode/BarcodeEan.h"

#include <algorithm>

namespace {

// Set A: each digit's 7 modules, space first.
constexpr const char* kSetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                   "0110001", "0101111", "0111011", "0110111", "0001011"};

// Left-half sets of an EAN-13 number by its first digit.
constexpr const char* kLeftSets[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                       "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

constexpr int kBarModules13 = 69;  // bar height of EAN-13 and UPC-A at the nominal size
constexpr int kBarModules8 = 55;   // of EAN-8

bool IsNumber(const std::string& number, std::size_t length)
{
    return number.size() == length &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string CBarcodeEan::SetA(int digit) { return kSetA[digit]; }

std::string CBarcodeEan::SetC(int digit)
{
    std::string modules = kSetA[digit];
    for (char& c : modules)
        c = c == '1' ? '0' : '1';
    return modules;
}

std::string CBarcodeEan::SetB(int digit)
{
    std::string modules = SetC(digit);
    std::reverse(modules.begin(), modules.end());
    return modules;
}

const char* CBarcodeEan::LeftSets(int firstDigit) { return kLeftSets[firstDigit]; }

bool CBarcodeEan::MakePlan(EBarcodeKind kind, const std::string& number, CBarcodePlan& plan)
{
    plan = CBarcodePlan();
    const auto digit = [&number](std::size_t i) { return number[i] - '0'; };
    if (kind == EBarcodeKind::Ean8) {
        if (!IsNumber(number, 8))
            return false;
        plan.SetBarModules(kBarModules8);
        plan.AddQuietZone(7);
        plan.AddModules("101", true);
        const int left = plan.GetCursor();
        for (std::size_t i = 0; i < 4; ++i)
            plan.AddModules(SetA(digit(i)), false);
        plan.AddText(number.substr(0, 4), left, plan.GetCursor());
        plan.AddModules("01010", true);
        const int right = plan.GetCursor();
        for (std::size_t i = 4; i < 8; ++i)
            plan.AddModules(SetC(digit(i)), false);
        plan.AddText(number.substr(4, 4), right, plan.GetCursor());
        plan.AddModules("101", true);
        plan.AddQuietZone(7);
        return true;
    }

    // EAN-13 and UPC-A share their bars: a UPC-A number is an EAN-13 number
    // whose first digit is 0.
    std::string ean;
    if (kind == EBarcodeKind::Ean13 && IsNumber(number, 13))
        ean = number;
    else if (kind == EBarcodeKind::UpcA && IsNumber(number, 12))
        ean = "0" + number;
    else
        return false;
    const bool upc = kind == EBarcodeKind::UpcA;
    const int quiet = upc ? 9 : 11;
    plan.SetBarModules(kBarModules13);
    plan.AddQuietZone(quiet);
    if (upc)
        plan.AddText(number.substr(0, 1), 0, quiet - 1, true);
    else
        plan.AddText(number.substr(0, 1), quiet - 8, quiet - 1);
    plan.AddModules("101", true);
    const char* sets = LeftSets(ean[0] - '0');
    int textStart = plan.GetCursor();
    for (std::size_t i = 1; i <= 6; ++i) {
        const int d = ean[i] - '0';
        // UPC-A's first digit has guard-length bars and is printed outside.
        plan.AddModules(sets[i - 1] == 'B' ? SetB(d) : SetA(d), upc && i == 1);
        if (upc && i == 1)
            textStart = plan.GetCursor();
    }
    plan.AddText(ean.substr(upc ? 2 : 1, upc ? 5 : 6), textStart, plan.GetCursor());
    plan.AddModules("01010", true);
    textStart = plan.GetCursor();
    int textEnd = 0;
    for (std::size_t i = 7; i <= 12; ++i) {
        if (upc && i == 12)
            textEnd = plan.GetCursor();
        plan.AddModules(SetC(ean[i] - '0'), upc && i == 12);
    }
    if (!upc)
        textEnd = plan.GetCursor();
    plan.AddText(ean.substr(7, upc ? 5 : 6), textStart, textEnd);
    plan.AddModules("101", true);
    if (upc)
        plan.AddText(number.substr(11, 1), plan.GetCursor() + 1, plan.GetCursor() + quiet, true);
    plan.AddQuietZone(upc ? quiet : 7);
    return true;
}
