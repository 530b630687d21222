#pragma once
// Finding the code of a system function that every caller in the process reaches.
#include <windows.h>

namespace movalent {

// The export `name` of the already loaded `module`, followed to the code that really implements it: import
// jumps, and the small forwarding stubs through which one system module hands a function on to another. Null
// when the module is not loaded or lacks the export.
void* ResolveSystemFunction(const wchar_t* module, const char* name);

} // namespace movalent
