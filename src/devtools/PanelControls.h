#pragma once
// The panel's window class and the ids of its controls, which also let a test find them from outside.
namespace movalent::devtools {

inline constexpr wchar_t kPanelWindowClass[] = L"MovalentDevToolsPanel";

enum PanelControl : unsigned {
    kPickButton = 1001,
    kRefreshButton = 1002,
    kSourceButton = 1003,
    kFindMode = 1004,
    kFindText = 1005,
    kFindPrevious = 1006,
    kFindNext = 1007,
    kTree = 1008,
    kProperties = 1009,
    kValue = 1010,
    kApplyButton = 1011,
    kOuterHtml = 1012,
    kScript = 1013,
    kRunButton = 1014,
    kStatus = 1015,
};

// Posted to the panel's window by itself: work that must not run inside an engine's event call.
inline constexpr unsigned kPanelStopPicking = 0x8000 + 0x300; // WM_APP + 0x300

} // namespace movalent::devtools
