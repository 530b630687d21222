#pragma once
// Typed registry reads that tell a missing value from one stored with another type, and the writes that go with them.
#include <windows.h>

#include <string>

namespace movalent {

enum class RegistryStatus { Value, Missing, WrongType, TooLong };

struct RegistryDword {
    RegistryStatus status = RegistryStatus::Missing;
    DWORD value = 0;
};

struct RegistryString {
    RegistryStatus status = RegistryStatus::Missing;
    std::wstring value;
    bool expandable = false; // REG_EXPAND_SZ: %NAME% references left for the reader to expand
};

RegistryDword ReadRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name);

// Reads a REG_SZ (and, when acceptExpand is set, a REG_EXPAND_SZ, returned unexpanded). A value that needs more than
// maxChars characters including its terminator reads as TooLong. Data without a terminator is accepted within that
// size; anything after an embedded terminator is dropped.
RegistryString ReadRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, size_t maxChars,
                                  bool acceptExpand);

bool WriteRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value);
bool WriteRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value);
bool DeleteRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name);

} // namespace movalent
