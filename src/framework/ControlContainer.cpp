#include "framework/ControlContainer.h"

#include "framework/OleControlSite.h"
#include "framework/Window.h"

#include <algorithm>
#include <atomic>

namespace movalent {

namespace {

OccManager g_plainManager;
std::atomic<OccManager*> g_manager{nullptr};

} // namespace

OleControlSite* OccManager::CreateSite(ControlContainer& container) {
    return new OleControlSite(container);
}

void EnableControlContainment(OccManager* manager) {
    g_manager = manager;
}

OccManager& CurrentOccManager() {
    OccManager* manager = g_manager;
    return manager ? *manager : g_plainManager;
}

ControlContainer::ControlContainer(Window& owner) : owner_(owner) {}

ControlContainer::~ControlContainer() {
    DestroyAll();
}

OleControlSite* ControlContainer::CreateControl(REFCLSID clsid, int id, const RECT& rect, DWORD style,
                                                HWND insertAfter) {
    // The manager hands over one reference, which the list keeps.
    OleControlSite* site = CurrentOccManager().CreateSite(*this);
    if (!site)
        return nullptr;
    // Registered first: the control may fire events while it is being created.
    sites_.emplace_back(id, ComPtr<OleControlSite>::Attach(site));
    if (FAILED(site->CreateControl(clsid, id, rect, style, insertAfter))) {
        DestroyControl(id);
        return nullptr;
    }
    return site;
}

OleControlSite* ControlContainer::FindSite(int id) const {
    auto found =
        std::find_if(sites_.begin(), sites_.end(), [id](const auto& entry) { return entry.first == id; });
    return found == sites_.end() ? nullptr : found->second.get();
}

void ControlContainer::DestroyControl(int id) {
    auto found =
        std::find_if(sites_.begin(), sites_.end(), [id](const auto& entry) { return entry.first == id; });
    if (found == sites_.end())
        return;
    ComPtr<OleControlSite> site = std::move(found->second);
    sites_.erase(found);
    site->DestroyControl();
}

void ControlContainer::DestroyAll() {
    while (!sites_.empty())
        DestroyControl(sites_.back().first);
}

void ControlContainer::OnEvent(int controlId, DISPID event, EventHandler handler) {
    handlers_[{controlId, event}] = std::move(handler);
}

bool ControlContainer::FireEvent(int controlId, DISPID event, DISPPARAMS& params) {
    auto found = handlers_.find({controlId, event});
    if (found == handlers_.end())
        return false;
    // A copy: the handler may change the map or destroy the owner's controls.
    EventHandler handler = found->second;
    handler(params);
    return true;
}

bool ControlContainer::PreTranslateMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd)
        return false;
    for (const auto& [id, site] : sites_) {
        HWND window = site->ControlWindow();
        if (window && (window == msg.hwnd || ::IsChild(window, msg.hwnd)))
            return site->TranslateAccelerator(msg);
    }
    return false;
}

} // namespace movalent
