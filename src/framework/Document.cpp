#include "framework/Document.h"

#include "framework/ChildFrame.h"
#include "framework/DocumentTemplate.h"
#include "framework/View.h"

#include <algorithm>

namespace movalent {

Document::~Document() {
    // Views that outlive their document must not reach back into it.
    for (View* view : views_)
        view->document_ = nullptr;
    if (template_)
        template_->RemoveDocument(this);
}

void Document::SetTitle(const std::wstring& title) {
    title_ = title;
    UpdateFrameCounts();
}

void Document::SetPathName(const std::wstring& path) { pathName_ = path; }

void Document::AddView(View* view) {
    if (std::find(views_.begin(), views_.end(), view) != views_.end())
        return;
    views_.push_back(view);
    view->document_ = this;
}

void Document::RemoveView(View* view) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end())
        return;
    views_.erase(it);
    view->document_ = nullptr;
    // A document nobody shows any more has no way to be closed later.
    if (views_.empty() && !closing_)
        OnCloseDocument();
}

bool Document::OnNewDocument() {
    DeleteContents();
    SetModified(false);
    return true;
}

bool Document::OnOpenDocument(const std::wstring&) {
    DeleteContents();
    SetModified(false);
    return true;
}

bool Document::CanCloseFrame(ChildFrame*) { return true; }

void Document::OnCloseDocument() {
    if (closing_)
        return;
    closing_ = true;
    while (!views_.empty()) {
        View* view = views_.front();
        ChildFrame* frame = view->ParentFrame();
        // Destroying the frame destroys the view, which leaves the list; a view without a frame goes by itself.
        if (frame)
            frame->DestroyWindow();
        else
            view->DestroyWindow();
        if (!views_.empty() && views_.front() == view)
            RemoveView(view); // the window was already gone
    }
    DeleteContents();
    delete this;
}

void Document::UpdateFrameCounts() {
    for (View* view : views_)
        if (ChildFrame* frame = view->ParentFrame())
            frame->OnUpdateFrameTitle();
}

} // namespace movalent
