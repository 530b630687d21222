#include "framework/DispatchArguments.h"

#include "framework/Handles.h"

#include <oleauto.h>

namespace movalent {

namespace {

// A VARIANT by reference to another VARIANT stands for that one.
const VARIANT* Resolve(const VARIANT* value) {
    while (value && value->vt == (VT_BYREF | VT_VARIANT))
        value = value->pvarVal;
    return value;
}

} // namespace

VARIANT* DispatchArgument(DISPPARAMS& params, unsigned index) {
    if (!params.rgvarg || index >= params.cArgs)
        return nullptr;
    VARIANT* value = &params.rgvarg[params.cArgs - 1 - index];
    while (value && value->vt == (VT_BYREF | VT_VARIANT))
        value = value->pvarVal;
    return value;
}

std::wstring VariantText(const VARIANT* value) {
    value = Resolve(value);
    if (!value)
        return {};
    if (value->vt == VT_BSTR)
        return value->bstrVal ? std::wstring(value->bstrVal, ::SysStringLen(value->bstrVal)) : std::wstring();
    if (value->vt == (VT_BYREF | VT_BSTR))
        return value->pbstrVal && *value->pbstrVal
                   ? std::wstring(*value->pbstrVal, ::SysStringLen(*value->pbstrVal))
                   : std::wstring();
    if (value->vt == VT_EMPTY || value->vt == VT_NULL)
        return {};
    UniqueVariant converted;
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BSTR)) ||
        !converted.get().bstrVal)
        return {};
    return std::wstring(converted.get().bstrVal, ::SysStringLen(converted.get().bstrVal));
}

IUnknown* VariantObject(const VARIANT* value) {
    value = Resolve(value);
    if (!value)
        return nullptr;
    switch (value->vt) {
    case VT_DISPATCH:
        return value->pdispVal;
    case VT_UNKNOWN:
        return value->punkVal;
    case VT_BYREF | VT_DISPATCH:
        return value->ppdispVal ? *value->ppdispVal : nullptr;
    case VT_BYREF | VT_UNKNOWN:
        return value->ppunkVal ? *value->ppunkVal : nullptr;
    default:
        return nullptr;
    }
}

long VariantLong(const VARIANT* value, long fallback) {
    value = Resolve(value);
    if (!value)
        return fallback;
    if (value->vt == VT_I4)
        return value->lVal;
    if (value->vt == (VT_BYREF | VT_I4))
        return value->plVal ? *value->plVal : fallback;
    UniqueVariant converted;
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4)))
        return fallback;
    return converted.get().lVal;
}

bool SetVariantBoolByRef(VARIANT* value, bool on) {
    if (!value)
        return false;
    if (value->vt == (VT_BYREF | VT_BOOL) && value->pboolVal) {
        *value->pboolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    }
    return false;
}

VARIANT LongVariant(long value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

} // namespace movalent
