// Cross-checks instruction lengths against an independent disassembler on the
// 32-bit system DLLs installed for the compatibility layer.
#include "engine/intercept/InstructionCopier.h"

#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace movalent {
namespace {

const char* const kDllFolder = "/usr/lib/i386-linux-gnu/wine/i386-windows";

// Enough DLLs to cover compiler output of several styles while keeping the run short.
const char* const kSample[] = {"kernel32.dll", "kernelbase.dll", "ntdll.dll",  "ole32.dll",
                               "advapi32.dll", "user32.dll",     "gdi32.dll",  "oleaut32.dll",
                               "msvcrt.dll",   "ucrtbase.dll",   "urlmon.dll", "wininet.dll",
                               "shlwapi.dll",  "comctl32.dll",   "rpcrt4.dll", "msvcr120.dll"};

struct CodeSection {
    uint32_t address = 0; // virtual address at the preferred image base
    std::vector<uint8_t> bytes;
};

uint32_t Le32(const std::vector<uint8_t>& file, size_t at) {
    if (at + 4 > file.size())
        return 0;
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
           (static_cast<uint32_t>(file[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& file, size_t at) {
    if (at + 2 > file.size())
        return 0;
    return static_cast<uint16_t>(file[at] | (file[at + 1] << 8));
}

// Minimal PE32 reader: executable sections' raw bytes and their addresses.
std::vector<CodeSection> ReadCodeSections(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(path, error);
    std::vector<uint8_t> file(error ? 0 : fileSize);
    if (!in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size())))
        file.clear();
    std::vector<CodeSection> sections;
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z')
        return sections;
    const size_t pe = Le32(file, 0x3C);
    if (pe + 24 > file.size() || std::memcmp(&file[pe], "PE\0\0", 4) != 0)
        return sections;
    const size_t fileHeader = pe + 4;
    if (Le16(file, fileHeader) != 0x14C) // i386
        return sections;
    const unsigned count = Le16(file, fileHeader + 2);
    const size_t optional = fileHeader + 20;
    const size_t optionalSize = Le16(file, fileHeader + 16);
    if (Le16(file, optional) != 0x10B) // PE32
        return sections;
    const uint32_t imageBase = Le32(file, optional + 28);
    size_t header = optional + optionalSize;
    for (unsigned i = 0; i < count; ++i, header += 40) {
        if (header + 40 > file.size())
            break;
        const uint32_t virtualSize = Le32(file, header + 8);
        const uint32_t virtualAddress = Le32(file, header + 12);
        const uint32_t rawSize = Le32(file, header + 16);
        const uint32_t rawOffset = Le32(file, header + 20);
        const uint32_t characteristics = Le32(file, header + 36);
        const bool executable = (characteristics & 0x20000000) || (characteristics & 0x20);
        if (!executable || rawOffset >= file.size())
            continue;
        size_t size = std::min<size_t>(virtualSize ? virtualSize : rawSize, rawSize);
        size = std::min(size, file.size() - rawOffset);
        CodeSection section;
        section.address = imageBase + virtualAddress;
        section.bytes.assign(file.begin() + rawOffset, file.begin() + rawOffset + size);
        sections.push_back(std::move(section));
    }
    return sections;
}

struct Tally {
    size_t compared = 0;
    size_t agreed = 0;
    size_t refused = 0;
    std::map<std::string, size_t> disagreements; // leading bytes -> count
};

std::string HexPrefix(const uint8_t* p, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", p[i]);
        s += buf;
    }
    return s;
}

void Walk(csh handle, const CodeSection& section, Tally& tally) {
    cs_insn* insn = cs_malloc(handle);
    const uint8_t* code = section.bytes.data();
    size_t size = section.bytes.size();
    uint64_t address = section.address;
    while (size > 0) {
        const uint8_t* at = code;
        if (!cs_disasm_iter(handle, &code, &size, &address, insn)) {
            // Data or an encoding the disassembler does not know: resynchronise one byte on.
            ++code;
            --size;
            ++address;
            continue;
        }
        const size_t avail = size + insn->size;
        const CopiedInstruction copied = MeasureInstruction(at, avail, static_cast<uint32_t>(insn->address));
        if (copied.invalid) {
            ++tally.refused;
            continue;
        }
        ++tally.compared;
        if (copied.length == insn->size) {
            ++tally.agreed;
        } else {
            ++tally.disagreements[HexPrefix(at, std::min<size_t>(insn->size, 4)) + "| " + insn->mnemonic +
                                  " " + insn->op_str];
        }
    }
    cs_free(insn, 1);
}

TEST(CopierCapstoneTest, LengthsAgreeOnSystemDlls) {
    if (!std::filesystem::is_directory(kDllFolder))
        GTEST_SKIP() << "no 32-bit system DLLs at " << kDllFolder;

    csh handle = 0;
    ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
    // MOVALENT_COPIER_ALL_DLLS=1 walks every DLL of the folder (about a minute) instead of the sample.
    std::vector<std::filesystem::path> paths;
    if (const char* all = std::getenv("MOVALENT_COPIER_ALL_DLLS"); all && *all == '1') {
        for (const auto& item : std::filesystem::directory_iterator(kDllFolder))
            if (item.path().extension() == ".dll")
                paths.push_back(item.path());
        std::sort(paths.begin(), paths.end());
    } else {
        for (const char* name : kSample)
            paths.push_back(std::filesystem::path(kDllFolder) / name);
    }
    Tally tally;
    size_t files = 0;
    for (const auto& path : paths) {
        if (!std::filesystem::exists(path))
            continue;
        ++files;
        for (const CodeSection& section : ReadCodeSections(path))
            Walk(handle, section, tally);
    }
    cs_close(&handle);
    if (files == 0)
        GTEST_SKIP() << "none of the sample DLLs is installed";

    const double percent = tally.compared ? 100.0 * tally.agreed / tally.compared : 0.0;
    std::printf("copier vs disassembler: %zu files, %zu instructions compared, %zu agreed (%.4f%%), "
                "%zu refused by the copier\n",
                files, tally.compared, tally.agreed, percent, tally.refused);
    std::vector<std::pair<size_t, std::string>> worst;
    for (const auto& [bytes, count] : tally.disagreements)
        worst.emplace_back(count, bytes);
    std::sort(worst.rbegin(), worst.rend());
    for (size_t i = 0; i < worst.size() && i < 40; ++i)
        std::printf("  %6zu x %s\n", worst[i].first, worst[i].second.c_str());

    EXPECT_GT(tally.compared, 100000u);
    EXPECT_EQ(tally.agreed, tally.compared);
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
        if (bytes[opStart] == 0xE8 && hasOperandOverride && hasRepeat) {
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
