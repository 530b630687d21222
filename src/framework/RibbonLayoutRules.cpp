#include "framework/RibbonLayoutRules.h"

#include <algorithm>
#include <climits>

namespace movalent {

std::vector<std::wstring> SplitLabel(const std::wstring& label,
                                     const std::function<int(const std::wstring&)>& measure) {
    size_t best = std::wstring::npos;
    int bestWidth = INT_MAX;
    for (size_t space = label.find(L' '); space != std::wstring::npos; space = label.find(L' ', space + 1)) {
        int width = std::max(measure(label.substr(0, space)), measure(label.substr(space + 1)));
        if (width < bestWidth) {
            bestWidth = width;
            best = space;
        }
    }
    if (best == std::wstring::npos)
        return {label};
    return {label.substr(0, best), label.substr(best + 1)};
}

std::vector<bool> CollapsePanels(const std::vector<int>& widths, int collapsedWidth, int spacing,
                                 int available) {
    std::vector<bool> collapsed(widths.size(), false);
    long total = 0;
    for (size_t i = 0; i < widths.size(); ++i)
        total += widths[i] + (i ? spacing : 0);
    for (size_t i = widths.size(); i-- > 0 && total > available;) {
        if (widths[i] <= collapsedWidth)
            continue;
        collapsed[i] = true;
        total -= widths[i] - collapsedWidth;
    }
    return collapsed;
}

std::wstring WithoutMnemonic(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            result += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == L'&') {
            result += L'&';
            ++i;
        }
    }
    return result;
}

std::wstring WithLiteralAmpersands(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        result += c;
        if (c == L'&')
            result += L'&';
    }
    return result;
}

} // namespace movalent
