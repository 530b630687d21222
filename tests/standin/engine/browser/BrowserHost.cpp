// What the engine asks of the host through its client site's document-host handler, as the real control
// does: the host's flags for every page, window.external when a page's script uses it, and the context menu
// on a right click.
#include "standin/engine/browser/BrowserControl.h"

#include <mshtmhst.h>

#include <cwchar>
#include <cwctype>

namespace movalent::standin {

namespace {

std::wstring HexText(HRESULT value) {
    wchar_t buffer[16];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"0x%08X", static_cast<unsigned>(value));
    return buffer;
}

std::vector<std::wstring> Words(const std::wstring& text) {
    std::vector<std::wstring> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && std::iswspace(text[at]))
            ++at;
        size_t end = at;
        while (end < text.size() && !std::iswspace(text[end]))
            ++end;
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

ComPtr<IDocHostUIHandler> HostHandler(IOleClientSite* site) {
    ComPtr<IDocHostUIHandler> handler;
    if (site == nullptr ||
        FAILED(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(handler.put()))))
        return {};
    return handler;
}

} // namespace

void CBrowserControl::AskHost() {
    host_ = HostSnapshot{};
    if (!site_)
        return;
    host_.asked = true;
    const ComPtr<IDocHostUIHandler> handler = HostHandler(site_.get());
    if (!handler)
        return;
    host_.uiHandler = true;
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    // Values the host must overwrite, so an untouched field shows.
    info.dwFlags = 0xFFFFFFFF;
    info.dwDoubleClick = 0xFFFFFFFF;
    host_.hostInfoHr = static_cast<std::uint32_t>(handler->GetHostInfo(&info));
    host_.flags = info.dwFlags;
    host_.doubleClick = info.dwDoubleClick;
}

// A script calling window.external.NAME(arg, ...): every argument is passed as a string.
void CBrowserControl::CallExternal(const std::wstring& argument) {
    std::vector<std::wstring> words = Words(argument);
    if (words.empty())
        return;
    const std::wstring name = words.front();
    std::wstring outcome;
    const ComPtr<IDocHostUIHandler> handler = HostHandler(site_.get());
    IDispatch* external = nullptr;
    const HRESULT got = handler ? handler->GetExternal(&external) : E_NOINTERFACE;
    if (got != S_OK || external == nullptr) {
        outcome = L"no object (" + HexText(got) + L")";
    } else {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
        const HRESULT looked = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(looked)) {
            outcome = L"unknown name (" + HexText(looked) + L")";
        } else {
            // Arguments go last first.
            std::vector<VARIANT> args(words.size() - 1);
            for (size_t i = 1; i < words.size(); ++i) {
                VARIANT& arg = args[words.size() - 1 - i];
                ::VariantInit(&arg);
                arg.vt = VT_BSTR;
                arg.bstrVal = ::SysAllocStringLen(words[i].data(), static_cast<UINT>(words[i].size()));
            }
            DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr,
                                 static_cast<UINT>(args.size()), 0};
            VARIANT result;
            ::VariantInit(&result);
            const HRESULT called = external->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                    &params, &result, nullptr, nullptr);
            outcome = L"dispid " + std::to_wstring(id) + L", returned " + HexText(called) +
                      (result.vt == VT_EMPTY ? L", no result" : L", a result");
            ::VariantClear(&result);
            for (VARIANT& arg : args)
                ::VariantClear(&arg);
        }
        external->Release();
    }
    host_.external.emplace_back(name, outcome);
    PageChanged();
}

void CBrowserControl::ShowHostContextMenu() {
    const ComPtr<IDocHostUIHandler> handler = HostHandler(site_.get());
    if (!handler) {
        host_.contextMenu = L"no handler";
    } else {
        POINT at = {10, 10};
        host_.contextMenu =
            HexText(handler->ShowContextMenu(0 /* CONTEXT_MENU_DEFAULT */, &at, nullptr, nullptr));
    }
    PageChanged();
}

} // namespace movalent::standin
