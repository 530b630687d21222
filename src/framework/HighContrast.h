#pragma once
// Whether the user has high contrast on, read afresh at each call (a settings change turns it on or off while
// the program runs), and the system colours to draw with then.
#include "framework/HighContrastColours.h"

#include <optional>

namespace movalent {

bool HighContrastOn();
SystemColours CurrentSystemColours();
// The current system colours while high contrast is on; nothing otherwise.
std::optional<SystemColours> HighContrastSystemColours();

} // namespace movalent
