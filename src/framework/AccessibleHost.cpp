#include "framework/AccessibleHost.h"

#include <utility>

namespace movalent {

namespace {

UINT DeferredActionMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Movalent.AccessibleAction");
    return message;
}

} // namespace

AccessibleHost::AccessibleHost(RootFactory factory)
    : factory_(std::move(factory)), link_(std::make_shared<AccessibleLink>()) {}

AccessibleHost::~AccessibleHost() {
    Disconnect();
}

void AccessibleHost::Disconnect() {
    link_->window = nullptr;
    announced_.clear();
    pending_.clear();
    if (ComPtr<IAccessible> root = std::exchange(root_, {}))
        ::CoDisconnectObject(root.get(), 0); // clients in other processes lose it now, not at their release
}

bool AccessibleHost::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NCDESTROY) {
        Disconnect();
        // A window made again later gets objects of its own; the old ones stay cut off.
        try {
            link_ = std::make_shared<AccessibleLink>();
        } catch (...) {
        }
        return false;
    }
    link_->window = window;
    if (message == WM_GETOBJECT) {
        if (static_cast<long>(lParam) != OBJID_CLIENT)
            return false;
        try {
            if (!root_)
                root_ = factory_(link_);
        } catch (...) {
            return false;
        }
        if (!root_)
            return false;
        result = ::LresultFromObject(IID_IAccessible, wParam, root_.get());
        return true;
    }
    if (message == DeferredActionMessage() && message != 0) {
        std::vector<std::function<void()>> actions = std::exchange(pending_, {});
        for (auto& action : actions) {
            if (!link_->window)
                break;
            try {
                action();
            } catch (...) {
                // An action that failed leaves the window as it was; the others still run.
            }
        }
        result = 0;
        return true;
    }
    return false;
}

void AccessibleHost::Defer(std::function<void()> action) {
    if (!link_->window)
        return;
    pending_.push_back(std::move(action));
    if (pending_.size() == 1)
        ::PostMessageW(link_->window, DeferredActionMessage(), 0, 0);
}

void AccessibleHost::Notify(DWORD event, long child) const {
    if (link_->window)
        ::NotifyWinEvent(event, link_->window, OBJID_CLIENT, child);
}

void AccessibleHost::NotifyElement(DWORD event, const void* element) const {
    if (!link_->window || !element)
        return;
    try {
        ::NotifyWinEvent(event, link_->window, OBJID_CLIENT, -link_->IdOf(element));
    } catch (...) {
        // Without an id the event cannot name the element; the screen reader learns of it when it next asks.
    }
}

void AccessibleHost::NotifyChange(DWORD event, const void* key, long child) {
    auto position = announced_.find(event);
    if (position != announced_.end() && position->second == key)
        return;
    try {
        announced_[event] = key;
    } catch (...) {
        return;
    }
    if (key)
        Notify(event, child);
}

} // namespace movalent
