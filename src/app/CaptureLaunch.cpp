#include "app/CaptureLaunch.h"

#include "app/CaptureOptions.h"
#include "app/TextFormat.h"
#include "framework/Handles.h"
#include "framework/ModulePaths.h"

#include <windows.h>
#include <shlobj.h>

namespace movalent {

namespace {

// Tests choose the folder and the versions (Wine's own control, behind Default IE, completes no page).
std::wstring ChosenByTest([[maybe_unused]] const wchar_t* name) {
#ifdef MOVALENT_TEST_HOOKS
    wchar_t value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return std::wstring(value, length);
#endif
    return {};
}

// The folder captures go to: "Movalent" in the user's pictures, or in the documents where there is no such
// folder.
std::wstring CapturesFolder() {
    if (std::wstring folder = ChosenByTest(L"MOVALENT_TEST_CAPTURE_FOLDER"); !folder.empty())
        return folder;
    for (const KNOWNFOLDERID& id : {FOLDERID_Pictures, FOLDERID_Documents}) {
        PWSTR path = nullptr;
        const HRESULT hr = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
        std::wstring folder = SUCCEEDED(hr) && path ? path : L"";
        ::CoTaskMemFree(path);
        if (!folder.empty())
            return folder + L"\\Movalent";
    }
    return {};
}

} // namespace

bool LaunchCapture(const std::wstring& address) {
    const std::wstring base = CapturesFolder();
    if (base.empty())
        return false;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::wstring folder =
        base + L"\\" +
        CaptureFolderName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const std::wstring program = ModuleFilePath();
    std::wstring versions = ChosenByTest(L"MOVALENT_TEST_CAPTURE_VERSIONS");
    std::wstring commandLine = QuotedArgument(program) + L" /capture " + QuotedArgument(address) +
                               L" /versions " + (versions.empty() ? L"all" : QuotedArgument(versions)) +
                               L" /out " + QuotedArgument(folder) + L" /open";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    return true;
}

} // namespace movalent
