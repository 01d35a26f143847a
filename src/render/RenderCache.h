#pragma once
// Which prepared render data is up to date, by change code: "u", "d", "l", "r"
// (page-edge faces), "x" (layout preview), "y" (scratch picture, full render),
// "z" (finished picture, finishing steps only). A code never set is stale.

#include <map>
#include <string>
#include <string_view>

class CRenderCache {
public:
    bool IsUpToDate(std::string_view code) const;
    void SetUpToDate(std::string_view code);
    // Marks the code stale. The page edges "u", "d" and "r" are drawn into the
    // scratch picture, so they also make "y" and "z" stale. A stale "y" makes
    // "z" stale too: the finished picture is made from the scratch picture.
    void MarkStale(std::string_view code);
    void Clear()
    {
        m_flags.clear();
        ++m_changes;
    }

    // Grows with every MarkStale and Clear (never with SetUpToDate): a render
    // made from a copy of the document is still current while the count is
    // the one it started with.
    unsigned long long GetChangeCount() const noexcept { return m_changes; }

private:
    std::map<std::string, int, std::less<>> m_flags;
    unsigned long long m_changes = 0;
};
