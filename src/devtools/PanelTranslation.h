#pragma once
// The panel's texts in the language the program shows: read once from the program's language file (the
// language chosen in its settings, in the Languages folder beside the panel's module), English otherwise.
#include "devtools/PanelText.h"

#include <windows.h>

#include <string>

namespace movalent::devtools {

void LoadPanelTranslation(HMODULE panelModule);
std::wstring Text(PanelText id);
// The text with its %s or %d replaced by argument.
std::wstring Text(PanelText id, const std::wstring& argument);

} // namespace movalent::devtools
