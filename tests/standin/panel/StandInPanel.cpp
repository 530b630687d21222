// A stand-in for the maker's developer-tools panel: an in-process COM server of the panel's class that a
// tab's container can create, initialise, show, hide and ask for the page source, and that tells a test what
// it was asked. Built three times (StandIn.cmake): the current panel; STANDIN_PANEL_TOO_OLD, an old release
// that lacks the panel interface; STANDIN_PANEL_INIT_FAILS, one whose Init fails.
//
// Its window (class "StandInFennimoxPanel", a child of the container) carries the report as its text, in the
// page report's "key=value" lines, readable from another process with InternalGetWindowText:
//   title        the title Init handed back
//   version      the engine version the container reported (IEVERSION number)
//   urlmon       file name of the urlmon module it was given, or "none"
//   browser      "yes" when Init got a browser that answers IWebBrowser2
//   mainWindow   "yes" when SetMainWindow got a window
//   run          number of Run calls
//   shown        1 or 0, the last ShowDW
//   viewSource   number of ViewSource calls; viewSource.which: the last argument
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include "devtools/FennimoxPanel.h"

#include <atomic>
#include <new>
#include <string>

namespace {

// The panel's published interface: the slot order is the contract.
using IStandInFennimoxPanel = movalent::IFennimoxPanel;
constexpr IID kIidPanel = movalent::IID_IFennimoxPanel;
constexpr CLSID kClsidPanel = movalent::CLSID_FennimoxPanel;
constexpr wchar_t kWindowClass[] = L"StandInFennimoxPanel";
constexpr wchar_t kTitle[] = L"Fennimox stand-in";

HINSTANCE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

class Panel final : public IDispatch, public IStandInFennimoxPanel, public IDockingWindow {
public:
    Panel() { ++g_objects; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch)
            *result = static_cast<IDispatch*>(this);
#ifndef STANDIN_PANEL_TOO_OLD
        else if (iid == kIidPanel)
            *result = static_cast<IStandInFennimoxPanel*>(this);
#endif
        else if (iid == IID_IOleWindow || iid == IID_IDockingWindow)
            *result = static_cast<IDockingWindow*>(this);
        else {
            *result = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: the panel offers no automation members.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // The panel's own interface
    HRESULT STDMETHODCALLTYPE Init(HWND container, IWebBrowser2* browser, int engineVersion,
                                   BSTR* title) override {
        if (title == nullptr)
            return E_POINTER;
        *title = nullptr;
#ifdef STANDIN_PANEL_INIT_FAILS
        (void)container;
        (void)browser;
        (void)engineVersion;
        return E_FAIL;
#else
        if (window_ != nullptr || !::IsWindow(container))
            return E_UNEXPECTED;
        IWebBrowser2* checked = nullptr;
        if (browser != nullptr &&
            SUCCEEDED(browser->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&checked))) &&
            checked != nullptr) {
            hasBrowser_ = true;
            checked->Release();
        }
        version_ = engineVersion;
        window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS, 0, 0, 10,
                                    10, container, nullptr, g_module, nullptr);
        if (window_ == nullptr)
            return HRESULT_FROM_WIN32(::GetLastError());
        *title = ::SysAllocString(kTitle);
        Report();
        return *title != nullptr ? S_OK : E_OUTOFMEMORY;
#endif
    }
    HRESULT STDMETHODCALLTYPE Reserved1() override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Reserved2() override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMainWindow(HWND mainWindow) override {
        hasMainWindow_ = mainWindow != nullptr && ::IsWindow(mainWindow);
        Report();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetUrlmonModule(HMODULE urlmon) override {
        urlmon_ = urlmon;
        Report();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        if (window_ != nullptr)
            ::DestroyWindow(window_);
        window_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run() override {
        ++runs_;
        Report();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ViewSource(LONG which) override {
        ++viewSource_;
        lastWhich_ = which;
        Report();
        return S_OK;
    }

    // IOleWindow, IDockingWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr)
            return E_POINTER;
        *window = window_;
        return window_ != nullptr ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowDW(BOOL show) override {
        shown_ = show != FALSE;
        if (window_ != nullptr)
            ::ShowWindow(window_, shown_ ? SW_SHOW : SW_HIDE);
        Report();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CloseDW(DWORD) override {
        return Close();
    }
    HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override {
        return S_OK;
    }

private:
    ~Panel() {
        Close();
        --g_objects;
    }

    void Report() const {
        if (window_ == nullptr)
            return;
        std::wstring urlmon = L"none";
        wchar_t path[MAX_PATH];
        if (urlmon_ != nullptr) {
            DWORD length = ::GetModuleFileNameW(urlmon_, path, MAX_PATH);
            std::wstring full(path, length < MAX_PATH ? length : 0);
            size_t slash = full.find_last_of(L"\\/");
            urlmon = slash == std::wstring::npos ? full : full.substr(slash + 1);
        }
        std::wstring text = std::wstring(L"title=") + kTitle + L"\nversion=" + std::to_wstring(version_) +
                            L"\nurlmon=" + urlmon + L"\nbrowser=" + (hasBrowser_ ? L"yes" : L"no") +
                            L"\nmainWindow=" + (hasMainWindow_ ? L"yes" : L"no") + L"\nrun=" +
                            std::to_wstring(runs_) + L"\nshown=" + (shown_ ? L"1" : L"0") + L"\nviewSource=" +
                            std::to_wstring(viewSource_) + L"\nviewSource.which=" +
                            std::to_wstring(lastWhich_) + L"\n";
        ::SetWindowTextW(window_, text.c_str());
    }

    std::atomic<ULONG> references_{1};
    HWND window_ = nullptr;
    int version_ = -1;
    HMODULE urlmon_ = nullptr;
    bool hasBrowser_ = false;
    bool hasMainWindow_ = false;
    bool shown_ = false;
    int runs_ = 0;
    int viewSource_ = 0;
    LONG lastWhich_ = 0;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *result = nullptr;
            return E_NOINTERFACE;
        }
        *result = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        *result = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* panel = new (std::nothrow) Panel;
        if (panel == nullptr)
            return E_OUTOFMEMORY;
        HRESULT hr = panel->QueryInterface(iid, result);
        panel->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        g_locks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory g_factory;

LRESULT CALLBACK PanelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = PanelWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kWindowClass;
        ::RegisterClassW(&windowClass);
    } else if (reason == DLL_PROCESS_DETACH) {
        ::UnregisterClassW(kWindowClass, instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT
    __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (clsid != kClsidPanel)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, result);
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}
