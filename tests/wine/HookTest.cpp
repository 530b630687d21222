// Attaching and detaching hand-made functions: what is moved, what is refused, and the transaction rules.
#include "HookTestSupport.h"
#include "engine/intercept/Hooks.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace movalent;
using namespace movalent::testing;

namespace {

typedef int(__stdcall* AddFn)(int, int);
typedef int(__cdecl* IntFn)();
typedef int(__fastcall* FastFn)(int);

#if defined(_WIN64)
// sub rsp,28h; lea rax,[rcx+rdx]; add rsp,28h; ret -- the arguments come in ecx and edx
const char* const kAdd = "48 83 EC 28 48 8D 04 11 48 83 C4 28 C3";
constexpr size_t kAddMoved = 8;
#else
// push ebp; mov ebp,esp; mov eax,[ebp+8]; add eax,[ebp+12]; pop ebp; ret 8
const char* const kAdd = "55 8B EC 8B 45 08 03 45 0C 5D C2 08 00";
constexpr size_t kAddMoved = 6;
#endif

AddFn g_realAdd = nullptr;
int __stdcall TimesTenAdd(int a, int b) {
    return 10 * g_realAdd(a, b);
}
int __stdcall MinusAdd(int a, int b) {
    return -g_realAdd(a, b);
}
int __cdecl ReturnsEight() {
    return 8;
}
int __cdecl ReturnsTwo() {
    return 2;
}
#if !defined(_WIN64)
int __cdecl ReturnsSeven() {
    return 7;
}
#endif

class Hooks : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, code_.base()); }

    CodeBuffer code_;
    TransactionGuard guard_;
};

TEST_F(Hooks, AttachRedirectsAtCommitAndDetachRestoresEveryByte) {
    uint8_t* target = code_.Put(0x40, kAdd);
    const auto original = BytesAt(target, 16);
    code_.Protect(PAGE_EXECUTE_READ);
    g_realAdd = As<AddFn>(target);

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&g_realAdd, &TimesTenAdd));
    // Nothing changes before commit: the variable still calls the untouched target.
    EXPECT_EQ(reinterpret_cast<void*>(target), reinterpret_cast<void*>(g_realAdd));
    EXPECT_EQ(original, BytesAt(target, 16));
    EXPECT_EQ(5, g_realAdd(2, 3));
    void** failed = reinterpret_cast<void**>(1);
    ASSERT_EQ(0, HookTransactionCommit(&failed));
    EXPECT_EQ(nullptr, failed);

    auto* trampoline = reinterpret_cast<Trampoline*>(g_realAdd);
    ASSERT_NE(reinterpret_cast<void*>(target), static_cast<void*>(trampoline));
    EXPECT_EQ(kAddMoved, trampoline->movedLength);
    EXPECT_EQ(target + kAddMoved, trampoline->resume);
    EXPECT_EQ(reinterpret_cast<void*>(&TimesTenAdd), trampoline->replacement);
    EXPECT_EQ(std::vector<uint8_t>(original.begin(), original.begin() + kAddMoved),
              BytesAt(trampoline->code, kAddMoved));
    EXPECT_EQ(0xE9, trampoline->code[kAddMoved]);
    EXPECT_EQ(target + kAddMoved, Rel32Destination(trampoline->code + kAddMoved, 5));
    for (size_t i = kAddMoved + 5; i < kTrampolineCodeSize; ++i)
        EXPECT_EQ(0xCC, trampoline->code[i]) << i;

    EXPECT_EQ(0xE9, target[0]);
    EXPECT_EQ(reinterpret_cast<void*>(&TimesTenAdd), PatchedEntryDestination(target));
#if defined(_WIN64)
    // The entry reaches the replacement through the relay; the moved bytes are kept as they were.
    EXPECT_EQ(static_cast<void*>(trampoline->relay), Rel32Destination(target, 5));
    std::vector<uint8_t> relay = Hex("FF 25 00 00 00 00");
    const auto replacement = reinterpret_cast<uintptr_t>(&TimesTenAdd);
    for (size_t i = 0; i < 8; ++i)
        relay.push_back(static_cast<uint8_t>(replacement >> (8 * i)));
    relay.insert(relay.end(), kRelaySize - relay.size(), 0xCC);
    EXPECT_EQ(relay, BytesAt(trampoline->relay, kRelaySize));
    EXPECT_EQ(std::vector<uint8_t>(original.begin(), original.begin() + kAddMoved),
              BytesAt(trampoline->original, kAddMoved));
#endif
    EXPECT_EQ(0xCC, target[5]);
    EXPECT_EQ(original[kAddMoved], target[kAddMoved]);
    EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(target));
    EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(trampoline));

    EXPECT_EQ(50, As<AddFn>(target)(2, 3));
    EXPECT_EQ(5, g_realAdd(2, 3));

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    EXPECT_EQ(static_cast<void*>(trampoline), reinterpret_cast<void*>(g_realAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(reinterpret_cast<void*>(target), reinterpret_cast<void*>(g_realAdd));
    EXPECT_EQ(original, BytesAt(target, 16));
    EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(target));
    EXPECT_EQ(5, As<AddFn>(target)(2, 3));
}

TEST_F(Hooks, NearJumpAsFirstInstructionIsMovedAloneAndStillReachesItsDestination) {
    uint8_t* destination = code_.Put(0x80, "B8 07 00 00 00 C3"); // mov eax,7; ret
    uint8_t* target = code_.Put(0x40, "E9 00 00 00 00 90 90 90 90 C3");
    PutRel32(target + 1, target + 5, destination);
    const auto original = BytesAt(target, 10);
    void* variable = target;

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    const auto* trampoline = static_cast<const Trampoline*>(variable);
    EXPECT_EQ(5, trampoline->movedLength);
    EXPECT_EQ(0xE9, trampoline->code[0]);
    EXPECT_EQ(static_cast<void*>(destination), Rel32Destination(trampoline->code, 5));
    EXPECT_EQ(0xE9, trampoline->code[5]);
    EXPECT_EQ(static_cast<void*>(target + 5), Rel32Destination(trampoline->code + 5, 5));
    EXPECT_EQ(7, As<IntFn>(variable)());
    EXPECT_EQ(8, As<IntFn>(target)());
    EXPECT_EQ(0x90, target[5]) << "bytes after the jump belong to something else";

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(original, BytesAt(target, 10));
}

TEST_F(Hooks, RelativeOperandsAreRelocatedIntoTheTrampoline) {
#if defined(_WIN64)
    // The program's own functions may lie beyond a rel32's reach of this buffer: mov eax,7; ret.
    void* helper = code_.Put(0x200, "B8 07 00 00 00 C3");
#else
    void* helper = reinterpret_cast<void*>(&ReturnsSeven);
#endif
    // call helper; ret  -- the call is the whole movable prologue.
    uint8_t* callsHelper = code_.Put(0x40, "E8 00 00 00 00 C3");
    PutRel32(callsHelper + 1, callsHelper + 5, helper);
    // test ecx,ecx; jne taken; mov eax,1; ret; taken: mov eax,2; ret
    uint8_t* branches = code_.Put(0x80, "85 C9 0F 85 06 00 00 00 B8 01 00 00 00 C3 B8 02 00 00 00 C3");
    void* call = callsHelper;
    void* branch = branches;

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&call, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookAttach(&branch, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());

    const auto* callTrampoline = static_cast<const Trampoline*>(call);
    EXPECT_EQ(5, callTrampoline->movedLength);
    EXPECT_EQ(helper, Rel32Destination(callTrampoline->code, 5));
    EXPECT_EQ(7, As<IntFn>(call)());

    const auto* branchTrampoline = static_cast<const Trampoline*>(branch);
    EXPECT_EQ(8, branchTrampoline->movedLength);
    EXPECT_EQ(static_cast<void*>(branches + 14), Rel32Destination(branchTrampoline->code + 2, 6));
    EXPECT_EQ(1, As<FastFn>(branch)(0));
    EXPECT_EQ(2, As<FastFn>(branch)(5));

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&call, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookDetach(&branch, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(7, As<IntFn>(callsHelper)());
    EXPECT_EQ(2, As<FastFn>(branches)(5));
    EXPECT_EQ(Hex("85 C9 0F 85 06 00 00 00"), BytesAt(branches, 8));
}

#if defined(_WIN64)
// A short branch cannot reach from the trampoline and is lengthened there; a RIP-relative operand is
// re-aimed. Neither form can be moved back, so detach puts back the bytes kept at attach.
TEST_F(Hooks, ShortBranchesAndRipRelativeOperandsWorkFromTheTrampolineAndComeBackAsTheyWere) {
    // test ecx,ecx; jz +6; mov eax,1; ret; mov eax,2; ret
    uint8_t* branches = code_.Put(0x40, "85 C9 74 06 B8 01 00 00 00 C3 B8 02 00 00 00 C3");
    // mov eax,[rip+disp32]; ret
    uint8_t* data = code_.Put(0x200, "34 12 00 00");
    uint8_t* reads = code_.Put(0x80, "8B 05 00 00 00 00 C3");
    PutRel32(reads + 2, reads + 6, data);
    const auto branchBytes = BytesAt(branches, 16);
    const auto readBytes = BytesAt(reads, 7);
    void* branch = branches;
    void* read = reads;

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&branch, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookAttach(&read, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());

    const auto* branchTrampoline = static_cast<const Trampoline*>(branch);
    EXPECT_EQ(9, branchTrampoline->movedLength);
    EXPECT_EQ(Hex("0F 84"), BytesAt(branchTrampoline->code + 2, 2));
    EXPECT_EQ(static_cast<void*>(branches + 10), Rel32Destination(branchTrampoline->code + 2, 6));
    EXPECT_EQ(static_cast<void*>(branches + 9), Rel32Destination(branchTrampoline->code + 13, 5));
    EXPECT_EQ(2, As<FastFn>(branch)(0));
    EXPECT_EQ(1, As<FastFn>(branch)(5));
    EXPECT_EQ(8, As<FastFn>(branches)(0));

    const auto* readTrampoline = static_cast<const Trampoline*>(read);
    EXPECT_EQ(6, readTrampoline->movedLength);
    EXPECT_EQ(static_cast<void*>(data), Rel32Destination(readTrampoline->code, 6));
    EXPECT_EQ(0x1234, As<IntFn>(read)());

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&branch, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookDetach(&read, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(branchBytes, BytesAt(branches, 16));
    EXPECT_EQ(readBytes, BytesAt(reads, 7));
    EXPECT_EQ(2, As<FastFn>(branches)(0));
    EXPECT_EQ(0x1234, As<IntFn>(reads)());
}
#endif

struct MoveCase {
    const char* what;
    const char* code;
    LONG result;
    size_t moved; // when accepted
};

const MoveCase kMoveCases[] = {
    {"return inside the first five bytes", "33 C0 C3 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"a lone return", "C3 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"return behind a prefix", "90 F3 C3 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"jump through a register", "55 FF E0 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"short jump", "55 EB 10 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"breakpoint", "90 CC 90 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"invalid one-byte opcode", "55 D6 90 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"invalid two-byte opcode", "55 0F 0A 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"return exactly at five bytes", "B0 01 C2 04 00 CC", NO_ERROR, 5},
    {"frame set-up and return", "55 8B EC 5D C3 CC", NO_ERROR, 5},
    {"hot-patch prologue", "8B FF 55 8B EC 5D C3", NO_ERROR, 5},
    {"stack alignment prologue", "8D 4C 24 04 83 E4 F0 FF 71 FC C3", NO_ERROR, 7},
#if defined(_WIN64)
    {"return behind REX", "90 48 C3 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"jump through memory behind REX", "55 48 FF 20 55 8B EC 5D C3", ERROR_INVALID_BLOCK, 0},
    {"opcode invalid in 64-bit code", "55 06 90 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"short branch into the moved bytes", "85 C9 74 00 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"loop back to the entry", "E2 FE 90 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"near jump back to the entry", "90 E9 FA FF FF FF C3", ERROR_INVALID_BLOCK, 0},
    {"short conditional branch past the moved bytes", "55 74 03 90 90 90 C3", NO_ERROR, 5},
    {"jrcxz past the moved bytes", "E3 04 90 90 90 90 C3", NO_ERROR, 5},
    {"register save prologue", "48 89 5C 24 08 57 48 83 EC 20 C3", NO_ERROR, 5},
    {"thread block read", "65 48 8B 04 25 30 00 00 00 C3", NO_ERROR, 9},
    {"RIP-relative load", "48 8B 05 00 00 00 00 C3", NO_ERROR, 7},
    // Fewer than five bytes and then the longest instruction: more than this can never be moved.
    {"19 bytes", "90 90 90 90 2E 3E 26 36 C7 84 24 00 01 00 00 78 56 34 12 C3", NO_ERROR, 19},
#else
    {"short conditional branch", "55 74 03 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"loop without a longer form", "E2 FE 90 90 90 90 C3", ERROR_INVALID_BLOCK, 0},
    {"more than 18 bytes", "90 90 90 90 2E 3E 26 36 C7 84 24 00 01 00 00 78 56 34 12 C3",
     ERROR_INVALID_HANDLE, 0},
    {"thread block read", "64 A1 18 00 00 00 C3", NO_ERROR, 6},
    {"18 bytes exactly", "90 90 90 2E 3E 26 36 C7 84 24 00 01 00 00 78 56 34 12 C3", NO_ERROR, 18},
#endif
};

TEST_F(Hooks, WhatCanBeMovedDecidesTheAttach) {
    for (const MoveCase& c : kMoveCases) {
        SCOPED_TRACE(c.what);
        uint8_t* target = code_.Put(0x40, std::string(c.code) + " CC CC CC CC CC CC CC CC CC CC CC CC CC CC");
        const auto original = BytesAt(target, 24);
        void* variable = target;

        ASSERT_EQ(0, HookTransactionBegin());
        EXPECT_EQ(c.result, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
        void** failed = nullptr;
        EXPECT_EQ(c.result, HookTransactionCommit(&failed));
        if (c.result != NO_ERROR) {
            EXPECT_EQ(&variable, failed);
            EXPECT_EQ(static_cast<void*>(target), variable);
            EXPECT_EQ(original, BytesAt(target, 24)) << "nothing is patched";
            continue;
        }
        EXPECT_EQ(c.moved, static_cast<const Trampoline*>(variable)->movedLength);
        ASSERT_EQ(0, HookTransactionBegin());
        ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(original, BytesAt(target, 24));
    }
}

TEST_F(Hooks, AFailureIsPendingUntilTheTransactionEnds) {
    uint8_t* tooShort = code_.Put(0x40, "33 C0 C3");
    uint8_t* fine = code_.Put(0x80, kAdd);
    const auto fineBytes = BytesAt(fine, 13);
    void* first = tooShort;
    void* second = fine;

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookAttach(&first, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookAttach(&second, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&second, reinterpret_cast<void*>(&ReturnsEight)));
    void** failed = nullptr;
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit(&failed));
    EXPECT_EQ(&first, failed);
    EXPECT_EQ(static_cast<void*>(fine), second);
    EXPECT_EQ(fineBytes, BytesAt(fine, 13));

    // The next transaction starts clean.
    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(0, HookAttach(&second, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(0, HookTransactionAbort());
}

TEST_F(Hooks, NullVariablesAndReplacements) {
    uint8_t* target = code_.Put(0x40, kAdd);
    void* variable = target;
    void* empty = nullptr;

    ASSERT_EQ(0, HookTransactionBegin());
    // A null variable address is returned, not made pending.
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookAttach(nullptr, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookDetach(nullptr, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(0, HookTransactionAbort());

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookAttach(&empty, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    void** failed = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookTransactionCommit(&failed));
    EXPECT_EQ(&empty, failed);

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookDetach(&empty, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(0, HookTransactionAbort());

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookAttach(&variable, nullptr))
        << "a jump to address 0 is never patched in";
    EXPECT_EQ(ERROR_INVALID_HANDLE, HookTransactionCommit());
    EXPECT_EQ(static_cast<void*>(target), variable);
}

TEST_F(Hooks, ATargetThatIsItsOwnReplacementQueuesNothing) {
    uint8_t* target = code_.Put(0x40, kAdd);
    const auto original = BytesAt(target, 13);
    void* variable = target;
    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(0, HookAttach(&variable, target));
    EXPECT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(static_cast<void*>(target), variable);
    EXPECT_EQ(original, BytesAt(target, 13));
}

TEST_F(Hooks, OneTransactionAtATimeOwnedByTheThreadThatBeganIt) {
    uint8_t* target = code_.Put(0x40, kAdd);
    void* variable = target;

    // No transaction open.
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookTransactionCommit());
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookTransactionAbort());

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));

    LONG results[5] = {};
    void** failed = reinterpret_cast<void**>(1);
    std::thread other([&] {
        void* mine = target;
        results[0] = HookTransactionBegin();
        results[1] = HookAttach(&mine, reinterpret_cast<void*>(&ReturnsTwo));
        results[2] = HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight));
        results[3] = HookTransactionCommit(&failed);
        results[4] = HookTransactionAbort();
    });
    other.join();
    for (LONG r : results)
        EXPECT_EQ(ERROR_INVALID_OPERATION, r);
    EXPECT_EQ(nullptr, failed);

    // The other thread changed nothing: the owner's attach still commits.
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(8, As<IntFn>(target)());
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());

    // Once closed, any thread may begin.
    std::thread next([&] {
        results[0] = HookTransactionBegin();
        results[1] = HookTransactionAbort();
    });
    next.join();
    EXPECT_EQ(0, results[0]);
    EXPECT_EQ(0, results[1]);
}

TEST_F(Hooks, CommitWithNothingQueuedOnlyClosesTheRegions) {
    void* variable = code_.Put(0x40, kAdd);
    ASSERT_EQ(0, HookTransactionBegin()); // makes sure a region exists
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionAbort());
    ASSERT_NE(nullptr, HookFirstRegion());

    ASSERT_EQ(0, HookTransactionBegin());
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next)
        EXPECT_EQ(PAGE_EXECUTE_READWRITE, ProtectionOf(r));
    const size_t freeBefore = FreeTrampolineCount();
    void** failed = reinterpret_cast<void**>(1);
    EXPECT_EQ(0, HookTransactionCommit(&failed));
    EXPECT_EQ(nullptr, failed);
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next)
        EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(r));
    EXPECT_EQ(freeBefore, FreeTrampolineCount());
}

TEST_F(Hooks, AbortRestoresProtectionAndGivesTheTrampolineBack) {
    uint8_t* target = code_.Put(0x40, kAdd);
    const auto original = BytesAt(target, 13);
    code_.Protect(PAGE_EXECUTE_READ);
    void* variable = target;

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight))); // a region now exists
    ASSERT_EQ(0, HookTransactionAbort());
    const size_t freeBefore = FreeTrampolineCount();

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    EXPECT_EQ(PAGE_EXECUTE_READWRITE, ProtectionOf(target));
    EXPECT_EQ(freeBefore - 1, FreeTrampolineCount());
    ASSERT_EQ(0, HookTransactionAbort());

    EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(target));
    EXPECT_EQ(freeBefore, FreeTrampolineCount());
    EXPECT_EQ(static_cast<void*>(target), variable);
    EXPECT_EQ(original, BytesAt(target, 13));
    EXPECT_EQ(5, As<AddFn>(target)(2, 3));
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookTransactionAbort());
}

TEST_F(Hooks, DetachRefusesWhatItDidNotAttach) {
    uint8_t* target = code_.Put(0x40, kAdd);
    g_realAdd = As<AddFn>(target);
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&g_realAdd, &MinusAdd)) << "another replacement";
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit());

    void* notATrampoline = target;
    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&notATrampoline, reinterpret_cast<void*>(&TimesTenAdd)));
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit());

    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&g_realAdd, &TimesTenAdd)) << "the same trampoline twice";
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit());

    EXPECT_EQ(50, As<AddFn>(target)(2, 3)) << "still attached after the refusals";
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(Hex(kAdd), BytesAt(target, 13));
}

TEST_F(Hooks, ARestoreThatDoesNotAddUpLeavesTheFunctionRedirected) {
    uint8_t* target = code_.Put(0x40, kAdd);
    g_realAdd = As<AddFn>(target);
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    auto* trampoline = reinterpret_cast<Trampoline*>(g_realAdd);

    void** failed = nullptr;
#if defined(_WIN64)
    // The kept bytes go back as they were, so only a record that claims more than it keeps cannot be put
    // back; the detach refuses it before anything is written.
    ASSERT_EQ(0, HookTransactionBegin()); // the regions are writable now
    trampoline->movedLength = kMaxMovedBytes + 1;
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&g_realAdd, &TimesTenAdd));
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit(&failed));
#else
    // "mov eax,imm32" where "push ebp" was makes the moved bytes decode to 7, not 6.
    ASSERT_EQ(0, HookTransactionBegin()); // the regions are writable now
    trampoline->code[0] = 0xB8;
    ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    EXPECT_EQ(ERROR_INVALID_DATA, HookTransactionCommit(&failed));
#endif
    EXPECT_EQ(reinterpret_cast<void**>(&g_realAdd), failed);
    EXPECT_EQ(static_cast<void*>(trampoline), reinterpret_cast<void*>(g_realAdd));
    EXPECT_EQ(0xE9, target[0]);
    EXPECT_EQ(reinterpret_cast<void*>(&TimesTenAdd), PatchedEntryDestination(target));

    ASSERT_EQ(0, HookTransactionBegin());
#if defined(_WIN64)
    trampoline->movedLength = kAddMoved;
#else
    trampoline->code[0] = 0x55;
#endif
    EXPECT_EQ(50, As<AddFn>(target)(2, 3)) << "the trampoline was kept";
    ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(Hex(kAdd), BytesAt(target, 13));
}

TEST_F(Hooks, AnAttachedFunctionCanBeAttachedAgain) {
    uint8_t* target = code_.Put(0x40, kAdd);
    AddFn inner = As<AddFn>(target);
    g_realAdd = inner;

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    // The second attach moves the first one's jump, which ends the function.
    AddFn outer = As<AddFn>(target);
    static AddFn s_outerReal;
    s_outerReal = outer;
    struct Outer {
        static int __stdcall Add(int a, int b) { return s_outerReal(a, b) + 1; }
    };
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&s_outerReal, &Outer::Add));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(5, reinterpret_cast<const Trampoline*>(s_outerReal)->movedLength);
    EXPECT_EQ(51, As<AddFn>(target)(2, 3));

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&s_outerReal, &Outer::Add));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(50, As<AddFn>(target)(2, 3));
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(Hex(kAdd), BytesAt(target, 13));
}

TEST_F(Hooks, EveryEntryAlignmentIsPatchedAndRestored) {
    for (size_t offset = 0; offset < 8; ++offset) {
        SCOPED_TRACE(offset);
        uint8_t* target = code_.Put(0x100 + 0x20 * offset + offset, kAdd);
        g_realAdd = As<AddFn>(target);
        ASSERT_EQ(0, HookTransactionBegin());
        ASSERT_EQ(0, HookAttach(&g_realAdd, &TimesTenAdd));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(50, As<AddFn>(target)(2, 3));
        ASSERT_EQ(0, HookTransactionBegin());
        ASSERT_EQ(0, HookDetach(&g_realAdd, &TimesTenAdd));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(Hex(kAdd), BytesAt(target, 13));
        EXPECT_EQ(5, As<AddFn>(target)(2, 3));
    }
}

TEST_F(Hooks, PagesGetTheirProtectionBackWhenAMovedRangeCrossesIntoTheNext) {
    // The second function's moved bytes run from the first page into the second; the others open each page
    // before and after it within the same transaction.
    uint8_t* functions[] = {code_.Put(0x10, kAdd), code_.Put(0xFFD, kAdd), code_.Put(0x1010, kAdd)};
    code_.Protect(PAGE_EXECUTE_READ);
    void* variables[] = {functions[0], functions[1], functions[2]};

    for (bool attach : {true, false}) {
        SCOPED_TRACE(attach ? "attach" : "detach");
        ASSERT_EQ(0, HookTransactionBegin());
        for (void*& v : variables)
            ASSERT_EQ(0, attach ? HookAttach(&v, reinterpret_cast<void*>(&TimesTenAdd))
                                : HookDetach(&v, reinterpret_cast<void*>(&TimesTenAdd)));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(code_.base()));
        EXPECT_EQ(PAGE_EXECUTE_READ, ProtectionOf(code_.base() + 0x1000));
    }
    for (uint8_t* f : functions)
        EXPECT_EQ(Hex(kAdd), BytesAt(f, 13));
}

// Threads calling the targets all along see the old or the new function, never a half-written entry, at every
// entry alignment; a thread stopped inside the moved instructions goes on from their other copy. Each commit
// patches an entry at each alignment at once (committing is slow under Wine: the thread list takes
// milliseconds).
TEST_F(Hooks, CallsDuringRepeatedCommitsNeverSeeAHalfWrittenJump) {
    // nop; nop; nop; xor eax,eax; inc eax; ret: four instructions moved, each a place to be stopped at.
    const char* const kReturnsOne = "90 90 90 31 C0 FF C0 C3";
    constexpr int kRounds = 40;
    uint8_t* entries[8];
    void* variables[8];
    for (size_t offset = 0; offset < 8; ++offset)
        variables[offset] = entries[offset] = code_.Put(0x100 + 0x20 * offset + offset, kReturnsOne);
    std::atomic<bool> stop{false};
    std::atomic<long long> originals{0}, replaced{0}, wrong{0};
    const auto call = [&] {
        for (size_t i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            const int r = As<IntFn>(entries[i % 8])();
            (r == 1 ? originals : r == 2 ? replaced : wrong).fetch_add(1, std::memory_order_relaxed);
        }
    };
    std::thread callers[] = {std::thread(call), std::thread(call)};
    LONG failure = 0;
    for (int i = 0; i < kRounds && failure == 0; ++i) {
        for (bool attach : {true, false}) {
            failure = failure ? failure : HookTransactionBegin();
            for (void*& v : variables)
                failure = failure ? failure
                          : attach ? HookAttach(&v, reinterpret_cast<void*>(&ReturnsTwo))
                                   : HookDetach(&v, reinterpret_cast<void*>(&ReturnsTwo));
            failure = failure ? failure : HookTransactionCommit();
        }
    }
    stop = true;
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(0, failure);
    for (uint8_t* entry : entries)
        EXPECT_EQ(Hex(kReturnsOne), BytesAt(entry, 8));
    EXPECT_EQ(0, wrong.load());
    EXPECT_GT(originals.load(), 0);
    EXPECT_GT(replaced.load(), 0);
}

DWORD WINAPI SpinUntilSet(void* flag) {
    while (!static_cast<std::atomic<bool>*>(flag)->load())
        YieldProcessor();
    return 0;
}

// A thread stopped inside the moved instructions goes on from their copy after the attach, and from the
// original again after the detach; one the caller leaves alone is not touched.
TEST_F(Hooks, CommitMovesStoppedThreadsWithTheInstructionTheyWereAt) {
#if defined(_WIN64)
    // xor eax,eax; jz +10h, six bytes in the trampoline; nop: copied four bytes further than it was.
    uint8_t* entry = code_.Put(0x40, "31 C0 74 10 90 90 90 90");
    code_.Put(0x54, "B8 01 00 00 00 C3");
    constexpr size_t kAt = 4, kCopyAt = 8;
#else
    uint8_t* entry = code_.Put(0x40, "90 90 90 31 C0 FF C0 C3");
    constexpr size_t kAt = 3, kCopyAt = 3;
#endif
    void* variable = entry;
    std::atomic<bool> stop{false};
    UniqueHandle moved(::CreateThread(nullptr, 0, SpinUntilSet, &stop, 0, nullptr));
    UniqueHandle left(::CreateThread(nullptr, 0, SpinUntilSet, &stop, 0, nullptr));
    ASSERT_TRUE(moved && left);
    // Both stay suspended by the test throughout; only their instruction pointers are looked at.
    CONTEXT saved[2];
    HANDLE threads[2] = {moved.get(), left.get()};
    const auto ip = [](HANDLE thread) {
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        ::GetThreadContext(thread, &context);
#if defined(_WIN64)
        return static_cast<uintptr_t>(context.Rip);
#else
        return static_cast<uintptr_t>(context.Eip);
#endif
    };
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(0u, ::SuspendThread(threads[i]));
        saved[i].ContextFlags = CONTEXT_CONTROL;
        ASSERT_TRUE(::GetThreadContext(threads[i], &saved[i]));
        CONTEXT at = saved[i];
#if defined(_WIN64)
        at.Rip = reinterpret_cast<uintptr_t>(entry + kAt);
#else
        at.Eip = reinterpret_cast<uintptr_t>(entry + kAt);
#endif
        ASSERT_TRUE(::SetThreadContext(threads[i], &at));
    }

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsTwo)));
    ASSERT_EQ(0, HookTransactionLeaveThread(::GetThreadId(left.get())));
    ASSERT_EQ(0, HookTransactionCommit());
    auto* trampoline = static_cast<Trampoline*>(variable);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(trampoline->code + kCopyAt), ip(moved.get()));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(entry + kAt), ip(left.get()));

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsTwo)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(entry + kAt), ip(moved.get()));

    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(::SetThreadContext(threads[i], &saved[i]));
        EXPECT_EQ(1u, ::ResumeThread(threads[i])) << "resumed as often as the commits stopped it";
    }
    stop = true;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForMultipleObjects(2, threads, TRUE, 10000));

    ASSERT_EQ(0, HookTransactionBegin());
    for (size_t i = 0; i < kMaxLeftThreads; ++i)
        EXPECT_EQ(0, HookTransactionLeaveThread(::GetCurrentThreadId()));
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, HookTransactionLeaveThread(::GetCurrentThreadId()));
    ASSERT_EQ(0, HookTransactionAbort());
    EXPECT_EQ(ERROR_INVALID_OPERATION, HookTransactionLeaveThread(::GetCurrentThreadId()));
}

} // namespace
