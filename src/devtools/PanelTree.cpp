// The element tree: listed as the user opens it, so a page of many thousands of elements shows at once; long
// child lists come in steps.
#include "devtools/PanelControls.h"
#include "devtools/PanelTranslation.h"
#include "devtools/PanelWindow.h"
#include "devtools/WindowSupport.h"

#include "framework/ConnectionPoints.h"
#include "framework/DispatchArguments.h"

#include <mshtmdid.h>

namespace movalent::devtools {

namespace {

constexpr size_t kChildStep = 500;
// The document's event interface (the system's import libraries lack its identifier).
constexpr IID kHtmlDocumentEvents2 = {
    0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr LPARAM kNote = -1;

} // namespace

PanelWindow::Entry* PanelWindow::EntryOf(HTREEITEM item) {
    if (!item)
        return nullptr;
    TVITEMW info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    if (!::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)) || info.lParam == kNote)
        return nullptr;
    const auto index = static_cast<size_t>(info.lParam);
    return index < entries_.size() ? &entries_[index] : nullptr;
}

HTREEITEM PanelWindow::InsertEntry(HTREEITEM parent, Entry entry, const std::wstring& label,
                                   bool hasChildren) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(label.c_str());
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(entries_.size());
    auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) {
        entry.item = item;
        entries_.push_back(std::move(entry));
    }
    return item;
}

HTREEITEM PanelWindow::InsertNote(HTREEITEM parent, const std::wstring& label) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(label.c_str());
    insert.item.lParam = kNote;
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void PanelWindow::Rebuild() {
    if (!tree_)
        return;
    const std::vector<size_t> path = SelectionPath();
    SetPicking(false);
    outline_.Hide();
    matches_.clear();
    matchesFor_.clear();
    ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    entries_.clear();
    ComPtr<IHTMLDocument2> document = TopDocument();
    shownDocument_ = document;
    ComPtr<IHTMLDOMNode> root = DocumentRoot(document.get());
    if (!root) {
        InsertNote(nullptr, Text(PanelText::NoDocument));
    } else {
        Entry entry;
        entry.node = root;
        entry.document = document;
        HTREEITEM item = InsertEntry(nullptr, std::move(entry), NodeLabel(Summarise(root.get())), true);
        ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    }
    ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    SelectPath(path);
    ShowDetails();
}

void PanelWindow::ListChildren(size_t index) {
    if (index >= entries_.size() || entries_[index].listed)
        return;
    // Copies: inserting may move the list.
    const ComPtr<IHTMLDOMNode> node = entries_[index].node;
    const ComPtr<IHTMLDocument2> document = entries_[index].document;
    const HTREEITEM parent = entries_[index].item;
    const size_t first = entries_[index].nextChild;
    entries_[index].listed = true;

    const NodeSummary summary = Summarise(node.get());
    if (IsFrameElement(summary)) {
        HRESULT why = S_OK;
        ComPtr<IHTMLDocument2> frame = FrameDocument(document.get(), node.get(), &why);
        ComPtr<IHTMLDOMNode> root = DocumentRoot(frame.get());
        if (!root) {
            InsertNote(parent,
                       why == E_ACCESSDENIED ? Text(PanelText::AccessDenied) : Text(PanelText::NoDocument));
            return;
        }
        Entry entry;
        entry.node = root;
        entry.document = frame;
        InsertEntry(parent, std::move(entry), NodeLabel(Summarise(root.get())), true);
        return;
    }
    const std::vector<ComPtr<IHTMLDOMNode>> children = ChildNodes(node.get());
    const size_t last = std::min(children.size(), first + kChildStep);
    for (size_t i = first; i < last; ++i) {
        const NodeSummary child = Summarise(children[i].get());
        Entry entry;
        entry.node = children[i];
        entry.document = document;
        InsertEntry(parent, std::move(entry), NodeLabel(child),
                    IsFrameElement(child) || HasChildNodes(children[i].get()));
    }
    if (last < children.size()) {
        // The rest waits behind a line of its own: opening it lists the next step.
        Entry more;
        more.node = node;
        more.document = document;
        more.nextChild = last;
        InsertEntry(parent, std::move(more),
                    Text(PanelText::MoreNodes, std::to_wstring(children.size() - last)), true);
    }
}

std::vector<size_t> PanelWindow::SelectionPath() const {
    std::vector<size_t> path;
    if (!tree_)
        return path;
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item) {
        size_t position = 0;
        for (HTREEITEM before = item;
             (before = reinterpret_cast<HTREEITEM>(
                  ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PREVIOUS, reinterpret_cast<LPARAM>(before))));)
            ++position;
        path.insert(path.begin(), position);
        item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    }
    return path;
}

void PanelWindow::SelectPath(const std::vector<size_t>& path) {
    HTREEITEM item = nullptr;
    HTREEITEM found = nullptr;
    for (size_t position : path) {
        if (item)
            ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        HTREEITEM child = reinterpret_cast<HTREEITEM>(::SendMessageW(
            tree_, TVM_GETNEXTITEM, item ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(item)));
        for (size_t i = 0; child && i < position; ++i)
            child = reinterpret_cast<HTREEITEM>(
                ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
        if (!child)
            break;
        found = item = child;
    }
    if (found)
        ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
}

HTREEITEM PanelWindow::FindChild(HTREEITEM parent, IHTMLDOMNode* node) {
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (auto child = reinterpret_cast<HTREEITEM>(
             ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         child;) {
        const Entry* entry = EntryOf(child);
        if (entry && entry->nextChild != 0) {
            // The line standing for the rest of a long list: look behind it.
            if (HTREEITEM inner = FindChild(child, node))
                return inner;
        } else if (entry && IsSameComObject(entry->node.get(), node)) {
            return child;
        }
        child = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
    }
    return nullptr;
}

bool PanelWindow::SelectChain(const Chain& chain) {
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    Entry* root = EntryOf(item);
    if (chain.empty() || !root || !IsSameComObject(root->node.get(), chain.front().get()))
        return false;
    for (size_t i = 1; i < chain.size() && item; ++i)
        item = FindChild(item, chain[i].get());
    if (!item)
        return false;
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ::SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return true;
}

void PanelWindow::OnSelectionChanged() {
    ShowDetails();
}

void PanelWindow::CollectMatches(IHTMLDOMNode* node, IHTMLDocument2* document, Chain& chain, FindMode mode,
                                 const std::wstring& query, std::vector<Chain>& matches) {
    chain.push_back(node);
    const NodeSummary summary = Summarise(node);
    if (NodeMatches(summary, mode, query))
        matches.push_back(chain);
    if (IsFrameElement(summary)) {
        HRESULT why = S_OK;
        ComPtr<IHTMLDocument2> frame = FrameDocument(document, node, &why);
        if (ComPtr<IHTMLDOMNode> root = DocumentRoot(frame.get()))
            CollectMatches(root.get(), frame.get(), chain, mode, query, matches);
    } else {
        for (const ComPtr<IHTMLDOMNode>& child : ChildNodes(node))
            CollectMatches(child.get(), document, chain, mode, query, matches);
    }
    chain.pop_back();
}

void PanelWindow::Find(bool forward) {
    const std::wstring text = WindowText(findText_);
    const auto mode =
        static_cast<FindMode>(std::max<LRESULT>(0, ::SendMessageW(findMode_, CB_GETCURSEL, 0, 0)));
    const std::wstring key = std::to_wstring(static_cast<int>(mode)) + L":" + text;
    if (key != matchesFor_) {
        matches_.clear();
        match_ = static_cast<size_t>(-1);
        matchesFor_ = key;
        ComPtr<IHTMLDocument2> document = TopDocument();
        if (ComPtr<IHTMLDOMNode> root = DocumentRoot(document.get())) {
            Chain chain;
            CollectMatches(root.get(), document.get(), chain, mode, text, matches_);
        }
    }
    if (matches_.empty()) {
        SetStatus(Text(PanelText::NotFound));
        return;
    }
    match_ = NextIndex(match_, matches_.size(), forward);
    SelectChain(matches_[match_]);
    SetStatus(std::to_wstring(match_ + 1) + L" / " + std::to_wstring(matches_.size()));
}

void PanelWindow::SetPicking(bool on) {
    if (!on) {
        pageClicks_.Disconnect();
        if (pick_)
            ::SendMessageW(pick_, BM_SETCHECK, BST_UNCHECKED, 0);
        return;
    }
    ComPtr<IHTMLDocument2> document = TopDocument();
    if (!document || !pageClicks_.Connect(document.get(), kHtmlDocumentEvents2,
                                          [this](DISPID id, DISPPARAMS& params, VARIANT* result) {
                                              if (id == DISPID_HTMLDOCUMENTEVENTS2_ONCLICK)
                                                  OnPageClick(params, result);
                                          })) {
        ::SendMessageW(pick_, BM_SETCHECK, BST_UNCHECKED, 0);
        SetStatus(Text(PanelText::NoDocument));
    }
}

void PanelWindow::OnPageClick(DISPPARAMS& params, VARIANT* result) {
    ComPtr<IHTMLEventObj> event;
    if (IUnknown* object = VariantObject(DispatchArgument(params, 0)))
        object->QueryInterface(IID_IHTMLEventObj, event.put_void());
    ComPtr<IHTMLElement> source;
    if (!event || FAILED(event->get_srcElement(source.put())) || !source)
        return;
    // The click is the picker's: the page never sees it.
    VARIANT no;
    no.vt = VT_BOOL;
    no.boolVal = VARIANT_FALSE;
    event->put_returnValue(no);
    event->put_cancelBubble(VARIANT_TRUE);
    if (result) {
        ::VariantClear(result);
        *result = no;
    }
    Chain chain;
    ComPtr<IHTMLDOMNode> node;
    source->QueryInterface(IID_IHTMLDOMNode, node.put_void());
    for (int depth = 0; node && depth < 10000; ++depth) {
        chain.insert(chain.begin(), node);
        ComPtr<IHTMLDOMNode> parent;
        if (FAILED(node->get_parentNode(parent.put())))
            break;
        node = parent;
    }
    SelectChain(chain);
    // Not from inside the engine's own call.
    ::PostMessageW(window_, kPanelStopPicking, 0, 0);
}

} // namespace movalent::devtools
