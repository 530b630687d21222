#include "framework/TabRowAccessible.h"

#include "framework/ChildFrame.h"
#include "framework/TabRow.h"
#include "framework/TabbedMainFrame.h"
#include "framework_resource.h"

#include <algorithm>

namespace movalent {

// The row (tab_ null) or one of its tabs.
class TabRowAccessible : public AccessibleObject {
public:
    TabRowAccessible(std::shared_ptr<AccessibleLink> link, TabRow& row, ChildFrame* tab)
        : AccessibleObject(std::move(link)), row_(row), tab_(tab) {}

protected:
    bool Exists() const override { return !tab_ || Index(tab_) >= 0; }
    long ChildCount() const override;
    ComPtr<IAccessible> ChildObject(long child) const override;
    bool Describe(long child, Info& info) const override;
    ComPtr<IAccessible> ParentObject() const override;
    bool DoDefaultAction(long child) override;
    bool Select(long child, long flags) override;
    long SelectedChild() const override;

private:
    const std::vector<ChildFrame*>& Tabs() const { return row_.frame_.Tabs(); }
    long Index(const ChildFrame* tab) const {
        auto position = std::find(Tabs().begin(), Tabs().end(), tab);
        return position == Tabs().end() ? -1 : static_cast<long>(position - Tabs().begin());
    }
    bool HasMenuButton() const { return !::IsRectEmpty(&row_.menuButton_); }
    bool HasCloseButton() const {
        return tab_ == row_.frame_.ActiveChild() && !::IsRectEmpty(&row_.closeButton_);
    }
    void DescribeTab(ChildFrame* tab, Info& info) const;
    // Runs action once the caller has its answer, if tab is still open then.
    bool Later(ChildFrame* tab, void (*action)(TabRow&, ChildFrame*)) const;

    TabRow& row_;
    ChildFrame* tab_;
};

ComPtr<IAccessible> MakeTabRowAccessible(TabRow& row, const std::shared_ptr<AccessibleLink>& link) {
    return MakeAccessible<TabRowAccessible>(link, row, nullptr);
}

long TabRowAccessible::ChildCount() const {
    if (tab_)
        return HasCloseButton() ? 1 : 0;
    return static_cast<long>(Tabs().size()) + (HasMenuButton() ? 1 : 0);
}

ComPtr<IAccessible> TabRowAccessible::ChildObject(long child) const {
    if (tab_ || child < 1 || child > static_cast<long>(Tabs().size()))
        return {};
    return MakeAccessible<TabRowAccessible>(SharedLink(), row_, Tabs()[static_cast<size_t>(child - 1)]);
}

void TabRowAccessible::DescribeTab(ChildFrame* tab, Info& info) const {
    const long index = Index(tab);
    info.element = tab;
    info.name = tab->Text();
    info.role = ROLE_SYSTEM_PAGETAB;
    info.defaultAction = Text(IDS_ACC_SWITCH);
    info.state = STATE_SYSTEM_SELECTABLE | (tab == row_.frame_.ActiveChild() ? STATE_SYSTEM_SELECTED : 0);
    if (index >= 0 && static_cast<size_t>(index) < row_.tabRects_.size())
        info.rect = row_.tabRects_[static_cast<size_t>(index)];
}

bool TabRowAccessible::Describe(long child, Info& info) const {
    if (child == CHILDID_SELF) {
        if (tab_) {
            DescribeTab(tab_, info);
        } else {
            info.name = Text(IDS_ACC_DOCUMENT_TABS);
            info.role = ROLE_SYSTEM_PAGETABLIST;
            ::GetClientRect(Window(), &info.rect);
        }
    } else if (tab_ && child == 1 && HasCloseButton()) {
        info.element = reinterpret_cast<const char*>(tab_) + 1;
        info.name = Text(IDS_ACC_CLOSE_TAB);
        info.role = ROLE_SYSTEM_PUSHBUTTON;
        info.defaultAction = Text(IDS_ACC_CLOSE);
        info.rect = row_.closeButton_;
    } else if (!tab_ && child == static_cast<long>(Tabs().size()) + 1 && HasMenuButton()) {
        info.element = &row_.menuButton_;
        info.name = Text(IDS_ACC_TAB_LIST);
        info.role = ROLE_SYSTEM_BUTTONMENU;
        info.state = STATE_SYSTEM_HASPOPUP;
        info.defaultAction = Text(IDS_ACC_OPEN);
        info.rect = row_.menuButton_;
    } else {
        return false;
    }
    if (::IsRectEmpty(&info.rect) || !::IsWindowVisible(Window()))
        info.state |= STATE_SYSTEM_INVISIBLE;
    return true;
}

ComPtr<IAccessible> TabRowAccessible::ParentObject() const {
    if (!tab_)
        return AccessibleObject::ParentObject();
    return MakeAccessible<TabRowAccessible>(SharedLink(), row_, nullptr);
}

bool TabRowAccessible::Later(ChildFrame* tab, void (*action)(TabRow&, ChildFrame*)) const {
    TabRow* row = &row_;
    row_.accessible_.Defer([row, tab, action] {
        const std::vector<ChildFrame*>& tabs = row->frame_.Tabs();
        if (!tab || std::find(tabs.begin(), tabs.end(), tab) != tabs.end())
            action(*row, tab);
    });
    return true;
}

bool TabRowAccessible::DoDefaultAction(long child) {
    if (tab_ && child == CHILDID_SELF)
        return Later(tab_, [](TabRow& row, ChildFrame* tab) { row.frame_.ActivateTab(tab); });
    if (tab_ && child == 1 && HasCloseButton())
        return Later(tab_, [](TabRow&, ChildFrame* tab) { tab->Send(WM_CLOSE); });
    if (!tab_ && child == static_cast<long>(Tabs().size()) + 1 && HasMenuButton())
        return Later(nullptr, [](TabRow& row, ChildFrame*) { row.ShowDocumentMenu(); });
    return false;
}

bool TabRowAccessible::Select(long child, long flags) {
    return tab_ && child == CHILDID_SELF && (flags & SELFLAG_TAKESELECTION) && DoDefaultAction(child);
}

long TabRowAccessible::SelectedChild() const {
    const long active = Index(row_.frame_.ActiveChild());
    return tab_ || active < 0 ? -1 : active + 1;
}

} // namespace movalent
