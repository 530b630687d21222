#include "StandInBrowserHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <thread>

namespace movalent::standin::testing {
namespace {

using DllGetClassObjectFn = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);

std::wstring Hex(LONG value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", static_cast<unsigned>(value));
    return text;
}

VARIANT* Argument(DISPPARAMS* params, UINT position) {
    if (params == nullptr || position >= params->cArgs)
        return nullptr;
    VARIANT* value = &params->rgvarg[params->cArgs - 1 - position];
    if (V_VT(value) == (VT_BYREF | VT_VARIANT))
        value = V_VARIANTREF(value);
    return value;
}

std::wstring Text(DISPPARAMS* params, UINT position) {
    VARIANT* value = Argument(params, position);
    if (value == nullptr)
        return L"<missing>";
    if (V_VT(value) == VT_BSTR)
        return V_BSTR(value) != nullptr ? std::wstring(V_BSTR(value), ::SysStringLen(V_BSTR(value))) : L"";
    return L"<type " + std::to_wstring(V_VT(value)) + L">";
}

LONG Number(DISPPARAMS* params, UINT position) {
    VARIANT* value = Argument(params, position);
    if (value == nullptr)
        return -12345;
    if (V_VT(value) == VT_I4 || V_VT(value) == VT_UI4)
        return V_I4(value);
    return -12345;
}

void SetFlag(DISPPARAMS* params, UINT position, bool set) {
    VARIANT* value = Argument(params, position);
    if (set && value != nullptr && V_VT(value) == (VT_BYREF | VT_BOOL))
        *V_BOOLREF(value) = VARIANT_TRUE;
}

IUnknown* Object(DISPPARAMS* params, UINT position) {
    VARIANT* value = Argument(params, position);
    return value != nullptr && V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : nullptr;
}

ComPtr<IUnknown> Identity(IUnknown* object) {
    ComPtr<IUnknown> identity;
    if (object != nullptr && FAILED(object->QueryInterface(IID_IUnknown, identity.put_void())))
        identity.detach();
    return identity;
}

} // namespace

// Writes every event of one interface into the hosted browser's log.
class EventSink final : public IDispatch {
public:
    EventSink(HostedBrowser& owner, const IID& iid, bool old) : owner_(owner), iid_(iid), old_(old) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
            *result = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        const std::wstring text = old_ ? L"old " + OldEvent(id, params) : NewEvent(id, params);
        owner_.Record(text, Object(params, 0));
        if (owner_.script.onEvent)
            owner_.script.onEvent(text);
        return S_OK;
    }

private:
    std::wstring Where(DISPPARAMS* params) {
        const ComPtr<IUnknown> from = Identity(Object(params, 0));
        const ComPtr<IUnknown> top = Identity(owner_.browser.get());
        return from && from.get() == top.get() ? L"top" : L"frame";
    }

    std::wstring NewEvent(DISPID id, DISPPARAMS* params) {
        const SinkScript& script = owner_.script;
        switch (id) {
        case DISPID_BEFORENAVIGATE2: {
            const std::wstring url = Text(params, 1);
            SetFlag(params, 6, url == script.cancelBeforeNavigateOf);
            return L"BeforeNavigate2(" + Where(params) + L", " + url + L")";
        }
        case DISPID_NAVIGATECOMPLETE2:
            return L"NavigateComplete2(" + Where(params) + L", " + Text(params, 1) + L")";
        case DISPID_DOCUMENTCOMPLETE:
            return L"DocumentComplete(" + Where(params) + L", " + Text(params, 1) + L")";
        case DISPID_NAVIGATEERROR:
            SetFlag(params, 4, script.cancelNavigateError);
            return L"NavigateError(" + Where(params) + L", " + Text(params, 1) + L", " +
                   Hex(Number(params, 3)) + L")";
        case DISPID_STATUSTEXTCHANGE:
            return L"StatusTextChange(" + Text(params, 0) + L")";
        case DISPID_TITLECHANGE:
            return L"TitleChange(" + Text(params, 0) + L")";
        case DISPID_PROGRESSCHANGE:
            return L"ProgressChange(" + std::to_wstring(Number(params, 0)) + L", " +
                   std::to_wstring(Number(params, 1)) + L")";
        case DISPID_DOWNLOADBEGIN:
            return L"DownloadBegin";
        case DISPID_DOWNLOADCOMPLETE:
            return L"DownloadComplete";
        case DISPID_COMMANDSTATECHANGE: {
            VARIANT* enable = Argument(params, 1);
            const bool on = enable != nullptr && V_VT(enable) == VT_BOOL && V_BOOL(enable) != VARIANT_FALSE;
            return L"CommandStateChange(" + std::to_wstring(Number(params, 0)) +
                   (on ? L", true)" : L", false)");
        }
        case DISPID_WINDOWCLOSING: {
            VARIANT* child = Argument(params, 0);
            SetFlag(params, 1, script.cancelWindowClosing);
            return std::wstring(L"WindowClosing(") +
                   (child != nullptr && V_VT(child) == VT_BOOL && V_BOOL(child) ? L"true" : L"false") + L")";
        }
        case DISPID_NEWWINDOW2: {
            SetFlag(params, 1, script.cancelNewWindow2);
            VARIANT* out = Argument(params, 0);
            if (script.newWindow2Browser != nullptr && out != nullptr &&
                V_VT(out) == (VT_BYREF | VT_DISPATCH)) {
                script.newWindow2Browser->AddRef();
                *V_DISPATCHREF(out) = script.newWindow2Browser;
            }
            return L"NewWindow2";
        }
        case DISPID_NEWWINDOW3:
            return L"NewWindow3(" + Text(params, 4) + L", from " + Text(params, 3) + L")";
        default:
            return L"Event(" + std::to_wstring(id) + L")";
        }
    }

    std::wstring OldEvent(DISPID id, DISPPARAMS* params) {
        switch (id) {
        case DISPID_BEFORENAVIGATE:
            return L"BeforeNavigate(" + Text(params, 0) + L")";
        case DISPID_FRAMEBEFORENAVIGATE:
            return L"FrameBeforeNavigate(" + Text(params, 0) + L")";
        case DISPID_NAVIGATECOMPLETE:
            return L"NavigateComplete(" + Text(params, 0) + L")";
        case DISPID_FRAMENAVIGATECOMPLETE:
            return L"FrameNavigateComplete(" + Text(params, 0) + L")";
        case DISPID_NEWWINDOW:
            SetFlag(params, 5, owner_.script.processNewWindow);
            return L"NewWindow(" + Text(params, 0) + L", " + std::to_wstring(Number(params, 1)) + L")";
        default:
            return NewEvent(id, params);
        }
    }

    HostedBrowser& owner_;
    const IID iid_;
    const bool old_;
    std::atomic<ULONG> references_{1};
};

std::wstring FileUrl(const std::wstring& path) {
    std::wstring url = L"file:///" + path;
    std::replace(url.begin(), url.end(), L'\\', L'/');
    return url;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            if (done())
                return true;
        }
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Settle(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < ms) {
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(5);
            if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

PageFolder::PageFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = temp;
    if (!folder_.empty() && folder_.back() == L'\\')
        folder_.pop_back();
    folder_ +=
        L"\\standin-browser-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
}

PageFolder::~PageFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder_.c_str());
}

std::wstring PageFolder::Write(const std::wstring& name, const std::string& content) const {
    const std::wstring path = Path(name);
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file) << "cannot write the test page";
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return path;
}

TestHost::TestHost() {
    static const ATOM registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"StandInTestHost";
        return ::RegisterClassW(&windowClass);
    }();
    (void)registered;
    window_ = ::CreateWindowExW(0, L"StandInTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                500, 400, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
}

TestHost::~TestHost() {
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

LRESULT CALLBACK TestHost::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* host = reinterpret_cast<TestHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host != nullptr && message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY) {
        host->calls.push_back(L"ParentNotify(destroy)");
        host->destroyedChild = reinterpret_cast<HWND>(lParam);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HRESULT TestHost::QueryInterface(REFIID iid, void** result) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *result = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *result = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *result = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDispatch))
        *result = static_cast<IDispatch*>(this);
    else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

HRESULT TestHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT TestHost::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT TestHost::GetWindow(HWND* window) {
    *window = window_;
    return S_OK;
}

HRESULT TestHost::CanInPlaceActivate() {
    calls.push_back(L"CanInPlaceActivate");
    return S_OK;
}

HRESULT TestHost::OnInPlaceActivate() {
    calls.push_back(L"OnInPlaceActivate");
    return S_OK;
}

HRESULT TestHost::OnUIActivate() {
    calls.push_back(L"OnUIActivate");
    return S_OK;
}

HRESULT TestHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                   LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    *frame = this;
    *document = nullptr;
    ::SetRect(position, 10, 20, 410, 320);
    ::SetRect(clip, 10, 20, 410, 320);
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT TestHost::OnUIDeactivate(BOOL) {
    calls.push_back(L"OnUIDeactivate");
    return S_OK;
}

HRESULT TestHost::OnInPlaceDeactivate() {
    calls.push_back(L"OnInPlaceDeactivate");
    return S_OK;
}

HRESULT TestHost::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    calls.push_back(object != nullptr ? L"SetActiveObject(set)" : L"SetActiveObject(none)");
    activeObject = object;
    return S_OK;
}

HRESULT TestHost::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT TestHost::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

HRESULT TestHost::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (id == DISPID_AMBIENT_USERMODE && result != nullptr) {
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

HostedBrowser::HostedBrowser(TestHost& host, const std::wstring& folder, const std::wstring& file)
    : host_(host) {
    module.reset(::LoadLibraryW(StandInFile(folder, file).c_str()));
    if (!module)
        return;
    const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (getClassObject == nullptr ||
        FAILED(getClassObject(kClsidWebBrowser, IID_IClassFactory, factory.put_void())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IWebBrowser2, browser.put_void())) ||
        FAILED(browser.As(object))) {
        browser.reset();
        return;
    }
    object->SetClientSite(&host_);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(browser.As(persist)))
        persist->InitNew();
    RECT position = {10, 20, 410, 320};
    EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &host_, 0, host_.Window(), &position));

    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(S_OK, browser.As(container));
    ComPtr<IConnectionPoint> point;
    sink2_ = new EventSink(*this, DIID_DWebBrowserEvents2, false);
    sink1_ = new EventSink(*this, DIID_DWebBrowserEvents, true);
    if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()))) {
        ADD_FAILURE() << "no DWebBrowserEvents2 connection point";
        return;
    }
    EXPECT_EQ(S_OK, point->Advise(sink2_, &cookie2_));
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents, point.put()))) {
        ADD_FAILURE() << "no DWebBrowserEvents connection point";
        return;
    }
    EXPECT_EQ(S_OK, point->Advise(sink1_, &cookie1_));
}

void HostedBrowser::Release() {
    log_.clear(); // events may hold frames of the control
    if (browser) {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(browser.As(container))) {
            if (cookie2_ != 0 &&
                SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())))
                point->Unadvise(cookie2_);
            if (cookie1_ != 0 &&
                SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents, point.put())))
                point->Unadvise(cookie1_);
        }
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object.reset();
        browser.reset();
    }
    for (EventSink** sink : {&sink2_, &sink1_}) {
        if (*sink != nullptr)
            (*sink)->Release();
        *sink = nullptr;
    }
    cookie1_ = cookie2_ = 0;
    Settle(50);
    module.reset();
}

HRESULT HostedBrowser::Call(DISPID id, std::vector<VARIANT> arguments, VARIANT* result) {
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params = {arguments.empty() ? nullptr : arguments.data(), nullptr,
                         static_cast<UINT>(arguments.size()), 0};
    const WORD flags = result != nullptr ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    return browser->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

HRESULT HostedBrowser::Navigate(const std::wstring& url) {
    UniqueBstr text(::SysAllocString(url.c_str()));
    VARIANT argument;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = text.get();
    return Call(104, {argument});
}

std::wstring HostedBrowser::GetString(DISPID id) {
    UniqueVariant result;
    if (FAILED(Call(id, {}, &result)) || V_VT(&result.get()) != VT_BSTR)
        return L"<failed>";
    BSTR text = V_BSTR(&result.get());
    return text != nullptr ? std::wstring(text, ::SysStringLen(text)) : L"";
}

LONG HostedBrowser::GetLong(DISPID id) {
    UniqueVariant result;
    if (FAILED(Call(id, {}, &result)) || FAILED(::VariantChangeType(&result, &result, 0, VT_I4)))
        return -12345;
    return V_I4(&result.get());
}

bool HostedBrowser::Open(const std::wstring& url) {
    const size_t before = Count(L"StatusTextChange(Done)");
    if (FAILED(Navigate(url)))
        return false;
    return PumpUntil([&] { return Count(L"StatusTextChange(Done)") > before; });
}

ProbeReport HostedBrowser::Report() {
    ComPtr<IStandInBrowser> standIn;
    UniqueBstr text;
    if (FAILED(browser.As(standIn)) || FAILED(standIn->GetPageReport(text.put())))
        return {};
    return ParseProbeReport(std::wstring(text.get(), ::SysStringLen(text.get())));
}

HWND HostedBrowser::ControlWindow() {
    ComPtr<IOleWindow> window;
    HWND handle = nullptr;
    if (SUCCEEDED(browser.As(window)))
        window->GetWindow(&handle);
    return handle;
}

std::vector<std::wstring> HostedBrowser::Events(std::initializer_list<const wchar_t*> names) const {
    std::vector<std::wstring> texts;
    for (const Event& event : log_) {
        bool wanted = names.size() == 0;
        for (const wchar_t* name : names) {
            const std::wstring prefix(name);
            if (event.text.compare(0, prefix.size(), prefix) == 0 &&
                (event.text.size() == prefix.size() || event.text[prefix.size()] == L'('))
                wanted = true;
        }
        if (wanted)
            texts.push_back(event.text);
    }
    return texts;
}

bool HostedBrowser::Logged(const std::wstring& text) const {
    return Count(text) > 0;
}

size_t HostedBrowser::Count(const std::wstring& text) const {
    return static_cast<size_t>(
        std::count_if(log_.begin(), log_.end(), [&](const Event& event) { return event.text == text; }));
}

void HostedBrowser::Clear() {
    log_.clear();
}

void HostedBrowser::Record(const std::wstring& text, IUnknown* from) {
    log_.push_back({text, Identity(from)});
}

void OnBrowserThread(const std::function<void()>& body) {
    std::thread thread([&] {
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(S_OK, hr);
        body();
        if (SUCCEEDED(hr))
            ::CoUninitialize();
    });
    thread.join();
}

} // namespace movalent::standin::testing
