// How a host embeds the control: client site, in-place activation in the host's window, persistence, and the
// class information that names its default event interface.
#include "standin/engine/browser/BrowserControl.h"

#include <exdisp.h>
#include <olectl.h>

namespace movalent::standin {

HRESULT CBrowserControl::SetClientSite(IOleClientSite* site) {
    site_ = site;
    return S_OK;
}

HRESULT CBrowserControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr)
        return E_POINTER;
    *site = site_.get();
    if (*site != nullptr)
        (*site)->AddRef();
    return S_OK;
}

HRESULT CBrowserControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT CBrowserControl::Close(DWORD) {
    // Whatever was under way ends here without events: the host is taking the control down.
    ++navigation_;
    pending_.reset();
    refreshing_ = false;
    InPlaceDeactivate();
    if (stepsWindow_ != nullptr) {
        const HWND steps = stepsWindow_;
        ::DestroyWindow(steps);
        stepsWindow_ = nullptr;
    }
    DropFrames();
    page_.top.document.reset();
    if (adviseHolder_)
        adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT CBrowserControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT CBrowserControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT CBrowserControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
    if (site != nullptr && !site_)
        site_ = site;
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(false, parent, position);
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(true, parent, position);
    case OLEIVERB_HIDE:
        if (pageWindow_ != nullptr)
            ::ShowWindow(pageWindow_, SW_HIDE);
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    default:
        return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT CBrowserControl::InPlaceActivate(bool uiActivate, HWND parentHint, LPCRECT positionHint) {
    if (closed_)
        return E_UNEXPECTED;
    if (!site_)
        return E_UNEXPECTED;
    if (!inPlaceSite_) {
        ComPtr<IOleInPlaceSite> site;
        if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, site.put_void())) || !site) {
            site.detach();
            return E_NOINTERFACE;
        }
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        site->OnInPlaceActivate();
        inPlaceSite_ = site;
    }

    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    const bool haveContext =
        SUCCEEDED(inPlaceSite_->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo));
    if (!haveContext) {
        frame.detach();
        document.detach();
    }

    if (pageWindow_ == nullptr) {
        HWND parent = nullptr;
        if (FAILED(inPlaceSite_->GetWindow(&parent)) || parent == nullptr)
            parent = parentHint;
        if (haveContext)
            position_ = position;
        else if (positionHint != nullptr)
            position_ = *positionHint;
        pageWindow_ = CreatePageWindow(*this, parent, position_);
        if (pageWindow_ == nullptr)
            return E_FAIL;
        PageChanged();
    }
    ::ShowWindow(pageWindow_, SW_SHOWNA);

    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        auto* active = static_cast<IOleInPlaceActiveObject*>(this);
        if (frame)
            frame->SetActiveObject(active, L"Stand-in WebBrowser");
        if (document)
            document->SetActiveObject(active, L"Stand-in WebBrowser");
        ::SetFocus(pageWindow_);
    }
    return S_OK;
}

HRESULT CBrowserControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr)
        *verbs = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControl::Update() {
    return S_OK;
}

HRESULT CBrowserControl::IsUpToDate() {
    return S_OK;
}

HRESULT CBrowserControl::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

HRESULT CBrowserControl::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr)
        *type = nullptr;
    return OLE_S_USEREG;
}

HRESULT CBrowserControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    extent_ = *size;
    return S_OK;
}

HRESULT CBrowserControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    *size = extent_;
    if ((extent_.cx == 0 || extent_.cy == 0) && pageWindow_ != nullptr) {
        // Pixels to HIMETRIC, at the screen's resolution.
        RECT client;
        ::GetClientRect(pageWindow_, &client);
        const HDC screen = ::GetDC(nullptr);
        size->cx = ::MulDiv(client.right, 2540, ::GetDeviceCaps(screen, LOGPIXELSX));
        size->cy = ::MulDiv(client.bottom, 2540, ::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
    }
    return S_OK;
}

HRESULT CBrowserControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (connection == nullptr)
        return E_POINTER;
    *connection = 0;
    if (!adviseHolder_ && FAILED(::CreateOleAdviseHolder(adviseHolder_.put()))) {
        adviseHolder_.detach();
        return E_OUTOFMEMORY;
    }
    return adviseHolder_->Advise(sink, connection);
}

HRESULT CBrowserControl::Unadvise(DWORD connection) {
    return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT CBrowserControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise == nullptr)
        return E_POINTER;
    *advise = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advise) : S_OK;
}

HRESULT CBrowserControl::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr)
        return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_RECOMPOSEONRESIZE |
              OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT;
    return S_OK;
}

HRESULT CBrowserControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

HRESULT CBrowserControl::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = pageWindow_;
    return pageWindow_ != nullptr ? S_OK : E_FAIL;
}

HRESULT CBrowserControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT CBrowserControl::InPlaceDeactivate() {
    if (!inPlaceSite_) {
        DestroyPageWindow();
        return S_OK;
    }
    UIDeactivate();
    DestroyPageWindow();
    const ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT CBrowserControl::UIDeactivate() {
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (!inPlaceSite_)
        return S_OK;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position, clip;
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    if (SUCCEEDED(
            inPlaceSite_->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo))) {
        if (frame)
            frame->SetActiveObject(nullptr, nullptr);
        if (document)
            document->SetActiveObject(nullptr, nullptr);
    } else {
        frame.detach();
        document.detach();
    }
    inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT CBrowserControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr)
        return E_POINTER;
    position_ = *position;
    if (pageWindow_ != nullptr)
        ::MoveWindow(pageWindow_, position_.left, position_.top, position_.right - position_.left,
                     position_.bottom - position_.top, TRUE);
    return S_OK;
}

HRESULT CBrowserControl::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT CBrowserControl::TranslateAccelerator(LPMSG) {
    return S_FALSE; // no keys of its own
}

HRESULT CBrowserControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT CBrowserControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT CBrowserControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT CBrowserControl::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT CBrowserControl::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT CBrowserControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

HRESULT CBrowserControl::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

HRESULT CBrowserControl::FreezeEvents(BOOL) {
    return S_OK;
}

HRESULT CBrowserControl::GetClassID(CLSID* clsid) {
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT CBrowserControl::IsDirty() {
    return S_FALSE;
}

HRESULT CBrowserControl::Load(LPSTREAM stream) {
    return stream != nullptr ? S_OK : E_POINTER;
}

HRESULT CBrowserControl::Save(LPSTREAM stream, BOOL) {
    return stream != nullptr ? S_OK : E_POINTER;
}

HRESULT CBrowserControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr)
        return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

HRESULT CBrowserControl::InitNew() {
    return S_OK;
}

HRESULT CBrowserControl::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL; // no type library: hosts find the event interface through GetGUID
}

HRESULT CBrowserControl::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID_DWebBrowserEvents2;
    return S_OK;
}

HRESULT CBrowserControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT CBrowserControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr)
        return E_POINTER;
    *point = nullptr;
    if (IsEqualIID(iid, DIID_DWebBrowserEvents2))
        *point = &events2_;
    else if (IsEqualIID(iid, DIID_DWebBrowserEvents))
        *point = &events1_;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

} // namespace movalent::standin
