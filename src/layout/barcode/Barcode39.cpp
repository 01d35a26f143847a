#include "layout/barcode/Barcode39.h"

namespace {

struct Entry {
    char c;
    const char* pattern;  // b s b s b s b s b, '1' = wide
};

// The published Code 39 table.
constexpr Entry kTable[] = {
    {'0', "000110100"}, {'1', "100100001"}, {'2', "001100001"}, {'3', "101100000"}, {'4', "000110001"},
    {'5', "100110000"}, {'6', "001110000"}, {'7', "000100101"}, {'8', "100100100"}, {'9', "001100100"},
    {'A', "100001001"}, {'B', "001001001"}, {'C', "101001000"}, {'D', "000011001"}, {'E', "100011000"},
    {'F', "001011000"}, {'G', "000001101"}, {'H', "100001100"}, {'I', "001001100"}, {'J', "000011100"},
    {'K', "100000011"}, {'L', "001000011"}, {'M', "101000010"}, {'N', "000010011"}, {'O', "100010010"},
    {'P', "001010010"}, {'Q', "000000111"}, {'R', "100000110"}, {'S', "001000110"}, {'T', "000010110"},
    {'U', "110000001"}, {'V', "011000001"}, {'W', "111000000"}, {'X', "010010001"}, {'Y', "110010000"},
    {'Z', "011010000"}, {'-', "010000101"}, {'.', "110000100"}, {' ', "011000100"}, {'*', "010010100"},
    {'$', "010101000"}, {'/', "010100010"}, {'+', "010001010"}, {'%', "000101010"},
};

}  // namespace

int CBarcode39::GetPattern(char c)
{
    for (const Entry& e : kTable) {
        if (e.c == c) {
            int bits = 0;
            for (int i = 0; i < 9; ++i)
                bits = (bits << 1) | (e.pattern[i] == '1' ? 1 : 0);
            return bits;
        }
    }
    return -1;
}

bool CBarcode39::IsValidData(const std::string& data)
{
    for (char c : data)
        if (GetPattern(c) < 0)
            return false;
    return true;
}

bool CBarcode39::SetData(const std::string& data)
{
    if (!IsValidData(data))
        return false;
    m_encoded = "*" + data + "*";
    return true;
}

long long CBarcode39::GetAlongModules() const
{
    return 16LL * static_cast<long long>(m_encoded.size()) + (m_quietZones ? 2 * kQuietModules : 0);
}

void CBarcode39::GetNaturalSize(int& width, int& height) const
{
    const long long along = GetAlongModules();
    const int length = along > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(along);
    if (m_angle == 900 || m_angle == 2700) {
        width = 16;
        height = length;
    } else {
        width = length;
        height = 16;
    }
}

// Walks the elements along the symbol's direction: 0 left to right from
// the left edge, 1800 right to left from the right edge, 900 bottom to top
// from the bottom edge, 2700 top to bottom from the top edge.
void CBarcode39::Draw(CContentBitmap& bitmap, int left, int top, int right, int bottom) const
{
    const bool vertical = m_angle == 900 || m_angle == 2700;
    const long long length = vertical ? static_cast<long long>(bottom) - top : static_cast<long long>(right) - left;
    const long long modules = GetAlongModules();
    if (length <= 0 || modules == 0)
        return;
    const long long m = length / modules;
    if (m == 0)
        return;  // too short: every element would be 0 pixels long
    // Distance from the starting edge: the centring remainder, then the quiet zone.
    long long pos = (length - modules * m) / 2 + (m_quietZones ? kQuietModules * m : 0);
    for (char c : m_encoded) {
        const int pattern = GetPattern(c);
        if (pattern < 0)
            continue;
        for (int e = 0; e < 10; ++e) {
            // Element 9 is the narrow gap after the character.
            const bool wide = e < 9 && (pattern & (1 << (8 - e))) != 0;
            const long long len = wide ? 3 * m : m;
            const COLORREF colour = (e % 2 == 0 && e < 9) ? 0x000000 : 0xFFFFFF;
            long long a = 0, b = 0;  // device span of the element along the direction
            switch (m_angle) {
            case 1800: a = right - pos - len; b = right - pos; break;
            case 900: a = bottom - pos - len; b = bottom - pos; break;
            case 2700: a = top + pos; b = top + pos + len; break;
            default: a = left + pos; b = left + pos + len; break;
            }
            if (vertical)
                bitmap.FillRect(left, static_cast<int>(a), right, static_cast<int>(b), colour);
            else
                bitmap.FillRect(static_cast<int>(a), top, static_cast<int>(b), bottom, colour);
            pos += len;
        }
    }
}
