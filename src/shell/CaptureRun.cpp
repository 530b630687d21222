#include "shell/CaptureRun.h"

#include "shell/CaptureHost.h"
#include "app/CaptureOutput.h"
#include "app/ConsoleOutput.h"
#include "app/TextFormat.h"
#include "app/VersionInfo.h"
#include "shell/VersionNames.h"
#include "engine/EngineFolderScan.h"
#include "engine/EngineLoader.h"
#include "framework/ModulePaths.h"
#include "framework/ShellOpen.h"

#include <shlobj.h>

#include <cwctype>
#include <memory>

namespace movalent {

namespace {

// "http:", "file:", "about:"; a drive letter ("C:") is a path, not a scheme.
bool HasScheme(const std::wstring& address) {
    const size_t colon = address.find(L':');
    if (colon == std::wstring::npos || colon < 2 || !std::iswalpha(address[0]))
        return false;
    for (size_t i = 1; i < colon; ++i)
        if (!std::iswalnum(address[i]) && address[i] != L'+' && address[i] != L'-' && address[i] != L'.')
            return false;
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

std::wstring WhyUnavailable(IEVERSION version) {
    switch (WhyEngineUnavailable(version)) {
    case EngineAbsence::OtherArchitecture:
        return L"its engine files are built for another processor than this program";
    case EngineAbsence::NoBuildForArchitecture:
        return L"this version exists only as 32-bit code (use the 32-bit Movalent)";
    default:
        break;
    }
    const std::vector<std::wstring> missing = MissingEngineFiles(version, ProgramFolder());
    return missing.empty() ? L"its engine files did not load"
                           : L"engine files missing from the program's folder: " + JoinedWithCommas(missing);
}

class CaptureSession : public CaptureHost::Listener {
public:
    CaptureSession(const CaptureOptions& options, ConsoleOutput& console, TabHost& host)
        : options_(options), console_(console), host_(host), versions_(options.versions.size()) {}

    int Run();

private:
    void StartHosts();
    void OnCaptureFinished(CaptureHost& host) override;
    void Report(const CaptureResult& result, const Picture& picture);

    const CaptureOptions& options_;
    ConsoleOutput& console_;
    TabHost& host_;
    std::vector<CapturedVersion> versions_; // one per version asked for, in that order; never resized
    std::vector<std::unique_ptr<CaptureHost>> hosts_;
    size_t pending_ = 0;
    PictureWriter writer_; // pictures are written while the other versions are still loading
};

void CaptureSession::Report(const CaptureResult& result, const Picture& picture) {
    if (picture.Empty()) {
        console_.Write(result.engineName + L": failed: " + result.error + L"\r\n");
        return;
    }
    console_.Write(result.engineName + L": drawn " + std::to_wstring(picture.width) + L"x" +
                   std::to_wstring(picture.height) + L", complete after " +
                   std::to_wstring(result.completeMs) + L" ms" +
                   (result.error.empty() ? L"" : L" (" + result.error + L")") + L"\r\n");
}

void CaptureSession::OnCaptureFinished(CaptureHost& host) {
    if (pending_ > 0)
        --pending_;
    for (size_t i = 0; i < hosts_.size(); ++i) {
        if (hosts_[i].get() != &host)
            continue;
        CapturedVersion& version = versions_[i];
        CaptureResult& result = version.result;
        result.completeMs = host.CompleteMs();
        result.error = host.Error();
        if (HMODULE mshtml = LoadedMshtml(host.Version())) {
            const std::wstring path = ModuleFilePath(mshtml);
            result.file = FileNameOf(path);
            result.fileVersion = FileVersionText(path);
        }
        version.picture = host.TakeShot();
        if (!version.picture.Empty())
            WritePictureOf(options_.outFolder, version, writer_);
        Report(result, version.picture);
    }
}

void CaptureSession::StartHosts() {
    for (size_t i = 0; i < options_.versions.size(); ++i) {
        CaptureResult& result = versions_[i].result;
        result.version = options_.versions[i];
        result.engineName = EngineVersionName(result.version);
        hosts_.push_back(nullptr);
        if (!IsEngineAvailable(result.version)) {
            result.error = WhyUnavailable(result.version);
            Report(result, versions_[i].picture);
            continue;
        }
        hosts_[i] = std::make_unique<CaptureHost>(result.version, options_, host_, *this);
        ++pending_;
        if (!hosts_[i]->Start()) {
            --pending_;
            result.error = hosts_[i]->Error();
            Report(result, versions_[i].picture);
        }
    }
}

int CaptureSession::Run() {
    const int created = ::SHCreateDirectoryExW(nullptr, options_.outFolder.c_str(), nullptr);
    if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS && created != ERROR_FILE_EXISTS) {
        console_.WriteError(L"Cannot create the output folder " + options_.outFolder + L" (error " +
                            std::to_wstring(created) + L").\r\n");
        return kCaptureExitBadArguments;
    }
    console_.Write(L"Capturing " + options_.address + L" at " + std::to_wstring(options_.width) + L"x" +
                   std::to_wstring(options_.height) + (options_.full ? L" (full page)" : L"") + L" into " +
                   options_.outFolder + L"\r\n");
    StartHosts();
    // Every version runs at once; each host ends itself, at the latest at its time-out.
    MSG msg;
    while (pending_ > 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    hosts_.clear();

    std::wstring error;
    if (!WriteCaptureFiles(options_.outFolder, options_, versions_, writer_, &error)) {
        console_.WriteError(error + L"\r\n");
        return kCaptureExitSomeFailed;
    }
    bool allCaptured = true;
    std::vector<CaptureResult> results;
    for (const CapturedVersion& version : versions_) {
        allCaptured = allCaptured && version.result.error.empty() && !version.picture.Empty();
        results.push_back(version.result);
    }
    console_.Write(CaptureSummary(options_, results));
    if (options_.openSheet)
        ShellOpen(options_.outFolder + L"\\sheet.png");
    return allCaptured ? kCaptureExitSucceeded : kCaptureExitSomeFailed;
}

} // namespace

void ResolveCapturePaths(CaptureOptions& options) {
    if (!HasScheme(options.address) &&
        ::GetFileAttributesW(options.address.c_str()) != INVALID_FILE_ATTRIBUTES)
        options.address = FullPath(options.address);
    if (options.outFolder.empty()) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        options.outFolder =
            CaptureFolderName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    }
    options.outFolder = FullPath(options.outFolder);
}

int RunCapture(const CaptureOptions& options, ConsoleOutput& console, TabHost& host) {
    CaptureSession session(options, console, host);
    return session.Run();
}

} // namespace movalent
