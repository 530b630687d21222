#pragma once
// The browser object of one frame: what the control's events carry as pDisp for a frame, distinct from the
// control itself, and what a host may ask about the frame (its address, name and document). It refers to the
// control without holding it, so the control drops its frames with Detach before it goes.
#include "framework/Handles.h"
#include "standin/engine/ComHelpers.h"
#include "standin/engine/browser/BrowserAutomation.h"

#include <atomic>
#include <string>

namespace movalent::standin {

class CFrameBrowser final : public BrowserAutomation {
public:
    // With one reference for the caller; null when out of memory.
    static CFrameBrowser* Create(IDispatch* topLevel);

    void SetPage(const std::wstring& url, const std::wstring& locationName, IDispatch* document);
    void Detach() { topLevel_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* value) override;

private:
    explicit CFrameBrowser(IDispatch* topLevel) : topLevel_(topLevel) {}
    ~CFrameBrowser() = default;

    ModuleReference module_;
    std::atomic<ULONG> references_{1};
    IDispatch* topLevel_;
    std::wstring url_;
    std::wstring locationName_;
    ComPtr<IDispatch> document_;
};

} // namespace movalent::standin
