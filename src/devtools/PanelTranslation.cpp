#include "devtools/PanelTranslation.h"

#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "app/Settings.h"

#include <mutex>

namespace movalent::devtools {

namespace {

HMODULE g_module = nullptr;

// The English text from the program's string table, which the panel's module carries too.
std::wstring English(unsigned id) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(g_module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

LanguageTable& Table() {
    static LanguageTable table;
    return table;
}

unsigned ChosenLanguageSetting() {
    const std::wstring key =
        std::wstring(L"Software\\") + kRegistryCompany + L"\\Movalent\\" + kSettingsSection;
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), kLangIdValue, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return static_cast<unsigned>(kDefaultLangId);
    return value;
}

std::wstring FolderOf(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

} // namespace

void LoadPanelTranslation(HMODULE panelModule) {
    static std::once_flag once;
    std::call_once(once, [panelModule] {
        g_module = panelModule;
        LanguageTable& table = Table();
        table.SetResourceFallback(English);
        LanguageEnvironment environment;
        environment.langIdSetting = ChosenLanguageSetting();
        environment.userDefaultLangId = ::GetUserDefaultLangID();
        // The program's language files are beside the panel's module, in the program's folder.
        environment.installDir = FolderOf(panelModule);
        environment.readFile = ReadWholeFile;
        environment.ansiToWide = SystemAnsiToWide;
        table.Init(environment);
    });
}

std::wstring Text(PanelText id) {
    std::wstring text = Table().Lookup(static_cast<unsigned>(id));
    return text.empty() ? English(static_cast<unsigned>(id)) : text;
}

std::wstring Text(PanelText id, const std::wstring& argument) {
    std::wstring text = Text(id);
    for (const wchar_t* mark : {L"%s", L"%d"}) {
        const size_t at = text.find(mark);
        if (at != std::wstring::npos)
            return text.replace(at, 2, argument);
    }
    return text;
}

} // namespace movalent::devtools
