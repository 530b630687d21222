// Which engine each thread sees: the thread map behind its lock, and the propagation of a tag to the threads
// a tagged thread creates.
#include "engine/EngineLoader.h"
#include "engine/EngineReplacements.h"
#include "engine/ThreadVersionMap.h"

namespace movalent {
namespace {

// Every intercepted call in the process passes through here, so the lock is held only for the map operation
// itself and never around anything that could call back into an intercepted function.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSectionAndSpinCount(&section_, kSpinCount); }
    // Never deleted: replacements may still run while the process shuts down.
    void Enter() { ::EnterCriticalSection(&section_); }
    void Leave() { ::LeaveCriticalSection(&section_); }

private:
    // A lookup takes a few dozen instructions; spinning that long beats sleeping in the kernel.
    static constexpr DWORD kSpinCount = 1000;
    CRITICAL_SECTION section_;
};

class EngineLockHeld {
public:
    explicit EngineLockHeld(CriticalSection& lock) : lock_(lock) { lock_.Enter(); }
    ~EngineLockHeld() { lock_.Leave(); }
    EngineLockHeld(const EngineLockHeld&) = delete;
    EngineLockHeld& operator=(const EngineLockHeld&) = delete;

private:
    CriticalSection& lock_;
};

// Constant-initialised and never destroyed, for the same reason as the lock.
union MapStorage {
    constexpr MapStorage() : map() {}
    ~MapStorage() {}
    ThreadVersionMap map;
};

CriticalSection EngineLock;
constinit MapStorage g_threadEngineMap;
ThreadVersionMap& ThreadEngineMap = g_threadEngineMap.map;

} // namespace

bool SetThreadEngine(DWORD threadId, IEVERSION version) {
    if (threadId == 0)
        threadId = ::GetCurrentThreadId();
    EngineLockHeld held(EngineLock);
    return ThreadEngineMap.Set(threadId, version);
}

bool ForgetCurrentThread() {
    const DWORD threadId = ::GetCurrentThreadId();
    EngineLockHeld held(EngineLock);
    return ThreadEngineMap.Remove(threadId);
}

EngineRecord* GetCurrentEngine() {
    const DWORD threadId = ::GetCurrentThreadId();
    IEVERSION version = IE_DEFAULT;
    bool tagged;
    {
        EngineLockHeld held(EngineLock);
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
