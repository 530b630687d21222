#pragma once
// The document an mshtml copy makes for the HTML document class: one page's address and what its markup says.
// The browser copies make one themselves when COM gives them none.
#include <objbase.h>

namespace movalent::standin {

HRESULT CreateStandInDocument(const CLSID& clsid, REFIID iid, void** result);

} // namespace movalent::standin
