#pragma once
// The window that holds one tab's live page, on the tab's browser thread: the WebBrowser control, the tab's
// own address box above it, and room for the developer-tools panel on the left. It carries out the commands
// the view forwards, and reports what the browser does to the view by posted messages (heap strings change
// owner with a successful post).
#include "framework/DispatchObject.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "tabs/DialogFMX.h"
#include "tabs/Explorer1.h"
#include "devtools/FennimoxPanel.h"
#include "tabs/HoverButton.h"
#include "tabs/VerticalSplitter.h"

#include <oaidl.h>

#include <string>

namespace movalent {

class TabHost;

class CDialogWBContainer : public CDialogFMX {
public:
    CDialogWBContainer();
    ~CDialogWBContainer() override;

    // The first address when the start URL is empty.
    static constexpr const wchar_t* kBlankPage = L"about:blank";

    DWORD m_dwEventCookie = 0;    // the old event interface's connection; 0 = not connected
    HWND m_hBrowserWnd = nullptr; // the control's window, captured at initialisation
    bool m_bClosing = false;
    bool m_bPanelShown = false;
    HWND m_hPanelWnd = nullptr;
    ComPtr<IFennimoxPanel> m_pPanel;
    ComPtr<IDockingWindow> m_pPanelDockingWindow;
    std::wstring m_strPanelTitle;
    CVerticalSplitter m_splitter; // its position is the panel width
    CExplorer1 m_browser;
    HWND m_hViewWnd = nullptr;  // every notification goes here; set before creation
    TabHost* host_ = nullptr;   // the program around the tab; set before creation
    std::wstring m_strStartUrl; // set before creation
    int m_nZoom = 100;
    Window m_addressBox;
    CHoverButton m_closeButton;
    Window m_panelTitle;

    // Selects the address in the box, adding it at the top when the box does not list it yet.
    void ShowAddressInBox(const std::wstring& address);
    // Places the address box, the browser and, while shown, the panel column; nothing before the box exists.
    void LayoutChildren();
    void ToggleFennimoxPanel();
    bool CreateFennimoxPanel();

    bool SetSplitterPercent(int splitterId, int percent) override;
    bool GetSplitterBounds(int splitterId, RECT& rect, RECT& bounds) override;

    // Lets go of the panel and the old event connection, then destroys the window (and so the control).
    bool DestroyWindow() override;

    // The container's own IDispatch, the sink of the browser's old event interface.
    IDispatch* GetIDispatch(bool addRef) { return automation_.GetIDispatch(addRef); }
    // The edit field inside the address box.
    HWND AddressEdit() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void DoDataExchange(DataExchange& dx) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RegisterCommands();
    void RegisterEvents();
    void ConnectBrowser();
    void Navigate(const std::wstring& url);
    // 9221: navigates to the owned string and frees it; 1 as the message's result.
    LRESULT OnNavigateMessage(WPARAM wParam);
    LRESULT OnApplyZoom(int percent);
    // kMsgCapturePage: sizes the browser to the picture and posts the picture to the view.
    void OnCapturePage(int width, uint32_t heightAndFlags);
    void SizeBrowserTo(int width, int height);
    void OnParentNotify(WPARAM wParam, LPARAM lParam);
    bool IsTopLevel(DISPPARAMS& params) const;
    // The current document when it is an HTML document and the zoom is not 100 %: the zoom is applied again.
    void ReapplyZoom();
    bool ApplyZoom(IDispatch* document, int percent, bool inFrame);
    void PrintCommand(DWORD command);
    void TextSize(long level);
    void FocusAddressBox();
    void PostToView(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Browser events.
    void OnNavigationAddress(DISPPARAMS& params);
    void OnDocumentComplete(DISPPARAMS& params);
    void OnNavigateError(DISPPARAMS& params);
    void OnStatusTextChange(DISPPARAMS& params);
    void OnTitleChange(DISPPARAMS& params);
    void OnProgressChange(DISPPARAMS& params);
    HRESULT OnNewWindow(DISPPARAMS& params);

    static LRESULT CALLBACK AddressEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR container);

    DispatchObject automation_;
};

} // namespace movalent
