#include "app/ConsoleOutput.h"

#include "framework/TextEncoding.h"

#include <string>

namespace movalent {

namespace {

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

} // namespace

ConsoleOutput::ConsoleOutput() {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (Usable(out) || Usable(error)) {
        out_ = {Usable(out) ? out : error, IsConsole(Usable(out) ? out : error)};
        error_ = {Usable(error) ? error : out, IsConsole(Usable(error) ? error : out)};
        return;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    consoleOut_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (consoleOut_)
        out_ = error_ = {consoleOut_.get(), true};
}

void ConsoleOutput::WriteTo(const Target& target, const std::wstring& text) {
    if (!target.handle || text.empty())
        return;
    DWORD written = 0;
    if (target.console) {
        ::WriteConsoleW(target.handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8FromWide(text);
    ::WriteFile(target.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace movalent
