#include "tabs/IEThread.h"

#include "app/InternalMessages.h"
#include "engine/EngineLoader.h"
#include "tabs/AcceleratorPost.h"
#include "tabs/TabHost.h"
#include "framework/MessageBox.h"
#include "framework/ResourceStrings.h"
#include "resource.h"

#include <ole2.h>

namespace movalent {

CIEThread::CIEThread(HWND parentWindow, TabHost& host, IEVERSION version, const std::wstring& startUrl,
                     HANDLE exitEvent)
    : parentWindow_(parentWindow), host_(host), version_(version), startUrl_(startUrl), exitEvent_(exitEvent) {
    RegisterThreadMessages();
}

CIEThread::~CIEThread() {
    if (exitEvent_)
        ::SetEvent(exitEvent_);
}

void CIEThread::RegisterThreadMessages() {
    // Quitting and sizing also happen while a page's box or dialog is up; the rest waits for it to close.
    constexpr bool kUrgent = true;
    OnThreadMessage(kMsgThreadQuit, [this](WPARAM, LPARAM) { Quit(); }, kUrgent);
    OnThreadMessage(
        WM_SIZE,
        [this](WPARAM width, LPARAM height) {
            if (container_.Handle())
                ::MoveWindow(container_.Handle(), 0, 0, static_cast<int>(width), static_cast<int>(height),
                             TRUE);
        },
        kUrgent);
    OnThreadMessage(kMsgThreadCommand, [this](WPARAM wParam, LPARAM lParam) {
        if (container_.Handle())
            container_.Send(WM_COMMAND, wParam, lParam);
    });
    OnThreadMessage(kMsgNavigate, [this](WPARAM wParam, LPARAM lParam) {
        if (container_.Handle())
            container_.Send(kMsgNavigate, wParam, lParam);
        else
            AdoptHeapString(wParam); // nobody else will free it
    });
    for (UINT message : {kMsgApplyZoom, kMsgCapturePage})
        OnThreadMessage(message, [this, message](WPARAM wParam, LPARAM lParam) {
            if (container_.Handle())
                container_.Send(message, wParam, lParam);
        });
}

bool CIEThread::InitInstance() {
    // 1. The tag comes first: OLE and everything after it already run as the tab's engine version.
    SetThreadEngine(0, version_);
    // 2.
    if (FAILED(::OleInitialize(nullptr))) {
        ShowMessageBox(nullptr, FrameworkString(IDS_OLE_INIT_FAILED), MB_OK | MB_ICONERROR);
        return false;
    }
    oleInitialized_ = true;
    // 3. The container's own initialisation creates the browser, hands it to the view and opens the first
    // page.
    container_.m_hViewWnd = parentWindow_;
    container_.host_ = &host_;
    container_.m_strStartUrl = startUrl_;
    container_.CreateModeless(parentWindow_);
    return true;
}

void CIEThread::Quit() {
    // Out of the view before it goes, so destroying the browser sends nothing to the main thread, which may
    // be waiting for this thread.
    if (HWND container = container_.Handle()) {
        ::ShowWindow(container, SW_HIDE);
        ::SetParent(container, nullptr);
        // A modal loop has the page's script, or the browser, still on the stack: the container goes once the
        // quit has ended the loop and the thread's own loop is back (ExitInstance).
        if (!InModalLoop())
            container_.DestroyWindow();
    }
    ::PostQuitMessage(0);
}

void CIEThread::FreeQueuedStrings() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, kMsgNavigate, kMsgNavigate, PM_REMOVE))
        AdoptHeapString(msg.wParam);
}

int CIEThread::ExitInstance() {
    if (container_.Handle())
        container_.DestroyWindow();
    FreeQueuedStrings();
    if (oleInitialized_) {
        ::OleUninitialize();
        oleInitialized_ = false;
    }
    ForgetCurrentThread();
    return UiThread::ExitInstance();
}

bool CIEThread::PreTranslateMessage(MSG& msg) {
    HWND main = MainWindowHandle();
    if (msg.hwnd && TranslateAcceleratorForWindow(main, host_.Accelerators(), msg))
        return true;
    // F10 in the page takes the keyboard to the ribbon; Alt with a letter stays the page's (its access keys).
    if (main && msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F10 && ::GetKeyState(VK_SHIFT) >= 0) {
        ::PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
    }
    return UiThread::PreTranslateMessage(msg);
}

} // namespace movalent
