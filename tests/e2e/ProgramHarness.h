#pragma once
// Starts the real Movalent.exe in a program folder of the test's own and drives it from outside, as a user
// would: commands, keys, message boxes; and reads back what a user sees: tab captions, command states, window
// texts.
#include "engine/EngineFiles.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace movalent::test {

// IE 5.5 exists only as 32-bit code: the 64-bit program never offers it.
inline constexpr bool kIe55Offered = VersionExistsForThisProgram(IE_55);

struct ProgramOptions {
    // A folder whose files are copied beside the program (engine files); empty for none.
    std::filesystem::path engineFolder = {};
    std::vector<std::wstring> arguments = {};
    // Values written to the "Options" section before the start (and removed again by the harness's reset).
    std::map<std::wstring, DWORD> intSettings = {};
    std::map<std::wstring, std::wstring> stringSettings = {};
    std::map<std::wstring, std::wstring> environment = {};
    // The folder the program starts in; empty for its own.
    std::filesystem::path currentDirectory = {};
    // False for a start that shows no main window (a command-line import): Start returns once the process runs.
    bool waitForMainWindow = true;
    // A file that gets what the program writes to its standard output and error; empty for none.
    std::filesystem::path outputFile = {};
};

// What the program answers to the registered message "Movalent.QueryCommandState".
enum CommandStateBits : unsigned { kCommandEnabled = 1, kCommandChecked = 2, kCommandRadio = 4 };

class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program(); // ends the process if it still runs and removes its folder

    // Lays out the program folder, writes the settings and starts the program; true once its main window
    // exists. On failure StartError() says what went wrong.
    bool Start(const ProgramOptions& options = {});
    const std::wstring& StartError() const { return startError_; }
    const std::filesystem::path& Folder() const { return folder_; }
    HWND MainWindow() const { return main_; }
    DWORD ProcessId() const { return processId_; }
    bool Running() const;

    void PostCommand(UINT id) const;
    unsigned CommandState(UINT id) const;
    bool CommandEnabled(UINT id) const { return (CommandState(id) & kCommandEnabled) != 0; }
    // Types a key combination into the program's focused window (modifiers: VK_CONTROL, VK_SHIFT, VK_MENU).
    void PressKeys(std::vector<WORD> keys) const;

    std::wstring WindowText(HWND hwnd) const;
    // The tabs (MDI children of the main window) in the order of the tab row, as their window texts.
    std::vector<std::wstring> TabCaptions() const;
    std::vector<HWND> Tabs() const;
    HWND ActiveTab() const;
    HWND MdiClient() const;

    // A message box (dialog class #32770 with a static text) shown by the program; null when none.
    HWND FindMessageBox() const;
    std::wstring MessageBoxText(HWND box) const;
    void AnswerMessageBox(HWND box, int button) const;
    // A top-level window of the program (a dialog) holding a control with this id; null when none.
    HWND FindWindowWithItem(int id) const;
    // Runs a command that opens a dialog, reads the text of its control with this id and closes it with OK;
    // empty when no such dialog appeared.
    std::wstring DialogItemText(UINT command, int id) const;

    // Polls cond every 20 ms until it holds or the timeout passes.
    static bool WaitFor(const std::function<bool()>& cond,
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

    // Asks the program to close (WM_CLOSE) and waits; returns its exit code, or -1 when it had to be
    // terminated.
    int Close(std::chrono::milliseconds timeout = std::chrono::milliseconds(15000));

    // Clears every setting of the program from the registry, so each test starts from the defaults.
    static void ResetSettings();

private:
    std::filesystem::path folder_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    std::wstring startError_;
};

// Where the built program and its languages are.
std::filesystem::path BuiltProgramFolder();

} // namespace movalent::test
