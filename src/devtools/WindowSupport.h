#pragma once
// What every window of the panel's module needs from the system: the module that registers its classes, the
// window's DPI and the message font at that DPI, and a window's text.
#include <windows.h>

#include <string>

namespace movalent::devtools {

// The module this code is part of (the developer tools' DLL, or a test program).
HINSTANCE ThisModule();
// Per window where the system knows (Windows 10 on), else the screen's.
UINT WindowDpi(HWND window);
// The system's message font for dpi.
LOGFONTW MessageFont(UINT dpi);
std::wstring WindowText(HWND window);

} // namespace movalent::devtools
