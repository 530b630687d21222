#pragma once

#include <cstddef>
#include <span>

namespace movalent {

// One language the program can be translated into: a Windows language identifier and the language file's name
// relative to the installation folder.
struct LanguageRow {
    unsigned langId;
    const wchar_t* fileName;
};

inline constexpr std::size_t kLanguageCount = 46;
inline constexpr unsigned kPrimaryLanguageMask = 0x3FF;

// All known languages in search order (the order matters: Croatian precedes Serbian under the same identifier).
std::span<const LanguageRow, kLanguageCount> LanguageRows();

// The language the user chose: the "langID" setting, or when it is 0 the primary language of the user's default
// language.
unsigned ChooseLanguage(unsigned langIdSetting, unsigned userDefaultLangId);

// The first row whose identifier equals the chosen language, or null when no row has it.
const LanguageRow* FindLanguageRow(unsigned chosenLanguage);

// The identifier the options list selects: the chosen language reduced to its primary language, so a chosen
// Traditional Chinese (0x0404) selects the Chinese row.
constexpr unsigned LanguageListSelection(unsigned chosenLanguage) { return chosenLanguage & kPrimaryLanguageMask; }

} // namespace movalent
