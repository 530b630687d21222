#include "framework/StatusBarAccessible.h"

#include "framework/AccessibleRules.h"
#include "framework/StatusBar.h"
#include "framework_resource.h"

#include <commctrl.h>

#include <vector>

namespace movalent {

class StatusBarAccessible : public AccessibleObject {
public:
    StatusBarAccessible(std::shared_ptr<AccessibleLink> link, StatusBar& bar)
        : AccessibleObject(std::move(link)), bar_(bar) {}

protected:
    long ChildCount() const override { return static_cast<long>(Children().size()); }
    bool Describe(long child, Info& info) const override;
    bool DoDefaultAction(long child) override;

private:
    enum class Part { Information, Element, ZoomOut, ZoomIn };
    struct Entry {
        Part part;
        StatusBarElement* element = nullptr;
    };
    std::vector<Entry> Children() const;
    bool ChildEntry(long child, Entry& entry) const;
    // The window that shows the entry.
    static HWND WindowOf(const Entry& entry);
    RECT RectOf(HWND window) const;

    StatusBar& bar_;
};

ComPtr<IAccessible> MakeStatusBarAccessible(StatusBar& bar, const std::shared_ptr<AccessibleLink>& link) {
    return MakeAccessible<StatusBarAccessible>(link, bar);
}

std::vector<StatusBarAccessible::Entry> StatusBarAccessible::Children() const {
    std::vector<Entry> children = {{Part::Information}};
    auto add = [&](StatusBarElement* element) {
        auto* slider = dynamic_cast<StatusBarSlider*>(element);
        if (slider && slider->MinusButton())
            children.push_back({Part::ZoomOut, element});
        children.push_back({Part::Element, element});
        if (slider && slider->PlusButton())
            children.push_back({Part::ZoomIn, element});
    };
    for (size_t i = 0; i < bar_.OrdinaryCount(); ++i)
        add(bar_.Ordinary(i));
    for (size_t i = 0; i < bar_.ExtendedCount(); ++i)
        add(bar_.Extended(i));
    return children;
}

bool StatusBarAccessible::ChildEntry(long child, Entry& entry) const {
    return ChildAt(Children(), child, entry);
}

HWND StatusBarAccessible::WindowOf(const Entry& entry) {
    auto* slider = dynamic_cast<StatusBarSlider*>(entry.element);
    switch (entry.part) {
    case Part::ZoomOut:
        return slider ? slider->MinusButton() : nullptr;
    case Part::ZoomIn:
        return slider ? slider->PlusButton() : nullptr;
    case Part::Element:
        return entry.element->Handle();
    default:
        return nullptr;
    }
}

RECT StatusBarAccessible::RectOf(HWND window) const {
    RECT rect = {};
    if (!window || !::IsWindowVisible(window) || !::GetWindowRect(window, &rect))
        return {};
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool StatusBarAccessible::Describe(long child, Info& info) const {
    if (child == CHILDID_SELF) {
        info.name = Text(IDS_ACC_STATUS_BAR);
        info.role = ROLE_SYSTEM_STATUSBAR;
        ::GetClientRect(Window(), &info.rect);
        if (!::IsWindowVisible(Window()))
            info.state = STATE_SYSTEM_INVISIBLE;
        return true;
    }
    Entry entry;
    if (!ChildEntry(child, entry))
        return false;
    const HWND window = WindowOf(entry);
    info.rect = RectOf(window);
    switch (entry.part) {
    case Part::Information:
        info.element = &bar_.information_;
        info.name = bar_.Information();
        info.role = ROLE_SYSTEM_STATICTEXT;
        info.state = STATE_SYSTEM_READONLY;
        info.rect = bar_.Information().empty() ? RECT{} : bar_.informationRect_;
        break;
    case Part::ZoomOut:
    case Part::ZoomIn:
        info.element = reinterpret_cast<const char*>(entry.element) + (entry.part == Part::ZoomOut ? 1 : 2);
        info.name = Text(entry.part == Part::ZoomOut ? IDS_ACC_ZOOM_OUT : IDS_ACC_ZOOM_IN);
        info.role = ROLE_SYSTEM_PUSHBUTTON;
        info.defaultAction = Text(IDS_ACC_PRESS);
        break;
    case Part::Element:
        info.element = entry.element;
        info.name = entry.element->Text().empty() ? entry.element->Label() : entry.element->Text();
        if (info.name != entry.element->Label())
            info.description = entry.element->Label();
        switch (entry.element->GetKind()) {
        case StatusBarElement::Kind::Pane:
            info.role = entry.element->SendsCommand() ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_STATICTEXT;
            if (entry.element->SendsCommand())
                info.defaultAction = Text(IDS_ACC_PRESS);
            else
                info.state |= STATE_SYSTEM_READONLY;
            break;
        case StatusBarElement::Kind::ProgressBar:
            info.role = ROLE_SYSTEM_PROGRESSBAR;
            info.value = std::to_wstring(static_cast<StatusBarProgressBar*>(entry.element)->Pos());
            info.state |= STATE_SYSTEM_READONLY;
            break;
        case StatusBarElement::Kind::Slider:
            info.role = ROLE_SYSTEM_SLIDER;
            info.value = std::to_wstring(static_cast<StatusBarSlider*>(entry.element)->Pos());
            info.state |= STATE_SYSTEM_FOCUSABLE;
            if (::GetFocus() == window)
                info.state |= STATE_SYSTEM_FOCUSED;
            break;
        }
        break;
    }
    if (window && !::IsWindowEnabled(window))
        info.state |= STATE_SYSTEM_UNAVAILABLE;
    if (::IsRectEmpty(&info.rect))
        info.state |= STATE_SYSTEM_INVISIBLE;
    return true;
}

bool StatusBarAccessible::DoDefaultAction(long child) {
    Entry entry;
    if (!ChildEntry(child, entry))
        return false;
    const HWND window = WindowOf(entry);
    const HWND bar = Window();
    if (!window || !bar)
        return false;
    if (entry.part == Part::ZoomOut || entry.part == Part::ZoomIn) {
        bar_.accessible_.Defer([window] {
            if (::IsWindow(window))
                ::SendMessageW(window, BM_CLICK, 0, 0);
        });
        return true;
    }
    if (entry.part != Part::Element || entry.element->GetKind() != StatusBarElement::Kind::Pane ||
        !entry.element->SendsCommand())
        return false;
    // What a click on the pane sends: its notification, which the bar turns into the pane's command.
    const UINT id = entry.element->Id();
    bar_.accessible_.Defer([bar, window, id] {
        if (::IsWindow(window) && ::IsWindowEnabled(window) && ::GetParent(window) == bar)
            ::SendMessageW(bar, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(window));
    });
    return true;
}

} // namespace movalent
