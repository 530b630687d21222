#pragma once
// Redirection of functions inside loaded modules to replacements of the program, for every caller in the
// process. A target's first instructions are moved into a trampoline and replaced by a jump to the
// replacement; calling the trampoline runs the target as it was. Changes are queued in a transaction and
// applied together.
//
// Written for x86 code in 32-bit processes and x86-64 code in 64-bit ones; the trampoline records differ.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace movalent {

inline constexpr size_t kNearJumpSize = 5; // E9 rel32
inline constexpr uint8_t kBreakpointByte = 0xCC;

#if defined(_WIN64)
// 64-bit code: the target's entry becomes a near jump to the trampoline's relay, an absolute jump to the
// replacement, because a replacement may lie anywhere in the address space. Short branches among the moved
// instructions are lengthened in the code area, so the moved bytes are kept as they were for the detach.
inline constexpr size_t kTrampolineCodeSize = 64;
inline constexpr size_t kMaxMovedBytes = 24;
inline constexpr size_t kRelaySize = 16; // FF 25 00000000 (jmp [rip]) and the 8-byte address, 0xCC after

struct Trampoline {
    uint8_t code[kTrampolineCodeSize]; // the moved instructions as relocated, a jump back, 0xCC after
    uint8_t relay[kRelaySize];
    uint8_t original[kMaxMovedBytes]; // the target's first bytes as they were
    uint8_t movedLength;
    // For each of the target's first five bytes that starts a moved instruction, where its copy starts in
    // `code`; 0xFF for the others. A thread stopped inside either copy is moved to the other with it.
    uint8_t codeOffsets[kNearJumpSize];
    uint8_t reserved[2];
    union {
        uint8_t* resume;      // target + movedLength while in use and after detach
        Trampoline* nextFree; // link of the region's free list while free
    };
    void* replacement; // null once detached
};
static_assert(sizeof(Trampoline) == 128);
inline constexpr size_t kFirstTrampolineSlot = 1;
#else
inline constexpr size_t kTrampolineCodeSize = 23;
inline constexpr size_t kMaxMovedBytes = 18; // leaves room for the jump back in the code area

// One moved prologue: the relocated instructions, a jump back to the first instruction not moved, 0xCC after.
// Every moved instruction keeps its length, so it starts at the same offset in `code` as in the target.
struct Trampoline {
    uint8_t code[kTrampolineCodeSize];
    uint8_t movedLength;
    union {
        uint8_t* resume;      // target + movedLength while in use and after detach
        Trampoline* nextFree; // link of the region's free list while free
    };
    void* replacement; // null once detached
};
static_assert(sizeof(Trampoline) == 32);
static_assert(offsetof(Trampoline, movedLength) == 23 && offsetof(Trampoline, resume) == 24 &&
              offsetof(Trampoline, replacement) == 28);
inline constexpr size_t kFirstTrampolineSlot = 3;
#endif

inline constexpr uint32_t kTrampolineRegionSignature = 0x52727464; // "dtrR" in memory
inline constexpr size_t kTrampolineRegionSize = 0x10000;
inline constexpr size_t kTrampolineSlots = kTrampolineRegionSize / sizeof(Trampoline); // slot 0 is the header

// The header in slot 0 of a 64 KiB block of trampolines. Regions are never released, and a detached
// trampoline keeps its code and is never handed out again: a thread still running in it, or a replacement
// that read the trampoline's address just before the detach, goes on to the original code.
struct TrampolineRegion {
    uint32_t signature;
    TrampolineRegion* next;
    Trampoline* freeList;
};

// All results are Windows error codes, 0 on success.
LONG HookTransactionBegin();
// variable: address of the caller's function pointer, which holds the target and, after commit, the
// trampoline.
LONG HookAttach(void** variable, void* replacement);
// variable: as given to the attach; after commit it holds the target again.
LONG HookDetach(void** variable, void* replacement);
// Commit stops every other thread of the process while it writes, and moves a thread stopped inside moved
// instructions to the same instruction in their new place. A thread named here is left running and never
// moved: the caller vouches that it is not executing any target's first bytes. At most kMaxLeftThreads per
// transaction (ERROR_NOT_ENOUGH_MEMORY beyond).
LONG HookTransactionLeaveThread(DWORD threadId);
inline constexpr size_t kMaxLeftThreads = 8;
// failedVariable, when given, receives the variable that caused the returned failure (null on success, and
// on ERROR_NOT_ENOUGH_MEMORY when the list of threads to stop could not be allocated; nothing is changed then).
LONG HookTransactionCommit(void*** failedVariable = nullptr);
LONG HookTransactionAbort();

// The code really executed at an address: import-table jumps and short-jump-to-near-jump stubs are followed.
// Unreadable memory is never dereferenced; such an address comes back unchanged.
void* HookCodeFromPointer(void* code);

// Newest region first; for diagnostics only.
const TrampolineRegion* HookFirstRegion();

template <typename Fn>
requires std::is_function_v<Fn> LONG HookAttach(Fn** variable, Fn* replacement) {
    return HookAttach(reinterpret_cast<void**>(variable), reinterpret_cast<void*>(replacement));
}

template <typename Fn>
requires std::is_function_v<Fn> LONG HookDetach(Fn** variable, Fn* replacement) {
    return HookDetach(reinterpret_cast<void**>(variable), reinterpret_cast<void*>(replacement));
}

} // namespace movalent
