// The shipped translations against the program's own string table: complete, nothing extra, readable by the
// program's reader, and with the same line breaks, format fields and menu accelerators as the English texts.
#include "app/LanguageFile.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "ResourceStrings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace movalent;
using movalent::testing::ResourceStringIds;

namespace {

// The marks a translator must carry over: line breaks (they split a command's description from its tooltip
// and a tab template's fields), printf fields and tabs, in order; and how many accelerator marks there are.
std::wstring StructureOf(const std::wstring& text) {
    std::wstring marks;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\n' || c == L'\t')
            marks += c;
        else if (c == L'%' && i + 1 < text.size())
            marks += std::wstring(L"%") + text[++i];
    }
    return marks;
}

size_t AcceleratorCount(const std::wstring& text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'&' && (i + 1 == text.size() || text[i + 1] != L'&'))
            ++count;
    return count;
}

struct Translation {
    const wchar_t* file;
    const wchar_t* name;
    unsigned langId;
};

class ShippedTranslation : public ::testing::TestWithParam<Translation> {
protected:
    std::wstring Path() const { return std::wstring(L"" MOVALENT_TEST_BIN_DIR) + L"\\" + GetParam().file; }
};

TEST_P(ShippedTranslation, IsUtf16AndCoversExactlyTheStringTable) {
    std::optional<std::string> bytes = ReadWholeFile(Path());
    ASSERT_TRUE(bytes.has_value()) << "missing from the program folder";
    ASSERT_GE(bytes->size(), 2u);
    EXPECT_EQ('\xFF', (*bytes)[0]);
    EXPECT_EQ('\xFE', (*bytes)[1]);

    LanguageStrings strings = ParseLanguageFile(*bytes, SystemAnsiToWide);
    std::set<unsigned> ids = ResourceStringIds();
    ASSERT_GT(ids.size(), 100u);
    for (unsigned id : ids) {
        SCOPED_TRACE(id);
        auto it = strings.find(id);
        ASSERT_NE(strings.end(), it) << "not translated";
        std::wstring english = LoadResourceString(id);
        EXPECT_FALSE(it->second.empty());
        EXPECT_EQ(StructureOf(english), StructureOf(it->second));
        EXPECT_EQ(AcceleratorCount(english), AcceleratorCount(it->second));
    }
    for (const auto& [id, text] : strings)
        EXPECT_TRUE(ids.count(id)) << id << " is not a string of the program";

    // The name the options' language list shows, as its own reader finds it.
    EXPECT_EQ(GetParam().name,
              ReadLanguageString(*bytes, SystemAnsiToWide, kLanguageNameStringId).value_or(L""));
}

TEST_P(ShippedTranslation, BecomesTheProgramsLanguage) {
    InitProcessLanguage(GetParam().langId, std::wstring(L"" MOVALENT_TEST_BIN_DIR));
    EXPECT_EQ(GetParam().langId, ProcessLanguageTable().ActiveLanguage());
    EXPECT_EQ(GetParam().name, LocalizedString(IDS_LANGUAGE_NAME));
    EXPECT_NE(LoadResourceString(IDS_OPTIONS_CAPTION), LocalizedString(IDS_OPTIONS_CAPTION));
    while (ProcessLanguageTable().IsBuilt())
        ProcessLanguageTable().Release();
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedTranslation,
                         ::testing::Values(Translation{L"Languages\\FRENCH.lang", L"Fran\u00e7ais", 0x0C},
                                           Translation{L"Languages\\GERMAN.lang", L"Deutsch", 0x07},
                                           Translation{L"Languages\\SPANISH.lang", L"Espa\u00f1ol", 0x0A}),
                         [](const auto& info) { return std::to_string(info.param.langId); });

} // namespace
