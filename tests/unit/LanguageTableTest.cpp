#include "app/LanguageTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace movalent {
namespace {

std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    for (char c : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

std::wstring EnglishResource(unsigned id) {
    static const std::map<unsigned, std::wstring> resources = {{124, L"English"}, {126, L"You have the latest version"}};
    const auto it = resources.find(id);
    return it == resources.end() ? std::wstring() : it->second;
}

struct Files {
    std::map<std::wstring, std::string> contents;
    int reads = 0;
    FileReader Reader() {
        return [this](const std::wstring& path) -> std::optional<std::string> {
            ++reads;
            const auto it = contents.find(path);
            if (it == contents.end()) {
                return std::nullopt;
            }
            return it->second;
        };
    }
};

LanguageEnvironment Environment(Files& files, unsigned langId, unsigned userDefault = 0x0409) {
    LanguageEnvironment env;
    env.langIdSetting = langId;
    env.userDefaultLangId = userDefault;
    env.installDir = L"C:\\Movalent";
    env.readFile = files.Reader();
    env.ansiToWide = Latin1;
    return env;
}

class LanguageTableTest : public ::testing::Test {
protected:
    LanguageTable table;
    Files files;
    void SetUp() override { table.SetResourceFallback(EnglishResource); }
};

TEST_F(LanguageTableTest, WithoutInitEverythingFallsBack) {
    EXPECT_EQ(table.Lookup(124), L"English");
    EXPECT_EQ(table.Lookup(999), L"");
    EXPECT_FALSE(table.IsBuilt());
}

TEST_F(LanguageTableTest, UserDefaultFrenchLoadsFromInstallFolder) {
    files.contents[L"C:\\Movalent\\Languages\\FRENCH.lang"] = "124:Fran\xE7" "ais\n";
    table.Init(Environment(files, 0, 0x040C));
    EXPECT_EQ(table.ChosenLanguage(), 0x0Cu);
    EXPECT_EQ(table.ActiveLanguage(), 0x0Cu);
    EXPECT_EQ(table.Lookup(124), L"Fran\u00E7ais");
    // Missing from the translation: the English resource.
    EXPECT_EQ(table.Lookup(126), L"You have the latest version");
}

TEST_F(LanguageTableTest, FallsBackToCurrentFolder) {
    files.contents[L"Languages\\GERMAN.lang"] = "124:Deutsch\n";
    table.Init(Environment(files, 0x07));
    EXPECT_EQ(table.ActiveLanguage(), 0x07u);
    EXPECT_EQ(table.Lookup(124), L"Deutsch");
}

TEST_F(LanguageTableTest, MissingFileLeavesNoActiveLanguage) {
    table.Init(Environment(files, 0x07));
    EXPECT_EQ(table.ChosenLanguage(), 0x07u);
    EXPECT_EQ(table.ActiveLanguage(), 0u);
    EXPECT_EQ(table.Lookup(124), L"English");
}

TEST_F(LanguageTableTest, LanguageWithoutRowIsActiveButEmpty) {
    table.Init(Environment(files, 0x3E));
    EXPECT_EQ(files.reads, 0);
    EXPECT_EQ(table.ActiveLanguage(), 0x3Eu);
    EXPECT_EQ(table.Lookup(124), L"English");
}

TEST_F(LanguageTableTest, ReferenceCountedInitAndRelease) {
    files.contents[L"C:\\Movalent\\Languages\\FRENCH.lang"] = "124:Francais\n";
    table.Init(Environment(files, 0x0C));
    const int readsAfterFirst = files.reads;
    table.Init(Environment(files, 0x07)); // only counts: the French table stays
    EXPECT_EQ(files.reads, readsAfterFirst);
    EXPECT_EQ(table.ActiveLanguage(), 0x0Cu);

    table.Release();
    EXPECT_EQ(table.Lookup(124), L"Francais");
    table.Release();
    EXPECT_FALSE(table.IsBuilt());
    EXPECT_EQ(table.ActiveLanguage(), 0u);
    EXPECT_EQ(table.Lookup(124), L"English");

    table.Release(); // an unmatched release is harmless
    table.Init(Environment(files, 0x0C));
    EXPECT_EQ(table.Lookup(124), L"Francais");
}

TEST_F(LanguageTableTest, NoFallbackGivesEmptyText) {
    LanguageTable bare;
    EXPECT_EQ(bare.Lookup(124), L"");
}

TEST_F(LanguageTableTest, ConcurrentLookupsDuringRelease) {
    files.contents[L"C:\\Movalent\\Languages\\FRENCH.lang"] = "124:Francais\n";
    table.Init(Environment(files, 0x0C));
    std::atomic<bool> start{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            while (!start) {
                std::this_thread::yield();
            }
            for (int i = 0; i < 2000; ++i) {
                const std::wstring text = table.Lookup(124);
                if (text != L"Francais" && text != L"English") {
                    ++bad;
                }
            }
        });
    }
    start = true;
    for (int i = 0; i < 50; ++i) {
        table.Release();
        table.Init(Environment(files, 0x0C));
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(bad, 0);
}

} // namespace
} // namespace movalent
