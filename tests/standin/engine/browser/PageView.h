#pragma once
// The view the control hands the document of every top-level page it shows (IStandInPageView in
// standin/StandInBrowser.h). A host may keep the document after the control showed another page or went
// away, so the view refers to its owner without holding it, and the owner cuts it loose with Detach first.
#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/engine/ComHelpers.h"

#include <atomic>

namespace movalent::standin {

class PageViewOwner {
public:
    virtual void DrawForView(HDC dc, const RECT& area) = 0;
    virtual void MeasureForView(SIZE& client, LONG& contentHeight) = 0;

protected:
    ~PageViewOwner() = default;
};

class CPageView final : public IStandInPageView {
public:
    // With one reference for the caller; null when out of memory.
    static CPageView* Create(PageViewOwner& owner);
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DrawPage(HDC dc, const RECT* area) override;
    HRESULT STDMETHODCALLTYPE GetPageExtent(SIZE* client, LONG* contentHeight) override;

private:
    explicit CPageView(PageViewOwner& owner) : owner_(&owner) {}
    ~CPageView() = default;

    ModuleReference module_;
    std::atomic<ULONG> references_{1};
    PageViewOwner* owner_;
};

} // namespace movalent::standin
