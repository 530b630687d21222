#pragma once
// What the interception layer's parts share: guarded memory reads, module headers and the trampoline regions.
// Everything here runs on the thread that owns the open transaction, except the read helpers, which any
// thread may use.
#include "engine/intercept/Hooks.h"

#include <cstddef>
#include <cstdint>

namespace movalent::hooks {

// How many of the `wanted` bytes at `address` can be read without a fault (committed, readable, no guard
// page).
size_t ReadableLength(const void* address, size_t wanted);

// Reads a 32-bit word; false when any of its bytes is unreadable. Shaped as the copier's memory reader.
bool ReadCodeWord(uint32_t address, uint32_t& value, void* context);

// Base of the module image that contains `address`: the allocation base, accepted only when its headers are
// readable and it starts with "MZ" and points to a "PE" header with an optional header. Null otherwise.
uint8_t* ImageBaseContaining(const void* address);

// Writes the 8-byte module marker into the DOS header of the image containing `code` unless one is there.
// 0, or the system's error when the header cannot be made writable.
LONG MarkModule(const void* code);

// The system's error for the last failed call; `fallback` when the call left none.
LONG LastErrorOr(LONG fallback);

// A free trampoline within a rel32 jump's reach of `target`, filled with 0xCC; null when none can be had.
Trampoline* AllocateTrampoline(const void* target);
// Clears the trampoline to zeros and puts it back on its region's free list; only for one that never was
// reachable (an attach that was not committed).
void FreeTrampoline(Trampoline* trampoline);
// Ends a detached trampoline's use: its replacement is cleared, its code stays a way to the original code, and
// the slot is never handed out again.
void RetireTrampoline(Trampoline* trampoline);
// True when `address` is the start of a trampoline slot in one of the regions.
bool IsTrampolineSlot(const void* address);
// Applies a page protection to every region.
void ProtectRegions(DWORD protection);

} // namespace movalent::hooks
