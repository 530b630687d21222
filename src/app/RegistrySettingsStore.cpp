#include "app/RegistrySettingsStore.h"

#include "framework/Registry.h"

namespace movalent {

std::wstring ReadInstallDir() {
    RegistryString read = ReadRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, kInstallDirMaxChars,
                                             /*acceptExpand=*/true);
    if (read.status != RegistryStatus::Value)
        return {};
    if (!read.expandable)
        return read.value;
    // An installer may write the folder as %LOCALAPPDATA%\...: the variables are the user's.
    wchar_t expanded[kInstallDirMaxChars];
    const DWORD needed = ::ExpandEnvironmentStringsW(read.value.c_str(), expanded, kInstallDirMaxChars);
    return needed > 0 && needed <= kInstallDirMaxChars ? std::wstring(expanded) : std::wstring();
}

} // namespace movalent
