#pragma once
// Looks inside a tab of the running program from the test process: the stand-in page's report (the text of
// the stand-in control's window), the tab's address box, and the process's threads and memory.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace movalent::test {

// The first window of the given class below parent, at any depth; null when there is none.
HWND FindDescendant(HWND parent, const wchar_t* className);

// The stand-in control's window in a tab (class "StandInWebBrowser").
HWND BrowserWindow(HWND tab);

// The page report of the tab's stand-in browser as key=value pairs; empty when the tab shows none. Read
// without waiting for the browser's thread, so a page that hangs can still be read.
std::map<std::wstring, std::wstring> PageReport(HWND tab);
std::wstring PageValue(HWND tab, const std::wstring& key);

class Program;
// The program's active tab once its stand-in page has the given title and has finished loading; null when that
// does not happen within the harness's usual wait.
HWND WaitForActivePage(const Program& program, const std::wstring& title);

// The tab's address box: its edit field and the addresses it lists, top first.
HWND AddressEdit(HWND tab);
std::vector<std::wstring> AddressItems(HWND tab);
// Replaces the text of the edit field (as if typed).
void SetAddressText(HWND tab, const std::wstring& text);

// The browser thread of a tab (the thread that owns its container).
DWORD BrowserThreadId(HWND tab);

// Live threads of a process, its committed private memory, and its windows (top-level and children).
size_t ThreadCount(DWORD processId);
size_t PrivateBytes(DWORD processId);
size_t WindowCount(DWORD processId);

} // namespace movalent::test
