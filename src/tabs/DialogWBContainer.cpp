#include "tabs/DialogWBContainer.h"

#include "app/InternalMessages.h"
#include "engine/EngineLoader.h"
#include "framework/ConnectionPoints.h"
#include "framework/ControlContainer.h"
#include "framework/DispatchArguments.h"
#include "framework/Handles.h"
#include "framework/HostSystem.h"
#include "resource.h"
#include "tabs/ContainerLayout.h"
#include "framework/WindowDpi.h"
#include "tabs/HeapStringPost.h"
#include "tabs/TabHost.h"
#include "tabs/Zoom.h"
#include "tabs/ZoomRules.h"

#include <commctrl.h>
#include <exdisp.h>

namespace movalent {

namespace {

// The browser's old event interface, {EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}, whose NewWindow the container
// sinks.
constexpr IID kDWebBrowserEvents = {
    0xEAB22AC2, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};
// IHTMLDocument2, {332C4425-26CB-11D0-B483-00C04FD90119}.
constexpr IID kIHTMLDocument2 = {
    0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
// The engine's own command group, {DE4BA900-59CA-11CF-9592-444553540000}.
constexpr GUID kCGID_MSHTML = {0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

constexpr DWORD kIdmPrint = 27;
constexpr DWORD kIdmPrintPreview = 2003;
constexpr long kOleCmdIdZoom = 19;           // OLECMDID_ZOOM
constexpr long kOleCmdExecOptDontPrompt = 2; // OLECMDEXECOPT_DONTPROMPTUSER
constexpr long kRefreshCompletely = 3;       // REFRESH_COMPLETELY

// DWebBrowserEvents2.
constexpr DISPID kBeforeNavigate2 = 250;
constexpr DISPID kNavigateComplete2 = 252;
constexpr DISPID kDocumentComplete = 259;
constexpr DISPID kNavigateError = 271;
constexpr DISPID kStatusTextChange = 102;
constexpr DISPID kTitleChange = 113;
constexpr DISPID kProgressChange = 108;
constexpr DISPID kDownloadComplete = 104;
// DWebBrowserEvents.
constexpr DISPID kNewWindow = 107;

constexpr UINT_PTR kAddressEditSubclass = 1;

} // namespace

CDialogWBContainer::CDialogWBContainer() : CDialogFMX(IDD_BROWSER_CONTAINER) {
    automation_.AddMethod(L"NewWindow", kNewWindow,
                          [this](DISPPARAMS& params, VARIANT*) { return OnNewWindow(params); });
    automation_.AnswerInterface(kDWebBrowserEvents);
    RegisterCommands();
    RegisterEvents();
}

CDialogWBContainer::~CDialogWBContainer() {
    // The browser must let go of this object's IDispatch before the object goes.
    if (Handle())
        DestroyWindow();
}

void CDialogWBContainer::RegisterCommands() {
    OnCommand(ID_NAV_PREVIOUS, [this] { m_browser.GoBack(); });
    OnCommand(ID_NAV_NEXT, [this] { m_browser.GoForward(); });
    for (unsigned id : {ID_NAV_REFRESH, ID_REFRESH_PAGE, ID_REFRESH_ALL})
        OnCommand(id, [this] { m_browser.Refresh(); });
    for (unsigned id : {ID_REFRESH_COMPLETE, ID_REFRESH_ALL_COMPLETE})
        OnCommand(id, [this] {
            VARIANT level = LongVariant(kRefreshCompletely);
            m_browser.Refresh2(&level);
        });
    OnCommand(ID_NAV_STOP, [this] { m_browser.Stop(); });
    OnCommand(ID_NAV_HOME, [this] {
        Navigate(host_ ? host_->HomePage() : std::wstring(kBlankPage));
    });
    OnCommand(ID_PRINT_PAGE, [this] { PrintCommand(kIdmPrint); });
    OnCommand(ID_PRINT_PREVIEW_PAGE, [this] { PrintCommand(kIdmPrintPreview); });
    OnCommand(ID_TOGGLE_FENNIMOX, [this] { ToggleFennimoxPanel(); });
    OnCommand(IDC_PANEL_CLOSE, [this] { ToggleFennimoxPanel(); });
    OnCommand(ID_VIEW_SOURCE, [this] {
        if (!m_pPanel && !CreateFennimoxPanel())
            return;
        m_pPanel->ViewSource(-1);
    });
    const unsigned sizes[] = {ID_TEXT_SIZE_SMALLER, ID_TEXT_SIZE_SMALL, ID_TEXT_SIZE_MEDIUM,
                              ID_TEXT_SIZE_LARGE, ID_TEXT_SIZE_LARGER};
    for (long level = 0; level < 5; ++level)
        OnCommand(sizes[level], [this, level] { TextSize(level); });
    OnCommand(ID_FOCUS_ADDRESS, [this] { FocusAddressBox(); });
}

void CDialogWBContainer::RegisterEvents() {
    ControlContainer& controls = Controls();
    controls.OnEvent(IDC_BROWSER, kBeforeNavigate2, [this](DISPPARAMS& p) { OnNavigationAddress(p); });
    controls.OnEvent(IDC_BROWSER, kNavigateComplete2, [this](DISPPARAMS& p) { OnNavigationAddress(p); });
    controls.OnEvent(IDC_BROWSER, kDocumentComplete, [this](DISPPARAMS& p) { OnDocumentComplete(p); });
    controls.OnEvent(IDC_BROWSER, kNavigateError, [this](DISPPARAMS& p) { OnNavigateError(p); });
    controls.OnEvent(IDC_BROWSER, kStatusTextChange, [this](DISPPARAMS& p) { OnStatusTextChange(p); });
    controls.OnEvent(IDC_BROWSER, kTitleChange, [this](DISPPARAMS& p) { OnTitleChange(p); });
    controls.OnEvent(IDC_BROWSER, kProgressChange, [this](DISPPARAMS& p) { OnProgressChange(p); });
    controls.OnEvent(IDC_BROWSER, kDownloadComplete, [this](DISPPARAMS&) { ReapplyZoom(); });
}

void CDialogWBContainer::DoDataExchange(DataExchange& dx) {
    ExchangeControl(dx, IDC_BROWSER, m_browser);
    ExchangeControl(dx, IDC_ADDRESS_BOX, m_addressBox);
    ExchangeControl(dx, IDC_SPLITTER, m_splitter);
    ExchangeControl(dx, IDC_PANEL_CLOSE, m_closeButton);
    ExchangeControl(dx, IDC_PANEL_TITLE, m_panelTitle);
}

bool CDialogWBContainer::OnInitDialog() {
    // 1. Controls and their objects.
    CDialogFMX::OnInitDialog();
    // 2. The panel's header.
    m_closeButton.LoadBitmap(IDB_PANEL_CLOSE);
    if (m_panelTitle.Handle())
        m_panelTitle.SetText(L"");
    // 3. Enter and Escape in the address box.
    if (HWND edit = AddressEdit())
        ::SetWindowSubclass(edit, AddressEditProc, kAddressEditSubclass,
                            reinterpret_cast<DWORD_PTR>(Handle()));
    // 4. Events, and the browser for the view.
    ConnectBrowser();
    // 5. The control's window.
    m_hBrowserWnd = m_browser.Handle();
    // 6. The first page.
    OnNavigateMessage(static_cast<WPARAM>(NewHeapString(m_strStartUrl.empty() ? kBlankPage : m_strStartUrl)));
    // 7.
    LayoutChildren();
    return true;
}

void CDialogWBContainer::ConnectBrowser() {
    ComPtr<IWebBrowser2> browser =
        ComPtr<IWebBrowser2>::Attach(m_browser.Query<IWebBrowser2>(IID_IWebBrowser2));
    if (!browser)
        return;
    if (FAILED(AdviseConnection(browser.get(), kDWebBrowserEvents, automation_.GetIDispatch(false),
                                &m_dwEventCookie)))
        m_dwEventCookie = 0;
    // Wine keeps the RPC endpoint of every apartment that ever marshalled an interface until the process
    // ends, and serves at most 63 of them: from the 64th tab on, marshalling would hang the tab for good.
    // Nothing reads the browser's interface from the view yet, so under Wine it is not handed over.
    if (RunningUnderWine())
        return;
    ComPtr<IDispatch> application;
    if (FAILED(browser->get_Application(application.put())) || !application)
        return;
    IStream* stream = nullptr;
    if (FAILED(::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, application.get(), &stream)) || !stream)
        return;
    if (!m_hViewWnd || !::PostMessageW(m_hViewWnd, kMsgBrowserStream, reinterpret_cast<WPARAM>(stream), 0)) {
        // Not delivered: the stream and the reference marshalled into it are still ours.
        ::CoReleaseMarshalData(stream);
        stream->Release();
    }
}

HWND CDialogWBContainer::AddressEdit() const {
    if (!m_addressBox.Handle())
        return nullptr;
    return reinterpret_cast<HWND>(::SendMessageW(m_addressBox.Handle(), CBEM_GETEDITCONTROL, 0, 0));
}

LRESULT CALLBACK CDialogWBContainer::AddressEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                     UINT_PTR, DWORD_PTR container) {
    LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_GETDLGCODE && lParam) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE) {
            result |= DLGC_WANTMESSAGE;
        } else if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
            result |= DLGC_WANTMESSAGE;
            // The container is the window that was given at subclassing; the box nests the edit one or two
            // levels down depending on the system, so walking up a fixed number of parents finds the wrong
            // one.
            auto target = reinterpret_cast<HWND>(container);
            if (target && ::IsWindow(target) && ::IsChild(target, hwnd))
                ::SendMessageW(target, kMsgAddressBoxNavigate, 0, 0);
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, AddressEditProc, kAddressEditSubclass);
    }
    return result;
}

void CDialogWBContainer::Navigate(const std::wstring& url) {
    m_browser.Navigate(url);
}

LRESULT CDialogWBContainer::OnNavigateMessage(WPARAM wParam) {
    if (std::unique_ptr<std::wstring> url = AdoptHeapString(wParam))
        Navigate(*url);
    return 1;
}

void CDialogWBContainer::ShowAddressInBox(const std::wstring& address) {
    HWND box = m_addressBox.Handle();
    if (!box)
        return;
    LRESULT index = ::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(address.c_str()));
    if (index == CB_ERR) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = 0;
        item.pszText = const_cast<wchar_t*>(address.c_str());
        index = ::SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CDialogWBContainer::LayoutChildren() {
    HWND box = m_addressBox.Handle();
    if (!box)
        return;
    RECT client = ClientRect();
    RECT boxRect = {};
    ::GetWindowRect(box, &boxRect);
    ContainerLayoutInput input;
    input.width = client.right - client.left;
    input.height = client.bottom - client.top;
    input.addressHeight = boxRect.bottom - boxRect.top;
    input.panelShown = m_bPanelShown;
    input.splitterPosition = m_splitter.position;
    input.dpi = DpiOfWindow(Handle());
    ContainerLayout layout = LayoutContainer(input);

    auto rect = [](const LayoutRect& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; };
    if (layout.panelShown) {
        if (m_splitter.Handle())
            m_splitter.MoveTo(rect(layout.splitter));
        if (m_panelTitle.Handle())
            m_panelTitle.MoveTo(rect(layout.title));
        if (m_closeButton.Handle())
            m_closeButton.MoveTo(rect(layout.closeButton));
        if (m_hPanelWnd)
            ::MoveWindow(m_hPanelWnd, layout.panel.x, layout.panel.y, layout.panel.width, layout.panel.height,
                         TRUE);
        if (m_panelTitle.Handle())
            ::InvalidateRect(m_panelTitle.Handle(), nullptr, TRUE);
        if (m_closeButton.Handle())
            ::InvalidateRect(m_closeButton.Handle(), nullptr, TRUE);
    }
    m_addressBox.MoveTo(rect(layout.addressBox));
    m_browser.MoveControl(rect(layout.browser));
}

bool CDialogWBContainer::SetSplitterPercent(int, int percent) {
    RECT client = ClientRect();
    std::optional<int> position = SplitterPositionFromPercent(percent, client.right - client.left);
    if (!position)
        return false;
    m_splitter.position = *position;
    if (host_)
        host_->SavePanelWidth(*position);
    LayoutChildren();
    return true;
}

bool CDialogWBContainer::GetSplitterBounds(int, RECT& rect, RECT& bounds) {
    rect = ClientRect();
    bounds = rect;
    return true;
}

void CDialogWBContainer::PrintCommand(DWORD command) {
    ComPtr<IOleCommandTarget> target =
        ComPtr<IOleCommandTarget>::Attach(m_browser.Query<IOleCommandTarget>(IID_IOleCommandTarget));
    if (target)
        target->Exec(&kCGID_MSHTML, command, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

void CDialogWBContainer::TextSize(long level) {
    VARIANT input = LongVariant(level);
    m_browser.ExecWB(kOleCmdIdZoom, kOleCmdExecOptDontPrompt, &input, nullptr);
}

void CDialogWBContainer::FocusAddressBox() {
    if (HWND edit = AddressEdit())
        ::SetFocus(edit);
    else if (m_addressBox.Handle())
        ::SetFocus(m_addressBox.Handle());
}

void CDialogWBContainer::PostToView(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (m_hViewWnd)
        ::PostMessageW(m_hViewWnd, message, wParam, lParam);
}

bool CDialogWBContainer::IsTopLevel(DISPPARAMS& params) const {
    IUnknown* from = VariantObject(DispatchArgument(params, 0));
    IUnknown* control = m_browser.ControlUnknown();
    return from && control && IsSameComObject(from, control);
}

void CDialogWBContainer::OnNavigationAddress(DISPPARAMS& params) {
    if (IsTopLevel(params))
        ShowAddressInBox(VariantText(DispatchArgument(params, 1)));
}

void CDialogWBContainer::OnDocumentComplete(DISPPARAMS& params) {
    if (!IsTopLevel(params))
        return;
    std::wstring url = VariantText(DispatchArgument(params, 1));
    ShowAddressInBox(url);
    std::wstring locationName = m_browser.GetLocationName();
    PostHeapStrings(m_hViewWnd, kMsgDocumentComplete, HeapString(url), HeapString(locationName));
    ReapplyZoom();
}

void CDialogWBContainer::OnNavigateError(DISPPARAMS& params) {
    OnNavigationAddress(params);
    if (IsTopLevel(params))
        PostToView(kMsgNavigateError, static_cast<WPARAM>(VariantLong(DispatchArgument(params, 3), 0)), 0);
}

void CDialogWBContainer::OnStatusTextChange(DISPPARAMS& params) {
    PostHeapString(m_hViewWnd, kMsgStatusText, HeapString(VariantText(DispatchArgument(params, 0))), 0);
}

void CDialogWBContainer::OnTitleChange(DISPPARAMS& params) {
    PostHeapString(m_hViewWnd, kMsgTitleChange, HeapString(VariantText(DispatchArgument(params, 0))), 0);
}

void CDialogWBContainer::OnProgressChange(DISPPARAMS& params) {
    long progress = VariantLong(DispatchArgument(params, 0));
    long maximum = VariantLong(DispatchArgument(params, 1));
    PostToView(kMsgDownloadProgress, static_cast<WPARAM>(progress), static_cast<LPARAM>(maximum));
}

HRESULT CDialogWBContainer::OnNewWindow(DISPPARAMS& params) {
    std::wstring url = VariantText(DispatchArgument(params, 0));
    EngineRecord* engine = GetCurrentEngine();
    LPARAM version = engine ? engine->version : IE_DEFAULT;
    PostHeapString(m_hViewWnd, kMsgNewWindow, HeapString(url), version);
    // The tab opens the address itself; the browser must not open a window of its own.
    SetVariantBoolByRef(DispatchArgument(params, 5), true);
    return S_OK;
}

void CDialogWBContainer::ReapplyZoom() {
    if (m_nZoom == 100)
        return;
    ComPtr<IDispatch> document = ComPtr<IDispatch>::Attach(m_browser.GetDocument());
    ComPtr<IUnknown> html;
    if (document && SUCCEEDED(document->QueryInterface(kIHTMLDocument2, html.put_void())) && html)
        ApplyZoom(document.get(), m_nZoom, false);
}

LRESULT CDialogWBContainer::OnApplyZoom(int percent) {
    ComPtr<IDispatch> document = ComPtr<IDispatch>::Attach(m_browser.GetDocument());
    ComPtr<IUnknown> html;
    if (!document || FAILED(document->QueryInterface(kIHTMLDocument2, html.put_void())) || !html)
        return 1;
    if (!IsUsableZoom(percent))
        return 0; // a zero or negative zoom means nothing; the tab keeps the one it has
    m_nZoom = percent;
    ApplyZoom(document.get(), percent, false);
    return 0;
}

bool CDialogWBContainer::ApplyZoom(IDispatch* document, int percent, bool inFrame) {
    ComPtr<IHTMLDocument2> html;
    if (!document || FAILED(document->QueryInterface(__uuidof(IHTMLDocument2), html.put_void())) || !html)
        return false;
    return movalent::ApplyZoom(html.get(), percent, inFrame);
}

void CDialogWBContainer::OnParentNotify(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != WM_DESTROY || reinterpret_cast<HWND>(lParam) != m_hBrowserWnd || !m_hBrowserWnd ||
        m_bClosing)
        return;
    // The page closed its own window: the tab goes, through the view, while the container waits hidden and
    // out of the view's way.
    ::ShowWindow(Handle(), SW_HIDE);
    ::SetParent(Handle(), nullptr);
    if (m_hViewWnd)
        ::SendMessageW(m_hViewWnd, kMsgBrowserClosed, 0, 0);
}

bool CDialogWBContainer::DestroyWindow() {
    if (m_pPanelDockingWindow) {
        m_pPanelDockingWindow->ShowDW(FALSE);
        m_pPanelDockingWindow.reset();
    }
    if (m_pPanel) {
        m_pPanel->Close();
        m_pPanel.reset();
    }
    m_hPanelWnd = nullptr;
    m_bPanelShown = false;
    m_bClosing = true;
    if (m_dwEventCookie != 0) {
        ComPtr<IWebBrowser2> browser =
            ComPtr<IWebBrowser2>::Attach(m_browser.Query<IWebBrowser2>(IID_IWebBrowser2));
        if (browser)
            UnadviseConnection(browser.get(), kDWebBrowserEvents, m_dwEventCookie);
        m_dwEventCookie = 0;
    }
    return CDialogFMX::DestroyWindow();
}

LRESULT CDialogWBContainer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        LRESULT result = Default();
        LayoutChildren();
        return result;
    }
    case kMsgAddressBoxNavigate:
        if (HWND edit = AddressEdit()) {
            wchar_t empty = 0;
            int length = ::GetWindowTextLengthW(edit);
            std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, empty);
            int copied = ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
            text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
            Navigate(text);
        }
        return 0;
    case kMsgNavigate:
        return OnNavigateMessage(wParam);
    case kMsgApplyZoom:
        return OnApplyZoom(static_cast<int>(wParam));
    case kMsgCapturePage:
        OnCapturePage(static_cast<int>(wParam), static_cast<uint32_t>(lParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PARENTNOTIFY: {
        LRESULT result = Default();
        OnParentNotify(wParam, lParam);
        return result;
    }
    default:
        return CDialogFMX::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
