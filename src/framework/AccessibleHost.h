#pragma once
// A drawn window's side of its accessible objects: it answers WM_GETOBJECT for the client area with the root
// object its owner makes, cuts every object off when the window goes, runs default actions after the call
// that asked for them has returned (a screen reader must not wait on a menu or a dialog they open), and
// raises the window's events.
//
// The owning window offers it every message first (OnMessage) and calls Notify where what it shows changes.
#include "framework/AccessibleObject.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace movalent {

class AccessibleHost {
public:
    using RootFactory = std::function<ComPtr<IAccessible>(const std::shared_ptr<AccessibleLink>&)>;

    explicit AccessibleHost(RootFactory factory);
    AccessibleHost(const AccessibleHost&) = delete;
    AccessibleHost& operator=(const AccessibleHost&) = delete;
    ~AccessibleHost();

    // True when the message was the host's alone; result is then the window procedure's answer.
    bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Runs action from the window's message loop, unless the window goes first.
    void Defer(std::function<void()> action);

    // An event about the whole client area (child 0), a direct child, or an element anywhere below (by its
    // address, as the objects' Info::element gives it).
    void Notify(DWORD event, long child = CHILDID_SELF) const;
    void NotifyElement(DWORD event, const void* element) const;
    // The event for key once, until another key takes its place (a selection that moved).
    void NotifyChange(DWORD event, const void* key, long child);

private:
    void Disconnect();

    RootFactory factory_;
    std::shared_ptr<AccessibleLink> link_;
    ComPtr<IAccessible> root_;
    std::vector<std::function<void()>> pending_;
    std::map<DWORD, const void*> announced_;
};

} // namespace movalent
