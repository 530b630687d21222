#include "standin/engine/browser/PageView.h"

#include <new>

namespace movalent::standin {

CPageView* CPageView::Create(PageViewOwner& owner) {
    return new (std::nothrow) CPageView(owner);
}

HRESULT CPageView::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStandInPageView)) {
        *result = static_cast<IStandInPageView*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG CPageView::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CPageView::DrawPage(HDC dc, const RECT* area) {
    if (dc == nullptr || area == nullptr)
        return E_INVALIDARG;
    if (owner_ == nullptr)
        return E_UNEXPECTED;
    return NoThrow([&] {
        owner_->DrawForView(dc, *area);
        return S_OK;
    });
}

HRESULT CPageView::GetPageExtent(SIZE* client, LONG* contentHeight) {
    if (client == nullptr || contentHeight == nullptr)
        return E_POINTER;
    *client = SIZE{0, 0};
    *contentHeight = 0;
    if (owner_ == nullptr)
        return E_UNEXPECTED;
    return NoThrow([&] {
        owner_->MeasureForView(*client, *contentHeight);
        return S_OK;
    });
}

} // namespace movalent::standin
