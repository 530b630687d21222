#pragma once
// The pixel density a window is drawn at, and the system's fonts for it. Windows before 10 (1607) lack the
// functions that answer per window; there a window is drawn at the screen's density.
#include "framework/DpiScale.h"
#include "framework/Handles.h"

#include <windows.h>

namespace movalent {

// The window's dots per inch: its monitor's for a program aware of each monitor, else the screen's.
int DpiOfWindow(HWND window);

// The system's message font as it is for dpi; what the program's own bars draw their texts with.
LOGFONTW MessageFontForDpi(int dpi);
UniqueGdiObject MakeMessageFont(int dpi);

} // namespace movalent
