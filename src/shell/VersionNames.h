#pragma once
// The name the user sees for an engine version ("IE 6", "Default IE"), in the user's language.
#include "engine/IeVersion.h"

#include <string>

namespace movalent {

std::wstring EngineVersionName(IEVERSION version);

} // namespace movalent
