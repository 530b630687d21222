#include "app/CustomCommandLineInfo.h"

#include <utility>

namespace movalent {

namespace {

struct VersionSwitch {
    const char* name;
    IEVERSION version;
};

constexpr VersionSwitch kVersionSwitches[] = {
    {"ie4", IE_4}, {"ie5", IE_5}, {"ie55", IE_55}, {"ie6", IE_6},
    {"ie7", IE_7}, {"ie8", IE_8}, {"ie", IE_DEFAULT},
};

constexpr const char* kAllSwitch = "all";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<CommandLineArg> SplitCommandLineArgs(const std::vector<std::wstring>& argsAfterProgram) {
    std::vector<CommandLineArg> result;
    result.reserve(argsAfterProgram.size());
    for (const std::wstring& arg : argsAfterProgram) {
        CommandLineArg item;
        item.isSwitch = !arg.empty() && (arg.front() == L'-' || arg.front() == L'/');
        item.text = item.isSwitch ? arg.substr(1) : arg;
        result.push_back(std::move(item));
    }
    return result;
}

CCustomCommandLineInfo::CCustomCommandLineInfo(WideToAnsiConverter toAnsi, AnsiToWideConverter toWide)
    : toAnsi_(std::move(toAnsi)), toWide_(std::move(toWide)) {}

void CCustomCommandLineInfo::ParseParam(const wchar_t* param, bool isSwitch, bool /*isLast*/) {
    if (param == nullptr) {
        return;
    }
    // Arguments are handled in the ANSI code page, so a URL keeps only what that code page can hold.
    const std::string ansi = toAnsi_ ? toAnsi_(std::wstring_view(param)) : std::string();
    if (isSwitch) {
        ParseSwitch(ansi);
    } else {
        AddUrl(toWide_ ? toWide_(ansi) : std::wstring());
    }
}

void CCustomCommandLineInfo::ParseAll(const std::vector<CommandLineArg>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        ParseParam(args[i].text.c_str(), args[i].isSwitch, i + 1 == args.size());
    }
}

void CCustomCommandLineInfo::ParseSwitch(const std::string& name) {
    if (EqualsIgnoringAsciiCase(name, kAllSwitch)) {
        allVersions_ = true;
        return;
    }
    for (const VersionSwitch& entry : kVersionSwitches) {
        if (EqualsIgnoringAsciiCase(name, entry.name)) {
            currentVersion_ = entry.version;
            return;
        }
    }
}

void CCustomCommandLineInfo::AddUrl(const std::wstring& url) {
    for (int v = 0; v < IE_VERSION_COUNT; ++v) {
        if (allVersions_ || v == currentVersion_) {
            urls_[v].push_back(url);
        }
    }
}

const std::vector<std::wstring>& CCustomCommandLineInfo::Urls(IEVERSION version) const {
    static const std::vector<std::wstring> none;
    return IsValidIeVersion(version) ? urls_[version] : none;
}

bool CCustomCommandLineInfo::HasUrls() const {
    for (const auto& list : urls_) {
        if (!list.empty()) {
            return true;
        }
    }
    return false;
}

std::optional<std::wstring> ImportEnginesFolder(const std::vector<CommandLineArg>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (!args[i].isSwitch || args[i].text.size() != 14)
            continue;
        std::wstring name = args[i].text;
        for (wchar_t& c : name)
            c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
        if (name == L"import-engines")
            return i + 1 < args.size() && !args[i + 1].isSwitch ? args[i + 1].text : std::wstring();
    }
    return std::nullopt;
}

} // namespace movalent
