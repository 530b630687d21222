#pragma once
// The document of a tab: which engine version it runs and where it starts. It holds no file; the "path" it is
// opened with is the start URL.
#include "engine/IeVersion.h"
#include "framework/Document.h"
#include "framework/DocumentTemplate.h"
#include "framework/Handles.h"

#include <objidl.h>

#include <string>

namespace movalent {

class TabHost;

class CMovalentDoc : public Document {
public:
    CMovalentDoc() = default;
    // Releases the browser stream still held with its marshalled reference, and closes the event.
    ~CMovalentDoc() override;

    int EngineVersion() const { return engineVersion_; }
    const std::wstring& StartUrl() const { return startUrl_; }

    // Manual-reset event the view creates at its initial update and signals once the browser stream is here.
    HANDLE BrowserReadyEvent() const { return browserReady_.get(); }
    void SetBrowserReadyEvent(UniqueHandle event) { browserReady_ = std::move(event); }

    // The stream the tab's browser thread marshalled the browser's IDispatch into. Only the first stream is kept:
    // true when this one was taken over (the document owns it then); false when the document already holds one,
    // and the caller keeps it.
    bool AdoptBrowserStream(IStream* stream);
    IStream* BrowserStream() const { return browserStream_.get(); }

    // The program around the tab; set by the template that makes the document.
    void SetHost(const TabHost* host) { host_ = host; }

    // A tab opened without an address starts at the program's start page.
    bool OnNewDocument() override;
    // The "path" is the start URL, taken character for character; nothing is opened or tested.
    bool OnOpenDocument(const std::wstring& path) override;
    // The URL never becomes a path, so it never changes the title.
    void SetPathName(const std::wstring&) override {}

protected:
    int engineVersion_ = IE_DEFAULT;

private:
    const TabHost* host_ = nullptr;
    std::wstring startUrl_;
    UniqueHandle browserReady_;
    ComPtr<IStream> browserStream_;
};

class CIE55Doc : public CMovalentDoc {
public:
    CIE55Doc() { engineVersion_ = IE_55; }
};

class CIE6Doc : public CMovalentDoc {
public:
    CIE6Doc() { engineVersion_ = IE_6; }
};

class CIE7Doc : public CMovalentDoc {
public:
    CIE7Doc() { engineVersion_ = IE_7; }
};

class CIE8Doc : public CMovalentDoc {
public:
    CIE8Doc() { engineVersion_ = IE_8; }
};

class CIEDefaultDoc : public CMovalentDoc {
public:
    CIEDefaultDoc() { engineVersion_ = IE_DEFAULT; }
};

// The program's tab template: a class of its own so that a run-time type test tells the program's tab templates
// from any other, and their resource id names the engine version.
class CMyMultiDocTemplate : public DocumentTemplate {
public:
    using DocumentTemplate::DocumentTemplate;
};

} // namespace movalent
