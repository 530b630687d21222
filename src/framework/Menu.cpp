#include "framework/Menu.h"

#include "framework/Window.h"

#include <utility>

namespace movalent {

Menu::Menu(Menu&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}

Menu& Menu::operator=(Menu&& other) noexcept {
    if (this != &other) {
        Destroy();
        menu_ = std::exchange(other.menu_, nullptr);
    }
    return *this;
}

Menu::~Menu() {
    Destroy();
}

bool Menu::Load(UINT id) {
    Destroy();
    menu_ = ::LoadMenuW(Window::ResourceInstance(), MAKEINTRESOURCEW(id));
    return menu_ != nullptr;
}

bool Menu::CreatePopup() {
    Destroy();
    menu_ = ::CreatePopupMenu();
    return menu_ != nullptr;
}

bool Menu::AppendItem(unsigned id, const std::wstring& text) {
    return menu_ && ::AppendMenuW(menu_, MF_STRING, id, text.c_str()) != FALSE;
}

bool Menu::AppendSubMenu(Menu& popup, const std::wstring& text) {
    if (!menu_ || !popup.menu_ || popup.menu_ == menu_)
        return false;
    if (!::AppendMenuW(menu_, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup.menu_), text.c_str()))
        return false;
    popup.menu_ = nullptr;
    return true;
}

HMENU Menu::Detach() {
    return std::exchange(menu_, nullptr);
}

void Menu::Destroy() {
    if (HMENU old = std::exchange(menu_, nullptr))
        ::DestroyMenu(old);
}

} // namespace movalent
