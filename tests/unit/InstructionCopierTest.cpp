#include "engine/intercept/InstructionCopier.h"

#include "HexBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace movalent {
namespace {

constexpr uint8_t kFill = 0xA5; // marks destination bytes the copier must not touch

struct Copy {
    CopiedInstruction result;
    uint8_t out[32];
    std::string Written() const { return ToHex(out, result.length); }
    bool UntouchedFrom(size_t from) const {
        for (size_t i = from; i < sizeof out; ++i)
            if (out[i] != kFill)
                return false;
        return true;
    }
};

Copy CopyTo(const std::string& code, uint32_t srcAddr, uint32_t dstAddr, size_t capacity = 32,
            ReadMemoryFn reader = nullptr, void* context = nullptr) {
    const std::vector<uint8_t> src = Hex(code);
    Copy copy;
    std::memset(copy.out, kFill, sizeof copy.out);
    copy.result =
        CopyInstruction(copy.out, capacity, dstAddr, src.data(), src.size(), srcAddr, reader, context);
    return copy;
}

// Instructions whose length does not depend on where they run. The encodings are
// written from the opcode maps; the comment names the instruction.
struct LengthCase {
    const char* bytes;
    uint32_t length;
    const char* what;
};

const LengthCase kLengths[] = {
    // One-byte map: arithmetic rows (Eb,Gb / Ev,Gv / Gb,Eb / Gv,Ev / al,ib / eax,iz)
    {"00 C8", 2, "add al, cl"},
    {"01 00", 2, "add [eax], eax"},
    {"3A 06", 2, "cmp al, [esi]"},
    {"04 7F", 2, "add al, 7F"},
    {"05 78 56 34 12", 5, "add eax, imm32"},
    {"66 05 34 12", 4, "add ax, imm16"},
    {"3D 78 56 34 12", 5, "cmp eax, imm32"},
    {"06", 1, "push es"},
    {"0E", 1, "push cs"},
    {"1F", 1, "pop ds"},
    {"27", 1, "daa"},
    {"3F", 1, "aas"},
    {"40", 1, "inc eax"},
    {"4F", 1, "dec edi"},
    {"55", 1, "push ebp"},
    {"5F", 1, "pop edi"},
    {"60", 1, "pushad"},
    {"61", 1, "popad"},
    {"62 00", 2, "bound eax, [eax]"},
    {"63 C0", 2, "arpl ax, ax"},
    {"68 78 56 34 12", 5, "push imm32"},
    {"66 68 34 12", 4, "push imm16"},
    {"69 C0 78 56 34 12", 6, "imul eax, eax, imm32"},
    {"66 69 C0 34 12", 5, "imul ax, ax, imm16"},
    {"6A 01", 2, "push imm8"},
    {"66 6A 01", 3, "push imm8 under 66 stays 8-bit"},
    {"6B C0 01", 3, "imul eax, eax, imm8"},
    {"6C", 1, "insb"},
    {"6F", 1, "outsd"},
    {"80 C0 01", 3, "add al, imm8"},
    {"81 C0 78 56 34 12", 6, "add eax, imm32"},
    {"66 81 C0 34 12", 5, "add ax, imm16"},
    {"82 C0 01", 3, "add al, imm8 (alias row)"},
    {"83 C0 01", 3, "add eax, imm8"},
    {"66 83 C0 01", 4, "add ax, imm8"},
    {"84 C0", 2, "test al, al"},
    {"87 CA", 2, "xchg edx, ecx"},
    {"88 08", 2, "mov [eax], cl"},
    {"8B 45 08", 3, "mov eax, [ebp+8]"},
    {"8C D8", 2, "mov eax, ds"},
    {"8D 04 24", 3, "lea eax, [esp]"},
    {"8E D8", 2, "mov ds, eax"},
    {"8F 00", 2, "pop [eax]"},
    {"8F 45 FC", 3, "pop [ebp-4]"},
    {"90", 1, "nop"},
    {"97", 1, "xchg eax, edi"},
    {"98", 1, "cwde"},
    {"99", 1, "cdq"},
    {"9A 78 56 34 12 08 00", 7, "call far ptr16:32"},
    {"66 9A 34 12 08 00", 6, "call far ptr16:16"},
    {"9B", 1, "wait"},
    {"9C", 1, "pushfd"},
    {"9F", 1, "lahf"},
    {"A0 78 56 34 12", 5, "mov al, [moffs32]"},
    {"67 A0 34 12", 4, "mov al, [moffs16]"},
    {"66 A1 78 56 34 12", 6, "mov ax, [moffs32]: 66 leaves the offset alone"},
    {"67 66 A3 34 12", 5, "mov [moffs16], ax"},
    {"A4", 1, "movsb"},
    {"F3 A5", 2, "rep movsd"},
    {"A7", 1, "cmpsd"},
    {"A8 01", 2, "test al, imm8"},
    {"A9 78 56 34 12", 5, "test eax, imm32"},
    {"66 A9 34 12", 4, "test ax, imm16"},
    {"AA", 1, "stosb"},
    {"AF", 1, "scasd"},
    {"B0 01", 2, "mov al, imm8"},
    {"66 B3 01", 3, "mov bl, imm8 under 66"},
    {"B8 78 56 34 12", 5, "mov eax, imm32"},
    {"66 B8 34 12", 4, "mov ax, imm16"},
    {"66 66 B8 34 12", 5, "repeated 66"},
    {"BF 78 56 34 12", 5, "mov edi, imm32"},
    {"C0 E0 04", 3, "shl al, 4"},
    {"C1 64 24 04 04", 5, "shl dword [esp+4], 4"},
    {"C2 08 00", 3, "ret 8"},
    {"66 C2 08 00", 4, "ret 8 under 66: iw stays"},
    {"C3", 1, "ret"},
    {"C4 00", 2, "les eax, [eax]"},
    {"C5 45 08", 3, "lds eax, [ebp+8]"},
    {"C6 00 01", 3, "mov byte [eax], 1"},
    {"C6 F8 01", 3, "xabort 1"},
    {"C7 00 78 56 34 12", 6, "mov dword [eax], imm32"},
    {"66 C7 00 34 12", 5, "mov word [eax], imm16"},
    {"C7 45 F8 78 56 34 12", 7, "mov dword [ebp-8], imm32"},
    {"C8 10 00 01", 4, "enter 16, 1"},
    {"66 C8 10 00 01", 5, "enter under 66"},
    {"C9", 1, "leave"},
    {"CA 04 00", 3, "retf 4"},
    {"CB", 1, "retf"},
    {"CC", 1, "int3"},
    {"CD 2E", 2, "int 2E"},
    {"CE", 1, "into"},
    {"CF", 1, "iretd"},
    {"D0 E0", 2, "shl al, 1"},
    {"D3 E0", 2, "shl eax, cl"},
    {"D4 0A", 2, "aam"},
    {"D5 0A", 2, "aad"},
    {"D7", 1, "xlat"},
    {"D8 C1", 2, "fadd st, st1"},
    {"D9 C0", 2, "fld st0"},
    {"DD 05 78 56 34 12", 6, "fld qword [disp32]"},
    {"DF E0", 2, "fnstsw ax"},
    {"E4 60", 2, "in al, 60"},
    {"E7 60", 2, "out 60, eax"},
    {"EA 78 56 34 12 08 00", 7, "jmp far ptr16:32"},
    {"66 EA 34 12 08 00", 6, "jmp far ptr16:16"},
    {"EC", 1, "in al, dx"},
    {"EF", 1, "out dx, eax"},
    {"F4", 1, "hlt"},
    {"F5", 1, "cmc"},
    {"F8", 1, "clc"},
    {"FD", 1, "std"},
    {"F6 C0 01", 3, "test al, 1"},
    {"F6 00 01", 3, "test byte [eax], 1"},
    {"F6 C8 01", 3, "test al, 1 through the /1 alias"},
    {"F6 D0", 2, "not al"},
    {"F6 F1", 2, "div cl"},
    {"F7 C0 78 56 34 12", 6, "test eax, imm32"},
    {"66 F7 C0 34 12", 5, "test ax, imm16"},
    {"F7 85 00 01 00 00 78 56 34 12", 10, "test dword [ebp+100], imm32"},
    {"F7 44 24 04 78 56 34 12", 8, "test dword [esp+4], imm32"},
    {"F7 D8", 2, "neg eax"},
    {"F7 F1", 2, "div ecx"},
    {"F7 2D 78 56 34 12", 6, "imul dword [disp32]"},
    {"FE C0", 2, "inc al"},
    {"FF C0", 2, "inc eax"},
    {"FF 30", 2, "push [eax]"},
    {"FF 75 08", 3, "push [ebp+8]"},

    // ModR/M and SIB forms (32-bit addressing)
    {"8B 00", 2, "mod 0"},
    {"8B 04 24", 3, "mod 0, SIB"},
    {"8B 04 85 78 56 34 12", 7, "mod 0, SIB base 5: disp32 instead of a base"},
    {"8B 04 25 78 56 34 12", 7, "mod 0, SIB base 5, no index"},
    {"8B 05 78 56 34 12", 6, "mod 0, rm 5: disp32"},
    {"8B 40 08", 3, "mod 1: disp8"},
    {"8B 44 24 08", 4, "mod 1, SIB, disp8"},
    {"8B 44 25 08", 4, "mod 1, SIB base 5 is ebp: no extra disp32"},
    {"8B 80 78 56 34 12", 6, "mod 2: disp32"},
    {"8B 84 24 78 56 34 12", 7, "mod 2, SIB, disp32"},
    {"8B 84 25 78 56 34 12", 7, "mod 2, SIB base 5"},
    {"8B C0", 2, "mod 3"},
    {"81 84 24 78 56 34 12 01 00 00 00", 11, "SIB + disp32 + imm32"},
    {"80 7C 24 04 00", 5, "SIB + disp8 + imm8"},
    {"69 04 85 78 56 34 12 10 00 00 00", 11, "SIB base 5 + imm32"},
    {"C7 04 24 78 56 34 12", 7, "mov [esp], imm32"},

    // 16-bit addressing under 67
    {"67 8B 06 34 12", 5, "mod 0, rm 6: disp16"},
    {"67 8B 00", 3, "[bx+si]"},
    {"67 8B 04", 3, "[si]: rm 4 has no SIB here"},
    {"67 8B 05", 3, "[di]: rm 5 has no disp here"},
    {"67 8B 40 08", 4, "mod 1: disp8"},
    {"67 8B 80 34 12", 5, "mod 2: disp16"},
    {"67 C7 06 34 12 78 56 34 12", 9, "mov [disp16], imm32"},
    {"66 67 C7 06 34 12 78 56", 8, "mov word [disp16], imm16"},
    {"67 FF 25", 3, "jmp [di]"},

    // Copied prefixes and their combinations
    {"26 8B 00", 3, "es:"},
    {"2E 8B 00", 3, "cs:"},
    {"36 8B 00", 3, "ss:"},
    {"3E 8B 00", 3, "ds:"},
    {"64 A1 18 00 00 00", 6, "mov eax, fs:[18]"},
    {"65 8B 00", 3, "gs:"},
    {"F0 0F B1 0A", 4, "lock cmpxchg [edx], ecx"},
    {"F2 AE", 2, "repne scasb"},
    {"F3 AB", 2, "rep stosd"},
    {"F0 66 0F B1 0A", 5, "lock + 66"},
    {"2E 66 67 A1 34 12", 6, "segment + 66 + 67 on moffs"},
    {"F3 66 AB", 3, "rep stosw"},
    {"3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 90", 15, "fourteen prefixes: longest legal"},
    {"3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 8B 00", 15, "thirteen prefixes and a two-byte opcode"},

    // 0F map
    {"0F 00 D0", 3, "lldt ax"},
    {"0F 01 15 78 56 34 12", 7, "lgdt [disp32]"},
    {"0F 01 D0", 3, "xgetbv"},
    {"0F 02 C0", 3, "lar"},
    {"0F 03 C0", 3, "lsl"},
    {"0F 06", 2, "clts"},
    {"0F 08", 2, "invd"},
    {"0F 09", 2, "wbinvd"},
    {"0F 0B", 2, "ud2"},
    {"0F 0D 08", 3, "prefetchw [eax]"},
    {"0F 0E", 2, "femms"},
    {"0F 0F C1 9E", 4, "pfadd mm0, mm1"},
    {"0F 0F 05 78 56 34 12 9E", 8, "pfadd mm0, [disp32]"},
    {"0F 10 C1", 3, "movups"},
    {"F3 0F 10 44 24 04", 6, "movss xmm0, [esp+4]"},
    {"66 0F 6F 05 78 56 34 12", 8, "movdqa xmm0, [disp32]"},
    {"0F 18 08", 3, "prefetcht0 [eax]"},
    {"0F 20 C0", 3, "mov eax, cr0"},
    {"0F 22 45", 3, "mov cr0, ebp: the mod field is ignored"},
    {"0F 23 05", 3, "mov dr0, ebp"},
    {"0F 28 C1", 3, "movaps"},
    {"0F 2F 05 78 56 34 12", 7, "comiss xmm0, [disp32]"},
    {"0F 30", 2, "wrmsr"},
    {"0F 31", 2, "rdtsc"},
    {"0F 33", 2, "rdpmc"},
    {"0F 34", 2, "sysenter"},
    {"0F 35", 2, "sysexit"},
    {"0F 44 C1", 3, "cmove eax, ecx"},
    {"0F 4F 44 24 08", 5, "cmovg eax, [esp+8]"},
    {"0F 57 C0", 3, "xorps"},
    {"0F 6E C0", 3, "movd"},
    {"0F 70 C1 1B", 4, "pshufw"},
    {"66 0F 70 C1 1B", 5, "pshufd"},
    {"66 0F 73 D8 08", 5, "psrldq"},
    {"0F 71 D0 04", 4, "psrlw mm0, 4"},
    {"0F 74 C1", 3, "pcmpeqb"},
    {"0F 77", 2, "emms"},
    {"0F 7E C0", 3, "movd eax, mm0"},
    {"0F 7F 00", 3, "movq [eax], mm0"},
    {"0F 90 C0", 3, "seto al"},
    {"0F 94 C0", 3, "sete al"},
    {"0F 9F 45 FF", 4, "setg [ebp-1]"},
    {"0F A0", 2, "push fs"},
    {"0F A1", 2, "pop fs"},
    {"0F A2", 2, "cpuid"},
    {"0F A3 C8", 3, "bt eax, ecx"},
    {"0F A4 C2 04", 4, "shld edx, eax, 4"},
    {"0F A5 C2", 3, "shld edx, eax, cl"},
    {"0F A8", 2, "push gs"},
    {"0F A9", 2, "pop gs"},
    {"0F AA", 2, "rsm"},
    {"0F AB C8", 3, "bts"},
    {"0F AC C2 04", 4, "shrd"},
    {"0F AD C2", 3, "shrd cl"},
    {"0F AE F0", 3, "mfence"},
    {"0F AE 1C 24", 4, "stmxcsr [esp]"},
    {"0F AF C1", 3, "imul eax, ecx"},
    {"0F B0 0A", 3, "cmpxchg [edx], cl"},
    {"0F B2 00", 3, "lss"},
    {"0F B3 C8", 3, "btr"},
    {"0F B4 00", 3, "lfs"},
    {"0F B5 00", 3, "lgs"},
    {"0F B6 45 08", 4, "movzx eax, byte [ebp+8]"},
    {"66 0F B7 C0", 4, "movzx ax, ax"},
    {"0F BA E0 05", 4, "bt eax, 5"},
    {"0F BA 64 24 04 05", 6, "bt dword [esp+4], 5"},
    {"0F BB C8", 3, "btc"},
    {"0F BC C1", 3, "bsf"},
    {"F3 0F BC C1", 4, "tzcnt"},
    {"0F BD C1", 3, "bsr"},
    {"0F BE C1", 3, "movsx eax, cl"},
    {"0F BF C1", 3, "movsx eax, cx"},
    {"0F C0 C1", 3, "xadd cl, al"},
    {"0F C1 0A", 3, "xadd [edx], ecx"},
    {"0F C2 C1 01", 4, "cmpltps"},
    {"0F C3 00", 3, "movnti"},
    {"0F C4 C1 02", 4, "pinsrw"},
    {"0F C5 C1 02", 4, "pextrw"},
    {"0F C6 C1 44", 4, "shufps"},
    {"0F C7 0E", 3, "cmpxchg8b [esi]"},
    {"0F C8", 2, "bswap eax"},
    {"0F CF", 2, "bswap edi"},
    {"0F D1 C1", 3, "psrlw"},
    {"0F DF C1", 3, "pandn"},
    {"0F E7 00", 3, "movntq"},
    {"0F EF C0", 3, "pxor"},
    {"0F F1 C1", 3, "psllw"},
    {"0F FE C1", 3, "paddd"},

    // Three-byte maps: 0F 38 has ModR/M only, 0F 3A adds an imm8
    {"0F 38 00 04 24", 5, "pshufb mm0, [esp]"},
    {"66 0F 38 17 44 24 04", 7, "ptest xmm0, [esp+4]"},
    {"66 0F 3A 0F C1 08", 6, "palignr xmm0, xmm1, 8"},
    {"67 66 0F 3A 22 06 34 12 01", 9, "pinsrd xmm0, [disp16], 1"},

    // les, lds, bound: a memory operand keeps the legacy reading, behind any prefix
    {"66 C4 45 08", 4, "les ax, [ebp+8]"},
    {"C5 84 24 78 56 34 12", 7, "lds eax, [esp+disp32]"},
    {"F3 62 BC 24 78 56 34 12", 8, "bound edi, [esp+disp32]"},

    // Vector prefixes of two, three and four bytes; all but vzeroupper/vzeroall have ModR/M
    {"C5 F8 77", 3, "vzeroupper"},
    {"C5 FE 6F 84 24 00 01 00 00", 9, "vmovdqu ymm0, [esp+100]"},
    {"C5 F9 70 C1 1B", 5, "vpshufd xmm0, xmm1, 1B: map 0F row with an imm8"},
    {"67 C5 F8 10 06 34 12", 7, "vmovups xmm0, [disp16]"},
    {"C4 C1 79 6F 00", 5, "vmovdqa xmm0, [eax]: the B bit is ignored here"},
    {"C4 E2 79 18 04 85 78 56 34 12", 10, "vbroadcastss xmm0, [eax*4+disp32]"},
    {"C4 E3 79 0F 45 08 04", 7, "vpalignr xmm0, xmm0, [ebp+8], 4"},
    {"62 F1 7C 18 58 C1", 6, "vaddps zmm0, zmm0, zmm1 with rounding: no extra byte"},
    {"62 F1 7C 48 10 44 24 01", 8, "vmovups zmm0, [esp+64]: scaled disp8"},
    {"62 F1 7D 48 70 C1 1B", 7, "vpshufd zmm0, zmm1, 1B"},
    {"62 F3 7D 48 3B 44 24 01 01", 9, "vextracti32x8 [esp+32], zmm0, 1"},
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.bytes << " (" << c.what << ")";
}

class LengthTable : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthTable, MeasuresAndCopiesVerbatim) {
    const LengthCase& c = GetParam();
    const std::vector<uint8_t> src = Hex(c.bytes);
    ASSERT_EQ(src.size(), c.length) << "test case bytes do not match the expected length";

    const CopiedInstruction measured = MeasureInstruction(src.data(), src.size(), 0x00401000);
    EXPECT_EQ(measured.length, c.length);
    EXPECT_EQ(measured.next, 0x00401000u + c.length);
    EXPECT_FALSE(measured.invalid);
    EXPECT_FALSE(measured.truncated);

    // Nothing to relocate: the copy elsewhere is byte for byte the source.
    const Copy copy = CopyTo(c.bytes, 0x00401000, 0x7FFE0000);
    EXPECT_EQ(copy.result.length, c.length);
    EXPECT_EQ(copy.Written(), ToHex(src.data(), src.size()));
    EXPECT_TRUE(copy.UntouchedFrom(c.length));
    EXPECT_EQ(copy.result.extra, 0);
}

TEST_P(LengthTable, EveryShorterSourceIsTruncatedAndWritesNothing) {
    const LengthCase& c = GetParam();
    const std::vector<uint8_t> full = Hex(c.bytes);
    for (size_t avail = 0; avail < full.size(); ++avail) {
        // An exactly sized heap copy lets the sanitizer catch any read past avail.
        std::vector<uint8_t> src(full.begin(), full.begin() + avail);
        uint8_t out[32];
        std::memset(out, kFill, sizeof out);
        const CopiedInstruction r = CopyInstruction(out, sizeof out, 0x2000, src.data(), avail, 0x1000);
        EXPECT_TRUE(r.truncated) << "avail " << avail;
        EXPECT_EQ(r.length, 0u);
        EXPECT_EQ(r.next, 0x1000u);
        EXPECT_EQ(out[0], kFill);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, LengthTable, ::testing::ValuesIn(kLengths));

TEST(InstructionCopierTest, PrefixRunBeyondFifteenBytesIsRefused) {
    const Copy fifteenPrefixes = CopyTo("3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 90", 0x1000, 0x2000);
    EXPECT_TRUE(fifteenPrefixes.result.invalid);
    EXPECT_EQ(fifteenPrefixes.result.length, 0u);
    EXPECT_TRUE(fifteenPrefixes.UntouchedFrom(0));

    const Copy sixteenBytes = CopyTo("3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 8B 00", 0x1000, 0x2000);
    EXPECT_TRUE(sixteenBytes.result.invalid);
    EXPECT_TRUE(sixteenBytes.UntouchedFrom(0));
}

TEST(InstructionCopierTest, InvalidOpcodesCopyNothingAndSkipTheOpcode) {
    std::vector<std::string> oneByte = {"D6", "F1"};
    std::vector<int> twoByte = {0x04, 0x05, 0x07, 0x0A, 0x0C, 0xA6, 0xA7, 0xB8, 0xB9, 0xD0, 0xF0, 0xFF};
    for (int op = 0x19; op <= 0x1F; ++op)
        twoByte.push_back(op);
    for (int op = 0x24; op <= 0x27; ++op)
        twoByte.push_back(op);
    for (int op = 0x36; op <= 0x3F; ++op)
        if (op != 0x38 && op != 0x3A) // escapes to the three-byte maps
            twoByte.push_back(op);
    for (int op = 0x78; op <= 0x7D; ++op)
        twoByte.push_back(op);

    for (const std::string& op : oneByte) {
        const Copy copy = CopyTo(op + " C0 00 00 00 00", 0x1000, 0x2000);
        EXPECT_TRUE(copy.result.invalid) << op;
        EXPECT_EQ(copy.result.length, 0u);
        EXPECT_EQ(copy.result.next, 0x1001u);
        EXPECT_TRUE(copy.UntouchedFrom(0));
    }
    for (int op : twoByte) {
        const uint8_t src[] = {0x66, 0x0F, static_cast<uint8_t>(op), 0xC0, 0, 0, 0, 0};
        uint8_t out[16];
        std::memset(out, kFill, sizeof out);
        const CopiedInstruction r = CopyInstruction(out, sizeof out, 0x2000, src, sizeof src, 0x1000);
        EXPECT_TRUE(r.invalid) << std::hex << op;
        EXPECT_EQ(r.length, 0u);
        EXPECT_EQ(r.next, 0x1003u) << "prefix, 0F and the opcode are skipped";
        EXPECT_EQ(out[0], kFill);
    }
}

TEST(InstructionCopierTest, UndecodableVectorFormsAreRefusedNotMismeasured) {
    // Another vendor's prefix, maps outside 1-3, reserved bits of the four-byte form; then the same
    // behind 66/F0/F2/F3, which make any vector form undefined; then unknown three-byte opcodes.
    const struct {
        const char* code;
        uint32_t next;
    } refused[] = {
        {"8F E8 78 C2 C1 04", 0x1001}, {"C4 E0 79 00 C1", 0x1001},       {"C4 E5 79 00 C1", 0x1001},
        {"62 F5 7C 48 58 C1", 0x1001}, {"62 F9 7C 48 58 C1", 0x1001},    {"62 F1 78 48 58 C1", 0x1001},
        {"66 C5 F8 10 C1", 0x1002},    {"F2 C4 E3 7D 39 F0 01", 0x1002}, {"F3 62 F1 7C 48 58 C1", 0x1002},
        {"0F 38 50 C0", 0x1003},       {"66 0F 3A 70 C0 01", 0x1004}};
    for (const auto& c : refused) {
        const Copy copy = CopyTo(c.code, 0x1000, 0x2000);
        EXPECT_TRUE(copy.result.invalid) << c.code;
        EXPECT_EQ(copy.result.next, c.next) << c.code;
        EXPECT_TRUE(copy.UntouchedFrom(0));
    }
    // Pushed past 15 bytes by its prefixes: invalid however much source follows.
    EXPECT_TRUE(CopyTo("3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 62 F1 7C 48 58 C1", 0x1000, 0x2000).result.invalid);
}

TEST(InstructionCopierTest, ModOfTheNextByteChoosesVectorOrLegacy) {
    // mod 3: a 4-byte vaddps; mod 2: lds with a disp32 over what would have been the vector payload.
    EXPECT_EQ(CopyTo("C5 F8 58 C1 90 90 90", 0x1000, 0x2000).result.length, 4u);
    EXPECT_EQ(CopyTo("C5 B8 58 C1 90 90 90", 0x1000, 0x2000).result.length, 6u);
    // mod 3: a 6-byte vaddps; mod 1: bound with a disp8.
    EXPECT_EQ(CopyTo("62 F1 7C 48 58 C1 90", 0x1000, 0x2000).result.length, 6u);
    EXPECT_EQ(CopyTo("62 71 7C 48 58 C1 90", 0x1000, 0x2000).result.length, 3u);
}

TEST(InstructionCopierTest, NullSourceIsTruncated) {
    uint8_t out[16];
    const CopiedInstruction r = CopyInstruction(out, sizeof out, 0x2000, nullptr, 10, 0x1000);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.length, 0u);
}

TEST(InstructionCopierTest, DestinationTooSmallWritesNothing) {
    const Copy tooSmall = CopyTo("B8 78 56 34 12", 0x1000, 0x2000, 4);
    EXPECT_TRUE(tooSmall.result.noRoom);
    EXPECT_EQ(tooSmall.result.length, 0u);
    EXPECT_EQ(tooSmall.result.next, 0x1005u);
    EXPECT_TRUE(tooSmall.UntouchedFrom(0));

    const Copy exact = CopyTo("B8 78 56 34 12", 0x1000, 0x2000, 5);
    EXPECT_FALSE(exact.result.noRoom);
    EXPECT_EQ(exact.Written(), "B8 78 56 34 12");
}

// Relative branches: the copy must reach the same destination, or say why it cannot.
struct BranchCase {
    const char* bytes;
    uint32_t src;
    uint32_t dst;
    const char* written; // nullptr: does not fit
    uint32_t target;
    int32_t extra;
    const char* what;
};

const BranchCase kBranches[] = {
    {"EB 10", 0x1000, 0x1050, "EB C0", 0x1012, 0, "jmp rel8 moved forward"},
    {"EB 10", 0x1000, 0x1000, "EB 10", 0x1012, 0, "jmp rel8 in place"},
    {"EB FE", 0x1000, 0x107E, "EB 80", 0x1000, 0, "rel8 at -128 still fits"},
    {"EB FE", 0x1000, 0x107F, nullptr, 0x1000, 3, "rel8 at -129 does not"},
    {"EB 00", 0x1000, 0x0F81, "EB 7F", 0x1002, 0, "rel8 at +127 fits"},
    {"EB 00", 0x1000, 0x0F80, nullptr, 0x1002, 3, "rel8 at +128 does not"},
    {"74 05", 0x1000, 0x1003, "74 02", 0x1007, 0, "je rel8"},
    {"7F 05", 0x1000, 0x80000000, nullptr, 0x1007, 3, "jg rel8 far away"},
    {"E0 05", 0x1000, 0x80000000, nullptr, 0x1007, -3, "loopne has no long form"},
    {"E1 05", 0x1000, 0x80000000, nullptr, 0x1007, -3, "loope"},
    {"E2 05", 0x1000, 0x80000000, nullptr, 0x1007, -3, "loop"},
    {"E3 05", 0x1000, 0x80000000, nullptr, 0x1007, -3, "jecxz"},
    {"E2 F0", 0x1000, 0x1004, "E2 EC", 0x0FF2, 0, "loop that still fits"},
    {"67 E3 05", 0x1000, 0x1010, "67 E3 F5", 0x1008, 0, "jcxz: displacement after the prefix"},
    {"E8 00 00 00 00", 0x10000000, 0x20000000, "E8 00 00 00 F0", 0x10000005, 0, "call rel32"},
    {"E9 FB FF FF FF", 0x10000000, 0x7FFF0000, "E9 FB FF 00 90", 0x10000000, 0, "jmp rel32 backwards"},
    {"E9 00 02 00 00", 0xFFFFFF00, 0x00000100, "E9 00 00 00 00", 0x00000105, 0,
     "rel32 wraps the address space"},
    {"0F 84 00 01 00 00", 0x1000, 0x2000, "0F 84 00 F1 FF FF", 0x1106, 0, "je rel32"},
    {"3E 0F 85 00 01 00 00", 0x1000, 0x2000, "3E 0F 85 00 F1 FF FF", 0x1107, 0,
     "jne rel32 with a hint prefix"},
    {"66 E9 10 00", 0x1000, 0x1100, "66 E9 10 FF", 0x1014, 0, "jmp rel16 that fits"},
    {"66 E9 10 00", 0x1000, 0x20000, nullptr, 0x1014, 2, "jmp rel16 that does not"},
    {"66 E8 10 00", 0x1000, 0x1100, "66 E8 10 FF", 0x1014, 0, "call rel16"},
    {"66 0F 84 10 00", 0x1000, 0x1100, "66 0F 84 10 FF", 0x1015, 0, "je rel16"},
    {"66 0F 84 10 00", 0x1000, 0x30000, nullptr, 0x1015, 2, "je rel16 that does not fit"},
    {"66 EB 00", 0x12345000, 0x12345010, "66 EB F0", 0x5003, 0, "16-bit operand size clips the target"},
    {"C7 F8 00 01 00 00", 0x1000, 0x2000, "C7 F8 00 F1 FF FF", 0x1106, 0, "xbegin rel32"},
};

void PrintTo(const BranchCase& c, std::ostream* os) {
    *os << c.bytes << " (" << c.what << ")";
}

class BranchTable : public ::testing::TestWithParam<BranchCase> {};

TEST_P(BranchTable, RelocatesOrReportsExtraBytes) {
    const BranchCase& c = GetParam();
    const size_t size = Hex(c.bytes).size();
    const Copy copy = CopyTo(c.bytes, c.src, c.dst);
    EXPECT_EQ(copy.result.target, c.target);
    EXPECT_EQ(copy.result.extra, c.extra);
    EXPECT_EQ(copy.result.next, c.src + size);
    EXPECT_FALSE(copy.result.dynamicTarget);
    if (c.written) {
        EXPECT_EQ(copy.Written(), c.written);
        EXPECT_TRUE(copy.UntouchedFrom(size));
    } else {
        EXPECT_EQ(copy.result.length, 0u);
        EXPECT_TRUE(copy.UntouchedFrom(0)) << "a branch that cannot reach must not be written";
    }

    // Measuring never relocates, so it always fits.
    const std::vector<uint8_t> src = Hex(c.bytes);
    const CopiedInstruction measured = MeasureInstruction(src.data(), src.size(), c.src);
    EXPECT_EQ(measured.length, size);
    EXPECT_EQ(measured.extra, 0);
    EXPECT_EQ(measured.target, c.target);
}

INSTANTIATE_TEST_SUITE_P(Branches, BranchTable, ::testing::ValuesIn(kBranches));

TEST(InstructionCopierTest, CopyingBackRestoresTheOriginalBytes) {
    const std::vector<uint8_t> original = Hex("0F 84 00 01 00 00");
    uint8_t trampoline[16];
    const CopiedInstruction there = CopyInstruction(trampoline, sizeof trampoline, 0x7FFE0000,
                                                    original.data(), original.size(), 0x401000);
    ASSERT_EQ(there.length, original.size());
    uint8_t restored[16];
    const CopiedInstruction back =
        CopyInstruction(restored, sizeof restored, 0x401000, trampoline, there.length, 0x7FFE0000);
    ASSERT_EQ(back.length, original.size());
    EXPECT_EQ(ToHex(restored, back.length), ToHex(original.data(), original.size()));
}

// A small image of memory for the indirect-branch pointer lookup.
struct FakeMemory {
    uint32_t base;
    std::vector<uint8_t> bytes;
    int reads = 0;
};

bool ReadFake(uint32_t address, uint32_t& value, void* context) {
    auto* memory = static_cast<FakeMemory*>(context);
    ++memory->reads;
    if (address < memory->base || address - memory->base > memory->bytes.size() ||
        memory->bytes.size() - (address - memory->base) < 4)
        return false;
    const uint8_t* p = memory->bytes.data() + (address - memory->base);
    value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

TEST(InstructionCopierTest, IndirectBranchThroughMemoryReportsStoredAddress) {
    FakeMemory memory{0x00402000, Hex("34 12 00 77 00 00 00 00"), 0};
    for (const char* code : {"FF 15 00 20 40 00", "FF 25 00 20 40 00", "3E FF 25 00 20 40 00"}) {
        const Copy copy = CopyTo(code, 0x1000, 0x2000, 32, ReadFake, &memory);
        EXPECT_EQ(copy.result.target, 0x77001234u) << code;
        EXPECT_TRUE(copy.result.dynamicTarget);
        EXPECT_EQ(copy.result.length, Hex(code).size());
        EXPECT_EQ(copy.Written(), code) << "the absolute address is not relocated";
    }

    // Straddling the end of readable memory: the reader refuses, no target.
    EXPECT_EQ(CopyTo("FF 25 06 20 40 00", 0x1000, 0x2000, 32, ReadFake, &memory).result.target, 0u);
    // No reader: still a dynamic branch of the right length.
    const Copy noReader = CopyTo("FF 25 00 20 40 00", 0x1000, 0x2000);
    EXPECT_EQ(noReader.result.target, 0u);
    EXPECT_TRUE(noReader.result.dynamicTarget);

    // The word at disp32 is not the pointer in these forms, so it is not even read.
    memory.reads = 0;
    for (const char* code : {"64 FF 25 00 20 40 00", "66 FF 25 00 20 40 00", "FF 24 85 00 20 40 00",
                             "FF 35 00 20 40 00", "FF 1D 00 20 40 00"}) {
        const Copy copy = CopyTo(code, 0x1000, 0x2000, 32, ReadFake, &memory);
        EXPECT_EQ(copy.result.target, 0u) << code;
        EXPECT_EQ(copy.result.length, Hex(code).size()) << code;
    }
    EXPECT_EQ(memory.reads, 0);
}

TEST(InstructionCopierTest, GroupFiveRegistersTwoToFiveAreDynamic) {
    struct {
        const char* code;
        bool dynamic;
    } const cases[] = {
        {"FF C0", false},               // inc eax
        {"FF C8", false},               // dec eax
        {"FF D0", true},                // call eax
        {"FF 18", true},                // call far [eax]
        {"FF E0", true},                // jmp eax
        {"FF 24 85 00 20 40 00", true}, // jmp [eax*4+table]
        {"FF 28", true},                // jmp far [eax]
        {"FF 30", false},               // push [eax]
        {"E8 00 00 00 00", false},
        {"C3", false},
    };
    for (const auto& c : cases) {
        const Copy copy = CopyTo(c.code, 0x1000, 0x2000);
        EXPECT_EQ(copy.result.dynamicTarget, c.dynamic) << c.code;
        EXPECT_EQ(copy.result.length, Hex(c.code).size()) << c.code;
    }
}

TEST(InstructionCopierTest, OnlyBranchesReportTargets) {
    for (const char* code : {"8B FF", "55", "B8 78 56 34 12", "A1 00 20 40 00", "C2 08 00"})
        EXPECT_EQ(CopyTo(code, 0x1000, 0x2000).result.target, 0u) << code;
}

} // namespace
} // namespace movalent
