#pragma once
// An owned menu. A popup handed to another menu as its sub-menu belongs to that menu from then on and goes
// with it.
#include <windows.h>

#include <string>

namespace movalent {

class Menu {
public:
    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    Menu(Menu&& other) noexcept;
    Menu& operator=(Menu&& other) noexcept;
    ~Menu();

    // The menu resource id of the program in place of whatever was held; false when there is none.
    bool Load(UINT id);
    // The popup at position of the held menu (it stays the held menu's); null when there is none.
    HMENU SubMenu(int position) const { return menu_ ? ::GetSubMenu(menu_, position) : nullptr; }
    // An empty popup in place of whatever was held; false when the system cannot make one.
    bool CreatePopup();
    HMENU Handle() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }

    // A command item; "&" in the text marks the mnemonic.
    bool AppendItem(unsigned id, const std::wstring& text);
    // Appends popup as a sub-menu, which this menu then owns; on failure popup keeps it.
    bool AppendSubMenu(Menu& popup, const std::wstring& text);

    // Gives up ownership without destroying the menu.
    HMENU Detach();
    void Destroy();

private:
    HMENU menu_ = nullptr;
};

} // namespace movalent
