#include "standin/engine/page/PageContent.h"

#include "standin/engine/page/PageText.h"

#include <cstdint>

namespace movalent::standin {
namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}
bool IsNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L':' || c == L'_';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = AsciiLower(c);
    return out;
}

// Collects visible text: white space runs become one space, line breaks win over spaces, nothing at the ends.
class TextBuilder {
public:
    void Text(std::wstring_view text) {
        for (wchar_t c : text) {
            if (IsSpace(c)) {
                pendingSpace_ = true;
                continue;
            }
            if (!out_.empty()) {
                if (pendingBreak_)
                    out_ += L'\n';
                else if (pendingSpace_)
                    out_ += L' ';
            }
            pendingSpace_ = pendingBreak_ = false;
            out_ += c;
        }
    }
    void Break() { pendingBreak_ = true; }
    std::wstring Take() { return std::move(out_); }

private:
    std::wstring out_;
    bool pendingSpace_ = false;
    bool pendingBreak_ = false;
};

std::wstring Collapse(std::wstring_view text) {
    TextBuilder builder;
    builder.Text(text);
    return builder.Take();
}

struct Attribute {
    std::wstring name; // lower case
    std::wstring value;
};

struct Tag {
    std::wstring name; // lower case
    bool closing = false;
    std::vector<Attribute> attributes;
    size_t end = 0; // just after the '>'

    const std::wstring* Find(std::wstring_view attribute) const {
        for (const Attribute& a : attributes)
            if (a.name == attribute)
                return &a.value;
        return nullptr;
    }
};

// s[pos] is '<'. False when no tag name follows, so the '<' is text.
bool ReadTag(std::wstring_view s, size_t pos, Tag& tag) {
    size_t i = pos + 1;
    if (i < s.size() && s[i] == L'/') {
        tag.closing = true;
        ++i;
    }
    const size_t nameStart = i;
    while (i < s.size() && IsNameChar(s[i]))
        ++i;
    if (i == nameStart)
        return false;
    tag.name = Lower(s.substr(nameStart, i - nameStart));
    for (;;) {
        while (i < s.size() && (IsSpace(s[i]) || s[i] == L'/'))
            ++i;
        if (i >= s.size()) {
            tag.end = s.size();
            return true;
        }
        if (s[i] == L'>') {
            tag.end = i + 1;
            return true;
        }
        const size_t attrStart = i;
        while (i < s.size() && !IsSpace(s[i]) && s[i] != L'=' && s[i] != L'>' && s[i] != L'/')
            ++i;
        Attribute attribute{Lower(s.substr(attrStart, i - attrStart)), {}};
        if (i == attrStart)
            ++i; // a stray '=' or the like: step over it
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        if (i < s.size() && s[i] == L'=') {
            ++i;
            while (i < s.size() && IsSpace(s[i]))
                ++i;
            size_t valueStart = i;
            size_t valueEnd;
            if (i < s.size() && (s[i] == L'"' || s[i] == L'\'')) {
                const wchar_t quote = s[i];
                valueStart = ++i;
                while (i < s.size() && s[i] != quote)
                    ++i;
                valueEnd = i;
                if (i < s.size())
                    ++i;
            } else {
                while (i < s.size() && !IsSpace(s[i]) && s[i] != L'>')
                    ++i;
                valueEnd = i;
            }
            attribute.value = DecodeCharacterReferences(s.substr(valueStart, valueEnd - valueStart));
        }
        if (!attribute.name.empty())
            tag.attributes.push_back(std::move(attribute));
    }
}

// Where "</name" starts at or after from (case-insensitive), or npos.
size_t FindClosingTag(std::wstring_view s, size_t from, std::wstring_view name) {
    for (size_t i = s.find(L"</", from); i != std::wstring_view::npos; i = s.find(L"</", i + 2)) {
        const std::wstring_view candidate = s.substr(i + 2, name.size());
        const size_t after = i + 2 + name.size();
        if (EqualsNoCase(candidate, name) && (after >= s.size() || !IsNameChar(s[after])))
            return i;
    }
    return std::wstring_view::npos;
}

// Elements whose content is not markup: their text is taken whole (title) or left out.
bool IsRawTextElement(std::wstring_view name) {
    return name == L"title" || name == L"script" || name == L"style" || name == L"noframes" ||
           name == L"iframe" || name == L"textarea" || name == L"xmp";
}

bool IsBlockElement(std::wstring_view name) {
    static constexpr std::wstring_view kBlocks[] = {
        L"p",      L"div",        L"br",   L"h1",       L"h2",       L"h3",      L"h4",
        L"h5",     L"h6",         L"li",   L"tr",       L"ul",       L"ol",      L"table",
        L"hr",     L"blockquote", L"pre",  L"dl",       L"dt",       L"dd",      L"form",
        L"center", L"address",    L"body", L"frameset", L"fieldset", L"section", L"article",
    };
    for (std::wstring_view block : kBlocks)
        if (block == name)
            return true;
    return false;
}

void ReadComment(std::wstring_view comment, PageContent& page) {
    constexpr std::wstring_view kPrefix = L"standin:";
    const std::wstring_view body = Trim(comment);
    if (!StartsWithNoCase(body, kPrefix))
        return;
    const std::wstring_view rest = Trim(body.substr(kPrefix.size()));
    size_t nameEnd = 0;
    while (nameEnd < rest.size() && !IsSpace(rest[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0)
        return;
    page.directives.push_back({Lower(rest.substr(0, nameEnd)), std::wstring(Trim(rest.substr(nameEnd)))});
}

struct NamedReference {
    std::wstring_view name;
    wchar_t character;
};

constexpr NamedReference kNamedReferences[] = {
    {L"amp", L'&'},   {L"lt", L'<'},        {L"gt", L'>'},        {L"quot", L'"'},
    {L"apos", L'\''}, {L"nbsp", L'\u00A0'}, {L"copy", L'\u00A9'}, {L"reg", L'\u00AE'},
};

void AppendCodePoint(std::wstring& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

// "#233" or "#xE9" without the '&' and ';'. False when it is no number.
bool ReadNumericReference(std::wstring_view body, std::uint32_t& cp) {
    if (body.size() < 2 || body[0] != L'#')
        return false;
    const bool hex = body[1] == L'x' || body[1] == L'X';
    const std::wstring_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return false;
    cp = 0;
    for (wchar_t c : digits) {
        int value;
        if (c >= L'0' && c <= L'9')
            value = c - L'0';
        else if (hex && c >= L'a' && c <= L'f')
            value = c - L'a' + 10;
        else if (hex && c >= L'A' && c <= L'F')
            value = c - L'A' + 10;
        else
            return false;
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
    }
    return true;
}

bool IsHeadElement(std::wstring_view name) {
    return name == L"html" || name == L"head" || name == L"title" || name == L"meta" || name == L"link" ||
           name == L"style" || name == L"script" || name == L"base" || name == L"body" ||
           name == L"frameset" || name == L"frame" || name == L"noframes";
}

PageElement ElementOf(const Tag& tag) {
    PageElement element;
    element.tag = tag.name;
    if (const std::wstring* id = tag.Find(L"id"))
        element.id = *id;
    if (const std::wstring* name = tag.Find(L"name"))
        element.name = *name;
    if (const std::wstring* style = tag.Find(L"style"))
        element.style = *style;
    return element;
}

void AddText(PageContent& page, std::wstring_view text) {
    if (text.empty())
        return;
    if (!page.tokens.empty() && page.tokens.back().kind == PageToken::Kind::Text)
        page.tokens.back().text += text;
    else
        page.tokens.push_back({PageToken::Kind::Text, {}, {}, std::wstring(text)});
}

void AddTag(PageContent& page, const Tag& tag) {
    PageToken token;
    token.kind = tag.closing ? PageToken::Kind::End : PageToken::Kind::Start;
    token.name = tag.name;
    if (!tag.closing)
        for (const Attribute& attribute : tag.attributes)
            token.attributes.emplace_back(attribute.name, attribute.value);
    page.tokens.push_back(std::move(token));
}

} // namespace

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributes(std::wstring_view text) {
    const std::wstring markup = L"<x " + std::wstring(text) + L">";
    Tag tag;
    std::vector<std::pair<std::wstring, std::wstring>> out;
    if (!ReadTag(markup, 0, tag))
        return out;
    for (Attribute& attribute : tag.attributes)
        out.emplace_back(std::move(attribute.name), std::move(attribute.value));
    return out;
}

std::wstring DecodeCharacterReferences(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'&') {
            const size_t semicolon = text.find(L';', i + 1);
            if (semicolon != std::wstring_view::npos && semicolon - i <= 10) {
                const std::wstring_view body = text.substr(i + 1, semicolon - i - 1);
                std::uint32_t cp;
                if (ReadNumericReference(body, cp)) {
                    AppendCodePoint(out, cp);
                    i = semicolon + 1;
                    continue;
                }
                bool named = false;
                for (const NamedReference& reference : kNamedReferences) {
                    if (reference.name == body) {
                        out += reference.character;
                        named = true;
                        break;
                    }
                }
                if (named) {
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += text[i++];
    }
    return out;
}

PageContent ParsePage(std::wstring_view s) {
    PageContent page;
    TextBuilder text;
    bool haveTitle = false;
    bool inBody = false;
    size_t pos = 0;
    while (pos < s.size()) {
        if (s[pos] != L'<') {
            size_t next = s.find(L'<', pos);
            if (next == std::wstring_view::npos)
                next = s.size();
            const std::wstring decoded = DecodeCharacterReferences(s.substr(pos, next - pos));
            text.Text(decoded);
            AddText(page, decoded);
            pos = next;
            continue;
        }
        if (s.substr(pos, 4) == L"<!--") {
            const size_t end = s.find(L"-->", pos + 4);
            ReadComment(
                s.substr(pos + 4, end == std::wstring_view::npos ? std::wstring_view::npos : end - pos - 4),
                page);
            pos = end == std::wstring_view::npos ? s.size() : end + 3;
            continue;
        }
        if (pos + 1 < s.size() && (s[pos + 1] == L'!' || s[pos + 1] == L'?')) {
            const size_t end = s.find(L'>', pos);
            pos = end == std::wstring_view::npos ? s.size() : end + 1;
            continue;
        }
        Tag tag;
        if (!ReadTag(s, pos, tag)) {
            text.Text(L"<");
            AddText(page, L"<");
            ++pos;
            continue;
        }
        pos = tag.end;
        AddTag(page, tag);
        if (IsBlockElement(tag.name))
            text.Break();
        if (tag.closing)
            continue;
        if (tag.name == L"frameset")
            page.frameset = true;
        if (tag.name == L"body")
            inBody = true;
        else if (!page.frameset && (inBody || !IsHeadElement(tag.name))) {
            inBody = true;
            page.bodyElements.push_back(ElementOf(tag));
        }
        if (tag.name == L"frame" || tag.name == L"iframe") {
            const std::wstring* src = tag.Find(L"src");
            page.frames.push_back(src != nullptr ? *src : std::wstring{});
        }
        if (IsRawTextElement(tag.name)) {
            const size_t close = FindClosingTag(s, pos, tag.name);
            const std::wstring_view content =
                s.substr(pos, close == std::wstring_view::npos ? close : close - pos);
            if (tag.name == L"title" && !haveTitle) {
                page.title = Collapse(DecodeCharacterReferences(content));
                haveTitle = true;
            }
            if (tag.name == L"title" || tag.name == L"textarea")
                AddText(page, DecodeCharacterReferences(content));
            else if (tag.name != L"iframe")
                AddText(page, content);
            if (close == std::wstring_view::npos) {
                pos = s.size();
            } else {
                const size_t end = s.find(L'>', close);
                pos = end == std::wstring_view::npos ? s.size() : end + 1;
                page.tokens.push_back({PageToken::Kind::End, tag.name, {}, {}});
            }
        }
    }
    page.text = text.Take();
    if (page.frameset)
        page.bodyElements.clear();
    return page;
}

} // namespace movalent::standin
