#pragma once
// Every message the program sends itself, in one place.
//
// Window and thread messages are offsets from WM_USER (0x0400). A "heap string" is a std::wstring allocated
// by the sender and passed by pointer in wParam or lParam: whoever handles the message last deletes it, and a
// sender whose post fails deletes it itself. Thread messages are posted with no window to a tab's browser
// thread.
//
// This header needs no Windows header, so plain code can name the messages too.
#include <cstdint>
#include <memory>
#include <string>

namespace movalent {

inline constexpr unsigned kUserMessageBase = 0x0400;

// View -> browser thread (thread messages).
inline constexpr unsigned kMsgThreadQuit = kUserMessageBase + 0x1000;    // 5120: hide, detach, destroy, quit
inline constexpr unsigned kMsgThreadCommand = kUserMessageBase + 0x1001; // 5121: wParam command id
// 5122: draw the page into a picture of wParam width and lParam height (with kCaptureFullPage: at least that
// height, as tall as the page needs); the container answers with kMsgPagePicture.
inline constexpr unsigned kMsgCapturePage = kUserMessageBase + 0x1002;
// The browser thread also takes WM_SIZE (wParam width, lParam height) as a thread message.

// Inside the browser thread: the address box asks its container to navigate to the box's text (sent).
inline constexpr unsigned kMsgAddressBoxNavigate = kUserMessageBase + 0x2000; // 9216

// Container -> view (posted), and view -> main window (sent) for status and progress.
inline constexpr unsigned kMsgTitleChange = kUserMessageBase + 0x2001; // 9217: wParam heap string title
inline constexpr unsigned kMsgStatusText = kUserMessageBase + 0x2002;  // 9218: wParam heap string (0: none)
inline constexpr unsigned kMsgDocumentComplete = kUserMessageBase + 0x2003; // 9219: wParam URL, lParam title
inline constexpr unsigned kMsgDownloadProgress =
    kUserMessageBase + 0x2004; // 9220: wParam progress, lParam max

// Main frame -> view (posted) -> browser thread -> container: navigate; wParam heap string URL.
inline constexpr unsigned kMsgNavigate = kUserMessageBase + 0x2005; // 9221

// Container -> view (posted): a page asked for a new window; wParam heap string URL, lParam IEVERSION.
inline constexpr unsigned kMsgNewWindow = kUserMessageBase + 0x2006; // 9222

// One number, two receivers: view -> browser thread -> container, apply zoom (wParam percent 10..999); and
// ribbon search box -> main window (posted), web search (wParam heap string search text).
inline constexpr unsigned kMsgApplyZoom = kUserMessageBase + 0x2007; // 9223
inline constexpr unsigned kMsgWebSearch = kUserMessageBase + 0x2007; // 9223

// Container -> view (sent): the page closed its window; the view closes the tab.
inline constexpr unsigned kMsgBrowserClosed = kUserMessageBase + 0x2008; // 9224
// Container -> view (posted): wParam 1 when the developer-tools panel is now shown.
inline constexpr unsigned kMsgPanelShown = kUserMessageBase + 0x2009; // 9225
// Container -> view (posted): wParam the IStream holding the browser's marshalled IDispatch.
inline constexpr unsigned kMsgBrowserStream = kUserMessageBase + 0x200A; // 9226
// Thread pool -> view (posted, no parameters): the tab's browser thread has ended, by itself or after its stop.
inline constexpr unsigned kMsgBrowserThreadEnded = kUserMessageBase + 0x200B; // 9227

// Container -> view (posted): wParam a heap PagePicture (tabs/PagePicture.h), owned as a heap string is.
inline constexpr unsigned kMsgPagePicture = kUserMessageBase + 0x200C; // 9228
// Container -> view (posted): the top-level page could not be loaded; wParam its status code (HTTP or HRESULT).
inline constexpr unsigned kMsgNavigateError = kUserMessageBase + 0x200D; // 9229

// Registered window messages (RegisterWindowMessageW with these names).
//
// Sent by the application to the main window, wParam 0 and lParam 0, after every tab it opens (and by the
// frame itself when tabs move between groups): the frame re-applies its tab widths.
inline constexpr const wchar_t* kTabGroupsChangedMessageName = L"Movalent.TabGroupsChanged";
// The questions tests ask the main window and the ribbon are the framework's: framework/QueryMessages.h.

// Heap strings as message parameters.
inline std::uintptr_t NewHeapString(std::wstring text) {
    return reinterpret_cast<std::uintptr_t>(new std::wstring(std::move(text)));
}
// Takes ownership of a heap string parameter (null stays null).
inline std::unique_ptr<std::wstring> AdoptHeapString(std::uintptr_t param) {
    return std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(param));
}

} // namespace movalent
