#pragma once
// Reading the arguments of an IDispatch::Invoke call and writing its result, the way automation callers pass
// them: positional arguments stored last to first, by-reference variants for VARIANT* parameters, optional
// ones left out or passed as VT_ERROR / DISP_E_PARAMNOTFOUND, and a property's new value under
// DISPID_PROPERTYPUT.
#include "framework/Handles.h"

#include <oleauto.h>

#include <string_view>

namespace movalent::standin {

class DispatchArguments {
public:
    DispatchArguments(const DISPPARAMS* params, UINT* argError) : params_(params), argError_(argError) {}

    // Named arguments other than a property's value are not taken.
    bool HasUnsupportedNames() const;
    UINT Count() const { return params_ != nullptr ? params_->cArgs : 0; }

    // The argument at position i (0 is the first), a VT_BYREF|VT_VARIANT followed to the variant it points
    // to; null when it was left out.
    VARIANT* At(UINT position) const;
    // A property's new value.
    VARIANT* PutValue() const { return Count() > 0 ? params_->rgvarg : nullptr; }

    // Conversions of a required argument; a missing or unconvertible one fails (DISP_E_PARAMNOTFOUND,
    // DISP_E_TYPEMISMATCH) and names its position in argError.
    HRESULT Bstr(UINT position, UniqueBstr& out) const;
    HRESULT Long(UINT position, LONG& out) const;
    HRESULT Bool(UINT position, VARIANT_BOOL& out) const;
    HRESULT BstrValue(VARIANT* value, UINT position, UniqueBstr& out) const;
    HRESULT LongValue(VARIANT* value, UINT position, LONG& out) const;
    HRESULT BoolValue(VARIANT* value, UINT position, VARIANT_BOOL& out) const;

private:
    HRESULT Convert(VARIANT* value, UINT position, VARTYPE type, VARIANT& out) const;

    const DISPPARAMS* params_;
    UINT* argError_;
};

// Results; a null result variant (the caller wants none) is fine.
void SetResult(VARIANT* result, std::wstring_view text);
void SetResult(VARIANT* result, LONG value);
void SetBoolResult(VARIANT* result, VARIANT_BOOL value);
// Takes over the reference.
void SetResult(VARIANT* result, IDispatch* object);

} // namespace movalent::standin
