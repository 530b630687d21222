#include "app/OptionsChoices.h"

#include "resource.h"

namespace movalent {

const std::array<SearchChoice, 3>& SearchChoices() {
    static const std::array<SearchChoice, 3> choices = {{
        {IDS_SEARCH_NEW_DEFAULT_TAB, 1},
        {IDS_SEARCH_ACTIVE_TAB, 2},
        {IDS_SEARCH_FIRST_DEFAULT_TAB, 3},
    }};
    return choices;
}

int SearchChoiceIndex(int behaviour) {
    const auto& choices = SearchChoices();
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].behaviour == behaviour)
            return static_cast<int>(i);
    return -1;
}

std::vector<LanguageChoice> AvailableLanguages(const LanguageNameReader& readName, unsigned chosenLanguage) {
    std::vector<LanguageChoice> choices;
    unsigned selection = LanguageListSelection(chosenLanguage);
    for (const LanguageRow& row : LanguageRows()) {
        std::optional<std::wstring> name = readName(row.fileName);
        if (!name)
            continue;
        choices.push_back({std::move(*name), row.langId, row.langId == selection});
    }
    return choices;
}

} // namespace movalent
