// Tabs as a user opens and closes them: from the command line, the version commands and the close commands,
// with the stand-in engine (or none) beside the program.
#include "ProgramHarness.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace movalent::test;

namespace {

const UINT kVersionCommands[] = {ID_NEW_IE4, ID_NEW_IE5, ID_NEW_IE55, ID_NEW_IE6, ID_NEW_IE7, ID_NEW_IE8,
                                 ID_NEW_IE_DEFAULT};

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
    // Captions arrive after the tabs, once each tab's page reports its title.
    static bool WaitForCaptions(const Program& program, size_t count) {
        return Program::WaitFor([&] {
            std::vector<std::wstring> captions = program.TabCaptions();
            return captions.size() == count &&
                   std::none_of(captions.begin(), captions.end(), [](const std::wstring& c) { return c.empty(); });
        });
    }
};

TEST_F(Tabs, VersionCommandsFollowTheEnginesBesideTheProgram) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    const bool expected[] = {false, false, true, true, true, true, true};
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
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-IE7", L"a", L"-ie8", L"b", L"c", L"/ie55", L"d", L"e", L"e"})))
        << program.StartError();
    ASSERT_TRUE(WaitForCaptions(program, 6));
    std::vector<std::wstring> captions = program.TabCaptions();
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e", L"e"}), captions);
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, AllOpensOneTabPerAvailableVersion) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-all", L"page"}))) << program.StartError();
    // IE 5.5, 6, 7, 8 and Default IE; never IE 4 or IE 5.
    ASSERT_TRUE(WaitForTabCount(program, 5));
    EXPECT_EQ(0, program.Close());

    Program bare;
    ASSERT_TRUE(bare.Start({.arguments = {L"-all", L"page"}})) << bare.StartError();
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
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", L"first", L"-ie7", L"second", L"-ie8", L"third"})))
        << program.StartError();
    ASSERT_TRUE(WaitForCaptions(program, 3));
    std::wstring active = program.WindowText(program.ActiveTab());
    program.PostCommand(ID_CLOSE_OTHER_TABS);
    ASSERT_TRUE(WaitForTabCount(program, 1));
    EXPECT_EQ(active, program.TabCaptions().front());
    EXPECT_EQ(0, program.Close());
}

TEST_F(Tabs, CtrlWClosesTheActiveTab) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines({L"-ie6", L"one", L"two"}))) << program.StartError();
    ASSERT_TRUE(WaitForCaptions(program, 2));
    std::wstring active = program.WindowText(program.ActiveTab());
    program.PressKeys({VK_CONTROL, 'W'});
    ASSERT_TRUE(WaitForTabCount(program, 1));
    EXPECT_NE(active, program.TabCaptions().front());
    EXPECT_EQ(program.TabCaptions().front(), program.WindowText(program.ActiveTab()));
    EXPECT_EQ(0, program.Close());
}

} // namespace
