#pragma once
// A minimal OLE container for the stand-in WebBrowser control, as a host embeds the real one: a top-level
// window, a client site with in-place site and frame, ambient properties, and event sinks for
// DWebBrowserEvents2 and DWebBrowserEvents that write every event into one log, in the order they came.
// Everything here runs on the thread that created it, which must be in a single-threaded apartment.
#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/StandInTestSupport.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace movalent::standin::testing {

// "file:///" + the path with forward slashes: the canonical spelling, for paths without spaces or '%'.
std::wstring FileUrl(const std::wstring& path);

// Pumps the thread's messages until done() holds or the time is up; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Pumps until the queue is empty (posted steps included), at most the given time.
void Settle(DWORD ms = 200);

// A folder of test pages, removed with everything in it at the end.
class PageFolder {
public:
    PageFolder();
    PageFolder(const PageFolder&) = delete;
    PageFolder& operator=(const PageFolder&) = delete;
    ~PageFolder();

    // Writes the file (UTF-8 bytes as given) and returns its full path.
    std::wstring Write(const std::wstring& name, const std::string& content) const;
    std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    std::wstring Url(const std::wstring& name) const { return FileUrl(Path(name)); }

private:
    std::wstring folder_;
};

struct Event {
    std::wstring text;     // "BeforeNavigate2(top, file:///...)", "old NewWindow(...)", ...
    ComPtr<IUnknown> from; // the pDisp of the event, when it has one
};

// What the sinks answer; set before the events come.
struct SinkScript {
    std::wstring cancelBeforeNavigateOf; // a url: BeforeNavigate2 for it is cancelled
    bool cancelNavigateError = false;
    bool cancelWindowClosing = false;
    bool cancelNewWindow2 = false;
    IDispatch* newWindow2Browser = nullptr; // handed back through NewWindow2's ppDisp
    bool processNewWindow = false;          // the old interface's NewWindow sets Processed
    // Called with each event's text after it was logged (the host reacting inside the event).
    std::function<void(const std::wstring&)> onEvent;
};

class EventSink;

class TestHost final : public IOleClientSite,
                       public IOleInPlaceSite,
                       public IOleInPlaceFrame,
                       public IDispatch {
public:
    TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;
    ~TestHost();

    HWND Window() const { return window_; }

    // What the control did to the site, in order: "CanInPlaceActivate", "OnInPlaceActivate", "OnUIActivate",
    // "SetActiveObject(set)", "OnUIDeactivate", "OnInPlaceDeactivate", "ParentNotify(destroy)".
    std::vector<std::wstring> calls;
    HWND destroyedChild = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; } // lives on the test's stack

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

    IOleInPlaceActiveObject* activeObject = nullptr;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A stand-in control from one copy, hosted, with both sinks advised. Release() takes it down as a host does.
class HostedBrowser {
public:
    // Loads folder\file (a browser copy) and embeds its WebBrowser control in host.
    HostedBrowser(TestHost& host, const std::wstring& folder, const std::wstring& file);
    HostedBrowser(const HostedBrowser&) = delete;
    HostedBrowser& operator=(const HostedBrowser&) = delete;
    ~HostedBrowser() { Release(); }

    bool Ok() const { return static_cast<bool>(browser); }
    void Release();

    // By DISPID, the way the program's wrapper calls it.
    HRESULT Call(DISPID id, std::vector<VARIANT> argumentsInOrder = {}, VARIANT* result = nullptr);
    HRESULT Navigate(const std::wstring& url);
    std::wstring GetString(DISPID id);
    LONG GetLong(DISPID id);
    // Navigates and pumps until "StatusTextChange(Done)" of that navigation arrived.
    bool Open(const std::wstring& url);
    ProbeReport Report();
    HWND ControlWindow();

    // Events since the last Clear, optionally only those whose text starts with one of the names.
    std::vector<std::wstring> Events(std::initializer_list<const wchar_t*> names = {}) const;
    bool Logged(const std::wstring& text) const;
    size_t Count(const std::wstring& text) const;
    void Clear();
    const std::vector<Event>& Log() const { return log_; }
    DWORD OldInterfaceCookie() const { return cookie1_; }

    SinkScript script;
    UniqueModule module;
    ComPtr<IWebBrowser2> browser;
    ComPtr<IOleObject> object;

private:
    friend class EventSink;
    void Record(const std::wstring& text, IUnknown* from);

    TestHost& host_;
    std::vector<Event> log_;
    EventSink* sink2_ = nullptr;
    EventSink* sink1_ = nullptr;
    DWORD cookie2_ = 0;
    DWORD cookie1_ = 0;
};

// Runs body on a new thread in a single-threaded apartment and waits for it.
void OnBrowserThread(const std::function<void()>& body);

} // namespace movalent::standin::testing
