#include "tabs/AcceleratorPost.h"

#include <vector>

namespace movalent {
namespace {

bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

} // namespace

bool TranslateAcceleratorForWindow(HWND window, HACCEL table, const MSG& msg) {
    if (window == nullptr || table == nullptr)
        return false;
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        MSG copy = msg;
        return ::TranslateAcceleratorW(window, table, &copy) != 0;
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    const int count = ::CopyAcceleratorTableW(table, nullptr, 0);
    if (count <= 0)
        return false;
    std::vector<ACCEL> keys(static_cast<size_t>(count));
    ::CopyAcceleratorTableW(table, keys.data(), count);
    // Matching is exact on Ctrl, Shift and Alt, as the system's translation is.
    const BYTE modifiers =
        static_cast<BYTE>((KeyDown(VK_CONTROL) ? FCONTROL : 0) | (KeyDown(VK_SHIFT) ? FSHIFT : 0) |
                          (KeyDown(VK_MENU) ? FALT : 0));
    for (const ACCEL& key : keys) {
        if ((key.fVirt & FVIRTKEY) == 0 || key.key != msg.wParam ||
            (key.fVirt & (FCONTROL | FSHIFT | FALT)) != modifiers)
            continue;
        return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(key.cmd, 1), 0) != FALSE;
    }
    return false;
}

} // namespace movalent
