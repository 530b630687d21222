#pragma once
// The versions the program tells: its own (from its version resource) and the installed engine's.
#include "engine/IeVersion.h"

#include <string>

namespace movalent {

// The product version of the program file, trimmed ("0.3.4"); empty when the file has no readable version resource.
std::wstring GetProgramVersionString();

// The four-part file version of a file ("8.0.6001.18702"); empty when it has no readable version resource.
std::wstring FileVersionText(const std::wstring& path);

// Value "Version" of HKLM\Software\Microsoft\Internet Explorer, or "not found".
std::wstring GetInstalledEngineVersionText();

IEVERSION GetInstalledEngineVersion();

} // namespace movalent
