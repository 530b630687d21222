#include "app/CaptureOutput.h"

#include "app/CapturePictures.h"
#include "framework/Handles.h"
#include "framework/PictureCanvas.h"
#include "framework/PngFile.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>
#include <cstring>

namespace movalent {

namespace {

constexpr int kHeaderHeight = 40;
constexpr int kGap = 12;
// Five full pages side by side would make a sheet of hundreds of megabytes; larger sheets are shrunk.
constexpr uint64_t kLargestSheetPixels = 32ull * 1024 * 1024;
constexpr uint32_t kSheetBackground = 0xFFE8E8E8u;

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() || folder.back() == L'\\' || folder.back() == L'/' ? folder + name
                                                                             : folder + L"\\" + name;
}

std::wstring Percent(double share) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f%% changed", share * 100.0);
    return text;
}

// Two lines: the version, then its engine file or what went wrong.
std::wstring HeaderText(const CaptureResult& result, IEVERSION baseline) {
    std::wstring first = result.engineName;
    if (result.version == baseline)
        first += L" (baseline)";
    else if (result.changedShare)
        first += L"  " + Percent(*result.changedShare);
    std::wstring second = result.error.empty() ? result.file + L" " + result.fileVersion : result.error;
    return first + L"\n" + second;
}

// Draws the text into one header band of the sheet: GDI draws into a DIB of the band's size, copied in after.
void LabelHeader(Picture& sheet, const SheetCell& cell, int headerHeight, const std::wstring& text) {
    if (cell.width <= 0 || headerHeight <= 0)
        return;
    PictureCanvas canvas(cell.width, headerHeight);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    UniqueGdiObject font(::CreateFontIndirectW(&metrics.lfMessageFont));
    UniqueGdiObject brush(::CreateSolidBrush(RGB(0xE8, 0xE8, 0xE8)));
    if (!canvas.Valid())
        return;
    {
        ScopedSelection selectFont(canvas.Dc(), font.get());
        RECT band{0, 0, cell.width, headerHeight};
        ::FillRect(canvas.Dc(), &band, static_cast<HBRUSH>(brush.get()));
        ::SetBkMode(canvas.Dc(), TRANSPARENT);
        ::SetTextColor(canvas.Dc(), RGB(0x20, 0x20, 0x20));
        RECT textArea{4, 4, cell.width - 4, headerHeight - 2};
        ::DrawTextW(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &textArea,
                    DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS | DT_WORDBREAK);
    }
    const Picture label = canvas.Drawn();
    for (int row = 0; row < headerHeight && cell.headerY + row < sheet.height; ++row)
        for (int column = 0; column < cell.width && cell.x + column < sheet.width; ++column)
            sheet.At(cell.x + column, cell.headerY + row) = label.At(column, row);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes, std::wstring* error) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())
        return true;
    *error = L"cannot write " + path + L" (error " + std::to_wstring(::GetLastError()) + L")";
    return false;
}

const Picture* BaselinePicture(const CaptureOptions& options, const std::vector<CapturedVersion>& versions) {
    for (const CapturedVersion& version : versions)
        if (version.result.version == options.baseline && !version.picture.Empty())
            return &version.picture;
    return nullptr;
}

} // namespace

void PictureWriter::Run(Job& job) {
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
        // One encoder at a time: Wine's PNG encoder is not safe to run on two threads at once. The writing still
        // overlaps the loading of the other versions.
        static std::mutex encoding;
        const std::lock_guard<std::mutex> lock(encoding);
        if (!WritePng(job.path, *job.picture, &job.error) && job.error.empty())
            job.error = L"cannot write " + job.path;
    }
    if (com)
        ::CoUninitialize();
}

void PictureWriter::Write(std::wstring path, const Picture& picture) {
    auto job = std::make_unique<Job>();
    job->path = std::move(path);
    job->picture = &picture;
    Job& started = *job;
    jobs_.push_back(std::move(job));
    try {
        started.thread = std::thread([&started] { Run(started); });
    } catch (const std::system_error&) {
        Run(started); // no thread to spare: written here and now
    }
}

bool PictureWriter::Finish(std::wstring* error) {
    bool written = true;
    for (const std::unique_ptr<Job>& job : jobs_) {
        if (job->thread.joinable())
            job->thread.join();
        if (!job->error.empty() && written && error)
            *error = job->error;
        written = written && job->error.empty();
    }
    jobs_.clear();
    return written;
}

void WritePictureOf(const std::wstring& folder, CapturedVersion& version, PictureWriter& writer) {
    CaptureResult& result = version.result;
    result.picture = PictureFileName(result.version);
    result.width = version.picture.width;
    result.height = version.picture.height;
    writer.Write(Join(folder, result.picture), version.picture);
}

bool WriteCaptureFiles(const std::wstring& folder, const CaptureOptions& options,
                       std::vector<CapturedVersion>& versions, PictureWriter& writer, std::wstring* error) {
    // The differences first: the sheet's headers give their shares.
    const Picture* baseline = BaselinePicture(options, versions);
    std::vector<PictureDiff> diffs(versions.size());
    for (size_t i = 0; i < versions.size(); ++i) {
        CaptureResult& result = versions[i].result;
        const Picture& picture = versions[i].picture;
        if (picture.Empty())
            continue;
        if (result.picture.empty())
            WritePictureOf(folder, versions[i], writer);
        if (!baseline)
            continue;
        if (result.version == options.baseline) {
            result.changedShare = 0.0;
            continue;
        }
        diffs[i] = DiffPictures(picture, *baseline);
        result.changedShare = diffs[i].changedShare;
        writer.Write(Join(folder, DiffFileName(result.version)), diffs[i].picture);
    }

    std::vector<std::pair<int, int>> sizes;
    std::vector<const Picture*> pictures;
    for (const CapturedVersion& version : versions) {
        sizes.emplace_back(version.picture.Empty() ? options.width : version.picture.width,
                           version.picture.Empty() ? options.height : version.picture.height);
        pictures.push_back(version.picture.Empty() ? nullptr : &version.picture);
    }
    const SheetLayout layout = LayoutSheet(sizes, kHeaderHeight, kGap, kLargestSheetPixels);
    Picture sheet = ComposeSheet(pictures, layout, kSheetBackground);
    for (size_t i = 0; i < versions.size() && i < layout.cells.size(); ++i)
        LabelHeader(sheet, layout.cells[i], layout.headerHeight,
                    HeaderText(versions[i].result, options.baseline));
    writer.Write(Join(folder, L"sheet.png"), sheet);
    if (!writer.Finish(error))
        return false;

    std::vector<CaptureResult> results;
    for (const CapturedVersion& version : versions)
        results.push_back(version.result);
    return WriteBytes(Join(folder, L"report.json"), CaptureReportJson(options, results), error);
}

} // namespace movalent
