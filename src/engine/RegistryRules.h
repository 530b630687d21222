#pragma once
// The registry view of engine code: the version vector key reported missing on every thread, and, on IE 5.5
// threads, a type library chain opened with fake handles whatever the registry holds. The shared fake key
// slots live in the IE 5.5 engine record; these rules work on them as plain 32-bit words.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace movalent {

// The system's predefined roots are 32-bit values sign-extended to a handle's width: 0x80000002 in 32-bit code,
// 0xFFFFFFFF80000002 in 64-bit code.
constexpr uintptr_t PredefinedKey(uint32_t value) {
    return static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
inline constexpr uintptr_t kKeyCurrentUser = PredefinedKey(0x80000001);
inline constexpr uintptr_t kKeyLocalMachine = PredefinedKey(0x80000002);
inline constexpr int kTypeLibLevels = 4;

// The version vector tells a page which engine it runs in; with several in one process no answer would be
// true, so the key is reported missing (only under the current user's and the machine's root, whole name).
bool IsVersionVectorOpen(uintptr_t parent, const wchar_t* name);

// True when "\TypeLib" first occurs exactly at the end of a key's full name (case-sensitive).
bool KeyNameEndsWithTypeLib(std::wstring_view fullName);

// The name inside a key-name information block (a 32-bit byte length, then the characters), bounded by the
// block's size. Empty when the block is too short to hold the length.
std::wstring_view KeyNameFromInformation(const void* block, size_t blockBytes);

// Opening a sub-key on an IE 5.5 thread. slots are the record's four type library key slots (slot n holds the
// fake handle n while that level is open, else 0). Returns the fake handle the open yields, or 0 when it goes
// to the system. parentEndsWithTypeLib is asked only for the first level, since it costs a registry query.
template <typename ParentCheck>
uint32_t OpenTypeLibLevel(uint32_t* slots, uintptr_t parent, std::wstring_view name, ParentCheck&& parentEndsWithTypeLib);

// Closing a key on an IE 5.5 thread: true (and the slot cleared) when the key is an open fake level.
bool CloseTypeLibKey(uint32_t* slots, uintptr_t key);

// ---------------------------------------------------------------------------------------------------------

namespace registry_detail {

inline constexpr std::wstring_view kTypeLibraryId = L"{527A4DA4-7F2C-11D2-B12D-0000F81F5995}";
// The sub-key names leading down from the library: version, locale, platform.
inline constexpr std::wstring_view kLevelNames[kTypeLibLevels] = {kTypeLibraryId, L"1.0", L"0", L"win32"};

bool SameName(std::wstring_view a, std::wstring_view b);

// All IE 5.5 threads share the slots, unlocked; each word is read and written whole.
inline uint32_t LoadSlot(uint32_t* slots, int level) {
    return std::atomic_ref<uint32_t>(slots[level]).load(std::memory_order_relaxed);
}
inline void StoreSlot(uint32_t* slots, int level, uint32_t value) {
    std::atomic_ref<uint32_t>(slots[level]).store(value, std::memory_order_relaxed);
}

} // namespace registry_detail

template <typename ParentCheck>
uint32_t OpenTypeLibLevel(uint32_t* slots, uintptr_t parent, std::wstring_view name, ParentCheck&& parentEndsWithTypeLib) {
    using namespace registry_detail;
    // Nothing below the platform level is faked.
    if (const uint32_t last = LoadSlot(slots, 3); last != 0 && parent == last)
        return 0;
    // Deepest level first: a level opens only below the open level above it.
    for (int level = 3; level >= 1; --level) {
        const uint32_t above = LoadSlot(slots, level - 1);
        if (above != 0 && parent == above && SameName(name, kLevelNames[level])) {
            const auto handle = static_cast<uint32_t>(level + 1);
            StoreSlot(slots, level, handle);
            return handle;
        }
    }
    if (SameName(name, kLevelNames[0]) && parentEndsWithTypeLib()) {
        StoreSlot(slots, 0, 1);
        return 1;
    }
    return 0;
}

} // namespace movalent
