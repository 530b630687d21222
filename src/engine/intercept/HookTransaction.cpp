// Transactions of attaches and detaches. Everything that can fail is checked while queuing, so that commit
// only rewrites code whose protection is already open and whose trampoline is already filled.
#include "engine/intercept/HookInternals.h"
#include "engine/intercept/InstructionCopier.h"
#include "engine/intercept/InstructionCopier64.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace movalent {
namespace {

using hooks::ReadableLength;

constexpr uint8_t kNearJumpOpcode = 0xE9;
constexpr uintptr_t kPageSize = 0x1000;
constexpr size_t kStagingSize = kTrampolineCodeSize + kMaxInstructionLength;
#if defined(_WIN64)
constexpr size_t kDetachableLength = kMaxMovedBytes; // the record keeps no more original bytes
#else
constexpr size_t kDetachableLength = kTrampolineCodeSize;
#endif
#if defined(_WIN64)
constexpr uint8_t kRelayJump[6] = {0xFF, 0x25, 0, 0, 0, 0}; // jmp [rip+0]: the address follows
#endif

// Protection is saved per page. A range that crosses into the next page saves that page's as well: restoring
// newest first then hands every page back what it had before the transaction, even when another operation of
// the same transaction had already opened it.
struct SavedProtection {
    DWORD page = 0;
    DWORD nextPage = 0; // only for a range that crosses a page boundary
};

// Where each moved instruction starts: from the target's first byte and from the trampoline's code. Only
// instructions that start within the first five bytes are moved, so there are at most five.
struct MovedInstructions {
    uint8_t count;
    uint8_t source[kNearJumpSize];
    uint8_t code[kNearJumpSize];

    void Add(uint32_t sourceOffset, uint32_t codeOffset) {
        source[count] = static_cast<uint8_t>(sourceOffset);
        code[count] = static_cast<uint8_t>(codeOffset);
        ++count;
    }
};

constexpr uint8_t kNoInstruction = 0xFF;

struct PendingOperation {
    PendingOperation* next;
    LONG isRemoval;
    void** variable;
    uint8_t* target;
    Trampoline* trampoline;
    SavedProtection oldProtection;
    MovedInstructions moved;
    bool restoreFailed; // a removal whose bytes could not be put back keeps its trampoline in use
};

struct TransactionState {
    volatile LONG owner; // thread id, 0 when no transaction is open
    LONG pendingError;
    void** failedVariable;        // the variable whose operation set pendingError
    PendingOperation* operations; // newest first
    DWORD leftThreads[kMaxLeftThreads];
    size_t leftCount;
};

TransactionState g_state{};

bool CallerOwnsTransaction() {
    const LONG owner = g_state.owner;
    return owner != 0 && static_cast<DWORD>(owner) == ::GetCurrentThreadId();
}

LONG SetPending(LONG error, void** variable) {
    g_state.pendingError = error;
    g_state.failedVariable = variable;
    return error;
}

// `from` and `to` lie within 2 GiB of each other: trampolines are placed so.
void WriteNearJump(uint8_t* at, const void* from, const void* to) {
    const auto displacement = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(to) -
                                                    (reinterpret_cast<uintptr_t>(from) + kNearJumpSize));
    at[0] = kNearJumpOpcode;
    std::memcpy(at + 1, &displacement, sizeof displacement);
}

// Instructions after which the bytes that follow need not belong to the same function: moving them could tear
// a neighbouring function apart. Prefixes of any kind are looked through, so "rep ret" counts as a return.
bool IsPrefix(uint8_t byte) {
    switch (byte) {
    case 0x26: // es:
    case 0x2E: // cs:
    case 0x36: // ss:
    case 0x3E: // ds:
    case 0x64: // fs:
    case 0x65: // gs:
    case 0x66: // operand size
    case 0x67: // address size
    case 0xF0: // lock
    case 0xF2: // repne
    case 0xF3: // rep
        return true;
    default:
#if defined(_WIN64)
        return (byte & 0xF0) == 0x40; // REX
#else
        return false;
#endif
    }
}

bool EndsFunction(const uint8_t* instruction, uint32_t length) {
    uint32_t i = 0;
    while (i < length && IsPrefix(instruction[i]))
        ++i;
    if (i >= length)
        return false;
    switch (instruction[i]) {
    case 0xE9: // jmp rel32
    case 0xEB: // jmp rel8
    case 0xE0: // loopne: listed with the jumps, though its rel8 never reaches from a trampoline
    case 0xEA: // jmp far
    case 0xC2: // ret imm16
    case 0xC3: // ret
    case 0xCA: // retf imm16
    case 0xCB: // retf
    case 0xCC: // int3
    case 0xCF: // iret
        return true;
    case 0xFF: { // jmp through a register or memory (reg field 4 or 5)
        if (i + 1 >= length)
            return false;
        const unsigned reg = (instruction[i + 1] >> 3) & 7;
        return reg == 4 || reg == 5;
    }
    default:
        return false;
    }
}

#if defined(_WIN64)
bool ReadCodeQuad(uint64_t address, uint64_t& value, void*) {
    const auto* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
    if (ReadableLength(p, sizeof value) != sizeof value)
        return false;
    std::memcpy(&value, p, sizeof value);
    return true;
}
#endif

// Copies whole instructions from the target into `staged` as they must read at the trampoline, until at least
// a near jump's worth is moved. `moved` counts the target's bytes, `written` the staged ones (more than moved
// where a short branch had to be lengthened). 0, ERROR_INVALID_BLOCK (too little movable code, an encoding
// the copier refuses, or a branch back into the bytes the patch overwrites) or ERROR_INVALID_HANDLE (more
// than fits in front of the jump back).
LONG MoveEntryInstructions(const uint8_t* target, const Trampoline* trampoline,
                           uint8_t (&staged)[kStagingSize], uint32_t& moved, uint32_t& written,
                           MovedInstructions& starts) {
    uint8_t source[kStagingSize];
    const size_t available = ReadableLength(target, sizeof source);
    std::memcpy(source, target, available);
    const auto sourceAddress = reinterpret_cast<uintptr_t>(target);
    const auto destinationAddress = reinterpret_cast<uintptr_t>(trampoline->code);
#if defined(_WIN64)
    // Short branches are lengthened rather than refused, so a loop or a skip over one instruction may land
    // inside the entry: from the trampoline it would run the patch's jump or the 0xCC fill after it.
    uint64_t branchTargets[kNearJumpSize];
    size_t branchCount = 0;
#endif

    moved = 0;
    written = 0;
    starts.count = 0;
    while (moved < kNearJumpSize) {
#if defined(_WIN64)
        const CopiedInstruction64 copied = CopyInstruction64(
            staged + written, kTrampolineCodeSize - kNearJumpSize - written, destinationAddress + written,
            source + moved, available - moved, sourceAddress + moved, ReadCodeQuad, nullptr);
        const uint32_t sourceLength = copied.sourceLength;
        if (copied.length != 0 && copied.target != 0 && !copied.ripRelative && !copied.dynamicTarget)
            branchTargets[branchCount++] = copied.target;
#else
        const CopiedInstruction copied = CopyInstruction(
            staged + moved, sizeof staged - moved, static_cast<uint32_t>(destinationAddress + moved),
            source + moved, available - moved, static_cast<uint32_t>(sourceAddress + moved),
            hooks::ReadCodeWord, nullptr);
        const uint32_t sourceLength = copied.length;
#endif
        if (copied.invalid)
            return ERROR_INVALID_BLOCK;
        if (copied.length == 0) // a branch that no longer reaches, no room, or the readable code ended
            break;
        const uint8_t* instruction = source + moved;
        starts.Add(moved, written);
        moved += sourceLength;
        written += copied.length;
        if (EndsFunction(instruction, sourceLength))
            break;
    }
    if (moved < kNearJumpSize)
        return ERROR_INVALID_BLOCK;
#if defined(_WIN64)
    for (size_t i = 0; i < branchCount; ++i) {
        if (branchTargets[i] - sourceAddress < moved)
            return ERROR_INVALID_BLOCK;
    }
#endif
    if (moved > kMaxMovedBytes)
        return ERROR_INVALID_HANDLE;
    return NO_ERROR;
}

// Writes code that other threads may be executing. When the first five bytes lie in one aligned 8-byte block,
// that block changes in a single locked write, so a thread entering the function sees either the old or the
// new first instruction. The block goes first when the new bytes jump away (nothing then reaches the rest),
// last when the old bytes did (nothing reached the rest until then).
void WriteCode(uint8_t* at, const uint8_t* bytes, size_t length, bool blockFirst) {
    const uintptr_t offset = reinterpret_cast<uintptr_t>(at) & 7;
    const size_t inBlock = std::min<size_t>(length, 8 - offset);
    if (inBlock < kNearJumpSize) {
        std::memcpy(at, bytes, length);
        return;
    }
    auto* block = reinterpret_cast<volatile LONGLONG*>(at - offset);
    const auto swapBlock = [&] {
        LONGLONG expected = *block;
        for (;;) {
            LONGLONG desired = expected;
            std::memcpy(reinterpret_cast<uint8_t*>(&desired) + offset, bytes, inBlock);
            const LONGLONG seen = ::InterlockedCompareExchange64(block, desired, expected);
            if (seen == expected)
                break;
            expected = seen;
        }
    };
    if (blockFirst)
        swapBlock();
    std::memcpy(at + inBlock, bytes + inBlock, length - inBlock);
    if (!blockFirst)
        swapBlock();
}

void ApplyAttach(const PendingOperation& op) {
    const Trampoline& trampoline = *op.trampoline;
    uint8_t patch[kMaxMovedBytes];
    std::memset(patch, kBreakpointByte, sizeof patch);
#if defined(_WIN64)
    WriteNearJump(patch, op.target, trampoline.relay);
#else
    WriteNearJump(patch, op.target, trampoline.replacement);
#endif
    WriteCode(op.target, patch, trampoline.movedLength, true);
}

#if defined(_WIN64)
// The moved bytes go back as they were; false when the record cannot hold them.
bool ApplyRemoval(const PendingOperation& op) {
    const Trampoline& trampoline = *op.trampoline;
    if (trampoline.movedLength > kMaxMovedBytes)
        return false;
    WriteCode(op.target, trampoline.original, trampoline.movedLength, false);
    return true;
}
#else
// Copies the moved instructions back, relocated to the target; false when they do not add up to the recorded
// length, in which case the target is left redirected.
bool ApplyRemoval(const PendingOperation& op) {
    const Trampoline& trampoline = *op.trampoline;
    const uint32_t length = trampoline.movedLength;
    const auto sourceAddress = reinterpret_cast<uint32_t>(trampoline.code);
    const auto destinationAddress = reinterpret_cast<uint32_t>(op.target);
    uint8_t staged[kStagingSize];
    uint32_t restored = 0;
    while (restored < length) {
        const CopiedInstruction copied =
            CopyInstruction(staged + restored, sizeof staged - restored, destinationAddress + restored,
                            trampoline.code + restored, length - restored, sourceAddress + restored);
        if (copied.length == 0)
            break;
        restored += copied.length;
    }
    if (restored != length)
        return false;
    WriteCode(op.target, staged, length, false);
    return true;
}
#endif

#if defined(_WIN64)
void KeepMovedInstructions(Trampoline& trampoline, const MovedInstructions& starts) {
    std::memset(trampoline.codeOffsets, kNoInstruction, sizeof trampoline.codeOffsets);
    for (uint8_t i = 0; i < starts.count; ++i)
        trampoline.codeOffsets[starts.source[i]] = starts.code[i];
}

MovedInstructions MovedInstructionsOf(const Trampoline& trampoline) {
    MovedInstructions starts{};
    for (uint32_t offset = 0; offset < kNearJumpSize && offset < trampoline.movedLength; ++offset) {
        if (trampoline.codeOffsets[offset] < kTrampolineCodeSize)
            starts.Add(offset, trampoline.codeOffsets[offset]);
    }
    return starts;
}
#else
// The 32-bit record has no room for the starts; the moved instructions kept their lengths, so decoding the
// trampoline's code finds them.
MovedInstructions MovedInstructionsOf(const Trampoline& trampoline) {
    MovedInstructions starts{};
    const auto address = reinterpret_cast<uint32_t>(trampoline.code);
    uint32_t offset = 0;
    while (offset < trampoline.movedLength && offset < kNearJumpSize) {
        const CopiedInstruction measured = MeasureInstruction(trampoline.code + offset,
                                                              trampoline.movedLength - offset, address + offset);
        if (measured.length == 0)
            break;
        starts.Add(offset, offset);
        offset += measured.length;
    }
    return starts;
}
#endif

// Where a thread stopped at `ip` must go on once the operation's code is written: from the target's moved
// instructions to their copies on attach, and back on removal. Anything else, an address between
// instructions included, stays: a detached trampoline remains a valid path to the original code.
uintptr_t RelocatedInstruction(const PendingOperation& op, uintptr_t ip) {
    const MovedInstructions& starts = op.moved;
    if (!op.isRemoval) {
        const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(op.target);
        for (uint8_t i = 0; offset < op.trampoline->movedLength && i < starts.count; ++i) {
            if (starts.source[i] == offset)
                return reinterpret_cast<uintptr_t>(op.trampoline->code) + starts.code[i];
        }
    } else if (!op.restoreFailed) {
        const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(op.trampoline->code);
        for (uint8_t i = 0; offset < kTrampolineCodeSize && i < starts.count; ++i) {
            if (starts.code[i] == offset)
                return reinterpret_cast<uintptr_t>(op.target) + starts.source[i];
        }
    }
    return ip;
}

// A snapshot of the system's threads. Under Wine one takes milliseconds (it lists every process), so a commit
// takes as few as it can.
class ScopedSnapshot {
public:
    ScopedSnapshot() = default;
    ~ScopedSnapshot() { Close(); }
    ScopedSnapshot(const ScopedSnapshot&) = delete;
    ScopedSnapshot& operator=(const ScopedSnapshot&) = delete;

    void Take() {
        Close();
        handle_ = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    // Calls visit(threadId) for every thread of this process in the snapshot; false when none could be taken.
    template <typename Visit> bool ForEachThread(Visit visit) const {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        const DWORD process = ::GetCurrentProcessId();
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(handle_, &entry); more; more = ::Thread32Next(handle_, &entry)) {
            if (entry.th32OwnerProcessID == process)
                visit(entry.th32ThreadID);
            entry.dwSize = sizeof entry;
        }
        return true;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

uintptr_t InstructionPointer(const CONTEXT& context) {
#if defined(_WIN64)
    return context.Rip;
#else
    return context.Eip;
#endif
}

void SetInstructionPointer(CONTEXT& context, uintptr_t ip) {
#if defined(_WIN64)
    context.Rip = ip;
#else
    context.Eip = static_cast<DWORD>(ip);
#endif
}

// The process's other threads, stopped while a commit writes code. A thread stopped anywhere may hold the heap's
// lock, so everything is allocated before the first one stops and nothing until they all run again. The
// committing thread holds the process heap's lock itself meanwhile: no stopped thread can hold it then, and the
// toolhelp snapshots taken while threads are stopped may allocate from that heap.
//
// A thread that cannot be opened or stopped is left running. In its own process a thread is refused these
// rights only when it is ending (or gone), and an ending thread no longer runs the code of loaded modules.
class StoppedThreads {
public:
    StoppedThreads() = default;
    ~StoppedThreads() { Resume(); }
    StoppedThreads(const StoppedThreads&) = delete;
    StoppedThreads& operator=(const StoppedThreads&) = delete;

    // Room for the threads there are now and a margin for those that start meanwhile; false when out of memory.
    bool Reserve(size_t atLeast) {
        size_t now = 0;
        snapshot_.Take(); // also the first round of Stop
        snapshot_.ForEachThread([&](DWORD) { ++now; });
        const size_t capacity = std::max(atLeast, 2 * now + kMargin);
        threads_.reset(new (std::nothrow) Stopped[capacity]);
        capacity_ = threads_ ? capacity : 0;
        return threads_ != nullptr;
    }
    size_t Capacity() const { return capacity_; }

    // Stops every thread of the process but the caller and the left ones. False, with every thread running
    // again, when more threads turned up than there is room for.
    bool Stop(const DWORD* left, size_t leftCount) {
        heapLocked_ = ::HeapLock(::GetProcessHeap()) != FALSE;
        const DWORD self = ::GetCurrentThreadId();
        bool full = false;
        // A thread that was still running during one snapshot may have started another, which the next one
        // shows; stopped threads start none, so the rounds end.
        for (int round = 0; round < kMaxRounds && !full; ++round) {
            bool added = false;
            if (round > 0)
                snapshot_.Take();
            snapshot_.ForEachThread([&](DWORD id) {
                if (full || id == self || std::find(left, left + leftCount, id) != left + leftCount || Holds(id))
                    return;
                if (count_ == capacity_) {
                    full = true;
                    return;
                }
                HANDLE thread = ::OpenThread(kAccess, FALSE, id);
                if (thread == nullptr)
                    return;
                if (::SuspendThread(thread) == static_cast<DWORD>(-1)) {
                    ::CloseHandle(thread);
                    return;
                }
                threads_[count_++] = Stopped{thread, id, false, 0};
                added = true;
            });
            if (!added || !heapLocked_)
                break;
        }
        snapshot_.Close();
        if (full) {
            Resume();
            return false;
        }
        // A thread stops some time after it is told to; reading its context waits until it has.
        for (size_t i = 0; i < count_; ++i) {
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            if (::GetThreadContext(threads_[i].handle, &context)) {
                threads_[i].ip = InstructionPointer(context);
                threads_[i].ipKnown = true;
            }
        }
        return true;
    }

    void MoveThreadsOf(const PendingOperation& op) {
        for (size_t i = 0; i < count_; ++i) {
            Stopped& thread = threads_[i];
            if (!thread.ipKnown)
                continue;
            const uintptr_t to = RelocatedInstruction(op, thread.ip);
            if (to == thread.ip)
                continue;
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            if (!::GetThreadContext(thread.handle, &context) || InstructionPointer(context) != thread.ip)
                continue;
            SetInstructionPointer(context, to);
            if (::SetThreadContext(thread.handle, &context))
                thread.ip = to;
        }
    }

    void Resume() {
        for (size_t i = 0; i < count_; ++i) {
            ::ResumeThread(threads_[i].handle);
            ::CloseHandle(threads_[i].handle);
        }
        count_ = 0;
        if (heapLocked_)
            ::HeapUnlock(::GetProcessHeap());
        heapLocked_ = false;
    }

private:
    static constexpr DWORD kAccess =
        THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION;
    static constexpr size_t kMargin = 16;
    static constexpr int kMaxRounds = 8;

    struct Stopped {
        HANDLE handle;
        DWORD id;
        bool ipKnown;
        uintptr_t ip;
    };

    bool Holds(DWORD id) const {
        for (size_t i = 0; i < count_; ++i) {
            if (threads_[i].id == id)
                return true;
        }
        return false;
    }

    ScopedSnapshot snapshot_;
    std::unique_ptr<Stopped[]> threads_;
    size_t capacity_ = 0;
    size_t count_ = 0;
    bool heapLocked_ = false;
};

size_t BytesInFirstPage(const uint8_t* at, size_t length) {
    const size_t room = kPageSize - (reinterpret_cast<uintptr_t>(at) & (kPageSize - 1));
    return std::min(length, room);
}

void RestoreProtection(uint8_t* at, size_t length, const SavedProtection& saved) {
    const size_t first = BytesInFirstPage(at, length);
    DWORD previous = 0;
    if (first < length)
        ::VirtualProtect(at + first, length - first, saved.nextPage, &previous);
    ::VirtualProtect(at, first, saved.page, &previous);
}

// Makes code writable and executable; 0 or the system's error, with nothing changed on failure.
LONG OpenForWriting(uint8_t* at, size_t length, SavedProtection& saved) {
    const size_t first = BytesInFirstPage(at, length);
    if (!::VirtualProtect(at, first, PAGE_EXECUTE_READWRITE, &saved.page))
        return hooks::LastErrorOr(ERROR_ACCESS_DENIED);
    if (first < length &&
        !::VirtualProtect(at + first, length - first, PAGE_EXECUTE_READWRITE, &saved.nextPage)) {
        const LONG error = hooks::LastErrorOr(ERROR_ACCESS_DENIED);
        DWORD previous = 0;
        ::VirtualProtect(at, first, saved.page, &previous);
        return error;
    }
    return NO_ERROR;
}

void RestoreProtection(const PendingOperation& op) {
    RestoreProtection(op.target, op.trampoline->movedLength, op.oldProtection);
}

void CloseTransaction() {
    g_state.operations = nullptr;
    hooks::ProtectRegions(PAGE_EXECUTE_READ);
    ::InterlockedExchange(&g_state.owner, 0);
}

void AbortOwnedTransaction() {
    for (PendingOperation* op = g_state.operations; op != nullptr;) {
        PendingOperation* next = op->next;
        RestoreProtection(*op);
        if (!op->isRemoval)
            hooks::FreeTrampoline(op->trampoline);
        delete op;
        op = next;
    }
    CloseTransaction();
}

bool AlreadyQueued(const Trampoline* trampoline) {
    for (const PendingOperation* op = g_state.operations; op != nullptr; op = op->next) {
        if (op->trampoline == trampoline)
            return true;
    }
    return false;
}

void Queue(PendingOperation* op) {
    op->next = g_state.operations;
    g_state.operations = op;
}

// Gives a freshly allocated trampoline back unless it was handed on.
struct TrampolineLease {
    Trampoline* trampoline;
    ~TrampolineLease() {
        if (trampoline != nullptr)
            hooks::FreeTrampoline(trampoline);
    }
    Trampoline* release() { return std::exchange(trampoline, nullptr); }
};

} // namespace

LONG HookTransactionBegin() {
    const LONG self = static_cast<LONG>(::GetCurrentThreadId());
    if (::InterlockedCompareExchange(&g_state.owner, self, 0) != 0)
        return ERROR_INVALID_OPERATION;
    g_state.pendingError = NO_ERROR;
    g_state.failedVariable = nullptr;
    g_state.operations = nullptr;
    g_state.leftCount = 0;
    hooks::ProtectRegions(PAGE_EXECUTE_READWRITE);
    return NO_ERROR;
}

LONG HookTransactionLeaveThread(DWORD threadId) {
    if (!CallerOwnsTransaction())
        return ERROR_INVALID_OPERATION;
    if (g_state.leftCount == kMaxLeftThreads)
        return ERROR_NOT_ENOUGH_MEMORY;
    g_state.leftThreads[g_state.leftCount++] = threadId;
    return NO_ERROR;
}

LONG HookAttach(void** variable, void* replacement) {
    if (!CallerOwnsTransaction())
        return ERROR_INVALID_OPERATION;
    if (g_state.pendingError != NO_ERROR)
        return g_state.pendingError;
    if (variable == nullptr)
        return ERROR_INVALID_HANDLE;
    // A null replacement would be patched in as a jump to address 0.
    if (*variable == nullptr || replacement == nullptr)
        return SetPending(ERROR_INVALID_HANDLE, variable);

    auto* target = static_cast<uint8_t*>(HookCodeFromPointer(*variable));
    void* detour = HookCodeFromPointer(replacement);
    if (target == detour)
        return NO_ERROR;

    std::unique_ptr<PendingOperation> op(new (std::nothrow) PendingOperation{});
    TrampolineLease lease{op ? hooks::AllocateTrampoline(target) : nullptr};
    if (lease.trampoline == nullptr)
        return SetPending(ERROR_NOT_ENOUGH_MEMORY, variable);
    Trampoline& trampoline = *lease.trampoline;

    uint8_t staged[kStagingSize];
    uint32_t moved = 0;
    uint32_t written = 0;
    MovedInstructions starts{};
    if (const LONG error = MoveEntryInstructions(target, &trampoline, staged, moved, written, starts);
        error != NO_ERROR)
        return SetPending(error, variable);

    std::memcpy(trampoline.code, staged, written);
    WriteNearJump(trampoline.code + written, trampoline.code + written, target + moved);
    trampoline.movedLength = static_cast<uint8_t>(moved);
    trampoline.resume = target + moved;
    trampoline.replacement = detour;
#if defined(_WIN64)
    std::memcpy(trampoline.original, target, moved);
    std::memcpy(trampoline.relay, kRelayJump, sizeof kRelayJump);
    std::memcpy(trampoline.relay + sizeof kRelayJump, &detour, sizeof detour);
    KeepMovedInstructions(trampoline, starts);
#endif

    SavedProtection oldProtection;
    if (const LONG error = OpenForWriting(target, moved, oldProtection); error != NO_ERROR)
        return SetPending(error, variable);
    if (const LONG error = hooks::MarkModule(target); error != NO_ERROR) {
        RestoreProtection(target, moved, oldProtection);
        return SetPending(error, variable);
    }

    op->isRemoval = FALSE;
    op->variable = variable;
    op->target = target;
    op->trampoline = lease.release();
    op->oldProtection = oldProtection;
    op->moved = starts;
    Queue(op.release());
    return NO_ERROR;
}

LONG HookDetach(void** variable, void* replacement) {
    if (!CallerOwnsTransaction())
        return ERROR_INVALID_OPERATION;
    if (g_state.pendingError != NO_ERROR)
        return g_state.pendingError;
    if (variable == nullptr)
        return ERROR_INVALID_HANDLE;
    if (*variable == nullptr)
        return SetPending(ERROR_INVALID_HANDLE, variable);
    std::unique_ptr<PendingOperation> op(new (std::nothrow) PendingOperation{});
    if (!op)
        return SetPending(ERROR_NOT_ENOUGH_MEMORY, variable);

    // Anything but one of our trampolines, in use and not already being detached, would be read as one. A
    // detached one keeps its code but has no replacement.
    auto* trampoline = static_cast<Trampoline*>(*variable);
    if (!hooks::IsTrampolineSlot(trampoline) || AlreadyQueued(trampoline))
        return SetPending(ERROR_INVALID_BLOCK, variable);
    const uint32_t moved = trampoline->movedLength;
    if (moved == 0 || moved > kDetachableLength || trampoline->replacement == nullptr ||
        trampoline->replacement != HookCodeFromPointer(replacement))
        return SetPending(ERROR_INVALID_BLOCK, variable);
    uint8_t* target = trampoline->resume - moved;

    SavedProtection oldProtection;
    if (const LONG error = OpenForWriting(target, moved, oldProtection); error != NO_ERROR)
        return SetPending(error, variable);

    op->isRemoval = TRUE;
    op->variable = variable;
    op->target = target;
    op->trampoline = trampoline;
    op->oldProtection = oldProtection;
    op->moved = MovedInstructionsOf(*trampoline);
    Queue(op.release());
    return NO_ERROR;
}

LONG HookTransactionCommit(void*** failedVariable) {
    if (!CallerOwnsTransaction()) {
        if (failedVariable != nullptr)
            *failedVariable = nullptr;
        return ERROR_INVALID_OPERATION;
    }
    if (failedVariable != nullptr)
        *failedVariable = g_state.failedVariable;
    if (g_state.pendingError != NO_ERROR) {
        const LONG error = g_state.pendingError;
        AbortOwnedTransaction();
        return error;
    }

    StoppedThreads stopped;
    if (g_state.operations != nullptr) {
        bool ready = stopped.Reserve(0);
        while (ready && !stopped.Stop(g_state.leftThreads, g_state.leftCount))
            ready = stopped.Reserve(2 * stopped.Capacity());
        if (!ready) {
            AbortOwnedTransaction();
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }

    // Each variable changes only together with its code, so a call through it reaches the function as it was.
    // Nothing here may allocate: other threads are stopped.
    for (PendingOperation* op = g_state.operations; op != nullptr; op = op->next) {
        if (op->isRemoval) {
            if (ApplyRemoval(*op)) {
                *op->variable = op->target;
            } else {
                op->restoreFailed = true;
                SetPending(ERROR_INVALID_DATA, op->variable);
            }
        } else {
            ApplyAttach(*op);
            *op->variable = op->trampoline;
        }
        stopped.MoveThreadsOf(*op);
    }
    stopped.Resume();

    for (PendingOperation* op = g_state.operations; op != nullptr;) {
        PendingOperation* next = op->next;
        RestoreProtection(*op);
        ::FlushInstructionCache(::GetCurrentProcess(), op->target, op->trampoline->movedLength);
        if (op->isRemoval && !op->restoreFailed)
            hooks::RetireTrampoline(op->trampoline);
        delete op;
        op = next;
    }

    const LONG error = g_state.pendingError;
    void** failed = g_state.failedVariable;
    CloseTransaction();
    if (failedVariable != nullptr)
        *failedVariable = failed;
    return error;
}

LONG HookTransactionAbort() {
    if (!CallerOwnsTransaction())
        return ERROR_INVALID_OPERATION;
    AbortOwnedTransaction();
    return NO_ERROR;
}

} // namespace movalent
