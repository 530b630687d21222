// Opcode sets that read the same in 32-bit and 64-bit code, shared by both instruction copiers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace movalent::opcodes {

struct OpcodeSet {
    uint64_t words[4] = {};
    constexpr OpcodeSet(std::initializer_list<std::pair<int, int>> ranges) {
        for (const auto& [first, last] : ranges)
            for (int op = first; op <= last; ++op)
                words[op >> 6] |= uint64_t{1} << (op & 63);
    }
    constexpr bool Has(uint8_t op) const { return (words[op >> 6] >> (op & 63)) & 1; }
};

// Three-byte maps: every 0F 38 instruction is opcode + ModR/M, every 0F 3A one adds an imm8.
// SSSE3, SSE4, AES, SHA, CRC32, MOVBE, ADX and a few more; the rest is refused.
inline constexpr OpcodeSet k0F38Opcodes{{0x00, 0x0B}, {0x10, 0x10}, {0x14, 0x15}, {0x17, 0x17},
                                        {0x1C, 0x1E}, {0x20, 0x25}, {0x28, 0x2B}, {0x30, 0x35},
                                        {0x37, 0x41}, {0x80, 0x82}, {0xC8, 0xCD}, {0xCF, 0xCF},
                                        {0xDB, 0xDF}, {0xF0, 0xF1}, {0xF5, 0xF6}, {0xF8, 0xF9}};
inline constexpr OpcodeSet k0F3AOpcodes{{0x08, 0x0F}, {0x14, 0x17}, {0x20, 0x22}, {0x40, 0x42}, {0x44, 0x44},
                                        {0x60, 0x63}, {0xCC, 0xCC}, {0xCE, 0xCF}, {0xDF, 0xDF}};

// Vector map 0F opcodes that end with an imm8 (map 0F3A always does, map 0F38 never). The
// four-byte prefix uses the same rows as the two- and three-byte ones.
inline constexpr OpcodeSet kVexImmediateOpcodes{{0x70, 0x73}, {0xC2, 0xC2}, {0xC4, 0xC6}};
inline constexpr uint8_t kVexZeroUpper = 0x77; // vzeroupper/vzeroall: the one VEX opcode without ModR/M

} // namespace movalent::opcodes
