#pragma once
// Opening documents and addresses with the shell's "open" verb, replaceable so tests see what would be opened
// instead of starting a browser.
#include <string>

namespace movalent {

using ShellOpenHandler = bool (*)(const std::wstring& target);

// Opens the target with the "open" verb in a normal window; true when the shell accepted it.
bool ShellOpen(const std::wstring& target);

// Replaces the handler (null restores the shell); returns the previous one.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

} // namespace movalent
