#pragma once
// The site every ActiveX control of the program gets (in practice each tab's WebBrowser control): the
// framework's site plus the document host's answers to the engine: no 3-D border, themed controls, the
// engine's own context menu, the program's accelerators before the page's, and window.external.
#include "framework/OleControlSite.h"
#include "tabs/CustomWindowExternal.h"

#include <mshtmhst.h>

namespace movalent {

class TabHost;

class CDialogWBContainerCustomControlSite : public OleControlSite {
public:
    explicit CDialogWBContainerCustomControlSite(ControlContainer& container);

    // The host flags the engine is given: DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME.
    static constexpr DWORD kHostFlags = 0x00040004;

    CCustomWindowExternal& WindowExternal() { return external_; }

protected:
    HRESULT QueryMoreInterfaces(REFIID iid, void** result) override;

private:
    // The program around the tab whose container holds the site; null in any other dialog.
    TabHost* Host() const;

private:
    class XDocHostUIHandler final : public IDocHostUIHandler {
    public:
        explicit XDocHostUIHandler(CDialogWBContainerCustomControlSite& site) : site_(site) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

        HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
        HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
        HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                         IOleInPlaceFrame*, IOleInPlaceUIWindow*) override;
        HRESULT STDMETHODCALLTYPE HideUI() override;
        HRESULT STDMETHODCALLTYPE UpdateUI() override;
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;
        HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
        HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
        HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override;
        HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
        HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override;
        HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
        HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
        HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override;

    private:
        CDialogWBContainerCustomControlSite& site_;
    };

    CCustomWindowExternal external_;
    XDocHostUIHandler handler_{*this};
};

} // namespace movalent
