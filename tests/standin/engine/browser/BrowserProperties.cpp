// IWebBrowser2's properties: what the page is, where the control sits, and the settings a host may store in
// it.
#include "standin/engine/browser/BrowserControl.h"

namespace movalent::standin {
namespace {

HRESULT ReturnBool(VARIANT_BOOL value, VARIANT_BOOL* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT ReturnObject(IDispatch* object, IDispatch** out) {
    if (out == nullptr)
        return E_POINTER;
    *out = object;
    if (object != nullptr)
        object->AddRef();
    return S_OK;
}

VARIANT_BOOL Normalised(VARIANT_BOOL value) {
    return value != VARIANT_FALSE ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT CBrowserControl::get_Application(IDispatch** value) {
    return ReturnObject(Self(), value);
}

HRESULT CBrowserControl::get_Parent(IDispatch** value) {
    if (value == nullptr)
        return E_POINTER;
    *value = nullptr;
    // The automation object of the host's container, when it has one; the control itself otherwise.
    ComPtr<IOleContainer> container;
    if (site_ && SUCCEEDED(site_->GetContainer(container.put())) && container) {
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(container.As(dispatch)) && dispatch) {
            *value = dispatch.detach();
            return S_OK;
        }
    }
    return ReturnObject(Self(), value);
}

HRESULT CBrowserControl::get_Container(IDispatch** value) {
    return ReturnObject(nullptr, value);
}

HRESULT CBrowserControl::get_Document(IDispatch** value) {
    return ReturnObject(page_.present ? page_.top.document.get() : nullptr, value);
}

HRESULT CBrowserControl::get_TopLevelContainer(VARIANT_BOOL* value) {
    return ReturnBool(VARIANT_TRUE, value);
}

HRESULT CBrowserControl::get_Type(BSTR* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = nullptr;
    if (!page_.present || !page_.top.document)
        return E_FAIL;
    return ReturnBstr(L"HTML Document", value);
}

HRESULT CBrowserControl::get_Left(LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = position_.left;
    return S_OK;
}

HRESULT CBrowserControl::get_Top(LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = position_.top;
    return S_OK;
}

HRESULT CBrowserControl::get_Width(LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = position_.right - position_.left;
    return S_OK;
}

HRESULT CBrowserControl::get_Height(LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = position_.bottom - position_.top;
    return S_OK;
}

HRESULT CBrowserControl::put_Left(LONG value) {
    RECT moved = position_;
    OffsetRect(&moved, value - position_.left, 0);
    return SetObjectRects(&moved, &moved);
}

HRESULT CBrowserControl::put_Top(LONG value) {
    RECT moved = position_;
    OffsetRect(&moved, 0, value - position_.top);
    return SetObjectRects(&moved, &moved);
}

HRESULT CBrowserControl::put_Width(LONG value) {
    if (value < 0)
        return E_INVALIDARG;
    RECT moved = position_;
    moved.right = moved.left + value;
    return SetObjectRects(&moved, &moved);
}

HRESULT CBrowserControl::put_Height(LONG value) {
    if (value < 0)
        return E_INVALIDARG;
    RECT moved = position_;
    moved.bottom = moved.top + value;
    return SetObjectRects(&moved, &moved);
}

HRESULT CBrowserControl::get_LocationName(BSTR* value) {
    if (!page_.present)
        return ReturnBstr(L"", value);
    return ReturnBstr(page_.top.title.empty() ? std::wstring_view(page_.top.url)
                                              : std::wstring_view(page_.top.title),
                      value);
}

HRESULT CBrowserControl::get_LocationURL(BSTR* value) {
    return ReturnBstr(page_.present ? std::wstring_view(page_.top.url) : std::wstring_view{}, value);
}

HRESULT CBrowserControl::get_Busy(VARIANT_BOOL* value) {
    return ReturnBool(pending_ || refreshing_ ? VARIANT_TRUE : VARIANT_FALSE, value);
}

HRESULT CBrowserControl::get_ReadyState(READYSTATE* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = readyState_;
    return S_OK;
}

HRESULT CBrowserControl::ClientToWindow(int* width, int* height) {
    return width != nullptr && height != nullptr ? S_OK : E_POINTER;
}

HRESULT CBrowserControl::PutProperty(BSTR name, VARIANT value) {
    try {
        UniqueVariant& stored = properties_.try_emplace(FromBstr(name)).first->second;
        ::VariantClear(&stored);
        return ::VariantCopy(&stored, &value);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CBrowserControl::GetProperty(BSTR name, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    return NoThrow([&] {
        const auto found = properties_.find(FromBstr(name));
        if (found == properties_.end())
            return S_OK; // an empty variant, as for a property never put
        return ::VariantCopy(value, &found->second);
    });
}

HRESULT CBrowserControl::get_Name(BSTR* value) {
    return ReturnBstr(L"Stand-in WebBrowser Control", value);
}

HRESULT CBrowserControl::get_HWND(SHANDLE_PTR* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = reinterpret_cast<SHANDLE_PTR>(pageWindow_);
    return pageWindow_ != nullptr ? S_OK : E_FAIL;
}

HRESULT CBrowserControl::get_FullName(BSTR* value) {
    return ReturnBstr(ThisModulePath(), value);
}

HRESULT CBrowserControl::get_Path(BSTR* value) {
    const std::wstring_view path = ThisModulePath();
    return ReturnBstr(path.substr(0, path.find_last_of(L"\\/") + 1), value);
}

HRESULT CBrowserControl::get_Visible(VARIANT_BOOL* value) {
    return ReturnBool(visible_, value);
}
HRESULT CBrowserControl::put_Visible(VARIANT_BOOL value) {
    visible_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_StatusBar(VARIANT_BOOL* value) {
    return ReturnBool(statusBar_, value);
}
HRESULT CBrowserControl::put_StatusBar(VARIANT_BOOL value) {
    statusBar_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_StatusText(BSTR* value) {
    return ReturnBstr(statusText_, value);
}
HRESULT CBrowserControl::put_StatusText(BSTR value) {
    return NoThrow([&] {
        statusText_ = FromBstr(value);
        return S_OK;
    });
}
HRESULT CBrowserControl::get_ToolBar(int* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = toolBar_;
    return S_OK;
}
HRESULT CBrowserControl::put_ToolBar(int value) {
    toolBar_ = value;
    return S_OK;
}
HRESULT CBrowserControl::get_MenuBar(VARIANT_BOOL* value) {
    return ReturnBool(menuBar_, value);
}
HRESULT CBrowserControl::put_MenuBar(VARIANT_BOOL value) {
    menuBar_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_FullScreen(VARIANT_BOOL* value) {
    return ReturnBool(fullScreen_, value);
}
HRESULT CBrowserControl::put_FullScreen(VARIANT_BOOL value) {
    fullScreen_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_Offline(VARIANT_BOOL* value) {
    return ReturnBool(offline_, value);
}
HRESULT CBrowserControl::put_Offline(VARIANT_BOOL value) {
    offline_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_Silent(VARIANT_BOOL* value) {
    return ReturnBool(silent_, value);
}
HRESULT CBrowserControl::put_Silent(VARIANT_BOOL value) {
    silent_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_RegisterAsBrowser(VARIANT_BOOL* value) {
    return ReturnBool(registerAsBrowser_, value);
}
HRESULT CBrowserControl::put_RegisterAsBrowser(VARIANT_BOOL value) {
    registerAsBrowser_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_RegisterAsDropTarget(VARIANT_BOOL* value) {
    return ReturnBool(registerAsDropTarget_, value);
}
HRESULT CBrowserControl::put_RegisterAsDropTarget(VARIANT_BOOL value) {
    registerAsDropTarget_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_TheaterMode(VARIANT_BOOL* value) {
    return ReturnBool(theaterMode_, value);
}
HRESULT CBrowserControl::put_TheaterMode(VARIANT_BOOL value) {
    theaterMode_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_AddressBar(VARIANT_BOOL* value) {
    return ReturnBool(addressBar_, value);
}
HRESULT CBrowserControl::put_AddressBar(VARIANT_BOOL value) {
    addressBar_ = Normalised(value);
    return S_OK;
}
HRESULT CBrowserControl::get_Resizable(VARIANT_BOOL* value) {
    return ReturnBool(resizable_, value);
}
HRESULT CBrowserControl::put_Resizable(VARIANT_BOOL value) {
    resizable_ = Normalised(value);
    return S_OK;
}

} // namespace movalent::standin
