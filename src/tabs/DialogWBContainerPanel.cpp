// The developer-tools panel of a tab's container: created on first use, shown and hidden as a column left of
// the page, and asked to show the page's source.
#include "app/InternalMessages.h"
#include "app/MakerAddresses.h"
#include "app/VersionInfo.h"
#include "engine/EngineLoader.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ResourceStrings.h"
#include "framework/ShellOpen.h"
#include "resource.h"
#include "tabs/DialogWBContainer.h"
#include "tabs/TabHost.h"

#include <exdisp.h>

namespace movalent {

namespace {

// The panel is missing or unusable: the user may go and get the current one.
void OfferPanelDownload(HWND owner, unsigned textId) {
    if (ShowMessageBox(owner, FrameworkString(textId), MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        ShellOpen(FennimoxDownloadPage());
}

} // namespace

bool CDialogWBContainer::CreateFennimoxPanel() {
    ComPtr<IWebBrowser2> browser =
        ComPtr<IWebBrowser2>::Attach(m_browser.Query<IWebBrowser2>(IID_IWebBrowser2));
    if (!browser)
        return false;

    // The panel is told the engine the page really runs on; Default IE is the installed one.
    const EngineRecord* engine = GetCurrentEngine();
    IEVERSION version = engine ? engine->version : IE_DEFAULT;
    if (version == IE_DEFAULT)
        version = GetInstalledEngineVersion();
    HMODULE urlmon = engine ? engine->hUrlmon : nullptr;

    ComPtr<IDispatch> object;
    if (FAILED(::CoCreateInstance(CLSID_FennimoxPanel, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  object.put_void())) ||
        !object) {
        OfferPanelDownload(Handle(), IDS_FENNIMOX_NOT_FOUND);
        return false;
    }

    // Both interfaces or neither: a half-held panel would be taken for a created one next time.
    object->QueryInterface(IID_IFennimoxPanel, m_pPanel.put_void());
    object->QueryInterface(IID_IDockingWindow, m_pPanelDockingWindow.put_void());
    if (!m_pPanel || !m_pPanelDockingWindow) {
        m_pPanel.reset();
        m_pPanelDockingWindow.reset();
        OfferPanelDownload(Handle(), IDS_FENNIMOX_TOO_OLD);
        return false;
    }

    UniqueBstr title;
    if (FAILED(m_pPanel->Init(Handle(), browser.get(), version, title.put()))) {
        // Let go, so the next toggle or view-source tries a fresh panel instead of using one that never
        // started.
        m_pPanel.reset();
        m_pPanelDockingWindow.reset();
        ShowMessageBox(Handle(), FrameworkString(IDS_FENNIMOX_INIT_FAILED), MB_ICONERROR);
        return false;
    }

    m_strPanelTitle = title ? std::wstring(title.get(), ::SysStringLen(title.get())) : std::wstring();
    if (m_panelTitle.Handle())
        m_panelTitle.SetText(L"  " + m_strPanelTitle);
    HWND panelWindow = nullptr;
    m_hPanelWnd = SUCCEEDED(m_pPanelDockingWindow->GetWindow(&panelWindow)) ? panelWindow : nullptr;
    m_pPanel->SetMainWindow(host_ ? host_->MainWindow() : nullptr);
    m_pPanel->SetUrlmonModule(urlmon);
    m_pPanel->Run();
    return true;
}

void CDialogWBContainer::ToggleFennimoxPanel() {
    if (m_bPanelShown) {
        m_bPanelShown = false;
        m_pPanelDockingWindow->ShowDW(FALSE);
        for (Window* part :
             {static_cast<Window*>(&m_splitter), static_cast<Window*>(&m_closeButton), &m_panelTitle})
            if (part->Handle())
                ::ShowWindow(part->Handle(), SW_HIDE);
    } else {
        if (!m_pPanel && !CreateFennimoxPanel())
            return;
        m_bPanelShown = true;
        m_pPanelDockingWindow->ShowDW(TRUE);
        for (Window* part :
             {static_cast<Window*>(&m_splitter), static_cast<Window*>(&m_closeButton), &m_panelTitle})
            if (part->Handle())
                ::ShowWindow(part->Handle(), SW_SHOW);
        if (host_)
            m_splitter.position = host_->PanelWidth();
    }
    LayoutChildren();
    PostToView(kMsgPanelShown, m_bPanelShown ? 1 : 0, 0);
}

} // namespace movalent
