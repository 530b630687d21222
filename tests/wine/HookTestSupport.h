#pragma once
// Helpers for the interception tests: code written into executable memory, and a guard that never leaves a
// transaction open when a test stops early.
#include "../unit/HexBytes.h"
#include "engine/intercept/Hooks.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace movalent::testing {

using movalent::Hex;

inline std::vector<uint8_t> BytesAt(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

inline void PutRel32(uint8_t* field, const void* nextInstruction, const void* destination) {
    const auto rel = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(destination) -
                                           reinterpret_cast<uintptr_t>(nextInstruction));
    std::memcpy(field, &rel, 4);
}

inline void* Rel32Destination(const uint8_t* instruction, size_t length) {
    int32_t rel;
    std::memcpy(&rel, instruction + length - 4, 4);
    return const_cast<uint8_t*>(instruction) + length + rel;
}

// Writes the 6-byte "jmp [slot]" at `at`: an absolute operand in 32-bit code, relative to the next instruction in
// 64-bit code.
inline void PutIndirectJump(uint8_t* at, void* const* slot) {
    at[0] = 0xFF;
    at[1] = 0x25;
#if defined(_WIN64)
    PutRel32(at + 2, at + 6, slot);
#else
    std::memcpy(at + 2, &slot, 4);
#endif
}

// Where a patched entry really leads: its near jump's destination, and in 64-bit code on through the relay's
// absolute jump to the replacement.
inline void* PatchedEntryDestination(const uint8_t* entry) {
    auto* destination = static_cast<uint8_t*>(Rel32Destination(entry, 5));
#if defined(_WIN64)
    if (destination[0] == 0xFF && destination[1] == 0x25 && Rel32Destination(destination, 6) == destination + 6) {
        void* replacement;
        std::memcpy(&replacement, destination + 6, sizeof replacement);
        return replacement;
    }
#endif
    return destination;
}

inline DWORD ProtectionOf(const void* p) {
    MEMORY_BASIC_INFORMATION info{};
    ::VirtualQuery(p, &info, sizeof info);
    return info.Protect;
}

inline size_t RegionCount() {
    size_t n = 0;
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next)
        ++n;
    return n;
}

inline size_t FreeTrampolineCount() {
    size_t n = 0;
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next)
        for (const Trampoline* t = r->freeList; t != nullptr; t = t->nextFree)
            ++n;
    return n;
}

// Read-write-execute pages for hand-made functions; released at the end of the test.
class CodeBuffer {
public:
    explicit CodeBuffer(size_t size = 0x10000)
        : size_(size), base_(static_cast<uint8_t*>(
                           ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE))) {
        if (base_ != nullptr)
            std::memset(base_, 0xCC, size_);
    }
    CodeBuffer(const CodeBuffer&) = delete;
    CodeBuffer& operator=(const CodeBuffer&) = delete;
    ~CodeBuffer() {
        if (base_ != nullptr)
            ::VirtualFree(base_, 0, MEM_RELEASE);
    }

    uint8_t* base() const { return base_; }
    size_t size() const { return size_; }
    uint8_t* Put(size_t offset, const std::vector<uint8_t>& code) {
        std::memcpy(base_ + offset, code.data(), code.size());
        return base_ + offset;
    }
    uint8_t* Put(size_t offset, const std::string& hex) { return Put(offset, Hex(hex)); }
    void Protect(DWORD protection) {
        DWORD previous = 0;
        ::VirtualProtect(base_, size_, protection, &previous);
        ::FlushInstructionCache(::GetCurrentProcess(), base_, size_);
    }

private:
    size_t size_;
    uint8_t* base_;
};

// Aborts the transaction if this thread still owns one when the scope ends.
struct TransactionGuard {
    ~TransactionGuard() { HookTransactionAbort(); }
};

// Hand-made code called as a function of pointer type P.
template <typename P> P As(const void* code) {
    return reinterpret_cast<P>(const_cast<void*>(code));
}

} // namespace movalent::testing
