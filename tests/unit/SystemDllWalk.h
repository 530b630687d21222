// Shared by the disassembler cross-checks: code sections of installed system DLLs, walked linearly.
#pragma once

#include <capstone/capstone.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace movalent::dllwalk {

inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

// Enough DLLs to cover compiler output of several styles while keeping the run short.
inline const char* const kSample[] = {"kernel32.dll", "kernelbase.dll", "ntdll.dll",  "ole32.dll",
                                      "advapi32.dll", "user32.dll",     "gdi32.dll",  "oleaut32.dll",
                                      "msvcrt.dll",   "ucrtbase.dll",   "urlmon.dll", "wininet.dll",
                                      "shlwapi.dll",  "comctl32.dll",   "rpcrt4.dll", "msvcr120.dll"};

struct CodeSection {
    uint64_t address = 0; // virtual address at the preferred image base
    std::vector<uint8_t> bytes;
};

inline uint64_t LittleEndian(const std::vector<uint8_t>& file, size_t at, size_t size) {
    if (at + size > file.size())
        return 0;
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= static_cast<uint64_t>(file[at + i]) << (8 * i);
    return value;
}

// Minimal PE reader: executable sections' raw bytes and their addresses, for images of the given machine
// (PE32 for i386, PE32+ for amd64).
inline std::vector<CodeSection> ReadCodeSections(const std::filesystem::path& path, uint16_t machine) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(path, error);
    std::vector<uint8_t> file(error ? 0 : fileSize);
    if (!in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size())))
        file.clear();
    std::vector<CodeSection> sections;
    const auto le = [&file](size_t at, size_t size) { return LittleEndian(file, at, size); };
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z')
        return sections;
    const size_t pe = le(0x3C, 4);
    if (pe + 24 > file.size() || std::memcmp(&file[pe], "PE\0\0", 4) != 0)
        return sections;
    const size_t fileHeader = pe + 4;
    if (le(fileHeader, 2) != machine)
        return sections;
    const auto count = static_cast<unsigned>(le(fileHeader + 2, 2));
    const size_t optional = fileHeader + 20;
    const size_t optionalSize = le(fileHeader + 16, 2);
    const bool wide = machine == kMachineAmd64;
    if (le(optional, 2) != (wide ? 0x20Bu : 0x10Bu))
        return sections;
    const uint64_t imageBase = wide ? le(optional + 24, 8) : le(optional + 28, 4);
    size_t header = optional + optionalSize;
    for (unsigned i = 0; i < count; ++i, header += 40) {
        if (header + 40 > file.size())
            break;
        const uint64_t virtualSize = le(header + 8, 4);
        const uint64_t virtualAddress = le(header + 12, 4);
        const uint64_t rawSize = le(header + 16, 4);
        const uint64_t rawOffset = le(header + 20, 4);
        const uint64_t characteristics = le(header + 36, 4);
        const bool executable = (characteristics & 0x20000000) || (characteristics & 0x20);
        if (!executable || rawOffset >= file.size())
            continue;
        size_t size = std::min<size_t>(virtualSize ? virtualSize : rawSize, rawSize);
        size = std::min<size_t>(size, file.size() - rawOffset);
        CodeSection section;
        section.address = imageBase + virtualAddress;
        section.bytes.assign(file.begin() + rawOffset, file.begin() + rawOffset + size);
        sections.push_back(std::move(section));
    }
    return sections;
}

// The sample, or with MOVALENT_COPIER_ALL_DLLS=1 every DLL of the folder (about a minute).
inline std::vector<std::filesystem::path> DllPaths(const char* folder) {
    std::vector<std::filesystem::path> paths;
    if (const char* all = std::getenv("MOVALENT_COPIER_ALL_DLLS"); all && *all == '1') {
        for (const auto& item : std::filesystem::directory_iterator(folder))
            if (item.path().extension() == ".dll")
                paths.push_back(item.path());
        std::sort(paths.begin(), paths.end());
    } else {
        for (const char* name : kSample)
            if (std::filesystem::exists(std::filesystem::path(folder) / name))
                paths.push_back(std::filesystem::path(folder) / name);
    }
    return paths;
}

inline std::string HexPrefix(const uint8_t* p, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", p[i]);
        s += buf;
    }
    return s;
}

// Walks a section with the disassembler; judge(bytes, bytesAvailable, insn) sees every instruction it
// decodes.
template <typename Judge> void WalkSection(csh handle, const CodeSection& section, Judge judge) {
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
        judge(at, size + insn->size, *insn);
    }
    cs_free(insn, 1);
}

// Prints the most frequent disagreements, keyed by leading bytes and the disassembler's reading.
inline void PrintWorst(const std::map<std::string, size_t>& disagreements) {
    std::vector<std::pair<size_t, std::string>> worst;
    for (const auto& [bytes, count] : disagreements)
        worst.emplace_back(count, bytes);
    std::sort(worst.rbegin(), worst.rend());
    for (size_t i = 0; i < worst.size() && i < 40; ++i)
        std::printf("  %6zu x %s\n", worst[i].first, worst[i].second.c_str());
}

} // namespace movalent::dllwalk
