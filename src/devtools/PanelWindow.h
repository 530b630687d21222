#pragma once
// The panel's window, a child of the tab's container on the tab's browser thread: the page's element tree
// (listed as it is opened, frames as sub-trees), the selected element's attributes, inline and computed
// style and box, editable in place, its outer HTML, an outline around it in the page, a picker, find, one
// line of script, and the page's source.
#include "devtools/DomAccess.h"
#include "devtools/ElementOutline.h"
#include "devtools/EventSink.h"
#include "framework/Handles.h"

#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <mshtml.h>

#include <string>
#include <vector>

namespace movalent::devtools {

class PanelWindow {
public:
    PanelWindow() = default;
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;
    ~PanelWindow() { Destroy(); }

    bool Create(HWND container, IWebBrowser2* browser);
    // For the module, when it is unloaded with no panel left.
    static void UnregisterWindowClass();
    void Destroy();
    HWND Handle() const { return window_; }

    void SetMainWindow(HWND window) { mainWindow_ = window; }
    void SetUrlmon(HMODULE urlmon) { urlmon_ = urlmon; }
    void Show(bool show);
    // Reads the page's elements again, keeping the selection where the same place still exists.
    void Rebuild();
    void ViewSource();

private:
    // One item of the tree: a node, a frame's document root, or a line that only tells something.
    struct Entry {
        ComPtr<IHTMLDOMNode> node;
        ComPtr<IHTMLDocument2> document; // the document the node belongs to
        HTREEITEM item = nullptr;
        bool listed = false;
        size_t nextChild = 0; // for long child lists shown in steps
    };
    using Chain = std::vector<ComPtr<IHTMLDOMNode>>;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize();
    void OnCommand(unsigned id, unsigned code);
    LRESULT OnNotify(NMHDR& header);
    void OnDpiChanged();
    void OnBrowserEvent(DISPID id, DISPPARAMS& params);

    HWND AddControl(const wchar_t* className, const std::wstring& text, DWORD style, unsigned id,
                    DWORD exStyle = 0);
    void AddTip(HWND control, const std::wstring& text);
    int Scale(int value) const;
    void ApplyFont();

    // Tree
    HTREEITEM InsertEntry(HTREEITEM parent, Entry entry, const std::wstring& label, bool hasChildren);
    HTREEITEM InsertNote(HTREEITEM parent, const std::wstring& label);
    void ListChildren(size_t index);
    Entry* EntryOf(HTREEITEM item);
    std::vector<size_t> SelectionPath() const;
    void SelectPath(const std::vector<size_t>& path);
    bool SelectChain(const Chain& chain);
    HTREEITEM FindChild(HTREEITEM parent, IHTMLDOMNode* node);
    void OnSelectionChanged();

    // Details
    void ShowDetails();
    void OnPropertySelected();
    void ApplyValue();
    void UpdateOutline();

    // Find, picker, script
    void Find(bool forward);
    void CollectMatches(IHTMLDOMNode* node, IHTMLDocument2* document, Chain& chain, FindMode mode,
                        const std::wstring& query, std::vector<Chain>& matches);
    void SetPicking(bool on);
    void OnPageClick(DISPPARAMS& params, VARIANT* result);
    void RunScript();
    void SetStatus(const std::wstring& text);

    HWND PageWindow() const;
    ComPtr<IHTMLDocument2> TopDocument() const;

    HWND window_ = nullptr;
    HWND mainWindow_ = nullptr;
    HMODULE urlmon_ = nullptr;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<IHTMLDocument2> shownDocument_; // the document the tree was read from
    EventConnection browserEvents_;
    EventConnection pageClicks_;
    ElementOutline outline_;
    UniqueGdiObject font_;
    int dpi_ = 96;

    HWND tree_ = nullptr;
    HWND properties_ = nullptr;
    HWND value_ = nullptr;
    HWND outerHtml_ = nullptr;
    HWND findMode_ = nullptr;
    HWND findText_ = nullptr;
    HWND script_ = nullptr;
    HWND status_ = nullptr;
    HWND pick_ = nullptr;
    HWND tips_ = nullptr;

    std::vector<Entry> entries_;
    std::vector<PropertyRow> rows_;
    std::vector<Chain> matches_;
    std::wstring matchesFor_;
    size_t match_ = static_cast<size_t>(-1);
};

} // namespace movalent::devtools
