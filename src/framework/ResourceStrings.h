#pragma once
// The framework's texts from string resources (frame titles, document names). The program replaces the loader at
// start-up with its translating lookup, so these texts follow the chosen language like every other.
#include <string>

namespace movalent {

using StringLoader = std::wstring (*)(unsigned id);

std::wstring FrameworkString(unsigned id);
// Null restores the plain string-table loader; returns the previous loader.
StringLoader SetFrameworkStringLoader(StringLoader loader);

} // namespace movalent
