#include "engine/RegistryRules.h"

#include "engine/ModuleNames.h"

#include <cstring>

namespace movalent {

namespace registry_detail {
bool SameName(std::wstring_view a, std::wstring_view b) { return EqualsIgnoringAsciiCase(a, b); }
} // namespace registry_detail

bool IsVersionVectorOpen(uintptr_t parent, const wchar_t* name) {
    if (name == nullptr || (parent != kKeyLocalMachine && parent != kKeyCurrentUser))
        return false;
    return EqualsIgnoringAsciiCase(std::wstring_view(name), L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector");
}

bool KeyNameEndsWithTypeLib(std::wstring_view fullName) {
    constexpr std::wstring_view kEnding = L"\\TypeLib";
    const size_t found = fullName.find(kEnding);
    return found != std::wstring_view::npos && found + kEnding.size() == fullName.size();
}

std::wstring_view KeyNameFromInformation(const void* block, size_t blockBytes) {
    uint32_t nameBytes = 0;
    if (block == nullptr || blockBytes < sizeof nameBytes)
        return {};
    std::memcpy(&nameBytes, block, sizeof nameBytes);
    // The length comes from the system, but the block is ours: never trust it past the block's end.
    const size_t available = blockBytes - sizeof nameBytes;
    const size_t bytes = nameBytes < available ? nameBytes : available;
    const auto* name = reinterpret_cast<const wchar_t*>(static_cast<const unsigned char*>(block) + sizeof nameBytes);
    return std::wstring_view(name, bytes / sizeof(wchar_t));
}

bool CloseTypeLibKey(uint32_t* slots, uintptr_t key) {
    using namespace registry_detail;
    if (key == 0)
        return false;
    for (int level = 0; level < kTypeLibLevels; ++level) {
        const uint32_t slot = LoadSlot(slots, level);
        if (slot != 0 && key == slot) {
            StoreSlot(slots, level, 0);
            return true;
        }
    }
    return false;
}

} // namespace movalent
