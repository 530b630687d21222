#pragma once
// For the engine loader's tests: an install in one of the stand-in engine folders, and work run on a thread
// of its own with a given engine tag. The replacements are process-wide, so a test that installs removes again
// before it ends, and probes run on fresh threads, never on the test runner's.
#include "engine/EngineLoader.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace movalent::testing {

// IE 5.5 exists only as 32-bit code: the 64-bit program never offers it, and its rules are checked by the
// 32-bit suite.
inline constexpr bool kIe55Offered = VersionExistsForThisProgram(IE_55);
#define SKIP_WITHOUT_IE55()                                                                                       \
    if (!::movalent::testing::kIe55Offered)                                                                      \
    GTEST_SKIP() << "IE 5.5 exists only in the 32-bit program"

using standin::testing::ProbeReport;
using standin::testing::RunProbe;
using standin::testing::StandInFile;
using standin::testing::StandInFolder;

// Installs with the given stand-in folder as the current directory (as start-up leaves it), and removes at
// the end of the scope, restoring the directory.
class ScopedInstall {
public:
    explicit ScopedInstall(const std::wstring& folder, bool disableFilters = false) {
        wchar_t previous[MAX_PATH] = L"";
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        changed_ = ::SetCurrentDirectoryW(StandInFolder(folder).c_str()) != FALSE;
        InstallEngineHooks(disableFilters);
    }
    ~ScopedInstall() {
        RemoveEngineHooks();
        ::SetCurrentDirectoryW(previous_.c_str());
    }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;
    bool changedDirectory() const { return changed_; }

private:
    std::wstring previous_;
    bool changed_ = false;
};

// Runs work on a new thread tagged with the version (untagged when none) and waits for it. The tag is removed
// before the thread ends, as a browser thread does.
inline void RunOnThread(std::optional<IEVERSION> version, const std::function<void()>& work) {
    std::thread thread([&] {
        if (version)
            SetThreadEngine(0, *version);
        work();
        if (version)
            ForgetCurrentThread();
    });
    thread.join();
}

// A probe run inside a loaded engine module, on a new thread with the given tag.
inline ProbeReport ProbeOnThread(std::optional<IEVERSION> version, HMODULE module, const std::wstring& what) {
    ProbeReport report;
    RunOnThread(version, [&] { report = RunProbe(module, what); });
    return report;
}

inline std::wstring HandleText(HMODULE module) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(module)));
    return text;
}

// Whether a module of that full path is loaded, asked without touching its load count.
inline bool IsLoaded(const std::wstring& path) {
    HMODULE module = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, path.c_str(), &module) != FALSE;
}

inline bool IsLoadedAt(HMODULE module) {
    HMODULE found = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(module), &found) &&
           found == module;
}

inline std::wstring FileNameOf(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    if (module == nullptr || ::GetModuleFileNameW(module, path, MAX_PATH) == 0)
        return L"";
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash != nullptr ? slash + 1 : path;
}

} // namespace movalent::testing
