#pragma once
// Rules of the accessible objects of the drawn windows that need no window: which child a screen reader moves
// to from another one, and how a key that selects an element reads.
#include <string>
#include <vector>

namespace movalent {

// A child of a container as navigation sees it: where it is (any one coordinate system) and whether it shows.
struct NavigationItem {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool shown = true;
};

enum class NavigationDirection { First, Last, Next, Previous, Up, Down, Left, Right };

// The index of the child reached from child from (ignored for First and Last), or -1 for none. Hidden
// children are never reached. First, Last, Next and Previous follow the children's order; Up, Down, Left and
// Right go to the nearest child whose middle lies that way, a child beside the way counting for more than one
// along it.
int NavigateAmong(const std::vector<NavigationItem>& items, int from, NavigationDirection direction);

// The child'th of a container's children, counted from 1 as accessibility counts them; false for none.
template <typename T> bool ChildAt(const std::vector<T>& children, long child, T& out) {
    if (child < 1 || child > static_cast<long>(children.size()))
        return false;
    out = children[static_cast<size_t>(child - 1)];
    return true;
}

// The key that selects a labelled element with Alt: the letter after a single "&", else the label's first
// character; 0 for an empty label.
wchar_t AccessKeyOf(const std::wstring& label);
// How a screen reader announces that key: "Alt+H"; empty for none.
std::wstring AltShortcutText(wchar_t key);

} // namespace movalent
