#include "standin/engine/browser/DispatchArguments.h"

namespace movalent::standin {

bool DispatchArguments::HasUnsupportedNames() const {
    if (params_ == nullptr || params_->cNamedArgs == 0)
        return false;
    return !(params_->cNamedArgs == 1 && params_->rgdispidNamedArgs != nullptr &&
             params_->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT);
}

VARIANT* DispatchArguments::At(UINT position) const {
    if (params_ == nullptr || position >= params_->cArgs || params_->rgvarg == nullptr)
        return nullptr;
    VARIANT* value = &params_->rgvarg[params_->cArgs - 1 - position];
    if (V_VT(value) == (VT_BYREF | VT_VARIANT))
        value = V_VARIANTREF(value);
    if (value == nullptr || (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND))
        return nullptr;
    return value;
}

HRESULT DispatchArguments::Convert(VARIANT* value, UINT position, VARTYPE type, VARIANT& out) const {
    if (value == nullptr) {
        if (argError_ != nullptr)
            *argError_ = position;
        return DISP_E_PARAMNOTFOUND;
    }
    ::VariantInit(&out);
    HRESULT hr = ::VariantCopyInd(&out, value);
    if (SUCCEEDED(hr))
        hr = ::VariantChangeType(&out, &out, 0, type);
    if (FAILED(hr)) {
        ::VariantClear(&out);
        if (argError_ != nullptr)
            *argError_ = position;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT DispatchArguments::BstrValue(VARIANT* value, UINT position, UniqueBstr& out) const {
    VARIANT converted;
    const HRESULT hr = Convert(value, position, VT_BSTR, converted);
    if (SUCCEEDED(hr))
        out.reset(V_BSTR(&converted)); // taken over: not cleared
    return hr;
}

HRESULT DispatchArguments::LongValue(VARIANT* value, UINT position, LONG& out) const {
    VARIANT converted;
    const HRESULT hr = Convert(value, position, VT_I4, converted);
    if (SUCCEEDED(hr))
        out = V_I4(&converted);
    return hr;
}

HRESULT DispatchArguments::BoolValue(VARIANT* value, UINT position, VARIANT_BOOL& out) const {
    VARIANT converted;
    const HRESULT hr = Convert(value, position, VT_BOOL, converted);
    if (SUCCEEDED(hr))
        out = V_BOOL(&converted) ? VARIANT_TRUE : VARIANT_FALSE;
    return hr;
}

HRESULT DispatchArguments::Bstr(UINT position, UniqueBstr& out) const {
    return BstrValue(At(position), position, out);
}
HRESULT DispatchArguments::Long(UINT position, LONG& out) const {
    return LongValue(At(position), position, out);
}
HRESULT DispatchArguments::Bool(UINT position, VARIANT_BOOL& out) const {
    return BoolValue(At(position), position, out);
}

void SetResult(VARIANT* result, std::wstring_view text) {
    if (result == nullptr)
        return;
    ::VariantInit(result);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetResult(VARIANT* result, LONG value) {
    if (result == nullptr)
        return;
    ::VariantInit(result);
    V_VT(result) = VT_I4;
    V_I4(result) = value;
}

void SetBoolResult(VARIANT* result, VARIANT_BOOL value) {
    if (result == nullptr)
        return;
    ::VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = value;
}

void SetResult(VARIANT* result, IDispatch* object) {
    if (result == nullptr) {
        if (object != nullptr)
            object->Release();
        return;
    }
    ::VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = object;
}

} // namespace movalent::standin
