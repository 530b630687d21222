#include "framework/DispatchObject.h"

#include <algorithm>

namespace movalent {

void DispatchObject::AddMethod(const std::wstring& name, DISPID id, Method method) {
    members_.push_back({name, id, std::move(method)});
}

void DispatchObject::AnswerInterface(const IID& iid) {
    interfaces_.push_back(iid);
}

IDispatch* DispatchObject::GetIDispatch(bool addRef) {
    if (addRef)
        AddRef();
    return this;
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** result) {
    if (!result)
        return E_POINTER;
    bool known = iid == IID_IUnknown || iid == IID_IDispatch ||
                 std::find(interfaces_.begin(), interfaces_.end(), iid) != interfaces_.end();
    if (!known) {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    *result = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Only the member's own name is known; arguments have no names here.
        if (i > 0 || !names[i]) {
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        auto found = std::find_if(members_.begin(), members_.end(), [&](const Member& member) {
            return ::CompareStringOrdinal(member.name.c_str(), -1, names[i], -1, TRUE) == CSTR_EQUAL;
        });
        if (found == members_.end())
            hr = DISP_E_UNKNOWNNAME;
        else
            ids[i] = found->id;
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    auto found = std::find_if(members_.begin(), members_.end(),
                              [id](const Member& member) { return member.id == id; });
    if (found == members_.end())
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (result)
        ::VariantInit(result);
    // A copy, so a member that changes the table while it runs does not pull its own code away.
    Method method = found->method;
    return method(params ? *params : none, result);
}

} // namespace movalent
