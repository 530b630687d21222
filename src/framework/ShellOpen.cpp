#include "framework/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace movalent {

namespace {
std::atomic<ShellOpenHandler> g_handler{nullptr};
}

bool ShellOpen(const std::wstring& target) {
    if (ShellOpenHandler handler = g_handler.load())
        return handler(target);
    HINSTANCE result = ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) { return g_handler.exchange(handler); }

} // namespace movalent
