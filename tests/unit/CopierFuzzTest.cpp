// Random byte strings through the copier under the sanitizers: no access outside
// the given buffers, and results that are consistent with each other.
#include "engine/intercept/InstructionCopier.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace movalent {
namespace {

constexpr size_t kSourceRoom = 16;
constexpr size_t kDestinationRoom = 24;
constexpr uint8_t kFill = 0xA5;

// Bytes that steer decoding into the prefix and second-map paths more often than
// uniform bytes would.
const uint8_t kPrefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3};
// bound, les, lds, or vector prefixes when the next byte has both top bits set.
const uint8_t kVectorLeads[] = {0x62, 0xC4, 0xC5};

struct Memory {
    uint8_t bytes[8];
};

bool ReadSmallMemory(uint32_t address, uint32_t& value, void* context) {
    const auto* memory = static_cast<const Memory*>(context);
    const uint32_t base = 0x00403000;
    if (address < base || address - base > sizeof memory->bytes - 4)
        return false;
    std::memcpy(&value, memory->bytes + (address - base), 4);
    return true;
}

TEST(CopierFuzzTest, RandomInputStaysInBoundsAndConsistent) {
    std::mt19937 rng(0x4D6F7661);
    // The data sits at the very end of each heap block, so any read or write one
    // byte past the given size lands in the sanitizer's redzone.
    const auto sourceBlock = std::make_unique<uint8_t[]>(kSourceRoom);
    const auto destinationBlock = std::make_unique<uint8_t[]>(kDestinationRoom);
    const auto backBlock = std::make_unique<uint8_t[]>(kDestinationRoom);
    Memory memory{{0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}};

    size_t copied = 0, truncated = 0, invalid = 0, tooFar = 0, noRoom = 0;
    for (int i = 0; i < 2000000; ++i) {
        uint8_t bytes[kSourceRoom];
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        size_t at = 0;
        if (rng() % 4 == 0)
            for (unsigned n = rng() % 16; n > 0 && at < kSourceRoom; --n)
                bytes[at++] = kPrefixes[rng() % std::size(kPrefixes)];
        if (at < kSourceRoom && rng() % 3 == 0) {
            bytes[at] = 0x0F;
        } else if (at + 1 < kSourceRoom && rng() % 6 == 0) {
            bytes[at] = kVectorLeads[rng() % std::size(kVectorLeads)];
            if (rng() % 4 != 0)
                bytes[at + 1] |= 0xC0;
        }
        if (rng() % 8 == 0 && at + 6 <= kSourceRoom) { // call/jmp [disp32] near the fake memory
            bytes[at] = 0xFF;
            bytes[at + 1] = (rng() & 1) ? 0x15 : 0x25;
            const uint32_t address = 0x00403000 + rng() % 12;
            std::memcpy(bytes + at + 2, &address, 4);
        }

        const size_t avail = rng() % (kSourceRoom + 1);
        const size_t capacity = rng() % (kDestinationRoom + 1);
        uint8_t* src = sourceBlock.get() + kSourceRoom - avail;
        uint8_t* dst = destinationBlock.get() + kDestinationRoom - capacity;
        std::memcpy(src, bytes, avail);
        std::memset(dst, kFill, capacity);
        const uint32_t srcAddr = rng();
        // Near and far destinations, so both fitting and overflowing branches occur.
        const uint32_t dstAddr = (rng() & 1) ? srcAddr + rng() % 512 - 256 : static_cast<uint32_t>(rng());

        const CopiedInstruction r =
            CopyInstruction(dst, capacity, dstAddr, src, avail, srcAddr, ReadSmallMemory, &memory);
        const uint32_t consumed = r.next - srcAddr;
        ASSERT_LE(r.length, kMaxInstructionLength);
        ASSERT_LE(r.length, capacity);
        ASSERT_LE(consumed, avail);

        size_t untouchedFrom = r.length;
        if (r.truncated) {
            ++truncated;
            ASSERT_EQ(consumed, 0u);
            ASSERT_EQ(r.length, 0u);
            // More bytes must either complete a longer instruction or prove it invalid.
            const CopiedInstruction full = MeasureInstruction(bytes, kSourceRoom, srcAddr);
            ASSERT_FALSE(full.truncated);
            ASSERT_TRUE(full.invalid || full.next - srcAddr > avail);
        } else if (r.invalid) {
            ++invalid;
            ASSERT_GE(consumed, 1u);
            ASSERT_EQ(r.length, 0u);
        } else {
            ASSERT_GE(consumed, 1u);
            ASSERT_LE(consumed, kMaxInstructionLength);
            if (r.extra != 0) {
                ++tooFar;
                ASSERT_EQ(r.length, 0u);
            } else if (r.noRoom) {
                ++noRoom;
                ASSERT_LT(capacity, consumed);
                ASSERT_EQ(r.length, 0u);
            } else {
                ++copied;
                ASSERT_EQ(r.length, consumed);
                // Copying back to the original address must give the original bytes.
                uint8_t* back = backBlock.get() + kDestinationRoom - r.length;
                const CopiedInstruction b = CopyInstruction(back, r.length, srcAddr, dst, r.length, dstAddr,
                                                            ReadSmallMemory, &memory);
                ASSERT_EQ(b.length, r.length);
                ASSERT_EQ(std::memcmp(back, bytes, r.length), 0);
                ASSERT_EQ(b.target, r.target);
                ASSERT_EQ(b.dynamicTarget, r.dynamicTarget);
            }
            // The decoded length does not depend on how much follows it.
            const CopiedInstruction full = MeasureInstruction(bytes, kSourceRoom, srcAddr);
            ASSERT_EQ(full.next, r.next);
            ASSERT_FALSE(full.invalid);
        }
        for (size_t k = untouchedFrom; k < capacity; ++k)
            ASSERT_EQ(dst[k], kFill) << "wrote beyond the reported length";
    }
    std::printf("fuzz: %zu copied, %zu truncated, %zu invalid, %zu out of reach, %zu no room\n", copied,
                truncated, invalid, tooFar, noRoom);
    EXPECT_GT(copied, 100000u);
    EXPECT_GT(tooFar, 1000u);
}

} // namespace
} // namespace movalent
