// Cross-checks instruction lengths against an independent disassembler on the
// 32-bit system DLLs installed for the compatibility layer.
#include "engine/intercept/InstructionCopier.h"

#include "SystemDllWalk.h"

#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace movalent {
namespace {

using dllwalk::HexPrefix;

const char* const kDllFolder = "/usr/lib/i386-linux-gnu/wine/i386-windows";

// With a register operand, a four-byte vector prefix can select a rounding mode; the disassembler then
// reads one byte past the instruction, though the mode sits in the prefix itself.
bool IsRoundingQuirk(const cs_insn& insn, size_t copierLength) {
    return insn.size == copierLength + 1 && std::strstr(insn.op_str, "-sae}") != nullptr;
}

struct Tally {
    size_t compared = 0;
    size_t agreed = 0;
    size_t refused = 0;
    size_t quirks = 0;
    std::map<std::string, size_t> disagreements; // leading bytes -> count
};

void Walk(csh handle, const dllwalk::CodeSection& section, Tally& tally) {
    dllwalk::WalkSection(handle, section, [&tally](const uint8_t* at, size_t avail, const cs_insn& insn) {
        const CopiedInstruction copied = MeasureInstruction(at, avail, static_cast<uint32_t>(insn.address));
        if (copied.invalid) {
            ++tally.refused;
            return;
        }
        ++tally.compared;
        if (copied.length == insn.size) {
            ++tally.agreed;
        } else if (IsRoundingQuirk(insn, copied.length)) {
            ++tally.quirks;
        } else {
            ++tally.disagreements[HexPrefix(at, std::min<size_t>(insn.size, 4)) + "| " + insn.mnemonic + " " +
                                  insn.op_str];
        }
    });
}

TEST(CopierCapstoneTest, LengthsAgreeOnSystemDlls) {
    if (!std::filesystem::is_directory(kDllFolder))
        GTEST_SKIP() << "no 32-bit system DLLs at " << kDllFolder;

    csh handle = 0;
    ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
    const std::vector<std::filesystem::path> paths = dllwalk::DllPaths(kDllFolder);
    Tally tally;
    for (const auto& path : paths)
        for (const dllwalk::CodeSection& section : dllwalk::ReadCodeSections(path, dllwalk::kMachineI386))
            Walk(handle, section, tally);
    cs_close(&handle);
    if (paths.empty())
        GTEST_SKIP() << "none of the sample DLLs is installed";

    const double percent = tally.compared ? 100.0 * tally.agreed / tally.compared : 0.0;
    std::printf("copier vs disassembler: %zu files, %zu instructions compared, %zu agreed (%.4f%%), "
                "%zu refused by the copier, %zu known quirks\n",
                paths.size(), tally.compared, tally.agreed, percent, tally.refused, tally.quirks);
    dllwalk::PrintWorst(tally.disagreements);

    EXPECT_GT(tally.compared, 100000u);
    EXPECT_EQ(tally.agreed + tally.quirks, tally.compared);
}

// Real compiler output uses few opcode classes, so every table row is also checked on
// random bytes behind random prefixes, half of them in the 0F map.
TEST(CopierCapstoneTest, LengthsAgreeOnRandomEncodings) {
    csh handle = 0;
    ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
    cs_insn* insn = cs_malloc(handle);
    std::mt19937 rng(20240601);
    const uint8_t prefixes[] = {0x66, 0x67, 0xF2, 0xF3, 0x2E, 0x64, 0xF0};
    size_t compared = 0;
    size_t agreed = 0;
    size_t quirks = 0;
    std::map<std::string, size_t> disagreements;
    for (int i = 0; i < 400000; ++i) {
        uint8_t bytes[16];
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        size_t opStart = 0;
        if (rng() % 4 == 0) {
            for (unsigned n = rng() % 3; n > 0; --n)
                bytes[opStart++] = prefixes[rng() % std::size(prefixes)];
        }
        if (rng() % 2)
            bytes[opStart] = 0x0F;

        const CopiedInstruction copied = MeasureInstruction(bytes, sizeof bytes, 0x1000);
        const uint8_t* code = bytes;
        size_t size = sizeof bytes;
        uint64_t address = 0x1000;
        if (copied.invalid || !cs_disasm_iter(handle, &code, &size, &address, insn))
            continue;
        ++compared;
        if (copied.length == insn->size) {
            ++agreed;
            continue;
        }
        // The disassembler drops the operand-size override of a near call when a
        // repeat prefix accompanies it (it honours it for jmp); the processor applies it.
        const bool hasOperandOverride = std::find(bytes, bytes + opStart, 0x66) != bytes + opStart;
        const bool hasRepeat = std::find_if(bytes, bytes + opStart, [](uint8_t b) {
                                   return b == 0xF2 || b == 0xF3;
                               }) != bytes + opStart;
        if ((bytes[opStart] == 0xE8 && hasOperandOverride && hasRepeat) ||
            IsRoundingQuirk(*insn, copied.length)) {
            ++quirks;
            continue;
        }
        ++disagreements[HexPrefix(bytes, opStart + 3) + "| " + insn->mnemonic + " " + insn->op_str];
    }
    cs_free(insn, 1);
    cs_close(&handle);

    std::printf("copier vs disassembler on random encodings: %zu compared, %zu agreed, %zu known quirks\n",
                compared, agreed, quirks);
    for (const auto& [bytes, count] : disagreements)
        std::printf("  %6zu x %s\n", count, bytes.c_str());
    EXPECT_GT(compared, 200000u);
    EXPECT_TRUE(disagreements.empty());
}

} // namespace
} // namespace movalent
