#pragma once
// Facts about the system the program runs on that change what it may safely do.
namespace movalent {

// True when the program runs under Wine rather than Windows (Wine's ntdll exports its version).
bool RunningUnderWine();

} // namespace movalent
