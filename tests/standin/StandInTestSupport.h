#pragma once
// For tests that use the stand-in engine: where its folders are, and running a probe in a loaded copy.
// Needs the definition MOVALENT_STANDIN_ROOT (standin_use() in StandIn.cmake gives it).
#include "standin/StandInInterfaces.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#ifndef MOVALENT_STANDIN_ROOT
#error "MOVALENT_STANDIN_ROOT is not defined: call standin_use() on this test target"
#endif

namespace movalent::standin::testing {

#define MOVALENT_STANDIN_WIDEN_(text) L##text
#define MOVALENT_STANDIN_WIDEN(text) MOVALENT_STANDIN_WIDEN_(text)

// The root with backslashes, the way the system spells paths back.
inline std::wstring StandInRoot() {
    std::wstring root = MOVALENT_STANDIN_WIDEN(MOVALENT_STANDIN_ROOT);
    for (wchar_t& c : root)
        if (c == L'/')
            c = L'\\';
    return root;
}

// A laid-out folder ("full", "none", "missing-5rlmon", "no-optional", "browser-no-export-7", "with-6dx"), or
// a file in it.
inline std::wstring StandInFolder(std::wstring_view folder) {
    return StandInRoot() + L"\\" + std::wstring(folder);
}
inline std::wstring StandInFile(std::wstring_view folder, std::wstring_view file) {
    return StandInFolder(folder) + L"\\" + std::wstring(file);
}

using ProbeReport = std::map<std::wstring, std::wstring>;

// "key=value" lines into a map; a line without '=' is kept under its whole text with an empty value.
inline ProbeReport ParseProbeReport(std::wstring_view text) {
    ProbeReport report;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        const std::wstring_view line = text.substr(0, end);
        if (!line.empty()) {
            const size_t equals = line.find(L'=');
            if (equals == std::wstring_view::npos)
                report[std::wstring(line)];
            else
                report[std::wstring(line.substr(0, equals))] = std::wstring(line.substr(equals + 1));
        }
        if (end == std::wstring_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return report;
}

// The raw report of a probe run on the calling thread inside the given copy; "error=no probe export" when the
// module lacks it.
inline std::wstring RunProbeText(HMODULE copy, const std::wstring& what) {
    const auto probe = reinterpret_cast<StandInProbeFn>(
        reinterpret_cast<void*>(::GetProcAddress(copy, kStandInProbeExport)));
    if (probe == nullptr)
        return L"error=no probe export\n";
    // One run is the rule, since a probe acts (loads, creates threads); only a report that did not fit is
    // asked for again.
    std::wstring text(16384, L'\0');
    int length = probe(what.c_str(), text.data(), static_cast<int>(text.size()));
    if (length >= static_cast<int>(text.size())) {
        text.assign(static_cast<size_t>(length) + 1, L'\0');
        length = probe(what.c_str(), text.data(), static_cast<int>(text.size()));
    }
    if (length < 0)
        return L"error=probe refused\n";
    text.resize(std::min(static_cast<size_t>(length), text.size() - 1));
    return text;
}

inline ProbeReport RunProbe(HMODULE copy, const std::wstring& what) {
    return ParseProbeReport(RunProbeText(copy, what));
}

// ASCII case-insensitive, for comparing file names the system spells back.
inline bool SameFileName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace movalent::standin::testing
