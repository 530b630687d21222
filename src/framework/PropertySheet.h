#pragma once
// Property sheets: a tabbed dialog of pages, each page a dialog of its own with data exchange.
#include "framework/Dialog.h"

#include <string>
#include <vector>

namespace movalent {

class PropertySheet;

class PropertyPage : public Dialog {
public:
    PropertyPage(UINT templateId, std::wstring title);

    const std::wstring& Title() const { return title_; }
    PropertySheet* Sheet() const { return sheet_; }
    // Enables or disables the sheet's Apply button for this page.
    void SetModified(bool changed = true);

protected:
    // The page is being shown; false keeps the previous page.
    virtual bool OnSetActive();
    // The page is being left; false keeps it (the default refuses when its data does not save).
    virtual bool OnKillActive();
    // OK or Apply; false keeps the sheet open on this page.
    virtual bool OnApply();
    // Cancel.
    virtual void OnReset() {}

    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    // Enter and Escape belong to the sheet, not to a page.
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class PropertySheet;
    static INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    std::wstring title_;
    PropertySheet* sheet_ = nullptr;
    bool firstActivation_ = true;
};

class PropertySheet : public Window {
public:
    explicit PropertySheet(std::wstring caption);

    // Pages are shown in the order added; the caller keeps them alive while the sheet runs.
    void AddPage(PropertyPage& page);
    const std::vector<PropertyPage*>& Pages() const { return pages_; }

    // Runs modally (owner defaults to the main window). IDOK when the sheet ended with OK, IDCANCEL when with
    // Cancel or the close box, -1 when it could not be shown.
    INT_PTR DoModal(HWND owner = nullptr);
    HWND Item(int id) const { return ::GetDlgItem(Handle(), id); }

protected:
    // After the sheet's own initialisation, when its buttons and first page exist.
    virtual void OnInitDialog() {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);

    std::wstring caption_;
    std::vector<PropertyPage*> pages_;
};

} // namespace movalent
