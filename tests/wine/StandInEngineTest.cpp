// The stand-in engine itself, with no engine loader installed: the folders it is laid out in, what each copy
// serves through DllGetClassObject, and its probes, which on an untagged thread must see the system's
// modules, classes and registry.
#include "framework/Handles.h"
#include "standin/StandInTestSupport.h"
#include "standin/engine/ClassTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace movalent;
using namespace movalent::standin;
using namespace movalent::standin::testing;

namespace {

using DllGetClassObjectFn = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT(__stdcall*)();

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

UniqueModule LoadCopy(std::wstring_view folder, std::wstring_view file) {
    return UniqueModule(::LoadLibraryW(StandInFile(folder, file).c_str()));
}

CLSID ClassId(const wchar_t* text) {
    CLSID clsid = {};
    EXPECT_EQ(S_OK, ::IIDFromString(text, &clsid)) << text;
    return clsid;
}

std::wstring Text(const CLSID& clsid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(clsid, text, 40);
    return text;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(Lower(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// The class object and the object a copy makes for a class; the module path the object reports.
struct Creation {
    HRESULT getClassObject = E_FAIL;
    HRESULT createInstance = E_FAIL;
    std::wstring modulePath;
    CLSID reportedClass = {};
};

Creation CreateFrom(HMODULE copy, const CLSID& clsid) {
    Creation result;
    const auto getClassObject = Export<DllGetClassObjectFn>(copy, "DllGetClassObject");
    if (getClassObject == nullptr)
        return result;
    ComPtr<IClassFactory> factory;
    result.getClassObject = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(result.getClassObject)) {
        EXPECT_FALSE(factory) << "a refused class must leave no class object";
        factory.detach();
        return result;
    }
    ComPtr<IStandInObject> object;
    result.createInstance = factory->CreateInstance(nullptr, IID_IStandInObject, object.put_void());
    if (SUCCEEDED(result.createInstance)) {
        UniqueBstr path;
        EXPECT_EQ(S_OK, object->GetModulePath(path.put()));
        result.modulePath = path ? std::wstring(path.get(), ::SysStringLen(path.get())) : std::wstring{};
        EXPECT_EQ(S_OK, object->GetClassId(&result.reportedClass));
    }
    return result;
}

// Every engine file of the four versions, as the loader expects them.
const std::vector<std::wstring> kFullFolder = {
    L"5hdocvw.dll",  L"5shtml.dll",   L"5script.dll",  L"5rlmon.dll",  L"5ininet.dll", L"5shtmled.dll",
    L"5bscript.dll", L"5xtmsft.dll",  L"5xtrans.dll",  L"5mgutil.dll", L"5ngfilt.dll", L"5hdoclc.dll",
    L"6hdocvw.dll",  L"6shtml.dll",   L"6script.dll",  L"6rlmon.dll",  L"6ininet.dll", L"6shtmled.dll",
    L"6bscript.dll", L"6hdoclc.dll",  L"7eframe.dll",  L"7shtml.dll",  L"7script.dll", L"7rlmon.dll",
    L"7ininet.dll",  L"7shtmled.dll", L"7bscript.dll", L"7xtmsft.dll", L"7xtrans.dll", L"7mgutil.dll",
    L"7ngfilt.dll",  L"8eframe.dll",  L"8shtml.dll",   L"8script.dll", L"8rlmon.dll",  L"8ininet.dll",
    L"8shtmled.dll", L"8bscript.dll", L"8xtmsft.dll",  L"8xtrans.dll", L"8mgutil.dll", L"8ngfilt.dll",
};

EngineModule ModuleOfFile(const std::wstring& file) {
    return IdentifyEngineFile(file).module;
}

// ------------------------------------------------------------------------------------------------------------
// Folders

TEST(StandInFolders, HoldExactlyTheFilesOfTheirVariant) {
    const std::set<std::wstring> full(kFullFolder.begin(), kFullFolder.end());
    std::set<std::wstring> missing5rlmon = full;
    missing5rlmon.erase(L"5rlmon.dll");
    const std::set<std::wstring> required = {
        L"5hdocvw.dll", L"5shtml.dll", L"5script.dll", L"5rlmon.dll", L"5ininet.dll",
        L"6hdocvw.dll", L"6shtml.dll", L"6script.dll", L"6rlmon.dll", L"6ininet.dll",
        L"7eframe.dll", L"7shtml.dll", L"7script.dll", L"7rlmon.dll", L"7ininet.dll",
        L"8eframe.dll", L"8shtml.dll", L"8script.dll", L"8rlmon.dll", L"8ininet.dll",
    };
    const std::set<std::wstring> with6dx = {
        L"6hdocvw.dll",  L"6shtml.dll",  L"6script.dll", L"6rlmon.dll",  L"6ininet.dll", L"6shtmled.dll",
        L"6bscript.dll", L"6hdoclc.dll", L"6xtmsft.dll", L"6xtrans.dll", L"6mgutil.dll", L"6ngfilt.dll",
    };
    EXPECT_EQ(full, FilesIn(StandInFolder(L"full")));
    EXPECT_EQ(std::set<std::wstring>{}, FilesIn(StandInFolder(L"none")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(StandInFolder(L"none").c_str())) << "must exist";
    EXPECT_EQ(missing5rlmon, FilesIn(StandInFolder(L"missing-5rlmon")));
    EXPECT_EQ(required, FilesIn(StandInFolder(L"no-optional")));
    EXPECT_EQ(full, FilesIn(StandInFolder(L"browser-no-export-7")));
    EXPECT_EQ(with6dx, FilesIn(StandInFolder(L"with-6dx")));
}

TEST(StandInFolders, OnlyTheNamedBrowserModuleLacksTheClassObjectExport) {
    for (const std::wstring& file : kFullFolder) {
        UniqueModule copy = LoadCopy(L"browser-no-export-7", file);
        ASSERT_TRUE(copy) << file;
        const bool damaged = file == L"7eframe.dll";
        EXPECT_EQ(damaged, Export<DllGetClassObjectFn>(copy.get(), "DllGetClassObject") == nullptr) << file;
        EXPECT_NE(nullptr, Export<DllCanUnloadNowFn>(copy.get(), "DllCanUnloadNow")) << file;
        EXPECT_EQ(file.substr(0, 1), RunProbe(copy.get(), L"Self")[L"version"]) << file;
    }
    UniqueModule intact = LoadCopy(L"full", L"7eframe.dll");
    ASSERT_TRUE(intact);
    EXPECT_NE(nullptr, Export<DllGetClassObjectFn>(intact.get(), "DllGetClassObject"));
}

// ------------------------------------------------------------------------------------------------------------
// Identity

TEST(StandInIdentity, EveryCopyKnowsItselfFromItsFileName) {
    struct Expected {
        const wchar_t* file;
        const wchar_t* version;
        const wchar_t* module;
        const wchar_t* standardName;
    };
    const Expected cases[] = {
        {L"5hdocvw.dll", L"5", L"browser", L"shdocvw.dll"},
        {L"8eframe.dll", L"8", L"browser", L"ieframe.dll"},
        {L"6shtml.dll", L"6", L"mshtml", L"mshtml.dll"},
        {L"6shtmled.dll", L"6", L"mshtmled", L"mshtmled.dll"},
        {L"7script.dll", L"7", L"jscript", L"jscript.dll"},
        {L"7bscript.dll", L"7", L"vbscript", L"vbscript.dll"},
        {L"5rlmon.dll", L"5", L"urlmon", L"urlmon.dll"},
        {L"8ininet.dll", L"8", L"wininet", L"wininet.dll"},
        {L"5xtmsft.dll", L"5", L"dxtmsft", L"dxtmsft.dll"},
        {L"7xtrans.dll", L"7", L"dxtrans", L"dxtrans.dll"},
        {L"8mgutil.dll", L"8", L"imgutil", L"imgutil.dll"},
        {L"5ngfilt.dll", L"5", L"pngfilt", L"pngfilt.dll"},
        {L"6hdoclc.dll", L"6", L"shdoclc", L"shdoclc.dll"},
    };
    for (const Expected& expected : cases) {
        UniqueModule copy = LoadCopy(L"full", expected.file);
        ASSERT_TRUE(copy) << expected.file;
        ProbeReport self = RunProbe(copy.get(), L"Self");
        EXPECT_TRUE(SameFileName(expected.file, self[L"file"])) << self[L"file"];
        EXPECT_TRUE(SameFileName(StandInFile(L"full", expected.file), self[L"path"])) << self[L"path"];
        EXPECT_EQ(expected.version, self[L"version"]) << expected.file;
        EXPECT_EQ(expected.module, self[L"module"]) << expected.file;
        EXPECT_EQ(expected.standardName, self[L"standardName"]) << expected.file;
    }
}

TEST(StandInIdentity, TheBuildOutputUnderItsOwnNameIsNoEngineModuleAndServesNothing) {
    UniqueModule raw(::LoadLibraryW((StandInRoot() + L"\\builds\\standin_engine.dll").c_str()));
    ASSERT_TRUE(raw);
    ProbeReport self = RunProbe(raw.get(), L"Self");
    EXPECT_EQ(L"?", self[L"version"]);
    EXPECT_EQ(L"unknown", self[L"module"]);
    EXPECT_EQ(L"", self[L"standardName"]);
    for (const ServedClass& served : kServedClasses)
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, CreateFrom(raw.get(), served.clsid).getClassObject);
}

TEST(StandInIdentity, NameRulesIgnoreFolderAndAsciiCaseButNeedAVersionDigit) {
    EXPECT_EQ(EngineModule::Mshtml, IdentifyEngineFile(L"C:\\Program Files\\Movalent\\7SHTML.DLL").module);
    EXPECT_EQ(L'7', IdentifyEngineFile(L"C:/x/7SHTML.DLL").versionLetter);
    EXPECT_EQ(EngineModule::Mshtmled, IdentifyEngineFile(L"7shtmled.dll").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"mshtml.dll").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"4shtml.dll").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"9shtml.dll").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"7shtml.dll.bak").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"7").module);
    EXPECT_EQ(EngineModule::Unknown, IdentifyEngineFile(L"").module);
    EXPECT_EQ(0, IdentifyEngineFile(L"C:\\7shtml.dll\\x.dll").versionLetter);
}

// ------------------------------------------------------------------------------------------------------------
// Classes

// Every copy of every version serves exactly its own module's classes, and its objects name it.
TEST(StandInClasses, EachCopyServesItsModulesClassesAndRefusesAllOthers) {
    for (const std::wstring& file : kFullFolder) {
        UniqueModule copy = LoadCopy(L"full", file);
        ASSERT_TRUE(copy) << file;
        const EngineModule own = ModuleOfFile(file);
        for (const ServedClass& served : kServedClasses) {
            const Creation made = CreateFrom(copy.get(), served.clsid);
            if (served.module == own) {
                ASSERT_EQ(S_OK, made.getClassObject) << file << " " << Text(served.clsid);
                ASSERT_EQ(S_OK, made.createInstance) << file << " " << Text(served.clsid);
                EXPECT_TRUE(SameFileName(StandInFile(L"full", file), made.modulePath)) << made.modulePath;
                EXPECT_TRUE(IsEqualCLSID(served.clsid, made.reportedClass)) << file;
            } else {
                EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, made.getClassObject)
                    << file << " " << Text(served.clsid);
            }
        }
    }
}

// Written out independently of the fixture's own table: the classes the loader's tests lean on most.
TEST(StandInClasses, KnownClassesComeFromTheirModules) {
    struct Case {
        const wchar_t* file;
        const wchar_t* clsid;
        bool served;
    };
    const Case cases[] = {
        {L"7eframe.dll", L"{8856F961-340A-11D0-A96B-00C04FD705A2}", true}, // WebBrowser
        {L"5hdocvw.dll", L"{8856F961-340A-11D0-A96B-00C04FD705A2}", true},
        {L"7shtml.dll", L"{8856F961-340A-11D0-A96B-00C04FD705A2}", false},
        {L"6shtml.dll", L"{25336920-03F9-11CF-8FD0-00AA00686F13}", true}, // HTMLDocument
        {L"6shtml.dll", L"{3050F3C2-98B5-11CF-BB82-00AA00BDCE0B}", true},
        {L"5shtmled.dll", L"{3050F4F5-98B5-11CF-BB82-00AA00BDCE0B}", true}, // the editor's, not mshtml's
        {L"5shtml.dll", L"{3050F4F5-98B5-11CF-BB82-00AA00BDCE0B}", false},
        {L"8script.dll", L"{F414C260-6AC0-11CF-B6D1-00AA00BBBB58}", true}, // JScript
        {L"8script.dll", L"{F414C261-6AC0-11CF-B6D1-00AA00BBBB58}", true},
        {L"6bscript.dll", L"{B54F3741-5B07-11CF-A4B0-00AA004A55E8}", true}, // VBScript
        {L"7rlmon.dll", L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}", true},   // InternetSecurityManager
        {L"7rlmon.dll", L"{79EAC9E5-BAF9-11CE-8C82-00AA004BA90B}", true},
        {L"8xtrans.dll", L"{D1FE6762-FC48-11D0-883A-3C8B00C10000}", true},
        {L"8xtmsft.dll", L"{D1FE6762-FC48-11D0-883A-3C8B00C10000}", false},
        {L"7xtmsft.dll", L"{ADC6CB82-424C-11D2-952A-00C04FA34F05}", true},
        {L"5mgutil.dll", L"{6A01FDA0-30DF-11D0-B724-00AA006C1A01}", true},
        {L"5ngfilt.dll", L"{A3CCEDF7-2DE2-11D0-86F4-00A0C913F750}", true},
        {L"8ininet.dll", L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}", false}, // wininet serves nothing
        {L"5hdoclc.dll", L"{8856F961-340A-11D0-A96B-00C04FD705A2}", false}, // resources only
        {L"7eframe.dll", L"{00000000-0000-0000-0000-000000000000}", false},
    };
    for (const Case& c : cases) {
        UniqueModule copy = LoadCopy(L"full", c.file);
        ASSERT_TRUE(copy) << c.file;
        const Creation made = CreateFrom(copy.get(), ClassId(c.clsid));
        if (c.served) {
            EXPECT_EQ(S_OK, made.createInstance) << c.file << " " << c.clsid;
            EXPECT_TRUE(SameFileName(
                c.file, std::wstring_view(made.modulePath).substr(made.modulePath.find_last_of(L'\\') + 1)))
                << made.modulePath;
        } else {
            EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, made.getClassObject) << c.file << " " << c.clsid;
        }
    }
}

// The loader decides on the first three fields; the copy must then serve what it was sent, under the id
// asked.
TEST(StandInClasses, AClassDifferingOnlyInItsLastEightBytesIsServedUnderTheIdAsked) {
    UniqueModule mshtml = LoadCopy(L"full", L"8shtml.dll");
    ASSERT_TRUE(mshtml);
    const CLSID asked = ClassId(L"{25336920-03F9-11CF-0123-456789ABCDEF}");
    const Creation made = CreateFrom(mshtml.get(), asked);
    ASSERT_EQ(S_OK, made.createInstance);
    EXPECT_TRUE(IsEqualCLSID(asked, made.reportedClass)) << Text(made.reportedClass);

    const Creation otherThirdField =
        CreateFrom(mshtml.get(), ClassId(L"{25336920-03F9-11D0-8FD0-00AA00686F13}"));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, otherThirdField.getClassObject);
}

TEST(StandInClasses, ClassObjectsFollowTheComRules) {
    UniqueModule copy = LoadCopy(L"full", L"6rlmon.dll");
    ASSERT_TRUE(copy);
    const auto getClassObject = Export<DllGetClassObjectFn>(copy.get(), "DllGetClassObject");
    const auto canUnloadNow = Export<DllCanUnloadNowFn>(copy.get(), "DllCanUnloadNow");
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_NE(nullptr, canUnloadNow);
    const CLSID manager = ClassId(L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}");

    EXPECT_EQ(E_POINTER, getClassObject(manager, IID_IClassFactory, nullptr));
    void* wrong = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, getClassObject(manager, IID_IStandInObject, &wrong));
    EXPECT_EQ(nullptr, wrong);
    EXPECT_EQ(S_OK, canUnloadNow());

    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, getClassObject(manager, IID_IUnknown, unknown.put_void()));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, unknown.As(factory));
    unknown.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a live class object keeps the module";

    ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outer.put_void()));
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(outer.get(), IID_IUnknown, aggregated.put_void()));
    EXPECT_FALSE(aggregated);
    ComPtr<IClassFactory> notAnObjectInterface;
    EXPECT_EQ(E_NOINTERFACE,
              factory->CreateInstance(nullptr, IID_IClassFactory, notAnObjectInterface.put_void()));

    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    outer.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a server lock keeps the module";
    ASSERT_EQ(S_OK, getClassObject(manager, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    ComPtr<IStandInObject> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IStandInObject, object.put_void()));
    factory.reset();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a live object keeps the module";
    object.reset();
    EXPECT_EQ(S_OK, canUnloadNow());
}

// ------------------------------------------------------------------------------------------------------------
// Probes on an untagged thread: with no loader, engine code must see the system.

class StandInProbes : public ::testing::Test {
protected:
    void SetUp() override {
        copy_ = LoadCopy(L"full", L"7shtml.dll");
        ASSERT_TRUE(copy_);
    }
    ProbeReport Probe(const std::wstring& what) { return RunProbe(copy_.get(), what); }

    static bool InSystemFolder(const std::wstring& path) {
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        return Lower(path).rfind(Lower(system) + L"\\", 0) == 0;
    }

    UniqueModule copy_;
};

TEST_F(StandInProbes, SiblingsByStandardNameAreTheSystemsModules) {
    for (const wchar_t* probe : {L"LoadLibraryA", L"LoadLibraryW"}) {
        for (const wchar_t* name : {L"urlmon.dll", L"wininet.dll", L"jscript.dll", L"URLMON.DLL"}) {
            ProbeReport report = Probe(std::wstring(probe) + L" " + name);
            EXPECT_TRUE(SameFileName(name, report[L"file"]))
                << probe << " " << name << ": " << report[L"file"];
            EXPECT_TRUE(InSystemFolder(report[L"path"])) << report[L"path"];
            EXPECT_NE(L"0x00000000", report[L"handle"]);
            EXPECT_EQ(L"1", report[L"free"]);
            EXPECT_EQ(0u, report.count(L"error"));
        }
    }
}

TEST_F(StandInProbes, LoadingReportsFailureAndWhetherTheModuleOutlivedTheFree) {
    ProbeReport missing = Probe(L"LoadLibraryW nosuchmodule-standin.dll");
    EXPECT_EQ(L"0x00000000", missing[L"handle"]);
    EXPECT_EQ(L"", missing[L"file"]);
    EXPECT_EQ(std::to_wstring(ERROR_MOD_NOT_FOUND), missing[L"error"]);
    EXPECT_EQ(0u, missing.count(L"free"));

    // Loaded by nobody else: the probe's own free unloads it.
    ProbeReport once = Probe(L"LoadLibraryW " + StandInFile(L"with-6dx", L"6xtmsft.dll"));
    EXPECT_EQ(L"6xtmsft.dll", Lower(once[L"file"]));
    EXPECT_EQ(L"1", once[L"free"]);
    EXPECT_EQ(L"no", once[L"stillLoaded"]);

    ProbeReport kept = Probe(L"LoadLibraryA kernel32.dll");
    EXPECT_EQ(L"1", kept[L"free"]);
    EXPECT_EQ(L"yes", kept[L"stillLoaded"]);
}

TEST_F(StandInProbes, HandleLookupsFindLoadedModulesByName) {
    UniqueModule urlmon(::LoadLibraryW(L"urlmon.dll"));
    ASSERT_TRUE(urlmon);
    wchar_t expected[16];
    std::swprintf(expected, 16, L"0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(urlmon.get())));

    ProbeReport byKernel = Probe(L"GetModuleHandleW urlmon.dll");
    EXPECT_EQ(expected, byKernel[L"handle"]);
    EXPECT_TRUE(InSystemFolder(byKernel[L"path"])) << byKernel[L"path"];

    ProbeReport byNtdll = Probe(L"LdrGetDllHandle urlmon.dll");
    EXPECT_EQ(L"0x00000000", byNtdll[L"status"]);
    EXPECT_EQ(expected, byNtdll[L"handle"]);

    ProbeReport standIn = Probe(L"GetModuleHandleW 7shtml.dll");
    EXPECT_TRUE(SameFileName(StandInFile(L"full", L"7shtml.dll"), standIn[L"path"])) << standIn[L"path"];

    ProbeReport absent = Probe(L"GetModuleHandleW nosuchmodule-standin.dll");
    EXPECT_EQ(L"0x00000000", absent[L"handle"]);
    EXPECT_EQ(std::to_wstring(ERROR_MOD_NOT_FOUND), absent[L"error"]);

    ProbeReport absentNt = Probe(L"LdrGetDllHandle nosuchmodule-standin.dll");
    EXPECT_NE(L"0x00000000", absentNt[L"status"]);
    EXPECT_EQ(L"0x00000000", absentNt[L"handle"]);
}

TEST_F(StandInProbes, ClassesComeFromTheSystem) {
    for (const wchar_t* probe : {L"CoCreateInstance", L"CoGetClassObject"}) {
        for (const wchar_t* clsid : {L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}",    // InternetSecurityManager
                                     L"{F414C260-6AC0-11CF-B6D1-00AA00BBBB58}"}) { // JScript
            ProbeReport report = Probe(std::wstring(probe) + L" " + clsid);
            EXPECT_EQ(L"0x00000000", report[L"hr"]) << probe << " " << clsid;
            EXPECT_EQ(L"system", report[L"module"]) << probe << " " << clsid;
        }
    }
    ProbeReport created = Probe(L"CoGetClassObject {7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}");
    EXPECT_EQ(L"0x00000000", created[L"createHr"]);

    // Served by the stand-in, but registered nowhere: without the loader nobody makes it.
    ProbeReport unregistered = Probe(L"CoCreateInstance {7057E952-BD1B-11D1-8919-00C04FC2C836}");
    EXPECT_EQ(L"0x80040154", unregistered[L"hr"]); // REGDB_E_CLASSNOTREG
    EXPECT_EQ(L"none", unregistered[L"module"]);

    EXPECT_EQ(L"bad class id", Probe(L"CoCreateInstance WebBrowser")[L"error"]);
}

// A thread already in the multithreaded apartment keeps it: the probe must not fail or leave it.
TEST_F(StandInProbes, ClassProbesWorkInWhateverApartmentTheThreadIsIn) {
    ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ProbeReport report = Probe(L"CoCreateInstance {7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}");
    EXPECT_EQ(L"0x00000000", report[L"hr"]);
    EXPECT_EQ(L"system", report[L"module"]);
    EXPECT_EQ(S_FALSE, ::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) << "still in the same apartment";
    ::CoUninitialize();
    ::CoUninitialize();
}

class StandInRegistryProbes : public StandInProbes {
protected:
    static constexpr const wchar_t* kTestRoot = L"Software\\MovalentStandInTest";

    void SetUp() override {
        StandInProbes::SetUp();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }

    static void MakeKey(const std::wstring& path, const wchar_t* defaultValue = nullptr) {
        UniqueKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegCreateKeyW(HKEY_CURRENT_USER, (std::wstring(kTestRoot) + path).c_str(), key.put()));
        if (defaultValue == nullptr)
            return;
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultValue),
                                   static_cast<DWORD>((wcslen(defaultValue) + 1) * sizeof(wchar_t))));
    }
};

TEST_F(StandInRegistryProbes, KeysAreReportedVisibleOrMissing) {
    MakeKey(L"\\Version Vector");
    ProbeReport visible = Probe(L"RegOpenKeyW HKCU\\Software\\MovalentStandInTest\\Version Vector");
    EXPECT_EQ(L"0", visible[L"error"]);
    EXPECT_EQ(L"visible", visible[L"state"]);
    EXPECT_NE(L"0x00000000", visible[L"key"]);
    EXPECT_EQ(L"0", visible[L"close"]);

    ProbeReport missing = Probe(L"RegOpenKeyW HKCU\\Software\\MovalentStandInTest\\Nothing Here");
    EXPECT_EQ(L"2", missing[L"error"]);
    EXPECT_EQ(L"missing", missing[L"state"]);
    EXPECT_EQ(0u, missing.count(L"key"));

    // This prefix has no version vector key, so without the loader it is missing for plain reasons.
    EXPECT_EQ(L"missing",
              Probe(L"RegOpenKeyW HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector")[L"state"]);
    EXPECT_EQ(L"visible", Probe(L"RegOpenKeyW HKLM")[L"state"]) << "a null sub-key opens the root itself";
    EXPECT_EQ(L"bad root key", Probe(L"RegOpenKeyW HKXX\\Software")[L"error"]);
}

TEST_F(StandInRegistryProbes, TypeLibChainWalksDownToThePathAndClosesEveryLevel) {
    MakeKey(L"\\TypeLib\\{527A4DA4-7F2C-11D2-B12D-0000F81F5995}\\1.0\\0\\win32", L"C:\\standin\\engine.tlb");
    ProbeReport chain = Probe(L"TypeLibChain HKCU\\Software\\MovalentStandInTest\\TypeLib");
    for (const wchar_t* level : {L"parent", L"library", L"version", L"lcid", L"platform"}) {
        EXPECT_EQ(L"0", chain[std::wstring(level) + L".error"]) << level;
        EXPECT_NE(L"0x00000000", chain[std::wstring(level) + L".key"]) << level;
        EXPECT_EQ(L"0", chain[std::wstring(level) + L".close"]) << level;
    }
    EXPECT_EQ(L"0", chain[L"query.error"]);
    EXPECT_EQ(L"C:\\standin\\engine.tlb", chain[L"query.value"]);
}

TEST_F(StandInRegistryProbes, TypeLibChainStopsAtTheFirstMissingLevel) {
    MakeKey(L"\\TypeLib\\{527A4DA4-7F2C-11D2-B12D-0000F81F5995}\\1.0\\9\\win32");
    ProbeReport chain = Probe(L"TypeLibChain HKCU\\Software\\MovalentStandInTest\\TypeLib");
    EXPECT_EQ(L"0", chain[L"version.error"]);
    EXPECT_EQ(L"2", chain[L"lcid.error"]);
    EXPECT_EQ(0u, chain.count(L"lcid.key"));
    EXPECT_EQ(0u, chain.count(L"platform.error"));
    EXPECT_EQ(0u, chain.count(L"query.error"));
    EXPECT_EQ(0u, chain.count(L"lcid.close"));
    EXPECT_EQ(L"0", chain[L"version.close"]);
    EXPECT_EQ(L"0", chain[L"parent.close"]);

    // The system's own TypeLib key does not hold this library.
    ProbeReport system = Probe(L"TypeLibChain");
    EXPECT_EQ(L"0", system[L"parent.error"]);
    EXPECT_EQ(L"2", system[L"library.error"]);
}

TEST_F(StandInProbes, ChildThreadsRunTheirOwnProbeAndReportBack) {
    ProbeReport child = Probe(L"CreateThread LoadLibraryA urlmon.dll");
    EXPECT_EQ(L"created", child[L"thread"]);
    EXPECT_EQ(L"done", child[L"wait"]);
    EXPECT_NE(L"0", child[L"threadId"]);
    EXPECT_EQ(0u, child.count(L"suspendCount"));
    EXPECT_TRUE(SameFileName(L"urlmon.dll", child[L"child.file"])) << child[L"child.file"];
    EXPECT_TRUE(InSystemFolder(child[L"child.path"]));

    ProbeReport suspended = Probe(L"CreateThread suspended noid Self");
    EXPECT_EQ(L"1", suspended[L"suspendCount"]) << "created suspended, so the probe's resume finds count 1";
    EXPECT_EQ(0u, suspended.count(L"threadId"));
    EXPECT_EQ(L"mshtml", suspended[L"child.module"]);

    ProbeReport grandchild = Probe(L"CreateThread noid CreateThread Self");
    EXPECT_EQ(L"created", grandchild[L"child.thread"]);
    EXPECT_EQ(L"7", grandchild[L"child.child.version"]);
}

TEST_F(StandInProbes, ReportsKeepToTheirContract) {
    EXPECT_EQ(L"unknown probe", Probe(L"Nonsense")[L"error"]);
    EXPECT_EQ(L"unknown probe", Probe(L"")[L"error"]);

    const auto probe = reinterpret_cast<StandInProbeFn>(
        reinterpret_cast<void*>(::GetProcAddress(copy_.get(), kStandInProbeExport)));
    ASSERT_NE(nullptr, probe);
    EXPECT_EQ(-1, probe(nullptr, nullptr, 0));
    const int length = probe(L"Self", nullptr, 0);
    ASSERT_GT(length, 10);
    std::wstring whole(length + 1, L'#');
    EXPECT_EQ(length, probe(L"Self", whole.data(), length + 1));
    EXPECT_EQ(L'\0', whole[length]);
    EXPECT_EQ(L'\n', whole[length - 1]);
    wchar_t cut[6];
    std::fill(std::begin(cut), std::end(cut), L'#');
    EXPECT_EQ(length, probe(L"Self", cut, 5));
    EXPECT_EQ(std::wstring(whole.data(), 4), std::wstring(cut));
    EXPECT_EQ(L'#', cut[5]) << "nothing written past the buffer";

    // The same probe through an object that the copy made.
    const Creation made = CreateFrom(copy_.get(), ClassId(L"{25336920-03F9-11CF-8FD0-00AA00686F13}"));
    ASSERT_EQ(S_OK, made.createInstance);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK,
              Export<DllGetClassObjectFn>(copy_.get(), "DllGetClassObject")(
                  ClassId(L"{25336920-03F9-11CF-8FD0-00AA00686F13}"), IID_IClassFactory, factory.put_void()));
    ComPtr<IStandInObject> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IStandInObject, object.put_void()));
    UniqueBstr report;
    ASSERT_EQ(S_OK, object->Probe(L"Self", report.put()));
    EXPECT_EQ(std::wstring(whole.data(), length), std::wstring(report.get(), ::SysStringLen(report.get())));
    EXPECT_EQ(E_INVALIDARG, object->Probe(nullptr, report.put()));
}

} // namespace
