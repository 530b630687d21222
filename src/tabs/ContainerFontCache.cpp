#include "tabs/ContainerFontCache.h"

#include "framework/DialogTemplate.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "resource.h"

#include <windows.h>
#include <usp10.h>

#include <cstring>
#include <numeric>
#include <vector>

namespace movalent {

namespace {

INT_PTR CALLBACK IgnoringDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The container's template without its controls, as a hidden pop-up: the system gives it the very font that
// the container's controls get.
std::vector<std::uint8_t> FontOnlyTemplate(const std::uint8_t* data, std::size_t size) {
    std::optional<DialogTemplateInfo> info = ParseDialogTemplate(data, size);
    if (!info)
        return {};
    std::vector<std::size_t> all(info->items.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    std::vector<std::uint8_t> copy = WithoutItems(data, *info, all);
    const std::size_t styleOffset = info->extended ? 12 : 0;
    if (copy.size() < styleOffset + 4)
        return {};
    std::uint32_t style = 0;
    std::memcpy(&style, copy.data() + styleOffset, 4);
    style = (style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    std::memcpy(copy.data() + styleOffset, &style, 4);
    return copy;
}

} // namespace

void HoldContainerFontScriptCache() {
    static bool held = false;
    static SCRIPT_CACHE cache = nullptr; // never freed: that is the point
    if (held)
        return;
    held = true;
    HINSTANCE instance = Window::ResourceInstance();
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(IDD_BROWSER_CONTAINER), MAKEINTRESOURCEW(5));
    HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const auto* data = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data)
        return;
    std::vector<std::uint8_t> bytes = FontOnlyTemplate(data, ::SizeofResource(instance, resource));
    // The system wants the template at a 4-byte boundary; a vector's storage is.
    HWND dialog =
        bytes.empty()
            ? nullptr
            : ::CreateDialogIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                           IgnoringDialogProc, 0);
    if (!dialog)
        return;
    auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (font) {
        WindowDc dc(dialog);
        ScopedSelection selected(dc.get(), font);
        long height = 0;
        if (dc)
            ::ScriptCacheGetHeight(dc.get(), &cache, &height);
    }
    ::DestroyWindow(dialog);
}

} // namespace movalent
