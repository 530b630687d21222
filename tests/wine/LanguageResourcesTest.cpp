// The shipped English language file against the program's string table, and translations loaded from disk.
#include "app/LanguageFile.h"
#include "app/LanguageTable.h"
#include "app/Localisation.h"
#include "ResourceStrings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace movalent;
using movalent::testing::ResourceStringIds;

namespace {

std::string ReadFile(const std::wstring& path) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    return bytes ? *bytes : std::string();
}

const std::wstring kBin = L"" MOVALENT_TEST_BIN_DIR;

TEST(EnglishLanguageFile, HoldsExactlyTheStringTable) {
    std::string bytes = ReadFile(kBin + L"/Languages/ENGLISH.lang");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ('\xFF', bytes[0]);
    EXPECT_EQ('\xFE', bytes[1]);
    LanguageStrings strings = ParseLanguageFile(bytes, SystemAnsiToWide);
    std::set<unsigned> ids = ResourceStringIds();
    ASSERT_GT(ids.size(), 100u);
    for (unsigned id : ids) {
        SCOPED_TRACE(id);
        auto it = strings.find(id);
        ASSERT_NE(strings.end(), it);
        EXPECT_EQ(LoadResourceString(id), it->second);
    }
    EXPECT_EQ(ids.size(), strings.size());
    EXPECT_EQ(L"English", strings[kLanguageNameStringId]);
}

class TranslationFromDisk : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::filesystem::path(temp) / L"movalent-lang-test";
        std::filesystem::create_directories(dir_ / L"Languages");
    }
    void TearDown() override {
        while (ProcessLanguageTable().IsBuilt())
            ProcessLanguageTable().Release();
        std::filesystem::remove_all(dir_);
    }
    void WriteUtf16(const std::wstring& name, const std::wstring& text) {
        std::ofstream out(dir_ / L"Languages" / name, std::ios::binary);
        out.write("\xFF\xFE", 2);
        out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
    }
    std::filesystem::path dir_;
};

TEST_F(TranslationFromDisk, ChosenLanguageFileFromTheInstallationFolder) {
    WriteUtf16(L"FRENCH.lang", L"124:Fran\u00e7ais\r\n126:Vous avez la derni\u00e8re version\r\n");
    InitProcessLanguage(0x0C, dir_.wstring());
    EXPECT_EQ(0x0Cu, ProcessLanguageTable().ActiveLanguage());
    EXPECT_EQ(L"Vous avez la derni\u00e8re version", LocalizedString(IDS_LATEST_VERSION));
    // Missing from the translation: the English resource.
    EXPECT_EQ(LoadResourceString(IDS_NEW_VERSION_AVAILABLE), LocalizedString(IDS_NEW_VERSION_AVAILABLE));
}

TEST_F(TranslationFromDisk, MissingFileLeavesEnglish) {
    InitProcessLanguage(0x07, dir_.wstring()); // no GERMAN.lang anywhere
    EXPECT_EQ(0u, ProcessLanguageTable().ActiveLanguage());
    EXPECT_EQ(LoadResourceString(IDS_LATEST_VERSION), LocalizedString(IDS_LATEST_VERSION));
}

TEST_F(TranslationFromDisk, SingleStringReaderFindsTheLanguageName) {
    WriteUtf16(L"SPANISH.lang", L"# comment\r\n124:Espa\u00f1ol\r\n124:second\r\n");
    std::optional<std::wstring> name =
        ReadLanguageFileString(L"Languages\\SPANISH.lang", dir_.wstring(), 124);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(L"Espa\u00f1ol", *name);
    EXPECT_FALSE(ReadLanguageFileString(L"Languages\\NONE.lang", dir_.wstring(), 124).has_value());
}

} // namespace
