#pragma once
// The copy of the stand-in that this code runs in: its handle, what its file name makes it, and the count of
// objects and server locks that keeps it from being unloaded.
#include "standin/engine/ModuleIdentity.h"

#include <windows.h>

#include <string>

namespace movalent::standin {

void SetThisModule(HMODULE module);
HMODULE ThisModule();
// Full path, read from the system when first asked.
const std::wstring& ThisModulePath();
// Identity from the file name, worked out when first asked.
const ModuleIdentity& ThisModuleIdentity();

// Objects and class factories alive, plus IClassFactory::LockServer locks.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

} // namespace movalent::standin
