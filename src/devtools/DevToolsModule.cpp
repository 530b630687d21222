// The panel's in-process server: its class factory, and its registration for the current user.
#include "devtools/PanelObject.h"
#include "devtools/PanelTranslation.h"
#include "devtools/SourceWindow.h"
#include "framework/Handles.h"

#include <windows.h>

#include <new>
#include <string>

namespace {

HMODULE g_module = nullptr;

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}";
constexpr wchar_t kClassName[] = L"Movalent developer tools panel";

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *result = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // One static object: its references keep nothing alive.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result)
            *result = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        // Kept loaded once used: COM unloads an idle server when each browser thread ends, and loading it
        // again for every tab would start its runtime anew each time, which does not give back all it took.
        static const bool pinned = [] {
            HMODULE self = nullptr;
            return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                            GET_MODULE_HANDLE_EX_FLAG_PIN,
                                        reinterpret_cast<LPCWSTR>(&g_module), &self) != FALSE;
        }();
        (void)pinned;
        movalent::devtools::LoadPanelTranslation(g_module);
        return movalent::devtools::CreatePanelObject(iid, result);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        movalent::devtools::LockPanelModule(lock != FALSE);
        return S_OK;
    }
};

Factory g_factory;

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded while the process goes on: the classes would point into freed code.
        movalent::devtools::SourceWindow::UnregisterWindowClasses();
        movalent::devtools::PanelWindow::UnregisterWindowClass();
        movalent::devtools::ElementOutline::UnregisterWindowClass();
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (clsid != movalent::CLSID_FennimoxPanel)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, result);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return movalent::devtools::PanelModuleInUse() || movalent::devtools::SourceWindow::OpenWindowCount() > 0
               ? S_FALSE
               : S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = ModulePath();
    if (path.empty())
        return SELFREG_E_CLASS;
    movalent::UniqueKey classKey, serverKey;
    const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, classKey.put(),
                          nullptr) != ERROR_SUCCESS ||
        !SetString(classKey.get(), nullptr, kClassName) ||
        ::RegCreateKeyExW(HKEY_CURRENT_USER, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                          serverKey.put(), nullptr) != ERROR_SUCCESS ||
        !SetString(serverKey.get(), nullptr, path) ||
        !SetString(serverKey.get(), L"ThreadingModel", L"Apartment"))
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
