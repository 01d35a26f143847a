#include "layout/barcode/BarcodeKind.h"

#include "layout/barcode/Barcode39.h"

#include <cctype>

namespace {

constexpr const char* kNames[kBarcodeKindCount] = {"Code 39", "EAN-13", "EAN-8", "UPC-A", "Code 128"};
constexpr const char* kShortNames[kBarcodeKindCount] = {"code39", "ean13", "ean8", "upca", "code128"};

bool IsDigits(const std::string& data)
{
    for (char c : data)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

const char* GetBarcodeKindName(EBarcodeKind kind)
{
    const auto i = static_cast<std::uint32_t>(kind);
    return i < kBarcodeKindCount ? kNames[i] : "";
}

bool ParseBarcodeKind(std::string_view text, EBarcodeKind& kind)
{
    std::string folded;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_')
            continue;
        folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (std::uint32_t i = 0; i < kBarcodeKindCount; ++i) {
        if (folded == kShortNames[i]) {
            kind = static_cast<EBarcodeKind>(i);
            return true;
        }
    }
    return false;
}

bool IsBarcodeKind(std::uint32_t value) { return value < kBarcodeKindCount; }

int GetNumberLength(EBarcodeKind kind)
{
    switch (kind) {
    case EBarcodeKind::Ean13: return 13;
    case EBarcodeKind::Ean8: return 8;
    case EBarcodeKind::UpcA: return 12;
    default: return 0;
    }
}

int ComputeCheckDigit(std::string_view digits)
{
    int sum = 0;
    int weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

bool CheckBarcodeData(EBarcodeKind kind, const std::string& data, std::string& complete, std::string& message)
{
    if (data.empty()) {
        message = "Please enter a Barcode.";
        return false;
    }
    if (kind == EBarcodeKind::Code39 || kind == EBarcodeKind::Code128) {
        bool valid = true;
        if (kind == EBarcodeKind::Code39)
            valid = CBarcode39::IsValidData(data);
        else
            for (char c : data)
                valid = valid && c >= ' ' && c <= '~';
        if (!valid) {
            message = "Barcode includes invalid characters.";
            return false;
        }
        complete = data;
        return true;
    }
    if (!IsBarcodeKind(static_cast<std::uint32_t>(kind))) {
        message = "This kind of barcode is not known.";
        return false;
    }
    if (!IsDigits(data)) {
        message = "Barcode includes invalid characters.";
        return false;
    }
    const std::size_t length = static_cast<std::size_t>(GetNumberLength(kind));
    const std::string name = GetBarcodeKindName(kind);
    if (data.size() != length && data.size() != length - 1) {
        message = std::string(kind == EBarcodeKind::Ean13 || kind == EBarcodeKind::Ean8 ? "An " : "A ") + name +
                  " barcode has " + std::to_string(length - 1) + " digits, or " + std::to_string(length) +
                  " with its check digit.";
        return false;
    }
    const int check = ComputeCheckDigit(std::string_view(data).substr(0, length - 1));
    if (data.size() == length && data.back() - '0' != check) {
        message = "The check digit of this " + name + " number is " + std::to_string(check) + ", not " +
                  data.back() + ".";
        return false;
    }
    complete = data.substr(0, length - 1) + static_cast<char>('0' + check);
    return true;
}
