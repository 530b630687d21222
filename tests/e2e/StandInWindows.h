#pragma once
// Finding the stand-in's windows inside the program under test and reading what they report. Their texts are
// read with InternalGetWindowText, which never waits for the window's thread (a browser thread may sit in a
// message box or a page's endless script).
#include "standin/StandInTestSupport.h"

#include <windows.h>

#include <string>

namespace movalent::test {

namespace detail {
struct ClassSearch {
    const wchar_t* className;
    HWND found;
};
inline BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    if (::lstrcmpiW(name, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace detail

// The first window of the class among all descendants of root (any thread), or null.
inline HWND FindDescendantOfClass(HWND root, const wchar_t* className) {
    detail::ClassSearch search = {className, nullptr};
    ::EnumChildWindows(root, detail::MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::wstring InternalText(HWND window) {
    wchar_t text[8192] = {};
    int length = window ? ::InternalGetWindowText(window, text, 8192) : 0;
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// The report of the first window of the class below root; empty when there is no such window.
inline standin::testing::ProbeReport ReportOfWindow(HWND root, const wchar_t* className) {
    return standin::testing::ParseProbeReport(InternalText(FindDescendantOfClass(root, className)));
}

inline constexpr const wchar_t* kStandInBrowserClass = L"StandInWebBrowser";
inline constexpr const wchar_t* kStandInPanelClass = L"StandInFennimoxPanel";

} // namespace movalent::test
