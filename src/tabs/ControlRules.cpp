#include "tabs/ControlRules.h"

#include <algorithm>

namespace movalent {

int SplitterDragPercent(int x, int rectLeft, int rectWidth, int boundsLeft, int boundsRight) {
    x = std::max(boundsLeft, std::min(x, boundsRight));
    if (rectWidth == 0)
        return 0;
    return (x - rectLeft) * 100 / rectWidth;
}

int HoverButtonFrameX(int frameWidth, bool selected, bool hovered) {
    if (selected)
        return frameWidth;
    if (hovered)
        return 2 * frameWidth;
    return 0;
}

double ProductVersionNumber(unsigned major, unsigned minor) {
    double fraction = minor;
    while (fraction >= 1)
        fraction /= 10;
    return major + fraction;
}

} // namespace movalent
