#pragma once
// Adding an old engine's files: from the ribbon's command (a folder picker first) or from the command line
// ("/import-engines <folder>"), with the same questions and messages. Nothing is copied unless the folder
// holds one complete engine version for this program's processor.
#include <windows.h>

#include <optional>
#include <string>

namespace movalent {

enum class ImportResult { Imported, Refused, Cancelled, Failed };

// running: the program is running with its engines installed, so a new version is loaded at once where that
// is safe; from the command line the files are only put in place.
ImportResult ImportEngineFolder(HWND owner, const std::wstring& folder, bool running);

// The folder picker of the ribbon's command; nothing when the user cancels.
std::optional<std::wstring> PickEngineFolder(HWND owner);

} // namespace movalent
