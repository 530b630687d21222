// Pictures of the page for a capture: the browser is given the picture's size, then the document draws
// itself.
#include "app/InternalMessages.h"
#include "framework/Handles.h"
#include "tabs/DialogWBContainer.h"
#include "tabs/PagePicture.h"
#include "tabs/PageRendering.h"

#include <algorithm>
#include <memory>

namespace movalent {

void CDialogWBContainer::SizeBrowserTo(int width, int height) {
    if (!m_hBrowserWnd)
        return;
    RECT browser{}, client = ClientRect();
    ::GetWindowRect(m_hBrowserWnd, &browser);
    // The address box and the panel keep their room: the container grows by what the browser lacks.
    const int extraWidth = (client.right - client.left) - (browser.right - browser.left);
    const int extraHeight = (client.bottom - client.top) - (browser.bottom - browser.top);
    if (browser.right - browser.left != width || browser.bottom - browser.top != height)
        ::MoveWindow(Handle(), 0, 0, width + extraWidth, height + extraHeight, TRUE);
}

void CDialogWBContainer::OnCapturePage(int width, uint32_t heightAndFlags) {
    auto page = std::make_unique<PagePicture>();
    ComPtr<IDispatch> document = ComPtr<IDispatch>::Attach(m_browser.GetDocument());
    int height = static_cast<int>(heightAndFlags & ~kCaptureFullPage);
    if ((heightAndFlags & kCaptureFullPage) != 0 && document)
        height =
            std::clamp(static_cast<int>(DocumentScrollSize(document.get()).cy), height, kLargestPageSide);
    width = std::clamp(width, 1, kLargestPageSide);
    height = std::clamp(height, 1, kLargestPageSide);
    SizeBrowserTo(width, height);
    page->result = document ? RenderDocument(document.get(), width, height, &page->picture) : E_UNEXPECTED;
    if (m_hViewWnd && ::PostMessageW(m_hViewWnd, kMsgPagePicture, reinterpret_cast<WPARAM>(page.get()), 0))
        page.release();
}

} // namespace movalent
