#pragma once
// Probes: requests that this copy's own code makes of the system on the calling thread, the way engine code
// makes them, answered with a report of what came back. The request language and the report keys are
// described in StandInInterfaces.h.
#include <string>
#include <string_view>

namespace movalent::standin {

// "<probe> <argument>"; the argument is everything after the first space.
std::wstring RunProbe(std::wstring_view what);

} // namespace movalent::standin
