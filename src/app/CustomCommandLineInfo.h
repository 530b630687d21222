#pragma once

#include "engine/IeVersion.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movalent {

// Conversions between UTF-16 and the thread's ANSI code page (WideCharToMultiByte / MultiByteToWideChar with
// CP_THREAD_ACP in the program). Characters the code page lacks come back as the code page's default character.
using WideToAnsiConverter = std::function<std::string(std::wstring_view)>;
using AnsiToWideConverter = std::function<std::wstring(std::string_view)>;

// One command-line argument as the parameter handler receives it.
struct CommandLineArg {
    std::wstring text; // without the leading "-" or "/" of a switch
    bool isSwitch = false;
};

// Arguments after the program name, split the way the framework does: a first character "-" or "/" makes a
// switch and is taken off.
std::vector<CommandLineArg> SplitCommandLineArgs(const std::vector<std::wstring>& argsAfterProgram);

// "-import-engines <folder>" (or "/import-engines"): the program only puts that folder's engine files in place.
// The folder, empty when the switch has none; nothing when the command line does not ask for an import.
std::optional<std::wstring> ImportEnginesFolder(const std::vector<CommandLineArg>& args);

// Collects the URLs of the command line into one list per engine version. Version switches apply to the URLs
// that follow them; "all" sends every following URL to every version.
class CCustomCommandLineInfo {
public:
    CCustomCommandLineInfo(WideToAnsiConverter toAnsi, AnsiToWideConverter toWide);

    // Called once per argument in command-line order; isLast is part of the framework's contract and unused.
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast);
    // Feeds every argument to ParseParam.
    void ParseAll(const std::vector<CommandLineArg>& args);

    IEVERSION CurrentVersion() const { return currentVersion_; }
    bool AllVersions() const { return allVersions_; }
    const std::vector<std::wstring>& Urls(IEVERSION version) const;
    bool HasUrls() const;

private:
    void ParseSwitch(const std::string& name);
    void AddUrl(const std::wstring& url);

    WideToAnsiConverter toAnsi_;
    AnsiToWideConverter toWide_;
    IEVERSION currentVersion_ = IE_DEFAULT;
    bool allVersions_ = false;
    std::array<std::vector<std::wstring>, IE_VERSION_COUNT> urls_;
};

} // namespace movalent
