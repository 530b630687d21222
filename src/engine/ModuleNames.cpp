#include "engine/ModuleNames.h"

namespace movalent {
namespace {

template <typename Char> Char FoldAscii(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char> bool EqualsFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

struct LdrGroup {
    ModuleSlot slot;
    std::wstring_view bare;
    std::wstring_view withExtension;
};

// Engine code probes for loaded siblings with and without the extension.
constexpr LdrGroup kLdrGroups[] = {
    {ModuleSlot::Browser, L"ieframe", L"ieframe.dll"},
    {ModuleSlot::Browser, L"shdocvw", L"shdocvw.dll"},
    {ModuleSlot::Mshtml, L"mshtml", L"mshtml.dll"},
    {ModuleSlot::Jscript, L"jscript", L"jscript.dll"},
    {ModuleSlot::Urlmon, L"urlmon", L"urlmon.dll"},
    {ModuleSlot::Mshtmled, L"mshtmled", L"mshtmled.dll"},
    {ModuleSlot::Wininet, L"wininet", L"wininet.dll"},
    {ModuleSlot::Vbscript, L"vbscript", L"vbscript.dll"},
};

} // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) { return EqualsFolded(a, b); }
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return EqualsFolded(a, b); }

RequestedModule ClassifyLoadLibraryA(std::string_view name) {
    if (EqualsFolded<char>(name, "urlmon.dll"))
        return RequestedModule::Urlmon;
    if (EqualsFolded<char>(name, "wininet.dll"))
        return RequestedModule::Wininet;
    if (EqualsFolded<char>(name, "mshtml.dll"))
        return RequestedModule::Mshtml;
    if (EqualsFolded<char>(name, "ieframe.dll"))
        return RequestedModule::Ieframe;
    if (EqualsFolded<char>(name, "shdocvw.dll"))
        return RequestedModule::Shdocvw;
    return RequestedModule::Other;
}

RequestedModule ClassifyLoadLibraryW(std::wstring_view name) {
    if (EqualsFolded<wchar_t>(name, L"urlmon.dll"))
        return RequestedModule::Urlmon;
    if (EqualsFolded<wchar_t>(name, L"wininet.dll"))
        return RequestedModule::Wininet;
    if (EqualsFolded<wchar_t>(name, L"mshtml.dll"))
        return RequestedModule::Mshtml;
    if (name.find(L"shdoclc.dll") != std::wstring_view::npos)
        return RequestedModule::Shdoclc;
    return RequestedModule::Other;
}

std::optional<ModuleSlot> SlotForRequest(RequestedModule request) {
    switch (request) {
    case RequestedModule::Urlmon:
        return ModuleSlot::Urlmon;
    case RequestedModule::Wininet:
        return ModuleSlot::Wininet;
    case RequestedModule::Mshtml:
        return ModuleSlot::Mshtml;
    // Each browser name yields the version's browser module, whichever of the two that version has.
    case RequestedModule::Ieframe:
    case RequestedModule::Shdocvw:
        return ModuleSlot::Browser;
    case RequestedModule::Shdoclc:
    case RequestedModule::Other:
        break;
    }
    return std::nullopt;
}

std::optional<ModuleSlot> LdrGetDllHandleSlot(std::wstring_view name, unsigned filledSlots) {
    for (const LdrGroup& group : kLdrGroups) {
        if ((filledSlots & SlotBit(group.slot)) == 0)
            continue;
        if (EqualsFolded(name, group.bare) || EqualsFolded(name, group.withExtension))
            return group.slot;
    }
    return std::nullopt;
}

std::wstring_view CountedName(const wchar_t* buffer, unsigned lengthBytes) {
    if (buffer == nullptr)
        return {};
    const size_t chars = lengthBytes / sizeof(wchar_t);
    size_t used = 0;
    while (used < chars && buffer[used] != L'\0')
        ++used;
    return std::wstring_view(buffer, used);
}

} // namespace movalent
