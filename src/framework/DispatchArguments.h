#pragma once
// Reading and answering the arguments of an automation call or event: DISPPARAMS hold them last first, and
// event sources pass many of them by reference.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace movalent {

// The argument at index (0 = the first one declared), with a by-reference VARIANT resolved; null when the
// call has fewer arguments.
VARIANT* DispatchArgument(DISPPARAMS& params, unsigned index);

// A string argument (BSTR, by value or by reference, or anything that converts); empty when there is none.
std::wstring VariantText(const VARIANT* value);
// An object argument (IDispatch or IUnknown, by value or by reference); null when there is none. Not
// AddRef'd.
IUnknown* VariantObject(const VARIANT* value);
// A 32-bit integer argument; fallback when the argument is missing or does not convert.
long VariantLong(const VARIANT* value, long fallback = 0);
// A 32-bit integer as an argument or a child id; nothing to clear.
VARIANT LongVariant(long value);
// Writes a boolean through a by-reference argument (VARIANT_BOOL*); false when the argument cannot take it.
bool SetVariantBoolByRef(VARIANT* value, bool on);

} // namespace movalent
