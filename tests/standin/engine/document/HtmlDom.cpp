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

#define CINTERFACE
#include <mshtml.h>
#undef CINTERFACE

#include "standin/engine/document/HtmlDom.h"

#include "standin/engine/ComHelpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

constexpr long kTagDiv = 30;

bool Is(REFIID iid, const IID& which) {
    return IsEqualIID(iid, which) != 0;
}

// What every object handed out for one document shares.
struct DomState;
struct ElementObject;

struct DomState {
    DomTree tree;
    std::wstring title;
    std::function<void()> changed;
    // The live object of each element, so that asking twice gives the same object, as the engine does.
    std::map<const DomElement*, ElementObject*> elements;

    void Changed() {
        if (changed)
            changed();
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

const IHTMLStyleVtbl kStyleVtbl = DispatchVtbl<IHTMLStyle, StyleObject>();
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

// ---- Elements.

struct ElementObject : Counted<ElementObject> {
    ElementObject(std::shared_ptr<DomState> state, DomElementPtr node);
    ~ElementObject() { state->elements.erase(node.get()); }
    HRESULT Query(REFIID iid, void** result);

    std::shared_ptr<DomState> state;
    DomElementPtr node;
    Face<IHTMLElement, ElementObject> element;
    Face<IHTMLElement2, ElementObject> element2;
    Face<IHTMLBodyElement, ElementObject> body;
    Face<IHTMLFrameSetElement, ElementObject> frameset;
};

ElementObject* ElementOf(IHTMLElement* self) {
    return Face<IHTMLElement, ElementObject>::Of(self);
}

HRESULT STDMETHODCALLTYPE ElementGetId(IHTMLElement* self, BSTR* id) {
    return NoThrow([&] { return ReturnBstr(ElementOf(self)->node->id, id); });
}

HRESULT STDMETHODCALLTYPE ElementGetTagName(IHTMLElement* self, BSTR* tag) {
    return NoThrow([&] {
        std::wstring name = ElementOf(self)->node->tag;
        for (wchar_t& c : name)
            if (c >= L'a' && c <= L'z')
                c = static_cast<wchar_t>(c - L'a' + L'A');
        return ReturnBstr(name, tag);
    });
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

HRESULT STDMETHODCALLTYPE ElementGetRuntimeStyle(IHTMLElement2* self, IHTMLStyle** style) {
    ElementObject* object = Face<IHTMLElement2, ElementObject>::Of(self);
    return MakeStyle(object->state, object->node, true, style);
}

const IHTMLElementVtbl kElementVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLElement, ElementObject>();
    vtbl.get_id = &ElementGetId;
    vtbl.get_tagName = &ElementGetTagName;
    vtbl.get_style = &ElementGetStyle;
    vtbl.get_all = &ElementGetAll;
    return vtbl;
}();
const IHTMLElement2Vtbl kElement2Vtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLElement2, ElementObject>();
    vtbl.get_runtimeStyle = &ElementGetRuntimeStyle;
    return vtbl;
}();
const IHTMLBodyElementVtbl kBodyVtbl = DispatchVtbl<IHTMLBodyElement, ElementObject>();
const IHTMLFrameSetElementVtbl kFrameSetVtbl = DispatchVtbl<IHTMLFrameSetElement, ElementObject>();

ElementObject::ElementObject(std::shared_ptr<DomState> state, DomElementPtr node)
    : state(std::move(state)), node(std::move(node)), element{&kElementVtbl, this},
      element2{&kElement2Vtbl, this}, body{&kBodyVtbl, this}, frameset{&kFrameSetVtbl, this} {}

HRESULT ElementObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLElement))
        return HandOut(element, result);
    if (Is(iid, kIHTMLElement2))
        return HandOut(element2, result);
    if (Is(iid, kIHTMLBodyElement) && node->tag == L"body")
        return HandOut(body, result);
    if (Is(iid, kIHTMLFrameSetElement) && node->tag == L"frameset")
        return HandOut(frameset, result);
    return E_NOINTERFACE;
}

HRESULT ElementFor(const std::shared_ptr<DomState>& state, const DomElementPtr& node, IHTMLElement** result) {
    *result = nullptr;
    const auto found = state->elements.find(node.get());
    if (found != state->elements.end())
        return HandOut(found->second->element, result);
    auto* object = new (std::nothrow) ElementObject(state, node);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    state->elements[node.get()] = object;
    *result = object->element.Get();
    return S_OK;
}

// ---- Frame windows and the frames collection.

struct WindowObject;

struct FramesObject : Counted<FramesObject> {
    explicit FramesObject(std::vector<IDispatch*> documents);
    ~FramesObject();
    HRESULT Query(REFIID iid, void** result);

    std::vector<IDispatch*> documents; // held; null for a frame left empty
    Face<IHTMLFramesCollection2, FramesObject> frames;
};

struct WindowObject : Counted<WindowObject> {
    explicit WindowObject(IDispatch* document);
    ~WindowObject() {
        if (document)
            document->Release();
    }
    HRESULT Query(REFIID iid, void** result);
    // The frames of this window's own document.
    HRESULT Frames(IHTMLFramesCollection2** frames);

    IDispatch* document;
    Face<IHTMLWindow2, WindowObject> window;
};

HRESULT MakeWindow(IDispatch* document, VARIANT* result) {
    auto* object = new (std::nothrow) WindowObject(document);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = reinterpret_cast<IDispatch*>(object->window.Get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FramesLength(IHTMLFramesCollection2* self, LONG* length) {
    if (length == nullptr)
        return E_POINTER;
    *length = static_cast<LONG>(Face<IHTMLFramesCollection2, FramesObject>::Of(self)->documents.size());
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
        static_cast<size_t>(position) >= object->documents.size())
        return E_INVALIDARG;
    return MakeWindow(object->documents[static_cast<size_t>(position)], result);
}

const IHTMLFramesCollection2Vtbl kFramesVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLFramesCollection2, FramesObject>();
    vtbl.get_length = &FramesLength;
    vtbl.item = &FramesItem;
    return vtbl;
}();

FramesObject::FramesObject(std::vector<IDispatch*> held)
    : documents(std::move(held)), frames{&kFramesVtbl, this} {
    for (IDispatch* document : documents)
        if (document)
            document->AddRef();
}

FramesObject::~FramesObject() {
    for (IDispatch* document : documents)
        if (document)
            document->Release();
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

// A frame left empty has no document: S_OK with none.
HRESULT STDMETHODCALLTYPE WindowDocument(IHTMLWindow2* self, IHTMLDocument2** document) {
    if (document == nullptr)
        return E_POINTER;
    *document = nullptr;
    IDispatch* held = Face<IHTMLWindow2, WindowObject>::Of(self)->document;
    if (held == nullptr)
        return S_OK;
    return held->QueryInterface(kIHTMLDocument2, reinterpret_cast<void**>(document));
}

const IHTMLWindow2Vtbl kWindowVtbl = [] {
    auto vtbl = DispatchVtbl<IHTMLWindow2, WindowObject>();
    vtbl.get_length = &WindowLength;
    vtbl.item = &WindowItem;
    vtbl.get_frames = &WindowFrames;
    vtbl.get_document = &WindowDocument;
    return vtbl;
}();

WindowObject::WindowObject(IDispatch* held) : document(held), window{&kWindowVtbl, this} {
    if (document)
        document->AddRef();
}

HRESULT WindowObject::Query(REFIID iid, void** result) {
    if (Is(iid, IID_IUnknown) || Is(iid, IID_IDispatch) || Is(iid, kIHTMLFramesCollection2) ||
        Is(iid, kIHTMLWindow2))
        return HandOut(window, result);
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
    Parts(void* outerUnknown);
    ~Parts() {
        for (IDispatch* document : frames)
            if (document)
                document->Release();
    }

    IUnknown* outer;
    std::shared_ptr<DomState> state = std::make_shared<DomState>();
    std::vector<IDispatch*> frames; // held
    Face<IHTMLDocument2, Parts> document;
    Face<IMarkupServices, Parts> markup;
    Face<IMarkupContainer, Parts> container;

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
        const DomElementPtr& root = parts->state->tree.Root();
        return MakeCollection(parts->state, root ? Within(*root, true) : std::vector<DomElementPtr>{},
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
    : outer(static_cast<IUnknown*>(outerUnknown)), document{&kDocumentVtbl, this}, markup{&kMarkupVtbl, this},
      container{&kContainerVtbl, this} {}

HtmlDom::HtmlDom(void* outer) : parts_(std::make_unique<Parts>(outer)) {}

HtmlDom::~HtmlDom() = default;

void HtmlDom::Load(const PageContent& page) {
    parts_->state->tree = DomTree(page);
    parts_->state->title = page.title;
}

void HtmlDom::Watch(std::function<void()> changed) {
    parts_->state->changed = std::move(changed);
}

HRESULT HtmlDom::Query(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (Is(iid, kIHTMLDocument2))
        return HandOut(parts_->document, result);
    if (Is(iid, kIMarkupServices))
        return HandOut(parts_->markup, result);
    if (Is(iid, kIMarkupContainer))
        return HandOut(parts_->container, result);
    return E_NOINTERFACE;
}

HRESULT HtmlDom::AddFrame(void* frameDocument) {
    return NoThrow([&] {
        auto* document = static_cast<IDispatch*>(frameDocument);
        parts_->frames.push_back(document);
        if (document)
            document->AddRef();
        return S_OK;
    });
}

ZoomState HtmlDom::Zoom() const {
    return parts_->state->tree.Zoom();
}

} // namespace movalent::standin
