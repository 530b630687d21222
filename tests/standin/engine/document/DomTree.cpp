#include "standin/engine/document/DomTree.h"

#include "standin/engine/page/PageText.h"

#include <algorithm>

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
        out.push_back(child.get());
        Collect(*child, out);
    }
}

} // namespace

StyleDeclarations::StyleDeclarations(std::wstring_view text) {
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
}

std::wstring StyleDeclarations::Get(std::wstring_view name) const {
    const std::wstring key = Lower(name);
    for (const auto& [property, value] : declarations_)
        if (property == key)
            return value;
    return {};
}

void StyleDeclarations::Set(std::wstring_view name, std::wstring_view value) {
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

DomElementPtr MakeElement(std::wstring_view tag, std::wstring_view attributes) {
    auto element = std::make_shared<DomElement>();
    element->tag = Lower(tag);
    for (const auto& [name, value] : ParseAttributes(attributes)) {
        if (name == L"id")
            element->id = value;
        else if (name == L"name")
            element->name = value;
        else if (name == L"style")
            element->style = StyleDeclarations(value);
    }
    return element;
}

std::vector<DomElement*> Descendants(const DomElement& root) {
    std::vector<DomElement*> out;
    Collect(root, out);
    return out;
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

DomTree::DomTree(const PageContent& page) : root_(std::make_shared<DomElement>()) {
    if (page.frameset) {
        root_->tag = L"frameset";
        return;
    }
    root_->tag = L"body";
    for (const PageElement& source : page.bodyElements) {
        auto element = std::make_shared<DomElement>();
        element->tag = source.tag;
        element->id = source.id;
        element->name = source.name;
        element->style = StyleDeclarations(source.style);
        element->parent = root_.get();
        root_->children.push_back(std::move(element));
    }
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
