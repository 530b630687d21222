// What engine code sees on tagged and untagged threads: module lookups, COM activation and the registry, asked
// from inside the stand-in engine's modules. One install for the whole program (the replacements are
// process-wide), removed when it ends.
#include "EngineTestSupport.h"

#include <objbase.h>
#include <ocidl.h>
#include <winternl.h>

using namespace movalent;
using namespace movalent::testing;

namespace {

class InstalledEngines : public ::testing::Environment {
public:
    void SetUp() override { install_ = std::make_unique<ScopedInstall>(L"full"); }
    void TearDown() override { install_.reset(); }

private:
    std::unique_ptr<ScopedInstall> install_;
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new InstalledEngines);

HMODULE Mshtml(IEVERSION version) { return EngineTable[version].hMshtml; }

// The engine module a probe runs in: the thread's own version's mshtml, or IE 7's on a thread without one.
HMODULE ProbeModule(std::optional<IEVERSION> version) {
    return version && Mshtml(*version) != nullptr ? Mshtml(*version) : Mshtml(IE_7);
}

// The file name of the module a probe got, in lower case (the system spells names back as they were asked).
std::wstring FileAsked(std::optional<IEVERSION> version, const std::wstring& probe) {
    const ProbeReport report = ProbeOnThread(version, ProbeModule(version), probe);
    const auto it = report.find(L"file");
    if (it == report.end())
        return L"(no file in the report)";
    std::wstring file = it->second;
    for (wchar_t& c : file)
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    return file;
}

// ------------------------------------------------------------------------------------------------------------
// Module loading

TEST(ModuleRedirection, EngineThreadsGetTheirVersionsModulesByWholeName) {
    EXPECT_EQ(L"7shtml.dll", FileAsked(IE_7, L"LoadLibraryA MSHTML.DLL"));
    EXPECT_EQ(L"7rlmon.dll", FileAsked(IE_7, L"LoadLibraryA urlmon.dll"));
    EXPECT_EQ(L"8eframe.dll", FileAsked(IE_8, L"LoadLibraryA shdocvw.dll"));
    EXPECT_EQ(L"6hdocvw.dll", FileAsked(IE_6, L"LoadLibraryA ieframe.dll"));
    if (kIe55Offered) {
        EXPECT_EQ(L"5ininet.dll", FileAsked(IE_55, L"LoadLibraryA wininet.dll"));
    }
    EXPECT_EQ(L"6rlmon.dll", FileAsked(IE_6, L"LoadLibraryW UrlMon.dll"));
    EXPECT_EQ(L"8shtml.dll", FileAsked(IE_8, L"LoadLibraryW mshtml.dll"));
    // Not redirected: names with a path, jscript by name, the browser names through the wide entry.
    EXPECT_EQ(L"urlmon.dll", FileAsked(IE_7, L"LoadLibraryA C:\\windows\\system32\\urlmon.dll"));
    EXPECT_NE(L"7shtml.dll", FileAsked(IE_7, L"LoadLibraryA C:\\windows\\system32\\mshtml.dll"));
    EXPECT_EQ(L"jscript.dll", FileAsked(IE_7, L"LoadLibraryA jscript.dll"));
    EXPECT_EQ(L"ieframe.dll", FileAsked(IE_7, L"LoadLibraryW ieframe.dll"));
}

TEST(ModuleRedirection, RedirectedHandlesSurviveTheEnginesFreeLibrary) {
    const ProbeReport report = ProbeOnThread(IE_7, Mshtml(IE_7), L"LoadLibraryA urlmon.dll");
    EXPECT_EQ(L"1", report.at(L"free"));
    EXPECT_EQ(L"yes", report.at(L"stillLoaded"));
    RunOnThread(std::nullopt, [] {
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(::FreeLibrary(Mshtml(IE_8)));
        EXPECT_FALSE(::FreeLibrary(nullptr)) << "a null handle is no module, though it equals the empty slots";
    });
    EXPECT_TRUE(IsLoadedAt(Mshtml(IE_8)));
}

TEST(ModuleRedirection, OtherThreadsShareTheInstalledEnginesUrlmonAndWininet) {
    for (std::optional<IEVERSION> version : {std::optional<IEVERSION>(), std::optional<IEVERSION>(IE_DEFAULT)}) {
        const ProbeReport report = ProbeOnThread(version, Mshtml(IE_7), L"LoadLibraryA urlmon.dll");
        EXPECT_EQ(HandleText(EngineTable[IE_DEFAULT].hUrlmon), report.at(L"handle"));
        EXPECT_EQ(L"yes", report.at(L"stillLoaded"));
        EXPECT_EQ(HandleText(EngineTable[IE_DEFAULT].hWininet),
                  ProbeOnThread(version, Mshtml(IE_7), L"LoadLibraryW wininet.dll").at(L"handle"));
        EXPECT_NE(L"7shtml.dll", FileAsked(version, L"LoadLibraryA mshtml.dll"));
    }
}

TEST(ModuleRedirection, OnlyIE55AndIE6GetTheirOwnResourceModule) {
    if (kIe55Offered) {
        EXPECT_EQ(L"5hdoclc.dll", FileAsked(IE_55, L"LoadLibraryW C:\\windows\\system32\\shdoclc.dll"));
        EXPECT_EQ(L"shdoclc.dll", FileAsked(IE_55, L"LoadLibraryW SHDOCLC.DLL")) << "the substring test keeps case";
    }
    EXPECT_EQ(L"6hdoclc.dll", FileAsked(IE_6, L"LoadLibraryW shdoclc.dll"));
    EXPECT_EQ(L"shdoclc.dll", FileAsked(IE_7, L"LoadLibraryW shdoclc.dll"));
    EXPECT_EQ(L"shdoclc.dll", FileAsked(IE_8, L"LoadLibraryW shdoclc.dll"));
    EXPECT_EQ(L"shdoclc.dll", FileAsked(std::nullopt, L"LoadLibraryW shdoclc.dll"));
}

TEST(ModuleRedirection, LdrGetDllHandleStoresTheVersionsModuleFirst) {
    EXPECT_EQ(L"7shtml.dll", FileAsked(IE_7, L"LdrGetDllHandle mshtml"));
    EXPECT_EQ(L"7script.dll", FileAsked(IE_7, L"LdrGetDllHandle JSCRIPT.DLL"));
    if (kIe55Offered) {
        EXPECT_EQ(L"5bscript.dll", FileAsked(IE_55, L"LdrGetDllHandle vbscript"));
    }
    EXPECT_EQ(L"8eframe.dll", FileAsked(IE_8, L"LdrGetDllHandle shdocvw.dll"));
    EXPECT_EQ(L"", FileAsked(IE_8, L"LdrGetDllHandle dxtrans.dll")) << "no group for the filter modules";
    EXPECT_EQ(L"", FileAsked(std::nullopt, L"LdrGetDllHandle mshtml"));
    EXPECT_EQ(L"", FileAsked(IE_DEFAULT, L"LdrGetDllHandle mshtml"));
}

TEST(ModuleRedirection, LdrGetDllHandleReadsACountedNameWithinItsLength) {
    using LdrGetDllHandleFn = NTSTATUS(NTAPI*)(PWSTR, PULONG, PUNICODE_STRING, HMODULE*);
    const auto lookup = reinterpret_cast<LdrGetDllHandleFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrGetDllHandle")));
    ASSERT_NE(nullptr, lookup);
    RunOnThread(IE_7, [&] {
        auto ask = [&](const wchar_t* text, size_t chars) {
            std::wstring buffer(text);
            UNICODE_STRING name{static_cast<USHORT>(chars * 2), static_cast<USHORT>(buffer.size() * 2), buffer.data()};
            HMODULE module = nullptr;
            lookup(nullptr, nullptr, &name, &module);
            return module;
        };
        // The system's own lookup may read on to the terminator; the system mshtml is not loaded here, so
        // whatever the variable holds afterwards was stored by the redirection.
        EXPECT_EQ(Mshtml(IE_7), ask(L"mshtml.dllXYZ", 10)) << "no terminator after the counted characters";
        EXPECT_EQ(Mshtml(IE_7), ask(L"mshtmlX", 6));
        EXPECT_EQ(nullptr, ask(L"mshtml.dll", 8)) << "\"mshtml.d\" is no module name";
    });
}

// ------------------------------------------------------------------------------------------------------------
// COM activation

const wchar_t kWebBrowser[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const wchar_t kHtmlDocument[] = L"{25336920-03F9-11CF-8FD0-00AA00686F13}";
const wchar_t kTransform[] = L"{D1FE6762-FC48-11D0-883A-3C8B00C10000}";

std::wstring Maker(std::optional<IEVERSION> version, const std::wstring& how, const wchar_t* clsid) {
    return ProbeOnThread(version, ProbeModule(version), how + L" " + clsid).at(L"module");
}

TEST(ClassRedirection, TheBrowserClassObjectComesFromTheVersionsBrowserModule) {
    EXPECT_EQ(L"7eframe.dll", Maker(IE_7, L"CoGetClassObject", kWebBrowser));
    if (kIe55Offered) {
        EXPECT_EQ(L"5hdocvw.dll", Maker(IE_55, L"CoGetClassObject", kWebBrowser));
    }
    EXPECT_EQ(L"system", Maker(std::nullopt, L"CoGetClassObject", kWebBrowser));
    EXPECT_EQ(L"system", Maker(IE_DEFAULT, L"CoGetClassObject", kWebBrowser));
}

TEST(ClassRedirection, EachClassGoesToItsModule) {
    EXPECT_EQ(L"8shtml.dll", Maker(IE_8, L"CoCreateInstance", kHtmlDocument));
    EXPECT_EQ(L"6shtml.dll", Maker(IE_6, L"CoGetClassObject", kHtmlDocument));
    EXPECT_EQ(L"7shtml.dll", Maker(IE_7, L"CoCreateInstance", L"{25336920-03F9-11CF-0000-000000000000}"))
        << "only the first eight bytes count";
    if (kIe55Offered) {
        EXPECT_EQ(L"5script.dll", Maker(IE_55, L"CoCreateInstance", L"{F414C261-6AC0-11CF-B6D1-00AA00BBBB58}"));
        EXPECT_NE(L"5script.dll", Maker(IE_55, L"CoCreateInstance", L"{F414C261-6AC0-11CF-B6D1-00AA00BBBB59}"));
        EXPECT_NE(L"5script.dll", Maker(IE_55, L"CoGetClassObject", L"{F414C261-6AC0-11CF-B6D1-00AA00BBBB58}"));
    }
    EXPECT_EQ(L"6bscript.dll", Maker(IE_6, L"CoCreateInstance", L"{B54F3741-5B07-11CF-A4B0-00AA004A55E8}"));
    EXPECT_EQ(L"7shtmled.dll", Maker(IE_7, L"CoGetClassObject", L"{3050F4F5-98B5-11CF-BB82-00AA00BDCE0B}"));
    EXPECT_EQ(L"8rlmon.dll", Maker(IE_8, L"CoCreateInstance", L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}"));
    EXPECT_EQ(L"8rlmon.dll", Maker(IE_8, L"CoGetClassObject", L"{79EAC9E5-BAF9-11CE-8C82-00AA004BA90B}"));
    EXPECT_EQ(L"system", Maker(IE_DEFAULT, L"CoCreateInstance", L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}"));
}

HRESULT STDAPICALLTYPE FalseWithoutFactory(REFCLSID, REFIID, LPVOID* out) {
    *out = nullptr;
    return S_FALSE;
}

TEST(ClassRedirection, AModuleSuccessWithoutAnObjectIsNoSuccess) {
    GetClassObjectFn& entry = EngineTable[IE_8].getClassObject[static_cast<int>(ClassModule::Urlmon)];
    const GetClassObjectFn real = std::exchange(entry, &FalseWithoutFactory);
    RunOnThread(IE_8, [] {
        CLSID clsid;
        ::CLSIDFromString(L"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}", &clsid);
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
                  ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
        EXPECT_EQ(nullptr, object);
    });
    entry = real;
}

TEST(ClassRedirection, FilterClassesFollowTheVersionAndTheSwitch) {
    EXPECT_EQ(L"8xtrans.dll", Maker(IE_8, L"CoCreateInstance", kTransform));
    if (kIe55Offered) {
        EXPECT_EQ(L"5mgutil.dll", Maker(IE_55, L"CoCreateInstance", L"{6A01FDA0-30DF-11D0-B724-00AA006C1A01}"));
    }
    EXPECT_NE(L"6xtrans.dll", Maker(IE_6, L"CoCreateInstance", kTransform));
    EXPECT_NE(L"8xtrans.dll", Maker(IE_8, L"CoGetClassObject", kTransform)) << "no filter group there";
    SetEngineFiltersDisabled(true);
    const std::wstring switchedOff = Maker(IE_8, L"CoCreateInstance", kTransform);
    SetEngineFiltersDisabled(false);
    EXPECT_NE(L"8xtrans.dll", switchedOff);
}

// Asks on a tagged thread and says which stand-in copy (if any) made the object.
template <typename Ask> std::wstring MadeBy(IEVERSION version, Ask ask) {
    std::wstring maker = L"nothing";
    RunOnThread(version, [&] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IUnknown* object = nullptr;
        if (SUCCEEDED(ask(&object)) && object != nullptr) {
            IStandInObject* standIn = nullptr;
            maker = L"system";
            if (SUCCEEDED(object->QueryInterface(IID_IStandInObject, reinterpret_cast<void**>(&standIn)))) {
                BSTR path = nullptr;
                standIn->GetModulePath(&path);
                maker = path ? wcsrchr(path, L'\\') + 1 : L"?";
                ::SysFreeString(path);
                standIn->Release();
            }
            object->Release();
        }
        ::CoUninitialize();
    });
    return maker;
}

TEST(ClassRedirection, CoCreateInstanceExIsNeverRedirected) {
    CLSID document;
    ::CLSIDFromString(kHtmlDocument, &document);
    EXPECT_EQ(L"7shtml.dll", MadeBy(IE_7, [&](IUnknown** out) {
        return ::CoCreateInstance(document, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(out));
    }));
    EXPECT_NE(L"7shtml.dll", MadeBy(IE_7, [&](IUnknown** out) {
        MULTI_QI result{&IID_IUnknown, nullptr, S_OK};
        const HRESULT hr = ::CoCreateInstanceEx(document, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &result);
        *out = result.pItf;
        return hr;
    }));
}

TEST(ClassRedirection, AClassObjectAskedForAnotherInterfaceIsThatInterface) {
    CLSID browser;
    ::CLSIDFromString(kWebBrowser, &browser);
    RunOnThread(IE_7, [&] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IUnknown* unknown = nullptr;
        ASSERT_EQ(S_OK, ::CoGetClassObject(browser, CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown,
                                           reinterpret_cast<void**>(&unknown)));
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        if (factory)
            factory->Release();
        unknown->Release();
        // The stand-in's factory has no licensing interface: the answer must say so, not hand a plain factory.
        void* licensed = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, ::CoGetClassObject(browser, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory2, &licensed));
        EXPECT_EQ(nullptr, licensed);
        ::CoUninitialize();
    });
}

// ------------------------------------------------------------------------------------------------------------
// Registry

// A key of this test's own whose name ends in "\TypeLib" (the system's own spells it "Typelib" on some
// systems), holding the library's chain with a real value at its end.
class Registry : public ::testing::Test {
protected:
    static constexpr wchar_t kRoot[] = L"Software\\Ombrisk\\MovalentEngineRedirectionTest";
    static constexpr wchar_t kTypeLib[] = L"HKCU\\Software\\Ombrisk\\MovalentEngineRedirectionTest\\TypeLib";
    static constexpr wchar_t kVector[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";

    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(0, ::RegCreateKeyExW(HKEY_CURRENT_USER,
                                       (std::wstring(kRoot) + L"\\TypeLib\\{527A4DA4-7F2C-11D2-B12D-0000F81F5995}\\1.0\\0\\win32").c_str(),
                                       0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"real.tlb"), 18);
        ::RegCloseKey(key);
        // The version vector exists under every root, so that only the refusal can make it missing. What did
        // not exist before (from the outermost missing level down) is removed again.
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
            const std::wstring path = kVector;
            for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
                const std::wstring level = path.substr(0, end);
                HKEY existing = nullptr;
                if (::RegOpenKeyExW(root, level.c_str(), 0, KEY_READ, &existing) != ERROR_SUCCESS) {
                    created_.emplace_back(root, level);
                    break;
                }
                ::RegCloseKey(existing);
                if (end == std::wstring::npos)
                    break;
            }
            HKEY vector = nullptr;
            ASSERT_EQ(0, ::RegCreateKeyExW(root, kVector, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &vector, nullptr));
            ::RegCloseKey(vector);
        }
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        for (const auto& [root, level] : created_)
            ::RegDeleteTreeW(root, level.c_str());
    }
    ProbeReport Chain(std::optional<IEVERSION> version, const std::wstring& parent = kTypeLib) {
        return ProbeOnThread(version, ProbeModule(version), L"TypeLibChain " + parent);
    }
    std::vector<std::pair<HKEY, std::wstring>> created_;
};

TEST_F(Registry, TheVersionVectorIsMissingOnEveryThread) {
    for (std::optional<IEVERSION> version : {std::optional<IEVERSION>(), std::optional<IEVERSION>(IE_7)}) {
        const auto state = [&](const wchar_t* key) {
            return ProbeOnThread(version, ProbeModule(version), std::wstring(L"RegOpenKeyW ") + key).at(L"state");
        };
        EXPECT_EQ(L"missing", state(L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector"));
        EXPECT_EQ(L"missing", state(L"HKCU\\software\\microsoft\\internet explorer\\version vector"));
        EXPECT_EQ(L"visible", state(L"HKCR\\SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector"));
        EXPECT_EQ(L"visible", state(L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer"));
    }
}

TEST_F(Registry, AnIE55ThreadWalksTheTypeLibraryChainOnFakeHandles) {
    SKIP_WITHOUT_IE55();
    const ProbeReport report = Chain(IE_55);
    EXPECT_EQ(L"0x00000001", report.at(L"library.key"));
    EXPECT_EQ(L"0x00000002", report.at(L"version.key"));
    EXPECT_EQ(L"0x00000003", report.at(L"lcid.key"));
    EXPECT_EQ(L"0x00000004", report.at(L"platform.key"));
    // The query reaches the system with handle 4 unchanged; whatever the system makes of that value is its
    // answer (some systems number their own handles from 4).
    RunOnThread(std::nullopt, [&] {
        wchar_t value[64];
        LONG size = sizeof value;
        EXPECT_EQ(std::to_wstring(::RegQueryValueW(reinterpret_cast<HKEY>(4), nullptr, value, &size)),
                  report.at(L"query.error"));
    });
    for (const wchar_t* level : {L"platform.close", L"lcid.close", L"version.close", L"library.close", L"parent.close"})
        EXPECT_EQ(L"0", report.at(level)) << level;
    EXPECT_TRUE(std::all_of(std::begin(EngineTable[IE_55].typeLibKey), std::end(EngineTable[IE_55].typeLibKey),
                            [](uint32_t slot) { return slot == 0; }));
}

TEST_F(Registry, OtherThreadsReadTheRealChain) {
    for (std::optional<IEVERSION> version : {std::optional<IEVERSION>(), std::optional<IEVERSION>(IE_7)}) {
        const ProbeReport report = Chain(version);
        EXPECT_NE(L"0x00000001", report.at(L"library.key"));
        EXPECT_EQ(L"real.tlb", report.at(L"query.value"));
    }
    // The machine's own TypeLib key is stored as "Typelib" here: the ending test is case-sensitive.
    const ProbeReport system = Chain(IE_55, L"HKCR\\TypeLib");
    EXPECT_EQ(L"0", system.at(L"parent.error"));
    const auto library = system.find(L"library.key");
    EXPECT_TRUE(library == system.end() || library->second != L"0x00000001");
}

TEST_F(Registry, FakeLevelsOpenOnlyBelowTheOpenLevelAbove) {
    SKIP_WITHOUT_IE55();
    RunOnThread(IE_55, [] {
        HKEY key = nullptr;
        EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyW(reinterpret_cast<HKEY>(1), L"1.0", &key)) << "slot 1 not open";
        HKEY typeLib = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyW(HKEY_CURRENT_USER, (std::wstring(kRoot) + L"\\TypeLib").c_str(), &typeLib));
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyW(typeLib, L"{527a4da4-7f2c-11d2-b12d-0000f81f5995}", &key));
        EXPECT_EQ(reinterpret_cast<HKEY>(1), key);
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyW(key, L"1.0", &key));
        EXPECT_EQ(reinterpret_cast<HKEY>(2), key);
        EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyW(reinterpret_cast<HKEY>(2), L"win32", &key)) << "the lcid level is skipped";
        // Whatever key closes with a slot's value closes that fake level.
        EXPECT_EQ(ERROR_SUCCESS, ::RegCloseKey(reinterpret_cast<HKEY>(1)));
        EXPECT_EQ(0u, EngineTable[IE_55].typeLibKey[0]);
        EXPECT_EQ(ERROR_SUCCESS, ::RegCloseKey(reinterpret_cast<HKEY>(2)));
        EXPECT_NE(ERROR_SUCCESS, ::RegCloseKey(reinterpret_cast<HKEY>(2))) << "closed fake levels reach the system";
        ::RegCloseKey(typeLib);
    });
}

} // namespace
