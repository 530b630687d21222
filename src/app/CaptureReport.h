#pragma once

#include "app/CaptureOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace movalent {

// How one version's capture went.
struct CaptureResult {
    IEVERSION version = IE_DEFAULT;
    std::wstring engineName;   // "IE 6", as the program names it
    std::wstring file;         // the HTML engine module used ("6shtml.dll"), empty when unknown
    std::wstring fileVersion;  // "6.0.2900.2180", empty when unknown
    int width = 0, height = 0; // of the picture written; 0 when none
    long long completeMs = -1; // from the start to the document's completion; -1 when it never completed
    std::optional<double> changedShare; // against the baseline, when both pictures exist
    std::wstring picture;               // file name written ("ie6.png"), empty when none
    std::wstring error;                 // empty when captured
};

// report.json, UTF-8: the options asked for and one entry per result, in the order given.
std::string CaptureReportJson(const CaptureOptions& options, const std::vector<CaptureResult>& results);

// The console's closing lines, separated by "\r\n" and ending with one: one per version, then "N of M
// versions captured".
std::wstring CaptureSummary(const CaptureOptions& options, const std::vector<CaptureResult>& results);

// Text as JSON string contents (without the quotes), UTF-8. The text is UTF-16 where wchar_t is 16 bits: a
// surrogate pair is one code point and a lone surrogate becomes U+FFFD, as does anything beyond U+10FFFF.
std::string JsonEscape(const std::wstring& text);

} // namespace movalent
