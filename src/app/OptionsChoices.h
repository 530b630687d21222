#pragma once
// What the options pages offer, apart from the controls that show it: the web-search choices and the list of
// languages a user can pick.
#include "app/LanguageList.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace movalent {

// One item of the web-search drop-down: its label's string and the "SearchBehaviour" value it stands for.
struct SearchChoice {
    unsigned labelId;
    int behaviour;
};

// In the order the drop-down lists them.
const std::array<SearchChoice, 3>& SearchChoices();

// The item that shows the given behaviour; -1 when none does.
int SearchChoiceIndex(int behaviour);

// One line of the language list.
struct LanguageChoice {
    std::wstring name; // the language's own name, string 124 of its file
    unsigned langId;
    bool selected;
};

// Reads string 124 of a language file; nothing when the file is missing or does not define it.
using LanguageNameReader = std::function<std::optional<std::wstring>(const wchar_t* fileName)>;

// Every known language whose file names itself, in the order of the language list. The line whose identifier
// is the chosen language reduced to its primary language is marked selected (a chosen Traditional Chinese
// selects Chinese). A file that holds an empty name is still listed: it does define the string.
std::vector<LanguageChoice> AvailableLanguages(const LanguageNameReader& readName, unsigned chosenLanguage);

} // namespace movalent
