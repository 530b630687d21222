// The registry as engine code sees it: the version vector key missing on every thread, and on IE 5.5 threads
// the type library chain that that version's engine insists on opened with fake handles.
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"
#include "engine/RegistryRules.h"

#include <memory>
#include <new>

namespace movalent {
namespace {

constexpr ULONG kKeyNameInformation = 3;
constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
// Far above any real key name (at most 255 characters per level); a larger figure is not believed.
constexpr ULONG kMaxKeyNameBlock = 0x10000;

// Whether the key's full registry name ends in "\TypeLib"; false whenever the name cannot be had.
bool KeyIsTypeLib(HKEY key) {
    if (ZwQueryKeyAddress == nullptr)
        return false;
    ULONG needed = 0;
    if (ZwQueryKeyAddress(key, kKeyNameInformation, nullptr, 0, &needed) != kStatusBufferTooSmall || needed == 0 ||
        needed > kMaxKeyNameBlock)
        return false;
    // Two spare bytes: room for a terminator after a name that fills the block.
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[needed + 2]);
    if (!block)
        return false;
    ULONG written = 0;
    if (ZwQueryKeyAddress(key, kKeyNameInformation, block.get(), needed, &written) != 0)
        return false;
    return KeyNameEndsWithTypeLib(KeyNameFromInformation(block.get(), written < needed ? written : needed));
}

bool IsIe55Thread(const EngineRecord* record) { return record != nullptr && record->version == IE_55; }

} // namespace

LSTATUS WINAPI RedirectedRegOpenKeyW(HKEY parent, LPCWSTR name, PHKEY result) {
    if (IsVersionVectorOpen(reinterpret_cast<uintptr_t>(parent), name))
        return ERROR_FILE_NOT_FOUND;
    if (name == nullptr)
        return RealRegOpenKeyW(parent, name, result);
    EngineRecord* record = GetCurrentEngine();
    if (IsIe55Thread(record)) {
        const uint32_t fake = OpenTypeLibLevel(record->typeLibKey, reinterpret_cast<uintptr_t>(parent), name,
                                               [parent] { return KeyIsTypeLib(parent); });
        if (fake != 0) {
            if (result != nullptr)
                *result = reinterpret_cast<HKEY>(static_cast<uintptr_t>(fake));
            return ERROR_SUCCESS;
        }
    }
    return RealRegOpenKeyW(parent, name, result);
}

LSTATUS WINAPI RedirectedRegCloseKey(HKEY key) {
    EngineRecord* record = GetCurrentEngine();
    // Fake handles never reach the system, which would close whatever it issued under that value.
    if (IsIe55Thread(record) && CloseTypeLibKey(record->typeLibKey, reinterpret_cast<uintptr_t>(key)))
        return ERROR_SUCCESS;
    return RealRegCloseKey(key);
}

LSTATUS WINAPI RedirectedRegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                          LPDWORD size) {
    return RealRegQueryValueExW(key, name, reserved, type, data, size);
}

LSTATUS WINAPI RedirectedRegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR data, PLONG size) {
    return RealRegQueryValueW(key, subKey, data, size);
}

} // namespace movalent
