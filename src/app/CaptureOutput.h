#pragma once
// The files of a capture: a picture per version, a picture of its differences from the baseline's, one sheet
// of them all under labelled headers, and the report.
#include "app/CaptureOptions.h"
#include "app/CaptureReport.h"
#include "framework/Picture.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace movalent {

struct CapturedVersion {
    CaptureResult result;
    Picture picture; // empty when the version failed
};

// Writes pictures as PNG files on threads of their own, so that compressing them overlaps whatever comes
// next.
class PictureWriter {
public:
    PictureWriter() = default;
    PictureWriter(const PictureWriter&) = delete;
    PictureWriter& operator=(const PictureWriter&) = delete;
    ~PictureWriter() { Finish(nullptr); }

    // The picture has to stay where it is until Finish.
    void Write(std::wstring path, const Picture& picture);
    // Waits for every picture; false with the first failure's reason when one could not be written.
    bool Finish(std::wstring* error);

private:
    struct Job {
        std::wstring path;
        const Picture* picture = nullptr;
        std::wstring error; // empty when written
        std::thread thread;
    };
    static void Run(Job& job);

    std::vector<std::unique_ptr<Job>> jobs_;
};

// Starts writing a captured version's picture, ie<version>.png; its result gains the file's name and size.
void WritePictureOf(const std::wstring& folder, CapturedVersion& version, PictureWriter& writer);

// Writes ie<version>.png, diff-<version>.png (every version but the baseline, where both pictures exist),
// sheet.png and report.json into the folder, with the writer, which may have pictures under way already (a
// result naming its picture was started by WritePictureOf); the results gain their picture names, sizes and
// changed shares. False, with the reason, when a file could not be written.
bool WriteCaptureFiles(const std::wstring& folder, const CaptureOptions& options,
                       std::vector<CapturedVersion>& versions, PictureWriter& writer, std::wstring* error);

} // namespace movalent
