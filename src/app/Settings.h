#pragma once

#include "engine/IeVersion.h"

#include <string>
#include <string_view>

namespace movalent {

// Where the per-user settings live: HKEY_CURRENT_USER\Software\<company>\<application>, section "Options".
inline constexpr const wchar_t* kRegistryCompany = L"Ombrisk";
inline constexpr const wchar_t* kSettingsSection = L"Options";
// Machine-wide key and value naming the installation folder; read only, and only as the base of language files.
inline constexpr const wchar_t* kInstallKey = L"Software\\Ombrisk\\Movalent";
inline constexpr const wchar_t* kInstallDirValue = L"Install_Dir";
inline constexpr std::size_t kInstallDirMaxChars = 260; // terminator included

// Value names of the section.
inline constexpr const wchar_t* kLangIdValue = L"langID";
inline constexpr const wchar_t* kDisableFiltersValue = L"DisableFilters";
inline constexpr const wchar_t* kSearchBehaviourValue = L"SearchBehaviour";
inline constexpr const wchar_t* kDisableWindowExternalValue = L"DisableWindowExternal";
inline constexpr const wchar_t* kHomePageValue = L"HomePage";
inline constexpr const wchar_t* kOpenAllValuePrefix = L"OpenAll_IE";
inline constexpr const wchar_t* kVertLeftSplitterValue = L"VertLeftSplitter";

inline constexpr int kDefaultLangId = 0;
inline constexpr int kDefaultDisableFilters = 0;
inline constexpr int kDefaultSearchBehaviour = 1;
inline constexpr int kDefaultDisableWindowExternal = 0;
inline constexpr int kDefaultOpenAll = 1;
inline constexpr int kDefaultVertLeftSplitter = 200;

// Where a web search opens.
enum class SearchBehaviour : int {
    NewDefaultTab = 1,
    ActiveTab = 2,
    FirstDefaultTab = 3,
};

// The settings section, one value at a time. The program implements it over the registry (integers as DWORD,
// strings as REG_SZ); tests implement it in memory. Reads return the default when the value is absent or
// unreadable; writes and deletes report success.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int ReadInt(std::wstring_view name, int defaultValue) = 0;
    virtual std::wstring ReadString(std::wstring_view name, const std::wstring& defaultValue) = 0;
    virtual bool WriteInt(std::wstring_view name, int value) = 0;
    virtual bool WriteString(std::wstring_view name, const std::wstring& value) = 0;
    virtual bool DeleteValue(std::wstring_view name) = 0;
};

// Everything start-up reads, already normalised.
struct AppSettings {
    int langId = kDefaultLangId;
    bool disableFilters = false;
    SearchBehaviour searchBehaviour = SearchBehaviour::NewDefaultTab;
    bool disableWindowExternal = false;
    std::wstring homePage;
};

AppSettings LoadAppSettings(SettingsStore& store, const std::wstring& defaultHomePage);

// 0, negative and anything above 3 fall back to a new Default IE tab.
SearchBehaviour NormaliseSearchBehaviour(int stored);

// Only exactly 1 switches a feature flag on; 2, -1 and the like leave it off.
constexpr bool FlagFromSetting(int stored) { return stored == 1; }

// "OpenAll_IE" followed by the version's engine file prefix; IE 4 and IE 5 share the bare name.
std::wstring OpenAllValueName(IEVERSION version);

// Whether the open-in-all command includes the version (default: included).
bool ReadOpenAll(SettingsStore& store, IEVERSION version);
bool WriteOpenAll(SettingsStore& store, IEVERSION version, bool include);

int ReadVertLeftSplitter(SettingsStore& store);

// The home page box of the options: the text is trimmed; a non-empty text is stored and becomes the home page,
// an empty one deletes the stored value and brings back the default home page. Returns the new home page.
std::wstring ApplyHomePageEdit(SettingsStore& store, std::wstring_view editText,
                               const std::wstring& defaultHomePage);

// White space at both ends removed (space, tab, line feed, vertical tab, form feed, carriage return).
std::wstring TrimWhiteSpace(std::wstring_view text);

} // namespace movalent
