// The interception layer on the system's own code: the twelve functions the engine loader redirects, and a
// sweep over every exported function of the modules those live in and next to.
#include "HookTestSupport.h"
#include "engine/intercept/Hooks.h"

#include <objbase.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace movalent;
using namespace movalent::testing;

namespace {

// ------------------------------------------------------------------------------------------------------------
// The twelve functions

struct CountedString {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};
typedef LONG(NTAPI* LdrGetDllHandleFn)(PCWSTR, PULONG, const CountedString*, HMODULE*);

enum Function {
    kCoCreateInstance,
    kCoCreateInstanceEx,
    kCoGetClassObject,
    kLoadLibraryA,
    kLoadLibraryW,
    kFreeLibrary,
    kRegOpenKeyW,
    kRegCloseKey,
    kRegQueryValueExW,
    kRegQueryValueW,
    kLdrGetDllHandle,
    kCreateThread,
    kFunctionCount
};

std::atomic<long> g_calls[kFunctionCount];

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

HRESULT WINAPI CountCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                     LPVOID* out) {
    ++g_calls[kCoCreateInstance];
    return RealCoCreateInstance(clsid, outer, context, iid, out);
}
HRESULT WINAPI CountCoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                       DWORD count, MULTI_QI* results) {
    ++g_calls[kCoCreateInstanceEx];
    return RealCoCreateInstanceEx(clsid, outer, context, server, count, results);
}
HRESULT WINAPI CountCoGetClassObject(REFCLSID clsid, DWORD context, LPVOID info, REFIID iid, LPVOID* out) {
    ++g_calls[kCoGetClassObject];
    return RealCoGetClassObject(clsid, context, info, iid, out);
}
HMODULE WINAPI CountLoadLibraryA(LPCSTR name) {
    ++g_calls[kLoadLibraryA];
    return RealLoadLibraryA(name);
}
HMODULE WINAPI CountLoadLibraryW(LPCWSTR name) {
    ++g_calls[kLoadLibraryW];
    return RealLoadLibraryW(name);
}
BOOL WINAPI CountFreeLibrary(HMODULE module) {
    ++g_calls[kFreeLibrary];
    return RealFreeLibrary(module);
}
LSTATUS WINAPI CountRegOpenKeyW(HKEY parent, LPCWSTR name, PHKEY key) {
    ++g_calls[kRegOpenKeyW];
    return RealRegOpenKeyW(parent, name, key);
}
LSTATUS WINAPI CountRegCloseKey(HKEY key) {
    ++g_calls[kRegCloseKey];
    return RealRegCloseKey(key);
}
LSTATUS WINAPI CountRegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                     LPDWORD size) {
    ++g_calls[kRegQueryValueExW];
    return RealRegQueryValueExW(key, name, reserved, type, data, size);
}
LSTATUS WINAPI CountRegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR data, PLONG size) {
    ++g_calls[kRegQueryValueW];
    return RealRegQueryValueW(key, subKey, data, size);
}
LONG NTAPI CountLdrGetDllHandle(PCWSTR path, PULONG flags, const CountedString* name, HMODULE* module) {
    ++g_calls[kLdrGetDllHandle];
    return RealLdrGetDllHandle(path, flags, name, module);
}
HANDLE WINAPI CountCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                LPVOID parameter, DWORD flags, LPDWORD id) {
    ++g_calls[kCreateThread];
    return RealCreateThread(security, stack, start, parameter, flags, id);
}

struct Interception {
    const char* name;
    const wchar_t* implementedIn; // where the code runs, see below
    const wchar_t* documentedIn;  // where callers import it from
    void** variable;
    void* replacement;
};

// Wine 8 implements the kernel32 functions in kernelbase: kernel32's exports of LoadLibraryA/W, FreeLibrary
// and CreateThread, like advapi32's RegCloseKey and RegQueryValueExW, are hot-patchable stubs
// ("mov edi,edi; push ebp; mov ebp,esp; pop ebp; jmp [import]") that begin with a frame, not with the import
// jump, so they are code of their own and are not followed. Attaching the kernelbase code catches the callers
// of both modules. ole32 forwards the three COM functions to combase at the export level. RegOpenKeyW and
// RegQueryValueW exist in advapi32 only, LdrGetDllHandle in ntdll only.
const Interception kTwelve[kFunctionCount] = {
    {"CoCreateInstance", L"combase.dll", L"ole32.dll", reinterpret_cast<void**>(&RealCoCreateInstance),
     reinterpret_cast<void*>(&CountCoCreateInstance)},
    {"CoCreateInstanceEx", L"combase.dll", L"ole32.dll", reinterpret_cast<void**>(&RealCoCreateInstanceEx),
     reinterpret_cast<void*>(&CountCoCreateInstanceEx)},
    {"CoGetClassObject", L"combase.dll", L"ole32.dll", reinterpret_cast<void**>(&RealCoGetClassObject),
     reinterpret_cast<void*>(&CountCoGetClassObject)},
    {"LoadLibraryA", L"kernelbase.dll", L"kernel32.dll", reinterpret_cast<void**>(&RealLoadLibraryA),
     reinterpret_cast<void*>(&CountLoadLibraryA)},
    {"LoadLibraryW", L"kernelbase.dll", L"kernel32.dll", reinterpret_cast<void**>(&RealLoadLibraryW),
     reinterpret_cast<void*>(&CountLoadLibraryW)},
    {"FreeLibrary", L"kernelbase.dll", L"kernel32.dll", reinterpret_cast<void**>(&RealFreeLibrary),
     reinterpret_cast<void*>(&CountFreeLibrary)},
    {"RegOpenKeyW", L"advapi32.dll", L"advapi32.dll", reinterpret_cast<void**>(&RealRegOpenKeyW),
     reinterpret_cast<void*>(&CountRegOpenKeyW)},
    {"RegCloseKey", L"kernelbase.dll", L"advapi32.dll", reinterpret_cast<void**>(&RealRegCloseKey),
     reinterpret_cast<void*>(&CountRegCloseKey)},
    {"RegQueryValueExW", L"kernelbase.dll", L"advapi32.dll", reinterpret_cast<void**>(&RealRegQueryValueExW),
     reinterpret_cast<void*>(&CountRegQueryValueExW)},
    {"RegQueryValueW", L"advapi32.dll", L"advapi32.dll", reinterpret_cast<void**>(&RealRegQueryValueW),
     reinterpret_cast<void*>(&CountRegQueryValueW)},
    {"LdrGetDllHandle", L"ntdll.dll", L"ntdll.dll", reinterpret_cast<void**>(&RealLdrGetDllHandle),
     reinterpret_cast<void*>(&CountLdrGetDllHandle)},
    {"CreateThread", L"kernelbase.dll", L"kernel32.dll", reinterpret_cast<void**>(&RealCreateThread),
     reinterpret_cast<void*>(&CountCreateThread)},
};

HMODULE ModuleOf(const void* code) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(code), &module))
        return nullptr;
    return module;
}

std::wstring ModuleNameOf(const void* code) {
    HMODULE module = ModuleOf(code);
    if (module == nullptr)
        return L"?";
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(module, path, MAX_PATH);
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

const wchar_t kTestKey[] = L"Software\\Ombrisk\\MovalentHookTest";

DWORD WINAPI SetFlag(LPVOID parameter) {
    static_cast<std::atomic<int>*>(parameter)->store(1);
    return 7;
}

class TwelveFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        HKEY key = nullptr;
        ASSERT_EQ(0, ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                       &key, nullptr));
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"default"), 16);
        ::RegSetValueExW(key, L"Named", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"named"), 12);
        ::RegCloseKey(key);
        kernel32_ = ::GetModuleHandleW(L"kernel32.dll");
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ::CoUninitialize();
    }

    // Exercises every function through the entry every other caller uses; each result is the system's own.
    void CallAll() {
        IUnknown* unknown = nullptr;
        EXPECT_EQ(S_OK, ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&unknown)));
        if (unknown)
            unknown->Release();
        MULTI_QI query = {&IID_IGlobalInterfaceTable, nullptr, E_FAIL};
        EXPECT_EQ(S_OK, ::CoCreateInstanceEx(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                             nullptr, 1, &query));
        if (query.pItf)
            query.pItf->Release();
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, ::CoGetClassObject(CLSID_StdGlobalInterfaceTable, CLSCTX_INPROC_SERVER, nullptr,
                                           IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        if (factory)
            factory->Release();

        HMODULE a = ::LoadLibraryA("version.dll");
        HMODULE w = ::LoadLibraryW(L"version.dll");
        EXPECT_NE(nullptr, a);
        EXPECT_EQ(a, w);
        EXPECT_TRUE(::FreeLibrary(a));
        EXPECT_TRUE(::FreeLibrary(w));

        HKEY key = nullptr;
        EXPECT_EQ(0, ::RegOpenKeyW(HKEY_CURRENT_USER, kTestKey, &key));
        wchar_t text[16] = L"";
        DWORD size = sizeof text;
        DWORD type = 0;
        EXPECT_EQ(0, ::RegQueryValueExW(key, L"Named", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
        EXPECT_STREQ(L"named", text);
        LONG length = sizeof text;
        EXPECT_EQ(0, ::RegQueryValueW(HKEY_CURRENT_USER, kTestKey, text, &length));
        EXPECT_STREQ(L"default", text);
        EXPECT_EQ(0, ::RegCloseKey(key));

        wchar_t name[] = L"kernel32.dll";
        const CountedString counted = {sizeof name - sizeof(wchar_t), sizeof name, name};
        HMODULE found = nullptr;
        const auto ldr = reinterpret_cast<LdrGetDllHandleFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrGetDllHandle")));
        EXPECT_EQ(0, ldr(nullptr, nullptr, &counted, &found));
        EXPECT_EQ(kernel32_, found);

        std::atomic<int> flag{0};
        HANDLE thread = ::CreateThread(nullptr, 0, &SetFlag, &flag, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
        DWORD exitCode = 0;
        ::GetExitCodeThread(thread, &exitCode);
        EXPECT_EQ(7u, exitCode);
        EXPECT_EQ(1, flag.load());
        ::CloseHandle(thread);
    }

    // Every real-function variable called directly: the function as it was, its replacement never involved.
    // (It may still reach the replacements of the others: RegQueryValueW, for one, closes its key with
    // RegCloseKey.)
    template <typename Call> void WithoutItsReplacement(Function f, Call call) {
        const long before = g_calls[f];
        call();
        EXPECT_EQ(before, g_calls[f].load()) << kTwelve[f].name << " went through its replacement";
    }

    void CallAllThroughTheVariables() {
        WithoutItsReplacement(kCoCreateInstance, [] {
            IUnknown* unknown = nullptr;
            EXPECT_EQ(S_OK,
                      RealCoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&unknown)));
            if (unknown)
                unknown->Release();
        });
        WithoutItsReplacement(kCoCreateInstanceEx, [] {
            MULTI_QI query = {&IID_IGlobalInterfaceTable, nullptr, E_FAIL};
            EXPECT_EQ(S_OK, RealCoCreateInstanceEx(CLSID_StdGlobalInterfaceTable, nullptr,
                                                   CLSCTX_INPROC_SERVER, nullptr, 1, &query));
            if (query.pItf)
                query.pItf->Release();
        });
        WithoutItsReplacement(kCoGetClassObject, [] {
            IClassFactory* factory = nullptr;
            EXPECT_EQ(S_OK, RealCoGetClassObject(CLSID_StdGlobalInterfaceTable, CLSCTX_INPROC_SERVER, nullptr,
                                                 IID_IClassFactory, reinterpret_cast<void**>(&factory)));
            if (factory)
                factory->Release();
        });

        HMODULE a = nullptr, w = nullptr;
        WithoutItsReplacement(kLoadLibraryA, [&] { a = RealLoadLibraryA("version.dll"); });
        WithoutItsReplacement(kLoadLibraryW, [&] { w = RealLoadLibraryW(L"version.dll"); });
        EXPECT_NE(nullptr, a);
        EXPECT_EQ(a, w);
        WithoutItsReplacement(kFreeLibrary, [&] {
            EXPECT_TRUE(RealFreeLibrary(a));
            EXPECT_TRUE(RealFreeLibrary(w));
        });

        HKEY key = nullptr;
        WithoutItsReplacement(kRegOpenKeyW,
                              [&] { EXPECT_EQ(0, RealRegOpenKeyW(HKEY_CURRENT_USER, kTestKey, &key)); });
        wchar_t text[16] = L"";
        WithoutItsReplacement(kRegQueryValueExW, [&] {
            DWORD size = sizeof text;
            DWORD type = 0;
            EXPECT_EQ(
                0, RealRegQueryValueExW(key, L"Named", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
            EXPECT_STREQ(L"named", text);
        });
        WithoutItsReplacement(kRegQueryValueW, [&] {
            LONG length = sizeof text;
            EXPECT_EQ(0, RealRegQueryValueW(HKEY_CURRENT_USER, kTestKey, text, &length));
            EXPECT_STREQ(L"default", text);
        });
        WithoutItsReplacement(kRegCloseKey, [&] { EXPECT_EQ(0, RealRegCloseKey(key)); });

        WithoutItsReplacement(kLdrGetDllHandle, [&] {
            wchar_t name[] = L"kernel32.dll";
            const CountedString counted = {sizeof name - sizeof(wchar_t), sizeof name, name};
            HMODULE found = nullptr;
            EXPECT_EQ(0, RealLdrGetDllHandle(nullptr, nullptr, &counted, &found));
            EXPECT_EQ(kernel32_, found);
        });

        WithoutItsReplacement(kCreateThread, [] {
            std::atomic<int> flag{0};
            HANDLE thread = RealCreateThread(nullptr, 0, &SetFlag, &flag, 0, nullptr);
            ASSERT_NE(nullptr, thread);
            EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
            EXPECT_EQ(1, flag.load());
            ::CloseHandle(thread);
        });
    }

    HMODULE kernel32_ = nullptr;
    TransactionGuard guard_;
};

TEST_F(TwelveFunctions, AreRedirectedInOneTransactionAndRestoredExactly) {
    std::vector<uint8_t*> targets;
    std::vector<std::vector<uint8_t>> originals;
    for (const Interception& f : kTwelve) {
        HMODULE module = ::LoadLibraryW(f.implementedIn);
        ASSERT_NE(nullptr, module) << f.name;
        void* exported = reinterpret_cast<void*>(::GetProcAddress(module, f.name));
        ASSERT_NE(nullptr, exported) << f.name;
        *f.variable = exported;
        auto* target = static_cast<uint8_t*>(HookCodeFromPointer(exported));
        targets.push_back(target);
        originals.push_back(BytesAt(target, 24));
        std::printf("%-18s taken from %-14ls code in %-14ls at %p, imported by callers from %ls\n", f.name,
                    f.implementedIn, ModuleNameOf(target).c_str(), static_cast<void*>(target),
                    f.documentedIn);
    }

    ASSERT_EQ(0, HookTransactionBegin());
    for (const Interception& f : kTwelve)
        ASSERT_EQ(0, HookAttach(f.variable, f.replacement)) << f.name;
    void** failed = nullptr;
    ASSERT_EQ(0, HookTransactionCommit(&failed));

    for (int i = 0; i < kFunctionCount; ++i) {
        SCOPED_TRACE(kTwelve[i].name);
        EXPECT_NE(static_cast<void*>(targets[i]), *kTwelve[i].variable);
        EXPECT_EQ(0xE9, targets[i][0]);
        EXPECT_EQ(kTwelve[i].replacement, PatchedEntryDestination(targets[i]));
        const uint8_t* header =
            reinterpret_cast<const uint8_t*>(::GetModuleHandleW(kTwelve[i].implementedIn));
        EXPECT_EQ(0, std::memcmp(header + 0x1C, "Mo", 2));
    }

    for (auto& c : g_calls)
        c = 0;
    CallAll();
    for (int i = 0; i < kFunctionCount; ++i)
        EXPECT_GE(g_calls[i].load(), 1) << kTwelve[i].name << " never reached its replacement";
    // kernel32's own export, a stub into kernelbase, reaches the replacement as well.
    const long loadsBefore = g_calls[kLoadLibraryW];
    const auto kernel32LoadLibraryW = reinterpret_cast<decltype(&::LoadLibraryW)>(
        reinterpret_cast<void*>(::GetProcAddress(kernel32_, "LoadLibraryW")));
    HMODULE module = kernel32LoadLibraryW(L"version.dll");
    EXPECT_NE(nullptr, module);
    ::FreeLibrary(module);
    EXPECT_EQ(loadsBefore + 1, g_calls[kLoadLibraryW].load());

    CallAllThroughTheVariables();

    ASSERT_EQ(0, HookTransactionBegin());
    for (const Interception& f : kTwelve)
        ASSERT_EQ(0, HookDetach(f.variable, f.replacement)) << f.name;
    ASSERT_EQ(0, HookTransactionCommit(&failed));

    for (int i = 0; i < kFunctionCount; ++i) {
        EXPECT_EQ(static_cast<void*>(targets[i]), *kTwelve[i].variable) << kTwelve[i].name;
        EXPECT_EQ(originals[i], BytesAt(targets[i], 24)) << kTwelve[i].name;
    }
    for (auto& c : g_calls)
        c = 0;
    CallAll();
    for (int i = 0; i < kFunctionCount; ++i)
        EXPECT_EQ(0, g_calls[i].load()) << kTwelve[i].name;
}

// ------------------------------------------------------------------------------------------------------------
// The sweep
//
// Every exported function of a module is attached and detached without being called by the test. Other code
// does call many of them while they are redirected -- this test's own protection changes, cache flushes and
// heap frees, all of which run through kernelbase and ntdll. So the replacement of each is a thunk of its
// own, "jmp [variable]", which after commit jumps to that function's trampoline: a call during the window
// still runs the original function. Functions are attached in batches whose patched ranges never overlap (two
// exports may share code a few bytes apart), and each export is first tried alone so a refusal cannot spoil a
// batch.

constexpr size_t kBatchSize = 64;
constexpr size_t kSnapshotSize = 24;
constexpr size_t kThunkSize = 16;

struct Candidate {
    std::string name;
    void* exported;
    uint8_t* target;
    std::vector<uint8_t> original;
    DWORD protection;
};

struct ExportList {
    size_t exports = 0;
    size_t forwarded = 0;
    size_t data = 0;
    size_t aliases = 0;
    std::vector<Candidate> functions;
};

bool InExecutableSection(const IMAGE_NT_HEADERS* nt, DWORD rva) {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
        if (rva >= section->VirtualAddress && rva - section->VirtualAddress < size)
            return (section->Characteristics & IMAGE_SCN_MEM_EXECUTE) != 0;
    }
    return false;
}

ExportList ListExports(HMODULE module) {
    ExportList list;
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.Size == 0)
        return list;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);

    std::map<DWORD, std::string> nameOf;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        nameOf.emplace(ordinals[i], reinterpret_cast<const char*>(base + names[i]));

    std::map<uint8_t*, size_t> seen;
    for (DWORD i = 0; i < exports->NumberOfFunctions; ++i) {
        const DWORD rva = functions[i];
        if (rva == 0)
            continue;
        ++list.exports;
        if (rva >= dir.VirtualAddress && rva - dir.VirtualAddress < dir.Size) {
            ++list.forwarded;
            continue;
        }
        if (!InExecutableSection(nt, rva)) {
            ++list.data;
            continue;
        }
        void* exported = const_cast<uint8_t*>(base + rva);
        auto* target = static_cast<uint8_t*>(HookCodeFromPointer(exported));
        if (!seen.emplace(target, list.functions.size()).second) {
            ++list.aliases;
            continue;
        }
        const auto found = nameOf.find(i);
        std::string name = found != nameOf.end() ? found->second : "#" + std::to_string(i + exports->Base);
        list.functions.push_back(
            {name, exported, target, BytesAt(target, kSnapshotSize), ProtectionOf(target)});
    }
    return list;
}

// "jmp [slot]" with the slot in the same 16 bytes; the slot is the hook's function pointer variable.
struct Thunks {
    explicit Thunks(size_t count) : code(count * kThunkSize + 0x1000) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t* thunk = code.base() + i * kThunkSize;
            PutIndirectJump(thunk, reinterpret_cast<void**>(thunk + 8));
        }
    }
    void* Thunk(size_t i) const { return code.base() + i * kThunkSize; }
    void** Slot(size_t i) const { return reinterpret_cast<void**>(code.base() + i * kThunkSize + 8); }
    CodeBuffer code;
};

class Sweep : public ::testing::TestWithParam<const wchar_t*> {
protected:
    TransactionGuard guard_;
};

TEST_P(Sweep, EveryExportedFunctionIsHookedAndRestoredOrRefused) {
    HMODULE module = ::LoadLibraryW(GetParam());
    ASSERT_NE(nullptr, module);
    ExportList list = ListExports(module);
    ASSERT_FALSE(list.functions.empty());
    Thunks thunks(list.functions.size());
    const size_t regionsBefore = RegionCount();
    const size_t freeBefore = FreeTrampolineCount();

    // Alone first: the code of each refusal, and the functions that can go into a batch.
    std::map<LONG, std::vector<std::string>> refused;
    std::vector<size_t> accepted;
    for (size_t i = 0; i < list.functions.size(); ++i) {
        *thunks.Slot(i) = list.functions[i].exported;
        ASSERT_EQ(0, HookTransactionBegin());
        const LONG result = HookAttach(thunks.Slot(i), thunks.Thunk(i));
        ASSERT_EQ(0, HookTransactionAbort());
        if (result == NO_ERROR)
            accepted.push_back(i);
        else
            refused[result].push_back(list.functions[i].name);
    }
    for (const auto& [code, names] : refused)
        EXPECT_TRUE(code == ERROR_INVALID_BLOCK || code == ERROR_INVALID_HANDLE)
            << "refused with " << code << ", first " << names.front();

    std::sort(accepted.begin(), accepted.end(),
              [&](size_t a, size_t b) { return list.functions[a].target < list.functions[b].target; });
    size_t hooked = 0;
    size_t batches = 0;
    std::set<HMODULE> images; // where the hooked code lies: exports may lead into other modules
    while (!accepted.empty()) {
        std::vector<size_t> batch, later;
        const uint8_t* reachedUpTo = nullptr;
        for (size_t i : accepted) {
            const Candidate& c = list.functions[i];
            if (batch.size() < kBatchSize && (reachedUpTo == nullptr || c.target >= reachedUpTo)) {
                batch.push_back(i);
                reachedUpTo = c.target + kMaxMovedBytes;
            } else {
                later.push_back(i);
            }
        }
        accepted.swap(later);
        ++batches;

        ASSERT_EQ(0, HookTransactionBegin());
        for (size_t i : batch)
            ASSERT_EQ(0, HookAttach(thunks.Slot(i), thunks.Thunk(i))) << list.functions[i].name;
        void** failed = nullptr;
        ASSERT_EQ(0, HookTransactionCommit(&failed));
        for (size_t i : batch) {
            const Candidate& c = list.functions[i];
            ASSERT_EQ(0xE9, c.target[0]) << c.name;
            ASSERT_EQ(thunks.Thunk(i), PatchedEntryDestination(c.target)) << c.name;
            ASSERT_NE(static_cast<void*>(c.target), *thunks.Slot(i)) << c.name;
        }

        ASSERT_EQ(0, HookTransactionBegin());
        for (size_t i : batch)
            ASSERT_EQ(0, HookDetach(thunks.Slot(i), thunks.Thunk(i))) << list.functions[i].name;
        ASSERT_EQ(0, HookTransactionCommit(&failed));
        for (size_t i : batch) {
            const Candidate& c = list.functions[i];
            ASSERT_EQ(static_cast<void*>(c.target), *thunks.Slot(i)) << c.name;
            ASSERT_EQ(c.original, BytesAt(c.target, kSnapshotSize)) << c.name;
            ASSERT_EQ(c.protection, ProtectionOf(c.target)) << c.name;
        }
        hooked += batch.size();
        for (size_t i : batch)
            images.insert(ModuleOf(list.functions[i].target));
    }

    std::printf(
        "%ls: %zu exports, %zu forwarded, %zu data, %zu aliases; %zu functions: %zu hooked and restored "
        "in %zu batches",
        GetParam(), list.exports, list.forwarded, list.data, list.aliases, list.functions.size(), hooked,
        batches);
    for (const auto& [code, names] : refused) {
        std::printf(", %zu refused with %ld (", names.size(), code);
        for (size_t i = 0; i < names.size() && i < 3; ++i)
            std::printf("%s%s", i ? " " : "", names[i].c_str());
        std::printf("%s)", names.size() > 3 ? " ..." : "");
    }
    std::printf("; regions %zu -> %zu\n", regionsBefore, RegionCount());
    // Detached trampolines are never handed out again; the refused attaches gave theirs back. So the sweep
    // takes one slot per hooked function, and each image at most one region beyond those it fills (in a 64-bit
    // process, images more than 2 GiB apart cannot share one).
    constexpr size_t kPerRegion = kTrampolineSlots - kFirstTrampolineSlot;
    EXPECT_LE(RegionCount(), regionsBefore + images.size() + hooked / kPerRegion);
    EXPECT_EQ(freeBefore + (RegionCount() - regionsBefore) * kPerRegion - hooked, FreeTrampolineCount());
}

INSTANTIATE_TEST_SUITE_P(SystemModules, Sweep,
                         ::testing::Values(L"kernel32.dll", L"kernelbase.dll", L"ntdll.dll", L"user32.dll",
                                           L"gdi32.dll", L"advapi32.dll", L"ole32.dll", L"combase.dll",
                                           L"oleaut32.dll"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name;
                             for (const wchar_t* p = info.param; *p && *p != L'.'; ++p)
                                 name += static_cast<char>(*p);
                             return name;
                         });

} // namespace
