// Trampolines live in 64 KiB regions placed within a near jump's reach of the code they serve, found by
// walking the address space away from the target.
#include "engine/intercept/HookInternals.h"

#include <cstring>

namespace movalent::hooks {
namespace {

constexpr uintptr_t kRegionSize = kTrampolineRegionSize;
constexpr uintptr_t kRegionMask = ~(kRegionSize - 1);
// A rel32 jump reaches 2 GiB either way; the margin keeps a whole region inside that.
constexpr uintptr_t kReach = 0x7FF80000;
constexpr uintptr_t kLowestRegion = 0x10000;
#if defined(_WIN64)
constexpr uintptr_t kHighestRegion = 0x7FFFFFFE0000; // the top of a 64-bit process's user space
#else
constexpr uintptr_t kHighestRegion = 0xFFF80000;
#endif
// 32-bit system modules are based in this range; regions stay out of it so they never take a module's
// preferred base. 64-bit modules are based far above it, and a 64-bit window rarely reaches it.
constexpr uintptr_t kSystemLow = 0x70000000;
constexpr uintptr_t kSystemHigh = 0x80000000;
constexpr uintptr_t kBelowSystem = 0x6FFF0000;
constexpr uintptr_t kAboveSystem = 0x80010000;

TrampolineRegion* g_regions = nullptr; // newest first
TrampolineRegion* g_current = nullptr; // the region the last trampoline came from

struct Window {
    uintptr_t low;
    uintptr_t high;
    bool Contains(const void* p) const {
        const auto a = reinterpret_cast<uintptr_t>(p);
        return a >= low && a <= high;
    }
};

Window WindowAround(uintptr_t target) {
    Window w;
    w.low = target > kLowestRegion + kReach ? target - kReach : kLowestRegion;
    w.high = target < kHighestRegion - kReach ? target + kReach : kHighestRegion;
    return w;
}

bool InSystemRange(uintptr_t a) {
    return a >= kSystemLow && a < kSystemHigh;
}

Trampoline* Slot(TrampolineRegion* region, size_t index) {
    return reinterpret_cast<Trampoline*>(reinterpret_cast<uint8_t*>(region) + index * sizeof(Trampoline));
}

TrampolineRegion* RegionOf(const void* address) {
    return reinterpret_cast<TrampolineRegion*>(reinterpret_cast<uintptr_t>(address) & kRegionMask);
}

// Reserves and commits a region at exactly `at`, builds its free list and puts it at the head of the list.
TrampolineRegion* CreateRegionAt(uintptr_t at) {
    void* memory = ::VirtualAlloc(reinterpret_cast<void*>(at), kRegionSize, MEM_RESERVE | MEM_COMMIT,
                                  PAGE_EXECUTE_READWRITE);
    if (memory == nullptr)
        return nullptr;
    if (reinterpret_cast<uintptr_t>(memory) != at) {
        ::VirtualFree(memory, 0, MEM_RELEASE);
        return nullptr;
    }
    auto* region = static_cast<TrampolineRegion*>(memory);
    region->signature = kTrampolineRegionSignature;
    region->next = g_regions;
    region->freeList = Slot(region, kFirstTrampolineSlot);
    for (size_t i = kFirstTrampolineSlot; i < kTrampolineSlots; ++i)
        Slot(region, i)->nextFree = i + 1 < kTrampolineSlots ? Slot(region, i + 1) : nullptr;
    g_regions = region;
    return region;
}

TrampolineRegion* CreateRegionBelow(uintptr_t target, const Window& window) {
    uintptr_t at = target & kRegionMask;
    while (at >= window.low) {
        if (InSystemRange(at)) {
            at = kBelowSystem;
            continue;
        }
        MEMORY_BASIC_INFORMATION info;
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0)
            return nullptr;
        if (info.State == MEM_FREE && info.RegionSize >= kRegionSize) {
            if (TrampolineRegion* region = CreateRegionAt(at))
                return region;
        }
        // Free memory reports no allocation base; an allocation is skipped as a whole.
        uintptr_t base =
            info.State == MEM_FREE ? at : reinterpret_cast<uintptr_t>(info.AllocationBase) & kRegionMask;
        if (base > at)
            base = at;
        if (base < kRegionSize)
            return nullptr;
        at = base - kRegionSize;
    }
    return nullptr;
}

TrampolineRegion* CreateRegionAbove(uintptr_t target, const Window& window) {
    uintptr_t at = target;
    while (at <= window.high) {
        if (InSystemRange(at)) {
            at = kAboveSystem;
            continue;
        }
        MEMORY_BASIC_INFORMATION info;
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0)
            return nullptr;
        const uintptr_t start = reinterpret_cast<uintptr_t>(info.BaseAddress);
        const uintptr_t end = start + info.RegionSize;
        if (info.State == MEM_FREE) {
            const uintptr_t aligned = (start + kRegionSize - 1) & kRegionMask;
            if (aligned >= start && aligned <= window.high &&
                (end == 0 || (aligned < end && end - aligned >= kRegionSize))) {
                if (TrampolineRegion* region = CreateRegionAt(aligned))
                    return region;
            }
        }
        if (end <= at) // the range reaches the top of the address space
            return nullptr;
        at = end;
    }
    return nullptr;
}

bool HasFreeWithin(const TrampolineRegion* region, const Window& window) {
    return region->freeList != nullptr && window.Contains(region->freeList);
}

} // namespace

Trampoline* AllocateTrampoline(const void* target) {
    const auto t = reinterpret_cast<uintptr_t>(target);
    const Window window = WindowAround(t);

    TrampolineRegion* region = nullptr;
    if (g_current != nullptr && HasFreeWithin(g_current, window)) {
        region = g_current;
    } else {
        for (TrampolineRegion* r = g_regions; r != nullptr; r = r->next) {
            if (HasFreeWithin(r, window)) {
                region = r;
                break;
            }
        }
    }
    if (region == nullptr)
        region = CreateRegionBelow(t, window);
    if (region == nullptr)
        region = CreateRegionAbove(t, window);
    if (region == nullptr || !HasFreeWithin(region, window))
        return nullptr;

    g_current = region;
    Trampoline* trampoline = region->freeList;
    region->freeList = trampoline->nextFree;
    std::memset(trampoline, kBreakpointByte, sizeof *trampoline);
    return trampoline;
}

void FreeTrampoline(Trampoline* trampoline) {
    TrampolineRegion* region = RegionOf(trampoline);
    std::memset(trampoline, 0, sizeof *trampoline);
    trampoline->nextFree = region->freeList;
    region->freeList = trampoline;
}

void RetireTrampoline(Trampoline* trampoline) {
    trampoline->replacement = nullptr;
}

bool IsTrampolineSlot(const void* address) {
    const TrampolineRegion* owner = RegionOf(address);
    const uintptr_t offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(owner);
    if (offset % sizeof(Trampoline) != 0 || offset / sizeof(Trampoline) < kFirstTrampolineSlot)
        return false;
    for (const TrampolineRegion* r = g_regions; r != nullptr; r = r->next) {
        if (r == owner)
            return true;
    }
    return false;
}

void ProtectRegions(DWORD protection) {
    for (TrampolineRegion* r = g_regions; r != nullptr; r = r->next) {
        DWORD previous = 0;
        ::VirtualProtect(r, kRegionSize, protection, &previous);
    }
}

} // namespace movalent::hooks

namespace movalent {

const TrampolineRegion* HookFirstRegion() {
    return hooks::g_regions;
}

} // namespace movalent
