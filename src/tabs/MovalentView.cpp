#include "tabs/MovalentView.h"

#include "app/InternalMessages.h"
#include "engine/EngineLoader.h"
#include "framework/ChildFrame.h"
#include "framework/MessageBox.h"
#include "framework/ResourceStrings.h"
#include "resource.h"
#include "tabs/ContainerFontCache.h"
#include "tabs/HeapStringPost.h"
#include "tabs/MovalentDoc.h"
#include "tabs/TabHost.h"
#include "tabs/ZoomSliderRules.h"

#include <ole2.h>

#include <optional>

namespace movalent {

namespace {

// Commands the container carries out; the view passes them on unchanged.
constexpr unsigned kForwardedCommands[] = {
    ID_NAV_PREVIOUS,      ID_NAV_NEXT,           ID_NAV_REFRESH,      ID_REFRESH_PAGE,
    ID_REFRESH_COMPLETE,  ID_NAV_STOP,           ID_NAV_HOME,         ID_PRINT_PAGE,
    ID_PRINT_PAGE_DIRECT, ID_PRINT_PREVIEW_PAGE, ID_TOGGLE_FENNIMOX,  ID_VIEW_SOURCE,
    ID_TEXT_SIZE_LARGER,  ID_TEXT_SIZE_LARGE,    ID_TEXT_SIZE_MEDIUM, ID_TEXT_SIZE_SMALL,
    ID_TEXT_SIZE_SMALLER, ID_FOCUS_ADDRESS,
};

} // namespace

CMovalentView::CMovalentView(TabHost& host) : host_(host) {
    RegisterCommands();
}

CMovalentView::~CMovalentView() = default;

CMovalentDoc* CMovalentView::Document() const {
    return dynamic_cast<CMovalentDoc*>(GetDocument());
}

void CMovalentView::RegisterCommands() {
    for (unsigned id : kForwardedCommands)
        OnCommand(id, [this, id] { PostToThread(kMsgThreadCommand, id); });

    OnUpdateCommand(ID_NAV_PREVIOUS, [this](CommandState& state) { state.Enable(history_.CanGoBack()); });
    OnUpdateCommand(ID_NAV_NEXT, [this](CommandState& state) { state.Enable(history_.CanGoForward()); });
    for (unsigned id : {ID_NAV_REFRESH, ID_REFRESH_PAGE, ID_REFRESH_COMPLETE})
        OnUpdateCommand(id, [this](CommandState& state) { state.Enable(!busy_); });
    OnUpdateCommand(ID_NAV_STOP, [this](CommandState& state) { state.Enable(busy_); });
    auto always = [](CommandState& state) { state.Enable(); };
    for (unsigned id : {ID_NAV_HOME, ID_FAVORITES, ID_TEXT_SIZE, ID_FOCUS_ADDRESS})
        OnUpdateCommand(id, always);
    OnUpdateCommandRange(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, always);
    OnUpdateCommand(ID_TOGGLE_FENNIMOX, [this](CommandState& state) {
        state.Enable();
        state.SetCheck(panelShown_);
    });

    OnCommandRange(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, [this](unsigned id) {
        std::wstring url = host_.FavoriteAddress(id);
        if (!url.empty())
            NavigateTo(url);
    });
    OnCommandRange(TabHistory::kFirstCommand, TabHistory::kLastCommand,
                   [this](unsigned id) { OnHistoryCommand(id); });

    OnCommand(ID_ZOOM_SLIDER, [this] { OnZoomSlider(); });
    OnCommand(ID_ZOOM_IN, [this] { StepZoom(true); });
    OnCommand(ID_ZOOM_OUT, [this] { StepZoom(false); });
    OnCommand(ID_ZOOM_RESET, [this] { ResetZoom(); });
    OnCommand(ID_ZOOM_PANE, [] {});
}

bool CMovalentView::PostToThread(UINT message, WPARAM wParam, LPARAM lParam) const {
    return thread_.Post(message, wParam, lParam);
}

bool CMovalentView::NavigateTo(const std::wstring& url) { return thread_.Navigate(url); }

void CMovalentView::OnInitialUpdate() {
    View::OnInitialUpdate();
    StartBrowserThread();
}

void CMovalentView::StartBrowserThread() {
    CMovalentDoc* document = Document();
    if (!document || thread_.Running())
        return;
    HoldContainerFontScriptCache();
    document->SetBrowserReadyEvent(UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    // When the thread cannot start the tab stays empty.
    if (!thread_.Start(Handle(), host_, static_cast<IEVERSION>(document->EngineVersion()), document->StartUrl()))
        return;
    // The view got its size before the thread existed; the container would keep its template's size until the
    // next change.
    RECT client = ClientRect();
    PostToThread(WM_SIZE, static_cast<WPARAM>(client.right - client.left),
                 static_cast<LPARAM>(client.bottom - client.top));
}

void CMovalentView::StopBrowserThread() {
    thread_.Stop();
    DiscardBrowserReports(Handle());
}

std::wstring CMovalentView::CurrentAddress() const {
    if (history_.Size() > 0)
        return history_.Entry(history_.CurrentIndex()).url;
    const CMovalentDoc* document = Document();
    return document ? document->StartUrl() : std::wstring();
}

void CMovalentView::OnHistoryCommand(unsigned command) {
    if (std::optional<std::wstring> url = history_.Select(command))
        NavigateTo(*url);
}

void CMovalentView::OnTitleChange(WPARAM wParam) {
    std::unique_ptr<std::wstring> title = AdoptHeapString(wParam);
    if (title && GetDocument())
        GetDocument()->SetTitle(*title);
}

void CMovalentView::OnStatusText(WPARAM wParam) {
    std::unique_ptr<std::wstring> text = AdoptHeapString(wParam);
    if (!text)
        return;
    if (HWND main = host_.MainWindow())
        ::SendMessageW(main, kMsgStatusText, reinterpret_cast<WPARAM>(text.get()), 0);
}

void CMovalentView::OnDocumentComplete(WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<std::wstring> url = AdoptHeapString(wParam);
    std::unique_ptr<std::wstring> title = AdoptHeapString(static_cast<std::uintptr_t>(lParam));
    if (url && title)
        history_.AddDocument(*url, *title);
}

void CMovalentView::OnProgress(WPARAM wParam, LPARAM lParam) {
    busy_ = IsBusyProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    if (HWND main = host_.MainWindow())
        ::SendMessageW(main, kMsgDownloadProgress, wParam, lParam);
}

void CMovalentView::OnNewWindow(WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<std::wstring> url = AdoptHeapString(wParam);
    if (!url)
        return;
    host_.OpenTab(static_cast<IEVERSION>(lParam), *url);
}

void CMovalentView::OnBrowserThreadEnded() {
    if (!thread_.EndedByItself())
        return;
    ShowMessageBox(Handle(), FrameworkString(IDS_BROWSER_THREAD_ENDED), MB_OK | MB_ICONEXCLAMATION);
    if (ChildFrame* frame = ParentFrame(); frame && frame->Handle())
        frame->Post(WM_CLOSE);
}

void CMovalentView::OnBrowserClosed() {
    // Posted: the tab closes once the browser thread is back in its own loop.
    if (ChildFrame* frame = ParentFrame(); frame && frame->Handle())
        frame->Post(WM_CLOSE);
}

void CMovalentView::OnBrowserStream(WPARAM wParam) {
    auto* stream = reinterpret_cast<IStream*>(wParam);
    if (!stream)
        return;
    CMovalentDoc* document = Document();
    if (!document || !document->AdoptBrowserStream(stream))
        ReleaseBrowserStream(stream);
    if (document && document->BrowserReadyEvent())
        ::SetEvent(document->BrowserReadyEvent());
}

void CMovalentView::OnZoomSlider() {
    if (std::optional<int> chosen = host_.ChosenZoom())
        SetZoom(*chosen);
}

void CMovalentView::StepZoom(bool in) {
    // Steps go along the slider's scale from the tab's own zoom; at its left end both keys stay put.
    const int position = SliderFromZoom(zoom_);
    if (position == 0)
        return;
    SetZoom(ZoomFromSlider(in ? ZoomInPosition(position) : ZoomOutPosition(position)));
}

void CMovalentView::ResetZoom() {
    SetZoom(ZoomFromSlider(kZoomSliderMiddle));
}

void CMovalentView::SetZoom(int percent) {
    zoom_ = percent;
    PostToThread(kMsgApplyZoom, static_cast<WPARAM>(zoom_));
    host_.ShowZoom(zoom_);
}

void CMovalentView::OnFrameClosing() { StopBrowserThread(); }

void CMovalentView::OnActivateView(bool activate) {
    View::OnActivateView(activate);
    if (activate)
        host_.ShowZoom(zoom_);
}

LRESULT CMovalentView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        // The container covers the whole client area.
        ::ValidateRect(Handle(), nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        PostToThread(WM_SIZE, LOWORD(lParam), HIWORD(lParam));
        return Default();
    case WM_DESTROY:
        StopBrowserThread();
        return View::WindowProc(message, wParam, lParam);
    case kMsgTitleChange:
        OnTitleChange(wParam);
        return 0;
    case kMsgStatusText:
        OnStatusText(wParam);
        return 0;
    case kMsgDocumentComplete:
        OnDocumentComplete(wParam, lParam);
        return 0;
    case kMsgDownloadProgress:
        OnProgress(wParam, lParam);
        return 0;
    case kMsgNavigate:
        if (std::unique_ptr<std::wstring> url = AdoptHeapString(wParam))
            NavigateTo(*url);
        return 0;
    case kMsgNewWindow:
        OnNewWindow(wParam, lParam);
        return 0;
    case kMsgBrowserClosed:
        OnBrowserClosed();
        return 0;
    case kMsgPanelShown:
        panelShown_ = wParam == 1;
        return 0;
    case kMsgBrowserStream:
        OnBrowserStream(wParam);
        return 0;
    case kMsgBrowserThreadEnded:
        OnBrowserThreadEnded();
        return 0;
    default:
        return View::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
