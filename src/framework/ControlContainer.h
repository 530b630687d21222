#pragma once
// ActiveX controls inside a window of the framework.
//
// Each window that hosts controls has one container: it creates the controls by class id through the sites
// that the process's control-site manager makes, keeps them by control id, hands their events to the handlers
// registered by (control id, DISPID), and closes them when the window is destroyed. A dialog template may
// name a control by its class id in braces as an item's class; the dialog then creates it in its container at
// the item's place.
//
// The manager is process-wide and set once at start-up; everything else belongs to the thread of the window.
#include "framework/Handles.h"

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace movalent {

class ControlContainer;
class OleControlSite;
class Window;

// Makes the site of every control the framework creates. A program installs its own to give every control a
// site of its own class.
class OccManager {
public:
    virtual ~OccManager() = default;
    // A new site for a control of container, with one reference for the caller; null when none can be made.
    virtual OleControlSite* CreateSite(ControlContainer& container);
};

// Control containment for the process: manager makes every site from now on (null: the framework's plain
// sites). The manager must outlive every control.
void EnableControlContainment(OccManager* manager);
OccManager& CurrentOccManager();

class ControlContainer {
public:
    using EventHandler = std::function<void(DISPPARAMS& params)>;

    explicit ControlContainer(Window& owner);
    ControlContainer(const ControlContainer&) = delete;
    ControlContainer& operator=(const ControlContainer&) = delete;
    ~ControlContainer();

    Window& Owner() const { return owner_; }

    // Creates a control in the owner window; null when the class cannot be created or activated. See
    // OleControlSite::CreateControl for the arguments.
    OleControlSite* CreateControl(REFCLSID clsid, int id, const RECT& rect, DWORD style,
                                  HWND insertAfter = nullptr);
    OleControlSite* FindSite(int id) const;
    void DestroyControl(int id);
    void DestroyAll();
    bool Empty() const { return sites_.empty(); }

    // The event sink map: handler runs when control id fires the event with that DISPID.
    void OnEvent(int controlId, DISPID event, EventHandler handler);
    // From the sites; false when no handler is registered.
    bool FireEvent(int controlId, DISPID event, DISPPARAMS& params);

    // A keystroke inside one of the controls goes to that control first; true when it consumed it.
    bool PreTranslateMessage(MSG& msg);

private:
    Window& owner_;
    std::vector<std::pair<int, ComPtr<OleControlSite>>> sites_;
    std::map<std::pair<int, DISPID>, EventHandler> handlers_;
};

} // namespace movalent
