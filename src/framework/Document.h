#pragma once
// A document: the data behind one tab, shown by one or more views, each inside a child frame.
//
// Life: a template creates it with its first frame and view. It closes (OnCloseDocument) when its last frame is
// closed, or when the last of its views goes for any other reason; closing destroys every frame that shows it and
// then the document itself.
#include "framework/CommandTarget.h"

#include <string>
#include <vector>

namespace movalent {

class ChildFrame;
class DocumentTemplate;
class View;

class Document : public CommandTarget {
public:
    Document() = default;
    ~Document() override;

    const std::wstring& Title() const { return title_; }
    // Every frame that shows the document takes the title as its caption.
    virtual void SetTitle(const std::wstring& title);
    const std::wstring& PathName() const { return pathName_; }
    virtual void SetPathName(const std::wstring& path);

    DocumentTemplate* Template() const { return template_; }
    const std::vector<View*>& Views() const { return views_; }
    void AddView(View* view);
    void RemoveView(View* view);

    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // A new empty document; false stops its creation.
    virtual bool OnNewDocument();
    // A document for path; false stops its creation.
    virtual bool OnOpenDocument(const std::wstring& path);
    // Destroys every frame of the document, then the document.
    virtual void OnCloseDocument();
    // Whether a frame may close; asks to save a modified document, which this framework never does.
    virtual bool CanCloseFrame(ChildFrame* frame);
    virtual void DeleteContents() {}

    // Refreshes the captions of the document's frames.
    void UpdateFrameCounts();

private:
    friend class DocumentTemplate;

    std::wstring title_;
    std::wstring pathName_;
    DocumentTemplate* template_ = nullptr;
    std::vector<View*> views_;
    bool modified_ = false;
    bool closing_ = false;
};

} // namespace movalent
