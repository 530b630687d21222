#pragma once
// The web search box at the right end of the ribbon's tab row: Enter or a choice from its list sends the text
// to the main window, which opens the search (message 9223). The list holds this session's searches.
#include "framework/RibbonComboBox.h"

namespace movalent {

class CMFCRibbonGoogleSearch;

// The box's edit: a plain edit control whose Enter runs the search.
class CMFCRibbonRichEditCtrlGoogleSearch : public RibbonEdit {
public:
    explicit CMFCRibbonRichEditCtrlGoogleSearch(CMFCRibbonGoogleSearch& box);
    bool PreTranslateMessage(MSG& msg) override;
    bool CreateEditWindow(DWORD style, const RECT& rect, HWND parent, UINT id) override;

private:
    CMFCRibbonGoogleSearch* search_;
};

class CMFCRibbonGoogleSearch : public RibbonComboBox {
public:
    CMFCRibbonGoogleSearch(int id, bool editable, int width, const std::wstring& label)
        : RibbonComboBox(id, editable, width, label) {}

    // Sends the trimmed text (the edit's when text is null) to the main window; with addToList, adds it to
    // the list unless the list holds it already in any case.
    virtual void Search(const std::wstring* text, bool addToList);
    // Selects all of the edit's text and gives it the keyboard focus.
    virtual void FocusSearch();
    virtual HWND GetEditWindow() const { return Window(); }

protected:
    std::unique_ptr<RibbonEdit> CreateEdit(HWND parent, DWORD style) override;
    void OnSelectItem(int index) override;
};

} // namespace movalent
