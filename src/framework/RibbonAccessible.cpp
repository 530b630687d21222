#include "framework/RibbonAccessible.h"

#include "framework/AccessibleRules.h"
#include "framework/RibbonBar.h"
#include "framework/RibbonLayoutRules.h"
#include "framework_resource.h"

#include <algorithm>
#include <vector>

namespace movalent {

class RibbonAccessible : public AccessibleObject {
public:
    enum class Kind { Root, QuickAccess, Categories, Page, Panel, Split, Combo };

    RibbonAccessible(std::shared_ptr<AccessibleLink> link, RibbonBar& bar, Kind kind, const void* key)
        : AccessibleObject(std::move(link)), bar_(bar), kind_(kind), key_(key) {}

protected:
    bool Exists() const override;
    long ChildCount() const override { return static_cast<long>(Children().size()); }
    ComPtr<IAccessible> ChildObject(long child) const override;
    bool Describe(long child, Info& info) const override;
    ComPtr<IAccessible> ParentObject() const override;
    bool DoDefaultAction(long child) override;
    bool Select(long child, long flags) override;
    long FocusedChild() const override;
    long SelectedChild() const override;

private:
    // A split button's or a combo box's parts.
    enum class Part { Whole, Main, Arrow };
    struct Entry {
        RibbonElement* element = nullptr; // a simple child, or the element an object child stands for
        Part part = Part::Whole;
        Kind kind = Kind::Root; // with key: a child object of ours
        const void* key = nullptr;
        HWND window = nullptr; // a child window's own object
    };

    std::vector<Entry> Children() const;
    bool ChildEntry(long child, Entry& entry) const;
    ComPtr<IAccessible> Object(Kind kind, const void* key) const;
    RibbonElement* Element() const { return static_cast<RibbonElement*>(const_cast<void*>(key_)); }
    RibbonPanel* Panel() const { return static_cast<RibbonPanel*>(const_cast<void*>(key_)); }
    bool PanelsShown() const { return !bar_.hideElements_ || bar_.peeking_; }
    bool Live(const RibbonElement* element) const;
    void DescribeElement(RibbonElement& element, Part part, Info& info) const;
    void DescribeContainer(Info& info) const;
    RECT Union(const std::vector<Entry>& entries) const;
    // The element the keyboard is on, when the bar has the focus.
    RibbonElement* KeyboardElement() const;
    // Runs element as a click on it (or on its arrow) does, once the caller has its answer.
    bool Activate(RibbonElement* element, bool arrow) const;

    RibbonBar& bar_;
    Kind kind_;
    const void* key_;
};

namespace {

bool IsCategoryTab(const RibbonElement& element) {
    return element.ParentCategory() && &element == &element.ParentCategory()->Tab();
}

// Parts of an element have ids of their own: addresses inside the element.
const void* PartKey(const RibbonElement* element, int part) {
    return reinterpret_cast<const char*>(element) + part;
}

std::wstring Upper(wchar_t key) {
    wchar_t text[2] = {key, L'\0'};
    ::CharUpperW(text);
    return AltShortcutText(text[0]);
}

} // namespace

ComPtr<IAccessible> MakeRibbonAccessible(RibbonBar& bar, const std::shared_ptr<AccessibleLink>& link) {
    return MakeAccessible<RibbonAccessible>(link, bar, RibbonAccessible::Kind::Root, nullptr);
}

ComPtr<IAccessible> RibbonAccessible::Object(Kind kind, const void* key) const {
    return MakeAccessible<RibbonAccessible>(SharedLink(), bar_, kind, key);
}

bool RibbonAccessible::Live(const RibbonElement* element) const {
    const std::vector<RibbonElement*> shown = bar_.ShownElements();
    return element && std::find(shown.begin(), shown.end(), element) != shown.end();
}

bool RibbonAccessible::Exists() const {
    switch (kind_) {
    case Kind::Panel:
        if (!PanelsShown() || !bar_.active_)
            return false;
        for (const auto& panel : bar_.active_->Panels())
            if (panel.get() == key_)
                return true;
        return false;
    case Kind::Split:
    case Kind::Combo:
        return Live(Element());
    default:
        return true;
    }
}

std::vector<RibbonAccessible::Entry> RibbonAccessible::Children() const {
    std::vector<Entry> children;
    // An element as a simple child, or as an object when it has parts of its own.
    auto add = [&](RibbonElement* element) {
        if (element->IsSeparator())
            return;
        if (dynamic_cast<RibbonComboBox*>(element))
            children.push_back({element, Part::Whole, Kind::Combo, element});
        else if (element->GetDropDown() == RibbonElement::DropDown::Split)
            children.push_back({element, Part::Whole, Kind::Split, element});
        else
            children.push_back({element});
    };
    switch (kind_) {
    case Kind::Root:
        children.push_back({&bar_.appButton_});
        children.push_back({nullptr, Part::Whole, Kind::QuickAccess, &bar_.quickAccess_});
        children.push_back({nullptr, Part::Whole, Kind::Categories, &bar_.categories_});
        for (const auto& element : bar_.tabElements_)
            add(element.get());
        children.push_back({nullptr, Part::Whole, Kind::Page, &bar_.panelArea_});
        break;
    case Kind::QuickAccess:
        for (const auto& button : bar_.quickAccess_)
            add(button.get());
        break;
    case Kind::Categories:
        for (const auto& category : bar_.categories_)
            children.push_back({&category->Tab()});
        break;
    case Kind::Page:
        if (PanelsShown() && bar_.active_)
            for (const auto& panel : bar_.active_->Panels())
                children.push_back({nullptr, Part::Whole, Kind::Panel, panel.get()});
        break;
    case Kind::Panel:
        if (Panel()->Collapsed()) {
            children.push_back({&Panel()->CollapsedButton()});
            break;
        }
        for (const auto& element : Panel()->Elements())
            add(element.get());
        break;
    case Kind::Split:
        children.push_back({Element(), Part::Main});
        children.push_back({Element(), Part::Arrow});
        break;
    case Kind::Combo:
        if (HWND edit = Element()->Window())
            children.push_back({nullptr, Part::Whole, Kind::Root, nullptr, edit});
        children.push_back({Element(), Part::Arrow});
        break;
    }
    return children;
}

bool RibbonAccessible::ChildEntry(long child, Entry& entry) const {
    return ChildAt(Children(), child, entry);
}

ComPtr<IAccessible> RibbonAccessible::ChildObject(long child) const {
    Entry entry;
    if (!ChildEntry(child, entry))
        return {};
    if (entry.key)
        return Object(entry.kind, entry.key);
    ComPtr<IAccessible> object;
    // The edit's client area: the text object the system makes for an edit window.
    if (entry.window)
        ::AccessibleObjectFromWindow(entry.window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                     object.put_void());
    return object;
}

RibbonElement* RibbonAccessible::KeyboardElement() const {
    return ::GetFocus() == Window() ? bar_.focused_ : nullptr;
}

void RibbonAccessible::DescribeElement(RibbonElement& element, Part part, Info& info) const {
    const bool tab = IsCategoryTab(element);
    const bool application = &element == &bar_.appButton_;
    const auto dropDown = element.GetDropDown();
    element.UpdateTooltipInfo();
    info.element = part == Part::Whole ? &element : PartKey(&element, part == Part::Main ? 1 : 2);
    info.name = WithoutMnemonic(tab ? element.ParentCategory()->Name() : element.Text());
    if (info.name.empty())
        info.name = element.ToolTip();
    info.description = !element.Description().empty()   ? element.Description()
                       : element.ToolTip() != info.name ? element.ToolTip()
                                                        : std::wstring();
    if (application && element.KeyTip().size() == 1)
        info.shortcut = Upper(element.KeyTip()[0]);
    else if (tab)
        info.shortcut = Upper(AccessKeyOf(element.ParentCategory()->Name()));

    if (tab) {
        info.role = ROLE_SYSTEM_PAGETAB;
        info.defaultAction = Text(IDS_ACC_SWITCH);
    } else if (part == Part::Arrow) {
        info.role = ROLE_SYSTEM_BUTTONDROPDOWN;
        info.defaultAction = Text(IDS_ACC_OPEN);
    } else if (dynamic_cast<RibbonComboBox*>(&element)) {
        info.role = ROLE_SYSTEM_COMBOBOX;
        info.value = static_cast<RibbonComboBox&>(element).EditText();
    } else if (part == Part::Whole && dropDown == RibbonElement::DropDown::Split) {
        info.role = ROLE_SYSTEM_SPLITBUTTON;
        info.defaultAction = Text(IDS_ACC_PRESS);
    } else if (application || (part == Part::Whole && dropDown == RibbonElement::DropDown::Menu)) {
        info.role = ROLE_SYSTEM_BUTTONMENU;
        info.defaultAction = Text(IDS_ACC_OPEN);
    } else {
        info.role = ROLE_SYSTEM_PUSHBUTTON;
        info.defaultAction = Text(IDS_ACC_PRESS);
    }

    long state = 0;
    if (element.SendsCommand() && !element.State().enabled)
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (element.State().checked)
        state |= STATE_SYSTEM_CHECKED;
    if (tab) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (bar_.active_ == element.ParentCategory())
            state |= STATE_SYSTEM_SELECTED;
    }
    if (application || part == Part::Arrow ||
        (part == Part::Whole && dropDown != RibbonElement::DropDown::None))
        state |= STATE_SYSTEM_HASPOPUP;
    if (part == Part::Whole) {
        const std::vector<RibbonElement*> order = bar_.FocusOrder();
        if (std::find(order.begin(), order.end(), &element) != order.end())
            state |= STATE_SYSTEM_FOCUSABLE;
        if (KeyboardElement() == &element)
            state |= STATE_SYSTEM_FOCUSED;
    }
    if (bar_.hot_ == &element)
        state |= STATE_SYSTEM_HOTTRACKED;
    if (bar_.pressed_ == &element || bar_.dropped_ == &element)
        state |= STATE_SYSTEM_PRESSED;

    info.rect = element.Rect();
    if (part != Part::Whole && !::IsRectEmpty(&info.rect)) {
        const RECT arrow = bar_.ArrowPart(element);
        if (part == Part::Arrow)
            info.rect = arrow;
        else if (arrow.top > info.rect.top)
            info.rect.bottom = arrow.top;
        else
            info.rect.right = arrow.left;
    }
    if (!element.Visible() || ::IsRectEmpty(&info.rect))
        state |= STATE_SYSTEM_INVISIBLE;
    info.state = state;
}

RECT RibbonAccessible::Union(const std::vector<Entry>& entries) const {
    RECT all = {};
    for (const Entry& entry : entries)
        if (entry.element)
            ::UnionRect(&all, &all, &entry.element->Rect());
    return all;
}

void RibbonAccessible::DescribeContainer(Info& info) const {
    info.element = key_;
    switch (kind_) {
    case Kind::Root:
        info.name = Text(IDS_ACC_RIBBON);
        info.role = ROLE_SYSTEM_PANE;
        ::GetClientRect(Window(), &info.rect);
        if (::GetFocus() == Window()) {
            info.state |= STATE_SYSTEM_FOCUSED;
        }
        break;
    case Kind::QuickAccess:
        info.name = Text(IDS_ACC_QUICK_ACCESS);
        info.role = ROLE_SYSTEM_TOOLBAR;
        info.rect = Union(Children());
        break;
    case Kind::Categories:
        info.name = Text(IDS_ACC_RIBBON_TABS);
        info.role = ROLE_SYSTEM_PAGETABLIST;
        info.rect = Union(Children());
        break;
    case Kind::Page:
        info.name = bar_.active_ ? WithoutMnemonic(bar_.active_->Name()) : std::wstring();
        info.role = ROLE_SYSTEM_PROPERTYPAGE;
        info.rect = PanelsShown() ? bar_.panelArea_ : RECT{};
        break;
    case Kind::Panel:
        info.name = Panel()->Name();
        info.role = ROLE_SYSTEM_GROUPING;
        info.rect = Panel()->Rect();
        break;
    default:
        break;
    }
    if (::IsRectEmpty(&info.rect))
        info.state |= STATE_SYSTEM_INVISIBLE;
}

bool RibbonAccessible::Describe(long child, Info& info) const {
    if (child == CHILDID_SELF) {
        if (kind_ == Kind::Split || kind_ == Kind::Combo)
            DescribeElement(*Element(), Part::Whole, info);
        else
            DescribeContainer(info);
        return true;
    }
    Entry entry;
    if (!ChildEntry(child, entry) || !entry.element || entry.key)
        return false;
    DescribeElement(*entry.element, entry.part, info);
    return true;
}

ComPtr<IAccessible> RibbonAccessible::ParentObject() const {
    switch (kind_) {
    case Kind::Root:
        return AccessibleObject::ParentObject();
    case Kind::Panel:
        return Object(Kind::Page, &bar_.panelArea_);
    case Kind::Split:
    case Kind::Combo:
        if (PanelsShown() && bar_.active_)
            for (const auto& panel : bar_.active_->Panels())
                for (const auto& element : panel->Elements())
                    if (element.get() == key_)
                        return Object(Kind::Panel, panel.get());
        return Object(Kind::Root, nullptr);
    default:
        return Object(Kind::Root, nullptr);
    }
}

bool RibbonAccessible::Activate(RibbonElement* element, bool arrow) const {
    if (!element)
        return false;
    RibbonBar* bar = &bar_;
    bar_.accessible_.Defer([bar, element, arrow] {
        // The element may have gone meanwhile; a hidden one takes no click either.
        const std::vector<RibbonElement*> shown = bar->ShownElements();
        if (std::find(shown.begin(), shown.end(), element) != shown.end())
            bar->Activate(*element, arrow);
    });
    return true;
}

bool RibbonAccessible::DoDefaultAction(long child) {
    if (child == CHILDID_SELF)
        return kind_ == Kind::Split && Activate(Element(), false);
    Entry entry;
    if (!ChildEntry(child, entry) || !entry.element || entry.key)
        return false;
    return Activate(entry.element, entry.part == Part::Arrow);
}

bool RibbonAccessible::Select(long child, long flags) {
    Entry entry;
    if (!ChildEntry(child, entry) || !entry.element || entry.key)
        return false;
    if ((flags & SELFLAG_TAKESELECTION) && IsCategoryTab(*entry.element))
        return Activate(entry.element, false);
    if (flags & SELFLAG_TAKEFOCUS) {
        RibbonBar* bar = &bar_;
        RibbonElement* element = entry.element;
        bar_.accessible_.Defer([bar, element] {
            const std::vector<RibbonElement*> order = bar->FocusOrder();
            if (std::find(order.begin(), order.end(), element) != order.end())
                bar->EnterKeyboardMode(element);
        });
        return true;
    }
    return false;
}

long RibbonAccessible::FocusedChild() const {
    HWND focus = ::GetFocus();
    if (!focus)
        return -1;
    RibbonElement* keyboard = KeyboardElement();
    if ((kind_ == Kind::Split || kind_ == Kind::Combo) && keyboard == Element())
        return CHILDID_SELF;
    const std::vector<Entry> children = Children();
    for (size_t i = 0; i < children.size(); ++i) {
        const Entry& entry = children[i];
        const long child = static_cast<long>(i + 1);
        if (entry.window && (entry.window == focus || ::IsChild(entry.window, focus)))
            return child;
        if (entry.key) {
            RibbonAccessible inner(SharedLink(), bar_, entry.kind, entry.key);
            if (inner.FocusedChild() >= 0)
                return child;
        } else if (entry.element && entry.part == Part::Whole && entry.element == keyboard) {
            return child;
        }
    }
    return kind_ == Kind::Root && focus == Window() ? CHILDID_SELF : -1;
}

long RibbonAccessible::SelectedChild() const {
    if (kind_ != Kind::Categories)
        return -1;
    for (size_t i = 0; i < bar_.categories_.size(); ++i)
        if (bar_.categories_[i].get() == bar_.active_)
            return static_cast<long>(i + 1);
    return -1;
}

} // namespace movalent
