// Module lookups by name, the way engine modules find their siblings.
#include "standin/engine/ModuleIdentity.h"
#include "standin/engine/ProbeSet.h"
#include "standin/engine/ThisModule.h"

#include <winternl.h>

#include <string>

namespace movalent::standin {
namespace {

std::string Narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string narrow(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                              nullptr, nullptr);
    return narrow;
}

// Whether the address still lies inside a loaded module, asked by address so that no name lookup (which the
// loader may redirect) takes part.
bool StillLoaded(HMODULE module) {
    HMODULE found = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(module), &found) &&
           found == module;
}

// Loads, reports, and hands the reference back the way an engine does when it is done with a sibling.
void ReportLoadAndFree(HMODULE module, DWORD error, ProbeReport& report) {
    DescribeModule(module, report);
    if (module == nullptr) {
        report.AddDecimal(L"error", error);
        return;
    }
    report.AddDecimal(L"free", ::FreeLibrary(module) ? 1 : 0);
    report.Add(L"stillLoaded", StillLoaded(module) ? L"yes" : L"no");
}

// ntdll's name lookup, declared as Windows has it (the second argument a pointer); zero for it is the same on
// every system.
using LdrGetDllHandleFn = NTSTATUS(NTAPI*)(PWSTR path, PULONG characteristics, PUNICODE_STRING name,
                                           PVOID* handle);

} // namespace

std::wstring ModulePath(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

void DescribeModule(HMODULE module, ProbeReport& report) {
    report.AddHex(L"handle", static_cast<std::uint32_t>(reinterpret_cast<uintptr_t>(module)));
    const std::wstring path = module != nullptr ? ModulePath(module) : std::wstring{};
    report.Add(L"file", FileNameOf(path));
    report.Add(L"path", path);
}

void ProbeSelf(std::wstring_view, ProbeReport& report) {
    const ModuleIdentity& identity = ThisModuleIdentity();
    report.Add(L"file", identity.fileName);
    report.Add(L"path", ThisModulePath());
    const wchar_t letter[2] = {identity.versionLetter != 0 ? identity.versionLetter : L'?', 0};
    report.Add(L"version", letter);
    report.Add(L"module", EngineModuleName(identity.module));
    report.Add(L"standardName", identity.standardName);
}

void ProbeLoadLibraryA(std::wstring_view name, ProbeReport& report) {
    const std::string narrow = Narrow(name);
    ::SetLastError(0);
    HMODULE module = ::LoadLibraryA(narrow.c_str());
    ReportLoadAndFree(module, ::GetLastError(), report);
}

void ProbeLoadLibraryW(std::wstring_view name, ProbeReport& report) {
    const std::wstring wide(name);
    ::SetLastError(0);
    HMODULE module = ::LoadLibraryW(wide.c_str());
    ReportLoadAndFree(module, ::GetLastError(), report);
}

void ProbeGetModuleHandleW(std::wstring_view name, ProbeReport& report) {
    const std::wstring wide(name);
    ::SetLastError(0);
    HMODULE module = ::GetModuleHandleW(wide.c_str());
    const DWORD error = ::GetLastError();
    DescribeModule(module, report);
    if (module == nullptr)
        report.AddDecimal(L"error", error);
}

void ProbeLdrGetDllHandle(std::wstring_view name, ProbeReport& report) {
    static const auto lookup = reinterpret_cast<LdrGetDllHandleFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrGetDllHandle")));
    if (lookup == nullptr) {
        report.Add(L"error", L"no LdrGetDllHandle");
        return;
    }
    std::wstring wide(name);
    UNICODE_STRING counted;
    counted.Buffer = wide.data();
    counted.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    counted.MaximumLength = static_cast<USHORT>(counted.Length + sizeof(wchar_t));
    PVOID handle = nullptr;
    const NTSTATUS status = lookup(nullptr, nullptr, &counted, &handle);
    report.AddHex(L"status", static_cast<std::uint32_t>(status));
    DescribeModule(static_cast<HMODULE>(handle), report);
}

} // namespace movalent::standin
