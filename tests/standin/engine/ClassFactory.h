#pragma once
// The class object DllGetClassObject hands out: one per request, bound to the class id that was asked for.
#include <objbase.h>

namespace movalent::standin {

// A new class factory for clsid answering iid (IUnknown or IClassFactory).
HRESULT CreateClassFactory(const CLSID& clsid, REFIID iid, void** result);

} // namespace movalent::standin
