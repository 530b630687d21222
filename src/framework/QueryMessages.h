#pragma once
// Registered messages through which tests (and automation) ask the main window and the ribbon what they show.
// They carry no addresses: answers come back as the message's result or as a WM_COPYDATA to a window the
// asker names. Answered only in builds with MOVALENT_TEST_HOOKS.

namespace movalent {

// Sent to the main window from outside (tests, automation): wParam a command id. The answer is the command's
// state as the command routing reports it right now, for the active tab: bit 1 enabled, bit 2 checked, bit 4
// radio mark. Commands themselves are driven by posting WM_COMMAND to the main window; tab captions are the
// window texts of the MDI children.
inline constexpr const wchar_t* kQueryCommandStateMessageName = L"Movalent.QueryCommandState";
// Sent to the main window from outside: wParam a pixel density. The window takes it as WM_DPICHANGED would
// bring it, keeping its rectangle (a message from another process cannot carry the suggested one).
inline constexpr const wchar_t* kChangeDpiMessageName = L"Movalent.ChangeDpi";
// Sent to the ribbon window from outside (tests, automation), asking what the ribbon shows. wParam: the
// question in the low word, its argument in the high word (a command id, or an index); lParam: for questions
// answered with text, the window that receives the text: the ribbon sends it a WM_COPYDATA whose dwData is
// the question and whose data are the text's characters (at most kRibbonQueryTextSize - 1, no terminator). No
// address from the asker is ever written to. Element questions take a command id, kRibbonApplicationButton,
// or kRibbonTabRowElement plus an index for the elements at the right end of the tab row (from the left), or
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

} // namespace movalent
