#pragma once
// The system's file-open dialog, replaceable so tests choose a file instead of a user.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace movalent {

// filter: pairs of display text and patterns separated by "|", ending with "||", such as
// "HTML Files (*.htm)|*.htm|All files (*.*)|*.*||".
using FileOpenHandler = std::optional<std::wstring> (*)(HWND owner, const std::wstring& filter, DWORD flags);

// The full path of the chosen file, nothing when the user cancels. flags are OFN_ flags added to the explorer
// style (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, for example).
std::optional<std::wstring> ShowFileOpenDialog(HWND owner, const std::wstring& filter, DWORD flags);

// Null restores the system's dialog; returns the previous handler.
FileOpenHandler SetFileOpenHandler(FileOpenHandler handler);

// The "|"-separated filter as the system wants it: each "|" a terminator, and the whole doubly terminated.
std::wstring FilterFromPipes(std::wstring_view filter);

} // namespace movalent
