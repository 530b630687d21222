#pragma once
// The ribbon's "Capture all versions": the program captures the active tab's address in every version in a
// process of its own (so the tabs go on working meanwhile), into a dated folder under the user's pictures,
// and that process opens the sheet when it is done.
#include <string>

namespace movalent {

// Starts the capture; false when the process could not be started.
bool LaunchCapture(const std::wstring& address);

} // namespace movalent
