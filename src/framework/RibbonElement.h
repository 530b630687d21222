#pragma once
// What a ribbon is made of: buttons (large in panels, small at the right end of the tab row, icon-only on the
// quick access toolbar, items in popup menus), separators, and the tabs of the categories. An element may
// carry sub-items, which its drop-down shows as a popup menu: a split button runs its own command when
// clicked and opens the menu from its arrow, a menu button opens the menu when clicked.
#include "framework/CommandTarget.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class RibbonBar;
class RibbonCategory;
class ImageStrip;

class RibbonElement {
public:
    enum class DropDown { None, Split, Menu };

    RibbonElement(int id, const std::wstring& text);
    RibbonElement(const RibbonElement&) = delete;
    RibbonElement& operator=(const RibbonElement&) = delete;
    virtual ~RibbonElement();

    // The command the element sends; 0 and -1 send none.
    int Id() const { return id_; }
    bool SendsCommand() const { return id_ != 0 && id_ != -1; }

    // The text as shown; a text set as "label\nk" also gives the key tip k.
    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& text);
    const std::wstring& KeyTip() const { return keyTip_; }

    const std::wstring& ToolTip() const { return toolTip_; }
    const std::wstring& Description() const { return description_; }
    void SetToolTipText(const std::wstring& text) { toolTip_ = text; }
    void SetDescription(const std::wstring& text) { description_ = text; }
    // Brings the tooltip and description up to date before they are shown; the default keeps them.
    virtual void UpdateTooltipInfo() {}

    // The image of the element in its category's strips (the same index in the small and the large one), or
    // -1 for none; an element may bring an image strip of its own instead.
    int Image() const { return image_; }
    void SetImage(int index) { image_ = index; }
    const ImageStrip* OwnStrip() const { return ownStrip_; }
    void SetOwnStrip(const ImageStrip* strip, int index);

    virtual bool IsSeparator() const { return false; }

    // Drop-down menu: the sub-items, copied from a menu (nested popups become nested sub-items).
    DropDown GetDropDown() const { return dropDown_; }
    void SetDropDown(DropDown kind) { dropDown_ = kind; }
    void SetMenu(HMENU menu, bool splitButton);
    bool MenuOnRight() const { return menuOnRight_; }
    void SetMenuOnRight(bool right) { menuOnRight_ = right; }
    const std::vector<std::unique_ptr<RibbonElement>>& SubItems() const { return subItems_; }
    RibbonElement* AddSubItem(std::unique_ptr<RibbonElement> item, int position = -1);
    void RemoveAllSubItems() { subItems_.clear(); }
    // Opens the drop-down; the default shows the sub-items as a popup menu under the element.
    virtual void OnShowPopupMenu();

    // Where the element is on its bar, in the bar's client coordinates; empty while it is not laid out.
    const RECT& Rect() const { return rect_; }
    void SetRect(const RECT& rect) { rect_ = rect; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // The element's own window, if it has one (an edit box); placed and shown with the element.
    virtual HWND Window() const { return nullptr; }
    virtual void Place(const RECT& rect, bool show);

    const CommandState& State() const { return state_; }
    // True when the state changed.
    bool SetState(const CommandState& state);

    RibbonBar* Bar() const { return bar_; }
    RibbonCategory* ParentCategory() const { return category_; }
    RibbonElement* ParentElement() const { return parent_; }
    // Called by the bar, the category and the parent element that take the element in.
    virtual void SetOwner(RibbonBar* bar, RibbonCategory* category, RibbonElement* parent);

private:
    int id_;
    std::wstring text_;
    std::wstring keyTip_;
    std::wstring toolTip_;
    std::wstring description_;
    int image_ = -1;
    const ImageStrip* ownStrip_ = nullptr;
    DropDown dropDown_ = DropDown::None;
    bool menuOnRight_ = false;
    std::vector<std::unique_ptr<RibbonElement>> subItems_;
    RECT rect_ = {};
    bool visible_ = true;
    CommandState state_;
    RibbonBar* bar_ = nullptr;
    RibbonCategory* category_ = nullptr;
    RibbonElement* parent_ = nullptr;
};

class RibbonButton : public RibbonElement {
public:
    using RibbonElement::RibbonElement;
};

// A command at the bottom of the application menu, beside the menu's other commands rather than among them.
class RibbonMenuBottomButton : public RibbonButton {
public:
    using RibbonButton::RibbonButton;
};

class RibbonSeparator : public RibbonElement {
public:
    RibbonSeparator() : RibbonElement(0, L"") {}
    bool IsSeparator() const override { return true; }
};

// The tab of a category in the tab row; it belongs to its category like the category's buttons do.
class RibbonCategoryTab : public RibbonElement {
public:
    RibbonCategoryTab() : RibbonElement(0, L"") {}
};

} // namespace movalent
