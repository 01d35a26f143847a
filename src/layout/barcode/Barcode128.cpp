#include "layout/barcode/Barcode128.h"

#include <array>
#include <climits>

namespace {

// The published table of Code 128 symbol characters by value.
constexpr const char* kWidths[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

constexpr int kQuietModules = 10;
constexpr int kBarModules = 40;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* CBarcode128::GetWidths(int value) { return value >= 0 && value <= kStop ? kWidths[value] : ""; }

// Fewest symbol characters: cost[i][s] is the count needed for data[i..]
// when set s (0 = B, 1 = C) is current at position i. In set C a pair of
// digits costs one; otherwise a switch (one) to the other set is needed.
// A switch is only considered where the new set can take the next
// character, so the table fills from the end without cycles.
std::vector<int> CBarcode128::Encode(const std::string& data)
{
    const std::size_t n = data.size();
    if (n == 0)
        return {};
    for (char c : data)
        if (c < ' ' || c > '~')
            return {};
    constexpr int kB = 0, kC = 1;
    const auto pairAt = [&](std::size_t i) { return i + 1 < n && IsDigit(data[i]) && IsDigit(data[i + 1]); };
    std::vector<std::array<int, 2>> cost(n + 1, {0, 0});
    for (std::size_t k = n; k-- > 0;) {
        const int stayB = 1 + cost[k + 1][kB];
        const int stayC = pairAt(k) ? 1 + cost[k + 2][kC] : INT_MAX / 2;
        cost[k][kB] = std::min(stayB, 1 + stayC);
        cost[k][kC] = std::min(stayC, 1 + stayB);
    }
    std::vector<int> values;
    int set = pairAt(0) && cost[0][kC] < cost[0][kB] ? kC : kB;
    values.push_back(set == kC ? kStartC : kStartB);
    for (std::size_t i = 0; i < n;) {
        const int stayB = 1 + cost[i + 1][kB];
        const int stayC = pairAt(i) ? 1 + cost[i + 2][kC] : INT_MAX / 2;
        const int want = set == kB ? (1 + stayC < stayB ? kC : kB) : (stayC <= 1 + stayB ? kC : kB);
        if (want != set) {
            values.push_back(want == kC ? kCodeC : kCodeB);
            set = want;
        }
        if (set == kC) {
            values.push_back((data[i] - '0') * 10 + (data[i + 1] - '0'));
            i += 2;
        } else {
            values.push_back(data[i] - ' ');
            i += 1;
        }
    }
    long long sum = values[0];
    for (std::size_t i = 1; i < values.size(); ++i)
        sum += static_cast<long long>(values[i]) * static_cast<long long>(i);
    values.push_back(static_cast<int>(sum % 103));
    values.push_back(kStop);
    return values;
}

bool CBarcode128::MakePlan(const std::string& data, CBarcodePlan& plan)
{
    plan = CBarcodePlan();
    const std::vector<int> values = Encode(data);
    if (values.empty())
        return false;
    plan.SetBarModules(kBarModules);
    plan.AddQuietZone(kQuietModules);
    const int start = plan.GetCursor();
    for (int value : values)
        plan.AddWidths(GetWidths(value));
    plan.AddText(data, start, plan.GetCursor());
    plan.AddQuietZone(kQuietModules);
    return true;
}
