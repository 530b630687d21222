#pragma once
// The developer-tools panel's published interface: a COM component outside the program (MovalentDevTools.dll)
// that a tab's container shows beside the page. The class, the interface id and the order of its methods are
// the contract between the two; both sides include this header.
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

namespace movalent {

struct IFennimoxPanel : public IUnknown {
    // Attaches the panel to a container window and its browser; title receives the panel's title.
    virtual HRESULT STDMETHODCALLTYPE Init(HWND container, IWebBrowser2* browser, int engineVersion,
                                           BSTR* title) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMainWindow(HWND mainWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUrlmonModule(HMODULE urlmon) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;
    virtual HRESULT STDMETHODCALLTYPE ViewSource(LONG which) = 0;
};

// {3293C04C-F14F-46E5-89DE-917BC0F610F3}
inline constexpr IID IID_IFennimoxPanel = {
    0x3293C04C, 0xF14F, 0x46E5, {0x89, 0xDE, 0x91, 0x7B, 0xC0, 0xF6, 0x10, 0xF3}};
// {947E34E9-1D85-43CB-9CBF-5C492118FDD5}
inline constexpr CLSID CLSID_FennimoxPanel = {
    0x947E34E9, 0x1D85, 0x43CB, {0x9C, 0xBF, 0x5C, 0x49, 0x21, 0x18, 0xFD, 0xD5}};

} // namespace movalent
