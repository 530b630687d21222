#pragma once
// Which object a copy's class factory makes for a class: the WebBrowser control in a browser copy, a document
// in an mshtml copy, and for every other served class the plain object that only names its maker.
#include <objbase.h>

namespace movalent::standin {

HRESULT CreateServedObject(const CLSID& clsid, REFIID iid, void** result);

} // namespace movalent::standin
