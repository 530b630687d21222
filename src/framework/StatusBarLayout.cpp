#include "framework/StatusBarLayout.h"

#include <algorithm>

namespace movalent {

namespace {

constexpr std::size_t kLongestMenuValue = 50;

std::wstring LiteralAmpersands(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out.push_back(c);
        if (c == L'&')
            out.push_back(L'&');
    }
    return out;
}

} // namespace

StatusBarPlacement LayOutStatusBar(int barWidth, const std::vector<StatusBarSlot>& ordinary,
                                   const std::vector<StatusBarSlot>& extended, bool informationShown,
                                   const StatusBarMetrics& metrics) {
    StatusBarPlacement placement;
    placement.ordinary.resize(ordinary.size());
    placement.extended.resize(extended.size());
    const int leftEdge = metrics.margin;

    // Extended elements from the right edge inwards; one that would cross the left edge gets no room, and
    // neither does any element left of it, so the order on screen never changes.
    int right = barWidth - metrics.margin;
    bool full = false;
    for (std::size_t i = extended.size(); i-- > 0;) {
        const StatusBarSlot& slot = extended[i];
        if (!slot.visible || slot.width <= 0)
            continue;
        if (full || right - slot.width < leftEdge) {
            full = true;
            continue;
        }
        placement.extended[i] = {right - slot.width, right};
        right -= slot.width + metrics.gap;
    }
    placement.mainArea = {leftEdge, std::max(leftEdge, right)};
    if (informationShown)
        return placement;

    const int areaRight = placement.mainArea.right;
    int fixed = 0;
    int shown = 0;
    for (const StatusBarSlot& slot : ordinary) {
        if (!slot.visible)
            continue;
        ++shown;
        if (!slot.stretch)
            fixed += std::max(0, slot.width);
    }
    int stretchers = static_cast<int>(std::count_if(
        ordinary.begin(), ordinary.end(), [](const StatusBarSlot& s) { return s.visible && s.stretch; }));
    // The spare room is shared among the stretching elements; the first takes the remainder of the division.
    int spare = std::max(0, areaRight - leftEdge - fixed - std::max(0, shown - 1) * metrics.gap);
    int share = stretchers > 0 ? spare / stretchers : 0;
    int remainder = stretchers > 0 ? spare % stretchers : 0;
    int left = leftEdge;
    for (std::size_t i = 0; i < ordinary.size(); ++i) {
        const StatusBarSlot& slot = ordinary[i];
        if (!slot.visible)
            continue;
        int width = std::max(0, slot.width);
        if (slot.stretch) {
            width = share + remainder;
            remainder = 0;
        }
        int end = std::min(left + width, areaRight);
        if (end > left)
            placement.ordinary[i] = {left, end};
        left = end + metrics.gap;
    }
    return placement;
}

std::vector<StatusBarMenuEntry> StatusBarMenuEntries(const std::vector<bool>& ordinaryIsSeparator,
                                                     const std::vector<bool>& extendedIsSeparator) {
    using Kind = StatusBarMenuEntry::Kind;
    std::vector<StatusBarMenuEntry> entries;
    entries.push_back({Kind::Title, false, 0});
    for (std::size_t i = 0; i < ordinaryIsSeparator.size(); ++i)
        entries.push_back({ordinaryIsSeparator[i] ? Kind::Separator : Kind::Element, false, i});
    if (entries.size() > 1 && !extendedIsSeparator.empty())
        entries.push_back({Kind::Separator, false, 0});
    for (std::size_t i = 0; i < extendedIsSeparator.size(); ++i)
        entries.push_back({extendedIsSeparator[i] ? Kind::Separator : Kind::Element, true, i});
    return entries;
}

std::wstring StatusBarMenuValue(const std::wstring& text) {
    if (text.size() > kLongestMenuValue)
        return text.substr(0, kLongestMenuValue - 1);
    return text;
}

std::wstring StatusBarMenuItemText(const std::wstring& label, const std::wstring& text) {
    std::wstring item = LiteralAmpersands(label);
    std::wstring value = StatusBarMenuValue(text);
    if (!value.empty())
        item += L"\t" + LiteralAmpersands(value);
    return item;
}

} // namespace movalent
