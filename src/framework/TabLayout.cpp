#include "framework/TabLayout.h"

#include <algorithm>

namespace movalent {

namespace {

long long SumCapped(const std::vector<int>& widths, int cap) {
    long long sum = 0;
    for (int w : widths)
        sum += std::min(w, cap);
    return sum;
}

} // namespace

std::vector<int> FitTabWidths(const std::vector<int>& natural, int available, int maxWidth, int minWidth) {
    minWidth = std::max(minWidth, 0);
    std::vector<int> widths;
    widths.reserve(natural.size());
    int widest = minWidth;
    for (int w : natural) {
        if (maxWidth > 0)
            w = std::min(w, std::max(maxWidth, minWidth));
        w = std::max(w, minWidth);
        widths.push_back(w);
        widest = std::max(widest, w);
    }
    if (SumCapped(widths, widest) <= available)
        return widths;
    // The largest common cap that fits, found by bisection between the minimum and the widest tab.
    int low = minWidth, high = widest;
    while (low < high) {
        int middle = low + (high - low + 1) / 2;
        if (SumCapped(widths, middle) <= available)
            low = middle;
        else
            high = middle - 1;
    }
    for (int& w : widths)
        w = std::min(w, low);
    return widths;
}

} // namespace movalent
