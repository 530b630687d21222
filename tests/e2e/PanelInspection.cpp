#include "PanelInspection.h"

#include "RemoteMemory.h"
#include "TabInspection.h"

namespace movalent::test {

namespace {

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}";

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

ServerEntry Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT which) {
    return reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM FindBelow(HWND tree, HTREEITEM item, const std::wstring& prefix, int depth) {
    for (; item; item = NextItem(tree, item, TVGN_NEXT)) {
        if (TreeItemText(tree, item).rfind(prefix, 0) == 0)
            return item;
        if (depth < 32) {
            Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            if (HTREEITEM found = FindBelow(tree, NextItem(tree, item, TVGN_CHILD), prefix, depth + 1))
                return found;
        }
    }
    return nullptr;
}

} // namespace

RegisteredPanel::RegisteredPanel(const std::filesystem::path& dll) : module_(::LoadLibraryW(dll.c_str())) {
    ServerEntry registerServer = Entry(module_, "DllRegisterServer");
    ok_ = registerServer && SUCCEEDED(registerServer());
    const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
    wchar_t registered[MAX_PATH] = {};
    DWORD size = sizeof(registered);
    ok_ = ok_ && ::RegGetValueW(HKEY_CURRENT_USER, server.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                                registered, &size) == ERROR_SUCCESS;
    registered_ = registered;
    HKEY user = nullptr, machine = nullptr;
    ok_ = ok_ && ::RegOpenKeyExW(HKEY_CURRENT_USER, kClassKey, 0, KEY_READ, &user) == ERROR_SUCCESS &&
          ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &machine,
                            nullptr) == ERROR_SUCCESS &&
          ::RegCopyTreeW(user, nullptr, machine) == ERROR_SUCCESS;
    for (HKEY key : {user, machine})
        if (key)
            ::RegCloseKey(key);
}

RegisteredPanel::~RegisteredPanel() {
    if (ServerEntry unregister = Entry(module_, "DllUnregisterServer"))
        unregister();
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
    if (module_)
        ::FreeLibrary(module_);
}

HWND DevToolsPanel(HWND tab) {
    return FindDescendant(tab, L"MovalentDevToolsPanel");
}

HWND PanelItem(HWND panel, unsigned id) {
    return panel ? ::GetDlgItem(panel, static_cast<int>(id)) : nullptr;
}

void PressPanelButton(HWND panel, unsigned id) {
    ::PostMessageW(PanelItem(panel, id), BM_CLICK, 0, 0);
}

void SetPanelText(HWND panel, unsigned id, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(PanelItem(panel, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::wstring PanelItemText(HWND panel, unsigned id) {
    std::wstring text(65536, L'\0');
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(PanelItem(panel, id), WM_GETTEXT, text.size(),
                          reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &length);
    text.resize(length);
    return text;
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    RemoteMemory remote(tree, sizeof(TVITEMW));
    if (!remote.Ok() || !item)
        return {};
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = remote.Text();
    info.cchTextMax = RemoteMemory::kTextChars;
    remote.Write(&info);
    return Send(tree, TVM_GETITEMW, 0, remote.Address()) ? remote.ReadText() : std::wstring();
}

HTREEITEM SelectedTreeItem(HWND tree) {
    return NextItem(tree, nullptr, TVGN_CARET);
}

std::vector<std::pair<HTREEITEM, std::wstring>> TreeChildren(HWND tree, HTREEITEM parent) {
    std::vector<std::pair<HTREEITEM, std::wstring>> children;
    Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM child = NextItem(tree, parent, TVGN_CHILD); child;
         child = NextItem(tree, child, TVGN_NEXT))
        children.emplace_back(child, TreeItemText(tree, child));
    return children;
}

HTREEITEM FindTreeItem(HWND tree, const std::wstring& prefix) {
    return FindBelow(tree, NextItem(tree, nullptr, TVGN_ROOT), prefix, 0);
}

std::vector<std::pair<std::wstring, std::wstring>> ListRows(HWND list) {
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    RemoteMemory remote(list, sizeof(LVITEMW));
    const auto count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; remote.Ok() && row < count; ++row) {
        std::wstring cells[2];
        for (int column = 0; column < 2; ++column) {
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = remote.Text();
            item.cchTextMax = RemoteMemory::kTextChars;
            remote.Write(&item);
            Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.Address());
            cells[column] = remote.ReadText();
        }
        rows.emplace_back(cells[0], cells[1]);
    }
    return rows;
}

std::wstring RowValue(HWND list, const std::wstring& name) {
    for (const auto& [rowName, value] : ListRows(list))
        if (rowName == name)
            return value;
    return L"(none)";
}

void SelectListRow(HWND list, const std::wstring& name) {
    const auto rows = ListRows(list);
    RemoteMemory remote(list, sizeof(LVITEMW));
    for (size_t row = 0; remote.Ok() && row < rows.size(); ++row) {
        if (rows[row].first != name)
            continue;
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        remote.Write(&item);
        Send(list, LVM_SETITEMSTATE, row, remote.Address());
        return;
    }
}

} // namespace movalent::test
