#include "app/LanguageList.h"
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <map>

namespace movalent {
namespace {

class MemoryStore : public SettingsStore {
public:
    std::map<std::wstring, int, std::less<>> ints;
    std::map<std::wstring, std::wstring, std::less<>> strings;

    int ReadInt(std::wstring_view name, int defaultValue) override {
        const auto it = ints.find(name);
        return it == ints.end() ? defaultValue : it->second;
    }
    std::wstring ReadString(std::wstring_view name, const std::wstring& defaultValue) override {
        const auto it = strings.find(name);
        return it == strings.end() ? defaultValue : it->second;
    }
    bool WriteInt(std::wstring_view name, int value) override {
        ints[std::wstring(name)] = value;
        return true;
    }
    bool WriteString(std::wstring_view name, const std::wstring& value) override {
        strings[std::wstring(name)] = value;
        return true;
    }
    bool DeleteValue(std::wstring_view name) override {
        const bool hadInt = ints.erase(std::wstring(name)) > 0;
        const bool hadString = strings.erase(std::wstring(name)) > 0;
        return hadInt || hadString;
    }
};

const std::wstring kDefaultHome = L"http://maker.test/movalent/?version=0.3.4";

TEST(SettingsTest, EmptyStoreGivesDefaults) {
    MemoryStore store;
    const AppSettings s = LoadAppSettings(store, kDefaultHome);
    EXPECT_EQ(s.langId, 0);
    EXPECT_FALSE(s.disableFilters);
    EXPECT_EQ(s.searchBehaviour, SearchBehaviour::NewDefaultTab);
    EXPECT_FALSE(s.disableWindowExternal);
    EXPECT_EQ(s.homePage, kDefaultHome);
    EXPECT_EQ(ReadVertLeftSplitter(store), 200);
}

TEST(SettingsTest, StoredValuesAreRead) {
    MemoryStore store;
    store.ints[L"langID"] = 0x0C;
    store.ints[L"DisableFilters"] = 1;
    store.ints[L"SearchBehaviour"] = 3;
    store.ints[L"DisableWindowExternal"] = 1;
    store.ints[L"VertLeftSplitter"] = 350;
    store.strings[L"HomePage"] = L"about:blank";
    const AppSettings s = LoadAppSettings(store, kDefaultHome);
    EXPECT_EQ(s.langId, 0x0C);
    EXPECT_TRUE(s.disableFilters);
    EXPECT_EQ(s.searchBehaviour, SearchBehaviour::FirstDefaultTab);
    EXPECT_TRUE(s.disableWindowExternal);
    EXPECT_EQ(s.homePage, L"about:blank");
    EXPECT_EQ(ReadVertLeftSplitter(store), 350);
}

TEST(SettingsTest, SearchBehaviourOutOfRangeReadsAsNewDefaultTab) {
    for (int stored : {0, 4, -1, 1000, INT32_MIN}) {
        MemoryStore store;
        store.ints[L"SearchBehaviour"] = stored;
        EXPECT_EQ(LoadAppSettings(store, kDefaultHome).searchBehaviour, SearchBehaviour::NewDefaultTab) << stored;
    }
    EXPECT_EQ(NormaliseSearchBehaviour(2), SearchBehaviour::ActiveTab);
}

TEST(SettingsTest, OnlyOneSetsAFeatureFlag) {
    for (int stored : {2, -1, 0, 256}) {
        MemoryStore store;
        store.ints[L"DisableFilters"] = stored;
        store.ints[L"DisableWindowExternal"] = stored;
        const AppSettings s = LoadAppSettings(store, kDefaultHome);
        EXPECT_FALSE(s.disableFilters) << stored;
        EXPECT_FALSE(s.disableWindowExternal) << stored;
    }
}

TEST(SettingsTest, OpenAllNamesUseTheEngineFilePrefix) {
    EXPECT_EQ(OpenAllValueName(IE_4), L"OpenAll_IE");
    EXPECT_EQ(OpenAllValueName(IE_5), L"OpenAll_IE");
    EXPECT_EQ(OpenAllValueName(IE_55), L"OpenAll_IE5");
    EXPECT_EQ(OpenAllValueName(IE_6), L"OpenAll_IE6");
    EXPECT_EQ(OpenAllValueName(IE_7), L"OpenAll_IE7");
    EXPECT_EQ(OpenAllValueName(IE_8), L"OpenAll_IE8");
    EXPECT_EQ(OpenAllValueName(IE_DEFAULT), L"OpenAll_IED");
}

TEST(SettingsTest, OpenAllDefaultsToIncludedAndOnlyOneIncludes) {
    MemoryStore store;
    EXPECT_TRUE(ReadOpenAll(store, IE_7));
    WriteOpenAll(store, IE_7, false);
    EXPECT_EQ(store.ints[L"OpenAll_IE7"], 0);
    EXPECT_FALSE(ReadOpenAll(store, IE_7));
    EXPECT_TRUE(ReadOpenAll(store, IE_8));
    store.ints[L"OpenAll_IED"] = 2;
    EXPECT_FALSE(ReadOpenAll(store, IE_DEFAULT));
}

TEST(SettingsTest, HomePageEditStoresTrimmedTextOrDeletesTheValue) {
    MemoryStore store;
    EXPECT_EQ(ApplyHomePageEdit(store, L"about:blank", kDefaultHome), L"about:blank");
    EXPECT_EQ(store.strings[L"HomePage"], L"about:blank");

    EXPECT_EQ(ApplyHomePageEdit(store, L"  \thttp://a.test/ \r\n", kDefaultHome), L"http://a.test/");
    EXPECT_EQ(store.strings[L"HomePage"], L"http://a.test/");

    EXPECT_EQ(ApplyHomePageEdit(store, L"   ", kDefaultHome), kDefaultHome);
    EXPECT_EQ(store.strings.count(L"HomePage"), 0u);
    EXPECT_EQ(LoadAppSettings(store, kDefaultHome).homePage, kDefaultHome);

    EXPECT_EQ(ApplyHomePageEdit(store, L"", kDefaultHome), kDefaultHome);
}

TEST(LanguageListTest, ChoosesUserDefaultPrimaryLanguageWhenSettingIsZero) {
    EXPECT_EQ(ChooseLanguage(0, 0x040C), 0x0Cu);
    EXPECT_STREQ(FindLanguageRow(ChooseLanguage(0, 0x040C))->fileName, L"Languages\\FRENCH.lang");
    EXPECT_EQ(ChooseLanguage(0x07, 0x040C), 0x07u);
}

TEST(LanguageListTest, TraditionalChineseOnlyByItsFullIdentifier) {
    EXPECT_STREQ(FindLanguageRow(ChooseLanguage(1028, 0x0409))->fileName, L"Languages\\TCHINESE.lang");
    // A user default of Traditional Chinese is masked to plain Chinese.
    EXPECT_STREQ(FindLanguageRow(ChooseLanguage(0, 0x0404))->fileName, L"Languages\\CHINESE.lang");
    EXPECT_EQ(LanguageListSelection(1028), 0x04u);
}

TEST(LanguageListTest, CroatianShadowsSerbianAndUnknownHasNoRow) {
    EXPECT_STREQ(FindLanguageRow(0x1A)->fileName, L"Languages\\CROATIAN.lang");
    EXPECT_EQ(FindLanguageRow(0x3FF), nullptr);
    EXPECT_EQ(FindLanguageRow(0), nullptr);
}

} // namespace
} // namespace movalent
