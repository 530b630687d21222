#include "engine/intercept/InstructionCopier.h"

#include "engine/intercept/OpcodeSets.h"

#include <cstring>

namespace movalent {
namespace {

// How the decoder treats an opcode beyond its table lengths.
enum class Kind : uint8_t {
    Plain,
    Prefix,  // copied; decoding goes on with the next byte
    Escape,  // 0F: the next byte is looked up in the second map
    Invalid, // refused: nothing copied
    Test,    // F6/F7: /0 and /1 (test) carry an immediate the others lack
    Group5,  // FF: /2../5 branch through a register or memory
    Pop,     // 8F: only /0 exists; the rest is another vendor's vector prefix
    MovImm,  // C7: C7 F8 is a transaction begin with a relative fallback address
    // bound, les, lds take only a memory operand; where a register operand would be, the byte
    // instead starts a vector prefix of four, three or two bytes
    Evex,
    Vex3,
    Vex2,
};

enum : uint8_t {
    kAddressSized = 1, // lengthOverride applies under 67 instead of 66
    kNoEnlarge = 2,    // a relative form without a longer encoding (loop, jecxz)
};

struct OpcodeEntry {
    uint8_t length;         // opcode bytes + ModR/M byte + immediates; SIB and displacement excluded
    uint8_t lengthOverride; // the same under the operand-size (or address-size) override
    uint8_t modrmPos;       // offset of ModR/M from the first opcode byte, 0 = none
    uint8_t relPos;         // offset of the relative displacement, 0 = none; it runs to the end
    uint8_t flags;
    Kind kind;
};

constexpr OpcodeEntry E(uint8_t len, uint8_t len16, uint8_t modrm, uint8_t rel, uint8_t flags, Kind kind) {
    return OpcodeEntry{len, len16, modrm, rel, flags, kind};
}

// One-byte map helpers: ModR/M, when present, directly follows the opcode.
constexpr OpcodeEntry N(uint8_t len) {
    return E(len, len, 0, 0, 0, Kind::Plain);
}
constexpr OpcodeEntry Z(uint8_t len, uint8_t len16) {
    return E(len, len16, 0, 0, 0, Kind::Plain);
}
constexpr OpcodeEntry M(uint8_t len) {
    return E(len, len, 1, 0, 0, Kind::Plain);
}
constexpr OpcodeEntry MZ(uint8_t len, uint8_t len16) {
    return E(len, len16, 1, 0, 0, Kind::Plain);
}
constexpr OpcodeEntry R(uint8_t len, uint8_t len16, uint8_t flags = 0) {
    return E(len, len16, 0, 1, flags, Kind::Plain);
}
constexpr OpcodeEntry A(uint8_t len, uint8_t len16) {
    return E(len, len16, 0, 0, kAddressSized, Kind::Plain);
}
constexpr OpcodeEntry K(Kind kind, uint8_t len, uint8_t len16) {
    return E(len, len16, 1, 0, 0, kind);
}
constexpr OpcodeEntry P = E(1, 1, 0, 0, 0, Kind::Prefix);
constexpr OpcodeEntry X = E(1, 1, 0, 0, 0, Kind::Escape);
constexpr OpcodeEntry BAD = E(1, 1, 0, 0, 0, Kind::Invalid);

// Second map helpers: lengths count the 0F byte, ModR/M sits at offset 2.
constexpr OpcodeEntry M2(uint8_t len) {
    return E(len, len, 2, 0, 0, Kind::Plain);
}
constexpr OpcodeEntry R2(uint8_t len, uint8_t len16) {
    return E(len, len16, 0, 2, 0, Kind::Plain);
}

// Three-byte map entries: lengths count 0F and the map byte, ModR/M sits at offset 3, and every
// 0F 3A instruction ends with an imm8.
constexpr OpcodeEntry k0F38Entry = E(4, 4, 3, 0, 0, Kind::Plain);
constexpr OpcodeEntry k0F3AEntry = E(5, 5, 3, 0, 0, Kind::Plain);
constexpr uint8_t kMap0F38 = 0x38;
constexpr uint8_t kMap0F3A = 0x3A;

constexpr uint8_t kNoEn = kNoEnlarge;

// clang-format off
constexpr OpcodeEntry kOneByteMap[256] = {
    // 00: add Eb,Gb; add Ev,Gv; add Gb,Eb; add Gv,Ev; add al,ib; add eax,iz; push es; pop es
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), N(1), N(1),
    // 08: or ...; push cs; two-byte escape
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), N(1), X,
    // 10: adc ...; push ss; pop ss
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), N(1), N(1),
    // 18: sbb ...; push ds; pop ds
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), N(1), N(1),
    // 20: and ...; es:; daa
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), P, N(1),
    // 28: sub ...; cs:; das
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), P, N(1),
    // 30: xor ...; ss:; aaa
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), P, N(1),
    // 38: cmp ...; ds:; aas
    M(2), M(2), M(2), M(2), N(2), Z(5, 3), P, N(1),
    // 40: inc reg
    N(1), N(1), N(1), N(1), N(1), N(1), N(1), N(1),
    // 48: dec reg
    N(1), N(1), N(1), N(1), N(1), N(1), N(1), N(1),
    // 50: push reg
    N(1), N(1), N(1), N(1), N(1), N(1), N(1), N(1),
    // 58: pop reg
    N(1), N(1), N(1), N(1), N(1), N(1), N(1), N(1),
    // 60: pushad; popad; bound; arpl; fs:; gs:; operand size; address size
    N(1), N(1), K(Kind::Evex, 2, 2), M(2), P, P, P, P,
    // 68: push iz; imul Gv,Ev,iz; push ib; imul Gv,Ev,ib; insb; insd; outsb; outsd
    Z(5, 3), MZ(6, 4), N(2), M(3), N(1), N(1), N(1), N(1),
    // 70: jcc rel8
    R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2),
    // 78: jcc rel8
    R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2), R(2, 2),
    // 80: grp1 Eb,ib; grp1 Ev,iz; grp1 Eb,ib (alias); grp1 Ev,ib; test; test; xchg; xchg
    M(3), MZ(6, 4), M(3), M(3), M(2), M(2), M(2), M(2),
    // 88: mov ...; mov Ev,sreg; lea; mov sreg,Ew; pop Ev
    M(2), M(2), M(2), M(2), M(2), M(2), M(2), K(Kind::Pop, 2, 2),
    // 90: nop / xchg eax,reg
    N(1), N(1), N(1), N(1), N(1), N(1), N(1), N(1),
    // 98: cwde; cdq; call ptr16:32; wait; pushfd; popfd; sahf; lahf
    N(1), N(1), Z(7, 5), N(1), N(1), N(1), N(1), N(1),
    // A0: mov al/eax,moffs; mov moffs,al/eax; movs; cmps
    A(5, 3), A(5, 3), A(5, 3), A(5, 3), N(1), N(1), N(1), N(1),
    // A8: test al,ib; test eax,iz; stos; lods; scas
    N(2), Z(5, 3), N(1), N(1), N(1), N(1), N(1), N(1),
    // B0: mov reg8,ib
    N(2), N(2), N(2), N(2), N(2), N(2), N(2), N(2),
    // B8: mov reg,iv
    Z(5, 3), Z(5, 3), Z(5, 3), Z(5, 3), Z(5, 3), Z(5, 3), Z(5, 3), Z(5, 3),
    // C0: grp2 Eb,ib; grp2 Ev,ib; ret iw; ret; les; lds; mov Eb,ib; mov Ev,iz
    M(3), M(3), N(3), N(1), K(Kind::Vex3, 2, 2), K(Kind::Vex2, 2, 2), M(3), K(Kind::MovImm, 6, 4),
    // C8: enter iw,ib; leave; retf iw; retf; int3; int ib; into; iretd
    N(4), N(1), N(3), N(1), N(1), N(2), N(1), N(1),
    // D0: grp2 by 1 and by cl; aam ib; aad ib; (salc); xlat
    M(2), M(2), M(2), M(2), N(2), N(2), BAD, N(1),
    // D8: x87 escapes
    M(2), M(2), M(2), M(2), M(2), M(2), M(2), M(2),
    // E0: loopne; loope; loop; jecxz (rel8 only); in al,ib; in eax,ib; out ib,al; out ib,eax
    R(2, 2, kNoEn), R(2, 2, kNoEn), R(2, 2, kNoEn), R(2, 2, kNoEn), N(2), N(2), N(2), N(2),
    // E8: call rel32; jmp rel32; jmp ptr16:32; jmp rel8; in al,dx; in eax,dx; out dx,al; out dx,eax
    R(5, 3), R(5, 3), Z(7, 5), R(2, 2), N(1), N(1), N(1), N(1),
    // F0: lock; (int1); repne; rep; hlt; cmc; grp3 Eb; grp3 Ev
    P, BAD, P, P, N(1), N(1), K(Kind::Test, 2, 2), K(Kind::Test, 2, 2),
    // F8: clc; stc; cli; sti; cld; std; grp4; grp5
    N(1), N(1), N(1), N(1), N(1), N(1), M(2), K(Kind::Group5, 2, 2),
};

constexpr OpcodeEntry kTwoByteMap[256] = {
    // 00: grp6; grp7; lar; lsl; -; -; clts; -
    M2(3), M2(3), M2(3), M2(3), BAD, BAD, N(2), BAD,
    // 08: invd; wbinvd; -; ud2; -; prefetch; femms; 3DNow! (ModR/M + suffix byte)
    N(2), N(2), BAD, N(2), BAD, M2(3), N(2), M2(4),
    // 10: SSE moves; 18: prefetch hints; 19-1F hint space is refused
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), BAD, BAD, BAD, BAD, BAD, BAD, BAD,
    // 20: mov to/from control and debug registers; the mod field is ignored, so no
    // displacement ever follows
    N(3), N(3), N(3), N(3), BAD, BAD, BAD, BAD,
    // 28: SSE moves and conversions
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // 30: wrmsr; rdtsc; rdmsr; rdpmc; sysenter; sysexit; 36-3F refused (38 and 3A escape to the
    // three-byte maps before this table is consulted)
    N(2), N(2), N(2), N(2), N(2), N(2), BAD, BAD,
    BAD, BAD, BAD, BAD, BAD, BAD, BAD, BAD,
    // 40: cmovcc
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // 50: SSE arithmetic
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // 60: MMX/SSE2 unpack and pack
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // 70: pshuf ib; shift groups ib; pcmpeq; emms
    M2(4), M2(4), M2(4), M2(4), M2(3), M2(3), M2(3), N(2),
    // 78: refused; movd/movq
    BAD, BAD, BAD, BAD, BAD, BAD, M2(3), M2(3),
    // 80: jcc rel32
    R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4),
    R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4), R2(6, 4),
    // 90: setcc
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // A0: push fs; pop fs; cpuid; bt; shld ib; shld cl; -; -
    N(2), N(2), N(2), M2(3), M2(4), M2(3), BAD, BAD,
    // A8: push gs; pop gs; rsm; bts; shrd ib; shrd cl; grp15; imul
    N(2), N(2), N(2), M2(3), M2(4), M2(3), M2(3), M2(3),
    // B0: cmpxchg; lss; btr; lfs; lgs; movzx
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // B8: -; -; grp8 ib; btc; bsf; bsr; movsx
    BAD, BAD, M2(4), M2(3), M2(3), M2(3), M2(3), M2(3),
    // C0: xadd; cmpps ib; movnti; pinsrw ib; pextrw ib; shufps ib; grp9
    M2(3), M2(3), M2(4), M2(3), M2(4), M2(4), M2(4), M2(3),
    // C8: bswap
    N(2), N(2), N(2), N(2), N(2), N(2), N(2), N(2),
    // D0: -; MMX/SSE2
    BAD, M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // E0: MMX/SSE2
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    // F0: -; MMX/SSE2; FF refused
    BAD, M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3),
    M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), M2(3), BAD,
};

// Bytes that follow a ModR/M byte under 32-bit addressing: SIB and displacement.
// kSibBase marks mod 0 with a SIB, where a SIB base of 5 means "disp32, no base".
constexpr uint8_t kSibBase = 0x10;
constexpr uint8_t kFollowMask = 0x0F;
constexpr uint8_t S0 = 1 | kSibBase;

constexpr uint8_t kModRM32[256] = {
    // mod 0: rm 4 = SIB, rm 5 = disp32
    0, 0, 0, 0, S0, 4, 0, 0, 0, 0, 0, 0, S0, 4, 0, 0,
    0, 0, 0, 0, S0, 4, 0, 0, 0, 0, 0, 0, S0, 4, 0, 0,
    0, 0, 0, 0, S0, 4, 0, 0, 0, 0, 0, 0, S0, 4, 0, 0,
    0, 0, 0, 0, S0, 4, 0, 0, 0, 0, 0, 0, S0, 4, 0, 0,
    // mod 1: disp8, after a SIB for rm 4
    1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1,
    1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1,
    1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1,
    1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1,
    // mod 2: disp32, after a SIB for rm 4
    4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4,
    4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4,
    4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4,
    4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4,
    // mod 3: register operand
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Under the address-size override ModR/M follows the 16-bit forms: no SIB,
// mod 0 rm 6 is a bare disp16, mod 1 adds disp8, mod 2 disp16.
constexpr uint8_t kModRM16[256] = {
    0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0,
    0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0,
    0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0,
    0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};
// clang-format on

constexpr uint8_t kModRMRegisterMod = 3;
constexpr uint8_t kCallIndirectDisp32 = 0x15; // FF /2, mod 0, rm 5
constexpr uint8_t kJumpIndirectDisp32 = 0x25; // FF /4, mod 0, rm 5
constexpr uint8_t kTransactionBegin = 0xF8;   // C7 F8: the rel32 where an immediate would be

uint32_t ReadLittle(const uint8_t* p, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(p[i]) << (8 * i);
    return value;
}

void WriteLittle(uint8_t* p, size_t size, uint32_t value) {
    for (size_t i = 0; i < size; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

int32_t SignExtend(uint32_t value, size_t size) {
    switch (size) {
    case 1:
        return static_cast<int8_t>(value);
    case 2:
        return static_cast<int16_t>(value);
    default:
        return static_cast<int32_t>(value);
    }
}

bool FitsSigned(int32_t value, size_t size) {
    switch (size) {
    case 1:
        return value >= INT8_MIN && value <= INT8_MAX;
    case 2:
        return value >= INT16_MIN && value <= INT16_MAX;
    default:
        return true;
    }
}

} // namespace

CopiedInstruction CopyInstruction(uint8_t* dst, size_t dstCapacity, uint32_t dstAddr, const uint8_t* src,
                                  size_t srcAvail, uint32_t srcAddr, ReadMemoryFn readMemory,
                                  void* readContext) {
    CopiedInstruction result;
    result.next = srcAddr;
    if (src == nullptr)
        srcAvail = 0;

    const auto truncated = [&result]() {
        result.truncated = true;
        return result;
    };
    const auto invalid = [&result, srcAddr](size_t skip) {
        result.invalid = true;
        result.next = srcAddr + static_cast<uint32_t>(skip);
        return result;
    };
    // A byte needed at or past the length limit makes the encoding invalid however
    // much source follows, so that is decided before running out of source.
    const auto beyondLimit = [](size_t at) { return at >= kMaxInstructionLength; };

    bool operandOverride = false;
    bool addressOverride = false;
    bool threadSegment = false; // fs/gs do not address the flat space readMemory sees
    bool vectorBarred = false;  // 66/F0/F2/F3 in front of a vector prefix make it undefined
    size_t pos = 0;
    for (;;) {
        // No room left for an opcode: the processor faults on such a prefix run.
        if (beyondLimit(pos))
            return invalid(pos);
        if (pos >= srcAvail)
            return truncated();
        const uint8_t byte = src[pos];
        if (kOneByteMap[byte].kind != Kind::Prefix)
            break;
        if (byte == 0x66)
            operandOverride = true;
        else if (byte == 0x67)
            addressOverride = true;
        else if (byte == 0x64 || byte == 0x65)
            threadSegment = true;
        vectorBarred |= byte == 0x66 || byte == 0xF0 || byte == 0xF2 || byte == 0xF3;
        ++pos;
    }

    const size_t opStart = pos;
    const uint8_t opcode = src[opStart];
    OpcodeEntry entry = kOneByteMap[opcode];
    size_t opcodeEnd = opStart + 1;
    // The byte at opcodeEnd may lie past the length limit (invalid) or past the source (truncated).
    const auto lacksByteAtEnd = [&]() { return beyondLimit(opcodeEnd) || opcodeEnd >= srcAvail; };
    const auto whyLacking = [&]() { return beyondLimit(opcodeEnd) ? invalid(opcodeEnd) : truncated(); };
    if (entry.kind == Kind::Escape) {
        if (lacksByteAtEnd())
            return whyLacking();
        const uint8_t second = src[opcodeEnd++];
        entry = kTwoByteMap[second];
        if (second == kMap0F38 || second == kMap0F3A) {
            if (lacksByteAtEnd())
                return whyLacking();
            const uint8_t third = src[opcodeEnd++];
            const bool known =
                second == kMap0F38 ? opcodes::k0F38Opcodes.Has(third) : opcodes::k0F3AOpcodes.Has(third);
            entry = !known ? BAD : (second == kMap0F38 ? k0F38Entry : k0F3AEntry);
        }
    } else if (entry.kind == Kind::Evex || entry.kind == Kind::Vex3 || entry.kind == Kind::Vex2) {
        if (lacksByteAtEnd())
            return whyLacking();
        // The top bits of the prefix's first byte are inverted register-extension bits, which
        // outside 64-bit code are always set: read as a ModR/M byte that is mod 3, the one form
        // bound, les and lds do not have.
        const uint8_t first = src[opcodeEnd];
        if ((first >> 6) == kModRMRegisterMod) {
            if (vectorBarred)
                return invalid(opcodeEnd);
            const bool evex = entry.kind == Kind::Evex;
            const size_t prefixSize = evex ? 4 : (entry.kind == Kind::Vex3 ? 3 : 2);
            const unsigned map = evex ? (first & 0x0F) : (entry.kind == Kind::Vex3 ? (first & 0x1F) : 1);
            // Other maps belong to other extensions; in the four-byte form bits 2 and 3 must be clear.
            if (map < 1 || map > 3)
                return invalid(opcodeEnd);
            const size_t vectorOpcodeAt = opStart + prefixSize;
            if (beyondLimit(vectorOpcodeAt))
                return invalid(opcodeEnd);
            if (vectorOpcodeAt >= srcAvail)
                return truncated();
            // The four-byte form's second payload byte has a bit that is always set.
            if (evex && (src[opStart + 2] & 4) == 0)
                return invalid(opcodeEnd);
            const uint8_t vectorOpcode = src[vectorOpcodeAt];
            opcodeEnd = vectorOpcodeAt + 1;
            const bool hasModrm = evex || map != 1 || vectorOpcode != opcodes::kVexZeroUpper;
            const bool hasImmediate =
                map == 3 || (map == 1 && opcodes::kVexImmediateOpcodes.Has(vectorOpcode));
            const auto vectorLength = static_cast<uint8_t>(prefixSize + 1 + hasModrm + hasImmediate);
            const auto modrmPos = static_cast<uint8_t>(hasModrm ? prefixSize + 1 : 0);
            entry = E(vectorLength, vectorLength, modrmPos, 0, 0, Kind::Plain);
        }
    }
    if (entry.kind == Kind::Invalid)
        return invalid(opcodeEnd);

    const bool overridden = (entry.flags & kAddressSized) ? addressOverride : operandOverride;
    size_t length = overridden ? entry.lengthOverride : entry.length;
    size_t relPos = entry.relPos;

    size_t modrmAt = 0;
    uint8_t modrm = 0;
    if (entry.modrmPos != 0) {
        modrmAt = opStart + entry.modrmPos;
        if (beyondLimit(modrmAt))
            return invalid(opcodeEnd);
        if (modrmAt >= srcAvail)
            return truncated();
        modrm = src[modrmAt];
        const unsigned reg = (modrm >> 3) & 7;

        switch (entry.kind) {
        case Kind::Pop:
            if (reg != 0)
                return invalid(opcodeEnd);
            break;
        case Kind::Test:
            // /1 is not documented, but processors execute it as test with the
            // same immediate; measuring it shorter would split the instruction.
            if (reg <= 1)
                length += (opcode == 0xF6) ? 1 : (operandOverride ? 2 : 4);
            break;
        case Kind::Group5:
            result.dynamicTarget = reg >= 2 && reg <= 5;
            break;
        case Kind::MovImm:
            if (modrm == kTransactionBegin)
                relPos = entry.modrmPos + 1;
            break;
        default:
            break;
        }

        if (addressOverride) {
            length += kModRM16[modrm];
        } else {
            const uint8_t follow = kModRM32[modrm];
            length += follow & kFollowMask;
            if (follow & kSibBase) {
                const size_t sibAt = modrmAt + 1;
                if (beyondLimit(sibAt))
                    return invalid(opcodeEnd);
                if (sibAt >= srcAvail)
                    return truncated();
                if ((src[sibAt] & 7) == 5)
                    length += 4;
            }
        }
    }

    const size_t total = opStart + length;
    if (total > kMaxInstructionLength)
        return invalid(opcodeEnd);
    if (total > srcAvail)
        return truncated();
    result.next = srcAddr + static_cast<uint32_t>(total);

    // The memory word is the target only when the operand is a plain flat disp32
    // and the branch takes a 32-bit pointer from it.
    if (entry.kind == Kind::Group5 && readMemory != nullptr && !addressOverride && !operandOverride &&
        !threadSegment && (modrm == kCallIndirectDisp32 || modrm == kJumpIndirectDisp32)) {
        uint32_t value = 0;
        if (readMemory(ReadLittle(src + modrmAt + 1, 4), value, readContext))
            result.target = value;
    }

    uint32_t newDisplacement = 0;
    size_t relSize = 0;
    if (relPos != 0) {
        relSize = length - relPos;
        const uint8_t* rel = src + opStart + relPos;
        const int32_t old = SignExtend(ReadLittle(rel, relSize), relSize);
        const uint32_t srcNext = srcAddr + static_cast<uint32_t>(total);
        const uint32_t dstNext = dstAddr + static_cast<uint32_t>(total);
        const uint32_t target = srcNext + static_cast<uint32_t>(old);
        const int32_t moved = static_cast<int32_t>(target - dstNext);
        // A 16-bit operand size clears the upper half of EIP after the add. Requiring
        // the unclipped distance to fit keeps the copy exact under either reading.
        result.target = operandOverride ? (target & 0xFFFF) : target;
        if (!FitsSigned(moved, relSize)) {
            const int32_t need = relSize == 1 ? 3 : 2;
            result.extra = (entry.flags & kNoEnlarge) ? -need : need;
            return result;
        }
        newDisplacement = static_cast<uint32_t>(moved);
    }

    if (dst != nullptr) {
        if (dstCapacity < total) {
            result.noRoom = true;
            return result;
        }
        std::memcpy(dst, src, total);
        if (relSize != 0)
            WriteLittle(dst + opStart + relPos, relSize, newDisplacement);
    }
    result.length = static_cast<uint32_t>(total);
    return result;
}

} // namespace movalent
