#include "framework/RibbonElement.h"

#include "framework/RibbonBar.h"

namespace movalent {

RibbonElement::RibbonElement(int id, const std::wstring& text) : id_(id) {
    SetText(text);
}

RibbonElement::~RibbonElement() = default;

void RibbonElement::SetText(const std::wstring& text) {
    size_t lineBreak = text.find(L'\n');
    text_ = text.substr(0, lineBreak);
    keyTip_ = lineBreak == std::wstring::npos ? std::wstring() : text.substr(lineBreak + 1);
    if (bar_)
        bar_->OnElementChanged(*this);
}

void RibbonElement::SetOwnStrip(const ImageStrip* strip, int index) {
    ownStrip_ = strip;
    image_ = index;
}

void RibbonElement::SetMenu(HMENU menu, bool splitButton) {
    subItems_.clear();
    dropDown_ = DropDown::None;
    if (!menu)
        return;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (info.fType & MFT_SEPARATOR) {
            AddSubItem(std::make_unique<RibbonSeparator>());
            continue;
        }
        auto item = std::make_unique<RibbonButton>(info.hSubMenu ? 0 : static_cast<int>(info.wID), text);
        if (info.hSubMenu)
            item->SetMenu(info.hSubMenu, false);
        AddSubItem(std::move(item));
    }
    dropDown_ = splitButton ? DropDown::Split : DropDown::Menu;
}

RibbonElement* RibbonElement::AddSubItem(std::unique_ptr<RibbonElement> item, int position) {
    item->SetOwner(bar_, category_, this);
    RibbonElement* added = item.get();
    if (position < 0 || static_cast<size_t>(position) >= subItems_.size())
        subItems_.push_back(std::move(item));
    else
        subItems_.insert(subItems_.begin() + position, std::move(item));
    return added;
}

void RibbonElement::OnShowPopupMenu() {
    if (bar_)
        bar_->ShowSubItemsMenu(*this);
}

void RibbonElement::Place(const RECT& rect, bool show) {
    rect_ = rect;
    if (HWND window = Window()) {
        if (show)
            ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        ::ShowWindow(window, show ? SW_SHOWNA : SW_HIDE);
    }
}

bool RibbonElement::SetState(const CommandState& state) {
    bool changed =
        state.enabled != state_.enabled || state.checked != state_.checked || state.radio != state_.radio;
    state_ = state;
    return changed;
}

void RibbonElement::SetOwner(RibbonBar* bar, RibbonCategory* category, RibbonElement* parent) {
    bar_ = bar;
    category_ = category;
    parent_ = parent;
    for (auto& item : subItems_)
        item->SetOwner(bar, category, this);
}

} // namespace movalent
