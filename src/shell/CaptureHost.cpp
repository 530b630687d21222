#include "shell/CaptureHost.h"

#include "app/InternalMessages.h"
#include "tabs/PagePicture.h"
#include "tabs/ZoomSliderRules.h"

#include <ole2.h>

#include <cwchar>
#include <memory>

namespace movalent {

namespace {

constexpr const wchar_t* kHostClass = L"MovalentCaptureHost";
constexpr UINT_PTR kQuietTimer = 1;
constexpr UINT_PTR kTimeoutTimer = 2;
constexpr UINT_PTR kClosedTimer = 3;

std::wstring StatusText(WPARAM status) {
    wchar_t text[64];
    const auto code = static_cast<unsigned long>(status & 0xFFFFFFFFu);
    // HTTP answers are small numbers; anything else is a system error code.
    if (code < 1000)
        std::swprintf(text, 64, L"the page could not be loaded (HTTP status %lu)", code);
    else
        std::swprintf(text, 64, L"the page could not be loaded (error 0x%08lX)", code);
    return text;
}

} // namespace

CaptureHost::CaptureHost(IEVERSION version, const CaptureOptions& options, TabHost& host, Listener& listener)
    : version_(version), options_(options), host_(host), listener_(listener) {}

CaptureHost::~CaptureHost() {
    thread_.Stop();
    if (Handle())
        DiscardBrowserReports(Handle());
}

bool CaptureHost::Start() {
    startTick_ = ::GetTickCount64();
    if (!RegisterWindowClass(kHostClass, 0, nullptr, nullptr) ||
        !Create(0, kHostClass, L"", WS_POPUP | WS_CLIPCHILDREN, RECT{0, 0, options_.width, options_.height},
                nullptr, 0)) {
        error_ = L"the capture window could not be made";
        return false;
    }
    if (!thread_.Start(Handle(), host_, version_, options_.address)) {
        error_ = L"the browser thread could not be started";
        return false;
    }
    // The container takes the window's whole size, as a tab's does.
    thread_.Post(WM_SIZE, static_cast<WPARAM>(options_.width), static_cast<LPARAM>(options_.height));
    ::SetTimer(Handle(), kTimeoutTimer, options_.timeoutSeconds * 1000u, nullptr);
    return true;
}

void CaptureHost::OnDocumentComplete(WPARAM wParam, LPARAM lParam) {
    AdoptHeapString(wParam);
    AdoptHeapString(static_cast<std::uintptr_t>(lParam));
    if (completeMs_ < 0)
        completeMs_ = static_cast<long long>(::GetTickCount64() - startTick_);
    OnBusy();
}

void CaptureHost::OnBusy() {
    // Quiet means nothing has loaded for the whole wait since the document completed.
    if (completeMs_ >= 0 && !pictureAsked_ && !finished_)
        ::SetTimer(Handle(), kQuietTimer, options_.waitMs, nullptr);
}

void CaptureHost::OnQuiet() {
    ::KillTimer(Handle(), kQuietTimer);
    if (pictureAsked_ || finished_)
        return;
    pictureAsked_ = true;
    const auto height = static_cast<uint32_t>(options_.height) | (options_.full ? kCaptureFullPage : 0u);
    if (!thread_.Post(kMsgCapturePage, static_cast<WPARAM>(options_.width), static_cast<LPARAM>(height)))
        Finish(L"the browser thread ended before the page was drawn");
}

void CaptureHost::OnPicture(WPARAM wParam) {
    std::unique_ptr<PagePicture> page(reinterpret_cast<PagePicture*>(wParam));
    if (!page || finished_)
        return;
    if (FAILED(page->result) || page->picture.Empty()) {
        wchar_t text[80];
        std::swprintf(text, 80, L"the engine could not draw the page (error 0x%08lX)",
                      static_cast<unsigned long>(page->result));
        Finish(text);
        return;
    }
    picture_ = std::move(page->picture);
    Finish(navigationError_);
}

void CaptureHost::OnBrowserStream(WPARAM wParam) {
    // The browser's automation object is for a tab's document; a capture has no use for it.
    if (auto* stream = reinterpret_cast<IStream*>(wParam))
        ReleaseBrowserStream(stream);
}

void CaptureHost::Finish(std::wstring error) {
    if (finished_)
        return;
    finished_ = true;
    error_ = std::move(error);
    ::KillTimer(Handle(), kQuietTimer);
    ::KillTimer(Handle(), kTimeoutTimer);
    ::KillTimer(Handle(), kClosedTimer);
    // The threads of all versions end side by side; the host waits for its own when it goes.
    thread_.RequestStop();
    listener_.OnCaptureFinished(*this);
}

LRESULT CaptureHost::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgDocumentComplete:
        OnDocumentComplete(wParam, lParam);
        return 0;
    case kMsgDownloadProgress:
        if (IsBusyProgress(static_cast<int>(wParam), static_cast<int>(lParam)))
            OnBusy();
        return 0;
    case kMsgTitleChange:
    case kMsgStatusText:
    case kMsgNewWindow:
        AdoptHeapString(wParam); // a capture opens no other window
        return 0;
    case kMsgNavigateError:
        if (navigationError_.empty())
            navigationError_ = StatusText(wParam);
        return 0;
    case kMsgBrowserStream:
        OnBrowserStream(wParam);
        return 0;
    case kMsgPagePicture:
        OnPicture(wParam);
        return 0;
    case kMsgBrowserClosed:
        // Sent: the browser thread waits for the answer, so stopping it has to wait until after it.
        ::SetTimer(Handle(), kClosedTimer, 0, nullptr);
        return 0;
    case kMsgBrowserThreadEnded:
        if (thread_.EndedByItself())
            Finish(L"the browser thread ended unexpectedly");
        return 0;
    case WM_TIMER:
        if (wParam == kQuietTimer)
            OnQuiet();
        else if (wParam == kClosedTimer)
            Finish(L"the page closed its window");
        else if (wParam == kTimeoutTimer)
            Finish(completeMs_ < 0 ? L"timed out: the page did not complete"
                                   : L"timed out while drawing the page");
        return 0;
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace movalent
