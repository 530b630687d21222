#include "framework/MessageBox.h"

#include <atomic>
#include <mutex>

namespace movalent {

namespace {

std::atomic<MessageBoxHandler> g_handler{nullptr};
std::mutex g_captionLock;
std::wstring g_caption = L"Movalent";

} // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, UINT type) {
    std::wstring caption;
    {
        std::lock_guard lock(g_captionLock);
        caption = g_caption;
    }
    if (MessageBoxHandler handler = g_handler.load())
        return handler(owner, text, caption, type);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) { return g_handler.exchange(handler); }

void SetMessageBoxCaption(const std::wstring& caption) {
    std::lock_guard lock(g_captionLock);
    g_caption = caption;
}

} // namespace movalent
