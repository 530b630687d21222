#pragma once
// What every accessible object of the windows the framework draws itself shares: IUnknown, IDispatch without
// type information (screen readers call IAccessible's methods directly), child ids, and the answers built on
// what a derived object says about itself and its children: location, navigation, hit testing, focus and
// selection, and delegation to children that are objects of their own.
//
// Children are numbered from 1; a child is either simple (described by its container) or an object of its
// own. A negative id names any element below the window's root by the id the window's link gave it, so events
// can name elements deep in the tree.
//
// An object holds only a weak link to its window: once the window is gone every method answers
// CO_E_OBJNOTCONNECTED. No exception leaves a method.
#include "framework/Handles.h"

#include <oleacc.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>

namespace movalent {

// Shared by a window and its accessible objects; the window clears it when it goes.
struct AccessibleLink {
    HWND window = nullptr;
    // A stable id for an element (any address that stays with it), for events; counted from 1.
    long IdOf(const void* element);
    // The id an element has already, or 0.
    long ExistingId(const void* element) const;

private:
    std::map<const void*, long> ids_;
    long next_ = 1;
};

class AccessibleObject : public IAccessible {
public:
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    // What the object (child 0) or a simple child says about itself. rect is in the window's client
    // coordinates; an empty one is nowhere on screen.
    struct Info {
        std::wstring name;
        std::wstring value;
        std::wstring description;
        std::wstring shortcut;
        std::wstring defaultAction;
        long role = ROLE_SYSTEM_CLIENT;
        long state = 0;
        RECT rect = {};
        // The element's address, for the ids events use; null for none.
        const void* element = nullptr;
    };

    explicit AccessibleObject(std::shared_ptr<AccessibleLink> link);
    virtual ~AccessibleObject();

    // The window; null once it is gone.
    HWND Window() const { return link_->window; }
    AccessibleLink& Link() const { return *link_; }
    const std::shared_ptr<AccessibleLink>& SharedLink() const { return link_; }

    // False when what the object stands for is no longer there (its window may still be).
    virtual bool Exists() const { return true; }
    virtual long ChildCount() const = 0;
    // The child as an object of its own; null for a simple child.
    virtual ComPtr<IAccessible> ChildObject(long child) const;
    // False for a child that does not exist.
    virtual bool Describe(long child, Info& info) const = 0;
    // The container; by default the window's own object.
    virtual ComPtr<IAccessible> ParentObject() const;
    // Runs (or arranges to run) the child's default action; false when it has none.
    virtual bool DoDefaultAction(long child);
    virtual bool Select(long child, long flags);
    // The child that has or holds the keyboard focus (0: the object itself), or -1 for none; the same for the
    // selection.
    virtual long FocusedChild() const { return -1; }
    virtual long SelectedChild() const { return -1; }

    // Texts of the framework's string table for default actions, names of containers.
    static std::wstring Text(unsigned id);

private:
    struct Target {
        ComPtr<IAccessible> other; // another object answers; null: this one, for child
        long child = 0;
    };
    HRESULT Resolve(const VARIANT& child, Target& target) const;
    // The object and child that carry the element with this link id, searched below this object.
    bool FindElement(long id, ComPtr<IAccessible>& object, long& child) const;
    bool ChildInfo(long child, Info& info) const;
    HRESULT NavigateFrom(long child, long direction, VARIANT* end) const;
    HRESULT PutChild(long child, VARIANT* out) const;
    // The focused or selected child, as the member says, for get_accFocus and get_accSelection; S_FALSE: none.
    HRESULT GetMarkedChild(long (AccessibleObject::*marked)() const, VARIANT* out) const;
    HRESULT GetText(const VARIANT& child, std::wstring Info::*field,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, BSTR*), BSTR* out) const;
    HRESULT GetNumber(const VARIANT& child, long Info::*field,
                      HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, VARIANT*),
                      VARIANT* out) const;

    std::atomic<ULONG> references_{1};
    std::shared_ptr<AccessibleLink> link_;
};

// Makes an accessible object of a derived class, owned by the pointer returned.
template <typename T, typename... Args> ComPtr<IAccessible> MakeAccessible(Args&&... args) {
    return ComPtr<IAccessible>::Attach(new T(std::forward<Args>(args)...));
}

} // namespace movalent
