#pragma once
// The status bar as a screen reader sees it: its information text, its panes as texts (or buttons when they
// take clicks), the progress bar and the zoom slider with their values, and the slider's zoom buttons. The
// elements are child windows, but their own objects know neither the elements' names nor what they are for.
#include "framework/AccessibleHost.h"

#include <memory>

namespace movalent {

class StatusBar;

ComPtr<IAccessible> MakeStatusBarAccessible(StatusBar& bar, const std::shared_ptr<AccessibleLink>& link);

} // namespace movalent
