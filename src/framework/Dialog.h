#pragma once
// Dialogs from resource (or in-memory) templates, modal or modeless, with data exchange between controls and
// members.
#include "framework/Window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace movalent {

class ControlContainer;
class Dialog;

// One direction of one UpdateData call.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog(dialog), saving(saveAndValidate) {}
    // The control, or null (which fails the exchange).
    HWND Control(int id);

    Dialog& dialog;
    const bool saving;
    bool failed = false;
};

// The window text of a control.
void ExchangeText(DataExchange& dx, int id, std::wstring& value);
// A check box or three-state button: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE.
void ExchangeCheck(DataExchange& dx, int id, int& state);
// A group of radio buttons from firstId on (until the next control with WS_GROUP): the index of the checked
// one, -1 when none is.
void ExchangeRadio(DataExchange& dx, int firstId, int& index);
// Binds a control to a Window object the first time data is loaded.
void ExchangeControl(DataExchange& dx, int id, Window& control);

// A dialog template may name an ActiveX control as an item whose class is its CLSID in braces
// ("{8856F961-...}"): the dialog creates that control in its Controls() at the item's place and tab position
// before OnInitDialog, and a dialog whose control cannot be created fails (DoModal returns -1, CreateModeless
// false).
class Dialog : public Window {
public:
    explicit Dialog(UINT templateId);
    // An in-memory template, which must outlive every use of the dialog.
    explicit Dialog(const DLGTEMPLATE* indirectTemplate);
    ~Dialog() override;

    // Runs modally; the owner defaults to the application's main window. Returns what EndDialog was given, or
    // -1 when the dialog cannot be made.
    virtual INT_PTR DoModal(HWND owner = nullptr);
    // Creates a modeless dialog (a child dialog when the template says so).
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }

    // Controls to members (saveAndValidate) or members to controls; false when a control is missing.
    bool UpdateData(bool saveAndValidate);

    HWND Item(int id) const { return ::GetDlgItem(Handle(), id); }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);

    // Keys inside a hosted ActiveX control go to that control first; modeless dialogs take their keyboard
    // navigation (tab, arrows, default button) here.
    bool PreTranslateMessage(MSG& msg) override;

    // The ActiveX controls hosted in this dialog (made on first use); they are closed when the dialog is
    // destroyed.
    ControlContainer& Controls();
    ControlContainer* ControlsIfAny() const { return controls_.get(); }

    // The link, edit box and combo box classes dialog templates may name are registered once before the first
    // dialog is made.
    static void RegisterControlClasses();

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(DataExchange&) {}
    // WM_NOTIFY; true when handled, with the result to return.
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Hosted controls are closed while their windows still exist: children go after their parent's
    // WM_DESTROY.
    void OnDestroyed() override;
    // In a dialog procedure the default processing is the dialog manager's, after the procedure returns.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR DialogDispatch(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // An ActiveX control that the template names.
    struct TemplateControl {
        CLSID clsid;
        size_t index; // among the template's items
        int id;
        DWORD style;
        RECT dialogUnits;
    };
    // The template as the system gets it: a resource template without its ActiveX items (copied into
    // storage), which are listed in controls; an in-memory template as given. Null when the resource is
    // missing.
    const DLGTEMPLATE* PrepareTemplate(std::vector<std::uint32_t>& storage,
                                       std::vector<TemplateControl>* controls);

private:
    bool CreateTemplateControls();

    UINT templateId_ = 0;
    const DLGTEMPLATE* indirect_ = nullptr;
    bool modal_ = false;
    bool defaultRequested_ = false;
    std::vector<std::uint32_t> templateStorage_;
    std::vector<TemplateControl> templateControls_;
    size_t templateItemCount_ = 0;
    std::unique_ptr<ControlContainer> controls_;
};

} // namespace movalent
