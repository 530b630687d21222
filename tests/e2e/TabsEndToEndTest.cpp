// Tabs as a user opens and closes them: from the command line, the version commands and the close commands,
// with the stand-in engine (or none) beside the program.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace movalent::test;

namespace {

const UINT kVersionCommands[] = {ID_NEW_IE4, ID_NEW_IE5, ID_NEW_IE55,      ID_NEW_IE6,
                                 ID_NEW_IE7, ID_NEW_IE8, ID_NEW_IE_DEFAULT};

class Tabs : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    static ProgramOptions WithEngines(std::vector<std::wstring> arguments = {}) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = std::move(arguments);
        return options;
    }
    static bool WaitForTabCount(const Program& program, size_t count) {
        return Program::WaitFor([&] { return program.Tabs().size() == count; });
    }
};

TEST_F(Tabs, VersionCommandsFollowTheEnginesBesideTheProgram) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    const bool expected[] = {false, false, kIe55Offered, true, true, true, true};
    for (size_t i = 0; i < std::size(kVersionCommands); ++i)
        EXPECT_EQ(expected[i], program.CommandEnabled(kVersionCommands[i])) << kVersionCommands[i];
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, WithoutEngineFilesOnlyDefaultIeIsOffered) {
    Program program;
    ASSERT_TRUE(program.Start()) << program.StartError();
    for (UINT id : kVersionCommands)
        EXPECT_EQ(id == ID_NEW_IE_DEFAULT, program.CommandEnabled(id)) << id;
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, IncompleteVersionIsNotOffered) {
    Program program;
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"missing-5rlmon");
    ASSERT_TRUE(program.Start(options)) << program.StartError();
    EXPECT_FALSE(program.CommandEnabled(ID_NEW_IE55));
    EXPECT_TRUE(program.CommandEnabled(ID_NEW_IE6));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, CommandLineOpensTabsPerVersionInVersionOrder) {
    PageFolder pages;
    std::wstring page[5];
    for (int i = 0; i < 5; ++i)
        page[i] = pages.WritePage(std::wstring(1, L'a' + i) + L".html", std::string(1, 'a' + i));
    Program program;
    ASSERT_TRUE(program.Start(
        WithEngines({L"-IE7", page[0], L"-ie8", page[1], page[2], kIe55Offered ? L"/ie55" : L"/ie6", page[3], page[4],
                     page[4]})))
        << program.StartError();
    // Each tab's caption is its page's title, so every page reached a tab of its own.
    ASSERT_TRUE(Program::WaitFor([&] {
        std::vector<std::wstring> captions = program.TabCaptions();
        std::sort(captions.begin(), captions.end());
        return captions == std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e", L"e"};
    })) << ::testing::PrintToString(program.TabCaptions());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, AllOpensOneTabPerAvailableVersion) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-all", L"page"}))) << program.StartError();
    // IE 5.5 (in the 32-bit program), 6, 7, 8 and Default IE; never IE 4 or IE 5.
    ASSERT_TRUE(WaitForTabCount(program, kIe55Offered ? 5 : 4));
    EXPECT_EQ(0, program.Close());

    Program bare;
    ProgramOptions options;
    options.arguments = {L"-all", L"page"};
    ASSERT_TRUE(bare.Start(options)) << bare.StartError();
    ASSERT_TRUE(WaitForTabCount(bare, 1));
    EXPECT_EQ(0, bare.Close());
}

TEST_F(Tabs, CloseCommandsFollowTheNumberOfTabs) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    EXPECT_FALSE(program.CommandEnabled(ID_CLOSE_ALL_TABS));
    EXPECT_FALSE(program.CommandEnabled(ID_CLOSE_OTHER_TABS));
    EXPECT_FALSE(program.CommandEnabled(ID_REFRESH_ALL));

    program.PostCommand(ID_NEW_IE6);
    ASSERT_TRUE(WaitForTabCount(program, 1));
    EXPECT_TRUE(program.CommandEnabled(ID_CLOSE_ALL_TABS));
    EXPECT_FALSE(program.CommandEnabled(ID_CLOSE_OTHER_TABS));
    EXPECT_FALSE(program.CommandEnabled(ID_REFRESH_ALL));
    EXPECT_FALSE(program.CommandEnabled(ID_REFRESH_ALL_COMPLETE));

    program.PostCommand(ID_NEW_IE8);
    program.PostCommand(ID_NEW_IE_DEFAULT);
    ASSERT_TRUE(WaitForTabCount(program, 3));
    EXPECT_TRUE(program.CommandEnabled(ID_CLOSE_OTHER_TABS));
    EXPECT_TRUE(program.CommandEnabled(ID_REFRESH_ALL));

    program.PostCommand(ID_CLOSE_OTHER_TABS);
    ASSERT_TRUE(WaitForTabCount(program, 1));
    program.PostCommand(ID_NEW_IE7);
    ASSERT_TRUE(WaitForTabCount(program, 2));
    program.PostCommand(ID_CLOSE_ALL_TABS);
    ASSERT_TRUE(WaitForTabCount(program, 0));
    EXPECT_FALSE(program.CommandEnabled(ID_CLOSE_ALL_TABS));
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, CloseOthersKeepsTheActiveTab) {
    PageFolder pages;
    Program program;
    ASSERT_TRUE(program.Start(
        WithEngines({L"-ie6", pages.WritePage(L"1.html", "first"), L"-ie7",
                     pages.WritePage(L"2.html", "second"), L"-ie8", pages.WritePage(L"3.html", "third")})))
        << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] {
        std::vector<std::wstring> captions = program.TabCaptions();
        std::sort(captions.begin(), captions.end());
        return captions == std::vector<std::wstring>{L"first", L"second", L"third"};
    }));
    std::wstring active = program.WindowText(program.ActiveTab());
    program.PostCommand(ID_CLOSE_OTHER_TABS);
    ASSERT_TRUE(WaitForTabCount(program, 1));
    EXPECT_EQ(active, program.TabCaptions().front());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, CtrlWClosesTheActiveTab) {
    PageFolder pages;
    Program program;
    ASSERT_TRUE(program.Start(
        WithEngines({L"-ie6", pages.WritePage(L"one.html", "one"), pages.WritePage(L"two.html", "two")})))
        << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] {
        std::vector<std::wstring> captions = program.TabCaptions();
        return captions.size() == 2 && captions[0] != captions[1] && !captions[0].empty() &&
               !captions[1].empty();
    }));
    std::wstring active = program.WindowText(program.ActiveTab());
    program.PressKeys({VK_CONTROL, 'W'});
    ASSERT_TRUE(WaitForTabCount(program, 1));
    EXPECT_NE(active, program.TabCaptions().front());
    // The tab row hands activation to the remaining tab just after the closed one is gone.
    EXPECT_TRUE(Program::WaitFor([&] { return program.ActiveTab() == program.Tabs().front(); }));
    EXPECT_EQ(program.TabCaptions().front(), program.WindowText(program.ActiveTab()));
    EXPECT_EQ(0, program.Close());
}

} // namespace
