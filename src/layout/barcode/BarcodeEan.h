#pragma once
// CBarcodeEan: EAN-13, EAN-8 and UPC-A symbols.
//
// Each digit is a symbol character of 7 modules, two bars and two spaces.
// Left-half digits use set A (odd parity, starting with a space) or set B
// (even parity), right-half digits set C (starting with a bar); C is A with
// dark and light exchanged, B is C read backwards. An EAN-13 number's first
// digit has no bars of its own: it chooses which of the six left digits use
// set B. Guards: 101 at both ends, 01010 in the middle.
//
// Layout (modules): EAN-13 11 quiet + 95 + 7 quiet, the first digit printed
// in the left quiet zone; UPC-A (an EAN-13 whose first digit is 0) 9 + 95 +
// 9, its first and last digits printed small outside the bars, whose own
// bars reach down as far as the guards; EAN-8 7 + 67 + 7.

#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/BarcodePlan.h"

#include <string>

class CBarcodeEan {
public:
    // Modules of a digit in set A, B or C ('1' dark).
    static std::string SetA(int digit);
    static std::string SetB(int digit);
    static std::string SetC(int digit);
    // Which left digits of an EAN-13 number use set B, by its first digit:
    // six letters 'A' or 'B'.
    static const char* LeftSets(int firstDigit);

    // Lays out `number`, a complete number (with check digit) of the kind;
    // false for another kind or a malformed number.
    static bool MakePlan(EBarcodeKind kind, const std::string& number, CBarcodePlan& plan);
};
