#include "app/VersionRules.h"

#include <algorithm>

namespace movalent {

std::wstring ProgramVersionString(unsigned major, unsigned minor, unsigned patch, unsigned build) {
    std::wstring text = std::to_wstring(major) + L'.' + std::to_wstring(minor) + L'.' + std::to_wstring(patch) +
                        L'.' + std::to_wstring(build);
    // A set trim, not a field trim: this is the form the update server publishes, so it must stay as it is.
    const std::size_t keep = text.find_last_not_of(L".0");
    text.erase(keep == std::wstring::npos ? 0 : keep + 1);
    if (text.find(L'.') == std::wstring::npos) {
        text += L".0";
    }
    return text;
}

IEVERSION InstalledEngineFromText(std::wstring_view text) {
    const std::size_t dot = text.find(L'.');
    unsigned major = 0;
    wchar_t minorChar = text.empty() ? L'\0' : text.front();
    if (dot != std::wstring_view::npos) {
        for (std::size_t i = 0; i < dot && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            // Saturate: an absurdly long number is simply not a known engine.
            major = std::min(major * 10 + static_cast<unsigned>(text[i] - L'0'), 1000000u);
        }
        minorChar = dot + 1 < text.size() ? text[dot + 1] : L'\0';
    }
    const unsigned minor = (minorChar >= L'0' && minorChar <= L'9') ? static_cast<unsigned>(minorChar - L'0') : 0;

    switch (major) {
    case 4:
        return IE_4;
    case 5:
        return minor == 5 ? IE_55 : IE_5;
    case 6:
        return IE_6;
    case 7:
        return IE_7;
    case 8:
        return IE_8;
    default:
        return IE_DEFAULT;
    }
}

namespace {

bool IsVersionText(std::wstring_view text) {
    if (text.empty() || text.front() == L'.' || text.back() == L'.')
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'.' ? text[i - 1] == L'.' : (c < L'0' || c > L'9'))
            return false;
    }
    return true;
}

} // namespace

VersionCheckOutcome DecideVersionCheck(bool fetched, const std::wstring& answer, const std::wstring& programVersion) {
    if (!fetched)
        return VersionCheckOutcome::UnableToAccess;
    // A line break after the number is no news; anything that is no version number at all (an error or login
    // page a proxy returned with success, an empty answer) tells nothing about a new version.
    constexpr std::wstring_view kBlanks = L" \t\r\n";
    std::wstring_view text(answer);
    const size_t first = text.find_first_not_of(kBlanks);
    text = first == std::wstring_view::npos ? std::wstring_view() : text.substr(first);
    text = text.substr(0, text.find_last_not_of(kBlanks) + 1);
    if (!IsVersionText(text))
        return VersionCheckOutcome::UnableToAccess;
    return text == programVersion ? VersionCheckOutcome::Latest : VersionCheckOutcome::NewVersion;
}

std::string_view CutVersionAnswer(std::string_view bytesRead) {
    return bytesRead.substr(0, std::min(bytesRead.size(), kVersionAnswerMaxBytes));
}

} // namespace movalent
