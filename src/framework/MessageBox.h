#pragma once
// Every message box of the program goes through ShowMessageBox, so tests can answer boxes instead of a user and
// no test ever blocks on a modal window.
#include <windows.h>

#include <string>

namespace movalent {

using MessageBoxHandler = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// Shows a message box with the application's caption; returns the button pressed (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const std::wstring& text, UINT type);

// Replaces the handler (null restores the system's box); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The caption every box carries; set once at start-up.
void SetMessageBoxCaption(const std::wstring& caption);

} // namespace movalent
