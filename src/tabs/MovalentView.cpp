#include "tabs/MovalentView.h"

#include "app/InternalMessages.h"
#include "app/MovalentApp.h"
#include "engine/EngineLoader.h"
#include "app/LanguageTable.h"
#include "framework/ChildFrame.h"
#include "framework/MessageBox.h"
#include "resource.h"
#include "tabs/ContainerFontCache.h"
#include "tabs/HeapStringPost.h"
#include "tabs/IEThread.h"
#include "tabs/MovalentDoc.h"
#include "tabs/ZoomSliderHost.h"
#include "tabs/ZoomSliderRules.h"

#include <ole2.h>

#include <cwchar>

namespace movalent {

namespace {

// Runs on a thread-pool thread when the browser thread has ended.
VOID CALLBACK ReportThreadEnd(PVOID view, BOOLEAN) {
    ::PostMessageW(static_cast<HWND>(view), kMsgBrowserThreadEnded, 0, 0);
}

// Commands the container carries out; the view passes them on unchanged.
constexpr unsigned kForwardedCommands[] = {
    ID_NAV_PREVIOUS,      ID_NAV_NEXT,           ID_NAV_REFRESH,      ID_REFRESH_PAGE,
    ID_REFRESH_COMPLETE,  ID_NAV_STOP,           ID_NAV_HOME,         ID_PRINT_PAGE,
    ID_PRINT_PAGE_DIRECT, ID_PRINT_PREVIEW_PAGE, ID_TOGGLE_FENNIMOX,  ID_VIEW_SOURCE,
    ID_TEXT_SIZE_LARGER,  ID_TEXT_SIZE_LARGE,    ID_TEXT_SIZE_MEDIUM, ID_TEXT_SIZE_SMALL,
    ID_TEXT_SIZE_SMALLER, ID_FOCUS_ADDRESS,
};

std::wstring Percent(int zoom) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d%%", zoom);
    return text;
}

void ReleaseStream(IStream* stream) {
    ::CoReleaseMarshalData(stream);
    stream->Release();
}

} // namespace

CMovalentView::CMovalentView() {
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
        CMovalentApp* app = CMovalentApp::Get();
        std::wstring url = app ? app->FavoriteUrl(id) : std::wstring();
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
    return threadRunning_ && !stopping_ && ::PostMessageW(threadWindow_, message, wParam, lParam) != FALSE;
}

bool CMovalentView::NavigateTo(const std::wstring& url) {
    return threadRunning_ && !stopping_ && PostHeapString(threadWindow_, kMsgNavigate, HeapString(url), 0);
}

void CMovalentView::OnInitialUpdate() {
    View::OnInitialUpdate();
    StartBrowserThread();
}

void CMovalentView::StartBrowserThread() {
    CMovalentDoc* document = Document();
    if (!document || threadRunning_)
        return;
    HoldContainerFontScriptCache();
    exitEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    document->SetBrowserReadyEvent(UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    if (!exitEvent_)
        return;
    auto* thread = new CIEThread(Handle(), static_cast<IEVERSION>(document->EngineVersion()),
                                 document->StartUrl(), exitEvent_.get());
    UiThread::Identity identity;
    if (!thread->CreateThread(nullptr, 0, &identity)) {
        // The tab stays empty.
        delete thread;
        exitEvent_.reset();
        return;
    }
    threadId_ = identity.id;
    threadWindow_ = identity.window;
    threadHandle_ = std::move(identity.handle);
    threadRunning_ = true;
    // The window, not the object, goes to the thread pool: a report arriving after the view is gone finds no
    // window and is dropped.
    if (!::RegisterWaitForSingleObject(&threadWatch_, threadHandle_.get(), ReportThreadEnd, Handle(), INFINITE,
                                       WT_EXECUTEONLYONCE))
        threadWatch_ = nullptr;
    // The view got its size before the thread existed; the container would keep its template's size until the
    // next change.
    RECT client = ClientRect();
    PostToThread(WM_SIZE, static_cast<WPARAM>(client.right - client.left),
                 static_cast<LPARAM>(client.bottom - client.top));
}

void CMovalentView::StopBrowserThread() {
    // Messages sent to this thread while it waits run in the middle of the stop; a second close lands here.
    if (!threadRunning_ || stopping_)
        return;
    stopping_ = true;
    ::PostMessageW(threadWindow_, kMsgThreadQuit, 0, 0);
    if (!WaitForExit() && threadHandle_) {
        ::TerminateThread(threadHandle_.get(), 1);
        // Termination skips the thread-exit callbacks that drop the thread's engine tag. It completes
        // asynchronously; the tag goes once the thread can no longer run.
        constexpr DWORD kTerminateWaitMs = 1000;
        ::WaitForSingleObject(threadHandle_.get(), kTerminateWaitMs);
        ForgetThread(threadId_);
    }
    StopWatchingThread();
    exitEvent_.reset();
    threadHandle_.reset();
    threadId_ = 0;
    threadWindow_ = nullptr;
    threadRunning_ = false;
    stopping_ = false;
}

bool CMovalentView::WaitForExit() const {
    // Posted messages and input wait, so the main window does not respond meanwhile. Messages the browser
    // thread sends to this thread are answered, though: a thread still creating its container sends to the
    // view (child notifications, focus changes) and would otherwise sit out the whole time-out and be
    // terminated half-made.
    HANDLE event = exitEvent_.get();
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        ULONGLONG elapsed = ::GetTickCount64() - start;
        DWORD left = elapsed >= kStopTimeoutMs ? 0 : static_cast<DWORD>(kStopTimeoutMs - elapsed);
        DWORD result = ::MsgWaitForMultipleObjectsEx(1, &event, left, QS_SENDMESSAGE, 0);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CMovalentView::DiscardQueuedReports() {
    MSG msg;
    while (::PeekMessageW(&msg, Handle(), kMsgTitleChange, kMsgBrowserStream, PM_REMOVE)) {
        switch (msg.message) {
        case kMsgTitleChange:
        case kMsgStatusText:
        case kMsgNavigate:
        case kMsgNewWindow:
            AdoptHeapString(msg.wParam);
            break;
        case kMsgDocumentComplete:
            AdoptHeapString(msg.wParam);
            AdoptHeapString(static_cast<std::uintptr_t>(msg.lParam));
            break;
        case kMsgBrowserStream:
            if (auto* stream = reinterpret_cast<IStream*>(msg.wParam))
                ReleaseStream(stream);
            break;
        default:
            break;
        }
    }
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
    CMovalentApp* app = CMovalentApp::Get();
    if (HWND main = app ? app->MainWindowHandle() : nullptr)
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
    CMovalentApp* app = CMovalentApp::Get();
    if (HWND main = app ? app->MainWindowHandle() : nullptr)
        ::SendMessageW(main, kMsgDownloadProgress, wParam, lParam);
}

void CMovalentView::OnNewWindow(WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<std::wstring> url = AdoptHeapString(wParam);
    if (!url)
        return;
    if (CMovalentApp* app = CMovalentApp::Get())
        app->OpenTab(static_cast<int>(lParam), *url);
}

void CMovalentView::StopWatchingThread() {
    // Waits for a report being made, so none uses the handle after it is closed.
    if (threadWatch_)
        ::UnregisterWaitEx(threadWatch_, INVALID_HANDLE_VALUE);
    threadWatch_ = nullptr;
}

void CMovalentView::OnBrowserThreadEnded() {
    if (!threadRunning_ || stopping_ || !threadHandle_ || ::WaitForSingleObject(threadHandle_.get(), 0) != WAIT_OBJECT_0)
        return; // a stop already dealt with it
    StopWatchingThread();
    ForgetThread(threadId_);
    exitEvent_.reset();
    threadHandle_.reset();
    threadId_ = 0;
    threadWindow_ = nullptr;
    threadRunning_ = false;
    ShowMessageBox(Handle(), LocalizedString(IDS_BROWSER_THREAD_ENDED), MB_OK | MB_ICONEXCLAMATION);
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
        ReleaseStream(stream);
    if (document && document->BrowserReadyEvent())
        ::SetEvent(document->BrowserReadyEvent());
}

ZoomSliderHost* CMovalentView::ZoomSlider() const {
    CMovalentApp* app = CMovalentApp::Get();
    auto* host = app ? dynamic_cast<ZoomSliderHost*>(app->MainWindow()) : nullptr;
    return host && host->HasZoomSlider() ? host : nullptr;
}

void CMovalentView::OnZoomSlider() {
    ZoomSliderHost* slider = ZoomSlider();
    if (!slider)
        return;
    zoom_ = ZoomFromSlider(slider->ZoomSliderPosition());
    PostToThread(kMsgApplyZoom, static_cast<WPARAM>(zoom_));
    slider->SetZoomPaneText(Percent(zoom_));
}

void CMovalentView::StepZoom(bool in) {
    ZoomSliderHost* slider = ZoomSlider();
    if (!slider)
        return;
    int position = slider->ZoomSliderPosition();
    if (position == 0)
        return;
    slider->SetZoomSliderPosition(in ? ZoomInPosition(position) : ZoomOutPosition(position), true);
    OnZoomSlider();
}

void CMovalentView::ResetZoom() {
    ZoomSliderHost* slider = ZoomSlider();
    if (!slider)
        return;
    slider->SetZoomSliderPosition(kZoomSliderMiddle, true);
    OnZoomSlider();
}

void CMovalentView::ShowZoom() {
    ZoomSliderHost* slider = ZoomSlider();
    if (!slider)
        return;
    int position = SliderFromZoom(zoom_);
    if (slider->ZoomSliderPosition() != position)
        slider->SetZoomSliderPosition(position, true);
    slider->SetZoomPaneText(Percent(zoom_));
}

void CMovalentView::OnFrameClosing() {
    StopBrowserThread();
    DiscardQueuedReports();
}

void CMovalentView::OnActivateView(bool activate) {
    View::OnActivateView(activate);
    if (activate)
        ShowZoom();
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
        DiscardQueuedReports();
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
