#pragma once
// Posting messages that carry heap strings: the strings belong to the receiver once the post succeeds, and
// stay with the sender (which frees them here) when it fails.
#include "app/InternalMessages.h"

#include <windows.h>

#include <memory>
#include <string>

namespace movalent {

inline bool PostHeapStrings(HWND window, UINT message, std::unique_ptr<std::wstring> wParam,
                            std::unique_ptr<std::wstring> lParam = nullptr) {
    auto w = reinterpret_cast<WPARAM>(wParam.get());
    auto l = reinterpret_cast<LPARAM>(lParam.get());
    if (!window || !::PostMessageW(window, message, w, l))
        return false;
    wParam.release();
    lParam.release();
    return true;
}

// wParam a heap string, lParam a plain value.
inline bool PostHeapString(HWND window, UINT message, std::unique_ptr<std::wstring> text, LPARAM lParam) {
    if (!window || !::PostMessageW(window, message, reinterpret_cast<WPARAM>(text.get()), lParam))
        return false;
    text.release();
    return true;
}

inline std::unique_ptr<std::wstring> HeapString(std::wstring text) {
    return std::make_unique<std::wstring>(std::move(text));
}

} // namespace movalent
