#pragma once
// How wide each tab of a tab row is drawn.
#include <vector>

namespace movalent {

// Each tab gets its natural width, at most maxWidth (0: no limit) and at least minWidth. When the tabs do not fit
// the available width, the widest shrink first, all to one common width, never below minWidth; a row that does
// not fit even then keeps the minimum widths and overflows on the right.
std::vector<int> FitTabWidths(const std::vector<int>& natural, int available, int maxWidth, int minWidth);

} // namespace movalent
