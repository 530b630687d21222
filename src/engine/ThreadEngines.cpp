// Which engine each thread sees: the thread map behind its lock, and the propagation of a tag to the threads
// a tagged thread creates.
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"
#include "engine/ThreadVersionMap.h"

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

} // namespace

bool SetThreadEngine(DWORD threadId, IEVERSION version) {
    if (threadId == 0)
        threadId = ::GetCurrentThreadId();
    EngineLockHeld held;
    return ThreadEngineMap.Set(threadId, version);
}

bool ForgetCurrentThread() {
    const DWORD threadId = ::GetCurrentThreadId();
    EngineLockHeld held;
    return ThreadEngineMap.Remove(threadId);
}

EngineRecord* GetCurrentEngine() {
    const DWORD threadId = ::GetCurrentThreadId();
    IEVERSION version = IE_DEFAULT;
    bool tagged;
    {
        EngineLockHeld held;
        tagged = ThreadEngineMap.Lookup(threadId, &version);
    }
    if (!tagged || !IsValidIeVersion(version))
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
        SetThreadEngine(newId, record->version);
    if ((flags & CREATE_SUSPENDED) == 0 && thread != nullptr)
        ::ResumeThread(thread);
    return thread;
}

} // namespace movalent
