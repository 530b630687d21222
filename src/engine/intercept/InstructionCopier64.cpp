#include "engine/intercept/InstructionCopier64.h"

#include "engine/intercept/OpcodeSets.h"

#include <cstring>

namespace movalent {
namespace {

// What follows the opcode (and its ModR/M, SIB and displacement) at the end of the instruction.
enum class Operand : uint8_t {
    None,
    Byte,     // ib
    Word,     // iw
    Full,     // iz: 4 bytes, 2 under 66 unless REX.W
    Wide,     // mov reg, iv: 8 bytes under REX.W
    WordByte, // enter iw, ib
    Offset,   // moffs: 8 bytes, 4 under 67
    Rel8,
    Rel32, // 66 does not shorten it: Intel processors ignore it on near branches in long mode
};

enum class Kind : uint8_t {
    Plain,
    Prefix,
    Rex,
    Escape,  // 0F
    Invalid, // refused: nothing copied
    Test,    // F6/F7: /0 and /1 (test) carry an immediate the others lack
    Group5,  // FF: /2../5 branch through a register or memory
    Pop,     // 8F: only /0 exists; the rest is another vendor's vector prefix
    MovImm,  // C7: C7 F8 is a transaction begin with a relative fallback address
    Vex2,    // C5
    Vex3,    // C4
    Control, // 0F 20-23: the mod field is ignored, so no displacement follows
    Jump8,   // jmp/jcc rel8: a rel32 form exists
    Loop8,   // loop*/jrcxz: rel8 only
};

struct Opcode {
    bool modrm;
    Operand operand;
    Kind kind;
};

constexpr Opcode N{false, Operand::None, Kind::Plain};
constexpr Opcode M{true, Operand::None, Kind::Plain};
constexpr Opcode P{false, Operand::None, Kind::Prefix};
constexpr Opcode REX{false, Operand::None, Kind::Rex};
constexpr Opcode BAD{false, Operand::None, Kind::Invalid};
constexpr Opcode I(Operand operand) {
    return Opcode{false, operand, Kind::Plain};
}
constexpr Opcode MI(Operand operand) {
    return Opcode{true, operand, Kind::Plain};
}
constexpr Opcode K(Kind kind, bool modrm = true, Operand operand = Operand::None) {
    return Opcode{modrm, operand, kind};
}

constexpr Opcode B = I(Operand::Byte);
constexpr Opcode Z = I(Operand::Full);
constexpr Opcode MB = MI(Operand::Byte);
constexpr Opcode MZ = MI(Operand::Full);
constexpr Opcode J8 = K(Kind::Jump8, false, Operand::Rel8);
constexpr Opcode L8 = K(Kind::Loop8, false, Operand::Rel8);
constexpr Opcode J32 = I(Operand::Rel32);
constexpr Opcode MO = I(Operand::Offset);
constexpr Opcode CR = K(Kind::Control);

// clang-format off
constexpr Opcode kOneByteMap[256] = {
    // 00: add Eb,Gb; Ev,Gv; Gb,Eb; Gv,Ev; al,ib; eax,iz; (push es); (pop es)
    M, M, M, M, B, Z, BAD, BAD,
    // 08: or ...; (push cs); two-byte escape
    M, M, M, M, B, Z, BAD, K(Kind::Escape, false),
    // 10: adc ...; (push ss); (pop ss)
    M, M, M, M, B, Z, BAD, BAD,
    // 18: sbb ...; (push ds); (pop ds)
    M, M, M, M, B, Z, BAD, BAD,
    // 20: and ...; es: (ignored, still a prefix); (daa)
    M, M, M, M, B, Z, P, BAD,
    // 28: sub ...; cs:; (das)
    M, M, M, M, B, Z, P, BAD,
    // 30: xor ...; ss:; (aaa)
    M, M, M, M, B, Z, P, BAD,
    // 38: cmp ...; ds:; (aas)
    M, M, M, M, B, Z, P, BAD,
    // 40: REX
    REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX, REX,
    // 50: push reg; pop reg
    N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N,
    // 60: (pusha); (popa); EVEX; movsxd; fs:; gs:; operand size; address size
    BAD, BAD, BAD, M, P, P, P, P,
    // 68: push iz; imul Gv,Ev,iz; push ib; imul Gv,Ev,ib; ins; outs
    Z, MZ, B, MB, N, N, N, N,
    // 70: jcc rel8
    J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8, J8,
    // 80: grp1 Eb,ib; grp1 Ev,iz; (grp1 alias); grp1 Ev,ib; test; xchg
    MB, MZ, BAD, MB, M, M, M, M,
    // 88: mov ...; mov Ev,sreg; lea; mov sreg,Ew; pop Ev
    M, M, M, M, M, M, M, K(Kind::Pop),
    // 90: nop / xchg; cbw family; (call far); wait; pushf; popf; sahf; lahf
    N, N, N, N, N, N, N, N, N, N, BAD, N, N, N, N, N,
    // A0: mov al/rax,moffs; mov moffs,al/rax; movs; cmps
    MO, MO, MO, MO, N, N, N, N,
    // A8: test al,ib; test eax,iz; stos; lods; scas
    B, Z, N, N, N, N, N, N,
    // B0: mov reg8,ib
    B, B, B, B, B, B, B, B,
    // B8: mov reg,iv
    I(Operand::Wide), I(Operand::Wide), I(Operand::Wide), I(Operand::Wide),
    I(Operand::Wide), I(Operand::Wide), I(Operand::Wide), I(Operand::Wide),
    // C0: grp2 Eb,ib; grp2 Ev,ib; ret iw; ret; VEX3; VEX2; mov Eb,ib; mov Ev,iz
    MB, MB, I(Operand::Word), N, K(Kind::Vex3, false), K(Kind::Vex2, false), MB,
    K(Kind::MovImm, true, Operand::Full),
    // C8: enter iw,ib; leave; retf iw; retf; int3; int ib; (into); iret
    I(Operand::WordByte), N, I(Operand::Word), N, N, B, BAD, N,
    // D0: grp2 by 1 and by cl; (aam); (aad); (salc); xlat
    M, M, M, M, BAD, BAD, BAD, N,
    // D8: x87 escapes
    M, M, M, M, M, M, M, M,
    // E0: loopne; loope; loop; jrcxz; in al,ib; in eax,ib; out ib,al; out ib,eax
    L8, L8, L8, L8, B, B, B, B,
    // E8: call rel32; jmp rel32; (jmp far); jmp rel8; in/out through dx
    J32, J32, BAD, J8, N, N, N, N,
    // F0: lock; (int1); repne; rep; hlt; cmc; grp3 Eb; grp3 Ev
    P, BAD, P, P, N, N, K(Kind::Test), K(Kind::Test),
    // F8: clc; stc; cli; sti; cld; std; grp4; grp5
    N, N, N, N, N, N, M, K(Kind::Group5),
};

constexpr Opcode kTwoByteMap[256] = {
    // 00: grp6; grp7; lar; lsl; -; syscall; clts; sysret
    M, M, M, M, BAD, N, N, N,
    // 08: invd; wbinvd; -; ud2; -; prefetch; (femms); (3DNow!)
    N, N, BAD, N, BAD, M, BAD, BAD,
    // 10: SSE moves; 18: prefetch hints, bound-register moves, the hint NOP space (endbr64, nop Ev)
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // 20: mov to/from control and debug registers
    CR, CR, CR, CR, BAD, BAD, BAD, BAD,
    // 28: SSE moves and conversions
    M, M, M, M, M, M, M, M,
    // 30: wrmsr; rdtsc; rdmsr; rdpmc; sysenter; sysexit; -; getsec; 38/3A are three-byte maps
    N, N, N, N, N, N, BAD, N, BAD, BAD, BAD, BAD, BAD, BAD, BAD, BAD,
    // 40: cmovcc
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // 50: SSE arithmetic
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // 60: MMX/SSE2 unpack and pack
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // 70: pshuf ib; shift groups ib; pcmpeq; emms; (vmread, vmwrite, SSE4a); haddp; hsubp; movd/movq
    MB, MB, MB, MB, M, M, M, N, BAD, BAD, BAD, BAD, M, M, M, M,
    // 80: jcc rel32
    J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32, J32,
    // 90: setcc
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // A0: push fs; pop fs; cpuid; bt; shld ib; shld cl; -; -
    N, N, N, M, MB, M, BAD, BAD,
    // A8: push gs; pop gs; rsm; bts; shrd ib; shrd cl; grp15; imul
    N, N, N, M, MB, M, M, M,
    // B0: cmpxchg; lss; btr; lfs; lgs; movzx
    M, M, M, M, M, M, M, M,
    // B8: popcnt; (ud1, whose ModR/M older processors do not read); grp8 ib; btc; bsf/tzcnt; bsr/lzcnt; movsx
    M, BAD, MB, M, M, M, M, M,
    // C0: xadd; cmpps ib; movnti; pinsrw ib; pextrw ib; shufps ib; grp9
    M, M, MB, M, MB, MB, MB, M,
    // C8: bswap
    N, N, N, N, N, N, N, N,
    // D0: SSE3/MMX/SSE2
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // E0: MMX/SSE2
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, M,
    // F0: lddqu; MMX/SSE2; (ud0, the same)
    M, M, M, M, M, M, M, M, M, M, M, M, M, M, M, BAD,
};
// clang-format on

using opcodes::k0F38Opcodes;
using opcodes::k0F3AOpcodes;
using opcodes::kVexImmediateOpcodes;
using opcodes::kVexZeroUpper;

constexpr uint8_t kModRMRegisterMod = 3;
constexpr uint8_t kTransactionBegin = 0xF8; // C7 F8: the rel32 where an immediate would be
constexpr uint8_t kShortJump = 0xEB;
constexpr uint8_t kNearJump = 0xE9;
constexpr uint8_t kTwoByteEscape = 0x0F;
constexpr uint8_t kNearJccBase = 0x80; // 0F 80+cc
constexpr uint8_t kShortJccBase = 0x70;
constexpr size_t kNearJumpSize = 5;

enum class Status { Ok, Invalid, Truncated };

// The source instruction's layout, as far as copying needs it.
struct Decoded {
    Status status = Status::Ok;
    size_t skip = 0;    // bytes an invalid encoding consumes
    size_t length = 0;  // whole instruction
    size_t opStart = 0; // legacy prefixes and REX end here
    Kind kind = Kind::Plain;
    uint8_t modrm = 0;
    size_t ripAt = 0;   // offset of a RIP-relative disp32, 0 = none
    size_t relSize = 0; // relative displacement at the end of the instruction, 0 = none
    bool operandOverride = false;
    bool addressOverride = false;
    bool threadSegment = false; // fs/gs add a base readMemory does not know
};

size_t ImmediateSize(Operand operand, bool rexW, bool operandOverride, bool addressOverride) {
    switch (operand) {
    case Operand::None:
        return 0;
    case Operand::Byte:
    case Operand::Rel8:
        return 1;
    case Operand::Word:
        return 2;
    case Operand::Full:
        return (operandOverride && !rexW) ? 2 : 4;
    case Operand::Wide:
        return rexW ? 8 : (operandOverride ? 2 : 4);
    case Operand::WordByte:
        return 3;
    case Operand::Offset:
        return addressOverride ? 4 : 8;
    case Operand::Rel32:
        return 4;
    }
    return 0;
}

Decoded Decode(const uint8_t* src, size_t avail) {
    Decoded d;
    const auto fail = [&d](Status status, size_t skip) {
        d.status = status;
        d.skip = skip;
        return d;
    };
    // A byte needed at or past the length limit makes the encoding invalid however much source follows, so
    // that is decided before running out of source.
    const auto missing = [avail](size_t at) -> Status {
        if (at >= kMaxInstructionLength64)
            return Status::Invalid;
        return at >= avail ? Status::Truncated : Status::Ok;
    };

    uint8_t rex = 0;
    bool vexBarred = false; // 66/F2/F3/F0 or REX in front of VEX make it undefined
    size_t pos = 0;
    for (;; ++pos) {
        // No room left for an opcode: the processor faults on such a prefix run.
        if (const Status s = missing(pos); s != Status::Ok)
            return fail(s, pos);
        const uint8_t byte = src[pos];
        const Kind kind = kOneByteMap[byte].kind;
        if (kind == Kind::Rex) {
            rex = byte;
            continue;
        }
        if (kind != Kind::Prefix)
            break;
        rex = 0; // a legacy prefix after REX makes the processor ignore the REX
        d.operandOverride |= byte == 0x66;
        d.addressOverride |= byte == 0x67;
        d.threadSegment |= byte == 0x64 || byte == 0x65;
        vexBarred |= byte == 0x66 || byte == 0xF0 || byte == 0xF2 || byte == 0xF3;
    }
    vexBarred |= rex != 0;
    const bool rexW = (rex & 8) != 0;

    d.opStart = pos;
    const uint8_t opcode = src[pos];
    Opcode entry = kOneByteMap[opcode];
    size_t end = pos + 1; // past the opcode bytes
    if (entry.kind == Kind::Escape) {
        if (const Status s = missing(end); s != Status::Ok)
            return fail(s, end);
        const uint8_t second = src[end++];
        entry = kTwoByteMap[second];
        if (second == 0x38 || second == 0x3A) {
            if (const Status s = missing(end); s != Status::Ok)
                return fail(s, end);
            const uint8_t third = src[end++];
            const bool known = second == 0x38 ? k0F38Opcodes.Has(third) : k0F3AOpcodes.Has(third);
            entry = known ? MI(second == 0x38 ? Operand::None : Operand::Byte) : BAD;
        }
    } else if (entry.kind == Kind::Vex2 || entry.kind == Kind::Vex3) {
        if (vexBarred)
            return fail(Status::Invalid, end);
        unsigned map = 1;
        if (entry.kind == Kind::Vex3) {
            if (const Status s = missing(end); s != Status::Ok)
                return fail(s, end);
            map = src[end] & 0x1F;
            if (map < 1 || map > 3) // XOP-style and reserved maps
                return fail(Status::Invalid, end);
            ++end;
        }
        const size_t vexOpcodeAt = end + 1; // past the byte with vvvv, L and pp
        if (const Status s = missing(vexOpcodeAt); s != Status::Ok)
            return fail(s, pos + 1);
        const uint8_t vexOpcode = src[vexOpcodeAt];
        end = vexOpcodeAt + 1;
        const bool immediate = map == 3 || (map == 1 && kVexImmediateOpcodes.Has(vexOpcode));
        entry = Opcode{!(map == 1 && vexOpcode == kVexZeroUpper), immediate ? Operand::Byte : Operand::None,
                       Kind::Plain};
    }
    if (entry.kind == Kind::Invalid)
        return fail(Status::Invalid, end);
    d.kind = entry.kind;

    Operand operand = entry.operand;
    size_t at = end;
    if (entry.modrm) {
        if (const Status s = missing(at); s != Status::Ok)
            return fail(s, end);
        d.modrm = src[at++];
        const unsigned mod = d.modrm >> 6;
        const unsigned reg = (d.modrm >> 3) & 7;
        const unsigned rm = d.modrm & 7;
        switch (entry.kind) {
        case Kind::Pop:
            if (reg != 0)
                return fail(Status::Invalid, end);
            break;
        case Kind::Test:
            // /1 is not documented, but processors execute it as test with the same immediate.
            if (reg <= 1)
                operand = opcode == 0xF6 ? Operand::Byte : Operand::Full;
            break;
        case Kind::MovImm:
            if (d.modrm == kTransactionBegin) {
                // Under 66 the fallback address is a rel16 that also clips RIP; nothing emits that.
                if (d.operandOverride && !rexW)
                    return fail(Status::Invalid, end);
                operand = Operand::Rel32;
            }
            break;
        default:
            break;
        }
        if (entry.kind != Kind::Control && mod != kModRMRegisterMod) {
            // REX.B never changes which forms carry a SIB or a displacement.
            size_t displacement = mod == 1 ? 1 : (mod == 2 ? 4 : 0);
            if (rm == 4) {
                if (const Status s = missing(at); s != Status::Ok)
                    return fail(s, end);
                if (mod == 0 && (src[at] & 7) == 5)
                    displacement = 4;
                ++at;
            } else if (mod == 0 && rm == 5) {
                d.ripAt = at;
                displacement = 4;
            }
            at += displacement;
        }
    }
    if (operand == Operand::Rel8 || operand == Operand::Rel32)
        d.relSize = operand == Operand::Rel8 ? 1 : 4;
    d.length = at + ImmediateSize(operand, rexW, d.operandOverride, d.addressOverride);
    if (d.length > kMaxInstructionLength64)
        return fail(Status::Invalid, end);
    if (d.length > avail)
        return fail(Status::Truncated, 0);
    return d;
}

uint64_t ReadLittle(const uint8_t* p, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= static_cast<uint64_t>(p[i]) << (8 * i);
    return value;
}

void WriteLittle(uint8_t* p, size_t size, uint64_t value) {
    for (size_t i = 0; i < size; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

int64_t SignedDisplacement(const uint8_t* p, size_t size) {
    return size == 1 ? static_cast<int8_t>(p[0]) : static_cast<int32_t>(ReadLittle(p, 4));
}

bool Fits(int64_t value, size_t size) {
    return size == 1 ? value >= INT8_MIN && value <= INT8_MAX : value >= INT32_MIN && value <= INT32_MAX;
}

// Distance from the end of an instruction of `length` bytes at `address` to `target`.
int64_t Distance(uint64_t target, uint64_t address, size_t length) {
    return static_cast<int64_t>(target - (address + length));
}

} // namespace

CopiedInstruction64 CopyInstruction64(uint8_t* dst, size_t dstCapacity, uint64_t dstAddr, const uint8_t* src,
                                      size_t srcAvail, uint64_t srcAddr, ReadMemory64Fn readMemory,
                                      void* readContext) {
    CopiedInstruction64 result;
    result.next = srcAddr;
    if (src == nullptr)
        srcAvail = 0;

    const Decoded d = Decode(src, srcAvail);
    if (d.status == Status::Truncated) {
        result.truncated = true;
        return result;
    }
    if (d.status == Status::Invalid) {
        result.invalid = true;
        result.next = srcAddr + d.skip;
        return result;
    }
    const size_t total = d.length;
    const uint64_t srcNext = srcAddr + total;
    result.next = srcNext;
    result.sourceLength = static_cast<uint32_t>(total);
    result.dynamicTarget = d.kind == Kind::Group5 && ((d.modrm >> 3) & 7) >= 2 && ((d.modrm >> 3) & 7) <= 5;

    // The copy is the source verbatim, or one of the longer rewrites of a rel8 branch. Its relative field
    // (a rel or a RIP-relative disp32) sits at fieldAt and counts from the end of its instruction, fieldBase,
    // which for RIP-relative operands lies past any immediate.
    size_t copied = total;
    size_t fieldSize = 0;
    size_t fieldAt = 0;
    size_t fieldBase = total;
    uint64_t fieldTarget = 0;
    bool wraps = false;
    enum class Rewrite { None, NearForm, LoopSequence } rewrite = Rewrite::None;

    if (d.ripAt != 0) {
        uint64_t operandAddress = srcNext + static_cast<uint64_t>(SignedDisplacement(src + d.ripAt, 4));
        // Under 67 the sum wraps at 32 bits, so any displacement reaches: the copy's is taken modulo 2^32.
        if (d.addressOverride) {
            operandAddress &= 0xFFFFFFFF;
            wraps = true;
        }
        result.ripRelative = true;
        fieldSize = 4;
        fieldAt = d.ripAt;
        fieldTarget = operandAddress;
        const unsigned reg = (d.modrm >> 3) & 7;
        if (!result.dynamicTarget) {
            result.target = operandAddress;
        } else if (readMemory != nullptr && (reg == 2 || reg == 4) && !d.operandOverride &&
                   !d.threadSegment) {
            // Only near call/jmp take a flat 64-bit pointer from the operand.
            uint64_t pointer = 0;
            if (readMemory(operandAddress, pointer, readContext))
                result.target = pointer;
        }
    } else if (d.relSize != 0) {
        fieldSize = d.relSize;
        fieldAt = total - d.relSize;
        fieldTarget = srcNext + static_cast<uint64_t>(SignedDisplacement(src + fieldAt, d.relSize));
        result.target = fieldTarget;
        if (d.relSize == 1 && !Fits(Distance(fieldTarget, dstAddr, total), 1)) {
            if (d.kind == Kind::Jump8) {
                rewrite = Rewrite::NearForm;
                copied = d.opStart + (src[d.opStart] == kShortJump ? kNearJumpSize : kNearJumpSize + 1);
            } else {
                rewrite = Rewrite::LoopSequence;
                copied = total + 2 + kNearJumpSize;
            }
            fieldSize = 4;
            fieldAt = copied - 4;
            fieldBase = copied;
        }
    }

    const int64_t moved = Distance(fieldTarget, dstAddr, fieldBase);
    // Prefixes are kept, so a rewrite behind a long prefix run could pass the length limit.
    if ((fieldSize != 0 && !wraps && !Fits(moved, fieldSize)) ||
        (rewrite == Rewrite::NearForm && copied > kMaxInstructionLength64)) {
        result.outOfReach = true;
        return result;
    }
    if (dst != nullptr) {
        if (dstCapacity < copied) {
            result.noRoom = true;
            return result;
        }
        switch (rewrite) {
        case Rewrite::None:
            std::memcpy(dst, src, total);
            break;
        case Rewrite::NearForm: {
            std::memcpy(dst, src, d.opStart);
            uint8_t* op = dst + d.opStart;
            if (src[d.opStart] == kShortJump) {
                *op = kNearJump;
            } else {
                op[0] = kTwoByteEscape;
                op[1] = static_cast<uint8_t>(kNearJccBase + (src[d.opStart] - kShortJccBase));
            }
            break;
        }
        case Rewrite::LoopSequence: {
            // op +2 (to the jmp rel32); jmp short +5 (over it); jmp rel32
            std::memcpy(dst, src, total - 1);
            const uint8_t tail[] = {2, kShortJump, kNearJumpSize, kNearJump};
            std::memcpy(dst + total - 1, tail, sizeof tail);
            break;
        }
        }
        if (fieldSize != 0)
            WriteLittle(dst + fieldAt, fieldSize, static_cast<uint64_t>(moved));
    }
    result.length = static_cast<uint32_t>(copied);
    return result;
}

} // namespace movalent
