#pragma once
// Layout decisions of the ribbon that need no window: how a large button's label breaks into lines and which
// panels give way to a single button when the bar is too narrow.
#include <functional>
#include <string>
#include <vector>

namespace movalent {

// Breaks a label into at most two lines at the space that makes the wider line narrowest; a label without a
// space stays on one line. measure gives a text's width.
std::vector<std::wstring> SplitLabel(const std::wstring& label,
                                     const std::function<int(const std::wstring&)>& measure);

// Which panels to collapse so that the panels fit in available pixels: panels collapse from the last one
// backwards, each to collapsedWidth, until the total fits or all are collapsed. spacing is added between
// panels.
std::vector<bool> CollapsePanels(const std::vector<int>& widths, int collapsedWidth, int spacing,
                                 int available);

// The text a menu or a tooltip shows for a label whose "&" marks a key: "&&" is an ampersand, a single "&"
// goes.
std::wstring WithoutMnemonic(const std::wstring& text);
// The reverse: a text shown as typed where "&" would mark a key (every ampersand doubled).
std::wstring WithLiteralAmpersands(const std::wstring& text);

} // namespace movalent
