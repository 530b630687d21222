#include "tabs/CustomWindowExternal.h"

#include "app/VersionInfo.h"
#include "engine/EngineLoader.h"
#include "framework/MessageBox.h"

namespace movalent {

WindowExternalMap CCustomWindowExternal::CurrentMap() {
    std::optional<IEVERSION> threadVersion;
    if (const EngineRecord* engine = GetCurrentEngine())
        threadVersion = engine->version;
    // The installed engine is asked only when it decides: the registry read is not free.
    IEVERSION installed =
        threadVersion && *threadVersion != IE_DEFAULT ? *threadVersion : GetInstalledEngineVersion();
    return WindowExternalMapFor(ResolveExternalVersion(threadVersion, installed));
}

IDispatch* CCustomWindowExternal::GetIDispatch(bool addRef) {
    if (addRef)
        AddRef();
    return this;
}

HRESULT CCustomWindowExternal::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IDispatch) {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    *result = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG CCustomWindowExternal::AddRef() {
    return owner_ ? owner_->AddRef() : ++references_;
}

ULONG CCustomWindowExternal::Release() {
    return owner_ ? owner_->Release() : --references_;
}

HRESULT CCustomWindowExternal::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CCustomWindowExternal::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CCustomWindowExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    if (count == 0)
        return S_OK;
    WindowExternalMap map = CurrentMap();
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // The members take no named arguments, so only the member's own name can be known.
        std::optional<long> found = i == 0 && names[0] ? FindExternalMember(map, names[0]) : std::nullopt;
        if (found)
            ids[i] = *found;
        else
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT CCustomWindowExternal::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                      EXCEPINFO*, UINT*) {
    // A page's DISPID is only good for the map it was looked up in; it is checked against the map of now.
    const wchar_t* name = ExternalMemberName(CurrentMap(), id);
    if (!name)
        return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        ::VariantInit(result);
    // Not translated: the names are the page's own words.
    ShowMessageBox(nullptr, ExternalCallMessage(name), MB_OK);
    return S_OK;
}

} // namespace movalent
