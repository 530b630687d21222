// Adding an old engine's files: from the command line ("/import-engines <folder>") and from the ribbon's
// command, with stand-in builds that carry each engine version's file version under the standard names.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace movalent::test;
using movalent::standin::testing::StandInFolder;

namespace {

class EngineImport : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetSettings(); }
    void TearDown() override { Program::ResetSettings(); }

    struct Outcome {
        int exitCode = -1;
        std::vector<std::wstring> boxes; // the texts of the message boxes, in order
        std::set<std::wstring> files;    // what the program's folder holds afterwards
    };

    // Runs "Movalent.exe /import-engines <folder>" in a program folder holding engineFolder's files (by
    // default none) and answers its message boxes with answers in turn (OK where the box has no such button,
    // or when the answers have run out).
    static Outcome Import(const std::wstring& source, std::vector<int> answers = {},
                          const std::filesystem::path& engineFolder = {}) {
        Outcome outcome;
        ProgramOptions options;
        options.engineFolder =
            engineFolder.empty() ? std::filesystem::path(StandInFolder(L"none")) : engineFolder;
        options.arguments = {L"/import-engines", StandInFolder(source)};
        options.waitForMainWindow = false;
        Program program;
        if (!program.Start(options)) {
            ADD_FAILURE() << program.StartError();
            return outcome;
        }
        for (;;) {
            HWND box = nullptr;
            if (!Program::WaitFor(
                    [&] { return (box = program.FindMessageBox()) != nullptr || !program.Running(); }) ||
                !box)
                break;
            outcome.boxes.push_back(program.MessageBoxText(box));
            const int answer =
                outcome.boxes.size() <= answers.size() ? answers[outcome.boxes.size() - 1] : IDOK;
            program.AnswerMessageBox(box, ::GetDlgItem(box, answer) ? answer : IDOK);
            Program::WaitFor([&] { return !::IsWindow(box); });
        }
        outcome.exitCode = program.Close();
        for (const auto& entry : std::filesystem::directory_iterator(program.Folder()))
            outcome.files.insert(entry.path().filename().wstring());
        return outcome;
    }
};

TEST_F(EngineImport, ACompleteFolderIsCopiedUnderTheVersionsNames) {
    const Outcome outcome = Import(L"import-ie6");
    EXPECT_EQ(0, outcome.exitCode);
    ASSERT_EQ(1u, outcome.boxes.size());
    EXPECT_EQ(0u, outcome.boxes[0].find(
                      L"The files of IE 6 were copied into Movalent's folder: 6hdocvw.dll, 6shtml.dll"))
        << ::testing::PrintToString(outcome.boxes[0]);
    EXPECT_NE(std::wstring::npos,
              outcome.boxes[0].find(L"Optional files not found (not needed): mshtmled.dll."));
    for (const wchar_t* name :
         {L"6hdocvw.dll", L"6shtml.dll", L"6script.dll", L"6rlmon.dll", L"6ininet.dll", L"6bscript.dll"})
        EXPECT_TRUE(outcome.files.count(name)) << name;
}

TEST_F(EngineImport, MixedIncompleteAndUnwritableFoldersChangeNothing) {
    Outcome outcome = Import(L"import-mixed");
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ(std::vector<std::wstring>{L"The folder mixes engine versions (mshtml.dll 6.0, urlmon.dll 7.0). "
                                        L"Nothing was copied."},
              outcome.boxes);
    EXPECT_FALSE(outcome.files.count(L"6shtml.dll"));

    outcome = Import(L"import-incomplete");
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ(std::vector<std::wstring>{L"The folder holds IE 6, but these required files are missing: "
                                        L"wininet.dll. Nothing was copied."},
              outcome.boxes);
    EXPECT_FALSE(outcome.files.count(L"6shtml.dll"));

    // Something in the way that cannot be written over (a folder of that name: file permissions would not
    // stop the tests' user): asked to replace, then told, and offered the administrator (declined here).
    PageFolder blocked;
    std::filesystem::create_directory(blocked.Folder() / L"6rlmon.dll");
    outcome = Import(L"import-ie6", {IDNO}, blocked.Folder());
    EXPECT_EQ(2, outcome.exitCode) << "the replacement was declined";
    outcome = Import(L"import-ie6", {IDYES, IDNO}, blocked.Folder());
    EXPECT_EQ(1, outcome.exitCode);
    ASSERT_EQ(2u, outcome.boxes.size()) << ::testing::PrintToString(outcome.boxes);
    EXPECT_EQ(L"Movalent's folder already has engine files of IE 6. Replace them?", outcome.boxes[0]);
    EXPECT_EQ(0u, outcome.boxes[1].find(L"Movalent cannot write to its folder"))
        << ::testing::PrintToString(outcome.boxes[1]);
    EXPECT_FALSE(outcome.files.count(L"6shtml.dll")) << "the files copied before the failure are taken back";
}

TEST_F(EngineImport, TheRibbonsCommandMakesANewVersionAvailableAtOnce) {
    Program program_;
    ProgramOptions options;
    options.engineFolder = StandInFolder(L"none");
    options.environment[L"MOVALENT_TEST_IMPORT_FOLDER"] = StandInFolder(L"import-ie7");
    ASSERT_TRUE(program_.Start(options)) << program_.StartError();
    EXPECT_FALSE(program_.CommandEnabled(ID_NEW_IE7));
    program_.PostCommand(ID_ADD_ENGINE_FILES);
    HWND box = nullptr;
    ASSERT_TRUE(Program::WaitFor([&] { return (box = program_.FindMessageBox()) != nullptr; }));
    const std::wstring text = program_.MessageBoxText(box);
    EXPECT_NE(std::wstring::npos, text.find(L"IE 7 can be used now.")) << ::testing::PrintToString(text);
    program_.AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(Program::WaitFor([&] { return program_.CommandEnabled(ID_NEW_IE7); }));
    program_.PostCommand(ID_NEW_IE7);
    HWND tab = nullptr;
    ASSERT_TRUE(Program::WaitFor(
        [&] { return (tab = program_.ActiveTab()) && !PageValue(tab, L"version").empty(); }));
    EXPECT_EQ(L"7", PageValue(tab, L"version")) << "the imported files serve the new tab";
    const std::wstring about = program_.DialogItemText(ID_SHOW_ABOUT, IDC_ABOUT_ENGINES);
    EXPECT_NE(std::wstring::npos, about.find(L"IE 7: available, 7shtml.dll version 7.0.0.0")) << about;
    EXPECT_NE(std::wstring::npos, about.find(L"IE 6: not available, missing from the program's folder: 6hdocvw.dll, "))
        << about;
    EXPECT_EQ(0, program_.Close());
}

} // namespace
