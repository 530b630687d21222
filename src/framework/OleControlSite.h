#pragma once
// The site of one ActiveX control hosted in a window of the framework: the control's client site, in-place
// site, control site and source of ambient properties, with the in-place frame the control talks to, and the
// sink of the control's default event interface.
//
// A site belongs to the thread that created its control and is used only there. It is reference counted; its
// container holds one reference until the control is destroyed, and the control may hold more for a while.
// Once the control is destroyed the site answers without reaching back into the container.
#include "framework/Handles.h"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>

namespace movalent {

class ControlContainer;

class OleControlSite : public IOleClientSite,
                       public IOleInPlaceSiteEx,
                       public IOleControlSite,
                       public IDispatch {
public:
    explicit OleControlSite(ControlContainer& container);
    OleControlSite(const OleControlSite&) = delete;
    OleControlSite& operator=(const OleControlSite&) = delete;

    // Creates the control of the class, activates it in place at rect (the container window's client
    // coordinates) and connects its default events. The control's window takes the id, and lies after
    // insertAfter in the z-order (tab order) when that is given; WS_VISIBLE in style shows it.
    HRESULT CreateControl(REFCLSID clsid, int id, const RECT& rect, DWORD style, HWND insertAfter);
    // Disconnects the events, deactivates and closes the control, and lets go of it and of the container.
    void DestroyControl();

    int Id() const { return id_; }
    IUnknown* ControlUnknown() const { return control_.get(); }
    // The control's in-place window; null when it has none (any more).
    HWND ControlWindow() const;
    const RECT& Rect() const { return rect_; }
    // Moves the control: the object is told its new rectangle and moves its window itself.
    HRESULT SetObjectRects(const RECT& rect);
    // Gives a keystroke to the active control first; true when the control consumed it.
    bool TranslateAccelerator(MSG& msg);
    // The IID of the events the site receives; GUID_NULL when the control has none it can name.
    const IID& EventInterface() const { return eventIid_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override;

    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override;
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

protected:
    virtual ~OleControlSite();

    // Interfaces a derived site adds (a document host handler, say); E_NOINTERFACE here.
    virtual HRESULT QueryMoreInterfaces(REFIID iid, void** result);
    // One ambient property; DISP_E_MEMBERNOTFOUND for one the site does not know.
    virtual HRESULT GetAmbientProperty(DISPID id, VARIANT* value);

    ControlContainer* Container() const { return container_; }
    HWND ContainerWindow() const;

private:
    // The in-place frame and document window the control talks to: the container window.
    class Frame final : public IOleInPlaceFrame {
    public:
        explicit Frame(OleControlSite& site) : site_(site) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return site_.GetWindow(window); }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
        HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
            return INPLACE_E_NOTOOLSPACE;
        }
        HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
        HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    private:
        OleControlSite& site_;
    };

    // The sink of the control's default events, which it hands to the container's event handlers.
    class EventSink final : public IDispatch {
    public:
        explicit EventSink(OleControlSite& site) : site_(site) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                         EXCEPINFO*, UINT*) override;

    private:
        OleControlSite& site_;
    };

    void ConnectEvents();
    void DisconnectEvents();
    void ReleaseControl();

    std::atomic<ULONG> references_{1};
    ControlContainer* container_;
    Frame frame_{*this};
    EventSink eventSink_{*this};
    int id_ = 0;
    RECT rect_ = {};
    ComPtr<IUnknown> control_;
    ComPtr<IOleObject> object_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
    ComPtr<IOleInPlaceActiveObject> activeObject_;
    IID eventIid_ = GUID_NULL;
    DWORD eventCookie_ = 0;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
};

} // namespace movalent
