#pragma once
// The application's per-user settings: HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
// Integers are DWORD values and strings REG_SZ values; a value of any other type reads as the default and is
// left as it is until the program writes that value itself.
#include <string>

namespace movalent {

class Profile {
public:
    Profile(const std::wstring& company, const std::wstring& application);

    const std::wstring& ApplicationKey() const { return key_; }
    int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const;
    std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& defaultValue) const;
    bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) const;
    bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) const;
    bool DeleteEntry(const std::wstring& section, const std::wstring& entry) const;

private:
    std::wstring SectionKey(const std::wstring& section) const { return key_ + L"\\" + section; }
    std::wstring key_;
};

} // namespace movalent
