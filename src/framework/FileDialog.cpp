#include "framework/FileDialog.h"

#include <commdlg.h>

#include <atomic>
#include <vector>

namespace movalent {

namespace {
std::atomic<FileOpenHandler> g_handler{nullptr};
}

std::wstring FilterFromPipes(std::wstring_view filter) {
    std::wstring result(filter);
    for (wchar_t& c : result)
        if (c == L'|')
            c = L'\0';
    // However the text ended, the list ends with two terminators.
    while (result.size() >= 2 && result[result.size() - 1] == L'\0' && result[result.size() - 2] == L'\0')
        result.pop_back();
    if (result.empty() || result.back() != L'\0')
        result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

std::optional<std::wstring> ShowFileOpenDialog(HWND owner, const std::wstring& filter, DWORD flags) {
    if (FileOpenHandler handler = g_handler.load())
        return handler(owner, filter, flags);
    std::wstring systemFilter = FilterFromPipes(filter);
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = systemFilter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | flags;
    if (!::GetOpenFileNameW(&request))
        return std::nullopt;
    return std::wstring(path.data());
}

FileOpenHandler SetFileOpenHandler(FileOpenHandler handler) { return g_handler.exchange(handler); }

} // namespace movalent
