#include "devtools/PanelObject.h"

#include "devtools/PanelTranslation.h"

#include <atomic>
#include <new>

namespace movalent::devtools {

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

class Panel final : public IDispatch, public IFennimoxPanel, public IDockingWindow {
public:
    Panel() { ++g_objects; }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    ~Panel() {
        window_.Destroy();
        --g_objects;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch)
            *result = static_cast<IDispatch*>(this);
        else if (iid == IID_IFennimoxPanel)
            *result = static_cast<IFennimoxPanel*>(this);
        else if (iid == IID_IDockingWindow || iid == IID_IOleWindow)
            *result = static_cast<IDockingWindow*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: no members.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // The panel interface
    HRESULT STDMETHODCALLTYPE Init(HWND container, IWebBrowser2* browser, int engineVersion,
                                   BSTR* title) override {
        if (title)
            *title = nullptr;
        if (!container || !browser || !::IsWindow(container))
            return E_INVALIDARG;
        if (window_.Handle())
            return E_UNEXPECTED;
        try {
            engineVersion_ = engineVersion;
            if (!window_.Create(container, browser))
                return E_FAIL;
            if (title) {
                const std::wstring text = Text(PanelText::Title);
                *title = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            }
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMainWindow(HWND mainWindow) override {
        window_.SetMainWindow(mainWindow);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetUrlmonModule(HMODULE urlmon) override {
        window_.SetUrlmon(urlmon);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        window_.Destroy();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run() override { return window_.Handle() ? S_OK : E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ViewSource(LONG) override {
        if (!window_.Handle())
            return E_UNEXPECTED;
        try {
            window_.ViewSource();
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }

    // IOleWindow / IDockingWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = window_.Handle();
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShowDW(BOOL show) override {
        try {
            window_.Show(show != FALSE);
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CloseDW(DWORD) override { return Close(); }
    HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return S_OK; }

private:
    std::atomic<long> references_{1};
    int engineVersion_ = 0;
    PanelWindow window_;
};

} // namespace

HRESULT CreatePanelObject(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    auto* panel = new (std::nothrow) Panel();
    if (!panel)
        return E_OUTOFMEMORY;
    HRESULT hr = panel->QueryInterface(iid, result);
    panel->Release();
    return hr;
}

bool PanelModuleInUse() {
    return g_objects.load() != 0 || g_locks.load() != 0;
}

void LockPanelModule(bool lock) {
    if (lock)
        ++g_locks;
    else
        --g_locks;
}

} // namespace movalent::devtools
