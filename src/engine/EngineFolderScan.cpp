#include "engine/EngineFolderScan.h"

#include "framework/Handles.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

namespace movalent {

namespace {

constexpr uint16_t kProgramMachine = sizeof(void*) == 8 ? kMachineAmd64 : kMachineI386;

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        return folder + name;
    return folder + L"\\" + name;
}

// The whole file: engine modules are a few megabytes at most; anything beyond this is not one.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    constexpr LONGLONG kLargest = 64 * 1024 * 1024;
    std::vector<uint8_t> bytes;
    UniqueHandle owned(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!owned)
        return bytes;
    HANDLE file = owned.get();
    LARGE_INTEGER size{};
    DWORD read = 0;
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kLargest) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    return bytes;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::vector<FoundModule> ScanEngineFolder(const std::wstring& folder) {
    std::vector<FoundModule> found;
    for (const std::wstring& name : StandardEngineFileNames()) {
        const std::wstring path = Join(folder, name);
        FoundModule module;
        module.name = name;
        if (!Exists(path))
            continue;
        const std::vector<uint8_t> image = ReadWholeFile(path);
        // A module without a readable version counts as version 0, which no engine takes.
        if (const auto version = FileVersionInImage(image)) {
            module.major = version->first;
            module.minor = version->second;
        }
        const uint16_t machine = PeMachine(image);
        module.otherProcessor = machine != 0 && machine != kProgramMachine;
        found.push_back(std::move(module));
    }
    return found;
}

bool EngineFilesExist(const ImportPlan& plan, const std::wstring& programFolder) {
    for (const ImportCopy& copy : plan.copies)
        if (Exists(Join(programFolder, copy.to)))
            return true;
    return false;
}

std::vector<std::wstring> MissingEngineFiles(IEVERSION version, const std::wstring& programFolder) {
    std::vector<std::wstring> missing;
    for (const EngineFile& file : EngineLoadPlan(version)) {
        const std::wstring name = EngineFileName(version, file.slot);
        if (file.required && !Exists(Join(programFolder, name)))
            missing.push_back(name);
    }
    return missing;
}

CopyOutcome CopyEngineFiles(const ImportPlan& plan, const std::wstring& folder,
                            const std::wstring& programFolder, std::wstring* failedFile) {
    std::vector<std::wstring> created;
    for (const ImportCopy& copy : plan.copies) {
        const std::wstring target = Join(programFolder, copy.to);
        const bool existed = Exists(target);
        if (::CopyFileW(Join(folder, copy.from).c_str(), target.c_str(), FALSE)) {
            if (!existed)
                created.push_back(target);
            continue;
        }
        const DWORD error = ::GetLastError();
        for (const std::wstring& path : created)
            ::DeleteFileW(path.c_str());
        if (failedFile)
            *failedFile = copy.to;
        return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT ? CopyOutcome::NotWritable
                                                                            : CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

} // namespace movalent
