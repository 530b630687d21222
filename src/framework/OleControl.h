#pragma once
// A window object for one hosted ActiveX control: it stands for the control's in-place window, moves the
// control through its site, and calls the control's automation interface by DISPID.
#include "framework/Dialog.h"
#include "framework/Window.h"

#include <oaidl.h>

#include <initializer_list>

namespace movalent {

class OleControlSite;

class OleControl : public Window {
public:
    OleControl() = default;
    ~OleControl() override;

    // Creates the control of the class in parent's control container, at rect (parent's client coordinates).
    bool CreateControl(REFCLSID clsid, DWORD style, const RECT& rect, Dialog& parent, UINT id);
    // Takes a control that already has a site in container (one a dialog template named) and stands for its
    // window.
    bool AttachSite(ControlContainer& container, OleControlSite* site);

    OleControlSite* Site() const { return site_; }
    IUnknown* ControlUnknown() const;
    // Asks the control for an interface; null when it has none.
    template <typename T> T* Query(REFIID iid) const {
        IUnknown* control = ControlUnknown();
        T* result = nullptr;
        if (!control || FAILED(control->QueryInterface(iid, reinterpret_cast<void**>(&result))))
            return nullptr;
        return result;
    }

    // An automation call on the control's IDispatch. Arguments are in declared order; result may be null.
    HRESULT InvokeHelper(DISPID id, WORD flags, VARIANT* result,
                         std::initializer_list<VARIANT> arguments = {});

    // The control moves its own window when its site tells it its new rectangle.
    void MoveControl(const RECT& rect, bool repaint = true);

    // Closes the control (and so its window).
    bool DestroyWindow() override;

private:
    // The site belongs to the parent's container, which lives as long as the parent's window object; once the
    // container no longer lists it under id_, the site may be gone.
    OleControlSite* site_ = nullptr;
    ControlContainer* container_ = nullptr;
    int id_ = 0;
};

// Binds a control that the dialog template named to its OleControl object the first time data is loaded.
void ExchangeControl(DataExchange& dx, int id, OleControl& control);

} // namespace movalent
