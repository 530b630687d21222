#include "framework/AccessibleRules.h"

#include <cwctype>
#include <limits>

namespace movalent {

namespace {

long long Middle2(int low, int high) {
    return static_cast<long long>(low) + high;
}

// How far child b lies from child a towards direction, or -1 when its middle does not lie that way. Twice
// the distance between middles along the way, plus four times the gap across it (0 where they overlap).
long long Distance(const NavigationItem& a, const NavigationItem& b, NavigationDirection direction) {
    const bool horizontal = direction == NavigationDirection::Left || direction == NavigationDirection::Right;
    const long long along = horizontal ? Middle2(b.left, b.right) - Middle2(a.left, a.right)
                                       : Middle2(b.top, b.bottom) - Middle2(a.top, a.bottom);
    const bool forward = direction == NavigationDirection::Right || direction == NavigationDirection::Down;
    if ((forward && along <= 0) || (!forward && along >= 0))
        return -1;
    long long across = 0;
    if (horizontal)
        across = b.bottom <= a.top ? a.top - b.bottom : (b.top >= a.bottom ? b.top - a.bottom : 0);
    else
        across = b.right <= a.left ? a.left - b.right : (b.left >= a.right ? b.left - a.right : 0);
    return (along < 0 ? -along : along) + 4 * across;
}

} // namespace

int NavigateAmong(const std::vector<NavigationItem>& items, int from, NavigationDirection direction) {
    const int count = static_cast<int>(items.size());
    auto shown = [&](int i) { return i >= 0 && i < count && items[static_cast<size_t>(i)].shown; };
    switch (direction) {
    case NavigationDirection::First:
        for (int i = 0; i < count; ++i)
            if (shown(i))
                return i;
        return -1;
    case NavigationDirection::Last:
        for (int i = count - 1; i >= 0; --i)
            if (shown(i))
                return i;
        return -1;
    case NavigationDirection::Next:
    case NavigationDirection::Previous: {
        if (from < 0 || from >= count)
            return -1;
        const int step = direction == NavigationDirection::Next ? 1 : -1;
        for (int i = from + step; i >= 0 && i < count; i += step)
            if (shown(i))
                return i;
        return -1;
    }
    default:
        break;
    }
    if (from < 0 || from >= count)
        return -1;
    int best = -1;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (int i = 0; i < count; ++i) {
        if (i == from || !shown(i))
            continue;
        const long long distance =
            Distance(items[static_cast<size_t>(from)], items[static_cast<size_t>(i)], direction);
        if (distance >= 0 && distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

wchar_t AccessKeyOf(const std::wstring& label) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != L'&')
            continue;
        if (label[i + 1] != L'&')
            return label[i + 1];
        ++i; // "&&" is an ampersand
    }
    return label.empty() ? L'\0' : label[0];
}

std::wstring AltShortcutText(wchar_t key) {
    if (key == L'\0' || std::iswspace(static_cast<wint_t>(key)))
        return L"";
    return std::wstring(L"Alt+") + static_cast<wchar_t>(std::towupper(static_cast<wint_t>(key)));
}

} // namespace movalent
