// The engine loader's install and removal with the stand-in engine folders, and the thread tags: how a tag is
// set, read and handed to the threads a tagged thread creates.
#include "EngineTestSupport.h"
#include "engine/EngineReplacements.h"
#include "engine/SystemFunctions.h"
#include "framework/Handles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace movalent;
using namespace movalent::testing;

namespace {

DWORD WINAPI TagItselfAndEnd(void*) {
    SetThreadEngine(0, IE_7);
    return 0;
}

// A thread that tags itself and ends before the program's other static objects are constructed: the engine lock
// must work before any constructor of ours has run.
struct TaggedThreadBeforeMain {
    bool ended = false;
    TaggedThreadBeforeMain() {
        HANDLE thread = ::CreateThread(nullptr, 0, TagItselfAndEnd, nullptr, 0, nullptr);
        ended = thread != nullptr && ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
        if (thread != nullptr)
            ::CloseHandle(thread);
    }
} g_threadBeforeMain __attribute__((init_priority(101)));

TEST(ThreadTags, WorkForThreadsThatEndBeforeMain) {
    EXPECT_TRUE(g_threadBeforeMain.ended);
}

// The versions the stand-in folders give this program: IE 5.5 only to the 32-bit one.
const std::vector<IEVERSION> kEngineVersions = kIe55Offered ? std::vector<IEVERSION>{IE_55, IE_6, IE_7, IE_8}
                                                            : std::vector<IEVERSION>{IE_6, IE_7, IE_8};

std::vector<std::wstring> ModuleFiles(const EngineRecord& record) {
    std::vector<std::wstring> files;
    for (int slot = 0; slot < kModuleSlotCount; ++slot)
        files.push_back(FileNameOf(ModuleAt(record, static_cast<ModuleSlot>(slot))));
    return files;
}

bool RecordIsEmpty(const EngineRecord& record) {
    static const EngineRecord zero{};
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

// Every engine file of the folder's layout that a version uses, as full paths.
std::vector<std::wstring> EnginePaths(const std::wstring& folder, IEVERSION version) {
    std::vector<std::wstring> paths;
    for (const EngineFile& file : EngineLoadPlan(version))
        paths.push_back(StandInFile(folder, std::wstring(EngineFilePrefix[version]) + std::wstring(file.tail)));
    return paths;
}

TEST(EngineInstall, LoadsEveryVersionOfAFullFolder) {
    ScopedInstall install(L"full");
    ASSERT_TRUE(install.changedDirectory());
    EXPECT_FALSE(IsEngineAvailable(IE_4));
    EXPECT_FALSE(IsEngineAvailable(IE_5));
    for (IEVERSION version : kEngineVersions) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(IsEngineAvailable(version));
        const EngineRecord& record = EngineTable[version];
        EXPECT_EQ(version, record.version);
        EXPECT_EQ(0u, record.isSystem);
        const std::vector<std::wstring> files = ModuleFiles(record);
        for (int slot = 0; slot < kModuleSlotCount; ++slot)
            EXPECT_EQ(EngineFileName(version, static_cast<ModuleSlot>(slot)), files[slot]);
        for (int module = 0; module < kClassModuleCount; ++module)
            EXPECT_EQ(version != IE_6 || module < static_cast<int>(ClassModule::Dxtmsft),
                      record.getClassObject[module] != nullptr)
                << module;
    }
    const EngineRecord& system = EngineTable[IE_DEFAULT];
    EXPECT_TRUE(IsEngineAvailable(IE_DEFAULT));
    EXPECT_EQ(IE_DEFAULT, system.version);
    EXPECT_EQ(1u, system.isSystem);
    EXPECT_EQ(L"urlmon.dll", FileNameOf(system.hUrlmon));
    EXPECT_EQ(L"wininet.dll", FileNameOf(system.hWininet));
    EXPECT_EQ(nullptr, system.hMshtml);
    EXPECT_EQ(L"inetcpl.cpl", FileNameOf(InternetOptionsModule()));
    EXPECT_TRUE(RecordIsEmpty(EngineTable[IE_4]) && RecordIsEmpty(EngineTable[IE_5]));
}

TEST(EngineInstall, AFolderWithoutEngineFilesOffersOnlyTheInstalledEngine) {
    ScopedInstall install(L"none");
    for (IEVERSION version : kEngineVersions)
        EXPECT_FALSE(IsEngineAvailable(version)) << version;
    EXPECT_TRUE(IsEngineAvailable(IE_DEFAULT));
}

TEST(EngineInstall, IE6NeverHoldsTheFilterModules) {
    ScopedInstall install(L"with-6dx");
    ASSERT_TRUE(IsEngineAvailable(IE_6));
    const EngineRecord& record = EngineTable[IE_6];
    EXPECT_EQ(nullptr, record.hDxtmsft);
    EXPECT_EQ(nullptr, record.hDxtrans);
    EXPECT_EQ(nullptr, record.hImgutil);
    EXPECT_EQ(nullptr, record.hPngfilt);
    for (const wchar_t* file : {L"6xtmsft.dll", L"6xtrans.dll", L"6mgutil.dll", L"6ngfilt.dll"})
        EXPECT_FALSE(IsLoaded(StandInFile(L"with-6dx", file))) << file;
}

TEST(EngineInstall, AMissingRequiredModuleUnloadsTheVersionsOtherFiles) {
    ScopedInstall install(L"missing-5rlmon");
    EXPECT_FALSE(IsEngineAvailable(IE_55));
    EXPECT_TRUE(RecordIsEmpty(EngineTable[IE_55]));
    for (const wchar_t* file : {L"5hdocvw.dll", L"5shtml.dll", L"5script.dll", L"5ininet.dll"})
        EXPECT_FALSE(IsLoaded(StandInFile(L"missing-5rlmon", file))) << file;
    EXPECT_TRUE(IsEngineAvailable(IE_6) && IsEngineAvailable(IE_7) && IsEngineAvailable(IE_8));
}

TEST(EngineInstall, ABrowserModuleWithoutClassEntryPointMakesTheVersionUnavailable) {
    ScopedInstall install(L"browser-no-export-7");
    EXPECT_FALSE(IsEngineAvailable(IE_7));
    EXPECT_TRUE(RecordIsEmpty(EngineTable[IE_7]));
    for (const std::wstring& path : EnginePaths(L"browser-no-export-7", IE_7))
        EXPECT_FALSE(IsLoaded(path)) << path;
    EXPECT_TRUE(IsEngineAvailable(IE_8));
}

TEST(EngineInstall, OptionalModulesMayBeMissing) {
    ScopedInstall install(L"no-optional");
    for (IEVERSION version : kEngineVersions) {
        ASSERT_TRUE(IsEngineAvailable(version)) << version;
        const EngineRecord& record = EngineTable[version];
        EXPECT_EQ(nullptr, record.hVbscript);
        EXPECT_EQ(nullptr, record.hMshtmled);
        EXPECT_EQ(nullptr, record.hDxtrans);
        EXPECT_EQ(nullptr, record.getClassObject[static_cast<int>(ClassModule::Vbscript)]);
    }
    // VBScript then comes from the system, even on a thread of the oldest version.
    const IEVERSION oldest = kEngineVersions.front();
    const ProbeReport report = ProbeOnThread(oldest, EngineTable[oldest].hMshtml,
                                             L"CoCreateInstance {B54F3741-5B07-11CF-A4B0-00AA004A55E8}");
    EXPECT_NE(EngineFileName(oldest, ModuleSlot::Vbscript), report.at(L"module"));
    EXPECT_EQ(L"system", report.at(L"module"));
}

// A browser module built for another processor than the program's: the version is reported so, and none of its
// files is loaded (they would fail one by one, or be taken for a damaged engine).
TEST(EngineInstall, EngineFilesOfAnotherProcessorAreReportedAndNeverLoaded) {
    const std::wstring folder = StandInFolder(L"other-processor");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const EngineFile& file : EngineLoadPlan(IE_7)) {
        const std::wstring name = EngineFileName(IE_7, file.slot);
        ASSERT_TRUE(::CopyFileW(StandInFile(L"full", name).c_str(), (folder + L"\\" + name).c_str(), FALSE));
    }
    // Just the headers: an image of the other processor that this program could not load anyway.
    uint8_t head[0x100] = {'M', 'Z'};
    head[0x3C] = 0x40;
    const uint16_t other = sizeof(void*) == 8 ? kMachineI386 : kMachineAmd64;
    std::memcpy(head + 0x40, "PE\0\0", 4);
    std::memcpy(head + 0x44, &other, sizeof other);
    HANDLE browser = ::CreateFileW((folder + L"\\7eframe.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                   nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, browser);
    DWORD written = 0;
    ::WriteFile(browser, head, sizeof head, &written, nullptr);
    ::CloseHandle(browser);
    {
        ScopedInstall install(L"other-processor");
        EXPECT_FALSE(IsEngineAvailable(IE_7));
        EXPECT_EQ(EngineAbsence::OtherArchitecture, WhyEngineUnavailable(IE_7));
        for (const std::wstring& path : EnginePaths(L"other-processor", IE_7))
            EXPECT_FALSE(IsLoaded(path)) << path;
        EXPECT_EQ(EngineAbsence::NoFiles, WhyEngineUnavailable(IE_8));
        EXPECT_EQ(kIe55Offered ? EngineAbsence::NoFiles : EngineAbsence::NoBuildForArchitecture,
                  WhyEngineUnavailable(IE_55));
        EXPECT_EQ(EngineAbsence::None, WhyEngineUnavailable(IE_DEFAULT));
    }
    for (const std::wstring& path : EnginePaths(L"other-processor", IE_7))
        ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

TEST(EngineInstall, OnlyTheFirstInstallAndTheLastRemovalAct) {
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(StandInFolder(L"full").c_str()));
    InstallEngineHooks(false);
    HMODULE ie8Mshtml = EngineTable[IE_8].hMshtml;
    InstallEngineHooks(true);
    EXPECT_FALSE(EngineFiltersDisabled()) << "the second call's argument is ignored";
    EXPECT_EQ(ie8Mshtml, EngineTable[IE_8].hMshtml) << "nothing is loaded again";
    RemoveEngineHooks();
    EXPECT_TRUE(IsEngineAvailable(IE_8));
    EXPECT_EQ(L"8shtml.dll", ProbeOnThread(IE_8, ie8Mshtml, L"LoadLibraryA mshtml.dll").at(L"file"));
    RemoveEngineHooks();
    EXPECT_FALSE(IsEngineAvailable(IE_8));
    EXPECT_FALSE(IsEngineAvailable(IE_DEFAULT));
    RemoveEngineHooks(); // one too many: must not keep the next install from acting

    InstallEngineHooks(true);
    EXPECT_TRUE(IsEngineAvailable(IE_8));
    EXPECT_TRUE(EngineFiltersDisabled());
    const ProbeReport report = ProbeOnThread(IE_8, EngineTable[IE_8].hMshtml,
                                             L"CoCreateInstance {D1FE6762-FC48-11D0-883A-3C8B00C10000}");
    EXPECT_NE(L"8xtrans.dll", report.at(L"module")) << "filters disabled at install";
    RemoveEngineHooks();
    ::SetCurrentDirectoryW(previous);
}

struct SystemFunction {
    const wchar_t* module;
    const char* name;
};
const SystemFunction kTwelve[] = {
    {L"ole32.dll", "CoCreateInstance"}, {L"ole32.dll", "CoCreateInstanceEx"}, {L"ole32.dll", "CoGetClassObject"},
    {L"kernel32.dll", "LoadLibraryA"},  {L"kernel32.dll", "LoadLibraryW"},    {L"kernel32.dll", "FreeLibrary"},
    {L"advapi32.dll", "RegOpenKeyW"},   {L"advapi32.dll", "RegCloseKey"},     {L"advapi32.dll", "RegQueryValueExW"},
    {L"advapi32.dll", "RegQueryValueW"}, {L"ntdll.dll", "LdrGetDllHandle"},   {L"kernel32.dll", "CreateThread"},
};

TEST(EngineRemoval, RestoresEveryPatchedFunctionAndFreesEveryModule) {
    std::vector<void*> code;
    std::vector<std::vector<uint8_t>> before;
    for (const SystemFunction& f : kTwelve) {
        code.push_back(ResolveSystemFunction(f.module, f.name));
        ASSERT_NE(nullptr, code.back()) << f.name;
        const auto* bytes = static_cast<const uint8_t*>(code.back());
        before.emplace_back(bytes, bytes + 16);
    }
    std::vector<HMODULE> modules;
    {
        ScopedInstall install(L"full");
        for (size_t i = 0; i < code.size(); ++i)
            EXPECT_EQ(0xE9, *static_cast<const uint8_t*>(code[i])) << kTwelve[i].name << " is patched";
        for (const EngineRecord& record : EngineTable)
            for (int slot = 0; slot < kModuleSlotCount; ++slot)
                if (HMODULE module = ModuleAt(record, static_cast<ModuleSlot>(slot)); module && record.isSystem == 0)
                    modules.push_back(module);
        ASSERT_EQ(kEngineVersions.size() * 11 - 4, modules.size()) << "IE 6 has no filter modules";
    }
    for (size_t i = 0; i < code.size(); ++i) {
        const auto* bytes = static_cast<const uint8_t*>(code[i]);
        EXPECT_EQ(before[i], std::vector<uint8_t>(bytes, bytes + 16)) << kTwelve[i].name;
    }
    for (HMODULE module : modules)
        EXPECT_FALSE(IsLoadedAt(module)) << HandleText(module);
    EXPECT_EQ(nullptr, InternetOptionsModule());
    for (const EngineRecord& record : EngineTable)
        EXPECT_TRUE(RecordIsEmpty(record));
    RunOnThread(IE_7, [] { EXPECT_EQ(nullptr, GetCurrentEngine()) << "the tag stays, but names no engine"; });
}

// kernel32's and advapi32's exports may be stubs that forward to the implementing module; callers of either
// must be caught.
TEST(EngineInstall, CatchesCallersOfTheDocumentedAndTheImplementingModule) {
    ScopedInstall install(L"full");
    using LoadLibraryAFn = HMODULE(WINAPI*)(LPCSTR);
    std::vector<LoadLibraryAFn> entries;
    for (const wchar_t* module : {L"kernel32.dll", L"kernelbase.dll"})
        if (HMODULE handle = ::GetModuleHandleW(module))
            entries.push_back(reinterpret_cast<LoadLibraryAFn>(
                reinterpret_cast<void*>(::GetProcAddress(handle, "LoadLibraryA"))));
    ASSERT_FALSE(entries.empty());
    RunOnThread(IE_6, [&] {
        for (LoadLibraryAFn entry : entries)
            EXPECT_EQ(EngineTable[IE_6].hUrlmon, entry("urlmon.dll"));
    });
}

// ------------------------------------------------------------------------------------------------------------
// Thread tags

TEST(ThreadTags, AreSetForTheCallerReadAndForgotten) {
    ScopedInstall install(L"no-optional");
    RunOnThread(std::nullopt, [] {
        EXPECT_EQ(nullptr, GetCurrentEngine());
        EXPECT_TRUE(ForgetCurrentThread()) << "no tag to forget";
        EXPECT_TRUE(SetThreadEngine(0, IE_7));
        ASSERT_NE(nullptr, GetCurrentEngine());
        EXPECT_EQ(IE_7, GetCurrentEngine()->version);
        EXPECT_TRUE(SetThreadEngine(::GetCurrentThreadId(), IE_DEFAULT)) << "a later tag overwrites";
        EXPECT_EQ(&EngineTable[IE_DEFAULT], GetCurrentEngine());
        EXPECT_TRUE(SetThreadEngine(0, IE_5));
        EXPECT_EQ(nullptr, GetCurrentEngine()) << "a version that is not available counts as none";
        EXPECT_TRUE(ForgetCurrentThread());
        EXPECT_EQ(nullptr, GetCurrentEngine());
    });
}

struct ChildSeen {
    std::atomic<int> version{-1};
};

DWORD WINAPI RecordChildEngine(void* parameter) {
    const EngineRecord* record = GetCurrentEngine();
    static_cast<ChildSeen*>(parameter)->version = record ? record->version : -2;
    return 0;
}

// Creates a thread the way the caller asks and returns the version its first instruction saw (-2: none).
int ChildVersion(DWORD flags, bool wantId, DWORD* childId = nullptr) {
    ChildSeen seen;
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, RecordChildEngine, &seen, flags, wantId ? &id : nullptr);
    if (thread == nullptr)
        return -3;
    if (flags & CREATE_SUSPENDED) {
        ::Sleep(1);
        if (seen.version != -1 || ::ResumeThread(thread) != 1)
            return -4; // ran while it should have been suspended
    }
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    if (wantId && id == 0)
        return -5;
    if (childId != nullptr)
        *childId = id;
    return seen.version;
}

TEST(ThreadTags, PassToCreatedThreadsBeforeTheirFirstInstruction) {
    ScopedInstall install(L"full");
    RunOnThread(IE_8, [] {
        for (int i = 0; i < 200; ++i)
            ASSERT_EQ(IE_8, ChildVersion(0, i % 2 == 0)) << i;
        EXPECT_EQ(IE_8, ChildVersion(CREATE_SUSPENDED, true)) << "suspended, and still so when returned";
        EXPECT_EQ(IE_8, ChildVersion(CREATE_SUSPENDED, false));
        std::atomic<int> seen{-1};
        std::thread([&] { seen = GetCurrentEngine() ? GetCurrentEngine()->version : -2; }).join();
        EXPECT_EQ(IE_8, seen.load()) << "std::thread starts through CreateThread";
    });
    RunOnThread(IE_DEFAULT, [] { EXPECT_EQ(IE_DEFAULT, ChildVersion(0, true)); });
    RunOnThread(std::nullopt, [] {
        EXPECT_EQ(-2, ChildVersion(0, true)) << "an untagged thread's children stay untagged";
        EXPECT_EQ(-2, ChildVersion(CREATE_SUSPENDED, false));
    });
}

DWORD WINAPI TagItselfAndWait(void* event) {
    SetThreadEngine(0, IE_7);
    ::WaitForSingleObject(event, INFINITE);
    return 0;
}

// The system hands a dead thread's id to the next thread at once; a tag must not outlive its thread. Whether it
// did is read from the map itself, whoever gets the id next.
TEST(ThreadTags, EndWithTheirThread) {
    ScopedInstall install(L"full");
    UniqueHandle self(::CreateThread(nullptr, 0, TagItselfAndEnd, nullptr, 0, nullptr));
    ASSERT_TRUE(self);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(self.get(), 10000));
    EXPECT_FALSE(HoldsThreadTag(::GetThreadId(self.get()))) << "tagged by itself";

    std::vector<DWORD> children;
    RunOnThread(IE_7, [&] {
        for (int i = 0; i < 20; ++i) {
            DWORD id = 0;
            ASSERT_EQ(IE_7, ChildVersion(0, true, &id));
            children.push_back(id);
        }
    });
    for (DWORD id : children)
        EXPECT_FALSE(HoldsThreadTag(id)) << "tagged by creation, thread id " << id;
}

// A terminated thread runs no thread-exit callback: its tag stays until the program forgets it, and is not
// trusted meanwhile once the thread is gone.
TEST(ThreadTags, OfTerminatedThreadsAreForgottenOrNotTrusted) {
    UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    for (bool forget : {true, false}) {
        SCOPED_TRACE(forget ? "forgotten" : "left behind");
        UniqueHandle thread(::CreateThread(nullptr, 0, TagItselfAndWait, release.get(), 0, nullptr));
        ASSERT_TRUE(thread);
        const DWORD id = ::GetThreadId(thread.get());
        IEVERSION version = IE_DEFAULT;
        while (!HoldsThreadTag(id))
            ::Sleep(1);
        ASSERT_TRUE(GetThreadEngine(id, &version));
        EXPECT_EQ(IE_7, version);
        ASSERT_TRUE(::TerminateThread(thread.get(), 1));
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 10000));
        EXPECT_TRUE(HoldsThreadTag(id)) << "no thread-exit callback ran";
        if (forget) {
            EXPECT_TRUE(ForgetThread(id));
        } else {
            thread.reset(); // the id is free now, or already another thread's
            EXPECT_FALSE(GetThreadEngine(id, &version));
        }
        EXPECT_FALSE(HoldsThreadTag(id));
    }
    EXPECT_TRUE(ForgetThread(::GetCurrentThreadId())) << "no tag to forget";
}

TEST(ThreadTags, PassToThreadsThatEngineCodeCreates) {
    ScopedInstall install(L"full");
    HMODULE mshtml = EngineTable[IE_7].hMshtml;
    for (const wchar_t* how : {L"CreateThread ", L"CreateThread suspended ", L"CreateThread suspended noid "}) {
        const ProbeReport report = ProbeOnThread(IE_7, mshtml, std::wstring(how) + L"LoadLibraryA urlmon.dll");
        EXPECT_EQ(L"done", report.at(L"wait")) << how;
        EXPECT_EQ(L"7rlmon.dll", report.at(L"child.file")) << how;
        if (std::wstring(how).find(L"suspended") != std::wstring::npos) {
            EXPECT_EQ(L"1", report.at(L"suspendCount")) << how;
        }
    }
    const ProbeReport untagged = ProbeOnThread(std::nullopt, mshtml, L"CreateThread LoadLibraryA urlmon.dll");
    EXPECT_EQ(HandleText(EngineTable[IE_DEFAULT].hUrlmon), untagged.at(L"child.handle"));
}

TEST(ThreadTags, TwoVersionsAtOnceEachSeeTheirOwnModules) {
    ScopedInstall install(L"full");
    std::atomic<int> ready{0};
    auto run = [&](IEVERSION version, std::vector<std::wstring>& files) {
        SetThreadEngine(0, version);
        ++ready;
        while (ready < 2)
            ::Sleep(0);
        for (int i = 0; i < 50; ++i)
            for (const wchar_t* name : {L"mshtml.dll", L"urlmon.dll", L"shdocvw.dll"})
                files.push_back(RunProbe(EngineTable[version].hBrowser, L"LoadLibraryA " + std::wstring(name)).at(L"file"));
        ForgetCurrentThread();
    };
    std::vector<std::wstring> six, eight;
    std::thread a(run, IE_6, std::ref(six)), b(run, IE_8, std::ref(eight));
    a.join();
    b.join();
    ASSERT_EQ(150u, six.size());
    ASSERT_EQ(150u, eight.size());
    const wchar_t* const expectSix[] = {L"6shtml.dll", L"6rlmon.dll", L"6hdocvw.dll"};
    const wchar_t* const expectEight[] = {L"8shtml.dll", L"8rlmon.dll", L"8eframe.dll"};
    for (size_t i = 0; i < six.size(); ++i) {
        ASSERT_EQ(expectSix[i % 3], six[i]) << i;
        ASSERT_EQ(expectEight[i % 3], eight[i]) << i;
    }
}

} // namespace
