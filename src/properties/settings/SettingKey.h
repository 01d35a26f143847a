#pragma once
// Identity of one stored setting: a 24-bit number and a one-character category
// ('M' model-level render settings, 'S' side appearance settings).

#include <cstdint>

struct SettingKey {
    std::uint32_t id = 0;  // only the low 24 bits are kept
    char category = 'M';

    constexpr SettingKey() noexcept = default;
    constexpr SettingKey(std::uint32_t settingId, char settingCategory = 'M') noexcept
        : id(settingId & 0xFFFFFFu), category(settingCategory) {}

    // (category << 24) | id: the form stored in project files and hashed by the store.
    constexpr std::uint32_t Packed() const noexcept {
        return (std::uint32_t(static_cast<unsigned char>(category)) << 24) | (id & 0xFFFFFFu);
    }
    static constexpr SettingKey FromPacked(std::uint32_t packed) noexcept {
        return SettingKey(packed & 0xFFFFFFu, static_cast<char>(packed >> 24));
    }

    friend constexpr bool operator==(const SettingKey& a, const SettingKey& b) noexcept {
        return a.id == b.id && a.category == b.category;
    }
};

// Shorthands for the two categories in use.
constexpr SettingKey ModelKey(std::uint32_t id) noexcept { return SettingKey(id, 'M'); }
constexpr SettingKey SideKey(std::uint32_t id) noexcept { return SettingKey(id, 'S'); }
