#pragma once
// Looks inside the developer-tools panel of a tab from the test process: its tree, its property list, and its
// buttons and boxes.
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace movalent::test {

// The program's copy of the panel, registered through its own DllRegisterServer for the current user, until
// the object goes; Wine's COM looks classes up only machine-wide, so the key is copied there too.
class RegisteredPanel {
public:
    explicit RegisteredPanel(const std::filesystem::path& dll);
    RegisteredPanel(const RegisteredPanel&) = delete;
    RegisteredPanel& operator=(const RegisteredPanel&) = delete;
    ~RegisteredPanel();
    bool Ok() const { return ok_; }
    // The server the user's registration names.
    const std::wstring& Registered() const { return registered_; }

private:
    HMODULE module_;
    bool ok_ = false;
    std::wstring registered_;
};

// The panel's window in a tab, or null.
HWND DevToolsPanel(HWND tab);
HWND PanelItem(HWND panel, unsigned id);

// Presses a panel button as a click would (posted, so a busy browser thread holds nobody).
void PressPanelButton(HWND panel, unsigned id);
void SetPanelText(HWND panel, unsigned id, const std::wstring& text);
std::wstring PanelItemText(HWND panel, unsigned id);

// The label of a tree item, of the selected item, and the labels of an item's children (opening it first).
std::wstring TreeItemText(HWND tree, HTREEITEM item);
HTREEITEM SelectedTreeItem(HWND tree);
std::vector<std::pair<HTREEITEM, std::wstring>> TreeChildren(HWND tree, HTREEITEM parent);
// The first item, depth first from the root, whose label starts with prefix (opening items on the way).
HTREEITEM FindTreeItem(HWND tree, const std::wstring& prefix);

// The property list's rows as name and value; selecting one.
std::vector<std::pair<std::wstring, std::wstring>> ListRows(HWND list);
std::wstring RowValue(HWND list, const std::wstring& name);
void SelectListRow(HWND list, const std::wstring& name);

} // namespace movalent::test
