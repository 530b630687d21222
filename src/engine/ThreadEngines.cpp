// Which engine each thread sees: the thread map behind its lock, and the propagation of a tag to the threads
// a tagged thread creates.
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"
#include "engine/ThreadVersionMap.h"
#include "framework/Handles.h"

namespace movalent {
namespace {

// Every intercepted call in the process passes through here, so the lock is held only for the map operation
// itself and never around anything that could call back into an intercepted function. A slim lock is ready as
// zeros: threads may tag themselves, and end, before any constructor of the program has run.
constinit SRWLOCK EngineLock = SRWLOCK_INIT;

class EngineLockHeld {
public:
    EngineLockHeld() { ::AcquireSRWLockExclusive(&EngineLock); }
    ~EngineLockHeld() { ::ReleaseSRWLockExclusive(&EngineLock); }
    EngineLockHeld(const EngineLockHeld&) = delete;
    EngineLockHeld& operator=(const EngineLockHeld&) = delete;
};

// Constant-initialised and never destroyed: replacements may still run while the process shuts down.
union MapStorage {
    constexpr MapStorage() : map() {}
    ~MapStorage() {}
    ThreadVersionMap map;
};

constinit MapStorage g_threadEngineMap;
ThreadVersionMap& ThreadEngineMap = g_threadEngineMap.map;

// A tag keeps the creation time of the thread it was given to. A thread that is terminated never runs the
// thread-exit callback, and the next thread with its id must not inherit its tag: a tag whose time is not the
// time of the thread now holding the id is stale. (The time has the system clock's resolution: a terminated
// thread's id handed on within the same tick would pass, which is why the program forgets the threads it
// terminates as well.) 0: not known.
uint64_t CreationTimeOf(HANDLE thread) {
    FILETIME creation, exit, kernel, user;
    if (!::GetThreadTimes(thread, &creation, &exit, &kernel, &user))
        return 0;
    return (static_cast<uint64_t>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
}

uint64_t CreationTimeOfThread(DWORD threadId) {
    UniqueHandle thread(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    return thread ? CreationTimeOf(thread.get()) : 0;
}

// Every lookup compares the calling thread's creation time, so each thread reads it once and keeps it in a slot
// of its own. A slot fits a pointer: in a 32-bit process the time is folded to 32 bits, for the tag as well.
uint64_t Fold(uint64_t time) {
#if defined(_WIN64)
    const uint64_t folded = time;
#else
    const uint64_t folded = static_cast<uint32_t>(time ^ (time >> 32));
#endif
    return folded != 0 ? folded : 1;
}

constinit volatile LONG g_timeSlot = 0; // the slot's index + 1; 0 until allocated, -1 when none could be had

LONG TimeSlot() {
    const LONG slot = g_timeSlot;
    if (slot != 0)
        return slot;
    const DWORD index = ::TlsAlloc();
    const LONG wanted = index == TLS_OUT_OF_INDEXES ? -1 : static_cast<LONG>(index) + 1;
    const LONG seen = ::InterlockedCompareExchange(&g_timeSlot, wanted, 0);
    if (seen == 0)
        return wanted;
    if (index != TLS_OUT_OF_INDEXES)
        ::TlsFree(index);
    return seen;
}

// The calling thread's folded creation time. The thread's last error is kept: the replacements run between a
// caller and the function it called.
uint64_t CurrentThreadTime() {
    const DWORD error = ::GetLastError();
    const LONG slot = TimeSlot();
    auto time = slot > 0 ? reinterpret_cast<uintptr_t>(::TlsGetValue(slot - 1)) : 0;
    if (time == 0) {
        time = static_cast<uintptr_t>(Fold(CreationTimeOf(::GetCurrentThread())));
        if (slot > 0)
            ::TlsSetValue(slot - 1, reinterpret_cast<void*>(time));
    }
    ::SetLastError(error);
    return time;
}

bool SetTag(DWORD threadId, IEVERSION version, uint64_t time) {
    EngineLockHeld held;
    return ThreadEngineMap.Set(threadId, version, time);
}

// The tag of `threadId` when it was given to the thread created at `time`; a stale one is removed.
bool LookupTag(DWORD threadId, uint64_t time, IEVERSION* version) {
    EngineLockHeld held;
    uint64_t tagged = 0;
    if (!ThreadEngineMap.Lookup(threadId, version, &tagged))
        return false;
    if (tagged == time)
        return true;
    ThreadEngineMap.Remove(threadId);
    return false;
}

} // namespace

bool SetThreadEngine(DWORD threadId, IEVERSION version) {
    if (threadId == 0 || threadId == ::GetCurrentThreadId())
        return SetTag(::GetCurrentThreadId(), version, CurrentThreadTime());
    // A thread that cannot be opened has ended; its tag would never be trusted.
    const uint64_t time = CreationTimeOfThread(threadId);
    return time == 0 || SetTag(threadId, version, Fold(time));
}

bool ForgetCurrentThread() {
    return ForgetThread(::GetCurrentThreadId());
}

bool ForgetThread(DWORD threadId) {
    EngineLockHeld held;
    return ThreadEngineMap.Remove(threadId);
}

bool GetThreadEngine(DWORD threadId, IEVERSION* version) {
    if (threadId == ::GetCurrentThreadId())
        return LookupTag(threadId, CurrentThreadTime(), version);
    const uint64_t time = CreationTimeOfThread(threadId);
    return LookupTag(threadId, time != 0 ? Fold(time) : 0, version);
}

bool HoldsThreadTag(DWORD threadId) {
    EngineLockHeld held;
    IEVERSION version;
    return ThreadEngineMap.Lookup(threadId, &version);
}

EngineRecord* GetCurrentEngine() {
    IEVERSION version = IE_DEFAULT;
    if (!LookupTag(::GetCurrentThreadId(), CurrentThreadTime(), &version) || !IsValidIeVersion(version))
        return nullptr;
    EngineRecord& record = EngineTable[version];
    return record.loaded == 1 ? &record : nullptr;
}

namespace {

// A thread's tag goes with the thread. Thread ids are reused at once, so a tag left behind by a thread that
// ended (as every thread tagged by creation would leave one) would hand an engine to whatever unrelated thread
// gets the id next. The system calls this on every thread that ends by returning or ExitThread, on that thread,
// before its id is free again.
void NTAPI ForgetEndingThread(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_THREAD_DETACH)
        ForgetCurrentThread();
}

} // namespace

// The image's thread callbacks live between the runtime's .CRT$XLA and .CRT$XLZ markers.
extern "C" __attribute__((section(".CRT$XLM"), used)) const PIMAGE_TLS_CALLBACK movalentForgetEndingThread =
    ForgetEndingThread;

HANDLE WINAPI RedirectedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                     LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (RealCreateThread == nullptr)
        return nullptr;
    const EngineRecord* record = GetCurrentEngine();
    if (record == nullptr)
        return RealCreateThread(security, stackSize, start, parameter, flags, threadId);

    // Started suspended, the child cannot run engine code before its tag is in the map.
    DWORD newId = 0;
    HANDLE thread = RealCreateThread(security, stackSize, start, parameter, flags | CREATE_SUSPENDED, &newId);
    if (thread != nullptr && threadId != nullptr)
        *threadId = newId;
    if (newId != 0)
        SetTag(newId, record->version, Fold(CreationTimeOf(thread)));
    if ((flags & CREATE_SUSPENDED) == 0 && thread != nullptr)
        ::ResumeThread(thread);
    return thread;
}

} // namespace movalent
