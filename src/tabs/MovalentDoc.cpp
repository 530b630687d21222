#include "tabs/MovalentDoc.h"

#include "tabs/BrowserThreadLink.h"
#include "tabs/TabHost.h"

#include <ole2.h>

namespace movalent {

CMovalentDoc::~CMovalentDoc() {
    if (browserStream_)
        ReleaseBrowserStream(browserStream_.detach());
}

bool CMovalentDoc::AdoptBrowserStream(IStream* stream) {
    if (!stream || browserStream_)
        return false;
    browserStream_ = ComPtr<IStream>::Attach(stream);
    return true;
}

bool CMovalentDoc::OnNewDocument() {
    if (!Document::OnNewDocument())
        return false;
    if (host_)
        startUrl_ = host_->StartPage();
    return true;
}

bool CMovalentDoc::OnOpenDocument(const std::wstring& path) {
    startUrl_ = path;
    return true;
}

} // namespace movalent
