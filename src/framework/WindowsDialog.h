#pragma once
// The windows-management dialog: every open tab by caption, to activate one or close several.
#include "framework/Dialog.h"

#include <vector>

namespace movalent {

class ChildFrame;
class TabbedMainFrame;

class WindowsDialog : public Dialog {
public:
    explicit WindowsDialog(TabbedMainFrame& frame);

protected:
    bool OnInitDialog() override;
    bool OnControlNotify(int id, int code, HWND control) override;

private:
    void FillList();
    std::vector<ChildFrame*> SelectedTabs() const;
    void ActivateSelected();
    void CloseSelected();
    void UpdateButtons();

    TabbedMainFrame& frame_;
    std::vector<ChildFrame*> listed_;
};

} // namespace movalent
