#pragma once
// "Check Version": asks the maker's update server for the newest program version and tells the user.
#include "app/VersionRules.h"

#include <windows.h>

#include <string>

namespace movalent {

// Fetches the text at url the way the version check does; false on any WinINet failure.
bool FetchVersionAnswer(const std::wstring& url, std::wstring& answer);

// Runs the whole check with its message boxes (and, on Yes, opens the project home page); returns what it told.
VersionCheckOutcome RunVersionCheck(HWND owner);

} // namespace movalent
