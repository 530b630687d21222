#include "tabs/WindowExternalMaps.h"

namespace movalent {

namespace {

constexpr const wchar_t* kMapIe6[] = {
    L"AddChannel",           L"AddFavorite",     L"AddDesktopComponent",
    L"AutoCompleteSaveForm", L"AutoScan",        L"ImportExportFavorites",
    L"IsSubscribed",         L"NavigateAndFind", L"ShowBrowserUI",
};

constexpr const wchar_t* kMapIe7[] = {
    L"AddFavorite",   L"AddDesktopComponent",   L"AddSearchProvider",         L"AutoCompleteSaveForm",
    L"AutoScan",      L"ImportExportFavorites", L"IsSearchProviderInstalled", L"NavigateAndFind",
    L"ShowBrowserUI",
};

constexpr const wchar_t* kMapIe8[] = {
    L"AddFavorite",           L"AddDesktopComponent",       L"AddSearchProvider",
    L"AddToFavoritesBar",     L"AutoCompleteSaveForm",      L"AutoScan",
    L"ContentDiscoveryReset", L"InPrivateFilteringEnabled", L"IsSearchProviderInstalled",
    L"IsServiceInstalled",    L"NavigateAndFind",           L"ShowBrowserUI",
};

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

} // namespace

WindowExternalMap WindowExternalMapFor(IEVERSION version) {
    switch (version) {
    case IE_55:
    case IE_6:
        return kMapIe6;
    case IE_7:
        return kMapIe7;
    default:
        return kMapIe8;
    }
}

IEVERSION ResolveExternalVersion(std::optional<IEVERSION> threadVersion, IEVERSION installedVersion) {
    if (!threadVersion || *threadVersion == IE_DEFAULT)
        return installedVersion;
    return *threadVersion;
}

std::optional<long> FindExternalMember(WindowExternalMap map, std::wstring_view name) {
    for (size_t i = 0; i < map.size(); ++i)
        if (SameName(map[i], name))
            return static_cast<long>(i);
    return std::nullopt;
}

const wchar_t* ExternalMemberName(WindowExternalMap map, long dispid) {
    if (dispid < 0 || static_cast<size_t>(dispid) >= map.size())
        return nullptr;
    return map[static_cast<size_t>(dispid)];
}

std::wstring ExternalCallMessage(std::wstring_view name) {
    std::wstring text = L"window.external.";
    text += name;
    text += L" method called";
    return text;
}

} // namespace movalent
