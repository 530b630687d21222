#pragma once
// The ribbon as a screen reader sees it. The bar's root object holds the application button, the quick access
// toolbar, the row of category tabs, the elements at the right of the tab row (the search box with its edit
// window) and the active category's page of panels; a split button is an object of its own with its button
// and its drop-down arrow. Roles, states and places come from the bar's own elements, command states and
// layout; default actions take the same path as a click.
#include "framework/AccessibleHost.h"

#include <memory>

namespace movalent {

class RibbonBar;

ComPtr<IAccessible> MakeRibbonAccessible(RibbonBar& bar, const std::shared_ptr<AccessibleLink>& link);

} // namespace movalent
