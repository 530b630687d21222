#pragma once
// The panel's COM object: the published panel interface, IDockingWindow for the container's layout, and an
// IDispatch with no members (the container creates the object through it).
#include "devtools/FennimoxPanel.h"
#include "devtools/PanelWindow.h"

#include <windows.h>
#include <shlobj.h>

namespace movalent::devtools {

HRESULT CreatePanelObject(REFIID iid, void** result);
// Objects and server locks alive: the module may unload when both are zero.
bool PanelModuleInUse();
void LockPanelModule(bool lock);

} // namespace movalent::devtools
