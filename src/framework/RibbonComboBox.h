#pragma once
// An editable combo box on the ribbon: an edit window for typing and an arrow that drops down the box's list.
#include "framework/RibbonElement.h"
#include "framework/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class RibbonComboBox;

// The combo box's edit window: a standard edit control the box owns.
class RibbonEdit : public Window {
public:
    explicit RibbonEdit(RibbonComboBox& box) : box_(box) {}
    RibbonComboBox& Box() const { return box_; }
    virtual bool CreateEditWindow(DWORD style, const RECT& rect, HWND parent, UINT id);
    // The edit's own keys (clipboard, select all, deletion) stay with it, ahead of any accelerator table.
    bool PreTranslateMessage(MSG& msg) override;

private:
    RibbonComboBox& box_;
};

class RibbonComboBox : public RibbonElement {
public:
    RibbonComboBox(int id, bool editable, int width, const std::wstring& label);
    ~RibbonComboBox() override;

    int Width() const { return width_; }
    bool Editable() const { return editable_; }

    // The items of the drop-down list, in order.
    const std::vector<std::wstring>& Items() const { return items_; }
    void AddItem(const std::wstring& item) { items_.push_back(item); }
    // The first item equal to text regardless of case, or -1.
    int FindItemNoCase(const std::wstring& text) const;

    // The edit window; null until the bar creates it, or when that failed.
    RibbonEdit* Edit() const { return edit_.get(); }
    HWND Window() const override;
    std::wstring EditText() const;
    void SetEditText(const std::wstring& text);

    // Called by the bar once its window exists.
    void CreateEditWindow(HWND bar);
    // Shows the list under the box; a choice goes to OnSelectItem.
    void DropDownList();

protected:
    // Makes the edit; null when its window cannot be created.
    virtual std::unique_ptr<RibbonEdit> CreateEdit(HWND parent, DWORD style);
    // The user chose item index from the list.
    virtual void OnSelectItem(int index);

private:
    int width_;
    bool editable_;
    std::vector<std::wstring> items_;
    std::unique_ptr<RibbonEdit> edit_;
};

} // namespace movalent
