#include "tabs/DialogWBContainerCustomControlSite.h"

#include "framework/ControlContainer.h"
#include "framework/UiThread.h"
#include "tabs/AcceleratorPost.h"
#include "tabs/DialogWBContainer.h"
#include "tabs/TabHost.h"

namespace movalent {

namespace {


// The window keys are translated against: the thread's own main window, or on a browser thread, which has
// none, the application's.
HWND AcceleratorWindow() {
    if (UiThread* thread = UiThread::Current())
        return thread->MainWindowHandle();
    return ::GetActiveWindow();
}

} // namespace

CDialogWBContainerCustomControlSite::CDialogWBContainerCustomControlSite(ControlContainer& container)
    : OleControlSite(container), external_(static_cast<IOleClientSite*>(this)) {}

TabHost* CDialogWBContainerCustomControlSite::Host() const {
    ControlContainer* container = Container();
    auto* browserContainer = container ? dynamic_cast<CDialogWBContainer*>(&container->Owner()) : nullptr;
    return browserContainer ? browserContainer->host_ : nullptr;
}

HRESULT CDialogWBContainerCustomControlSite::QueryMoreInterfaces(REFIID iid, void** result) {
    if (iid == IID_IDocHostUIHandler) {
        *result = static_cast<IDocHostUIHandler*>(&handler_);
        handler_.AddRef();
        return S_OK;
    }
    return OleControlSite::QueryMoreInterfaces(iid, result);
}

// The handler is a part of the site: one identity, one reference count.

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    if (iid == IID_IDocHostUIHandler) {
        *result = static_cast<IDocHostUIHandler*>(this);
        AddRef();
        return S_OK;
    }
    return site_.QueryInterface(iid, result);
}

ULONG CDialogWBContainerCustomControlSite::XDocHostUIHandler::AddRef() {
    return site_.AddRef();
}

ULONG CDialogWBContainerCustomControlSite::XDocHostUIHandler::Release() {
    return site_.Release();
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*,
                                                                                IDispatch*) {
    return S_FALSE; // the engine shows its own
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    info->dwFlags = kHostFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*,
                                                                       IOleCommandTarget*, IOleInPlaceFrame*,
                                                                       IOleInPlaceUIWindow*) {
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::HideUI() {
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::UpdateUI() {
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::OnDocWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::OnFrameWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*,
                                                                             BOOL) {
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::TranslateAccelerator(LPMSG msg, const GUID*,
                                                                                     DWORD) {
    TabHost* host = site_.Host();
    HACCEL table = host ? host->Accelerators() : nullptr;
    HWND window = AcceleratorWindow();
    if (msg && TranslateAcceleratorForWindow(window, table, *msg))
        return S_OK; // the engine drops the key
    return S_FALSE;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key)
        *key = nullptr;
    return E_NOTIMPL;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::GetDropTarget(IDropTarget*,
                                                                              IDropTarget** target) {
    if (target)
        *target = nullptr;
    return E_NOTIMPL;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::GetExternal(IDispatch** external) {
    // Asked at every request, so a change in the options acts on the next page that asks.
    if (TabHost* host = site_.Host(); host && host->WindowExternalDisabled())
        return S_FALSE; // the out pointer stays as the engine passed it
    if (!external)
        return E_INVALIDARG;
    *external = site_.external_.GetIDispatch(true);
    return S_OK;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::TranslateUrl(DWORD, LPWSTR,
                                                                             LPWSTR* translated) {
    if (translated)
        *translated = nullptr;
    return E_NOTIMPL;
}

HRESULT CDialogWBContainerCustomControlSite::XDocHostUIHandler::FilterDataObject(IDataObject*,
                                                                                 IDataObject** filtered) {
    if (filtered)
        *filtered = nullptr;
    return E_NOTIMPL;
}

} // namespace movalent
