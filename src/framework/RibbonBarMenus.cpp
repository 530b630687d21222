// The ribbon's popup menus: drop-downs, collapsed panels, the application menu and lists. They are system
// menus owned by the frame, so the frame's command states enable and check their items as it does for any
// menu.
#include "framework/RibbonBar.h"
#include "framework/Handles.h"
#include "framework/RibbonLayoutRules.h"
#include "framework/RibbonMetrics.h"

namespace movalent {

namespace {

void RecordItems(HMENU menu, std::vector<std::wstring>& texts) {
    texts.clear();
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        texts.push_back((info.fType & MFT_SEPARATOR) ? L"-" : text);
    }
}

} // namespace

const ImageStrip* RibbonBar::StripOf(const RibbonElement& element, bool large) const {
    if (element.OwnStrip())
        return element.OwnStrip();
    if (RibbonCategory* category = element.ParentCategory())
        return large ? &category->LargeImages() : &category->SmallImages();
    return nullptr;
}

std::vector<RibbonElement*> RibbonBar::Pointers(const std::vector<std::unique_ptr<RibbonElement>>& items) {
    std::vector<RibbonElement*> pointers;
    for (const auto& item : items)
        pointers.push_back(item.get());
    return pointers;
}

void RibbonBar::AppendItems(HMENU menu, const std::vector<RibbonElement*>& items,
                            std::vector<UniqueGdiObject>& bitmaps) const {
    for (RibbonElement* item : items) {
        if (item->IsSeparator()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STRING;
        info.wID = item->SendsCommand() ? static_cast<UINT>(item->Id()) : 0;
        std::wstring text = item->Text();
        info.dwTypeData = text.data();
        if (!item->SubItems().empty() || item->GetDropDown() != RibbonElement::DropDown::None) {
            HMENU popup = ::CreatePopupMenu();
            if (!popup)
                continue;
            // A split button keeps its own command at the top of its sub-menu.
            if (item->GetDropDown() == RibbonElement::DropDown::Split && item->SendsCommand()) {
                ::AppendMenuW(popup, MF_STRING, static_cast<UINT>(item->Id()), text.c_str());
                ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            }
            AppendItems(popup, Pointers(item->SubItems()), bitmaps);
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = popup;
        }
        const ImageStrip* strip = item->Image() >= 0 ? StripOf(*item, false) : nullptr;
        if (strip) {
            if (HBITMAP bitmap = strip->ExtractBitmap(item->Image(), ::GetSysColor(COLOR_MENU))) {
                bitmaps.emplace_back(bitmap);
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = bitmap;
            }
        }
        ::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info);
    }
}

int RibbonBar::TrackMenu(HMENU menu, const RECT& exclude, bool rightAlign, bool beside) {
    RECT screen = exclude;
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    TPMPARAMS params = {sizeof(params), screen};
    UINT flags = TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_TOPALIGN |
                 (rightAlign ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | (beside ? 0 : TPM_VERTICAL);
    const int x = beside ? screen.right : (rightAlign ? screen.right : screen.left);
    const int y = beside ? screen.top : screen.bottom;
    RecordItems(menu, openMenuItems_);
    // The frame owns the menu so that its items show the commands' states.
    HWND owner = ::GetAncestor(Handle(), GA_ROOT);
    return static_cast<int>(::TrackPopupMenuEx(menu, flags, x, y, owner ? owner : Handle(), &params));
}

void RibbonBar::ShowSubItemsMenu(RibbonElement& element) {
    const std::vector<std::unique_ptr<RibbonElement>>* items = &element.SubItems();
    // A collapsed panel drops down its buttons.
    if (active_)
        for (auto& panel : active_->Panels())
            if (&panel->CollapsedButton() == &element)
                items = &panel->Elements();
    if (items->empty() || !Handle())
        return;
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    std::vector<UniqueGdiObject> bitmaps;
    AppendItems(menu.get(), Pointers(*items), bitmaps);
    // Commands of the application menu open their menus to the side.
    const bool beside = main_ && element.ParentCategory() == main_.get();
    RibbonElement* previous = std::exchange(dropped_, &element);
    InvalidateElement(element);
    const int chosen = TrackMenu(menu.get(), element.Rect(), element.MenuOnRight(), beside);
    dropped_ = previous;
    InvalidateElement(element);
    if (chosen > 0) {
        LeaveKeyboardMode(true);
        EndPeek();
        SendCommand(chosen);
    }
}

int RibbonBar::ShowListMenu(RibbonElement& element, const std::vector<std::wstring>& items) {
    if (items.empty() || !Handle())
        return -1;
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        ::AppendMenuW(menu.get(), MF_STRING, i + 1, WithLiteralAmpersands(items[i]).c_str());
    }
    openMenuItems_ = items;
    RECT screen = element.Rect();
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    TPMPARAMS params = {sizeof(params), screen};
    RibbonElement* previous = std::exchange(dropped_, &element);
    // The ribbon owns this one: its items are not commands.
    const int chosen = static_cast<int>(::TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_TOPALIGN | TPM_LEFTALIGN | TPM_VERTICAL, screen.left,
        screen.bottom, Handle(), &params));
    dropped_ = previous;
    return chosen - 1;
}

void RibbonBar::ShowApplicationMenu() {
    if (!main_ || !Handle())
        return;
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    // The menu's commands, then those at its bottom after a line.
    std::vector<RibbonElement*> items, bottom;
    for (const auto& element : main_->Elements())
        (dynamic_cast<RibbonMenuBottomButton*>(element.get()) ? bottom : items).push_back(element.get());
    RibbonSeparator separator;
    if (!items.empty() && !bottom.empty())
        items.push_back(&separator);
    items.insert(items.end(), bottom.begin(), bottom.end());
    std::vector<UniqueGdiObject> bitmaps;
    AppendItems(menu.get(), items, bitmaps);
    pressed_ = &appButton_;
    ::InvalidateRect(Handle(), &appButton_.Rect(), FALSE);
    RECT anchor = appButton_.Rect();
    const int chosen = TrackMenu(menu.get(), anchor, false, false);
    pressed_ = nullptr;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
    if (chosen > 0) {
        LeaveKeyboardMode(true);
        SendCommand(chosen);
    }
}

} // namespace movalent
