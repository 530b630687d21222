#include "standin/engine/document/DomTree.h"

#include "standin/engine/document/DomLayout.h"
#include "standin/engine/page/PageText.h"

#include <algorithm>
#include <initializer_list>

namespace movalent::standin {
namespace {

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() &&
           (text.front() == L' ' || text.front() == L'\t' || text.front() == L'\n' || text.front() == L'\r'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\n' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = AsciiLower(c);
    return out;
}

void Collect(const DomElement& element, std::vector<DomElement*>& out) {
    for (const DomElementPtr& child : element.children) {
        if (child->IsText())
            continue;
        out.push_back(child.get());
        Collect(*child, out);
    }
}

bool IsBlank(std::wstring_view text) {
    return Trim(text).empty();
}

bool IsOneOf(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
    for (std::wstring_view candidate : names)
        if (candidate == name)
            return true;
    return false;
}

std::wstring Upper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return out;
}

// Script names of attributes that differ from their markup names.
std::wstring CanonicalName(std::wstring_view name, bool caseSensitive) {
    std::wstring key = caseSensitive ? std::wstring(name) : Lower(name);
    if (key == L"className" || key == L"classname")
        return L"class";
    if (key == L"htmlFor" || key == L"htmlfor")
        return L"for";
    return key;
}

void AddAttribute(DomElement& element, std::wstring_view name, std::wstring_view value) {
    for (const auto& attribute : element.attributes)
        if (attribute.first == name)
            return; // the first of two attributes of one name counts, as in a browser
    SetAttribute(element, name, value, false);
}

bool IsHeadContent(std::wstring_view tag) {
    return IsOneOf(tag, {L"title", L"meta", L"link", L"style", L"script", L"base", L"noscript"});
}

bool ClosesParagraph(std::wstring_view tag) {
    return IsOneOf(tag, {L"address",  L"article", L"aside", L"blockquote", L"center", L"dir", L"div",  L"dl",
                         L"fieldset", L"footer",  L"form",  L"h1",         L"h2",     L"h3",  L"h4",   L"h5",
                         L"h6",       L"header",  L"hr",    L"li",         L"dd",     L"dt",  L"menu", L"nav",
                         L"ol",       L"p",       L"pre",   L"section",    L"table",  L"ul"});
}

class TreeBuilder {
public:
    explicit TreeBuilder(const PageContent& page) : frameset_(page.frameset) {
        html_ = MakeElement(L"html", L"");
        head_ = MakeElement(L"head", L"");
        Append(*html_, head_);
        open_.push_back(html_.get());
        for (const PageToken& token : page.tokens) {
            switch (token.kind) {
            case PageToken::Kind::Start:
                Start(token);
                break;
            case PageToken::Kind::End:
                End(token.name);
                break;
            case PageToken::Kind::Text:
                Text(token.text);
                break;
            }
        }
        if (!root_)
            MakeRoot(frameset_ ? L"frameset" : L"body", {});
    }

    DomElementPtr html_;
    DomElementPtr head_;
    DomElementPtr root_;

private:
    using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

    static void Append(DomElement& parent, const DomElementPtr& child) {
        child->parent = &parent;
        parent.children.push_back(child);
    }

    static DomElementPtr MakeTagged(const std::wstring& tag, const Attributes& attributes) {
        auto element = std::make_shared<DomElement>();
        element->tag = tag;
        for (const auto& [name, value] : attributes)
            AddAttribute(*element, name, value);
        return element;
    }

    void MakeRoot(const std::wstring& tag, const Attributes& attributes) {
        root_ = MakeTagged(tag, attributes);
        Append(*html_, root_);
        open_.assign({html_.get(), root_.get()});
    }

    // Pops the nearest open element named one of names, unless one of boundaries comes first.
    void CloseOpen(std::initializer_list<std::wstring_view> names,
                   std::initializer_list<std::wstring_view> boundaries) {
        for (size_t i = open_.size(); i-- > 2;) {
            if (IsOneOf(open_[i]->tag, names)) {
                open_.resize(i);
                return;
            }
            if (IsOneOf(open_[i]->tag, boundaries))
                return;
        }
    }

    void ImplyEnds(std::wstring_view tag) {
        if (ClosesParagraph(tag))
            CloseOpen({L"p"}, {L"table", L"td", L"th", L"caption", L"button", L"object", L"applet"});
        if (tag == L"li")
            CloseOpen({L"li"}, {L"ul", L"ol", L"menu", L"dir", L"table"});
        else if (tag == L"dt" || tag == L"dd")
            CloseOpen({L"dt", L"dd"}, {L"dl", L"table"});
        else if (tag == L"tr")
            CloseOpen({L"tr"}, {L"table"});
        else if (tag == L"td" || tag == L"th")
            CloseOpen({L"td", L"th"}, {L"tr", L"table"});
        else if (tag == L"option" && open_.back()->tag == L"option")
            open_.pop_back();
    }

    void Start(const PageToken& token) {
        const std::wstring& tag = token.name;
        if (tag == L"html") {
            for (const auto& [name, value] : token.attributes)
                AddAttribute(*html_, name, value);
            return;
        }
        if (tag == L"head") {
            if (!root_)
                for (const auto& [name, value] : token.attributes)
                    AddAttribute(*head_, name, value);
            return;
        }
        if (tag == L"body") {
            if (frameset_)
                return;
            if (!root_)
                MakeRoot(tag, token.attributes);
            else
                for (const auto& [name, value] : token.attributes)
                    AddAttribute(*root_, name, value);
            return;
        }
        if (!root_) {
            if (frameset_ && tag == L"frameset") {
                MakeRoot(tag, token.attributes);
                return;
            }
            if (IsHeadContent(tag) || frameset_) {
                if (!IsHeadContent(tag))
                    return; // content outside the frameset
                const DomElementPtr element = MakeTagged(tag, token.attributes);
                Append(*head_, element);
                if (!IsVoidElement(tag))
                    open_.push_back(element.get());
                return;
            }
            MakeRoot(L"body", {});
        }
        if (open_.size() < 2)
            return; // after the frameset closed
        ImplyEnds(tag);
        const DomElementPtr element = MakeTagged(tag, token.attributes);
        Append(*open_.back(), element);
        if (!IsVoidElement(tag) && open_.size() + 1 < kDeepestNesting)
            open_.push_back(element.get());
    }

    void End(const std::wstring& tag) {
        if (tag == L"html" || tag == L"head" || tag == L"body")
            return;
        for (size_t i = open_.size(); i-- > 1;) {
            if (open_[i]->tag == tag) {
                open_.resize(i);
                return;
            }
        }
    }

    void Text(const std::wstring& text) {
        if (IsBlank(text))
            return;
        if (open_.size() < 2) {
            if (root_ || frameset_)
                return; // outside the frameset
            MakeRoot(L"body", {});
        }
        DomElement& parent = *open_.back();
        if (!parent.children.empty() && parent.children.back()->IsText())
            parent.children.back()->text += text;
        else
            Append(parent, MakeTextNode(text));
    }

    bool frameset_;
    std::vector<DomElement*> open_; // the html element, then the open elements, innermost last
};

void EscapeInto(std::wstring& out, std::wstring_view text, bool attribute) {
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += attribute ? L"<" : L"&lt;";
            break;
        case L'>':
            out += attribute ? L">" : L"&gt;";
            break;
        case L'"':
            out += attribute ? L"&quot;" : L"\"";
            break;
        default:
            out += c;
        }
    }
}

void Serialise(const DomElement& node, std::wstring& out, bool raw) {
    if (node.IsText()) {
        if (raw)
            out += node.text;
        else
            EscapeInto(out, node.text, false);
        return;
    }
    const std::wstring tag = Upper(node.tag);
    out += L'<';
    out += tag;
    for (const auto& [name, value] : CurrentAttributes(node)) {
        out += L' ';
        out += name;
        out += L"=\"";
        EscapeInto(out, value, true);
        out += L'"';
    }
    out += L'>';
    if (IsVoidElement(node.tag))
        return;
    const bool rawChildren = node.tag == L"script" || node.tag == L"style" || node.tag == L"xmp";
    for (const DomElementPtr& child : node.children)
        Serialise(*child, out, rawChildren);
    out += L"</";
    out += tag;
    out += L'>';
}

// Visible text with white space runs collapsed and line breaks between blocks.
class ReaderText {
public:
    void Text(std::wstring_view text) {
        for (wchar_t c : text) {
            if (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f') {
                space_ = true;
                continue;
            }
            if (!out_.empty()) {
                if (break_)
                    out_ += L"\r\n";
                else if (space_)
                    out_ += L' ';
            }
            space_ = break_ = false;
            out_ += c;
        }
    }
    void Break() { break_ = true; }
    std::wstring Take() { return std::move(out_); }

private:
    std::wstring out_;
    bool space_ = false;
    bool break_ = false;
};

void ReadText(const DomElement& node, const DomElement& top, ReaderText& text) {
    if (node.IsText()) {
        text.Text(node.text);
        return;
    }
    if (&node != &top && !IsDisplayed(node))
        return;
    const bool block = node.tag == L"br" || IsBlockLevel(node);
    if (block)
        text.Break();
    for (const DomElementPtr& child : node.children)
        ReadText(*child, top, text);
    if (block)
        text.Break();
}

} // namespace

StyleDeclarations::StyleDeclarations(std::wstring_view source) {
    std::wstring_view text = source;
    while (!text.empty()) {
        const size_t end = std::min(text.find(L';'), text.size());
        const std::wstring_view declaration = text.substr(0, end);
        text.remove_prefix(end < text.size() ? end + 1 : end);
        const size_t colon = declaration.find(L':');
        if (colon == std::wstring_view::npos)
            continue;
        const std::wstring name = Lower(Trim(declaration.substr(0, colon)));
        if (!name.empty())
            Set(name, Trim(declaration.substr(colon + 1)));
    }
    written_.assign(source);
    asWritten_ = true;
}

std::wstring StyleDeclarations::Get(std::wstring_view name) const {
    const std::wstring key = Lower(name);
    for (const auto& [property, value] : declarations_)
        if (property == key)
            return value;
    return {};
}

void StyleDeclarations::Set(std::wstring_view name, std::wstring_view value) {
    asWritten_ = false;
    const std::wstring key = Lower(name);
    const auto found = std::find_if(declarations_.begin(), declarations_.end(),
                                    [&](const auto& declaration) { return declaration.first == key; });
    if (value.empty()) {
        if (found != declarations_.end())
            declarations_.erase(found);
    } else if (found != declarations_.end()) {
        found->second = value;
    } else {
        declarations_.emplace_back(key, value);
    }
}

std::wstring StyleDeclarations::Text() const {
    std::wstring text;
    for (const auto& [property, value] : declarations_)
        text += (text.empty() ? L"" : L"; ") + property + L": " + value;
    return text;
}

std::wstring StyleDeclarations::CssText() const {
    return asWritten_ ? written_ : Text();
}

DomElementPtr MakeElement(std::wstring_view tag, std::wstring_view attributes) {
    auto element = std::make_shared<DomElement>();
    element->tag = Lower(tag);
    for (const auto& [name, value] : ParseAttributes(attributes))
        AddAttribute(*element, name, value);
    return element;
}

DomElementPtr MakeTextNode(std::wstring_view text) {
    auto node = std::make_shared<DomElement>();
    node->text = text;
    return node;
}

std::vector<DomElement*> Descendants(const DomElement& root) {
    std::vector<DomElement*> out;
    Collect(root, out);
    return out;
}

DomElement* FindById(const DomElement& root, std::wstring_view id) {
    if (id.empty())
        return nullptr;
    if (!root.IsText() && root.id == id)
        return const_cast<DomElement*>(&root);
    for (const DomElementPtr& child : root.children)
        if (DomElement* found = FindById(*child, id))
            return found;
    return nullptr;
}

std::optional<std::wstring> GetAttribute(const DomElement& element, std::wstring_view name,
                                         bool caseSensitive) {
    if (element.IsText())
        return std::nullopt;
    const std::wstring key = CanonicalName(name, caseSensitive);
    for (const auto& [attribute, value] : element.attributes)
        if (attribute == key)
            return attribute == L"style" ? element.style.CssText() : value;
    if (key == L"style" && !element.style.Empty())
        return element.style.CssText();
    return std::nullopt;
}

void SetAttribute(DomElement& element, std::wstring_view name, std::wstring_view value, bool byHost) {
    const std::wstring key = CanonicalName(name, false);
    const auto found = std::find_if(element.attributes.begin(), element.attributes.end(),
                                    [&](const auto& attribute) { return attribute.first == key; });
    const std::wstring kept = key == L"style" ? std::wstring() : std::wstring(value);
    if (found != element.attributes.end())
        found->second = kept;
    else
        element.attributes.emplace_back(key, kept);
    if (key == L"id")
        element.id = value;
    else if (key == L"name")
        element.name = value;
    else if (key == L"style")
        element.style = StyleDeclarations(value);
    if (byHost && std::find(element.changedByHost.begin(), element.changedByHost.end(), key) ==
                      element.changedByHost.end())
        element.changedByHost.push_back(key);
}

std::vector<std::pair<std::wstring, std::wstring>> CurrentAttributes(const DomElement& element) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    bool styled = false;
    for (const auto& [name, value] : element.attributes) {
        if (name == L"style") {
            styled = true;
            out.emplace_back(name, element.style.CssText());
        } else {
            out.emplace_back(name, value);
        }
    }
    if (!styled && !element.style.Empty())
        out.emplace_back(L"style", element.style.CssText());
    return out;
}

std::wstring OuterHtml(const DomElement& element) {
    std::wstring out;
    Serialise(element, out, false);
    return out;
}

std::wstring InnerText(const DomElement& element) {
    ReaderText text;
    ReadText(element, element, text);
    return text.Take();
}

std::wstring NodeName(const DomElement& node) {
    return node.IsText() ? std::wstring(L"#text") : Upper(node.tag);
}

bool IsVoidElement(std::wstring_view tag) {
    return IsOneOf(tag, {L"br", L"img", L"input", L"hr", L"meta", L"link", L"frame", L"base", L"col", L"area",
                         L"param", L"embed"});
}

bool PositionBeside(const DomElementPtr& element, Adjacency where, MarkupPosition& position) {
    if (!element)
        return false;
    if (where == Adjacency::AfterBegin || where == Adjacency::BeforeEnd) {
        position.container = element;
        position.offset = where == Adjacency::AfterBegin ? 0 : element->children.size();
        return true;
    }
    DomElement* parent = element->parent;
    if (parent == nullptr)
        return false;
    const auto found = std::find(parent->children.begin(), parent->children.end(), element);
    if (found == parent->children.end())
        return false;
    const DomElementPtr owner = parent->weak_from_this().lock();
    if (!owner)
        return false;
    position.container = owner;
    position.offset = static_cast<size_t>(found - parent->children.begin()) + (where == Adjacency::AfterEnd);
    return true;
}

bool InsertBetween(const DomElementPtr& element, const MarkupPosition& start, const MarkupPosition& end) {
    const DomElementPtr container = start.container.lock();
    if (!element || !container || container != end.container.lock() || element->parent != nullptr ||
        element.get() == container.get() || start.offset > end.offset ||
        end.offset > container->children.size())
        return false;
    auto& siblings = container->children;
    const auto first = siblings.begin() + static_cast<std::ptrdiff_t>(start.offset);
    const auto last = siblings.begin() + static_cast<std::ptrdiff_t>(end.offset);
    for (auto it = first; it != last; ++it) {
        (*it)->parent = element.get();
        element->children.push_back(*it);
    }
    const auto at = siblings.erase(first, last);
    siblings.insert(at, element);
    element->parent = container.get();
    return true;
}

DomTree::DomTree(const PageContent& page) {
    TreeBuilder builder(page);
    html_ = std::move(builder.html_);
    root_ = std::move(builder.root_);
}

ZoomState DomTree::Zoom() const {
    ZoomState state;
    state.runtime = state.wrapper = L"none";
    if (!root_)
        return state;
    const std::wstring runtime = root_->runtime.Get(L"zoom");
    if (!runtime.empty())
        state.runtime = runtime;
    const std::vector<DomElement*> all = Descendants(*root_);
    for (const DomElement* element : all)
        state.wrappers += element->id == kZoomWrapperId;
    if (!IsFrameset() && !all.empty() && all.front()->id == kZoomWrapperId) {
        const std::wstring zoom = all.front()->style.Get(L"zoom");
        state.wrapper = zoom.empty() ? L"unset" : zoom;
        state.wrapsAll = root_->children.size() == 1;
    }
    return state;
}

} // namespace movalent::standin
