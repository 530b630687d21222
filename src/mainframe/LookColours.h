#pragma once
// The ribbon's colours in each visual style.
#include "framework/RibbonColours.h"
#include "mainframe/ApplicationLook.h"

namespace movalent {

RibbonColours RibbonColoursForLook(const VisualLook& look);

} // namespace movalent
