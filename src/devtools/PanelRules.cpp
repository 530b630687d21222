#include "devtools/PanelRules.h"

#include <algorithm>
#include <cwctype>

namespace movalent::devtools {

namespace {

constexpr size_t kLabelTextLimit = 60;

std::wstring Lower(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result)
        c = static_cast<wchar_t>(std::towlower(c));
    return result;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

// White-space runs as one space, ends trimmed.
std::wstring Collapse(std::wstring_view text) {
    std::wstring result;
    bool space = false;
    for (wchar_t c : Trim(text)) {
        if (std::iswspace(c)) {
            space = true;
            continue;
        }
        if (space)
            result += L' ';
        space = false;
        result += c;
    }
    return result;
}

std::wstring Cut(std::wstring text) {
    if (text.size() > kLabelTextLimit) {
        text.resize(kLabelTextLimit);
        text += L'\x2026';
    }
    return text;
}

// Calls take(part) for each part of text between separators that are outside quotes and parentheses.
template <typename Take> void SplitOutside(std::wstring_view text, wchar_t separator, Take take) {
    wchar_t quote = 0;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == L'"' || c == L'\'') {
            quote = c;
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')' && depth > 0) {
            --depth;
        } else if (c == separator && depth == 0) {
            take(text.substr(start, i - start));
            start = i + 1;
        }
    }
    take(text.substr(start));
}

bool StartsWithWord(std::wstring_view text, std::wstring_view word) {
    if (text.size() < word.size() || text.substr(0, word.size()) != word)
        return false;
    return text.size() == word.size() || !(std::iswalnum(text[word.size()]) || text[word.size()] == L'_');
}

} // namespace

bool IsBlank(std::wstring_view text) {
    return Trim(text).empty();
}

std::wstring NodeLabel(const NodeSummary& node) {
    if (node.type == 3)
        return L"\"" + Cut(Collapse(node.text)) + L"\"";
    if (node.type == 8)
        return L"<!-- " + Cut(Collapse(node.text)) + L" -->";
    std::wstring label = L"<" + Lower(node.name);
    if (!node.id.empty())
        label += L" id=\"" + node.id + L"\"";
    if (!node.classes.empty())
        label += L" class=\"" + node.classes + L"\"";
    return label + L">";
}

CssDeclarations ParseCssText(std::wstring_view text) {
    CssDeclarations result;
    SplitOutside(text, L';', [&](std::wstring_view part) {
        size_t colon = part.find(L':');
        if (colon == std::wstring_view::npos)
            return;
        std::wstring name = Lower(Trim(part.substr(0, colon)));
        if (!name.empty())
            result.emplace_back(std::move(name), std::wstring(Trim(part.substr(colon + 1))));
    });
    return result;
}

std::wstring ComposeCssText(const CssDeclarations& declarations) {
    std::wstring text;
    for (const auto& [name, value] : declarations) {
        if (!text.empty())
            text += L"; ";
        text += name + L": " + value;
    }
    return text;
}

void SetCssValue(CssDeclarations& declarations, const std::wstring& name, const std::wstring& value) {
    const std::wstring key = Lower(Trim(name));
    auto found = std::find_if(declarations.begin(), declarations.end(),
                              [&](const auto& declaration) { return declaration.first == key; });
    const std::wstring trimmed(Trim(value));
    if (trimmed.empty()) {
        if (found != declarations.end())
            declarations.erase(found);
    } else if (found != declarations.end()) {
        found->second = trimmed;
    } else if (!key.empty()) {
        declarations.emplace_back(key, trimmed);
    }
}

bool NodeMatches(const NodeSummary& node, FindMode mode, std::wstring_view query) {
    const std::wstring wanted = Lower(Trim(query));
    if (wanted.empty())
        return false;
    switch (mode) {
    case FindMode::Id:
        return node.type == 1 && Lower(node.id) == wanted;
    case FindMode::Tag:
        return node.type == 1 && Lower(node.name) == wanted;
    case FindMode::Text:
        return node.type == 3 && Lower(node.text).find(wanted) != std::wstring::npos;
    }
    return false;
}

size_t NextIndex(size_t current, size_t count, bool forward) {
    if (count == 0)
        return 0;
    if (current >= count)
        return forward ? 0 : count - 1;
    return forward ? (current + 1) % count : (current + count - 1) % count;
}

bool LooksLikeExpression(std::wstring_view line) {
    std::wstring_view text = Trim(line);
    while (!text.empty() && text.back() == L';')
        text = Trim(text.substr(0, text.size() - 1));
    if (text.empty())
        return false;
    for (std::wstring_view word : {L"var", L"let", L"const", L"function", L"if", L"for", L"while", L"do",
                                   L"switch", L"try", L"return", L"throw", L"with"})
        if (StartsWithWord(text, word))
            return false;
    int parts = 0;
    SplitOutside(text, L';', [&](std::wstring_view) { ++parts; });
    return parts == 1 && text.front() != L'{';
}

std::wstring ScriptForValue(std::wstring_view line) {
    if (!LooksLikeExpression(line))
        return std::wstring(line);
    std::wstring_view text = Trim(line);
    while (!text.empty() && text.back() == L';')
        text = Trim(text.substr(0, text.size() - 1));
    return std::wstring(L"window.") + kScriptValueName + L" = " + std::wstring(text);
}

} // namespace movalent::devtools
