#pragma once
// The ribbon's colours in each visual style.
#include "framework/HighContrastColours.h"
#include "framework/RibbonColours.h"
#include "mainframe/ApplicationLook.h"

#include <optional>

namespace movalent {

RibbonColours RibbonColoursForLook(const VisualLook& look);

// The colours the ribbon draws with: the system's while high contrast is on (highContrast holds them then),
// whatever look is stored, else the look's own.
RibbonColours RibbonColoursInUse(const VisualLook& look, const std::optional<SystemColours>& highContrast);

} // namespace movalent
