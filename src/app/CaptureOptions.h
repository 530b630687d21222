#pragma once

#include "engine/IeVersion.h"

#include <string>
#include <vector>

namespace movalent {

// What "/capture" asks for: one address rendered in each chosen engine version, written as pictures and a
// report.
struct CaptureOptions {
    std::wstring address;
    std::vector<IEVERSION> versions; // ascending (IE_55, IE_6, IE_7, IE_8, IE_DEFAULT), no repeats
    int width = 1024, height = 768;
    bool full = false;
    unsigned waitMs = 500;
    unsigned timeoutSeconds = 30;
    std::wstring outFolder;          // empty: the default folder name in the current folder
    IEVERSION baseline = IE_DEFAULT; // always one of versions
    bool openSheet = false;          // the sheet is opened with the shell once written
};

enum class CaptureRequest {
    None,  // no "/capture": the program starts as usual and the arguments are someone else's
    Usage, // "/?": print the usage text
    Run,   // capture with the options
    Error, // print the error (and the usage) and end with the bad-arguments exit code
};

struct CaptureParse {
    CaptureRequest request = CaptureRequest::None;
    CaptureOptions options;
    std::wstring error; // one sentence for the console when request is Error
};

// args: the program's arguments without the program name, as the command line splitter gives them ("/" or "-"
// still in front of switches). With "/capture" every argument belongs to the capture and anything else is an
// error; without it nothing here is looked at except "/?".
CaptureParse ParseCaptureCommandLine(const std::vector<std::wstring>& args);

// The capture switches with their defaults; lines separated by "\r\n", ending with one.
std::wstring CaptureUsageText();

// The default output folder for a capture started at that local time: "capture-20261209-134502".
std::wstring CaptureFolderName(int year, int month, int day, int hour, int minute, int second);

// How the version appears in switches, file names and the report: "5.5", "6", "7", "8", "default".
std::wstring VersionToken(IEVERSION version);
std::wstring PictureFileName(IEVERSION version); // "ie5.5.png" ... "iedefault.png"
std::wstring DiffFileName(IEVERSION version);    // "diff-5.5.png" ... "diff-default.png"

} // namespace movalent
