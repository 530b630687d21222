#pragma once
// Sees and drives the ribbon of the running program from the test process, as a user would: it asks the
// ribbon window what it shows (the registered query message), clicks at the points the ribbon reports, works
// its popup menus with the keyboard, and types into the web search box.
#include "ProgramHarness.h"

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace movalent::test {

class RibbonDriver {
public:
    explicit RibbonDriver(const Program& program);
    RibbonDriver(const RibbonDriver&) = delete;
    RibbonDriver& operator=(const RibbonDriver&) = delete;
    ~RibbonDriver();

    // False when the program shows no ribbon window or no window for the answers could be made.
    bool Ready() const { return bar_ && reply_; }
    HWND Handle() const { return bar_; }

    // One question of the query message; text questions come back to a window of this process.
    LRESULT Ask(unsigned question, unsigned argument = 0) const;
    std::wstring AskText(unsigned question, unsigned argument = 0) const;

    // Elements, by command id, the application button or kRibbonTabRowElement + index. A point of (0, 0)
    // means the element is not shown.
    POINT ElementPoint(unsigned element) const;
    POINT ArrowPoint(unsigned element) const;
    bool Shows(unsigned element) const;
    std::wstring Text(unsigned element) const;
    std::wstring Tip(unsigned element) const;
    unsigned State(unsigned element) const;

    std::vector<std::wstring> CategoryNames() const;
    POINT CategoryPoint(size_t index) const;
    int ActiveCategory() const;
    bool Minimized() const;
    std::vector<std::wstring> PanelNames() const;
    std::vector<std::wstring> MenuItems() const;
    bool MenuOpen() const;
    std::vector<std::wstring> SearchItems() const;

    // Posted mouse input at a point of the ribbon's client area. Press is the button going down alone: for
    // elements that open a menu, whose modal loop would take a following button-up as a click of its own.
    void Click(POINT point) const;
    void Press(POINT point) const;
    void Release(POINT point) const;
    void DoubleClick(POINT point) const;

    // The visible popup menu of the program's process; null when none shows within the timeout.
    HWND WaitForMenu(DWORD timeoutMs = 10000) const;
    HWND OpenMenu() const; // the visible popup menu now, without waiting
    // Chooses the item at index of the open menu (separators counted, as MenuItems lists them) with the arrow
    // keys and Enter, and waits for the menu to close.
    bool ChooseMenuItem(HWND menu, size_t index) const;
    bool DismissMenu(HWND menu) const;

    // The search box's edit window (a child "Edit" of the ribbon).
    HWND SearchEdit() const;
    // Replaces the edit's text and presses Enter in it; all posted, so a series runs in order.
    void Search(const std::wstring& text) const;
    // Enter again on whatever the edit holds.
    void PressEnterInSearch() const;
    // The edit's text.
    std::wstring SearchText() const;

private:
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    const Program& program_;
    HWND bar_ = nullptr;
    HWND reply_ = nullptr; // receives the text answers (WM_COPYDATA)
    mutable std::wstring answer_;
};

// The texts of a language file as the program reads it (UTF-16 with byte-order mark, "id:text" lines).
std::map<unsigned, std::wstring> ReadLanguageFile(const std::filesystem::path& file);

// The focused window of the program's main thread.
HWND FocusOfThread(HWND window);

} // namespace movalent::test
