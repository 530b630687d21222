#include "framework/DocumentTemplate.h"

#include "framework/Application.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/ResourceStrings.h"
#include "framework/TabbedMainFrame.h"
#include "framework/View.h"
#include "framework/Window.h"

#include <algorithm>
#include <memory>

namespace movalent {

DocumentTemplate::DocumentTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view)
    : resourceId_(resourceId), documentFactory_(std::move(document)), frameFactory_(std::move(frame)),
      viewFactory_(std::move(view)), docString_(FrameworkString(resourceId)) {
    smallIcon_ = static_cast<HICON>(::LoadImageW(Window::ResourceInstance(), MAKEINTRESOURCEW(resourceId),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

DocumentTemplate::~DocumentTemplate() { CloseAllDocuments(true); }

void DocumentTemplate::AddDocument(Document* document) {
    documents_.push_back(document);
    document->template_ = this;
}

void DocumentTemplate::RemoveDocument(Document* document) {
    auto it = std::find(documents_.begin(), documents_.end(), document);
    if (it != documents_.end())
        documents_.erase(it);
    document->template_ = nullptr;
}

void DocumentTemplate::CloseAllDocuments(bool) {
    // Each close removes the document from the list.
    while (!documents_.empty()) {
        Document* document = documents_.front();
        document->OnCloseDocument();
        if (!documents_.empty() && documents_.front() == document)
            RemoveDocument(document); // it refused to go; forget it rather than loop
    }
}

Document* DocumentTemplate::OpenDocumentFile(const wchar_t* path, bool makeVisible) {
    Document* document = documentFactory_ ? documentFactory_() : nullptr;
    if (!document)
        return nullptr;
    AddDocument(document);

    ChildFrame* frame = CreateNewFrame(document);
    if (!frame) {
        delete document; // never shown: no view holds it
        return nullptr;
    }
    if (path) {
        // Destroying the frame takes the view and so the document with it.
        if (!document->OnOpenDocument(path)) {
            frame->DestroyWindow();
            return nullptr;
        }
        document->SetPathName(path);
    } else {
        SetDefaultTitle(document);
        if (!document->OnNewDocument()) {
            frame->DestroyWindow();
            return nullptr;
        }
    }
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}

ChildFrame* DocumentTemplate::CreateNewFrame(Document* document) {
    auto* mainFrame = dynamic_cast<TabbedMainFrame*>(Application::Current() ? Application::Current()->MainWindow()
                                                                            : nullptr);
    if (!mainFrame || !frameFactory_ || !viewFactory_)
        return nullptr;
    std::unique_ptr<ChildFrame> frame(frameFactory_());
    if (!frame)
        return nullptr;
    ChildFrame::CreateContext context{document, this, viewFactory_};
    if (!frame->LoadFrame(*mainFrame, context))
        return nullptr;
    return frame.release(); // the window owns it now
}

void DocumentTemplate::InitialUpdateFrame(ChildFrame* frame, Document* document, bool makeVisible) {
    frame->InitialUpdateFrame(document, makeVisible);
}

void DocumentTemplate::SetDefaultTitle(Document* document) {
    std::wstring name = DocString(DocStringField::DocumentName);
    if (name.empty())
        name = L"Untitled";
    document->SetTitle(name + std::to_wstring(++untitledCount_));
}

} // namespace movalent
