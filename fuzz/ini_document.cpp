// Arbitrary bytes as a settings file: parsing, lookups and edits must not
// crash, and whatever a put accepts must read back exactly, also after the
// text has been written out and parsed again.

#include "ground/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CIniDocument doc;
    doc.Parse(text);

    // Names and a value taken from the input itself, so they hit existing lines.
    const std::size_t a = size / 3, b = 2 * size / 3;
    const std::string section(text.substr(0, a < 12 ? a : 12));
    const std::string key(text.substr(a, (b - a) < 12 ? (b - a) : 12));
    const std::string value(text.substr(b));

    (void)doc.GetInt(section, key, 7);
    (void)doc.GetKeys(section);
    (void)doc.GetSections();
    for (const std::string& s : doc.GetSections()) (void)doc.GetKeys(s);

    if (doc.PutString(section, key, value)) {
        if (doc.GetString(section, key, "?") != value) std::abort();
        CIniDocument again;
        again.Parse(doc.ToText());
        if (again.GetString(section, key, "?") != value) std::abort();
        if (again.ToText() != doc.ToText()) std::abort();
    }
    doc.DeleteKey(section, key);
    return 0;
}
