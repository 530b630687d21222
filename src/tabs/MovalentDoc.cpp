#include "tabs/MovalentDoc.h"

#include "tabs/TabHost.h"

#include <ole2.h>

namespace movalent {

CMovalentDoc::~CMovalentDoc() {
    if (browserStream_) {
        IDispatch* browser = nullptr;
        if (SUCCEEDED(::CoGetInterfaceAndReleaseStream(browserStream_, IID_IDispatch,
                                                       reinterpret_cast<void**>(&browser))) &&
            browser)
            browser->Release();
        browserStream_ = nullptr;
    }
}

bool CMovalentDoc::AdoptBrowserStream(IStream* stream) {
    if (!stream || browserStream_)
        return false;
    browserStream_ = stream;
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
