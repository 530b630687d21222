#pragma once
// A view: the window that shows a document inside a child frame. Its object lives as long as its window.
#include "framework/Window.h"

namespace movalent {

class ChildFrame;
class Document;

class View : public Window {
public:
    View() = default;
    ~View() override;

    Document* GetDocument() const { return document_; }
    ChildFrame* ParentFrame() const { return parentFrame_; }

    // Creates the window filling the frame's client area; the object belongs to the window from then on.
    bool CreateView(ChildFrame& frame, UINT id);

    // After the document is ready and before the frame is first shown.
    virtual void OnInitialUpdate();
    // The view's frame became the active tab (activate) or stopped being it.
    virtual void OnActivateView(bool activate);
    // The frame is about to be destroyed, before the tab row hands activation and focus to another tab.
    virtual void OnFrameClosing() {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Painting: the default fills the background and calls OnDraw.
    virtual void OnDraw(HDC dc, const RECT& client);
    void PostNcDestroy() override;

private:
    friend class Document;
    Document* document_ = nullptr;
    ChildFrame* parentFrame_ = nullptr;
    bool ownedByWindow_ = false;
};

} // namespace movalent
