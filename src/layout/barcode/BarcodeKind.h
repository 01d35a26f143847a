#pragma once
// The symbologies a barcode object can print, and the checks their data
// must pass before a symbol is made of it.
//
// Code 39 takes its character set as it stands. EAN-13, EAN-8 and UPC-A
// take digits only: the number without its check digit (12, 7 or 11
// digits), whose check digit is then computed, or the whole number, whose
// last digit must be the check digit. Code 128 takes printable ASCII
// (space to '~').

#include <cstdint>
#include <string>
#include <string_view>

enum class EBarcodeKind : std::uint32_t {
    Code39 = 0,
    Ean13 = 1,
    Ean8 = 2,
    UpcA = 3,
    Code128 = 4,
};

constexpr std::uint32_t kBarcodeKindCount = 5;

// "Code 39", "EAN-13", "EAN-8", "UPC-A", "Code 128".
const char* GetBarcodeKindName(EBarcodeKind kind);
// Accepts a kind's name or its short form without spaces and hyphens, in
// any case ("EAN-13", "ean13", "code128", "UPC-A", "upca").
bool ParseBarcodeKind(std::string_view text, EBarcodeKind& kind);
bool IsBarcodeKind(std::uint32_t value);

// Digits of an EAN-13, EAN-8 or UPC-A number with its check digit; 0 for
// the other kinds.
int GetNumberLength(EBarcodeKind kind);

// The check digit of a run of digits (the number without its check digit):
// weights 3 and 1 alternate from the rightmost digit, which weighs 3, and
// the check digit brings the weighted sum up to a multiple of 10.
int ComputeCheckDigit(std::string_view digits);

// Checks `data` for `kind`. On success `complete` is what the symbol
// encodes (EAN and UPC numbers with their check digit) and true is
// returned; otherwise `message` says what is wrong, in the user's words.
bool CheckBarcodeData(EBarcodeKind kind, const std::string& data, std::string& complete, std::string& message);
