#include "framework/OleControl.h"

#include "framework/ControlContainer.h"
#include "framework/Handles.h"
#include "framework/OleControlSite.h"

#include <vector>

namespace movalent {

OleControl::~OleControl() {
    // The control belongs to the parent's container, which closes it with the parent window; only the window
    // object goes here.
    if (Handle())
        Unsubclass();
}

bool OleControl::CreateControl(REFCLSID clsid, DWORD style, const RECT& rect, Dialog& parent, UINT id) {
    if (site_ || !parent.Handle())
        return false;
    OleControlSite* site = parent.Controls().CreateControl(clsid, static_cast<int>(id), rect, style);
    if (!site)
        return false;
    return AttachSite(parent.Controls(), site);
}

bool OleControl::AttachSite(ControlContainer& container, OleControlSite* site) {
    if (!site || site_)
        return false;
    site_ = site;
    container_ = &container;
    id_ = site->Id();
    // A windowless control has no window to stand for; the object still reaches it through its site.
    if (HWND window = site->ControlWindow())
        Subclass(window);
    return true;
}

IUnknown* OleControl::ControlUnknown() const {
    // The site may have been closed with its container; then it is no longer the container's.
    if (!site_ || !container_ || container_->FindSite(id_) != site_)
        return nullptr;
    return site_->ControlUnknown();
}

HRESULT OleControl::InvokeHelper(DISPID id, WORD flags, VARIANT* result,
                                 std::initializer_list<VARIANT> arguments) {
    IUnknown* control = ControlUnknown();
    if (!control)
        return E_UNEXPECTED;
    ComPtr<IDispatch> dispatch;
    HRESULT hr = control->QueryInterface(IID_IDispatch, dispatch.put_void());
    if (FAILED(hr) || !dispatch)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    // The call takes its arguments last first.
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::vector<VARIANT> ordered(reversed.rbegin(), reversed.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {ordered.empty() ? nullptr : ordered.data(), nullptr,
                         static_cast<UINT>(ordered.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    if (result)
        ::VariantInit(result);
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    hr =
        dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &badArgument);
    // The texts of a failure are the caller's to free.
    UniqueBstr source(exception.bstrSource), description(exception.bstrDescription),
        helpFile(exception.bstrHelpFile);
    return hr;
}

void OleControl::MoveControl(const RECT& rect, bool repaint) {
    if (ControlUnknown()) {
        site_->SetObjectRects(rect);
        if (repaint && Handle())
            ::InvalidateRect(Handle(), nullptr, TRUE);
    } else if (Handle()) {
        MoveTo(rect, repaint);
    }
}

bool OleControl::DestroyWindow() {
    if (!ControlUnknown())
        return Window::DestroyWindow();
    if (Handle())
        Unsubclass();
    container_->DestroyControl(id_);
    site_ = nullptr;
    return true;
}

void ExchangeControl(DataExchange& dx, int id, OleControl& control) {
    if (control.Site())
        return;
    ControlContainer* container = dx.dialog.ControlsIfAny();
    OleControlSite* site = container ? container->FindSite(id) : nullptr;
    if (!site || !control.AttachSite(*container, site))
        dx.failed = true;
}

} // namespace movalent
