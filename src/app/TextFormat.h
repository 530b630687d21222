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

// One command-line argument as the system's splitter reads it back whole: quoted, with the backslashes before a
// quote (the closing one included) doubled, so "C:\" stays a folder and not the start of a quoted quote.
inline std::wstring QuotedArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

} // namespace movalent
