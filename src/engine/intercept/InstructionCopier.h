#pragma once

#include <cstddef>
#include <cstdint>

namespace movalent {

// Reads the 32-bit word stored at a code-space address. Returns false when the
// address cannot be read; the copier then reports no branch target.
using ReadMemoryFn = bool (*)(uint32_t address, uint32_t& value, void* context);

struct CopiedInstruction {
    uint32_t next = 0;          // address of the next source instruction
    uint32_t length = 0;        // bytes written to the destination (0 when nothing was written)
    int32_t extra = 0;          // extra bytes a relative branch would need to reach its target from
                                // the destination (0 = fits); negative when the instruction has no
                                // longer form. Nothing is written when this is not 0.
    uint32_t target = 0;        // branch target, 0 when none is known
    bool dynamicTarget = false; // indirect call or jump (FF /2../5)
    bool invalid = false;       // encoding the copier refuses: nothing written, next skips past the
                                // refused opcode (or the prefix run that leaves no room for one)
    bool truncated = false;     // source ended inside the instruction: nothing written, next == source
    bool noRoom = false;        // destination smaller than the instruction: nothing written
};

// Copies one 32-bit x86 instruction from src (which lives at srcAddr in the code
// address space) to dst (which will live at dstAddr), rewriting a relative branch
// so that the copy reaches the same destination.
//
// Reads never go beyond src[srcAvail - 1]; writes never go beyond dst[dstCapacity - 1]
// and never exceed the reported length. dst may be null to measure only: the result
// is then what a copy to dstAddr would report, and nothing is written.
// readMemory, when given, resolves the pointer behind "call/jmp [disp32]".
CopiedInstruction CopyInstruction(uint8_t* dst, size_t dstCapacity, uint32_t dstAddr, const uint8_t* src,
                                  size_t srcAvail, uint32_t srcAddr, ReadMemoryFn readMemory = nullptr,
                                  void* readContext = nullptr);

// Decodes without copying or relocating: length is the instruction's size.
inline CopiedInstruction MeasureInstruction(const uint8_t* src, size_t srcAvail, uint32_t srcAddr,
                                            ReadMemoryFn readMemory = nullptr, void* readContext = nullptr) {
    return CopyInstruction(nullptr, 0, srcAddr, src, srcAvail, srcAddr, readMemory, readContext);
}

// An instruction never exceeds this many bytes; longer encodings fault on the processor.
inline constexpr size_t kMaxInstructionLength = 15;

} // namespace movalent
