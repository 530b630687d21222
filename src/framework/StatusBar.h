#pragma once
// A frame's status bar: ordinary elements from the left, extended elements against the right edge, and an
// information text that, while it is not empty, covers the ordinary elements.
//
// Elements that send commands (clickable panes, sliders) send their id to the bar's parent as WM_COMMAND with
// notification code 0 and the element's window, so the frame routes it like a button's; a programmatic change
// sends nothing. The bar's own window text is its information text.
#include "framework/CommandTarget.h"
#include "framework/Handles.h"
#include "framework/StatusBarLayout.h"
#include "framework/StatusBarAccessible.h"
#include "framework/StatusBarElements.h"
#include "framework/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class StatusBar : public Window, public CommandStateDisplay {
public:
    StatusBar();
    ~StatusBar() override;

    bool CreateBar(HWND parent, UINT id);
    int Height() const;
    // The pixel density the bar and its elements are drawn at; the parent's when the bar is made.
    void SetDpi(int dpi);
    int Dpi() const { return metrics_.dpi; }
    // Docks the bar at the bottom of area and takes its height off it.
    void Place(RECT& area);
    // Places the elements again after one changed its size or visibility.
    void RecalcLayout();

    // Adds an element at the end of the ordinary (extended false) or extended elements. Null when its window
    // cannot be made.
    StatusBarPane* AddPane(bool extended, UINT id, const std::wstring& text, const std::wstring& label,
                           StatusBarPane::Options options);
    StatusBarProgressBar* AddProgressBar(bool extended, UINT id, int width, int height,
                                         const std::wstring& label);
    StatusBarSlider* AddSlider(bool extended, UINT id, const std::wstring& label,
                               StatusBarSlider::Options options);

    StatusBarElement* FindById(UINT id) const;
    template <typename T> T* FindByIdAs(UINT id) const { return dynamic_cast<T*>(FindById(id)); }
    size_t OrdinaryCount() const { return ordinary_.size(); }
    size_t ExtendedCount() const { return extended_.size(); }
    StatusBarElement* Ordinary(size_t index) const;
    StatusBarElement* Extended(size_t index) const;

    void SetInformation(const std::wstring& text);
    const std::wstring& Information() const { return information_; }

    // Clickable elements are enabled exactly when the command route has their command.
    void UpdateCommandStates(CommandTarget& router) override;

protected:
    // A right click on the bar or one of its elements (screen coordinates).
    virtual void OnShowContextMenu(POINT screenPoint);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Screen readers' objects read the information text's place and act as a click does.
    friend class StatusBarAccessible;

    StatusBarElement* Add(bool extended, std::unique_ptr<StatusBarElement> element);
    StatusBarElement* ElementOfWindow(HWND hwnd) const;
    void SendElementCommand(const StatusBarElement& element) const;
    void Paint();

    std::vector<std::unique_ptr<StatusBarElement>> ordinary_;
    std::vector<std::unique_ptr<StatusBarElement>> extended_;
    std::wstring information_;
    RECT informationRect_ = {};
    UniqueGdiObject font_;
    StatusBarMetrics metrics_;
    HWND tooltips_ = nullptr; // a child of the bar's thread, destroyed with the bar
    AccessibleHost accessible_{[this](const std::shared_ptr<AccessibleLink>& link) {
        return MakeStatusBarAccessible(*this, link);
    }};
};

} // namespace movalent
