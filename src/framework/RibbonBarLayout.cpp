// Where the ribbon's elements go.
#include "framework/RibbonBar.h"
#include "framework/Handles.h"
#include "framework/RibbonLayoutRules.h"
#include "framework/RibbonMetrics.h"

#include <commctrl.h>

#include <algorithm>

namespace movalent {

namespace {

int TextWidth(HDC dc, const std::wstring& text) {
    std::wstring shown = WithoutMnemonic(text);
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    return size.cx;
}

} // namespace

int RibbonBar::LargeButtonWidth(HDC dc, const RibbonElement& element) const {
    const ribbon::Metrics& m = metrics_;
    auto measure = [dc](const std::wstring& text) { return TextWidth(dc, text); };
    std::vector<std::wstring> lines = SplitLabel(element.Text(), measure);
    int width = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        int line = measure(lines[i]);
        // The drop-down arrow follows the last line.
        if (i + 1 == lines.size() && element.GetDropDown() != RibbonElement::DropDown::None)
            line += m.arrowRoom;
        width = std::max(width, line);
    }
    return std::max(m.largeButtonMin, width + 2 * m.buttonPadding);
}

int RibbonBar::TabElementWidth(HDC dc, const RibbonElement& element) const {
    const ribbon::Metrics& m = metrics_;
    if (auto* box = dynamic_cast<const RibbonComboBox*>(&element))
        return m.Px(box->Width()) + m.comboArrowWidth + m.Px(2);
    int width = 2 * m.buttonPadding + TextWidth(dc, element.Text());
    if (element.Image() >= 0)
        width += m.smallImage + (element.Text().empty() ? 0 : m.buttonPadding);
    if (element.GetDropDown() != RibbonElement::DropDown::None)
        width += m.arrowRoom;
    return width;
}

void RibbonBar::RecalcLayout() {
    if (!Handle())
        return;
    RECT client = ClientRect();
    {
        WindowDc window(Handle());
        ScopedSelection font(window.get(), font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
        LayoutTabRow(window.get(), client.right);
        LayoutPanels(window.get(), client.right);
    }
    const std::vector<RibbonElement*> shown = ShownElements();
    if (hot_ && std::find(shown.begin(), shown.end(), hot_) == shown.end())
        hot_ = nullptr;
    UpdateTooltips();
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void RibbonBar::LayoutTabRow(HDC dc, int width) {
    const ribbon::Metrics& m = metrics_;
    const bool panelsShown = !hideElements_ || peeking_;
    if (panelsShown)
        appButton_.Place({m.appButtonLeft, m.Px(1), m.appButtonLeft + m.Px(appSize_.cx), m.Px(1 + appSize_.cy)},
                         true);
    else
        appButton_.Place({(m.appButtonColumn - m.minimizedAppButton) / 2, m.Px(2),
                          (m.appButtonColumn + m.minimizedAppButton) / 2, m.Px(2) + m.minimizedAppButton},
                         true);
    int x = m.appButtonColumn;
    for (auto& button : quickAccess_) {
        const int top = (m.tabRowHeight - m.quickAccessSize) / 2;
        button->Place({x, top, x + m.quickAccessSize, top + m.quickAccessSize}, true);
        x += m.quickAccessSize + m.Px(2);
    }
    x += m.Px(8);
    for (auto& category : categories_) {
        const int tabWidth = TextWidth(dc, category->Name()) + 2 * m.tabPadding;
        category->Tab().Place({x, m.tabRowHeight - m.tabHeight, x + tabWidth, m.tabRowHeight}, true);
        x += tabWidth + m.Px(2);
    }
    const int tabsEnd = x;
    int right = width - m.Px(4);
    for (auto it = tabElements_.rbegin(); it != tabElements_.rend(); ++it) {
        RibbonElement& element = **it;
        const int elementWidth = TabElementWidth(dc, element);
        const int top = (m.tabRowHeight - m.tabRowElementHeight) / 2;
        RECT rect = {right - elementWidth, top, right, top + m.tabRowElementHeight};
        // Elements that would cover the tabs give way.
        const bool fits = rect.left >= tabsEnd && element.Visible();
        if (auto* box = dynamic_cast<RibbonComboBox*>(&element)) {
            element.SetRect(rect);
            if (HWND edit = box->Window()) {
                RECT editRect = {rect.left + m.Px(3), rect.top + m.Px(3), rect.right - m.comboArrowWidth - 1,
                                 rect.bottom - m.Px(3)};
                ::MoveWindow(edit, editRect.left, editRect.top, editRect.right - editRect.left,
                             editRect.bottom - editRect.top, TRUE);
                ::ShowWindow(edit, fits ? SW_SHOWNA : SW_HIDE);
            }
        } else {
            element.Place(rect, fits);
        }
        if (!fits)
            element.SetRect({});
        right = rect.left - m.Px(4);
    }
}

void RibbonBar::LayoutPanels(HDC dc, int width) {
    const ribbon::Metrics& m = metrics_;
    for (auto& category : categories_)
        for (auto& panel : category->Panels()) {
            panel->SetRect({});
            panel->CollapsedButton().SetRect({});
            for (auto& element : panel->Elements())
                element->Place({}, false);
        }
    const bool panelsShown = !hideElements_ || peeking_;
    panelArea_ = panelsShown ? RECT{0, m.tabRowHeight, width, m.tabRowHeight + m.panelAreaHeight} : RECT{};
    if (!panelsShown || !active_)
        return;
    const int top = m.tabRowHeight + m.panelMargin;
    const int bottom = m.tabRowHeight + m.panelAreaHeight - m.panelMargin;
    std::vector<int> widths;
    for (auto& panel : active_->Panels()) {
        int content = m.panelMargin;
        for (auto& element : panel->Elements())
            content += LargeButtonWidth(dc, *element) + 1;
        widths.push_back(std::max(content + m.panelMargin, TextWidth(dc, panel->Name()) + m.Px(16)));
    }
    std::vector<bool> collapsed =
        CollapsePanels(widths, m.collapsedPanelWidth, m.panelMargin, width - m.appButtonColumn - m.panelMargin);
    int x = m.appButtonColumn;
    for (size_t i = 0; i < active_->Panels().size(); ++i) {
        RibbonPanel& panel = *active_->Panels()[i];
        panel.SetCollapsed(collapsed[i]);
        const int panelWidth = collapsed[i] ? m.collapsedPanelWidth : widths[i];
        panel.SetRect({x, top, x + panelWidth, bottom});
        if (collapsed[i]) {
            panel.CollapsedButton().SetRect(
                {x + m.Px(2), top + m.Px(2), x + panelWidth - m.Px(2), bottom - m.panelCaption});
        } else {
            int buttonX = x + m.panelMargin;
            for (auto& element : panel.Elements()) {
                const int buttonWidth = LargeButtonWidth(dc, *element);
                element->Place({buttonX, top + m.Px(2), buttonX + buttonWidth, bottom - m.panelCaption - 1},
                               true);
                element->SetVisible(true);
                buttonX += buttonWidth + 1;
            }
        }
        x += panelWidth + m.panelMargin;
    }
}

std::vector<RibbonElement*> RibbonBar::ShownElements() const {
    std::vector<RibbonElement*> shown;
    shown.push_back(const_cast<RibbonElement*>(&appButton_));
    for (auto& button : quickAccess_)
        shown.push_back(button.get());
    for (auto& category : categories_)
        shown.push_back(&category->Tab());
    if (active_ && (!hideElements_ || peeking_))
        for (auto& panel : active_->Panels()) {
            if (panel->Collapsed()) {
                shown.push_back(&panel->CollapsedButton());
                continue;
            }
            for (auto& element : panel->Elements())
                shown.push_back(element.get());
        }
    for (auto& element : tabElements_)
        if (!::IsRectEmpty(&element->Rect()))
            shown.push_back(element.get());
    return shown;
}

void RibbonBar::UpdateTooltips() {
    if (!tooltips_)
        return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Handle();
    for (size_t i = 0; i < tipElements_.size(); ++i) {
        tool.uId = i;
        ::SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tipElements_.clear();
    for (RibbonElement* element : ShownElements()) {
        if (::IsRectEmpty(&element->Rect()) || element->Window())
            continue;
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = tipElements_.size();
        tool.rect = element->Rect();
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        tipElements_.push_back(element);
    }
}

} // namespace movalent
