#pragma once
// Filling the %s and %d marks of a translated text, in order.
#include <string>
#include <string_view>
#include <vector>

namespace movalent {

inline void ReplaceFirst(std::wstring& text, std::wstring_view mark, std::wstring_view value) {
    if (const size_t at = text.find(mark); at != std::wstring::npos)
        text.replace(at, mark.size(), value);
}

// Each value takes the place of the first %s left.
template <typename... Values> std::wstring FillText(std::wstring text, const Values&... values) {
    (ReplaceFirst(text, L"%s", values), ...);
    return text;
}

// "a, b, c".
inline std::wstring JoinedWithCommas(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names)
        text += (text.empty() ? L"" : L", ") + name;
    return text;
}

} // namespace movalent
