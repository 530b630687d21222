#include "framework/OleControlSite.h"

#include "framework/ConnectionPoints.h"
#include "framework/ControlContainer.h"
#include "framework/Handles.h"
#include "framework/Window.h"

#include <olectl.h>

namespace movalent {

namespace {

constexpr int kHimetricPerInch = 2540;

int PixelsPerInch(bool horizontal) {
    WindowDc screen(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen.get(), horizontal ? LOGPIXELSX : LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

SIZEL HimetricFromPixels(LONG width, LONG height) {
    return {::MulDiv(width, kHimetricPerInch, PixelsPerInch(true)),
            ::MulDiv(height, kHimetricPerInch, PixelsPerInch(false))};
}

// The events a control fires by default, as its class information names them.
IID DefaultEventInterface(IUnknown* control) {
    ComPtr<IProvideClassInfo2> info2;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, info2.put_void())) && info2) {
        IID iid = GUID_NULL;
        if (SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid)) && iid != GUID_NULL)
            return iid;
    }
    ComPtr<IProvideClassInfo> info;
    if (FAILED(control->QueryInterface(IID_IProvideClassInfo, info.put_void())) || !info)
        return GUID_NULL;
    ComPtr<ITypeInfo> classInfo;
    if (FAILED(info->GetClassInfo(classInfo.put())) || !classInfo)
        return GUID_NULL;
    TYPEATTR* classAttr = nullptr;
    if (FAILED(classInfo->GetTypeAttr(&classAttr)) || !classAttr)
        return GUID_NULL;
    IID found = GUID_NULL;
    for (UINT i = 0; i < classAttr->cImplTypes && found == GUID_NULL; ++i) {
        INT flags = 0;
        if (FAILED(classInfo->GetImplTypeFlags(i, &flags)) ||
            (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) !=
                (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> events;
        if (FAILED(classInfo->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(classInfo->GetRefTypeInfo(ref, events.put())))
            continue;
        TYPEATTR* eventsAttr = nullptr;
        if (SUCCEEDED(events->GetTypeAttr(&eventsAttr)) && eventsAttr) {
            found = eventsAttr->guid;
            events->ReleaseTypeAttr(eventsAttr);
        }
    }
    classInfo->ReleaseTypeAttr(classAttr);
    return found;
}

} // namespace

OleControlSite::OleControlSite(ControlContainer& container) : container_(&container) {}

OleControlSite::~OleControlSite() {
    ReleaseControl();
}

HWND OleControlSite::ContainerWindow() const {
    return container_ ? container_->Owner().Handle() : nullptr;
}

HRESULT OleControlSite::CreateControl(REFCLSID clsid, int id, const RECT& rect, DWORD style,
                                      HWND insertAfter) {
    HWND parent = ContainerWindow();
    if (!parent || control_)
        return E_UNEXPECTED;
    id_ = id;
    rect_ = rect;
    // Through the class object, as containers do (a licensed class would need IClassFactory2 there).
    ComPtr<IClassFactory> factory;
    HRESULT hr =
        ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    if (SUCCEEDED(hr) && factory)
        hr = factory->CreateInstance(nullptr, IID_IUnknown, control_.put_void());
    else if (SUCCEEDED(hr))
        hr = E_NOINTERFACE;
    if (FAILED(hr) || !control_) {
        control_.reset();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    hr = control_->QueryInterface(IID_IOleObject, object_.put_void());
    if (FAILED(hr) || !object_) {
        object_.reset();
        ReleaseControl();
        return E_NOINTERFACE;
    }

    // Some controls need their site before they are initialised, the rest after.
    DWORD misc = 0;
    object_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst)
        object_->SetClientSite(this);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control_->QueryInterface(IID_IPersistStreamInit, persist.put_void())) && persist)
        persist->InitNew();
    if (!siteFirst)
        object_->SetClientSite(this);

    ConnectEvents();

    SIZEL extent = HimetricFromPixels(rect.right - rect.left, rect.bottom - rect.top);
    object_->SetExtent(DVASPECT_CONTENT, &extent);
    RECT position = rect;
    hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent, &position);
    if (FAILED(hr)) {
        DestroyControl();
        return hr;
    }
    if (!inPlaceObject_)
        control_->QueryInterface(IID_IOleInPlaceObject, inPlaceObject_.put_void());

    if (HWND window = ControlWindow()) {
        ::SetWindowLongPtrW(window, GWLP_ID, id);
        if (insertAfter)
            ::SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (style & WS_TABSTOP)
            ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | WS_TABSTOP);
    }
    if (style & WS_VISIBLE) {
        position = rect_;
        object_->DoVerb(OLEIVERB_SHOW, nullptr, this, 0, parent, &position);
    } else if (HWND window = ControlWindow()) {
        ::ShowWindow(window, SW_HIDE);
    }
    return S_OK;
}

void OleControlSite::DestroyControl() {
    // The control may call back while it goes; the site must outlive this call.
    AddRef();
    DisconnectEvents();
    if (inPlaceObject_) {
        if (uiActive_)
            inPlaceObject_->UIDeactivate();
        if (inPlaceActive_)
            inPlaceObject_->InPlaceDeactivate();
    }
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
    ReleaseControl();
    container_ = nullptr;
    Release();
}

void OleControlSite::ReleaseControl() {
    activeObject_.reset();
    inPlaceObject_.reset();
    object_.reset();
    control_.reset();
}

HWND OleControlSite::ControlWindow() const {
    if (!inPlaceObject_ && !control_)
        return nullptr;
    HWND window = nullptr;
    if (inPlaceObject_) {
        if (FAILED(inPlaceObject_->GetWindow(&window)))
            window = nullptr;
    } else {
        ComPtr<IOleWindow> oleWindow;
        if (SUCCEEDED(control_->QueryInterface(IID_IOleWindow, oleWindow.put_void())) && oleWindow &&
            FAILED(oleWindow->GetWindow(&window)))
            window = nullptr;
    }
    return window && ::IsWindow(window) ? window : nullptr;
}

HRESULT OleControlSite::SetObjectRects(const RECT& rect) {
    rect_ = rect;
    if (!inPlaceObject_) {
        if (HWND window = ControlWindow())
            ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        return S_FALSE;
    }
    RECT position = rect;
    RECT clip = rect;
    return inPlaceObject_->SetObjectRects(&position, &clip);
}

bool OleControlSite::TranslateAccelerator(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    ComPtr<IOleInPlaceActiveObject> active(activeObject_);
    if (!active && control_)
        control_->QueryInterface(IID_IOleInPlaceActiveObject, active.put_void());
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

void OleControlSite::ConnectEvents() {
    eventIid_ = DefaultEventInterface(control_.get());
    if (eventIid_ == GUID_NULL)
        return;
    if (FAILED(AdviseConnection(control_.get(), eventIid_, static_cast<IDispatch*>(&eventSink_), &eventCookie_)))
        eventCookie_ = 0;
}

void OleControlSite::DisconnectEvents() {
    if (eventCookie_ && control_)
        UnadviseConnection(control_.get(), eventIid_, eventCookie_);
    eventCookie_ = 0;
}

// IUnknown

HRESULT OleControlSite::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *result = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx)
        *result = static_cast<IOleInPlaceSiteEx*>(this);
    else if (iid == IID_IOleControlSite)
        *result = static_cast<IOleControlSite*>(this);
    else if (iid == IID_IDispatch)
        *result = static_cast<IDispatch*>(this);
    else
        return QueryMoreInterfaces(iid, result);
    AddRef();
    return S_OK;
}

HRESULT OleControlSite::QueryMoreInterfaces(REFIID, void** result) {
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG OleControlSite::AddRef() {
    return ++references_;
}

ULONG OleControlSite::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

// IOleClientSite

HRESULT OleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControlSite::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

// IOleWindow, IOleInPlaceSite(Ex)

HRESULT OleControlSite::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = ContainerWindow();
    return *window ? S_OK : E_FAIL;
}

HRESULT OleControlSite::CanInPlaceActivate() {
    return container_ ? S_OK : S_FALSE;
}

HRESULT OleControlSite::OnInPlaceActivate() {
    inPlaceActive_ = true;
    if (!inPlaceObject_ && control_)
        control_->QueryInterface(IID_IOleInPlaceObject, inPlaceObject_.put_void());
    return S_OK;
}

HRESULT OleControlSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
    if (noRedraw)
        *noRedraw = FALSE;
    return OnInPlaceActivate();
}

HRESULT OleControlSite::OnUIActivate() {
    uiActive_ = true;
    return S_OK;
}

HRESULT OleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                         LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    *frame = &frame_;
    frame_.AddRef();
    *document = nullptr;
    *position = rect_;
    *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = ContainerWindow();
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT OleControlSite::OnUIDeactivate(BOOL) {
    uiActive_ = false;
    return S_OK;
}

HRESULT OleControlSite::OnInPlaceDeactivate() {
    inPlaceActive_ = false;
    uiActive_ = false;
    activeObject_.reset();
    return S_OK;
}

HRESULT OleControlSite::OnInPlaceDeactivateEx(BOOL) {
    return OnInPlaceDeactivate();
}

HRESULT OleControlSite::DeactivateAndUndo() {
    if (inPlaceObject_)
        inPlaceObject_->UIDeactivate();
    return S_OK;
}

HRESULT OleControlSite::OnPosRectChange(LPCRECT rect) {
    if (!rect)
        return E_POINTER;
    SetObjectRects(*rect);
    return S_OK;
}

// IOleControlSite

HRESULT OleControlSite::GetExtendedControl(IDispatch** control) {
    if (control)
        *control = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControlSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container)
        return E_POINTER;
    const float xPerInch = static_cast<float>(PixelsPerInch(true));
    const float yPerInch = static_cast<float>(PixelsPerInch(false));
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = himetric->x * xPerInch / kHimetricPerInch;
        container->y = himetric->y * yPerInch / kHimetricPerInch;
    } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        himetric->x = static_cast<LONG>(container->x * kHimetricPerInch / xPerInch);
        himetric->y = static_cast<LONG>(container->y * kHimetricPerInch / yPerInch);
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

// IDispatch: ambient properties

HRESULT OleControlSite::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT OleControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT OleControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                               UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    UniqueVariant value;
    HRESULT hr = GetAmbientProperty(id, &value);
    if (FAILED(hr))
        return hr;
    if (result)
        *result = value.release();
    return S_OK;
}

HRESULT OleControlSite::GetAmbientProperty(DISPID id, VARIANT* value) {
    auto boolean = [value](bool on) {
        value->vt = VT_BOOL;
        value->boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    };
    auto integer = [value](LONG number) {
        value->vt = VT_I4;
        value->lVal = number;
        return S_OK;
    };
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        return boolean(true);
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
        return boolean(false);
    case DISPID_AMBIENT_LOCALEID:
        return integer(static_cast<LONG>(::GetUserDefaultLCID()));
    case DISPID_AMBIENT_BACKCOLOR:
        return integer(static_cast<LONG>(::GetSysColor(COLOR_WINDOW)));
    case DISPID_AMBIENT_FORECOLOR:
        return integer(static_cast<LONG>(::GetSysColor(COLOR_WINDOWTEXT)));
    case DISPID_AMBIENT_APPEARANCE:
        return integer(1); // three-dimensional
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// The in-place frame

HRESULT OleControlSite::Frame::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
        iid == IID_IOleInPlaceFrame) {
        *result = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT OleControlSite::Frame::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    site_.activeObject_ = object;
    return S_OK;
}

// The event sink

HRESULT OleControlSite::EventSink::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || (iid == site_.eventIid_ && iid != GUID_NULL)) {
        *result = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT OleControlSite::EventSink::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT OleControlSite::EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControlSite::EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT OleControlSite::EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO*, UINT*) {
    if (result)
        ::VariantInit(result);
    // A handler may destroy the control, and with it the container's reference to this site.
    ComPtr<OleControlSite> keep(&site_);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (ControlContainer* container = site_.container_)
        container->FireEvent(site_.id_, id, params ? *params : none);
    return S_OK;
}

} // namespace movalent
