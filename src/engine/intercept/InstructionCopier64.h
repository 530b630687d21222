#pragma once

#include <cstddef>
#include <cstdint>

namespace movalent {

// Reads the 64-bit word stored at a code-space address; false when unreadable.
using ReadMemory64Fn = bool (*)(uint64_t address, uint64_t& value, void* context);

struct CopiedInstruction64 {
    uint64_t next = 0;          // address of the next source instruction
    uint32_t sourceLength = 0;  // length of the source instruction (0 when truncated/invalid)
    uint32_t length = 0;        // bytes written to the destination (0 when nothing was written)
    uint64_t target = 0;        // branch target or RIP-relative operand address, 0 when none is known.
                                // For an indirect branch it is the pointer read through readMemory
                                // (call/jmp [rip+disp32] only), never the address the pointer is read from.
    bool dynamicTarget = false; // indirect call or jump (FF /2../5)
    bool ripRelative = false;   // the instruction has a RIP-relative memory operand (re-targeted in the copy)
    bool invalid = false;       // encoding refused: nothing written; next skips past the refused opcode
                                // (or the prefix run that leaves no room for one)
    bool truncated = false;     // source ended inside the instruction: nothing written, next == source
    bool noRoom = false;        // destination smaller than the (possibly enlarged) copy: nothing written
    bool outOfReach = false;    // a relative branch or RIP-relative operand cannot reach its target from the
                                // destination even in its longest form: nothing written
};

// Copies one 64-bit x86 instruction from src (which lives at srcAddr in the code address space) to dst (which
// will live at dstAddr), so that the copy reaches the same branch target and the same RIP-relative operand:
// - rel32 branches and RIP-relative displacements are re-targeted;
// - jmp/jcc rel8 stay short while the target is in reach, otherwise become jmp/jcc rel32;
// - loop/jrcxz rel8 have no longer form: out of reach they become "op +2; jmp short +5; jmp rel32 target",
//   the prefixes staying on the first instruction.
// The copy keeps the source's prefixes; a rewrite that would exceed the 15-byte limit is out of reach.
//
// Reads never go beyond src[srcAvail - 1]; writes never go beyond dst[dstCapacity - 1] and never exceed the
// reported length. dst may be null to measure only: the result is then what a copy to dstAddr would report.
// readMemory, when given, resolves the pointer behind "call/jmp [rip+disp32]".
CopiedInstruction64 CopyInstruction64(uint8_t* dst, size_t dstCapacity, uint64_t dstAddr, const uint8_t* src,
                                      size_t srcAvail, uint64_t srcAddr, ReadMemory64Fn readMemory = nullptr,
                                      void* readContext = nullptr);

// Decodes without copying or relocating (dst null; length is then what a copy to srcAddr would write, which
// is the source length).
inline CopiedInstruction64 MeasureInstruction64(const uint8_t* src, size_t srcAvail, uint64_t srcAddr,
                                                ReadMemory64Fn readMemory = nullptr,
                                                void* readContext = nullptr) {
    return CopyInstruction64(nullptr, 0, srcAddr, src, srcAvail, srcAddr, readMemory, readContext);
}

// An instruction never exceeds this many bytes; longer encodings fault on the processor.
inline constexpr size_t kMaxInstructionLength64 = 15;

// Longest copy one source instruction can become: a loop/jrcxz rel8 behind the longest prefix run, rewritten
// as the three-instruction sequence (its short jump and rel32 jump add 7 bytes).
inline constexpr size_t kMaxCopiedInstructionLength64 = kMaxInstructionLength64 + 7;

} // namespace movalent
