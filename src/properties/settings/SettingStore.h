#pragma once
// Keyed value store for settings: three independent maps (whole numbers, reals,
// texts). A missing key reads as 0, 0.0 or "". Storing a value that differs from
// the stored one (or storing a new key) returns the update class of the key's id,
// which names the prepared render data that became stale; storing the same value
// returns 0.
//
// Each map is a chained hash table of 17 buckets: bucket = packed key % 17, new
// entries go to the head of their chain. Iteration (ForEach..., Get...Entries)
// walks buckets 0..16 and each chain from its head; project files are written in
// that order, so it must not change.

#include "properties/settings/SettingKey.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

template <typename T>
class CSettingMap {
public:
    static constexpr std::size_t kBucketCount = 17;

    struct Entry {
        SettingKey key;
        T value;
    };

    const T* Lookup(SettingKey key) const noexcept {
        if (m_Buckets.empty()) return nullptr;
        for (const Entry& e : m_Buckets[Bucket(key)])
            if (e.key == key) return &e.value;
        return nullptr;
    }
    T* Lookup(SettingKey key) noexcept {
        return const_cast<T*>(static_cast<const CSettingMap*>(this)->Lookup(key));
    }

    // Returns true when something changed (new key or different value).
    bool Set(SettingKey key, const T& value) {
        if (T* existing = Lookup(key)) {
            if (*existing == value) return false;
            *existing = value;
            return true;
        }
        if (m_Buckets.empty()) m_Buckets.resize(kBucketCount);
        // Chains are kept tail-first in the vector so that the head is push_back.
        m_Buckets[Bucket(key)].push_back(Entry{key, value});
        ++m_Count;
        return true;
    }

    bool Remove(SettingKey key) {
        if (m_Buckets.empty()) return false;
        auto& chain = m_Buckets[Bucket(key)];
        for (auto it = chain.begin(); it != chain.end(); ++it) {
            if (it->key == key) {
                chain.erase(it);
                --m_Count;
                return true;
            }
        }
        return false;
    }

    std::size_t GetCount() const noexcept { return m_Count; }
    void Clear() noexcept {
        m_Buckets.clear();
        m_Count = 0;
    }

    // Visits every entry in bucket order, each chain from its head.
    template <typename F>
    void ForEach(F&& visit) const {
        for (const auto& chain : m_Buckets)
            for (auto it = chain.rbegin(); it != chain.rend(); ++it) visit(it->key, it->value);
    }

    std::vector<Entry> GetEntries() const {
        std::vector<Entry> out;
        out.reserve(m_Count);
        ForEach([&](SettingKey k, const T& v) { out.push_back(Entry{k, v}); });
        return out;
    }

    // Same keys and values, regardless of insertion order.
    bool SameContent(const CSettingMap& other) const {
        if (m_Count != other.m_Count) return false;
        bool same = true;
        ForEach([&](SettingKey k, const T& v) {
            const T* o = other.Lookup(k);
            if (!o || !(*o == v)) same = false;
        });
        return same;
    }

private:
    static std::size_t Bucket(SettingKey key) noexcept { return key.Packed() % kBucketCount; }

    std::vector<std::vector<Entry>> m_Buckets;  // empty until the first insertion
    std::size_t m_Count = 0;
};

class SettingStore {
public:
    std::int32_t GetInt(SettingKey key) const noexcept;
    double GetReal(SettingKey key) const noexcept;
    std::string GetText(SettingKey key) const;

    // Each returns the update class of key.id when the stored value changed, else 0.
    unsigned SetInt(SettingKey key, std::int32_t value);
    unsigned SetReal(SettingKey key, double value);
    unsigned SetText(SettingKey key, std::string_view value);

    // Tells a missing key from a stored 0 / 0.0 / "". The pointer is valid
    // until the next insertion into the same map.
    const std::int32_t* LookupInt(SettingKey key) const noexcept { return m_Ints.Lookup(key); }
    const double* LookupReal(SettingKey key) const noexcept { return m_Reals.Lookup(key); }
    const std::string* LookupText(SettingKey key) const noexcept { return m_Texts.Lookup(key); }

    const CSettingMap<std::int32_t>& Ints() const noexcept { return m_Ints; }
    const CSettingMap<double>& Reals() const noexcept { return m_Reals; }
    const CSettingMap<std::string>& Texts() const noexcept { return m_Texts; }

    void Clear() noexcept;
    bool IsEmpty() const noexcept;

    // Same keys and values in all three maps (order ignored).
    bool SameContent(const SettingStore& other) const;

private:
    CSettingMap<std::int32_t> m_Ints;
    CSettingMap<double> m_Reals;
    CSettingMap<std::string> m_Texts;
};
