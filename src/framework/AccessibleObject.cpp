#include "framework/AccessibleObject.h"

#include "framework/AccessibleRules.h"
#include "framework/DispatchArguments.h"
#include "framework/ResourceStrings.h"

#include <new>
#include <utility>
#include <vector>

namespace movalent {

namespace {

// Runs a method's body; an exception becomes an error code instead of crossing the COM boundary.
template <typename F> HRESULT Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT PutText(const std::wstring& text, BSTR* out) {
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool Contains(const RECT& rect, POINT point) {
    return ::PtInRect(&rect, point) != FALSE;
}

NavigationDirection DirectionOf(long direction) {
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
        return NavigationDirection::First;
    case NAVDIR_LASTCHILD:
        return NavigationDirection::Last;
    case NAVDIR_NEXT:
        return NavigationDirection::Next;
    case NAVDIR_PREVIOUS:
        return NavigationDirection::Previous;
    case NAVDIR_UP:
        return NavigationDirection::Up;
    case NAVDIR_DOWN:
        return NavigationDirection::Down;
    case NAVDIR_LEFT:
        return NavigationDirection::Left;
    default:
        return NavigationDirection::Right;
    }
}

} // namespace

long AccessibleLink::IdOf(const void* element) {
    auto [position, added] = ids_.try_emplace(element, next_);
    if (added)
        ++next_;
    return position->second;
}

long AccessibleLink::ExistingId(const void* element) const {
    auto position = ids_.find(element);
    return position == ids_.end() ? 0 : position->second;
}

AccessibleObject::AccessibleObject(std::shared_ptr<AccessibleLink> link) : link_(std::move(link)) {}

AccessibleObject::~AccessibleObject() = default;

std::wstring AccessibleObject::Text(unsigned id) {
    return FrameworkString(id);
}

ComPtr<IAccessible> AccessibleObject::ChildObject(long) const {
    return {};
}

ComPtr<IAccessible> AccessibleObject::ParentObject() const {
    ComPtr<IAccessible> parent;
    if (Window())
        ::AccessibleObjectFromWindow(Window(), static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                     parent.put_void());
    return parent;
}

bool AccessibleObject::DoDefaultAction(long) {
    return false;
}

bool AccessibleObject::Select(long, long) {
    return false;
}

// IUnknown and IDispatch.

HRESULT AccessibleObject::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG AccessibleObject::AddRef() {
    return ++references_;
}

ULONG AccessibleObject::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT AccessibleObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT AccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// Children.

HRESULT AccessibleObject::Resolve(const VARIANT& child, Target& target) const {
    if (!Window() || !Exists())
        return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    const long id = child.lVal;
    if (id == CHILDID_SELF)
        return S_OK;
    if (id > 0 && id <= ChildCount()) {
        target.other = ChildObject(id);
        target.child = target.other ? CHILDID_SELF : id;
        return S_OK;
    }
    if (id < 0 && FindElement(-id, target.other, target.child)) {
        if (target.other.get() == static_cast<const IAccessible*>(this))
            target.other.reset();
        return S_OK;
    }
    return E_INVALIDARG;
}

bool AccessibleObject::FindElement(long id, ComPtr<IAccessible>& object, long& child) const {
    Info info;
    if (Describe(CHILDID_SELF, info) && info.element && link_->ExistingId(info.element) == id) {
        object = const_cast<AccessibleObject*>(this);
        child = CHILDID_SELF;
        return true;
    }
    const long count = ChildCount();
    for (long i = 1; i <= count; ++i) {
        if (ComPtr<IAccessible> inner = ChildObject(i)) {
            if (auto* ours = dynamic_cast<AccessibleObject*>(inner.get());
                ours && ours->FindElement(id, object, child))
                return true;
            continue;
        }
        Info item;
        if (Describe(i, item) && item.element && link_->ExistingId(item.element) == id) {
            object = const_cast<AccessibleObject*>(this);
            child = i;
            return true;
        }
    }
    return false;
}

bool AccessibleObject::ChildInfo(long child, Info& info) const {
    ComPtr<IAccessible> inner = ChildObject(child);
    if (!inner)
        return Describe(child, info);
    if (auto* ours = dynamic_cast<AccessibleObject*>(inner.get()))
        return ours->Exists() && ours->Describe(CHILDID_SELF, info);
    // A window's own object: where it is on screen and whether it shows.
    long left = 0, top = 0, width = 0, height = 0;
    VARIANT self = LongVariant(CHILDID_SELF);
    if (FAILED(inner->accLocation(&left, &top, &width, &height, self)))
        return false;
    POINT corners[2] = {{left, top}, {left + width, top + height}};
    ::MapWindowPoints(nullptr, Window(), corners, 2);
    info.rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    UniqueVariant state;
    if (SUCCEEDED(inner->get_accState(self, &state)) && state.get().vt == VT_I4)
        info.state = state.get().lVal;
    return true;
}

HRESULT AccessibleObject::PutChild(long child, VARIANT* out) const {
    ComPtr<IAccessible> inner = child == CHILDID_SELF ? ComPtr<IAccessible>() : ChildObject(child);
    if (!inner) {
        out->vt = VT_I4;
        out->lVal = child;
        return S_OK;
    }
    out->vt = VT_DISPATCH;
    return inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&out->pdispVal));
}

HRESULT AccessibleObject::get_accParent(IDispatch** parent) {
    return Guarded([&] {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!Window() || !Exists())
            return CO_E_OBJNOTCONNECTED;
        ComPtr<IAccessible> object = ParentObject();
        if (!object)
            return S_FALSE;
        return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    });
}

HRESULT AccessibleObject::get_accChildCount(long* count) {
    return Guarded([&] {
        if (!count)
            return E_POINTER;
        *count = 0;
        if (!Window() || !Exists())
            return CO_E_OBJNOTCONNECTED;
        *count = ChildCount();
        return S_OK;
    });
}

HRESULT AccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
    return Guarded([&] {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other && target.child == CHILDID_SELF)
            return target.other->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
        if (!target.other && target.child == CHILDID_SELF)
            return QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
        return S_FALSE; // a simple element: its container answers for it
    });
}

// Texts.

HRESULT AccessibleObject::GetText(const VARIANT& child, std::wstring Info::*field,
                                  HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, BSTR*),
                                  BSTR* out) const {
    return Guarded([&] {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other)
            return (target.other.get()->*method)(LongVariant(target.child), out);
        Info info;
        if (!Describe(target.child, info))
            return E_INVALIDARG;
        return PutText(info.*field, out);
    });
}

HRESULT AccessibleObject::GetNumber(const VARIANT& child, long Info::*field,
                                    HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, VARIANT*),
                                    VARIANT* out) const {
    return Guarded([&] {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other)
            return (target.other.get()->*method)(LongVariant(target.child), out);
        Info info;
        if (!Describe(target.child, info))
            return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = info.*field;
        return S_OK;
    });
}

HRESULT AccessibleObject::get_accName(VARIANT child, BSTR* name) {
    return GetText(child, &Info::name, &IAccessible::get_accName, name);
}

HRESULT AccessibleObject::get_accValue(VARIANT child, BSTR* value) {
    return GetText(child, &Info::value, &IAccessible::get_accValue, value);
}

HRESULT AccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
    return GetText(child, &Info::description, &IAccessible::get_accDescription, description);
}

HRESULT AccessibleObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return GetText(child, &Info::shortcut, &IAccessible::get_accKeyboardShortcut, shortcut);
}

HRESULT AccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
    return GetText(child, &Info::defaultAction, &IAccessible::get_accDefaultAction, action);
}

HRESULT AccessibleObject::get_accHelp(VARIANT, BSTR* help) {
    if (!help)
        return E_POINTER;
    *help = nullptr;
    return S_FALSE;
}

HRESULT AccessibleObject::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return S_FALSE;
}

HRESULT AccessibleObject::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT AccessibleObject::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}

// Role and state.

HRESULT AccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
    return GetNumber(child, &Info::role, &IAccessible::get_accRole, role);
}

HRESULT AccessibleObject::get_accState(VARIANT child, VARIANT* state) {
    return GetNumber(child, &Info::state, &IAccessible::get_accState, state);
}

// Focus and selection.

HRESULT AccessibleObject::GetMarkedChild(long (AccessibleObject::*marked)() const, VARIANT* out) const {
    return Guarded([&] {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        if (!Window() || !Exists())
            return CO_E_OBJNOTCONNECTED;
        const long child = (this->*marked)();
        if (child < 0 || child > ChildCount())
            return S_FALSE;
        return PutChild(child, out);
    });
}

HRESULT AccessibleObject::get_accFocus(VARIANT* child) {
    return GetMarkedChild(&AccessibleObject::FocusedChild, child);
}

HRESULT AccessibleObject::get_accSelection(VARIANT* children) {
    return GetMarkedChild(&AccessibleObject::SelectedChild, children);
}

HRESULT AccessibleObject::accSelect(long flags, VARIANT child) {
    return Guarded([&] {
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other)
            return target.other->accSelect(flags, LongVariant(target.child));
        return Select(target.child, flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
}

// Where things are.

HRESULT AccessibleObject::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    return Guarded([&] {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other)
            return target.other->accLocation(left, top, width, height, LongVariant(target.child));
        Info info;
        if (!Describe(target.child, info))
            return E_INVALIDARG;
        if (::IsRectEmpty(&info.rect))
            return S_FALSE;
        POINT corners[2] = {{info.rect.left, info.rect.top}, {info.rect.right, info.rect.bottom}};
        ::MapWindowPoints(Window(), nullptr, corners, 2);
        *left = corners[0].x;
        *top = corners[0].y;
        *width = corners[1].x - corners[0].x;
        *height = corners[1].y - corners[0].y;
        return S_OK;
    });
}

HRESULT AccessibleObject::accHitTest(long x, long y, VARIANT* child) {
    return Guarded([&] {
        if (!child)
            return E_POINTER;
        ::VariantInit(child);
        if (!Window() || !Exists())
            return CO_E_OBJNOTCONNECTED;
        POINT point = {x, y};
        ::ScreenToClient(Window(), &point);
        Info self;
        if (!Describe(CHILDID_SELF, self) || !Contains(self.rect, point))
            return S_FALSE;
        const long count = ChildCount();
        for (long i = 1; i <= count; ++i) {
            Info info;
            if (!ChildInfo(i, info) || (info.state & STATE_SYSTEM_INVISIBLE) || !Contains(info.rect, point))
                continue;
            // A child object is the answer itself: the client asks it in turn what lies deeper.
            return PutChild(i, child);
        }
        return PutChild(CHILDID_SELF, child);
    });
}

HRESULT AccessibleObject::NavigateFrom(long child, long direction, VARIANT* end) const {
    const long count = ChildCount();
    std::vector<NavigationItem> items;
    for (long i = 1; i <= count; ++i) {
        Info info;
        const bool known = ChildInfo(i, info);
        items.push_back({info.rect.left, info.rect.top, info.rect.right, info.rect.bottom,
                         known && !(info.state & STATE_SYSTEM_INVISIBLE)});
    }
    const int reached = NavigateAmong(items, static_cast<int>(child - 1), DirectionOf(direction));
    if (reached < 0)
        return S_FALSE;
    return PutChild(reached + 1, end);
}

HRESULT AccessibleObject::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return Guarded([&] {
        if (!end)
            return E_POINTER;
        ::VariantInit(end);
        if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD)
            return E_INVALIDARG;
        Target target;
        if (HRESULT hr = Resolve(start, target); FAILED(hr))
            return hr;
        if (target.other)
            return target.other->accNavigate(direction, LongVariant(target.child), end);
        const bool intoChildren = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
        if (target.child != CHILDID_SELF)
            return intoChildren ? S_FALSE : NavigateFrom(target.child, direction, end);
        if (intoChildren)
            return NavigateFrom(0, direction, end);
        // Among its siblings: the container navigates from this object's place in it.
        ComPtr<IAccessible> parent = ParentObject();
        auto* container = dynamic_cast<AccessibleObject*>(parent.get());
        if (!container)
            return S_FALSE;
        // Objects are made as they are asked for: this one is found by the element it stands for.
        Info self;
        if (!Describe(CHILDID_SELF, self) || !self.element)
            return S_FALSE;
        const long count = container->ChildCount();
        for (long i = 1; i <= count; ++i)
            if (Info sibling; container->ChildInfo(i, sibling) && sibling.element == self.element)
                return container->NavigateFrom(i, direction, end);
        return S_FALSE;
    });
}

// Actions.

HRESULT AccessibleObject::accDoDefaultAction(VARIANT child) {
    return Guarded([&] {
        Target target;
        if (HRESULT hr = Resolve(child, target); FAILED(hr))
            return hr;
        if (target.other)
            return target.other->accDoDefaultAction(LongVariant(target.child));
        return DoDefaultAction(target.child) ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
}

} // namespace movalent
