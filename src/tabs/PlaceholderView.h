#pragma once
// TEMPORARY stand-in for the tab view, until the view with its browser thread lands: it paints the tab's engine
// version and address, and takes titles and navigations through the same messages the real view will
// (9217, 9221), so captions, web search and the tab life cycle work end to end. Replace the view factory in
// CMovalentApp and delete these files when the real view is added.
#include "framework/View.h"

#include <string>

namespace movalent {

class CPlaceholderView : public View {
public:
    void OnInitialUpdate() override;
    const std::wstring& Address() const { return address_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDraw(HDC dc, const RECT& client) override;

private:
    // What a browser would do on arriving at an address: report it as the page title.
    void ShowAddress(const std::wstring& address);

    std::wstring address_;
};

} // namespace movalent
