#include "engine/EngineLoader.h"

#include "engine/EngineReplacements.h"
#include "engine/SystemFunctions.h"
#include "engine/intercept/Hooks.h"
#include "framework/Handles.h"

#include <atomic>
#include <cstring>
#include <string>

namespace movalent {

EngineRecord EngineTable[IE_VERSION_COUNT];

decltype(&::CoCreateInstance) RealCoCreateInstance;
decltype(&::CoCreateInstanceEx) RealCoCreateInstanceEx;
decltype(&::CoGetClassObject) RealCoGetClassObject;
decltype(&::LoadLibraryA) RealLoadLibraryA;
decltype(&::LoadLibraryW) RealLoadLibraryW;
decltype(&::FreeLibrary) RealFreeLibrary;
decltype(&::RegOpenKeyW) RealRegOpenKeyW;
decltype(&::RegCloseKey) RealRegCloseKey;
decltype(&::RegQueryValueExW) RealRegQueryValueExW;
decltype(&::RegQueryValueW) RealRegQueryValueW;
LdrGetDllHandleFn RealLdrGetDllHandle;
decltype(&::CreateThread) RealCreateThread;

ZwQueryKeyFn ZwQueryKeyAddress;

namespace {

LONG volatile g_installCount = 0;
std::atomic<bool> g_disableFilters{false};
HMODULE g_internetOptionsModule = nullptr;
EngineAbsence g_absence[IE_VERSION_COUNT] = {};
// Whether the install transaction committed; a failed one applied nothing, so there is nothing to detach.
bool g_replacementsAttached = false;

HMODULE EngineRecord::* const kModuleMembers[kModuleSlotCount] = {
    &EngineRecord::hBrowser,  &EngineRecord::hMshtml,  &EngineRecord::hJscript, &EngineRecord::hUrlmon,
    &EngineRecord::hMshtmled, &EngineRecord::hWininet, &EngineRecord::hVbscript, &EngineRecord::hDxtmsft,
    &EngineRecord::hDxtrans,  &EngineRecord::hImgutil, &EngineRecord::hPngfilt,
};

struct Interception {
    void** real;
    void* replacement;
    const wchar_t* module; // where callers find it; the code may live elsewhere (see ResolveSystemFunction)
    const char* name;
};

template <typename Fn> Interception Intercept(Fn** real, Fn* replacement, const wchar_t* module, const char* name) {
    return {reinterpret_cast<void**>(real), reinterpret_cast<void*>(replacement), module, name};
}

// Attach and detach order. Each is looked up where programs import it from; ResolveSystemFunction then follows
// forwarding stubs (kernel32's and advapi32's exports on systems that implement them in kernelbase) to the code
// that really runs, so that callers of either module are caught.
const Interception kInterceptions[] = {
    Intercept(&RealCoCreateInstance, &RedirectedCoCreateInstance, L"ole32.dll", "CoCreateInstance"),
    Intercept(&RealCoCreateInstanceEx, &RedirectedCoCreateInstanceEx, L"ole32.dll", "CoCreateInstanceEx"),
    Intercept(&RealCoGetClassObject, &RedirectedCoGetClassObject, L"ole32.dll", "CoGetClassObject"),
    Intercept(&RealLoadLibraryA, &RedirectedLoadLibraryA, L"kernel32.dll", "LoadLibraryA"),
    Intercept(&RealLoadLibraryW, &RedirectedLoadLibraryW, L"kernel32.dll", "LoadLibraryW"),
    Intercept(&RealFreeLibrary, &RedirectedFreeLibrary, L"kernel32.dll", "FreeLibrary"),
    Intercept(&RealRegOpenKeyW, &RedirectedRegOpenKeyW, L"advapi32.dll", "RegOpenKeyW"),
    Intercept(&RealRegCloseKey, &RedirectedRegCloseKey, L"advapi32.dll", "RegCloseKey"),
    Intercept(&RealRegQueryValueExW, &RedirectedRegQueryValueExW, L"advapi32.dll", "RegQueryValueExW"),
    Intercept(&RealRegQueryValueW, &RedirectedRegQueryValueW, L"advapi32.dll", "RegQueryValueW"),
    Intercept(&RealLdrGetDllHandle, &RedirectedLdrGetDllHandle, L"ntdll.dll", "LdrGetDllHandle"),
    Intercept(&RealCreateThread, &RedirectedCreateThread, L"kernel32.dll", "CreateThread"),
};

void ClearEngineTable() { std::memset(EngineTable, 0, sizeof EngineTable); }

// Frees every module of the record with the real function (the replacement would keep them) and empties it.
void FreeRecordModules(EngineRecord& record) {
    const auto freeLibrary = RealFreeLibrary != nullptr ? RealFreeLibrary : &::FreeLibrary;
    for (HMODULE EngineRecord::*member : kModuleMembers) {
        if (record.*member != nullptr)
            freeLibrary(record.*member);
        record.*member = nullptr;
    }
}

template <typename Fn> Fn ExportOf(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

#if defined(_WIN64)
constexpr uint16_t kProcessMachine = kMachineAmd64;
#else
constexpr uint16_t kProcessMachine = kMachineI386;
#endif

// The machine a module file was built for; 0 when the file cannot be read or is no PE image.
uint16_t FileMachine(const std::wstring& path) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    uint8_t head[1024];
    DWORD read = 0;
    if (!file || !::ReadFile(file.get(), head, sizeof head, &read, nullptr))
        return 0;
    return PeMachine(std::span<const uint8_t>(head, read));
}

// Runs before any replacement is attached, so the plain system calls here are the real functions.
bool LoadEngineVersion(EngineRecord& record, IEVERSION version) {
    g_absence[version] = EngineAbsence::NoFiles;
    if (!VersionExistsForProcessor(version, sizeof(void*) == 8)) {
        g_absence[version] = EngineAbsence::NoBuildForArchitecture;
        return false;
    }
    wchar_t directory[kEnginePathChars];
    const DWORD length = ::GetCurrentDirectoryW(kEnginePathChars, directory);
    if (length == 0 || length >= kEnginePathChars)
        return false;
    const std::wstring prefix = EnginePathPrefix(std::wstring_view(directory, length), version);
    if (prefix.empty())
        return false;

    const auto fail = [&record] {
        FreeRecordModules(record);
        std::memset(&record, 0, sizeof record);
        return false;
    };
    // Files of another processor would fail to load one by one, or worse, be taken for a damaged engine: the
    // browser module's header decides before anything is loaded.
    if (const uint16_t machine = FileMachine(EngineFilePath(prefix, EngineLoadPlan(version).front().tail));
        machine != 0 && machine != kProcessMachine) {
        g_absence[version] = EngineAbsence::OtherArchitecture;
        return false;
    }
    for (const EngineFile& file : EngineLoadPlan(version)) {
        const std::wstring path = EngineFilePath(prefix, file.tail);
        HMODULE module = path.empty() ? nullptr : ::LoadLibraryW(path.c_str());
        // The browser module alone gets a second attempt: without it the whole version is lost, and a first
        // load can fail for reasons that pass (a scanner or an installer holding the file for a moment).
        if (module == nullptr && file.slot == ModuleSlot::Browser && !path.empty())
            module = ::LoadLibraryW(path.c_str());
        if (module == nullptr && file.required)
            return fail();
        ModuleAt(record, file.slot) = module;
    }

    // The four modules that serve the engine's core classes must all have an entry point; the optional ones
    // simply serve nothing without it.
    for (const EngineFile& file : EngineLoadPlan(version)) {
        const HMODULE module = ModuleAt(record, file.slot);
        ClassModule classModule;
        if (module == nullptr || !ClassModuleOfSlot(file.slot, &classModule))
            continue;
        const auto entry = ExportOf<GetClassObjectFn>(module, "DllGetClassObject");
        if (entry == nullptr && file.required)
            return fail();
        record.getClassObject[static_cast<int>(classModule)] = entry;
    }

    record.version = version;
    // A version loaded while browser threads run (after an import) is seen whole or not at all.
    std::atomic_thread_fence(std::memory_order_release);
    record.loaded = 1;
    g_absence[version] = EngineAbsence::None;
    return true;
}

void LoadDefaultRecord() {
    EngineRecord& record = EngineTable[IE_DEFAULT];
    record.isSystem = 1;
    record.version = IE_DEFAULT;
    record.hUrlmon = ::LoadLibraryA("urlmon.dll");
    record.hWininet = ::LoadLibraryA("wininet.dll");
    record.loaded = 1;
}

// Commits all twelve or none: a half-redirected process would hand one engine's modules to another's code.
void AttachReplacements() {
    // Still attached after a removal whose detach failed: the variables hold working trampolines, and
    // attaching over the patched entries would make the replacements call themselves.
    if (g_replacementsAttached)
        return;
    for (const Interception& i : kInterceptions)
        *i.real = ResolveSystemFunction(i.module, i.name);
    if (HookTransactionBegin() != NO_ERROR)
        return;
    LONG result = NO_ERROR;
    for (const Interception& i : kInterceptions)
        if (result == NO_ERROR)
            result = HookAttach(i.real, i.replacement);
    if (result == NO_ERROR)
        result = HookTransactionCommit();
    else
        HookTransactionAbort();
    g_replacementsAttached = result == NO_ERROR;
}

void DetachReplacements() {
    if (!g_replacementsAttached || HookTransactionBegin() != NO_ERROR)
        return;
    LONG result = NO_ERROR;
    for (const Interception& i : kInterceptions)
        if (result == NO_ERROR && *i.real != nullptr)
            result = HookDetach(i.real, i.replacement);
    if (result == NO_ERROR)
        result = HookTransactionCommit();
    else
        HookTransactionAbort();
    // A failed detach leaves the replacements in place; with the table cleared below they pass every call on.
    g_replacementsAttached = result != NO_ERROR;
}

} // namespace

HMODULE& ModuleAt(EngineRecord& record, ModuleSlot slot) { return record.*kModuleMembers[static_cast<int>(slot)]; }
HMODULE ModuleAt(const EngineRecord& record, ModuleSlot slot) {
    return record.*kModuleMembers[static_cast<int>(slot)];
}

unsigned FilledSlots(const EngineRecord& record) {
    unsigned bits = 0;
    for (int slot = 0; slot < kModuleSlotCount; ++slot)
        if (record.*kModuleMembers[slot] != nullptr)
            bits |= 1u << slot;
    return bits;
}

unsigned ClassEntryPoints(const EngineRecord& record) {
    unsigned bits = 0;
    for (int module = 0; module < kClassModuleCount; ++module)
        if (record.getClassObject[module] != nullptr)
            bits |= 1u << module;
    return bits;
}

void InstallEngineHooks(bool disableFilters) {
    if (::InterlockedIncrement(&g_installCount) != 1)
        return;
    g_disableFilters.store(disableFilters);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    ZwQueryKeyAddress = ntdll != nullptr ? ExportOf<ZwQueryKeyFn>(ntdll, "ZwQueryKey") : nullptr;
    ClearEngineTable();
    g_internetOptionsModule = ::LoadLibraryW(L"inetcpl.cpl");
    for (IEVERSION version : {IE_6, IE_55, IE_7, IE_8})
        LoadEngineVersion(EngineTable[version], version);
    LoadDefaultRecord();
    AttachReplacements();
}

void RemoveEngineHooks() {
    // A surplus removal must not push the count below zero, or the next install would never act.
    LONG count = g_installCount;
    for (;;) {
        if (count <= 0)
            return;
        const LONG seen = ::InterlockedCompareExchange(&g_installCount, count - 1, count);
        if (seen == count)
            break;
        count = seen;
    }
    if (count != 1)
        return;
    DetachReplacements();
    for (EngineRecord& record : EngineTable)
        FreeRecordModules(record);
    ClearEngineTable();
    if (g_internetOptionsModule != nullptr) {
        (RealFreeLibrary != nullptr ? RealFreeLibrary : &::FreeLibrary)(g_internetOptionsModule);
        g_internetOptionsModule = nullptr;
    }
}

bool LoadEngineVersionNow(IEVERSION version) {
    if (g_installCount <= 0 || !IsValidIeVersion(version) || version == IE_DEFAULT || IsEngineAvailable(version))
        return IsEngineAvailable(version);
    // On the main thread, which has no engine tag: the intercepted loading calls pass straight through.
    return LoadEngineVersion(EngineTable[version], version);
}

EngineAbsence WhyEngineUnavailable(IEVERSION version) {
    if (!IsValidIeVersion(version) || version == IE_4 || version == IE_5)
        return EngineAbsence::NoFiles;
    return IsEngineAvailable(version) ? EngineAbsence::None : g_absence[version];
}

bool IsEngineAvailable(IEVERSION version) {
    return IsValidIeVersion(version) && EngineTable[version].loaded == 1;
}

HMODULE LoadedMshtml(IEVERSION version) {
    if (!IsEngineAvailable(version))
        return nullptr;
    // The main thread has no engine tag, so this asks the system for its own module.
    return version == IE_DEFAULT ? ::GetModuleHandleW(L"mshtml.dll") : EngineTable[version].hMshtml;
}

HMODULE InternetOptionsModule() { return g_internetOptionsModule; }

void SetEngineFiltersDisabled(bool disableFilters) { g_disableFilters.store(disableFilters); }
bool EngineFiltersDisabled() { return g_disableFilters.load(std::memory_order_relaxed); }

} // namespace movalent
