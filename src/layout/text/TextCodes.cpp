#include "layout/text/TextCodes.h"

// UTF-8 to code points; a byte that does not start a valid sequence is
// taken as a Latin-1 character, so any stored text still shows something.
std::vector<std::uint32_t> DecodeText(const std::string& text)
{
    std::vector<std::uint32_t> out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        std::uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : extra == 2 ? (c & 0x0Fu) : (c & 0x07u);
        bool ok = extra >= 0;
        if (ok && extra > 0) {
            if (i + static_cast<std::size_t>(extra) >= n)
                ok = false;
            for (int k = 1; ok && k <= extra; ++k) {
                if ((s[i + k] & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (s[i + k] & 0x3Fu);
            }
            if (ok && ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
                       cp > 0x10FFFF))
                ok = false;
        }
        if (!ok) {
            out.push_back(c);
            ++i;
        } else {
            out.push_back(cp);
            i += static_cast<std::size_t>(extra) + 1;
        }
    }
    return out;
}
