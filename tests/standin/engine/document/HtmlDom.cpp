// The document object model's COM objects. The engine's document interfaces are declared C-style here
// (CINTERFACE), so that each vtable is a plain structure: every slot is first set to the fatal Unprovided and
// then the modelled members are put in by name, which the compiler checks against the published signatures.
// The system's own COM interfaces (IUnknown, IDispatch and the rest) stay C++ classes: their headers come
// first.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <dimm.h>
#include <dispex.h>
#include <shtypes.h>

#include "standin/StandInBrowser.h"
#include "standin/engine/browser/ConnectionPoints.h"

#define CINTERFACE
#include <mshtml.h>
#undef CINTERFACE
#include <mshtmdid.h>

#include "standin/engine/document/HtmlDom.h"

#include "standin/engine/ComHelpers.h"
#include "standin/engine/ProbeReport.h"
#include "standin/engine/document/DomLayout.h"
#include "standin/engine/document/PageScript.h"
#include "standin/engine/page/PageText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace movalent::standin {
namespace {

// The engine's published interface identifiers.
constexpr IID kIHTMLDocument2 = {
    0x332c4425, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};
constexpr IID kIHTMLFramesCollection2 = {
    0x332c4426, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};
constexpr IID kIHTMLWindow2 = {0x332c4427, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};
constexpr IID kIHTMLElement = {0x3050f1ff, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLElement2 = {0x3050f434, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLStyle = {0x3050f25e, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLStyle3 = {0x3050f656, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLBodyElement = {
    0x3050f1d8, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLFrameSetElement = {
    0x3050f319, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLElementCollection = {
    0x3050f21f, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIMarkupServices = {
    0x3050f4a0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIMarkupPointer = {
    0x3050f49f, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIMarkupContainer = {
    0x3050f5f9, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

constexpr IID kIHTMLDocument3 = {
    0x3050f485, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLDOMNode = {0x3050f5da, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLDOMChildrenCollection = {
    0x3050f5ab, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLAttributeCollection = {
    0x3050f4c3, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLDOMAttribute = {
    0x3050f4b0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLEventObj = {0x3050f32d, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLCurrentStyle = {
    0x3050f3db, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIHTMLRect = {0x3050f4a3, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kHTMLDocumentEvents2 = {
    0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kIDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

constexpr long kTagDiv = 30;
// The engine's answer when a script fails and the failure was reported (to nobody, here).
constexpr HRESULT kScriptErrorReported = static_cast<HRESULT>(0x80020101L);
// DISPIDs of the current style's properties and of a window's script properties start here.
constexpr DISPID kCurrentStyleIds = 1000;
constexpr DISPID kExpandoIds = 10000;
// Attributes the engine lists for every element even when the page did not write them.
constexpr const wchar_t* kUnwrittenAttributes[] = {L"dir", L"lang", L"title", L"onclick"};

bool Is(REFIID iid, const IID& which) {
    return IsEqualIID(iid, which) != 0;
}

// What every object handed out for one document shares.
struct DomState;
struct ElementObject;
struct TextObject;
struct WindowObject;

struct DomState {
    DomTree tree;
    std::wstring title;
    std::function<void()> changed;
    // The live object of each node, so that asking twice gives the same object, as the engine does.
    std::unordered_map<const DomElement*, ElementObject*> elements;
    std::unordered_map<const DomElement*, TextObject*> texts;
    WindowObject* window = nullptr; // the document's own window while it lives
    ScriptGlobals globals;          // what scripts set on the window
    std::wstring scriptError;       // the message of the last script that failed
    ComPtr<IStandInPageView> view;  // of the control showing the document
    bool laidOut = false;

    void Changed() {
        laidOut = false;
        if (changed)
            changed();
    }
    // Lays the document out again when something changed since the last time.
    void Lay() {
        if (!laidOut && tree.Html())
            LayOut(*tree.Html());
        laidOut = true;
    }
};

// One interface of an object: the vtable pointer where the interface pointer points, then the object.
template <typename Interface, typename Owner> struct Face {
    const std::remove_pointer_t<decltype(Interface::lpVtbl)>* lpVtbl;
    Owner* owner;

    Interface* Get() { return reinterpret_cast<Interface*>(this); }
    static Owner* Of(Interface* self) { return reinterpret_cast<Face*>(self)->owner; }
    static bool Ours(Interface* self, const void* vtable) { return self && self->lpVtbl == vtable; }
};

[[noreturn]] void STDMETHODCALLTYPE Unprovided() {
    std::fputs("stand-in engine: a host called a member of the document object model that the stand-in does "
               "not model\n",
               stderr);
    std::fflush(stderr);
    std::abort();
}

template <typename Vtbl> Vtbl UnprovidedVtbl() {
    static_assert(sizeof(Vtbl) % sizeof(void (*)()) == 0);
    Vtbl vtbl;
    void(STDMETHODCALLTYPE * slot)() = &Unprovided;
    for (size_t i = 0; i < sizeof(Vtbl) / sizeof slot; ++i)
        std::memcpy(reinterpret_cast<char*>(&vtbl) + i * sizeof slot, &slot, sizeof slot);
    return vtbl;
}

template <typename I, typename O> HRESULT STDMETHODCALLTYPE FaceQuery(I* self, REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    return Face<I, O>::Of(self)->Query(iid, result);
}
template <typename I, typename O> ULONG STDMETHODCALLTYPE FaceAddRef(I* self) {
    return Face<I, O>::Of(self)->AddRef();
}
template <typename I, typename O> ULONG STDMETHODCALLTYPE FaceRelease(I* self) {
    return Face<I, O>::Of(self)->Release();
}
template <typename I> HRESULT STDMETHODCALLTYPE NoTypeInfoCount(I*, UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
template <typename I> HRESULT STDMETHODCALLTYPE NoTypeInfo(I*, UINT, LCID, ITypeInfo** info) {
    if (info != nullptr)
        *info = nullptr;
    return DISP_E_BADINDEX;
}
template <typename I>
HRESULT STDMETHODCALLTYPE NoNames(I*, REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    if (ids != nullptr)
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}
template <typename I>
HRESULT STDMETHODCALLTYPE NoInvoke(I*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

// A vtable with IUnknown going to the owner and an IDispatch without members; the rest unprovided.
template <typename I, typename O> auto DispatchVtbl() {
    using Vtbl = std::remove_cv_t<std::remove_pointer_t<decltype(I::lpVtbl)>>;
    Vtbl vtbl = UnprovidedVtbl<Vtbl>();
    vtbl.QueryInterface = &FaceQuery<I, O>;
    vtbl.AddRef = &FaceAddRef<I, O>;
    vtbl.Release = &FaceRelease<I, O>;
    vtbl.GetTypeInfoCount = &NoTypeInfoCount<I>;
    vtbl.GetTypeInfo = &NoTypeInfo<I>;
    vtbl.GetIDsOfNames = &NoNames<I>;
    vtbl.Invoke = &NoInvoke<I>;
    return vtbl;
}

template <typename Derived> struct Counted {
    ULONG AddRef() { return ++references; }
    ULONG Release() {
        const ULONG left = --references;
        if (left == 0)
            delete static_cast<Derived*>(this);
        return left;
    }

    ULONG references = 1;
    ModuleReference module;
};

// Hands out face, with a reference.
template <typename Interface, typename Owner, typename Out>
HRESULT HandOut(Face<Interface, Owner>& face, Out** out) {
    face.owner->AddRef();
    *out = reinterpret_cast<Out*>(face.Get());
    return S_OK;
}

bool ReadIndex(VARIANT value, long& index) {
    VARIANT converted;
    ::VariantInit(&converted);
    if (V_VT(&value) == VT_EMPTY || V_VT(&value) == VT_ERROR || V_VT(&value) == VT_BSTR ||
        FAILED(::VariantChangeType(&converted, &value, 0, VT_I4)))
        return false;
    index = V_I4(&converted);
    return true;
}

DomElementPtr Owning(DomElement* element) {
    return element ? element->shared_from_this() : nullptr;
}

// ---- Styles: an element's inline style or its runtime style.

struct StyleObject : Counted<StyleObject> {
    StyleObject(std::shared_ptr<DomState> state, DomElementPtr node, bool runtime);
    HRESULT Query(REFIID iid, void** result);
    StyleDeclarations& Declarations() { return runtime ? node->runtime : node->style; }

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    bool runtime;
    Face<IHTMLStyle, StyleObject> style;
    Face<IHTMLStyle3, StyleObject> style3;
};

HRESULT STDMETHODCALLTYPE StylePutZoom(IHTMLStyle3* self, VARIANT value) {
    StyleObject* object = Face<IHTMLStyle3, StyleObject>::Of(self);
    return NoThrow([&] {
        VARIANT text;
        ::VariantInit(&text);
        if (FAILED(::VariantChangeType(&text, &value, 0, VT_BSTR)))
            return E_INVALIDARG;
        object->Declarations().Set(L"zoom", FromBstr(V_BSTR(&text)));
        ::VariantClear(&text);
        object->state->Changed();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StyleGetZoom(IHTMLStyle3* self, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    StyleObject* object = Face<IHTMLStyle3, StyleObject>::Of(self);
    return NoThrow([&] {
        ::VariantInit(value);
        BSTR text = nullptr;
        const HRESULT hr = ReturnBstr(object->Declarations().Get(L"zoom"), &text);
        if (SUCCEEDED(hr)) {
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = text;
        }
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE StyleGetCssText(IHTMLStyle* self, BSTR* text) {
    StyleObject* object = Face<IHTMLStyle, StyleObject>::Of(self);
    return NoThrow([&] { return ReturnBstr(object->Declarations().CssText(), text); });
}

// Replaces the whole declaration; for the inline style that is a change of the style attribute.
HRESULT STDMETHODCALLTYPE StylePutCssText(IHTMLStyle* self, BSTR text) {
    StyleObject* object = Face<IHTMLStyle, StyleObject>::Of(self);
    return NoThrow([&] {
        if (object->runtime)
            object->node->runtime = StyleDeclarations(FromBstr(text));
        else
            SetAttribute(*object->node, L"style", FromBstr(text), true);
        object->state->Changed();
        return S_OK;
    });
}

const IHTMLStyleVtbl kStyleVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLStyle, StyleObject>();
    vtbl.get_cssText = &StyleGetCssText;
    vtbl.put_cssText = &StylePutCssText;
    return vtbl;
}();
const IHTMLStyle3Vtbl kStyle3Vtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLStyle3, StyleObject>();
    vtbl.put_zoom = &StylePutZoom;
    vtbl.get_zoom = &StyleGetZoom;
    return vtbl;
}();

StyleObject::StyleObject(std::shared_ptr<DomState> state, DomElementPtr node, bool runtime)
    : state(std::move(state)), node(std::move(node)),
      runtime(runtime), style{&kStyleVtbl, this}, style3{&kStyle3Vtbl, this} {}

HRESULT StyleObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLStyle))
        return HandOut(style, result);
    if (Is(iid, kIHTMLStyle3))
        return HandOut(style3, result);
    return E_NOINTERFACE;
}

HRESULT MakeStyle(const std::shared_ptr<DomState>& state, const DomElementPtr& node, bool runtime,
                  IHTMLStyle** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    return NoThrow([&] {
        auto* object = new (std::nothrow) StyleObject(state, node, runtime);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        *result = object->style.Get();
        return S_OK;
    });
}

// ---- Element collections: a snapshot of elements in document order.

struct CollectionObject : Counted<CollectionObject> {
    CollectionObject(std::shared_ptr<DomState> state, std::vector<DomElementPtr> items);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    std::vector<DomElementPtr> items;
    Face<IHTMLElementCollection, CollectionObject> collection;
};

HRESULT ElementFor(const std::shared_ptr<DomState>& state, const DomElementPtr& node, IHTMLElement** result);

HRESULT STDMETHODCALLTYPE CollectionLength(IHTMLElementCollection* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length = static_cast<LONG>(Face<IHTMLElementCollection, CollectionObject>::Of(self)->items.size());
    return S_OK;
}

// By position (a number as name, or name left out and a number as index) or by id or name (the first match).
// Nothing there: S_OK with no object, as the engine answers.
HRESULT STDMETHODCALLTYPE CollectionItem(IHTMLElementCollection* self, VARIANT name, VARIANT index,
                                         IDispatch** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    CollectionObject* object = Face<IHTMLElementCollection, CollectionObject>::Of(self);
    return NoThrow([&] {
        DomElementPtr found;
        long position = 0;
        if (V_VT(&name) == VT_BSTR) {
            const std::wstring key = FromBstr(V_BSTR(&name));
            for (const DomElementPtr& item : object->items)
                if (!found && (item->id == key || item->name == key))
                    found = item;
        } else if (ReadIndex(name, position) ||
                   ((V_VT(&name) == VT_EMPTY || V_VT(&name) == VT_ERROR) && ReadIndex(index, position))) {
            if (position >= 0 && static_cast<size_t>(position) < object->items.size())
                found = object->items[static_cast<size_t>(position)];
        } else {
            return E_INVALIDARG;
        }
        if (!found)
            return S_OK;
        IHTMLElement* element = nullptr;
        const HRESULT hr = ElementFor(object->state, found, &element);
        *result = reinterpret_cast<IDispatch*>(element);
        return hr;
    });
}

const IHTMLElementCollectionVtbl kCollectionVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLElementCollection, CollectionObject>();
    vtbl.get_length = &CollectionLength;
    vtbl.item = &CollectionItem;
    return vtbl;
}();

CollectionObject::CollectionObject(std::shared_ptr<DomState> state, std::vector<DomElementPtr> items)
    : state(std::move(state)), items(std::move(items)), collection{&kCollectionVtbl, this} {}

HRESULT CollectionObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLElementCollection))
        return HandOut(collection, result);
    return E_NOINTERFACE;
}

HRESULT MakeCollection(const std::shared_ptr<DomState>& state, std::vector<DomElementPtr> items,
                       IDispatch** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    auto* object = new (std::nothrow) CollectionObject(state, std::move(items));
    if (object == nullptr)
        return E_OUTOFMEMORY;
    *result = reinterpret_cast<IDispatch*>(object->collection.Get());
    return S_OK;
}

std::vector<DomElementPtr> Within(const DomElement& root, bool withRoot) {
    std::vector<DomElementPtr> items;
    if (withRoot)
        items.push_back(Owning(const_cast<DomElement*>(&root)));
    for (DomElement* element : Descendants(root))
        items.push_back(Owning(element));
    return items;
}

// ---- Nodes: elements and texts, the lists of a node's children and of an element's attributes.

struct ElementObject : Counted<ElementObject> {
    ElementObject(std::shared_ptr<DomState> state, DomElementPtr node);
    ~ElementObject() { state->elements.erase(node.get()); }
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    Face<IHTMLElement, ElementObject> element;
    Face<IHTMLElement2, ElementObject> element2;
    Face<IHTMLDOMNode, ElementObject> domNode;
    Face<IHTMLBodyElement, ElementObject> body;
    Face<IHTMLFrameSetElement, ElementObject> frameset;
};

// A text node answers IHTMLDOMNode only.
struct TextObject : Counted<TextObject> {
    TextObject(std::shared_ptr<DomState> state, DomElementPtr node);
    ~TextObject() { state->texts.erase(node.get()); }
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    Face<IHTMLDOMNode, TextObject> domNode;
};

ElementObject* ElementOf(IHTMLElement* self) {
    return Face<IHTMLElement, ElementObject>::Of(self);
}

// The live object of a node, with a reference for the caller; null when out of memory.
template <typename Object, typename Map>
Object* LiveObject(const std::shared_ptr<DomState>& state, Map& live, const DomElementPtr& node) {
    const auto [slot, added] = live.try_emplace(node.get(), nullptr);
    if (!added) {
        slot->second->AddRef();
        return slot->second;
    }
    auto* object = new (std::nothrow) Object(state, node);
    if (object == nullptr) {
        live.erase(slot);
        return nullptr;
    }
    slot->second = object;
    return object;
}

// The interface iid of a node's object, with a reference.
HRESULT NodeFor(const std::shared_ptr<DomState>& state, const DomElementPtr& node, REFIID iid,
                void** result) {
    *result = nullptr;
    HRESULT hr;
    if (node->IsText()) {
        TextObject* object = LiveObject<TextObject>(state, state->texts, node);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        hr = object->Query(iid, result);
        object->Release();
    } else {
        ElementObject* object = LiveObject<ElementObject>(state, state->elements, node);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        hr = object->Query(iid, result);
        object->Release();
    }
    return hr;
}

HRESULT ElementFor(const std::shared_ptr<DomState>& state, const DomElementPtr& node, IHTMLElement** result) {
    return NodeFor(state, node, kIHTMLElement, reinterpret_cast<void**>(result));
}

HRESULT ReturnVariantText(const std::wstring& text, VARIANT* value) {
    BSTR copy = nullptr;
    const HRESULT hr = ReturnBstr(text, &copy);
    if (SUCCEEDED(hr)) {
        V_VT(value) = VT_BSTR;
        V_BSTR(value) = copy;
    }
    return hr;
}

struct ChildrenObject : Counted<ChildrenObject> {
    ChildrenObject(std::shared_ptr<DomState> state, DomElementPtr node);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node; // the list is live: it reads the node's children when asked
    Face<IHTMLDOMChildrenCollection, ChildrenObject> children;
};

HRESULT STDMETHODCALLTYPE ChildrenLength(IHTMLDOMChildrenCollection* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length =
        static_cast<LONG>(Face<IHTMLDOMChildrenCollection, ChildrenObject>::Of(self)->node->children.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChildrenItem(IHTMLDOMChildrenCollection* self, LONG index, IDispatch** item) {
    if (item == nullptr)
        return E_POINTER;
    *item = nullptr;
    ChildrenObject* object = Face<IHTMLDOMChildrenCollection, ChildrenObject>::Of(self);
    if (index < 0 || static_cast<size_t>(index) >= object->node->children.size())
        return E_INVALIDARG;
    return NoThrow([&] {
        return NodeFor(object->state, object->node->children[static_cast<size_t>(index)], IID_IDispatch,
                       reinterpret_cast<void**>(item));
    });
}

const IHTMLDOMChildrenCollectionVtbl kChildrenVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLDOMChildrenCollection, ChildrenObject>();
    vtbl.get_length = &ChildrenLength;
    vtbl.item = &ChildrenItem;
    return vtbl;
}();

ChildrenObject::ChildrenObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)), node(std::move(node)), children{&kChildrenVtbl, this} {}

HRESULT ChildrenObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLDOMChildrenCollection))
        return HandOut(children, result);
    return E_NOINTERFACE;
}

// One attribute of an element, by name: it reads the element's current value when asked.
struct AttributeObject : Counted<AttributeObject> {
    AttributeObject(std::shared_ptr<DomState> state, DomElementPtr node, std::wstring name);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    std::wstring name;
    Face<IHTMLDOMAttribute, AttributeObject> attribute;
};

HRESULT STDMETHODCALLTYPE AttributeName(IHTMLDOMAttribute* self, BSTR* name) {
    return NoThrow(
        [&] { return ReturnBstr(Face<IHTMLDOMAttribute, AttributeObject>::Of(self)->name, name); });
}

// VT_NULL for an attribute the element does not have.
HRESULT STDMETHODCALLTYPE AttributeValue(IHTMLDOMAttribute* self, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    AttributeObject* object = Face<IHTMLDOMAttribute, AttributeObject>::Of(self);
    return NoThrow([&] {
        const std::optional<std::wstring> text = GetAttribute(*object->node, object->name);
        if (!text) {
            V_VT(value) = VT_NULL;
            return S_OK;
        }
        return ReturnVariantText(*text, value);
    });
}

HRESULT STDMETHODCALLTYPE AttributeSpecified(IHTMLDOMAttribute* self, VARIANT_BOOL* specified) {
    if (specified == nullptr)
        return E_POINTER;
    AttributeObject* object = Face<IHTMLDOMAttribute, AttributeObject>::Of(self);
    return NoThrow([&] {
        *specified = GetAttribute(*object->node, object->name) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

const IHTMLDOMAttributeVtbl kAttributeVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLDOMAttribute, AttributeObject>();
    vtbl.get_nodeName = &AttributeName;
    vtbl.get_nodeValue = &AttributeValue;
    vtbl.get_specified = &AttributeSpecified;
    return vtbl;
}();

AttributeObject::AttributeObject(std::shared_ptr<DomState> state, DomElementPtr node, std::wstring name)
    : state(std::move(state)), node(std::move(node)),
      name(std::move(name)), attribute{&kAttributeVtbl, this} {}

HRESULT AttributeObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLDOMAttribute))
        return HandOut(attribute, result);
    return E_NOINTERFACE;
}

// The attribute names of an element when the list was made: those the engine lists though nobody wrote them,
// then the element's own in the order written.
struct AttributesObject : Counted<AttributesObject> {
    AttributesObject(std::shared_ptr<DomState> state, DomElementPtr node);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    std::vector<std::wstring> names;
    Face<IHTMLAttributeCollection, AttributesObject> attributes;
};

HRESULT STDMETHODCALLTYPE AttributesLength(IHTMLAttributeCollection* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length = static_cast<LONG>(Face<IHTMLAttributeCollection, AttributesObject>::Of(self)->names.size());
    return S_OK;
}

// By position, or by name (ASCII case ignored).
HRESULT STDMETHODCALLTYPE AttributesItem(IHTMLAttributeCollection* self, VARIANT* which, IDispatch** item) {
    if (which == nullptr || item == nullptr)
        return E_POINTER;
    *item = nullptr;
    AttributesObject* object = Face<IHTMLAttributeCollection, AttributesObject>::Of(self);
    return NoThrow([&] {
        size_t position = object->names.size();
        long index = 0;
        if (V_VT(which) == VT_BSTR) {
            const std::wstring name = FromBstr(V_BSTR(which));
            for (size_t i = 0; i < object->names.size() && position == object->names.size(); ++i)
                if (EqualsNoCase(object->names[i], name))
                    position = i;
        } else if (ReadIndex(*which, index) && index >= 0) {
            position = static_cast<size_t>(index);
        }
        if (position >= object->names.size())
            return E_INVALIDARG;
        auto* attribute =
            new (std::nothrow) AttributeObject(object->state, object->node, object->names[position]);
        if (attribute == nullptr)
            return E_OUTOFMEMORY;
        *item = reinterpret_cast<IDispatch*>(attribute->attribute.Get());
        return S_OK;
    });
}

const IHTMLAttributeCollectionVtbl kAttributesVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLAttributeCollection, AttributesObject>();
    vtbl.get_length = &AttributesLength;
    vtbl.item = &AttributesItem;
    return vtbl;
}();

AttributesObject::AttributesObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)), node(std::move(node)), attributes{&kAttributesVtbl, this} {
    const auto written = CurrentAttributes(*this->node);
    for (const wchar_t* name : kUnwrittenAttributes)
        if (std::none_of(written.begin(), written.end(),
                         [&](const auto& attribute) { return attribute.first == name; }))
            names.emplace_back(name);
    for (const auto& attribute : written)
        names.push_back(attribute.first);
}

HRESULT AttributesObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLAttributeCollection))
        return HandOut(attributes, result);
    return E_NOINTERFACE;
}

template <typename Object, typename Interface, typename... Arguments>
HRESULT MakeObject(Face<Interface, Object> Object::*face, IDispatch** result, Arguments&&... arguments) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    return NoThrow([&] {
        auto* object = new (std::nothrow) Object(std::forward<Arguments>(arguments)...);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        *result = reinterpret_cast<IDispatch*>((object->*face).Get());
        return S_OK;
    });
}

// IHTMLDOMNode of elements (O = ElementObject) and text nodes (O = TextObject).
template <typename O> O* NodeOwner(IHTMLDOMNode* self) {
    return Face<IHTMLDOMNode, O>::Of(self);
}

template <typename O> HRESULT STDMETHODCALLTYPE NodeType(IHTMLDOMNode* self, LONG* type) {
    if (type == nullptr)
        return E_POINTER;
    *type = NodeOwner<O>(self)->node->IsText() ? 3 : 1;
    return S_OK;
}

template <typename O> HRESULT STDMETHODCALLTYPE NodeNameOf(IHTMLDOMNode* self, BSTR* name) {
    return NoThrow([&] { return ReturnBstr(NodeName(*NodeOwner<O>(self)->node), name); });
}

// A text node's text; VT_NULL for an element.
template <typename O> HRESULT STDMETHODCALLTYPE NodeValue(IHTMLDOMNode* self, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    const DomElementPtr& node = NodeOwner<O>(self)->node;
    if (!node->IsText()) {
        V_VT(value) = VT_NULL;
        return S_OK;
    }
    return NoThrow([&] { return ReturnVariantText(node->text, value); });
}

// The HTML element, and an element in no tree, have none.
template <typename O> HRESULT STDMETHODCALLTYPE NodeParent(IHTMLDOMNode* self, IHTMLDOMNode** parent) {
    if (parent == nullptr)
        return E_POINTER;
    *parent = nullptr;
    O* object = NodeOwner<O>(self);
    if (object->node->parent == nullptr)
        return S_OK;
    return NoThrow([&] {
        return NodeFor(object->state, Owning(object->node->parent), kIHTMLDOMNode,
                       reinterpret_cast<void**>(parent));
    });
}

template <typename O> HRESULT STDMETHODCALLTYPE NodeChildren(IHTMLDOMNode* self, IDispatch** children) {
    O* object = NodeOwner<O>(self);
    return MakeObject(&ChildrenObject::children, children, object->state, object->node);
}

// A text node has no attributes: S_OK with none.
template <typename O> HRESULT STDMETHODCALLTYPE NodeAttributes(IHTMLDOMNode* self, IDispatch** attributes) {
    O* object = NodeOwner<O>(self);
    if (object->node->IsText()) {
        if (attributes == nullptr)
            return E_POINTER;
        *attributes = nullptr;
        return S_OK;
    }
    return MakeObject(&AttributesObject::attributes, attributes, object->state, object->node);
}

template <typename O> IHTMLDOMNodeVtbl NodeVtbl() {
    auto vtbl = DispatchVtbl<IHTMLDOMNode, O>();
    vtbl.get_nodeType = &NodeType<O>;
    vtbl.get_nodeName = &NodeNameOf<O>;
    vtbl.get_nodeValue = &NodeValue<O>;
    vtbl.get_parentNode = &NodeParent<O>;
    vtbl.get_childNodes = &NodeChildren<O>;
    vtbl.get_attributes = &NodeAttributes<O>;
    return vtbl;
}

const IHTMLDOMNodeVtbl kElementNodeVtbl = NodeVtbl<ElementObject>();
const IHTMLDOMNodeVtbl kTextNodeVtbl = NodeVtbl<TextObject>();

TextObject::TextObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)), node(std::move(node)), domNode{&kTextNodeVtbl, this} {}

HRESULT TextObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLDOMNode))
        return HandOut(domNode, result);
    return E_NOINTERFACE;
}

// ---- What an element looks like: its current style and its rectangle.

struct CurrentStyleObject : Counted<CurrentStyleObject> {
    CurrentStyleObject(std::shared_ptr<DomState> state, DomElementPtr node);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    Face<IHTMLCurrentStyle, CurrentStyleObject> style;
};

// The script names of the properties, as a script asks for them (standin/engine/document/DomLayout.h).
HRESULT STDMETHODCALLTYPE CurrentStyleNamesOf(IHTMLCurrentStyle*, REFIID, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids) {
    if (ids == nullptr || (count > 0 && names == nullptr))
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count == 0)
        return S_OK;
    return NoThrow([&] {
        const std::optional<size_t> index =
            names[0] != nullptr ? CurrentStyleIndex(names[0]) : std::optional<size_t>();
        if (!index)
            return DISP_E_UNKNOWNNAME;
        ids[0] = kCurrentStyleIds + static_cast<DISPID>(*index);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME; // no member takes named arguments
    });
}

HRESULT STDMETHODCALLTYPE CurrentStyleInvoke(IHTMLCurrentStyle* self, DISPID id, REFIID, LCID, WORD flags,
                                             DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    const DISPID index = id - kCurrentStyleIds;
    if (index < 0 || static_cast<size_t>(index) >= CurrentStyleNames().size() ||
        (flags & DISPATCH_PROPERTYGET) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr)
        return S_OK;
    ::VariantInit(result);
    CurrentStyleObject* object = Face<IHTMLCurrentStyle, CurrentStyleObject>::Of(self);
    return NoThrow(
        [&] { return ReturnVariantText(CurrentStyle(*object->node, static_cast<size_t>(index)), result); });
}

constexpr std::wstring_view kStyleGetters[] = {
    L"display",
    L"position",
    L"visibility",
    L"zIndex",
    L"color",
    L"backgroundColor",
    L"fontFamily",
    L"fontSize",
    L"fontWeight",
    L"fontStyle",
    L"width",
    L"height",
    L"top",
    L"left",
    L"right",
    L"bottom",
    L"marginTop",
    L"marginRight",
    L"marginBottom",
    L"marginLeft",
    L"paddingTop",
    L"paddingRight",
    L"paddingBottom",
    L"paddingLeft",
    L"borderTopWidth",
    L"borderRightWidth",
    L"borderBottomWidth",
    L"borderLeftWidth",
    L"borderTopStyle",
    L"borderRightStyle",
    L"borderBottomStyle",
    L"borderLeftStyle",
    L"textAlign",
    L"textDecoration",
    L"lineHeight",
    L"overflow",
    L"cursor",
    L"styleFloat",
    L"listStyleType",
    L"verticalAlign",
};

constexpr size_t Getter(std::wstring_view name) {
    for (size_t i = 0; i < std::size(kStyleGetters); ++i)
        if (kStyleGetters[i] == name)
            return i;
    throw "no getter of that name"; // at compile time: a typing mistake does not build
}

std::wstring CurrentValue(IHTMLCurrentStyle* self, size_t getter) {
    return CurrentStyle(*Face<IHTMLCurrentStyle, CurrentStyleObject>::Of(self)->node, kStyleGetters[getter])
        .value_or(std::wstring());
}

template <size_t G> HRESULT STDMETHODCALLTYPE CurrentText(IHTMLCurrentStyle* self, BSTR* value) {
    return NoThrow([&] { return ReturnBstr(CurrentValue(self, G), value); });
}

template <size_t G> HRESULT STDMETHODCALLTYPE CurrentVariant(IHTMLCurrentStyle* self, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    return NoThrow([&] { return ReturnVariantText(CurrentValue(self, G), value); });
}

const IHTMLCurrentStyleVtbl kCurrentStyleVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLCurrentStyle, CurrentStyleObject>();
    vtbl.GetIDsOfNames = &CurrentStyleNamesOf;
    vtbl.Invoke = &CurrentStyleInvoke;
    vtbl.get_display = &CurrentText<Getter(L"display")>;
    vtbl.get_position = &CurrentText<Getter(L"position")>;
    vtbl.get_visibility = &CurrentText<Getter(L"visibility")>;
    vtbl.get_zIndex = &CurrentVariant<Getter(L"zIndex")>;
    vtbl.get_color = &CurrentVariant<Getter(L"color")>;
    vtbl.get_backgroundColor = &CurrentVariant<Getter(L"backgroundColor")>;
    vtbl.get_fontFamily = &CurrentText<Getter(L"fontFamily")>;
    vtbl.get_fontSize = &CurrentVariant<Getter(L"fontSize")>;
    vtbl.get_fontWeight = &CurrentVariant<Getter(L"fontWeight")>;
    vtbl.get_fontStyle = &CurrentText<Getter(L"fontStyle")>;
    vtbl.get_width = &CurrentVariant<Getter(L"width")>;
    vtbl.get_height = &CurrentVariant<Getter(L"height")>;
    vtbl.get_top = &CurrentVariant<Getter(L"top")>;
    vtbl.get_left = &CurrentVariant<Getter(L"left")>;
    vtbl.get_right = &CurrentVariant<Getter(L"right")>;
    vtbl.get_bottom = &CurrentVariant<Getter(L"bottom")>;
    vtbl.get_marginTop = &CurrentVariant<Getter(L"marginTop")>;
    vtbl.get_marginRight = &CurrentVariant<Getter(L"marginRight")>;
    vtbl.get_marginBottom = &CurrentVariant<Getter(L"marginBottom")>;
    vtbl.get_marginLeft = &CurrentVariant<Getter(L"marginLeft")>;
    vtbl.get_paddingTop = &CurrentVariant<Getter(L"paddingTop")>;
    vtbl.get_paddingRight = &CurrentVariant<Getter(L"paddingRight")>;
    vtbl.get_paddingBottom = &CurrentVariant<Getter(L"paddingBottom")>;
    vtbl.get_paddingLeft = &CurrentVariant<Getter(L"paddingLeft")>;
    vtbl.get_borderTopWidth = &CurrentVariant<Getter(L"borderTopWidth")>;
    vtbl.get_borderRightWidth = &CurrentVariant<Getter(L"borderRightWidth")>;
    vtbl.get_borderBottomWidth = &CurrentVariant<Getter(L"borderBottomWidth")>;
    vtbl.get_borderLeftWidth = &CurrentVariant<Getter(L"borderLeftWidth")>;
    vtbl.get_borderTopStyle = &CurrentText<Getter(L"borderTopStyle")>;
    vtbl.get_borderRightStyle = &CurrentText<Getter(L"borderRightStyle")>;
    vtbl.get_borderBottomStyle = &CurrentText<Getter(L"borderBottomStyle")>;
    vtbl.get_borderLeftStyle = &CurrentText<Getter(L"borderLeftStyle")>;
    vtbl.get_textAlign = &CurrentText<Getter(L"textAlign")>;
    vtbl.get_textDecoration = &CurrentText<Getter(L"textDecoration")>;
    vtbl.get_lineHeight = &CurrentVariant<Getter(L"lineHeight")>;
    vtbl.get_overflow = &CurrentText<Getter(L"overflow")>;
    vtbl.get_cursor = &CurrentText<Getter(L"cursor")>;
    vtbl.get_styleFloat = &CurrentText<Getter(L"styleFloat")>;
    vtbl.get_listStyleType = &CurrentText<Getter(L"listStyleType")>;
    vtbl.get_verticalAlign = &CurrentVariant<Getter(L"verticalAlign")>;
    return vtbl;
}();

CurrentStyleObject::CurrentStyleObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)), node(std::move(node)), style{&kCurrentStyleVtbl, this} {}

HRESULT CurrentStyleObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLCurrentStyle))
        return HandOut(style, result);
    return E_NOINTERFACE;
}

struct RectObject : Counted<RectObject> {
    explicit RectObject(const DomElement::Box& box) : box(box), rect{&kVtbl, this} {}
    HRESULT Query(REFIID iid, void** result) {
        if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLRect))
            return HandOut(rect, result);
        return E_NOINTERFACE;
    }

    template <int Side> static HRESULT STDMETHODCALLTYPE Get(IHTMLRect* self, LONG* value) {
        if (value == nullptr)
            return E_POINTER;
        const DomElement::Box& box = Face<IHTMLRect, RectObject>::Of(self)->box;
        const long sides[] = {box.left, box.top, box.left + box.width, box.top + box.height};
        *value = sides[Side];
        return S_OK;
    }
    static const IHTMLRectVtbl kVtbl;

    DomElement::Box box;
    Face<IHTMLRect, RectObject> rect;
};

const IHTMLRectVtbl RectObject::kVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLRect, RectObject>();
    vtbl.get_left = &RectObject::Get<0>;
    vtbl.get_top = &RectObject::Get<1>;
    vtbl.get_right = &RectObject::Get<2>;
    vtbl.get_bottom = &RectObject::Get<3>;
    return vtbl;
}();

// ---- Elements.

HRESULT STDMETHODCALLTYPE ElementGetId(IHTMLElement* self, BSTR* id) {
    return NoThrow([&] { return ReturnBstr(ElementOf(self)->node->id, id); });
}

HRESULT STDMETHODCALLTYPE ElementGetTagName(IHTMLElement* self, BSTR* tag) {
    return NoThrow([&] { return ReturnBstr(NodeName(*ElementOf(self)->node), tag); });
}

HRESULT STDMETHODCALLTYPE ElementGetStyle(IHTMLElement* self, IHTMLStyle** style) {
    ElementObject* object = ElementOf(self);
    return MakeStyle(object->state, object->node, false, style);
}

HRESULT STDMETHODCALLTYPE ElementGetAll(IHTMLElement* self, IDispatch** all) {
    ElementObject* object = ElementOf(self);
    if (all != nullptr)
        *all = nullptr;
    return NoThrow([&] { return MakeCollection(object->state, Within(*object->node, false), all); });
}

// Flag 1: the name's case counts. VT_NULL when the element has no such attribute.
HRESULT STDMETHODCALLTYPE ElementGetAttribute(IHTMLElement* self, BSTR name, LONG flags, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    return NoThrow([&] {
        const std::optional<std::wstring> text =
            GetAttribute(*ElementOf(self)->node, FromBstr(name), (flags & 1) != 0);
        if (!text) {
            V_VT(value) = VT_NULL;
            return S_OK;
        }
        return ReturnVariantText(*text, value);
    });
}

// The value is taken as text. A change of the document a host makes: the page report shows it.
HRESULT STDMETHODCALLTYPE ElementSetAttribute(IHTMLElement* self, BSTR name, VARIANT value, LONG) {
    ElementObject* object = ElementOf(self);
    if (::SysStringLen(name) == 0)
        return E_INVALIDARG;
    return NoThrow([&] {
        VARIANT text;
        ::VariantInit(&text);
        if (FAILED(::VariantChangeType(&text, &value, 0, VT_BSTR)))
            return E_INVALIDARG;
        SetAttribute(*object->node, FromBstr(name), FromBstr(V_BSTR(&text)), true);
        ::VariantClear(&text);
        object->state->Changed();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ElementGetOuterHtml(IHTMLElement* self, BSTR* html) {
    return NoThrow([&] { return ReturnBstr(OuterHtml(*ElementOf(self)->node), html); });
}

HRESULT STDMETHODCALLTYPE ElementGetInnerText(IHTMLElement* self, BSTR* text) {
    return NoThrow([&] { return ReturnBstr(InnerText(*ElementOf(self)->node), text); });
}

// 0 offsetLeft, 1 offsetTop, 2 offsetWidth, 3 offsetHeight.
template <int Which> HRESULT STDMETHODCALLTYPE ElementOffset(IHTMLElement* self, LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    ElementObject* object = ElementOf(self);
    return NoThrow([&] {
        object->state->Lay();
        const DomElement::Box& box = object->node->box;
        const long values[] = {box.left, box.top, box.width, box.height};
        *value = values[Which];
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ElementGetRuntimeStyle(IHTMLElement2* self, IHTMLStyle** style) {
    ElementObject* object = Face<IHTMLElement2, ElementObject>::Of(self);
    return MakeStyle(object->state, object->node, true, style);
}

HRESULT STDMETHODCALLTYPE ElementGetCurrentStyle(IHTMLElement2* self, IHTMLCurrentStyle** style) {
    ElementObject* object = Face<IHTMLElement2, ElementObject>::Of(self);
    return MakeObject(&CurrentStyleObject::style, reinterpret_cast<IDispatch**>(style), object->state,
                      object->node);
}

HRESULT STDMETHODCALLTYPE ElementGetBoundingRect(IHTMLElement2* self, IHTMLRect** rect) {
    ElementObject* object = Face<IHTMLElement2, ElementObject>::Of(self);
    if (rect == nullptr)
        return E_POINTER;
    *rect = nullptr;
    return NoThrow([&] {
        object->state->Lay();
        return MakeObject(&RectObject::rect, reinterpret_cast<IDispatch**>(rect), object->node->box);
    });
}

// 0 scrollWidth, 1 scrollHeight. The page's outermost elements scroll what the control draws.
template <int Which> HRESULT STDMETHODCALLTYPE ElementScroll(IHTMLElement2* self, LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    ElementObject* object = Face<IHTMLElement2, ElementObject>::Of(self);
    return NoThrow([&] {
        const std::wstring& tag = object->node->tag;
        SIZE client = {};
        LONG content = 0;
        if ((tag == L"html" || tag == L"body" || tag == L"frameset") && object->state->view &&
            SUCCEEDED(object->state->view->GetPageExtent(&client, &content))) {
            *value = Which == 0 ? client.cx : std::max(content, client.cy);
            return S_OK;
        }
        object->state->Lay();
        const DomElement::Box& box = object->node->box;
        *value = Which == 0 ? box.width : box.height;
        return S_OK;
    });
}

const IHTMLElementVtbl kElementVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLElement, ElementObject>();
    vtbl.get_id = &ElementGetId;
    vtbl.get_tagName = &ElementGetTagName;
    vtbl.get_style = &ElementGetStyle;
    vtbl.get_all = &ElementGetAll;
    vtbl.getAttribute = &ElementGetAttribute;
    vtbl.setAttribute = &ElementSetAttribute;
    vtbl.get_outerHTML = &ElementGetOuterHtml;
    vtbl.get_innerText = &ElementGetInnerText;
    vtbl.get_offsetLeft = &ElementOffset<0>;
    vtbl.get_offsetTop = &ElementOffset<1>;
    vtbl.get_offsetWidth = &ElementOffset<2>;
    vtbl.get_offsetHeight = &ElementOffset<3>;
    return vtbl;
}();
const IHTMLElement2Vtbl kElement2Vtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLElement2, ElementObject>();
    vtbl.get_runtimeStyle = &ElementGetRuntimeStyle;
    vtbl.get_currentStyle = &ElementGetCurrentStyle;
    vtbl.getBoundingClientRect = &ElementGetBoundingRect;
    vtbl.get_scrollWidth = &ElementScroll<0>;
    vtbl.get_scrollHeight = &ElementScroll<1>;
    return vtbl;
}();
const IHTMLBodyElementVtbl kBodyVtbl = DispatchVtbl<IHTMLBodyElement, ElementObject>();
const IHTMLFrameSetElementVtbl kFrameSetVtbl = DispatchVtbl<IHTMLFrameSetElement, ElementObject>();

ElementObject::ElementObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)),
      node(std::move(node)), element{&kElementVtbl, this}, element2{&kElement2Vtbl, this},
      domNode{&kElementNodeVtbl, this}, body{&kBodyVtbl, this}, frameset{&kFrameSetVtbl, this} {}

HRESULT ElementObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLElement))
        return HandOut(element, result);
    if (Is(iid, kIHTMLElement2))
        return HandOut(element2, result);
    if (Is(iid, kIHTMLDOMNode))
        return HandOut(domNode, result);
    if (Is(iid, kIHTMLBodyElement) && node->tag == L"body")
        return HandOut(body, result);
    if (Is(iid, kIHTMLFrameSetElement) && node->tag == L"frameset")
        return HandOut(frameset, result);
    return E_NOINTERFACE;
}

// ---- Windows and the frames collection.

// A frame's document (held; null for a frame left empty), and whether its page comes from another site.
struct FrameEntry {
    IDispatch* document = nullptr;
    bool otherSite = false;
};

struct FramesObject : Counted<FramesObject> {
    explicit FramesObject(std::vector<FrameEntry> entries);
    ~FramesObject();
    HRESULT Query(REFIID iid, void** result);

    std::vector<FrameEntry> entries;
    Face<IHTMLFramesCollection2, FramesObject> frames;
};

// A document's window. The document's own window (state set) runs scripts and answers the properties they
// set. The frames collection makes plain ones for frames it cannot ask for their own window: a frame left
// empty, and a frame from another site, whose document it keeps to itself.
struct WindowObject : Counted<WindowObject> {
    WindowObject(IDispatch* document, std::shared_ptr<DomState> state, bool otherSite);
    ~WindowObject() {
        if (state && state->window == this)
            state->window = nullptr;
        if (document)
            document->Release();
    }
    HRESULT Query(REFIID iid, void** result);
    // The frames of this window's own document.
    HRESULT Frames(IHTMLFramesCollection2** frames);
    HRESULT Names(LPOLESTR* names, UINT count, DISPID* ids, bool caseSensitive);
    HRESULT Get(DISPID id, WORD flags, VARIANT* result);

    // The window's IDispatchEx, for hosts that look names up the way scripts do.
    class DispatchEx final : public IDispatchEx {
    public:
        explicit DispatchEx(WindowObject& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
            if (result == nullptr)
                return E_POINTER;
            *result = nullptr;
            return owner_.Query(iid, result);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
            if (count == nullptr)
                return E_POINTER;
            *count = 0;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
            if (info != nullptr)
                *info = nullptr;
            return DISP_E_BADINDEX;
        }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                DISPID* ids) override {
            return owner_.Names(names, count, ids, false);
        }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                         EXCEPINFO*, UINT*) override {
            return owner_.Get(id, flags, result);
        }
        HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD options, DISPID* id) override {
            return owner_.Names(&name, 1, id, (options & fdexNameCaseSensitive) != 0);
        }
        HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                           EXCEPINFO*, IServiceProvider*) override {
            return owner_.Get(id, flags, result);
        }
        HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR, DWORD) override { Unprovided(); }
        HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID) override { Unprovided(); }
        HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD*) override { Unprovided(); }
        HRESULT STDMETHODCALLTYPE GetMemberName(DISPID id, BSTR* name) override {
            if (name == nullptr)
                return E_POINTER;
            *name = nullptr;
            const DISPID index = id - kExpandoIds;
            if (!owner_.state || index < 0 || static_cast<size_t>(index) >= owner_.state->globals.Size())
                return DISP_E_UNKNOWNNAME;
            return ReturnBstr(owner_.state->globals.NameAt(static_cast<size_t>(index)), name);
        }
        HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID id, DISPID* next) override {
            if (next == nullptr)
                return E_POINTER;
            *next = DISPID_UNKNOWN;
            const size_t count = owner_.state ? owner_.state->globals.Size() : 0;
            const DISPID following = id == DISPID_STARTENUM ? kExpandoIds : id + 1;
            if (following < kExpandoIds || static_cast<size_t>(following - kExpandoIds) >= count)
                return S_FALSE;
            *next = following;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown**) override { Unprovided(); }

    private:
        WindowObject& owner_;
    };

    IDispatch* document;
    std::shared_ptr<DomState> state;
    bool otherSite;
    Face<IHTMLWindow2, WindowObject> window;
    DispatchEx dispatchEx{*this};
};

HRESULT MakeWindow(IDispatch* document, bool otherSite, VARIANT* result) {
    auto* object = new (std::nothrow) WindowObject(document, nullptr, otherSite);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = reinterpret_cast<IDispatch*>(object->window.Get());
    return S_OK;
}

// The frame document's own window; a plain one for a frame left empty or from another site.
HRESULT WindowOfFrame(const FrameEntry& frame, VARIANT* result) {
    if (frame.document != nullptr && !frame.otherSite) {
        IHTMLDocument2* html = nullptr;
        if (SUCCEEDED(frame.document->QueryInterface(kIHTMLDocument2, reinterpret_cast<void**>(&html))) &&
            html) {
            IHTMLWindow2* window = nullptr;
            const HRESULT hr = html->lpVtbl->get_parentWindow(html, &window);
            html->lpVtbl->Release(html);
            if (SUCCEEDED(hr) && window != nullptr) {
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = reinterpret_cast<IDispatch*>(window);
                return S_OK;
            }
        }
    }
    return MakeWindow(frame.document, frame.otherSite, result);
}

HRESULT STDMETHODCALLTYPE FramesLength(IHTMLFramesCollection2* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length = static_cast<LONG>(Face<IHTMLFramesCollection2, FramesObject>::Of(self)->entries.size());
    return S_OK;
}

// By position only: frames are not looked up by name here.
HRESULT STDMETHODCALLTYPE FramesItem(IHTMLFramesCollection2* self, VARIANT* index, VARIANT* result) {
    if (index == nullptr || result == nullptr)
        return E_POINTER;
    ::VariantInit(result);
    FramesObject* object = Face<IHTMLFramesCollection2, FramesObject>::Of(self);
    long position = 0;
    if (!ReadIndex(*index, position) || position < 0 ||
        static_cast<size_t>(position) >= object->entries.size())
        return E_INVALIDARG;
    return WindowOfFrame(object->entries[static_cast<size_t>(position)], result);
}

const IHTMLFramesCollection2Vtbl kFramesVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLFramesCollection2, FramesObject>();
    vtbl.get_length = &FramesLength;
    vtbl.item = &FramesItem;
    return vtbl;
}();

FramesObject::FramesObject(std::vector<FrameEntry> held)
    : entries(std::move(held)), frames{&kFramesVtbl, this} {
    for (const FrameEntry& entry : entries)
        if (entry.document)
            entry.document->AddRef();
}

FramesObject::~FramesObject() {
    for (const FrameEntry& entry : entries)
        if (entry.document)
            entry.document->Release();
}

HRESULT FramesObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLFramesCollection2))
        return HandOut(frames, result);
    return E_NOINTERFACE;
}

HRESULT WindowObject::Frames(IHTMLFramesCollection2** frames) {
    *frames = nullptr;
    IHTMLDocument2* html = nullptr;
    if (document == nullptr ||
        FAILED(document->QueryInterface(kIHTMLDocument2, reinterpret_cast<void**>(&html))) || html == nullptr)
        return E_FAIL;
    const HRESULT hr = html->lpVtbl->get_frames(html, frames);
    html->lpVtbl->Release(html);
    return hr;
}

// The properties scripts set, by name: exactly as written first, then (unless caseSensitive) ignoring case.
HRESULT WindowObject::Names(LPOLESTR* names, UINT count, DISPID* ids, bool caseSensitive) {
    if (ids == nullptr || (count > 0 && names == nullptr))
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count == 0)
        return S_OK;
    return NoThrow([&] {
        const std::optional<size_t> index = state && names[0] != nullptr
                                                ? state->globals.Find(names[0], caseSensitive)
                                                : std::optional<size_t>();
        if (!index)
            return DISP_E_UNKNOWNNAME;
        ids[0] = kExpandoIds + static_cast<DISPID>(*index);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    });
}

// Reading a property a script set: a whole number as VT_I4, another number as VT_R8, a string as VT_BSTR.
HRESULT WindowObject::Get(DISPID id, WORD flags, VARIANT* result) {
    const DISPID index = id - kExpandoIds;
    if (!state || index < 0 || static_cast<size_t>(index) >= state->globals.Size() ||
        (flags & DISPATCH_PROPERTYGET) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr)
        return S_OK;
    ::VariantInit(result);
    const ScriptValue& value = state->globals.ValueAt(static_cast<size_t>(index));
    if (!value.isNumber)
        return NoThrow([&] { return ReturnVariantText(value.text, result); });
    if (value.number == static_cast<double>(static_cast<LONG>(value.number)) &&
        value.number >= -2147483648.0 && value.number <= 2147483647.0) {
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(value.number);
    } else {
        V_VT(result) = VT_R8;
        V_R8(result) = value.number;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowLength(IHTMLWindow2* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length = 0;
    IHTMLFramesCollection2* frames = nullptr;
    HRESULT hr = Face<IHTMLWindow2, WindowObject>::Of(self)->Frames(&frames);
    if (SUCCEEDED(hr)) {
        hr = frames->lpVtbl->get_length(frames, length);
        frames->lpVtbl->Release(frames);
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE WindowItem(IHTMLWindow2* self, VARIANT* index, VARIANT* result) {
    if (index == nullptr || result == nullptr)
        return E_POINTER;
    ::VariantInit(result);
    IHTMLFramesCollection2* frames = nullptr;
    HRESULT hr = Face<IHTMLWindow2, WindowObject>::Of(self)->Frames(&frames);
    if (SUCCEEDED(hr)) {
        hr = frames->lpVtbl->item(frames, index, result);
        frames->lpVtbl->Release(frames);
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE WindowFrames(IHTMLWindow2* self, IHTMLFramesCollection2** frames) {
    if (frames == nullptr)
        return E_POINTER;
    return Face<IHTMLWindow2, WindowObject>::Of(self)->Frames(frames);
}

// A frame left empty has no document: S_OK with none. A frame from another site: E_ACCESSDENIED.
HRESULT STDMETHODCALLTYPE WindowDocument(IHTMLWindow2* self, IHTMLDocument2** document) {
    if (document == nullptr)
        return E_POINTER;
    *document = nullptr;
    WindowObject* window = Face<IHTMLWindow2, WindowObject>::Of(self);
    if (window->otherSite)
        return E_ACCESSDENIED;
    if (window->document == nullptr)
        return S_OK;
    return window->document->QueryInterface(kIHTMLDocument2, reinterpret_cast<void**>(document));
}

// The little script of standin/engine/document/PageScript.h. A failure is kScriptErrorReported, and the page
// report shows its message (script.error).
HRESULT STDMETHODCALLTYPE WindowExecScript(IHTMLWindow2* self, BSTR code, BSTR language, VARIANT* result) {
    if (result != nullptr)
        ::VariantInit(result);
    WindowObject* window = Face<IHTMLWindow2, WindowObject>::Of(self);
    if (window->otherSite)
        return E_ACCESSDENIED;
    if (!window->state)
        return E_FAIL; // a frame left empty runs nothing
    return NoThrow([&] {
        DomState& state = *window->state;
        const std::wstring name = FromBstr(language);
        std::optional<std::wstring> error;
        if (!IsScriptLanguage(name))
            error = L"the stand-in runs no " + name + L" script";
        else
            error = RunScript(FromBstr(code), state.title, state.tree.Html().get(), state.globals);
        if (!error)
            return S_OK;
        state.scriptError = *error;
        state.Changed();
        return kScriptErrorReported;
    });
}

HRESULT STDMETHODCALLTYPE WindowNames(IHTMLWindow2* self, REFIID, LPOLESTR* names, UINT count, LCID,
                                      DISPID* ids) {
    return Face<IHTMLWindow2, WindowObject>::Of(self)->Names(names, count, ids, false);
}

HRESULT STDMETHODCALLTYPE WindowInvoke(IHTMLWindow2* self, DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                       VARIANT* result, EXCEPINFO*, UINT*) {
    return Face<IHTMLWindow2, WindowObject>::Of(self)->Get(id, flags, result);
}

const IHTMLWindow2Vtbl kWindowVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLWindow2, WindowObject>();
    vtbl.GetIDsOfNames = &WindowNames;
    vtbl.Invoke = &WindowInvoke;
    vtbl.get_length = &WindowLength;
    vtbl.item = &WindowItem;
    vtbl.get_frames = &WindowFrames;
    vtbl.get_document = &WindowDocument;
    vtbl.execScript = &WindowExecScript;
    return vtbl;
}();

WindowObject::WindowObject(IDispatch* held, std::shared_ptr<DomState> own, bool foreign)
    : document(held), state(std::move(own)), otherSite(foreign), window{&kWindowVtbl, this} {
    if (document)
        document->AddRef();
}

HRESULT WindowObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLFramesCollection2) ||
        Is(iid, kIHTMLWindow2))
        return HandOut(window, result);
    if (Is(iid, kIDispatchEx)) {
        AddRef();
        *result = static_cast<IDispatchEx*>(&dispatchEx);
        return S_OK;
    }
    return E_NOINTERFACE;
}

// ---- Events: the object a document event hands its sinks.

struct EventObject : Counted<EventObject> {
    EventObject(std::shared_ptr<DomState> state, DomElementPtr source, long x, long y);
    ~EventObject() { ::VariantClear(&returnValue); }
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr source;
    long x, y;
    VARIANT returnValue;
    VARIANT_BOOL cancelBubble = VARIANT_FALSE;
    Face<IHTMLEventObj, EventObject> event;
};

EventObject* EventOf(IHTMLEventObj* self) {
    return Face<IHTMLEventObj, EventObject>::Of(self);
}

HRESULT STDMETHODCALLTYPE EventSource(IHTMLEventObj* self, IHTMLElement** element) {
    if (element == nullptr)
        return E_POINTER;
    *element = nullptr;
    EventObject* event = EventOf(self);
    return NoThrow([&] { return ElementFor(event->state, event->source, element); });
}

HRESULT STDMETHODCALLTYPE EventType(IHTMLEventObj*, BSTR* type) {
    return ReturnBstr(L"click", type);
}

HRESULT STDMETHODCALLTYPE EventPutReturnValue(IHTMLEventObj* self, VARIANT value) {
    return ::VariantCopy(&EventOf(self)->returnValue, &value);
}

HRESULT STDMETHODCALLTYPE EventGetReturnValue(IHTMLEventObj* self, VARIANT* value) {
    if (value == nullptr)
        return E_POINTER;
    ::VariantInit(value);
    return ::VariantCopy(value, &EventOf(self)->returnValue);
}

HRESULT STDMETHODCALLTYPE EventPutCancelBubble(IHTMLEventObj* self, VARIANT_BOOL cancel) {
    EventOf(self)->cancelBubble = cancel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventGetCancelBubble(IHTMLEventObj* self, VARIANT_BOOL* cancel) {
    if (cancel == nullptr)
        return E_POINTER;
    *cancel = EventOf(self)->cancelBubble;
    return S_OK;
}

template <bool Horizontal> HRESULT STDMETHODCALLTYPE EventClient(IHTMLEventObj* self, LONG* value) {
    if (value == nullptr)
        return E_POINTER;
    *value = Horizontal ? EventOf(self)->x : EventOf(self)->y;
    return S_OK;
}

const IHTMLEventObjVtbl kEventVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLEventObj, EventObject>();
    vtbl.get_srcElement = &EventSource;
    vtbl.get_type = &EventType;
    vtbl.put_returnValue = &EventPutReturnValue;
    vtbl.get_returnValue = &EventGetReturnValue;
    vtbl.put_cancelBubble = &EventPutCancelBubble;
    vtbl.get_cancelBubble = &EventGetCancelBubble;
    vtbl.get_clientX = &EventClient<true>;
    vtbl.get_clientY = &EventClient<false>;
    return vtbl;
}();

EventObject::EventObject(std::shared_ptr<DomState> state, DomElementPtr source, long x, long y)
    : state(std::move(state)), source(std::move(source)), x(x), y(y), event{&kEventVtbl, this} {
    ::VariantInit(&returnValue);
}

HRESULT EventObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLEventObj))
        return HandOut(event, result);
    return E_NOINTERFACE;
}

// ---- Markup pointers.

struct PointerObject : Counted<PointerObject> {
    explicit PointerObject(std::shared_ptr<DomState> state);
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    bool placed = false;
    MarkupPosition position;
    Face<IMarkupPointer, PointerObject> pointer;
};

HRESULT STDMETHODCALLTYPE PointerMoveAdjacent(IMarkupPointer* self, IHTMLElement* element,
                                              ELEMENT_ADJACENCY where) {
    PointerObject* object = Face<IMarkupPointer, PointerObject>::Of(self);
    if (!Face<IHTMLElement, ElementObject>::Ours(element, &kElementVtbl) ||
        ElementOf(element)->state != object->state)
        return E_INVALIDARG;
    Adjacency adjacency;
    switch (where) {
    case ELEM_ADJ_BeforeBegin:
        adjacency = Adjacency::BeforeBegin;
        break;
    case ELEM_ADJ_AfterBegin:
        adjacency = Adjacency::AfterBegin;
        break;
    case ELEM_ADJ_BeforeEnd:
        adjacency = Adjacency::BeforeEnd;
        break;
    case ELEM_ADJ_AfterEnd:
        adjacency = Adjacency::AfterEnd;
        break;
    default:
        return E_INVALIDARG;
    }
    MarkupPosition position;
    if (!PositionBeside(ElementOf(element)->node, adjacency, position))
        return E_FAIL;
    object->position = position;
    object->placed = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PointerIsPositioned(IMarkupPointer* self, BOOL* positioned) {
    if (positioned == nullptr)
        return E_POINTER;
    *positioned = Face<IMarkupPointer, PointerObject>::Of(self)->placed;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PointerUnposition(IMarkupPointer* self) {
    Face<IMarkupPointer, PointerObject>::Of(self)->placed = false;
    return S_OK;
}

const IMarkupPointerVtbl kPointerVtbl = [] {
    using Vtbl = IMarkupPointerVtbl;
    Vtbl vtbl = UnprovidedVtbl<Vtbl>();
    vtbl.QueryInterface = &FaceQuery<IMarkupPointer, PointerObject>;
    vtbl.AddRef = &FaceAddRef<IMarkupPointer, PointerObject>;
    vtbl.Release = &FaceRelease<IMarkupPointer, PointerObject>;
    vtbl.MoveAdjacentToElement = &PointerMoveAdjacent;
    vtbl.IsPositioned = &PointerIsPositioned;
    vtbl.Unposition = &PointerUnposition;
    return vtbl;
}();

PointerObject::PointerObject(std::shared_ptr<DomState> state)
    : state(std::move(state)), pointer{&kPointerVtbl, this} {}

HRESULT PointerObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, kIMarkupPointer))
        return HandOut(pointer, result);
    return E_NOINTERFACE;
}

} // namespace

// ---- The document's own faces.

struct HtmlDom::Parts {
    // The document's connection points: HTMLDocumentEvents2 only.
    class Events final : public IConnectionPointContainer {
    public:
        explicit Events(Parts& parts) : parts_(parts) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
            return parts_.Query(iid, result);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return parts_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return parts_.Release(); }
        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { Unprovided(); }
        HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
            if (point == nullptr)
                return E_POINTER;
            *point = nullptr;
            if (!Is(iid, kHTMLDocumentEvents2))
                return CONNECT_E_NOCONNECTION;
            *point = &parts_.clicks;
            parts_.AddRef();
            return S_OK;
        }

    private:
        Parts& parts_;
    };

    Parts(void* outerUnknown);
    ~Parts() {
        for (const FrameEntry& frame : frames)
            if (frame.document)
                frame.document->Release();
    }

    IUnknown* outer;
    std::shared_ptr<DomState> state = std::make_shared<DomState>();
    std::vector<FrameEntry> frames; // documents held
    Face<IHTMLDocument2, Parts> document;
    Face<IHTMLDocument3, Parts> document3;
    Face<IMarkupServices, Parts> markup;
    Face<IMarkupContainer, Parts> container;
    Events events{*this};
    ConnectionPoint clicks{events, kHTMLDocumentEvents2};

    HRESULT Query(REFIID iid, void** result) { return outer->QueryInterface(iid, result); }
    ULONG AddRef() { return outer->AddRef(); }
    ULONG Release() { return outer->Release(); }
};

namespace {

using Parts = HtmlDom::Parts;

HRESULT STDMETHODCALLTYPE DocumentBody(IHTMLDocument2* self, IHTMLElement** body) {
    if (body == nullptr)
        return E_POINTER;
    *body = nullptr;
    Parts* parts = Face<IHTMLDocument2, Parts>::Of(self);
    const DomElementPtr& root = parts->state->tree.Root();
    if (!root)
        return S_OK; // no body yet
    return NoThrow([&] { return ElementFor(parts->state, root, body); });
}

HRESULT STDMETHODCALLTYPE DocumentAll(IHTMLDocument2* self, IHTMLElementCollection** all) {
    if (all == nullptr)
        return E_POINTER;
    *all = nullptr;
    Parts* parts = Face<IHTMLDocument2, Parts>::Of(self);
    return NoThrow([&] {
        const DomElementPtr& html = parts->state->tree.Html();
        return MakeCollection(parts->state, html ? Within(*html, true) : std::vector<DomElementPtr>{},
                              reinterpret_cast<IDispatch**>(all));
    });
}

HRESULT STDMETHODCALLTYPE DocumentFrames(IHTMLDocument2* self, IHTMLFramesCollection2** frames) {
    if (frames == nullptr)
        return E_POINTER;
    *frames = nullptr;
    Parts* parts = Face<IHTMLDocument2, Parts>::Of(self);
    return NoThrow([&] {
        auto* object = new (std::nothrow) FramesObject(parts->frames);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        *frames = object->frames.Get();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocumentTitle(IHTMLDocument2* self, BSTR* title) {
    return NoThrow([&] { return ReturnBstr(Face<IHTMLDocument2, Parts>::Of(self)->state->title, title); });
}

// The document's own window: one object for as long as somebody holds it.
HRESULT STDMETHODCALLTYPE DocumentWindow(IHTMLDocument2* self, IHTMLWindow2** window) {
    if (window == nullptr)
        return E_POINTER;
    *window = nullptr;
    Parts* parts = Face<IHTMLDocument2, Parts>::Of(self);
    DomState& state = *parts->state;
    if (state.window != nullptr)
        return HandOut(state.window->window, window);
    IDispatch* document = nullptr;
    const HRESULT hr = parts->outer->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&document));
    if (FAILED(hr))
        return hr;
    auto* object = new (std::nothrow) WindowObject(document, parts->state, false);
    document->Release();
    if (object == nullptr)
        return E_OUTOFMEMORY;
    state.window = object;
    *window = object->window.Get();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentElement(IHTMLDocument3* self, IHTMLElement** element) {
    if (element == nullptr)
        return E_POINTER;
    *element = nullptr;
    Parts* parts = Face<IHTMLDocument3, Parts>::Of(self);
    const DomElementPtr& html = parts->state->tree.Html();
    if (!html)
        return S_OK;
    return NoThrow([&] { return ElementFor(parts->state, html, element); });
}

HRESULT STDMETHODCALLTYPE MarkupCreatePointer(IMarkupServices* self, IMarkupPointer** pointer) {
    if (pointer == nullptr)
        return E_POINTER;
    *pointer = nullptr;
    return NoThrow([&] {
        auto* object = new (std::nothrow) PointerObject(Face<IMarkupServices, Parts>::Of(self)->state);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        *pointer = object->pointer.Get();
        return S_OK;
    });
}

// DIVs only: the one element a host of the stand-in makes.
HRESULT STDMETHODCALLTYPE MarkupCreateElement(IMarkupServices* self, ELEMENT_TAG_ID tag, OLECHAR* attributes,
                                              IHTMLElement** element) {
    if (element == nullptr)
        return E_POINTER;
    *element = nullptr;
    if (static_cast<long>(tag) != kTagDiv)
        return E_INVALIDARG;
    return NoThrow([&] {
        const DomElementPtr node = MakeElement(L"div", attributes ? std::wstring_view(attributes) : L"");
        return ElementFor(Face<IMarkupServices, Parts>::Of(self)->state, node, element);
    });
}

HRESULT STDMETHODCALLTYPE MarkupInsertElement(IMarkupServices* self, IHTMLElement* element,
                                              IMarkupPointer* start, IMarkupPointer* finish) {
    Parts* parts = Face<IMarkupServices, Parts>::Of(self);
    if (!Face<IHTMLElement, ElementObject>::Ours(element, &kElementVtbl) ||
        !Face<IMarkupPointer, PointerObject>::Ours(start, &kPointerVtbl) ||
        !Face<IMarkupPointer, PointerObject>::Ours(finish, &kPointerVtbl))
        return E_INVALIDARG;
    PointerObject* from = Face<IMarkupPointer, PointerObject>::Of(start);
    PointerObject* to = Face<IMarkupPointer, PointerObject>::Of(finish);
    if (ElementOf(element)->state != parts->state || from->state != parts->state ||
        to->state != parts->state || !from->placed || !to->placed)
        return E_INVALIDARG;
    return NoThrow([&] {
        if (!InsertBetween(ElementOf(element)->node, from->position, to->position))
            return E_FAIL;
        parts->state->Changed();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ContainerOwningDoc(IMarkupContainer* self, IHTMLDocument2** document) {
    if (document == nullptr)
        return E_POINTER;
    return HandOut(Face<IMarkupContainer, Parts>::Of(self)->document, document);
}

const IHTMLDocument2Vtbl kDocumentVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLDocument2, Parts>();
    vtbl.get_body = &DocumentBody;
    vtbl.get_all = &DocumentAll;
    vtbl.get_frames = &DocumentFrames;
    vtbl.get_title = &DocumentTitle;
    vtbl.get_parentWindow = &DocumentWindow;
    return vtbl;
}();

const IHTMLDocument3Vtbl kDocument3Vtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLDocument3, Parts>();
    vtbl.get_documentElement = &DocumentElement;
    return vtbl;
}();

const IMarkupServicesVtbl kMarkupVtbl = [] {
    IMarkupServicesVtbl vtbl = UnprovidedVtbl<IMarkupServicesVtbl>();
    vtbl.QueryInterface = &FaceQuery<IMarkupServices, Parts>;
    vtbl.AddRef = &FaceAddRef<IMarkupServices, Parts>;
    vtbl.Release = &FaceRelease<IMarkupServices, Parts>;
    vtbl.CreateMarkupPointer = &MarkupCreatePointer;
    vtbl.CreateElement = &MarkupCreateElement;
    vtbl.InsertElement = &MarkupInsertElement;
    return vtbl;
}();

const IMarkupContainerVtbl kContainerVtbl = [] {
    IMarkupContainerVtbl vtbl = UnprovidedVtbl<IMarkupContainerVtbl>();
    vtbl.QueryInterface = &FaceQuery<IMarkupContainer, Parts>;
    vtbl.AddRef = &FaceAddRef<IMarkupContainer, Parts>;
    vtbl.Release = &FaceRelease<IMarkupContainer, Parts>;
    vtbl.OwningDoc = &ContainerOwningDoc;
    return vtbl;
}();

} // namespace

HtmlDom::Parts::Parts(void* outerUnknown)
    : outer(static_cast<IUnknown*>(outerUnknown)), document{&kDocumentVtbl, this},
      document3{&kDocument3Vtbl, this}, markup{&kMarkupVtbl, this}, container{&kContainerVtbl, this} {}

HtmlDom::HtmlDom(void* outer) : parts_(std::make_unique<Parts>(outer)) {}

HtmlDom::~HtmlDom() = default;

void HtmlDom::Load(const PageContent& page) {
    parts_->state->tree = DomTree(page);
    parts_->state->title = page.title;
    parts_->state->laidOut = false;
}

void HtmlDom::Watch(std::function<void()> changed) {
    parts_->state->changed = std::move(changed);
}

void HtmlDom::ShowIn(void* view) {
    parts_->state->view = static_cast<IStandInPageView*>(view);
}

HRESULT HtmlDom::Query(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (Is(iid, kIHTMLDocument2))
        return HandOut(parts_->document, result);
    if (Is(iid, kIHTMLDocument3))
        return HandOut(parts_->document3, result);
    if (Is(iid, IID_IConnectionPointContainer)) {
        parts_->AddRef();
        *result = static_cast<IConnectionPointContainer*>(&parts_->events);
        return S_OK;
    }
    if (Is(iid, kIMarkupServices))
        return HandOut(parts_->markup, result);
    if (Is(iid, kIMarkupContainer))
        return HandOut(parts_->container, result);
    return E_NOINTERFACE;
}

// A frame whose page holds the other-site directive counts as a page from another site.
HRESULT HtmlDom::AddFrame(void* frameDocument) {
    return NoThrow([&] {
        FrameEntry frame;
        frame.document = static_cast<IDispatch*>(frameDocument);
        IStandInDocument* model = nullptr;
        if (frame.document != nullptr &&
            SUCCEEDED(
                frame.document->QueryInterface(IID_IStandInDocument, reinterpret_cast<void**>(&model))) &&
            model != nullptr) {
            LONG count = 0;
            model->GetDirectiveCount(&count);
            for (LONG i = 0; i < count && !frame.otherSite; ++i) {
                BSTR name = nullptr, argument = nullptr;
                if (SUCCEEDED(model->GetDirective(i, &name, &argument)))
                    frame.otherSite = FromBstr(name) == kOtherSiteDirective;
                ::SysFreeString(name);
                ::SysFreeString(argument);
            }
            model->Release();
        }
        parts_->frames.push_back(frame);
        if (frame.document)
            frame.document->AddRef();
        return S_OK;
    });
}

HRESULT HtmlDom::Click(long x, long y, bool& reached, std::wstring& target) {
    reached = false;
    target.clear();
    return NoThrow([&] {
        DomState& state = *parts_->state;
        const DomElementPtr& root = state.tree.Root();
        if (!root)
            return S_FALSE;
        state.Lay();
        const DomElementPtr source = Owning(HitTest(*root, x, y));
        auto* event = new (std::nothrow) EventObject(parts_->state, source, x, y);
        if (event == nullptr)
            return E_OUTOFMEMORY;
        bool cancelled = false;
        for (const ComPtr<IDispatch>& sink : parts_->clicks.Sinks()) {
            VARIANTARG argument;
            ::VariantInit(&argument);
            V_VT(&argument) = VT_DISPATCH;
            V_DISPATCH(&argument) = reinterpret_cast<IDispatch*>(event->event.Get());
            DISPPARAMS parameters = {&argument, nullptr, 1, 0};
            VARIANT answer;
            ::VariantInit(&answer);
            sink->Invoke(DISPID_HTMLDOCUMENTEVENTS2_ONCLICK, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                         &parameters, &answer, nullptr, nullptr);
            if (V_VT(&answer) == VT_BOOL && V_BOOL(&answer) == VARIANT_FALSE)
                cancelled = true;
            ::VariantClear(&answer);
        }
        if (V_VT(&event->returnValue) == VT_BOOL && V_BOOL(&event->returnValue) == VARIANT_FALSE)
            cancelled = true;
        event->Release();
        reached = !cancelled;
        target = source->id.empty() ? NodeName(*source) : source->id;
        return S_OK;
    });
}

std::wstring HtmlDom::ReportLines() {
    DomState& state = *parts_->state;
    ProbeReport report;
    if (state.tree.Html()) {
        state.Lay();
        for (const auto& [key, value] : DocumentReportLines(*state.tree.Html()))
            report.Add(key, value);
    }
    if (!state.scriptError.empty())
        report.Add(L"script.error", state.scriptError);
    return report.Text();
}

ZoomState HtmlDom::Zoom() const {
    return parts_->state->tree.Zoom();
}

} // namespace movalent::standin
