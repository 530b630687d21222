#include "app/VersionInfo.h"

#include "app/VersionRules.h"
#include "framework/Handles.h"
#include "framework/ModulePaths.h"

#include <vector>

namespace movalent {

namespace {

bool ReadFixedFileInfo(const wchar_t* path, VS_FIXEDFILEINFO* out) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    *out = *info;
    return true;
}

} // namespace

std::wstring GetProgramVersionString() {
    VS_FIXEDFILEINFO info{};
    if (!ReadFixedFileInfo(ModuleFilePath().c_str(), &info))
        return {};
    return ProgramVersionString(HIWORD(info.dwProductVersionMS), LOWORD(info.dwProductVersionMS),
                                HIWORD(info.dwProductVersionLS), LOWORD(info.dwProductVersionLS));
}

std::wstring FileVersionText(const std::wstring& path) {
    VS_FIXEDFILEINFO info{};
    if (!ReadFixedFileInfo(path.c_str(), &info))
        return {};
    return std::to_wstring(HIWORD(info.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info.dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info.dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info.dwFileVersionLS));
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
