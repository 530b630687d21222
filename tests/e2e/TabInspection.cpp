#include "TabInspection.h"

#include "RemoteMemory.h"

#include "ProgramHarness.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cwchar>

namespace movalent::test {

namespace {

struct DescendantSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DescendantSearch*>(param);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, search->className) != 0)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct WindowTally {
    DWORD processId;
    size_t count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowTally*>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
    auto* tally = reinterpret_cast<WindowTally*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == tally->processId) {
        ++tally->count;
        ::EnumChildWindows(hwnd, CountChild, param);
    }
    return TRUE;
}

} // namespace

HWND FindDescendant(HWND parent, const wchar_t* className) {
    DescendantSearch search{className, nullptr};
    if (parent)
        ::EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND BrowserWindow(HWND tab) {
    return FindDescendant(tab, L"StandInWebBrowser");
}

std::map<std::wstring, std::wstring> PageReport(HWND tab) {
    std::map<std::wstring, std::wstring> report;
    HWND browser = BrowserWindow(tab);
    if (!browser)
        return report;
    std::wstring text(32768, L'\0');
    int length = ::InternalGetWindowText(browser, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        size_t eq = line.find(L'=');
        if (eq != std::wstring::npos)
            report[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return report;
}

std::wstring PageValue(HWND tab, const std::wstring& key) {
    std::map<std::wstring, std::wstring> report = PageReport(tab);
    auto it = report.find(key);
    return it == report.end() ? std::wstring() : it->second;
}

HWND AddressEdit(HWND tab) {
    return FindDescendant(FindDescendant(tab, L"ComboBoxEx32"), L"Edit");
}

std::vector<std::wstring> AddressItems(HWND tab) {
    // The box keeps its texts itself (its list holds no strings), and CBEM_GETITEM carries pointers that are
    // not carried across processes: the item structure and its text buffer are placed in the program's
    // memory.
    std::vector<std::wstring> items;
    HWND box = FindDescendant(tab, L"ComboBoxEx32");
    DWORD_PTR count = 0;
    if (!box || !::SendMessageTimeoutW(box, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count))
        return items;
    RemoteMemory remote(box, sizeof(COMBOBOXEXITEMW));
    for (DWORD_PTR i = 0; remote.Ok() && i < count; ++i) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = remote.Text();
        item.cchTextMax = RemoteMemory::kTextChars;
        remote.Write(&item);
        DWORD_PTR ok = 0;
        ::SendMessageTimeoutW(box, CBEM_GETITEMW, 0, remote.Address(), SMTO_ABORTIFHUNG, 5000, &ok);
        items.push_back(ok ? remote.ReadText() : std::wstring());
    }
    return items;
}

void SetAddressText(HWND tab, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(AddressEdit(tab), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, 5000, &ignored);
}

DWORD BrowserThreadId(HWND tab) {
    HWND container = FindDescendant(tab, L"#32770");
    return container ? ::GetWindowThreadProcessId(container, nullptr) : 0;
}

size_t ThreadCount(DWORD processId) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId)
            ++count;
    ::CloseHandle(snapshot);
    return count;
}

size_t PrivateBytes(DWORD processId) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return 0;
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info = {};
    for (const char* address = nullptr;
         ::VirtualQueryEx(process, address, &info, sizeof(info)) == sizeof(info);
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < address)
            break;
    }
    ::CloseHandle(process);
    return total;
}

size_t WindowCount(DWORD processId) {
    WindowTally tally{processId, 0};
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

HWND WaitForActivePage(const Program& program, const std::wstring& title) {
    HWND found = nullptr;
    Program::WaitFor([&] {
        HWND tab = program.ActiveTab();
        found = tab && PageValue(tab, L"title") == title && PageValue(tab, L"state") == L"complete" ? tab : nullptr;
        return found != nullptr;
    });
    return found;
}

} // namespace movalent::test
