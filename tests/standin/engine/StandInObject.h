#pragma once
// The object every served class is made of: it only tells who made it and runs probes from inside its copy.
#include "standin/StandInInterfaces.h"

namespace movalent::standin {

// Creates an object for clsid with one reference, answering iid; nothing is returned on failure.
HRESULT CreateStandInObject(const CLSID& clsid, REFIID iid, void** result);

} // namespace movalent::standin
