#include "standin/engine/browser/FrameBrowser.h"

#include <new>

namespace movalent::standin {

CFrameBrowser* CFrameBrowser::Create(IDispatch* topLevel) {
    return new (std::nothrow) CFrameBrowser(topLevel);
}

void CFrameBrowser::SetPage(const std::wstring& url, const std::wstring& locationName, IDispatch* document) {
    url_ = url;
    locationName_ = locationName;
    document_ = document;
}

HRESULT CFrameBrowser::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2)) {
        *result = static_cast<IWebBrowser2*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG CFrameBrowser::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CFrameBrowser::get_Application(IDispatch** value) {
    if (value == nullptr)
        return E_POINTER;
    *value = topLevel_;
    if (topLevel_ == nullptr)
        return E_FAIL;
    topLevel_->AddRef();
    return S_OK;
}

HRESULT CFrameBrowser::get_Parent(IDispatch** value) {
    return get_Application(value);
}

HRESULT CFrameBrowser::get_Document(IDispatch** value) {
    if (value == nullptr)
        return E_POINTER;
    *value = document_.get();
    if (*value != nullptr)
        (*value)->AddRef();
    return S_OK;
}

HRESULT CFrameBrowser::get_TopLevelContainer(VARIANT_BOOL* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = VARIANT_FALSE;
    return S_OK;
}

HRESULT CFrameBrowser::get_Type(BSTR* value) {
    return ReturnBstr(L"HTML Document", value);
}

HRESULT CFrameBrowser::get_LocationName(BSTR* value) {
    return ReturnBstr(locationName_, value);
}

HRESULT CFrameBrowser::get_LocationURL(BSTR* value) {
    return ReturnBstr(url_, value);
}

HRESULT CFrameBrowser::get_Busy(VARIANT_BOOL* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = VARIANT_FALSE;
    return S_OK;
}

HRESULT CFrameBrowser::get_ReadyState(READYSTATE* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = document_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    return S_OK;
}

} // namespace movalent::standin
