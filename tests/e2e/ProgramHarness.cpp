#include "ProgramHarness.h"

#include <thread>

namespace movalent::test {

namespace {

// Files and folders below from, into to (which may exist), replacing files of the same name. The library's
// recursive copy reports an existing folder below the target as an error under Wine.
void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(from, error)) {
        const std::filesystem::path target = to / std::filesystem::relative(entry.path(), from, error);
        if (entry.is_directory())
            std::filesystem::create_directories(target, error);
        else
            std::filesystem::copy_file(entry.path(), target, std::filesystem::copy_options::overwrite_existing,
                                       error);
        if (error)
            return;
    }
}

const wchar_t* const kSettingsKey = L"Software\\Ombrisk\\Movalent";
const wchar_t* const kOptionsKey = L"Software\\Ombrisk\\Movalent\\Options";

struct WindowSearch {
    DWORD processId;
    std::function<bool(HWND)> accept;
    HWND found;
};

BOOL CALLBACK AcceptProcessWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !search->accept(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The first top-level window of the process that satisfies the predicate.
HWND FindProcessWindow(DWORD processId, std::function<bool(HWND)> accept) {
    WindowSearch search{processId, accept, nullptr};
    ::EnumWindows(AcceptProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    return wcscmp(cls, name) == 0;
}

bool IsMainFrame(HWND hwnd) { return HasClass(hwnd, L"MovalentMainFrame"); }

bool IsMessageBox(HWND hwnd) {
    return HasClass(hwnd, L"#32770") && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    for (wchar_t c : arg) {
        if (c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

void WriteSettings(const ProgramOptions& options) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const auto& [name, value] : options.intSettings)
        ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    for (const auto& [name, value] : options.stringSettings)
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

std::wstring EnvironmentBlock(const std::map<std::wstring, std::wstring>& extra) {
    std::map<std::wstring, std::wstring, std::less<>> variables;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
        std::wstring entry(p);
        size_t eq = entry.find(L'=', 1);
        if (eq != std::wstring::npos)
            variables[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    ::FreeEnvironmentStringsW(block);
    for (const auto& [name, value] : extra)
        variables[name] = value;
    std::wstring result;
    for (const auto& [name, value] : variables)
        result += name + L"=" + value + L'\0';
    return result + L'\0';
}

} // namespace

std::filesystem::path BuiltProgramFolder() { return std::filesystem::path(L"" MOVALENT_TEST_BIN_DIR); }

Program::~Program() {
    if (Running())
        Close(std::chrono::milliseconds(5000));
    if (process_)
        ::CloseHandle(process_);
    std::error_code ignored;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ignored);
}

void Program::ResetSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool Program::Start(const ProgramOptions& options) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) /
              (L"movalent-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
               L"-" + std::to_wstring(::GetTickCount64()));
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    std::filesystem::create_directories(folder_);
    CopyTree(BuiltProgramFolder(), folder_, error);
    if (error) {
        startError_ = L"cannot copy the program: " + std::to_wstring(error.value());
        return false;
    }
    if (!options.engineFolder.empty()) {
        CopyTree(options.engineFolder, folder_, error);
        if (error) {
            startError_ = L"cannot copy the engine folder: " + std::to_wstring(error.value());
            return false;
        }
    }
    WriteSettings(options);

    std::wstring exe = (folder_ / L"Movalent.exe").wstring();
    std::wstring commandLine = QuoteArgument(exe);
    for (const std::wstring& arg : options.arguments)
        commandLine += L" " + QuoteArgument(arg);
    std::wstring environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    HANDLE output = options.outputFile.empty()
                        ? INVALID_HANDLE_VALUE
                        : ::CreateFileW(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    PROCESS_INFORMATION info = {};
    const BOOL started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr,
                                          output != INVALID_HANDLE_VALUE, CREATE_UNICODE_ENVIRONMENT,
                          environment.data(),
                          (options.currentDirectory.empty() ? folder_ : options.currentDirectory).wstring().c_str(),
                          &startup, &info);
    if (output != INVALID_HANDLE_VALUE)
        ::CloseHandle(output);
    if (!started) {
        startError_ = L"CreateProcess failed: " + std::to_wstring(::GetLastError());
        return false;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    if (!options.waitForMainWindow)
        return true;
    WaitFor([this] {
        main_ = FindProcessWindow(processId_, IsMainFrame);
        return main_ != nullptr || !Running();
    }, std::chrono::milliseconds(30000));
    if (main_)
        return true;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    startError_ = code == STILL_ACTIVE ? L"no main window after 30 s"
                                       : L"the program ended during start-up with code " + std::to_wstring(code);
    return false;
}

bool Program::Running() const { return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void Program::PostCommand(UINT id) const { ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

unsigned Program::CommandState(UINT id) const {
    static const UINT query = ::RegisterWindowMessageW(L"Movalent.QueryCommandState");
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(main_, query, id, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return static_cast<unsigned>(result);
}

void Program::PressKeys(std::vector<WORD> keys) const {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SetForegroundWindow(main_);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::wstring Program::WindowText(HWND hwnd) const {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

HWND Program::MdiClient() const { return ::FindWindowExW(main_, nullptr, L"MDIClient", nullptr); }

std::vector<HWND> Program::Tabs() const {
    std::vector<HWND> tabs;
    HWND client = MdiClient();
    if (!client)
        return tabs;
    for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        tabs.push_back(child);
    return tabs;
}

HWND Program::ActiveTab() const {
    DWORD_PTR active = 0;
    HWND client = MdiClient();
    if (!client || !::SendMessageTimeoutW(client, WM_MDIGETACTIVE, 0, 0, SMTO_ABORTIFHUNG, 5000, &active))
        return nullptr;
    return reinterpret_cast<HWND>(active);
}

std::vector<std::wstring> Program::TabCaptions() const {
    std::vector<std::wstring> captions;
    for (HWND tab : Tabs())
        captions.push_back(WindowText(tab));
    return captions;
}

HWND Program::FindMessageBox() const {
    return FindProcessWindow(processId_, IsMessageBox);
}

HWND Program::FindWindowWithItem(int id) const {
    return FindProcessWindow(processId_, [id](HWND hwnd) { return ::GetDlgItem(hwnd, id) != nullptr; });
}

std::wstring Program::DialogItemText(UINT command, int id) const {
    PostCommand(command);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindWindowWithItem(id)) != nullptr; }))
        return {};
    const std::wstring text = WindowText(::GetDlgItem(dialog, id));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !::IsWindow(dialog); });
    return text;
}

std::wstring Program::MessageBoxText(HWND box) const { return WindowText(::GetDlgItem(box, 0xFFFF)); }

void Program::AnswerMessageBox(HWND box, int button) const {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
}

bool Program::WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int Program::Close(std::chrono::milliseconds timeout) {
    if (!process_)
        return -1;
    if (main_)
        ::PostMessageW(main_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, 5000);
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

} // namespace movalent::test
