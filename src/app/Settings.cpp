#include "app/Settings.h"

namespace movalent {

SearchBehaviour NormaliseSearchBehaviour(int stored) {
    if (stored < static_cast<int>(SearchBehaviour::NewDefaultTab) ||
        stored > static_cast<int>(SearchBehaviour::FirstDefaultTab)) {
        return SearchBehaviour::NewDefaultTab;
    }
    return static_cast<SearchBehaviour>(stored);
}

AppSettings LoadAppSettings(SettingsStore& store, const std::wstring& defaultHomePage) {
    AppSettings settings;
    settings.langId = store.ReadInt(kLangIdValue, kDefaultLangId);
    settings.disableFilters = FlagFromSetting(store.ReadInt(kDisableFiltersValue, kDefaultDisableFilters));
    settings.searchBehaviour = NormaliseSearchBehaviour(store.ReadInt(kSearchBehaviourValue, kDefaultSearchBehaviour));
    settings.disableWindowExternal =
        FlagFromSetting(store.ReadInt(kDisableWindowExternalValue, kDefaultDisableWindowExternal));
    settings.homePage = store.ReadString(kHomePageValue, defaultHomePage);
    return settings;
}

std::wstring OpenAllValueName(IEVERSION version) {
    std::wstring name = kOpenAllValuePrefix;
    if (IsValidIeVersion(version)) {
        name += EngineFilePrefix[version];
    }
    return name;
}

bool ReadOpenAll(SettingsStore& store, IEVERSION version) {
    return store.ReadInt(OpenAllValueName(version), kDefaultOpenAll) == 1;
}

bool WriteOpenAll(SettingsStore& store, IEVERSION version, bool include) {
    return store.WriteInt(OpenAllValueName(version), include ? 1 : 0);
}

int ReadVertLeftSplitter(SettingsStore& store) { return store.ReadInt(kVertLeftSplitterValue, kDefaultVertLeftSplitter); }

namespace {

bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

} // namespace

std::wstring TrimWhiteSpace(std::wstring_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsWhiteSpace(text[first])) {
        ++first;
    }
    while (last > first && IsWhiteSpace(text[last - 1])) {
        --last;
    }
    return std::wstring(text.substr(first, last - first));
}

std::wstring ApplyHomePageEdit(SettingsStore& store, std::wstring_view editText,
                               const std::wstring& defaultHomePage) {
    std::wstring trimmed = TrimWhiteSpace(editText);
    if (trimmed.empty()) {
        store.DeleteValue(kHomePageValue);
        return defaultHomePage;
    }
    store.WriteString(kHomePageValue, trimmed);
    return trimmed;
}

} // namespace movalent
