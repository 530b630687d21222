#pragma once
// "/capture": one address drawn in each chosen engine version, each on a browser thread of its own as a tab's
// would be, all at once; then the pictures, a sheet, the differences and a report in the output folder. No
// window is shown; progress and the summary go to the console the program was started from.
#include "app/CaptureOptions.h"

namespace movalent {

class ConsoleOutput;
class TabHost;

inline constexpr int kCaptureExitSucceeded = 0;
inline constexpr int kCaptureExitBadArguments = 2;
inline constexpr int kCaptureExitSomeFailed = 3;

// Makes the address and the output folder absolute against the current folder (call before the program leaves
// it): an address that names an existing file becomes its full path, an empty output folder the dated
// default.
void ResolveCapturePaths(CaptureOptions& options);

// Runs the capture on the calling thread, with the engine interception installed; the exit code.
int RunCapture(const CaptureOptions& options, ConsoleOutput& console, TabHost& host);

} // namespace movalent
