#include "framework/ResourceStrings.h"

#include <windows.h>

#include <atomic>

namespace movalent {

namespace {

std::atomic<StringLoader> g_loader{nullptr};

std::wstring LoadFromStringTable(unsigned id) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

} // namespace

std::wstring FrameworkString(unsigned id) {
    StringLoader loader = g_loader.load();
    return loader ? loader(id) : LoadFromStringTable(id);
}

StringLoader SetFrameworkStringLoader(StringLoader loader) { return g_loader.exchange(loader); }

} // namespace movalent
