#pragma once
// A document template ties a resource id (document string and tab icon) to the classes of a document, its child
// frame and its view, and opens new documents with them.
#include "framework/DocumentString.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace movalent {

class ChildFrame;
class Document;
class View;

class DocumentTemplate {
public:
    using DocumentFactory = std::function<Document*()>;
    using FrameFactory = std::function<ChildFrame*()>;
    using ViewFactory = std::function<View*()>;

    DocumentTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view);
    DocumentTemplate(const DocumentTemplate&) = delete;
    DocumentTemplate& operator=(const DocumentTemplate&) = delete;
    // Closes the documents still open.
    virtual ~DocumentTemplate();

    UINT ResourceId() const { return resourceId_; }
    std::wstring DocString(DocStringField field) const { return DocStringPart(docString_, field); }
    // The small (16 x 16) icon of the resource id, shown on the tabs of the template's documents; may be null.
    HICON SmallIcon() const { return smallIcon_; }

    // Opens a document: with a path, OnOpenDocument(path) and SetPathName(path); without one, a numbered default
    // title and OnNewDocument. Creates its child frame and view, sends the view its initial update and, with
    // makeVisible, shows and activates the frame. Returns the document, or null when any step failed (nothing
    // is left behind then).
    virtual Document* OpenDocumentFile(const wchar_t* path, bool makeVisible = true);

    const std::vector<Document*>& Documents() const { return documents_; }
    void CloseAllDocuments(bool endSession);

protected:
    virtual ChildFrame* CreateNewFrame(Document* document);
    virtual void InitialUpdateFrame(ChildFrame* frame, Document* document, bool makeVisible);
    virtual void SetDefaultTitle(Document* document);

private:
    friend class Document;
    void AddDocument(Document* document);
    void RemoveDocument(Document* document);

    UINT resourceId_;
    DocumentFactory documentFactory_;
    FrameFactory frameFactory_;
    ViewFactory viewFactory_;
    std::wstring docString_;
    HICON smallIcon_ = nullptr; // shared resource icon: never destroyed
    unsigned untitledCount_ = 0;
    std::vector<Document*> documents_;
};

} // namespace movalent
