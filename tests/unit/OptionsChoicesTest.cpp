#include "app/OptionsChoices.h"

#include <gtest/gtest.h>

#include <map>

using namespace movalent;

namespace {

// Language files by name, as the page's reader would find them.
LanguageNameReader Installed(std::map<std::wstring, std::wstring> names) {
    return [names = std::move(names)](const wchar_t* file) -> std::optional<std::wstring> {
        auto it = names.find(file);
        if (it == names.end())
            return std::nullopt;
        return it->second;
    };
}

std::vector<std::pair<std::wstring, unsigned>> Lines(const std::vector<LanguageChoice>& choices) {
    std::vector<std::pair<std::wstring, unsigned>> lines;
    for (const LanguageChoice& choice : choices)
        lines.emplace_back(choice.name, choice.langId);
    return lines;
}

std::vector<unsigned> Selected(const std::vector<LanguageChoice>& choices) {
    std::vector<unsigned> selected;
    for (const LanguageChoice& choice : choices)
        if (choice.selected)
            selected.push_back(choice.langId);
    return selected;
}

TEST(LanguageChoices, OnlyFilesThatNameTheirLanguageInListOrder) {
    auto choices = AvailableLanguages(Installed({{L"Languages\\SPANISH.lang", L"Espa\u00f1ol"},
                                                 {L"Languages\\ENGLISH.lang", L"English"},
                                                 {L"Languages\\FRENCH.lang", L""}}),
                                      0x09);
    // French defines an empty name: still a definition, so still listed.
    std::vector<std::pair<std::wstring, unsigned>> expected = {
        {L"English", 0x09}, {L"", 0x0C}, {L"Espa\u00f1ol", 0x0A}};
    EXPECT_EQ(expected, Lines(choices));
    EXPECT_EQ(std::vector<unsigned>{0x09}, Selected(choices));
    EXPECT_TRUE(AvailableLanguages(Installed({}), 0x09).empty());
}

TEST(LanguageChoices, SelectionComparesThePrimaryLanguage) {
    auto reader = Installed({{L"Languages\\CHINESE.lang", L"zh"},
                             {L"Languages\\TCHINESE.lang", L"zh-tw"},
                             {L"Languages\\FRENCH.lang", L"fr"}});
    // Traditional Chinese reduces to Chinese: its own row is not the one selected.
    EXPECT_EQ(std::vector<unsigned>{0x04}, Selected(AvailableLanguages(reader, 0x0404)));
    // A full identifier with a sublanguage (French, Canada) selects French.
    EXPECT_EQ(std::vector<unsigned>{0x0C}, Selected(AvailableLanguages(reader, 0x0C0C)));
    // A language without a file selects nothing.
    EXPECT_TRUE(Selected(AvailableLanguages(reader, 0x07)).empty());
}

TEST(SearchChoices, ItemsInOrderAndTheItemOfEachBehaviour) {
    const auto& choices = SearchChoices();
    EXPECT_EQ(143u, choices[0].labelId);
    EXPECT_EQ(144u, choices[1].labelId);
    EXPECT_EQ(145u, choices[2].labelId);
    for (int behaviour = 1; behaviour <= 3; ++behaviour)
        EXPECT_EQ(behaviour, choices[static_cast<size_t>(SearchChoiceIndex(behaviour))].behaviour);
    EXPECT_EQ(-1, SearchChoiceIndex(0));
    EXPECT_EQ(-1, SearchChoiceIndex(4));
}

} // namespace
