#pragma once
// CBarcode128: Code 128 symbols of printable ASCII.
//
// A symbol character is 11 modules: three bars and three spaces of 1 to 4
// modules each. Values 0 to 102 carry data, 103 to 105 start the symbol in
// code set A, B or C; the stop character is 13 modules (its last bar the
// termination bar). Set B carries space to '~' as values 0 to 94; set C
// carries a pair of digits as its value 00 to 99; value 99 in set B and 100
// in set C switch to the other set. The check character is the start value
// plus each following value times its position (1, 2, ...), modulo 103.
//
// The encoder picks the sets that give the fewest symbol characters (runs
// of digits go in set C when that is shorter). Quiet zones of 10 modules on
// both sides; the data is printed under the bars.

#include "layout/barcode/BarcodePlan.h"

#include <string>
#include <vector>

class CBarcode128 {
public:
    static constexpr int kStartB = 104, kStartC = 105, kCodeB = 100, kCodeC = 99, kStop = 106;

    // Bar and space widths of a value 0..106 ("211214"; the stop has seven).
    static const char* GetWidths(int value);
    // The symbol's values: start, data, check, stop. Empty when a character
    // is outside space to '~' or the data is empty.
    static std::vector<int> Encode(const std::string& data);
    static bool MakePlan(const std::string& data, CBarcodePlan& plan);
};
