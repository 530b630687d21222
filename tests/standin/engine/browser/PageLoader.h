#pragma once
// Opening one page: its bytes from the file (or nothing for about:blank), and its document, made through COM
// the way the engine makes it so that redirection shows in where it came from.
#include "framework/Handles.h"
#include "standin/StandInBrowser.h"
#include "standin/engine/page/PageAddress.h"
#include "standin/engine/page/PageContent.h"
#include "standin/engine/page/PageReport.h"

#include <string>
#include <vector>

namespace movalent::standin {

// Status codes the real control reports in NavigateError.
inline constexpr HRESULT kInetResourceNotFound = static_cast<HRESULT>(0x800C0005L);
inline constexpr HRESULT kInetDownloadFailure = static_cast<HRESULT>(0x800C0008L);
inline constexpr HRESULT kInetUnknownProtocol = static_cast<HRESULT>(0x800C000DL);

// S_OK with the page's bytes, or the status code of NavigateError.
HRESULT ReadPage(const PageAddress& address, std::string& bytes);

// The stand-in's page for an address that could not be opened.
std::string ErrorPageBytes(const std::wstring& url, HRESULT status);

struct LoadedDocument {
    std::wstring url;
    HRESULT error = S_OK; // the status of the failed navigation this error page stands for
    ComPtr<IDispatch> document;
    DocumentOrigin origin;
    std::wstring title; // as the markup has it (may be empty)
    std::wstring text;
    std::vector<std::wstring> frameSources;
    std::vector<PageDirective> directives;
};

// The environment variable in which the process keeps its last fetch through OpenBlockingStream: "<file name
// of the copy that was asked> <url as given>".
inline constexpr wchar_t kLastFetchVariable[] = L"STANDIN_LAST_FETCH";

// urlmon's URLOpenBlockingStreamW as every copy exports it: a stream holding a local file's bytes, for a
// file: address or a plain path; INET_E_UNKNOWN_PROTOCOL for any other address, the status of ReadPage for a
// file that cannot be read. Every call is first recorded in kLastFetchVariable, whatever comes of it.
HRESULT OpenBlockingStream(LPCWSTR url, IStream** stream);

// A new document for url holding bytes: CoCreateInstance of the HTML document class on the calling thread;
// when that gives no stand-in document, one made by this copy.
LoadedDocument MakeDocument(const std::wstring& url, const std::string& bytes);

} // namespace movalent::standin
