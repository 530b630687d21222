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

// Registered window messages (RegisterWindowMessageW with these names).
//
// Sent by the application to the main window, wParam 0 and lParam 0, after every tab it opens (and by the
// frame itself when tabs move between groups): the frame re-applies its tab widths.
inline constexpr const wchar_t* kTabGroupsChangedMessageName = L"Movalent.TabGroupsChanged";
// Sent to the main window from outside (tests, automation): wParam a command id. The answer is the command's
// state as the command routing reports it right now, for the active tab: bit 1 enabled, bit 2 checked, bit 4
// radio mark. Commands themselves are driven by posting WM_COMMAND to the main window; tab captions are the
// window texts of the MDI children.
inline constexpr const wchar_t* kQueryCommandStateMessageName = L"Movalent.QueryCommandState";
// Sent to the ribbon window from outside (tests, automation), asking what the ribbon shows. wParam: the
// question in the low word, its argument in the high word (a command id, or an index); lParam: for questions
// answered with text, a buffer of kRibbonQueryTextSize characters in the ribbon's process, which receives the
// text with its terminating zero. Element questions take a command id, kRibbonApplicationButton, or
// kRibbonTabRowElement plus an index for the elements at the right end of the tab row (from the left), or
// kRibbonQuickAccessElement plus an index for the quick access toolbar's buttons.
inline constexpr const wchar_t* kQueryRibbonMessageName = L"Movalent.QueryRibbon";
inline constexpr unsigned kRibbonQueryTextSize = 512;
enum RibbonQuery : unsigned {
    kRibbonElementPoint = 1, // the middle of the element on screen (client coordinates), packed x | y << 16;
                             // 0 when it is not shown
    kRibbonElementArrow,     // the same for its drop-down arrow (a split button's lower part)
    kRibbonElementText,      // its label
    kRibbonElementTip,       // its tooltip and description, joined by a line break
    kRibbonElementState,     // 1 enabled, 2 checked
    kRibbonCategoryCount,    // every category but the application menu
    kRibbonCategoryName,     // category at index, as written (with its "&")
    kRibbonCategoryPoint,    // the middle of the category's tab
    kRibbonActiveCategory,   // the index of the active category
    kRibbonMinimized,        // 1 while the elements are hidden
    kRibbonMenuItemCount,    // the items of the popup menu open now (or the last one), separators included
    kRibbonMenuItemText,     // item at index; a separator reads as "-"
    kRibbonSearchItemCount,  // the search box's drop-down list
    kRibbonSearchItemText,
    kRibbonPanelName, // panel at index of the active category
    kRibbonMenuOpen,  // 1 while a popup menu of the ribbon is open
};
inline constexpr unsigned kRibbonApplicationButton = 0xFFF0;
inline constexpr unsigned kRibbonTabRowElement = 0xFF00;
inline constexpr unsigned kRibbonQuickAccessElement = 0xFE00;

// Heap strings as message parameters.
inline std::uintptr_t NewHeapString(std::wstring text) {
    return reinterpret_cast<std::uintptr_t>(new std::wstring(std::move(text)));
}
// Takes ownership of a heap string parameter (null stays null).
inline std::unique_ptr<std::wstring> AdoptHeapString(std::uintptr_t param) {
    return std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(param));
}

} // namespace movalent
