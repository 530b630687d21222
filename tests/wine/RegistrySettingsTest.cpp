// The settings as the program reads and writes them in the real registry.
#include "app/RegistrySettingsStore.h"
#include "framework/Handles.h"
#include "framework/Registry.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

const std::wstring kOptionsKey = L"Software\\Ombrisk\\Movalent\\Options";

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kOptionsKey.c_str());
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue);
    }
    void TearDown() override { SetUp(); }

    static void SetRaw(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                       DWORD size) {
        UniqueKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                                   key.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }
    static void SetString(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type,
                          const std::wstring& text) {
        SetRaw(root, path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static DWORD RawType(const std::wstring& path, const wchar_t* name) {
        DWORD type = REG_NONE;
        if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                           nullptr) != ERROR_SUCCESS)
            return REG_NONE;
        return type;
    }

    Profile profile_{L"Ombrisk", L"Movalent"};
};

TEST_F(RegistrySettings, MissingValuesReadAsDefaults) {
    RegistrySettingsStore store(profile_);
    AppSettings settings = LoadAppSettings(store, L"http://home.example/");
    EXPECT_EQ(0, settings.langId);
    EXPECT_FALSE(settings.disableFilters);
    EXPECT_FALSE(settings.disableWindowExternal);
    EXPECT_EQ(SearchBehaviour::NewDefaultTab, settings.searchBehaviour);
    EXPECT_EQ(L"http://home.example/", settings.homePage);
    EXPECT_EQ(200, ReadVertLeftSplitter(store));
    EXPECT_TRUE(ReadOpenAll(store, IE_7));
}

TEST_F(RegistrySettings, StoredValuesAreNormalised) {
    RegistrySettingsStore store(profile_);
    ASSERT_TRUE(store.WriteInt(kSearchBehaviourValue, 4));
    ASSERT_TRUE(store.WriteInt(kDisableFiltersValue, 2));
    ASSERT_TRUE(store.WriteInt(kDisableWindowExternalValue, 1));
    ASSERT_TRUE(store.WriteString(kHomePageValue, L"http://mine.example/"));
    AppSettings settings = LoadAppSettings(store, L"http://home.example/");
    EXPECT_EQ(SearchBehaviour::NewDefaultTab, settings.searchBehaviour);
    EXPECT_FALSE(settings.disableFilters);
    EXPECT_TRUE(settings.disableWindowExternal);
    EXPECT_EQ(L"http://mine.example/", settings.homePage);

    ASSERT_TRUE(store.WriteInt(kSearchBehaviourValue, -1));
    EXPECT_EQ(SearchBehaviour::NewDefaultTab, LoadAppSettings(store, L"x").searchBehaviour);
    ASSERT_TRUE(store.WriteInt(kSearchBehaviourValue, 3));
    EXPECT_EQ(SearchBehaviour::FirstDefaultTab, LoadAppSettings(store, L"x").searchBehaviour);
}

TEST_F(RegistrySettings, IntegersAreDwordsAndStringsAreRegSz) {
    RegistrySettingsStore store(profile_);
    ASSERT_TRUE(store.WriteInt(kLangIdValue, 1036));
    ASSERT_TRUE(store.WriteString(kHomePageValue, L"about:blank"));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(kOptionsKey, kLangIdValue));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(kOptionsKey, kHomePageValue));
    EXPECT_EQ(1036, store.ReadInt(kLangIdValue, 0));
}

TEST_F(RegistrySettings, WrongTypeReadsAsDefaultAndIsKeptUntouched) {
    SetString(HKEY_CURRENT_USER, kOptionsKey, kSearchBehaviourValue, REG_SZ, L"2");
    DWORD number = 7;
    SetRaw(HKEY_CURRENT_USER, kOptionsKey, kHomePageValue, REG_DWORD, &number, sizeof(number));
    RegistrySettingsStore store(profile_);
    AppSettings settings = LoadAppSettings(store, L"http://home.example/");
    EXPECT_EQ(SearchBehaviour::NewDefaultTab, settings.searchBehaviour);
    EXPECT_EQ(L"http://home.example/", settings.homePage);
    // Reading never rewrites what the user (or another program) stored.
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(kOptionsKey, kSearchBehaviourValue));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(kOptionsKey, kHomePageValue));
}

TEST_F(RegistrySettings, DeletingTheHomePageBringsBackTheDefault) {
    RegistrySettingsStore store(profile_);
    ASSERT_TRUE(store.WriteString(kHomePageValue, L"http://mine.example/"));
    EXPECT_EQ(L"http://default.example/", ApplyHomePageEdit(store, L"   ", L"http://default.example/"));
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), RawType(kOptionsKey, kHomePageValue));
}

TEST_F(RegistrySettings, InstallDirAcceptsOnlyStringsThatFit) {
    EXPECT_EQ(L"", ReadInstallDir());
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, L"C:\\Program Files\\Movalent");
    EXPECT_EQ(L"C:\\Program Files\\Movalent", ReadInstallDir());
    // An expandable string is expanded; a plain one is taken as it is, marks and all.
    ::SetEnvironmentVariableW(L"MOVALENT_TEST_ROOT", L"D:\\Tools");
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_EXPAND_SZ, L"%MOVALENT_TEST_ROOT%\\Movalent");
    EXPECT_EQ(L"D:\\Tools\\Movalent", ReadInstallDir());
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, L"%MOVALENT_TEST_ROOT%\\Movalent");
    EXPECT_EQ(L"%MOVALENT_TEST_ROOT%\\Movalent", ReadInstallDir());

    DWORD number = 1;
    SetRaw(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(L"", ReadInstallDir());
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_MULTI_SZ, L"C:\\x");
    EXPECT_EQ(L"", ReadInstallDir());

    std::wstring longest(259, L'a'); // 260 characters with the terminator
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, longest);
    EXPECT_EQ(longest, ReadInstallDir());
    SetString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, longest + L"a");
    EXPECT_EQ(L"", ReadInstallDir());
}

TEST_F(RegistrySettings, InstallDirWithoutTerminatorIsReadWithinItsSize) {
    const wchar_t data[] = {L'C', L':', L'\\', L'M'};
    SetRaw(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, data, sizeof(data));
    EXPECT_EQ(L"C:\\M", ReadInstallDir());
    std::wstring full(260, L'b'); // fills the whole buffer: no room for the terminator
    SetRaw(HKEY_LOCAL_MACHINE, kInstallKey, kInstallDirValue, REG_SZ, full.data(),
           static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    EXPECT_EQ(L"", ReadInstallDir());
}

} // namespace
