#pragma once
// Keys pressed on a browser thread that run the main window's commands (table 129). The command is posted to
// the main window, never sent: a command such as "Close all" waits for every browser thread to stop, the one
// that would be waiting for the send included.
#include <windows.h>

namespace movalent {

// True when msg is one of the table's keys; its command then goes to window (translated directly when window
// belongs to the calling thread, posted otherwise).
bool TranslateAcceleratorForWindow(HWND window, HACCEL table, const MSG& msg);

} // namespace movalent
