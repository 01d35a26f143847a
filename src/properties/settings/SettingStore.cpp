#include "properties/settings/SettingStore.h"

#include "properties/settings/SettingTable.h"

std::int32_t SettingStore::GetInt(SettingKey key) const noexcept {
    const std::int32_t* v = m_Ints.Lookup(key);
    return v ? *v : 0;
}

double SettingStore::GetReal(SettingKey key) const noexcept {
    const double* v = m_Reals.Lookup(key);
    return v ? *v : 0.0;
}

std::string SettingStore::GetText(SettingKey key) const {
    const std::string* v = m_Texts.Lookup(key);
    return v ? *v : std::string();
}

unsigned SettingStore::SetInt(SettingKey key, std::int32_t value) {
    return m_Ints.Set(key, value) ? GetUpdateClass(key.id) : 0u;
}

unsigned SettingStore::SetReal(SettingKey key, double value) {
    return m_Reals.Set(key, value) ? GetUpdateClass(key.id) : 0u;
}

unsigned SettingStore::SetText(SettingKey key, std::string_view value) {
    // Compare before building a string, so that an unchanged text costs nothing.
    if (const std::string* existing = m_Texts.Lookup(key); existing && *existing == value) return 0u;
    return m_Texts.Set(key, std::string(value)) ? GetUpdateClass(key.id) : 0u;
}

void SettingStore::Clear() noexcept {
    m_Ints.Clear();
    m_Reals.Clear();
    m_Texts.Clear();
}

bool SettingStore::IsEmpty() const noexcept {
    return m_Ints.GetCount() == 0 && m_Reals.GetCount() == 0 && m_Texts.GetCount() == 0;
}

bool SettingStore::SameContent(const SettingStore& other) const {
    return m_Ints.SameContent(other.m_Ints) && m_Reals.SameContent(other.m_Reals) &&
           m_Texts.SameContent(other.m_Texts);
}
