#include "app/CaptureOptions.h"

#include "engine/EngineFiles.h"

#include <array>
#include <optional>
#include <string_view>

namespace movalent {

namespace {

enum class Switch { None, Usage, Capture, Versions, Size, Full, Wait, Timeout, Out, Baseline, Open, Count };

struct SwitchName {
    std::wstring_view name;
    Switch id;
};

constexpr SwitchName kSwitches[] = {
    {L"?", Switch::Usage},         {L"capture", Switch::Capture}, {L"versions", Switch::Versions},
    {L"size", Switch::Size},       {L"full", Switch::Full},       {L"wait", Switch::Wait},
    {L"timeout", Switch::Timeout}, {L"out", Switch::Out},         {L"baseline", Switch::Baseline},
    {L"open", Switch::Open},
};

struct VersionName {
    std::wstring_view name;
    IEVERSION version;
};

constexpr VersionName kVersionNames[] = {
    {L"5.5", IE_55},          {L"55", IE_55},      {L"ie5.5", IE_55}, {L"ie55", IE_55}, {L"6", IE_6},
    {L"ie6", IE_6},           {L"7", IE_7},        {L"ie7", IE_7},    {L"8", IE_8},     {L"ie8", IE_8},
    {L"default", IE_DEFAULT}, {L"ie", IE_DEFAULT},
};

// The versions a capture can take, in the order the options list them.
constexpr IEVERSION kCaptureVersions[] = {IE_55, IE_6, IE_7, IE_8, IE_DEFAULT};

// "all": the versions this program can have; IE 5.5 only in the 32-bit one. Asked for by name it is captured,
// and fails, anywhere.
bool InAll(IEVERSION version) { return VersionExistsForThisProgram(version); }

constexpr unsigned kMinSide = 16, kMaxSide = 16384;
constexpr unsigned kMaxWaitMs = 600000;
constexpr unsigned kMinTimeoutSeconds = 1, kMaxTimeoutSeconds = 3600;

constexpr std::wstring_view kVersionList = L"a comma-separated list of 5.5, 6, 7, 8, default or all";

std::wstring AsciiLower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    return lower;
}

std::wstring_view Trim(std::wstring_view text) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsLikeSwitch(const std::wstring& arg) {
    return !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
}

Switch CaptureSwitch(const std::wstring& arg) {
    if (!StartsLikeSwitch(arg))
        return Switch::None;
    const std::wstring name = AsciiLower(std::wstring_view(arg).substr(1));
    for (const SwitchName& entry : kSwitches) {
        if (name == entry.name)
            return entry.id;
    }
    return Switch::None;
}

std::optional<IEVERSION> ParseVersion(std::wstring_view text) {
    const std::wstring name = AsciiLower(Trim(text));
    for (const VersionName& entry : kVersionNames) {
        if (name == entry.name)
            return entry.version;
    }
    return std::nullopt;
}

// Decimal digits only, from min to max; stops reading once past max, so no length overflows.
std::optional<unsigned> ParseNumber(std::wstring_view text, unsigned min, unsigned max) {
    if (text.empty())
        return std::nullopt;
    unsigned long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > max)
            return std::nullopt;
    }
    if (value < min)
        return std::nullopt;
    return static_cast<unsigned>(value);
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// What each switch wants after it, for the message when it is missing.
std::wstring ValueHint(Switch id) {
    switch (id) {
    case Switch::Versions:
        return std::wstring(kVersionList);
    case Switch::Size:
        return L"a size such as 1024x768";
    case Switch::Wait:
        return L"a time in milliseconds from 0 to 600000";
    case Switch::Timeout:
        return L"a time in seconds from 1 to 3600";
    case Switch::Out:
        return L"a folder name";
    case Switch::Baseline:
        return L"one version (5.5, 6, 7, 8 or default)";
    default:
        return L"a value";
    }
}

std::wstring JoinTokens(const std::vector<IEVERSION>& versions) {
    std::wstring text;
    for (IEVERSION version : versions)
        text += (text.empty() ? L"" : L", ") + VersionToken(version);
    return text;
}

// Fills options.versions from a list such as "6, 7,default"; an error sentence when an item is empty or
// unknown.
std::wstring ParseVersionList(const std::wstring& list, CaptureOptions& options) {
    std::array<bool, IE_VERSION_COUNT> chosen{};
    std::wstring_view rest(list);
    while (true) {
        const std::size_t comma = rest.find(L',');
        const std::wstring_view item = Trim(rest.substr(0, comma));
        if (item.empty())
            return L"The version list " + Quoted(list) + L" has an empty item: give /versions " +
                   std::wstring(kVersionList) + L".";
        if (AsciiLower(item) == L"all") {
            for (IEVERSION version : kCaptureVersions)
                chosen[version] = chosen[version] || InAll(version);
        } else if (const std::optional<IEVERSION> version = ParseVersion(item)) {
            chosen[*version] = true;
        } else {
            return L"The version " + Quoted(item) + L" is not known: give /versions " +
                   std::wstring(kVersionList) + L".";
        }
        if (comma == std::wstring_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    options.versions.clear();
    for (IEVERSION version : kCaptureVersions) {
        if (chosen[version])
            options.versions.push_back(version);
    }
    return {};
}

bool ParseSize(std::wstring_view text, CaptureOptions& options) {
    const std::size_t x = text.find_first_of(L"xX");
    if (x == std::wstring_view::npos)
        return false;
    const std::optional<unsigned> width = ParseNumber(text.substr(0, x), kMinSide, kMaxSide);
    const std::optional<unsigned> height = ParseNumber(text.substr(x + 1), kMinSide, kMaxSide);
    if (!width || !height)
        return false;
    options.width = static_cast<int>(*width);
    options.height = static_cast<int>(*height);
    return true;
}

// Reads every argument into options; the first problem as a sentence for the user, empty when there is none.
std::wstring ParseArguments(const std::vector<std::wstring>& args, CaptureOptions& options) {
    std::array<bool, static_cast<std::size_t>(Switch::Count)> seen{};
    std::optional<IEVERSION> baseline;
    std::wstring baselineText; // as given, for the message
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const Switch id = CaptureSwitch(arg);
        if (id == Switch::None) {
            if (StartsLikeSwitch(arg))
                return L"The switch " + Quoted(arg) +
                       L" is not known: run Movalent.exe /? for the capture switches.";
            if (!options.address.empty())
                return L"The argument " + Quoted(arg) +
                       L" is a second address: give one address, in quotes if it contains spaces.";
            return L"The argument " + Quoted(arg) +
                   L" is not expected: give the address right after /capture, in quotes if it contains "
                   L"spaces.";
        }
        bool& once = seen[static_cast<std::size_t>(id)];
        if (once)
            return L"The switch " + Quoted(arg) + L" is given twice: give it once.";
        once = true;
        if (id == Switch::Full || id == Switch::Open) {
            (id == Switch::Full ? options.full : options.openSheet) = true;
            continue;
        }
        // Every other switch takes the next argument, unless that is a switch of ours: "/out /full" forgot
        // the folder rather than naming one "/full".
        const bool hasValue = i + 1 < args.size() && CaptureSwitch(args[i + 1]) == Switch::None;
        const std::wstring value = hasValue ? args[++i] : std::wstring();
        const bool blank = Trim(value).empty();
        if (id == Switch::Capture) {
            if (blank)
                return L"/capture needs an address: put the page to capture right after it, in quotes if it "
                       L"contains spaces.";
            options.address = value;
            continue;
        }
        if (!hasValue || (blank && id == Switch::Out))
            return L"The switch " + Quoted(arg) + L" needs " + ValueHint(id) + L" after it.";
        switch (id) {
        case Switch::Versions:
            if (std::wstring error = ParseVersionList(value, options); !error.empty())
                return error;
            break;
        case Switch::Size:
            if (!ParseSize(value, options))
                return L"The size " + Quoted(value) +
                       L" is not valid: give width x height in pixels, each from 16 to 16384, such as "
                       L"1024x768.";
            break;
        case Switch::Wait:
            if (const std::optional<unsigned> ms = ParseNumber(value, 0, kMaxWaitMs))
                options.waitMs = *ms;
            else
                return L"The wait " + Quoted(value) +
                       L" is not valid: give a time in milliseconds from 0 to 600000, in digits only.";
            break;
        case Switch::Timeout:
            if (const std::optional<unsigned> s = ParseNumber(value, kMinTimeoutSeconds, kMaxTimeoutSeconds))
                options.timeoutSeconds = *s;
            else
                return L"The timeout " + Quoted(value) +
                       L" is not valid: give a time in seconds from 1 to 3600, in digits only.";
            break;
        case Switch::Out:
            options.outFolder = value;
            break;
        case Switch::Baseline:
            baseline = ParseVersion(value);
            baselineText = value;
            if (!baseline)
                return L"The baseline " + Quoted(value) +
                       L" is not a version: give /baseline one of 5.5, 6, 7, 8 or default.";
            break;
        default:
            break;
        }
    }
    if (!seen[static_cast<std::size_t>(Switch::Versions)])
        for (IEVERSION version : kCaptureVersions)
            if (InAll(version))
                options.versions.push_back(version);
    // The newest version is the one the others are most often held against: the installed engine when
    // captured.
    options.baseline = options.versions.back();
    if (baseline) {
        bool captured = false;
        for (IEVERSION version : options.versions)
            captured = captured || version == *baseline;
        if (!captured)
            return L"The baseline " + Quoted(baselineText) + L" is not among the versions captured (" +
                   JoinTokens(options.versions) + L"): add it to /versions or give /baseline one of those.";
        options.baseline = *baseline;
    }
    return {};
}

std::wstring TwoDigits(int value) {
    std::wstring text = std::to_wstring(value);
    return text.size() < 2 ? L"0" + text : text;
}

} // namespace

CaptureParse ParseCaptureCommandLine(const std::vector<std::wstring>& args) {
    CaptureParse result;
    bool capture = false;
    for (const std::wstring& arg : args) {
        const Switch id = CaptureSwitch(arg);
        if (id == Switch::Usage) {
            result.request = CaptureRequest::Usage;
            return result;
        }
        capture = capture || id == Switch::Capture;
    }
    if (!capture)
        return result;
    result.error = ParseArguments(args, result.options);
    result.request = result.error.empty() ? CaptureRequest::Run : CaptureRequest::Error;
    return result;
}

std::wstring CaptureUsageText() {
    const CaptureOptions defaults;
    // Lines short enough for an 80-column console.
    const std::wstring lines[] = {
        L"Usage: Movalent.exe /capture <address> [/versions <list>] [/size <W>x<H>]",
        L"         [/full] [/wait <ms>] [/timeout <s>] [/out <folder>]",
        L"         [/baseline <version>] [/open]",
        L"Renders the address in each engine version and writes ie<version>.png for",
        L"each, sheet.png with them side by side, diff-<version>.png against the",
        L"baseline and report.json.",
        L"  /versions <list>     versions to capture, comma-separated: 5.5, 6, 7, 8,",
        L"                       default or all (default: all, which is 5.5 only",
        L"                       in the 32-bit program)",
        L"  /size <W>x<H>        window size in pixels, each 16 to 16384",
        L"                       (default: " + std::to_wstring(defaults.width) + L"x" +
            std::to_wstring(defaults.height) + L")",
        L"  /full                the whole page, not only what the window shows",
        L"                       (default: off)",
        L"  /wait <ms>           time to wait once the page is complete, 0 to 600000",
        L"                       (default: " + std::to_wstring(defaults.waitMs) + L")",
        L"  /timeout <s>         seconds each version may take, 1 to 3600 (default: " +
            std::to_wstring(defaults.timeoutSeconds) + L")",
        L"  /out <folder>        folder for the files (default: capture-<date>-<time>",
        L"                       in the current folder)",
        L"  /baseline <version>  the version the others are compared with",
        L"                       (default: the newest one captured)",
        L"  /open                open the sheet when done",
        L"  /?                   this text",
        L"Switches may also start with \"-\" and are not case-sensitive.",
        L"Exit code: 0 every version captured, 2 bad arguments, 3 some version failed.",
    };
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + L"\r\n";
    return text;
}

std::wstring CaptureFolderName(int year, int month, int day, int hour, int minute, int second) {
    std::wstring yearText = std::to_wstring(year);
    while (yearText.size() < 4)
        yearText.insert(0, 1, L'0');
    return L"capture-" + yearText + TwoDigits(month) + TwoDigits(day) + L"-" + TwoDigits(hour) +
           TwoDigits(minute) + TwoDigits(second);
}

std::wstring VersionToken(IEVERSION version) {
    switch (version) {
    case IE_4:
        return L"4";
    case IE_5:
        return L"5";
    case IE_55:
        return L"5.5";
    case IE_6:
        return L"6";
    case IE_7:
        return L"7";
    case IE_8:
        return L"8";
    case IE_DEFAULT:
        return L"default";
    }
    return {};
}

std::wstring PictureFileName(IEVERSION version) {
    return L"ie" + VersionToken(version) + L".png";
}

std::wstring DiffFileName(IEVERSION version) {
    return L"diff-" + VersionToken(version) + L".png";
}

} // namespace movalent
