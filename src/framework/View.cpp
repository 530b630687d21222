#include "framework/View.h"

#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/Handles.h"

namespace movalent {

namespace {
constexpr wchar_t kViewClass[] = L"MovalentView";
}

View::~View() {
    if (parentFrame_ && parentFrame_->view_ == this)
        parentFrame_->view_ = nullptr;
    if (document_)
        document_->RemoveView(this); // may close the document
}

bool View::CreateView(ChildFrame& frame, UINT id) {
    if (!RegisterWindowClass(kViewClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr))
        return false;
    parentFrame_ = &frame;
    if (!Create(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, frame.ClientRect(),
                frame.Handle(), id))
        return false;
    ownedByWindow_ = true;
    return true;
}

void View::OnInitialUpdate() { ::InvalidateRect(Handle(), nullptr, TRUE); }

void View::OnActivateView(bool activate) {
    if (activate && ::GetFocus() != Handle() && !::IsChild(Handle(), ::GetFocus()))
        ::SetFocus(Handle());
}

void View::OnDraw(HDC, const RECT&) {}

LRESULT View::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PaintDc dc(Handle());
        RECT client = ClientRect();
        ::FillRect(dc.get(), &client, ::GetSysColorBrush(COLOR_WINDOW));
        OnDraw(dc.get(), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // painting covers the whole client area
    case WM_MOUSEACTIVATE:
        // A click into a tab that is not the active one makes it active.
        if (parentFrame_)
            parentFrame_->ActivateFrame();
        return Default();
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

void View::PostNcDestroy() {
    if (ownedByWindow_)
        delete this;
}

} // namespace movalent
