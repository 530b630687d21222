#include "app/VersionInfo.h"

#include "app/VersionRules.h"
#include "framework/Handles.h"

#include <vector>

namespace movalent {

std::wstring GetProgramVersionString() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data()))
        return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    return ProgramVersionString(HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS),
                                HIWORD(info->dwProductVersionLS), LOWORD(info->dwProductVersionLS));
}

std::wstring GetInstalledEngineVersionText() {
    const std::wstring notFound = L"not found";
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return notFound;
    wchar_t buffer[100 + 1] = {}; // 200 bytes of data, plus a terminator the data need not carry
    DWORD type = 0, size = 200;
    if (::RegQueryValueExW(key.get(), L"Version", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return notFound;
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

IEVERSION GetInstalledEngineVersion() { return InstalledEngineFromText(GetInstalledEngineVersionText()); }

} // namespace movalent
