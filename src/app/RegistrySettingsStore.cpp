#include "app/RegistrySettingsStore.h"

#include "framework/Registry.h"

namespace movalent {

std::wstring ReadInstallDir() {
    RegistryString read = ReadRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, kInstallDirMaxChars,
                                             /*acceptExpand=*/true);
    return read.status == RegistryStatus::Value ? read.value : std::wstring();
}

} // namespace movalent
