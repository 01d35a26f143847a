// Arbitrary bytes as the lock file beside a project: reading and describing
// its holder must not crash, and the names shown stay printable and short.

#include "app/project/ProjectLockFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SLockOwner owner;
    if (!owner.Parse(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    const std::string shown = owner.Describe();
    for (char c : owner.user + owner.host)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    if (owner.user.size() > 64 || owner.host.size() > 64 || shown.empty()) std::abort();
    return 0;
}
