#include "framework/Profile.h"

#include "framework/Registry.h"

namespace movalent {

namespace {
// Profile strings have no length limit of their own; this only bounds what one read allocates.
constexpr size_t kMaxProfileString = 32768;
} // namespace

Profile::Profile(const std::wstring& company, const std::wstring& application)
    : key_(L"Software\\" + company + L"\\" + application) {}

int Profile::GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const {
    RegistryDword read = ReadRegistryDword(HKEY_CURRENT_USER, SectionKey(section), entry.c_str());
    return read.status == RegistryStatus::Value ? static_cast<int>(read.value) : defaultValue;
}

std::wstring Profile::GetString(const std::wstring& section, const std::wstring& entry,
                                const std::wstring& defaultValue) const {
    RegistryString read =
        ReadRegistryString(HKEY_CURRENT_USER, SectionKey(section), entry.c_str(), kMaxProfileString, false);
    return read.status == RegistryStatus::Value ? read.value : defaultValue;
}

bool Profile::WriteInt(const std::wstring& section, const std::wstring& entry, int value) const {
    return WriteRegistryDword(HKEY_CURRENT_USER, SectionKey(section), entry.c_str(), static_cast<DWORD>(value));
}

bool Profile::WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) const {
    return WriteRegistryString(HKEY_CURRENT_USER, SectionKey(section), entry.c_str(), value);
}

bool Profile::DeleteEntry(const std::wstring& section, const std::wstring& entry) const {
    return DeleteRegistryValue(HKEY_CURRENT_USER, SectionKey(section), entry.c_str());
}

} // namespace movalent
