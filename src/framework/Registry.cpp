#include "framework/Registry.h"

#include "framework/Handles.h"

#include <vector>

namespace movalent {

namespace {

UniqueKey OpenForReading(HKEY root, const std::wstring& path) {
    UniqueKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

UniqueKey OpenForWriting(HKEY root, const std::wstring& path) {
    UniqueKey key;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        key.reset();
    return key;
}

} // namespace

RegistryDword ReadRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name) {
    RegistryDword result;
    UniqueKey key = OpenForReading(root, path);
    if (!key)
        return result;
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG rc = ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc == ERROR_FILE_NOT_FOUND)
        return result;
    if ((rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) || type != REG_DWORD || size != sizeof(value)) {
        result.status = RegistryStatus::WrongType;
        return result;
    }
    result.status = RegistryStatus::Value;
    result.value = value;
    return result;
}

RegistryString ReadRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, size_t maxChars,
                                  bool acceptExpand) {
    RegistryString result;
    UniqueKey key = OpenForReading(root, path);
    if (!key)
        return result;
    std::vector<wchar_t> buffer(maxChars + 1, L'\0'); // one spare so unterminated data still ends in a zero
    DWORD type = 0, size = static_cast<DWORD>(maxChars * sizeof(wchar_t));
    LONG rc = ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc == ERROR_FILE_NOT_FOUND)
        return result;
    bool stringType = type == REG_SZ || (acceptExpand && type == REG_EXPAND_SZ);
    if (rc == ERROR_MORE_DATA) {
        result.status = stringType ? RegistryStatus::TooLong : RegistryStatus::WrongType;
        return result;
    }
    if (rc != ERROR_SUCCESS || !stringType) {
        result.status = RegistryStatus::WrongType;
        return result;
    }
    size_t chars = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < chars && buffer[length] != L'\0')
        ++length;
    // The terminator must fit in maxChars too: a full buffer of characters without one is too long.
    if (length >= maxChars) {
        result.status = RegistryStatus::TooLong;
        return result;
    }
    result.expandable = type == REG_EXPAND_SZ;
    result.status = RegistryStatus::Value;
    result.value.assign(buffer.data(), length);
    return result;
}

bool WriteRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    UniqueKey key = OpenForWriting(root, path);
    return key && ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)) == ERROR_SUCCESS;
}

bool WriteRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    UniqueKey key = OpenForWriting(root, path);
    return key && ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    UniqueKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    LONG rc = ::RegDeleteValueW(key.get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

} // namespace movalent
