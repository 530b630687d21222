#pragma once
// The files of a capture: a picture per version, a picture of its differences from the baseline's, one sheet
// of them all under labelled headers, and the report.
#include "app/CaptureOptions.h"
#include "app/CaptureReport.h"
#include "framework/Picture.h"

#include <string>
#include <vector>

namespace movalent {

struct CapturedVersion {
    CaptureResult result;
    Picture picture; // empty when the version failed
};

// Writes ie<version>.png, diff-<version>.png (every version but the baseline, where both pictures exist),
// sheet.png and report.json into the folder; the results gain their picture names, sizes and changed shares.
// False, with the reason, when a file could not be written.
bool WriteCaptureFiles(const std::wstring& folder, const CaptureOptions& options,
                       std::vector<CapturedVersion>& versions, std::wstring* error);

} // namespace movalent
