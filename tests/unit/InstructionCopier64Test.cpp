#include "engine/intercept/InstructionCopier64.h"

#include "HexBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace movalent {
namespace {

constexpr uint8_t kFill = 0xA5; // marks destination bytes the copier must not touch
constexpr uint64_t kImage = 0x140001000;

struct Copy {
    CopiedInstruction64 result;
    uint64_t at = 0;
    uint8_t out[32];
    std::string Written() const { return ToHex(out, result.length); }
    bool UntouchedFrom(size_t from) const {
        for (size_t i = from; i < sizeof out; ++i)
            if (out[i] != kFill)
                return false;
        return true;
    }
    // Decodes the copy where it will run: the instruction at `offset`.
    CopiedInstruction64 At(size_t offset, ReadMemory64Fn reader = nullptr, void* context = nullptr) const {
        return MeasureInstruction64(out + offset, result.length - offset, at + offset, reader, context);
    }
};

Copy CopyTo(const std::string& code, uint64_t srcAddr, uint64_t dstAddr, size_t capacity = 32,
            ReadMemory64Fn reader = nullptr, void* context = nullptr) {
    const std::vector<uint8_t> src = Hex(code); // exactly sized: the sanitizer sees any over-read
    Copy copy;
    copy.at = dstAddr;
    std::memset(copy.out, kFill, sizeof copy.out);
    copy.result =
        CopyInstruction64(copy.out, capacity, dstAddr, src.data(), src.size(), srcAddr, reader, context);
    return copy;
}

// A prologue, the 8-byte no-op at exported entry points, then how REX, 66 and 67 size immediates and
// offsets (REX.W outweighs 66; a REX followed by a legacy prefix is dropped), then the other opcode maps.
TEST(InstructionCopier64Test, PositionIndependentCodeIsCopiedVerbatimAndTruncatesWhenCut) {
    // clang-format off
    for (const char* code : {
            "48 89 5C 24 08", "48 83 EC 28", "40 53", "48 8D A4 24 00 00 00 00",
            "48 B8 88 77 66 55 44 33 22 11", "41 B8 78 56 34 12", "66 B8 34 12", "48 66 B8 34 12",
            "66 48 B8 88 77 66 55 44 33 22 11",
            "66 48 81 C0 78 56 34 12", "48 A1 88 77 66 55 44 33 22 11", "67 A1 78 56 34 12",
            "65 48 8B 04 25 30 00 00 00", "F3 0F 1E FA", "66 0F 1F 84 00 00 00 00 00", "C5 F8 77",
            "C5 F9 70 C1 1B", "C4 E3 79 0F C1 08", "66 0F 38 00 C1", "66 0F 3A 0F C1 08",
            "3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 90"}) {
        // clang-format on
        SCOPED_TRACE(code);
        const std::vector<uint8_t> full = Hex(code);
        const Copy copy = CopyTo(code, kImage, 0x7FF700000000);
        EXPECT_EQ(copy.result.sourceLength, full.size());
        EXPECT_EQ(copy.result.next, kImage + full.size());
        EXPECT_EQ(copy.Written(), code);
        EXPECT_TRUE(copy.UntouchedFrom(full.size()));
        EXPECT_FALSE(copy.result.ripRelative);
        for (size_t avail = 0; avail < full.size(); ++avail) {
            const std::string cut = ToHex(full.data(), avail);
            const Copy partial = CopyTo(cut, kImage, 0x2000);
            EXPECT_TRUE(partial.result.truncated) << avail;
            EXPECT_EQ(partial.result.next, kImage);
            EXPECT_TRUE(partial.UntouchedFrom(0));
        }
    }
}

TEST(InstructionCopier64Test, RipRelativeOperandKeepsItsAddress) {
    const uint64_t operand = kImage + 7 + 0x100;
    const Copy load = CopyTo("48 8B 05 00 01 00 00", kImage, kImage + 0x800000);
    EXPECT_TRUE(load.result.ripRelative);
    EXPECT_EQ(load.result.target, operand);
    EXPECT_EQ(load.Written(), "48 8B 05 00 01 80 FF");

    // The displacement counts from the end of the instruction, past any immediate.
    for (const char* code :
         {"C7 05 10 00 00 00 78 56 34 12", "80 3D 10 00 00 00 01", "C4 E3 79 0F 05 10 00 00 00 08"}) {
        const Copy copy = CopyTo(code, kImage, kImage - 0x12345678);
        ASSERT_EQ(copy.result.length, Hex(code).size()) << code;
        EXPECT_EQ(copy.result.target, kImage + copy.result.length + 0x10) << code;
        EXPECT_EQ(copy.At(0).target, copy.result.target) << code;
        EXPECT_EQ(copy.out[copy.result.length - 1], Hex(code).back()) << "the immediate is kept";
    }

    // disp32 reaches 2 GB down and 2 GB - 1 up from the end of the copy, and no further.
    for (const auto& [dst, written] : std::initializer_list<std::pair<uint64_t, const char*>>{
             {operand + 0x80000000 - 7, "48 8B 05 00 00 00 80"},
             {operand - 0x7FFFFFFF - 7, "48 8B 05 FF FF FF 7F"},
             {operand + 0x80000000 - 6, ""},
             {operand - 0x80000000 - 7, ""}}) {
        const Copy copy = CopyTo("48 8B 05 00 01 00 00", kImage, dst);
        EXPECT_EQ(copy.Written(), written);
        EXPECT_EQ(copy.result.outOfReach, *written == 0);
        EXPECT_EQ(copy.result.target, operand);
        EXPECT_TRUE(copy.UntouchedFrom(copy.result.length));
    }
}

// Relative branches: the copy must reach the same target, or say it cannot.
TEST(InstructionCopier64Test, RelativeBranchesAreRetargetedOrEnlarged) {
    struct {
        const char* code;
        uint64_t dst;
        const char* written; // nullptr: out of reach
        uint64_t target;
    } const cases[] = {
        {"EB 10", kImage + 0x50, "EB C0", kImage + 0x12},
        {"EB 05", kImage + 0x10000, "E9 02 00 FF FF", kImage + 7},
        {"74 05", kImage + 0x10000, "0F 84 01 00 FF FF", kImage + 7},
        {"3E 7F 05", kImage + 0x10000, "3E 0F 8F 01 00 FF FF", kImage + 8},
        {"74 05", 0x7FF700000000, nullptr, kImage + 7},
        {"E8 00 00 00 00", kImage + 0x1000, "E8 00 F0 FF FF", kImage + 5},
        {"E9 00 00 00 00", 0x7FF700000000, nullptr, kImage + 5},
        {"66 E9 00 00 00 00", kImage + 0x1000, "66 E9 00 F0 FF FF", kImage + 6},
        {"0F 85 00 01 00 00", kImage - 0x1000, "0F 85 00 11 00 00", kImage + 0x106},
        {"E2 F0", kImage + 4, "E2 EC", kImage - 14},
        {"3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 74 05", kImage + 0x10000, nullptr, kImage + 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const Copy copy = CopyTo(c.code, kImage, c.dst);
        EXPECT_EQ(copy.result.target, c.target);
        EXPECT_EQ(copy.result.outOfReach, c.written == nullptr);
        EXPECT_EQ(copy.result.next, kImage + Hex(c.code).size());
        EXPECT_EQ(copy.Written(), c.written ? c.written : "");
        EXPECT_TRUE(copy.UntouchedFrom(copy.result.length));
    }

    EXPECT_TRUE(CopyTo("74 05", kImage, kImage + 0x10000, 5).result.noRoom) << "enlarged beyond the room";
}

TEST(InstructionCopier64Test, LoopOutOfReachBecomesASequenceWithBothPathsIntact) {
    for (const char* code : {"E3 05", "67 E3 05", "E2 F0", "48 E0 7F"}) {
        SCOPED_TRACE(code);
        const size_t size = Hex(code).size();
        const Copy copy = CopyTo(code, kImage, kImage + 0x123456);
        ASSERT_EQ(copy.result.length, size + 7);
        EXPECT_EQ(ToHex(copy.out, size), ToHex(Hex(code).data(), size - 1) + " 02");
        const uint64_t end = copy.at + copy.result.length;
        const CopiedInstruction64 taken = copy.At(0);
        ASSERT_EQ(taken.sourceLength, size);
        EXPECT_EQ(copy.At(taken.target - copy.at).target, copy.result.target) << "taken";
        EXPECT_EQ(copy.At(size).target, end) << "not taken skips the far jump";
        EXPECT_EQ(copy.result.target, kImage + size + static_cast<int8_t>(Hex(code).back()));
    }
    EXPECT_EQ(MeasureInstruction64(Hex("E3 05").data(), 2, kImage).length, 2u);
    EXPECT_TRUE(CopyTo("E3 05", kImage, kImage + 0x123456, 8).result.noRoom);
}

struct Memory {
    uint64_t address;
    uint64_t pointer;
};

bool ReadPointer(uint64_t address, uint64_t& value, void* context) {
    const auto* memory = static_cast<const Memory*>(context);
    value = memory->pointer;
    return address == memory->address;
}

TEST(InstructionCopier64Test, IndirectBranchThroughRipReportsThePointer) {
    Memory memory{kImage + 0x2000, 0x7FFE12345678};
    for (const char* code : {"FF 25 FA 1F 00 00", "FF 15 FA 1F 00 00", "48 FF 25 F9 1F 00 00"}) {
        const Copy copy = CopyTo(code, kImage, kImage + 0x400000, 32, ReadPointer, &memory);
        EXPECT_TRUE(copy.result.dynamicTarget && copy.result.ripRelative) << code;
        EXPECT_EQ(copy.result.target, memory.pointer) << code;
        EXPECT_EQ(copy.At(0, ReadPointer, &memory).target, memory.pointer)
            << "the copy reads the same pointer";
        EXPECT_EQ(CopyTo(code, kImage, kImage).result.target, 0u) << "no reader, no target";
    }
    // Neither a far branch nor a push takes a near pointer from memory.
    EXPECT_EQ(CopyTo("FF 2D FA 1F 00 00", kImage, kImage, 32, ReadPointer, &memory).result.target, 0u);
    const Copy push = CopyTo("FF 35 FA 1F 00 00", kImage, kImage, 32, ReadPointer, &memory);
    EXPECT_FALSE(push.result.dynamicTarget);
    EXPECT_EQ(push.result.target, memory.address);
    EXPECT_TRUE(CopyTo("FF E0", kImage, kImage).result.dynamicTarget);
}

TEST(InstructionCopier64Test, EncodingsOutsideLongModeAreRefused) {
    struct {
        const char* code;
        uint64_t skip;
    } const cases[] = {
        // clang-format off
        {"06", 1}, {"1F", 1}, {"27", 1}, {"37", 1}, {"60", 1}, {"62 F1 7C 48 58 C1", 1}, {"82 C0 01", 1},
        {"9A 00 00 00 00 00 00", 1}, {"CE", 1}, {"D4 0A", 1}, {"D6", 1}, {"EA 00 00 00 00 00 00", 1},
        {"8F E8 78 C2 C1 04", 1}, {"0F 0F C1 9E", 2}, {"C4 E8 78 C2 C1 04", 1}, {"66 C5 F8 77", 2},
        {"48 C5 F8 77", 2}, {"66 0F 38 FF C1", 4}, {"3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 90", 15},
        {"3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 48 C7 05 00 00 00 00 00 00 00 00", 14},
        // clang-format on
    };
    for (const auto& c : cases) {
        const Copy copy = CopyTo(c.code, kImage, kImage);
        EXPECT_TRUE(copy.result.invalid) << c.code;
        EXPECT_EQ(copy.result.next, kImage + c.skip) << c.code;
        EXPECT_EQ(copy.result.length, 0u);
        EXPECT_TRUE(copy.UntouchedFrom(0));
    }
}

// Random byte strings under the sanitizers: no access outside the given buffers, and results that agree
// with one another.
TEST(InstructionCopier64Test, RandomInputStaysInBoundsAndConsistent) {
    constexpr size_t kSourceRoom = 16;
    constexpr size_t kRoom = kMaxCopiedInstructionLength64 + 2;
    const uint8_t kSteer[] = {0x66, 0x67, 0xF2, 0xF3, 0x2E, 0x64, 0xF0, 0x40, 0x48, 0x4D, 0x0F, 0xC4, 0xC5};
    // The data sits at the very end of each heap block: one byte past the given size is in the redzone.
    const auto source = std::make_unique<uint8_t[]>(kSourceRoom);
    const auto destination = std::make_unique<uint8_t[]>(kRoom);
    std::mt19937_64 rng(0x6D6F76616C656E74);
    Memory memory{0, 0x7FFE00001000};
    size_t copied = 0, enlarged = 0;
    for (int i = 0; i < 1000000; ++i) {
        uint8_t bytes[kSourceRoom];
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        size_t at = 0;
        for (size_t n = rng() % 4; n > 0; --n)
            bytes[at++] = kSteer[rng() % std::size(kSteer)];
        if (rng() % 8 == 0) { // call/jmp [rip+disp32] with the pointer readable
            bytes[at] = 0xFF;
            bytes[at + 1] = (rng() & 1) ? 0x15 : 0x25;
        }
        const size_t avail = rng() % (kSourceRoom + 1);
        const size_t capacity = rng() % (kRoom + 1);
        uint8_t* src = source.get() + kSourceRoom - avail;
        uint8_t* dst = destination.get() + kRoom - capacity;
        std::memcpy(src, bytes, avail);
        std::memset(dst, kFill, capacity);
        const uint64_t srcAddr = rng() >> 16;
        const uint64_t dstAddr =
            (rng() & 1) ? srcAddr + rng() % 512 - 256 : srcAddr + (rng() >> 32) - (rng() >> 32);
        int32_t disp;
        std::memcpy(&disp, bytes + at + 2, 4);
        memory.address = srcAddr + at + 6 + disp;

        const CopiedInstruction64 r =
            CopyInstruction64(dst, capacity, dstAddr, src, avail, srcAddr, ReadPointer, &memory);
        ASSERT_LE(r.length, capacity);
        ASSERT_LE(r.next - srcAddr, avail);
        for (size_t k = r.length; k < capacity; ++k)
            ASSERT_EQ(dst[k], kFill) << "wrote beyond the reported length";
        const CopiedInstruction64 full = MeasureInstruction64(bytes, kSourceRoom, srcAddr);
        if (r.truncated || r.invalid) {
            ASSERT_EQ(r.length + r.sourceLength, 0u);
            ASSERT_TRUE(r.invalid ? r.next > srcAddr : r.next == srcAddr);
            // More source completes a longer instruction or proves it invalid.
            ASSERT_TRUE(r.invalid ? full.invalid && full.next == r.next
                                  : full.invalid || full.sourceLength > avail);
            continue;
        }
        ASSERT_EQ(full.next, r.next) << "the length does not depend on what follows";
        ASSERT_EQ(full.length, r.sourceLength);
        if (r.length == 0) {
            uint8_t room[kRoom];
            ASSERT_TRUE(
                r.outOfReach ||
                (r.noRoom && CopyInstruction64(room, kRoom, dstAddr, src, avail, srcAddr).length > capacity));
            continue;
        }
        // The copy, decoded where it runs, reaches what the source reached.
        const CopiedInstruction64 again = MeasureInstruction64(dst, r.length, dstAddr);
        const bool verbatim = r.length == r.sourceLength;
        (verbatim ? copied : enlarged)++;
        ASSERT_TRUE(!verbatim || (again.length == r.length && again.ripRelative == r.ripRelative));
        const size_t last = again.length == r.length ? 0 : r.length - 5; // a sequence ends with jmp rel32
        ASSERT_EQ(
            MeasureInstruction64(dst + last, r.length - last, dstAddr + last, ReadPointer, &memory).target,
            r.target);
    }
    EXPECT_GT(copied, 100000u);
    EXPECT_GT(enlarged, 1000u);
}

} // namespace
} // namespace movalent
