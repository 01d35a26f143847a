#pragma once
// What a project file looked like when this program last read or wrote it:
// its size, modification time and a hash of its bytes, so that a save can
// tell whether another program changed the file in between.

#include <cstddef>
#include <cstdint>
#include <string>

struct SFileStamp {
    std::int64_t size = -1;  // -1: no file known
    std::int64_t mtimeNs = 0;
    std::uint64_t hash = 0;

    bool IsKnown() const noexcept { return size >= 0; }
    // FNV-1a, 64 bits.
    static std::uint64_t Hash(const std::uint8_t* data, std::size_t size) noexcept;
    // The file at `path` as it is now, whose content is `data`.
    static SFileStamp Of(const std::string& path, const std::uint8_t* data, std::size_t size);
    // Whether the file at `path` still holds what the stamp recorded: same
    // size and time, or (after a touch or a copy back) the same bytes.
    bool Matches(const std::string& path) const;
};
