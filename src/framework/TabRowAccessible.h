#pragma once
// The tab row as a screen reader sees it: a list of page tabs, one object per tab with the active tab's close
// button inside it, and the button that lists every tab. Selecting a tab or closing it takes the same path as
// a click.
#include "framework/AccessibleHost.h"

#include <memory>

namespace movalent {

class TabRow;

ComPtr<IAccessible> MakeTabRowAccessible(TabRow& row, const std::shared_ptr<AccessibleLink>& link);

} // namespace movalent
