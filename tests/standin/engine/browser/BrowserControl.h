#pragma once
// The stand-in WebBrowser control (contract in standin/StandInBrowser.h). One object per control, used on the
// thread that created it (an apartment-threaded object, as the real one is). Its code is spread over a few
// files by concern: BrowserControl.cpp (identity, page report, windows), BrowserEmbedding.cpp (the OLE
// embedding interfaces), BrowserProperties.cpp (IWebBrowser2), BrowserNavigation.cpp (navigation steps and
// their events), BrowserCommands.cpp (command targets), BrowserDirectives.cpp (what pages ask for).
#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/engine/ComHelpers.h"
#include "standin/engine/browser/BrowserAutomation.h"
#include "standin/engine/browser/BrowserEvents.h"
#include "standin/engine/browser/BrowserWindows.h"
#include "standin/engine/browser/ConnectionPoints.h"
#include "standin/engine/browser/EngineProbes.h"
#include "standin/engine/browser/FrameBrowser.h"
#include "standin/engine/browser/PageLoader.h"
#include "standin/engine/browser/PageView.h"
#include "standin/engine/page/TravelLog.h"

#include <docobj.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movalent::standin {

HRESULT CreateBrowserControl(const CLSID& clsid, REFIID iid, void** result);

// The directive of a top-level page whose load never completes.
inline constexpr std::wstring_view kNeverCompleteDirective = L"never-complete";

class CBrowserControl final : public BrowserAutomation,
                              public IOleObject,
                              public IOleInPlaceObject,
                              public IOleInPlaceActiveObject,
                              public IOleControl,
                              public IPersistStreamInit,
                              public IOleCommandTarget,
                              public IProvideClassInfo2,
                              public IConnectionPointContainer,
                              public IStandInObject,
                              public IStandInBrowser,
                              private WindowOwner,
                              private PageViewOwner {
public:
    explicit CBrowserControl(const CLSID& clsid);
    CBrowserControl(const CBrowserControl&) = delete;
    CBrowserControl& operator=(const CBrowserControl&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IWebBrowser2 (BrowserProperties.cpp, navigation in BrowserNavigation.cpp)
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override;
    HRESULT STDMETHODCALLTYPE GoSearch() override;
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                                       VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                                        VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* level) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_Container(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Left(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Top(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Width(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Height(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE ClientToWindow(int* width, int* height) override;
    HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FullName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusText(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_StatusText(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ToolBar(int* value) override;
    HRESULT STDMETHODCALLTYPE put_ToolBar(int value) override;
    HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID command, OLECMDF* state) override;
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in,
                                     VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* value) override;
    HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL value) override;

    // IOleObject (BrowserEmbedding.cpp)
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL active) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL active) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IPersist, IPersistStreamInit: the control keeps no state of its own in a stream.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IOleCommandTarget (BrowserCommands.cpp)
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                                          OLECMDTEXT* text) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD command, DWORD option, VARIANT* in,
                                   VARIANT* out) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IStandInObject, IStandInBrowser
    HRESULT STDMETHODCALLTYPE GetModulePath(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE GetClassId(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Probe(LPCWSTR what, BSTR* report) override;
    HRESULT STDMETHODCALLTYPE GetPageReport(BSTR* report) override;

private:
    enum StepMessage : UINT {
        kStepBegin = WM_APP + 1,      // wParam: navigation number
        kStepLoad = WM_APP + 2,       // wParam: navigation number
        kStepRefresh = WM_APP + 3,    // wParam: navigation number
        kStepDirective = WM_APP + 4,  // wParam: navigation number, lParam: directive index
        kStepDomChanged = WM_APP + 5, // a host changed a document of the page: show it
    };

    struct PendingNavigation {
        PageAddress address;
        std::wstring url;                  // what the events carry
        std::optional<size_t> travelEntry; // set when going back or forward
        bool begun = false;                // DownloadBegin was fired
        bool stalled = false;              // the page is on show but its load never ends
    };

    struct Frame {
        ComPtr<CFrameBrowser> browser;
        LoadedDocument page; // url only, when the frame was left empty
        int depth = 1;
        bool opened = false;
    };

    // The page on show: its top-level document, and its frames depth first.
    struct ShownPage {
        bool present = false;
        LoadedDocument top;
        std::wstring title; // as TitleChange gave it
        std::vector<Frame> frames;
        EngineProbeAnswers probes;
    };

    ~CBrowserControl();

    IDispatch* Self() { return static_cast<IWebBrowser2*>(this); }

    // BrowserNavigation.cpp
    HRESULT StartNavigation(const std::wstring& address, std::optional<size_t> travelEntry);
    HRESULT StartRefresh();
    bool IsCurrent(unsigned navigation) const { return navigation == navigation_ && !closed_; }
    void OnBegin(unsigned navigation);
    void OnLoad(unsigned navigation);
    void OnRefresh(unsigned navigation);
    // Opens the frames of a document (fireEvents false: a refresh, which fires none); false when the
    // navigation was replaced meanwhile.
    bool LoadFrames(unsigned navigation, IDispatch* parentDocument, const std::wstring& parentUrl,
                    std::vector<std::wstring> sources, int depth, bool fireEvents);
    // Tells document's parent its next frame (null: left empty), and has document report changes.
    void AdoptFrame(IDispatch* parentDocument, IDispatch* document);
    void WatchDocument(IDispatch* document);
    void EndStopped();
    void ReplacePage(LoadedDocument top, EngineProbeAnswers probes);
    // Hands the page's document a view of its own (BrowserControl.cpp).
    void ShowPageView();
    // Cuts the page's view loose and takes it back from the document, which may outlive the control.
    void HidePageView();
    // The page (loaded or refreshed, its frames opened) asks never to complete: the load stays open, and
    // only its directives run. False when it completes as usual.
    bool StallsForever(unsigned navigation);
    void DropFrames();
    void ScheduleDirectives(unsigned navigation);
    void SetStatus(const std::wstring& text); // remembered for StatusText, then fired
    bool PostStep(StepMessage step, unsigned navigation, LPARAM lParam = 0);

    // BrowserDirectives.cpp
    void OnDirective(unsigned navigation, size_t index);
    void OpenNewWindow(const std::wstring& argument);
    void ClosePage();
    [[noreturn]] void Hang();

    // BrowserHost.cpp: what the engine asks of its host's document-host handler
    void AskHost(); // GetHostInfo, for every page opened
    void CallExternal(const std::wstring& argument);
    void ShowHostContextMenu();

    // BrowserControl.cpp
    LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    PageSnapshot Snapshot() const;
    std::vector<PageLine> PageLines() const { return BuildPageLines(Snapshot()); }
    // PageViewOwner: the document's IViewObject and scroll sizes.
    void DrawForView(HDC dc, const RECT& area) override;
    void MeasureForView(SIZE& client, LONG& contentHeight) override;
    void PageChanged(); // repaints and renews the window text
    // A left click at a point of the page window: the page's document fires onclick, and the click counts
    // unless a sink cancelled it.
    void ClickPage(LONG x, LONG y);
    void DestroyPageWindow();
    std::wstring CurrentState() const;

    // BrowserCommands.cpp
    OLECMDF StandardCommandState(OLECMDID command) const;
    HRESULT ExecStandard(OLECMDID command, VARIANT* in, VARIANT* out);
    HRESULT SetTextSize(VARIANT* in, VARIANT* out);

    // BrowserEmbedding.cpp
    HRESULT InPlaceActivate(bool uiActivate, HWND parentHint, LPCRECT positionHint);

    BrowserWindowClass windowClass_;
    ModuleReference module_;
    std::atomic<ULONG> references_{1};
    const CLSID clsid_;

    ConnectionPoint events2_;
    ConnectionPoint events1_;
    BrowserEvents events_;

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    HWND pageWindow_ = nullptr;
    HWND stepsWindow_ = nullptr;
    RECT position_ = {0, 0, 0, 0};
    SIZEL extent_ = {0, 0}; // HIMETRIC
    bool uiActive_ = false;

    unsigned navigation_ = 0; // every navigation, refresh and stop takes the next number
    READYSTATE readyState_ = READYSTATE_UNINITIALIZED;
    std::optional<PendingNavigation> pending_;
    bool refreshing_ = false;
    bool closed_ = false;  // the page closed the window
    bool hanging_ = false; // the page's script never returns
    ShownPage page_;
    ComPtr<CPageView> view_; // handed to page_.top's document
    TravelLog travel_;

    int textSize_ = 2;
    int printed_ = 0;
    int previewed_ = 0;
    std::wstring newWindowUrl_;
    std::wstring newWindowHandledBy_;
    std::wstring closeAnswer_;
    bool buttonDown_ = false; // a left button went down in the page window and has not come up yet
    long clickCount_ = 0;     // clicks that reached the page on show
    std::wstring clickLast_;
    HostSnapshot host_;
    std::wstring statusText_;
    std::map<std::wstring, UniqueVariant> properties_; // PutProperty / GetProperty

    VARIANT_BOOL visible_ = VARIANT_TRUE;
    VARIANT_BOOL statusBar_ = VARIANT_FALSE;
    int toolBar_ = 0;
    VARIANT_BOOL menuBar_ = VARIANT_FALSE;
    VARIANT_BOOL fullScreen_ = VARIANT_FALSE;
    VARIANT_BOOL offline_ = VARIANT_FALSE;
    VARIANT_BOOL silent_ = VARIANT_FALSE;
    VARIANT_BOOL registerAsBrowser_ = VARIANT_FALSE;
    VARIANT_BOOL registerAsDropTarget_ = VARIANT_TRUE;
    VARIANT_BOOL theaterMode_ = VARIANT_FALSE;
    VARIANT_BOOL addressBar_ = VARIANT_FALSE;
    VARIANT_BOOL resizable_ = VARIANT_FALSE;
};

} // namespace movalent::standin
