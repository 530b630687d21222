#pragma once
// The stand-in WebBrowser control and its documents: what a host and a test can rely on.
//
// The browser copies (5hdocvw.dll, 6hdocvw.dll, 7eframe.dll, 8eframe.dll) serve the WebBrowser class
// {8856F961-340A-11D0-A96B-00C04FD705A2} with a control that a host embeds like the real one: IOleObject,
// IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IPersistStreamInit, IOleCommandTarget,
// IProvideClassInfo2 (default source DWebBrowserEvents2), IConnectionPointContainer (DWebBrowserEvents2 and
// DWebBrowserEvents), and IWebBrowser2 as a dual interface: IDispatch::Invoke takes every DISPID of
// IWebBrowser2 and calls the same code as the vtable; GetIDsOfNames knows the member names. It opens
// "about:blank" and local files (file: URLs, drive and UNC paths); any other address fails with
// NavigateError.
//
// Every page's document is made with CoCreateInstance of the HTML document class
// {25336920-03F9-11CF-8FD0-00AA00686F13} on the browser's thread, so that the engine loader's redirection
// shows: a tagged thread gets the document of its version's mshtml copy. When CoCreateInstance gives no
// stand-in document (no loader, no registration), the browser makes the document with its own copy's code,
// and the page report says so.
//
// Navigation runs from the control's own message queue: Navigate returns at once and the events follow
// while the thread pumps messages. Events of one top-level navigation, in order (the old DWebBrowserEvents
// interface gets the event in brackets right after the new one):
//    1  BeforeNavigate2(browser, url)     [BeforeNavigate]     Cancel from either sink ends it, silently
//    2  DownloadBegin                     [DownloadBegin]
//    3  StatusTextChange("Opening <url>") [StatusTextChange]
//    4  ProgressChange(0, 10000)          [ProgressChange]
//       --- next message ---
//    5  only when the page cannot be opened: NavigateError(browser, url, "", status); with Cancel the
//       navigation ends as a stopped one (below) and the previous page stays; otherwise an error page
//       takes the place of the page and the steps go on
//    6  NavigateComplete2(browser, url)   [NavigateComplete]
//    7  CommandStateChange(CSC_NAVIGATEFORWARD, can go forward), then (CSC_NAVIGATEBACK, can go back)
//    8  TitleChange(the page's title, or its url when it has none)
//    9  ProgressChange(5000, 10000)
//   10  for every frame, depth first in document order, with the frame's own browser object as pDisp:
//         BeforeNavigate2 [FrameBeforeNavigate] (Cancel leaves the frame empty), StatusTextChange("Opening
//         <frame url>"), NavigateError when it cannot be opened, NavigateComplete2 [FrameNavigateComplete],
//         ProgressChange (between 5000 and 10000), its own frames, DocumentComplete. Frames fire no
//         TitleChange: the browser's title is the page's. At most 4 deep and 32 in all.
//   11  ProgressChange(10000, 10000)
//   12  DownloadComplete                  [DownloadComplete]
//   13  DocumentComplete(browser, url)    (the top-level document always last)
//   14  StatusTextChange("Done")
//       --- then one message per page directive, in document order ---
// NavigateError status codes: INET_E_RESOURCE_NOT_FOUND (0x800C0005) for a missing file or folder,
// INET_E_UNKNOWN_PROTOCOL (0x800C000D) for an address the stand-in does not open, INET_E_DOWNLOAD_FAILURE
// (0x800C0008) for a file that cannot be read.
// Refresh and Refresh2 reload the page and its frames into new documents but, like the real control, fire
// only DownloadBegin, StatusTextChange("Refreshing <url>"), ProgressChange(0, 10000), TitleChange,
// ProgressChange(10000, 10000), DownloadComplete and StatusTextChange("Done"); then the directives run again.
// Stop after DownloadBegin fires ProgressChange(-1, 10000), DownloadComplete and StatusTextChange(""); a
// navigation stopped before BeforeNavigate2, or replaced by a newer one, ends without further events. GoBack
// and GoForward without an entry that way fail with E_FAIL. A host may navigate, stop or refresh from inside
// any event: the navigation it interrupts falls silent.
//
// Page directives, HTML comments in a top-level page (those in frames are not run):
//   <!--standin: new-window URL-->  the page asks for a new window (URL relative to the page): NewWindow2
//       (ppDisp, Cancel), then NewWindow3 (ppDisp, Cancel, 0, page url, URL), then the old interface's
//       NewWindow (URL, 0, "", PostData, "", Processed); the first sink that cancels, processes or hands
//       back a browser (which is then navigated to URL) ends the chain. Nobody handling it opens nothing.
//   <!--standin: close-->           the page calls window.close: WindowClosing(FALSE, Cancel); unless
//       cancelled, the control destroys its own window (the host's window gets WM_PARENTNOTIFY / WM_DESTROY).
//   <!--standin: hang-->            a script that never returns: StatusTextChange("A script on this page
//       does not return"), the page is repainted, then the browser thread spins for ever, pumping nothing.
//   <!--standin: external NAME ARG...-->  a script calls window.external.NAME(ARG, ...), every ARG a string
//       (words split at white space): the client site's IDocHostUIHandler::GetExternal, then
//       GetIDsOfNames(NAME) and Invoke(DISPATCH_METHOD) on the object. A member that shows a message box
//       holds the browser thread until the box is answered. The outcome goes to the report (external.NAME).
//   <!--standin: contextmenu-->     a right click on the page: IDocHostUIHandler::ShowContextMenu
//       (CONTEXT_MENU_DEFAULT); the answer goes to the report (contextMenu).
//   <!--standin: end-thread-->      a fault in engine code: the browser thread ends at once (ExitThread), none
//       of its host's clean-up running.
//   <!--standin: never-complete-->  a load that never ends (a request the server never answers): the page and
//       its frames open with their events up to 10 above (frames complete), and then nothing more: no
//       ProgressChange(10000, 10000), DownloadComplete, DocumentComplete or StatusTextChange("Done") for the
//       page. The page is drawn; the state stays "loading", Busy VARIANT_TRUE and ReadyState short of
//       READYSTATE_COMPLETE; the page's other directives still run. Stop ends it as a stopped load, a
//       navigation replaces it, Refresh reloads it (stalling again after its TitleChange).
//   <frame src=...>, <iframe src=...>  frames, loaded as above.
//   <!--standin: other-site-->      in a frame's page (not run in a top-level page): the page comes from
//       another site. The frame's window, as the frames collection of the page around it hands it out,
//       answers E_ACCESSDENIED from document and execScript (standin/engine/document/HtmlDom.h).
//
// Like the real control, the browser asks its client site for IDocHostUIHandler whenever it opens a
// top-level page (navigation or refresh) and calls GetHostInfo, with dwFlags and dwDoubleClick preset to
// 0xFFFFFFFF so that a host that leaves them alone shows.
//
// Clicks: a WM_LBUTTONDOWN and then a WM_LBUTTONUP in the control's page window (the window IOleWindow::
// GetWindow gives; posted, sent or from SendInput) are a left click at the WM_LBUTTONUP's point, in the page
// window's client coordinates. The top-level document fires HTMLDocumentEvents2 onclick to its sinks with the
// innermost element of the stand-in's layout there (standin/engine/document/DomLayout.h), or the BODY, as
// srcElement; unless a sink cancels it (returnValue VARIANT_FALSE, or VT_BOOL false as its Invoke result) the
// click reaches the page (click.count, click.last). Frames are not laid out: every click goes to the
// top-level document. To click an element from another process, read its box.<id> from the window text and
// post the two messages with the box's centre to the page window (for SendInput, ClientToScreen of that
// point).
//
// Pictures: the page's document (the Document property) answers IViewObject and IViewObject2. Draw
// (DVASPECT_CONTENT, lindex -1; other aspects DV_E_DVASPECT, another lindex DV_E_LINDEX, no bounds or DC
// E_INVALIDARG) draws into hdcDraw within lprcBounds exactly what the page window draws: the lines wrapped at
// the bounds' width, as many as fit their height (so bounds as high as the body's scrollHeight give the whole
// page). Neither the window's size nor its being visible matters. A document that the control no longer shows
// (it showed another page, or went) answers E_UNEXPECTED, as do frame documents. GetExtent gives the page
// window's size in HIMETRIC; GetColorSet S_FALSE; Freeze and Unfreeze E_NOTIMPL; SetAdvise keeps one sink
// (ADVF_PRIMEFIRST calls OnViewChange at once) and GetAdvise hands it back. The body's (and the HTML
// element's) scrollHeight is the height drawing all the lines takes at the page window's width, at least the
// window's client height; scrollWidth the window's client width (standin/engine/document/HtmlDom.h).
//
// The page the control draws (GDI, in its own window) and its page report say the same. The report is
// "key=value" lines (format in standin/StandInInterfaces.h) from IStandInBrowser::GetPageReport, and also the
// text of the control's window, so another thread or process can read it: use InternalGetWindowText, which
// never waits for the browser thread (GetWindowText would, and a hanging page never answers). Keys:
//   engine              "Stand-in engine IE 6 (6hdocvw.dll) - not Internet Explorer"
//   version             the browser copy's version letter; browser, browserPath: its file name and path
//   state               "empty" (nothing opened yet), "loading", "complete", "closed" (by the page),
//                       "hanging"
//   url, title, locationName, text
//                       of the page shown (title as TitleChange gave it, text's line breaks as spaces)
//   error               the status code, when the page shown is the error page of a failed navigation
//   document.hr         CoCreateInstance's answer for the document class
//   document.answeredBy the stand-in copy whose object it gave ("6shtml.dll"), "system", or "none"
//   document.module     the copy whose document shows the page: answeredBy, or this browser copy itself
//   frames              number of frames at all depths; for each, depth first from 0: frame.N.url,
//                       frame.N.title, frame.N.depth (1 for a frame of the page),
//                       frame.N.document.answeredBy, frame.N.document.module, frame.N.error when it failed
//   probe.mshtml, probe.urlmon, probe.wininet
//                       the file LoadLibraryW gave the browser for that standard name on its thread when the
//                       page was opened ("none" when it failed); probe.<name>.path
//   probe.versionVector "visible", "missing" or "failed": RegOpenKeyW of
//                       HKLM\SOFTWARE\Microsoft\Internet Explorer\Version Vector on the browser's thread
//   back, forward       entries of the travel log behind and ahead of the page
//   textSize            0 (smallest) to 4 (largest), set by ExecWB OLECMDID_ZOOM; 2 at first
//   print, printPreview how many print and print-preview commands arrived (none opens a dialog)
//   newWindow.url, newWindow.handledBy
//                       the last new-window request, and "NewWindow2", "NewWindow3", "NewWindow" or "none"
//   close               "done" or "cancelled": the last close directive
//   zoom.runtime        the zoom of the runtime style of the page's BODY (or FRAMESET), as a host set it
//                       through IHTMLElement2::runtimeStyle and IHTMLStyle3::zoom; "none" when unset
//   zoom.wrapper        the inline zoom of the body's first element when its id is "__om__fennimox__zoom__"
//                       (the program's zoom wrapper): "150%", "unset" when it has none; "none" without one
//   zoom.wrappers       elements with that id anywhere in the document (more than one: wrapped twice)
//   zoom.wrapsAll       "yes" when the wrapper is the body's only child (it encloses the whole page)
//   frame.N.zoom.runtime, frame.N.zoom.wrapper, frame.N.zoom.wrappers, frame.N.zoom.wrapsAll
//                       the same for the document of every opened frame. The zoom keys follow the documents:
//                       a change a host makes shows (and the page is repainted) when the thread next pumps
//   host.uiHandler      "yes" or "no": whether the client site offered IDocHostUIHandler when the page was
//                       opened (absent when the control had no site); with "yes" also host.hostInfo.hr
//                       (GetHostInfo's answer), host.flags (DOCHOSTUIINFO.dwFlags, "0x00040004") and
//                       host.doubleClick (decimal)
//   external.NAME       the page's call of window.external.NAME: "no object (<GetExternal's answer>)",
//                       "unknown name (<GetIDsOfNames' answer>)", or "dispid N, returned <Invoke's answer>,
//                       no result" ("a result" when the member gave one). Calls of the page on show only
//   contextMenu         ShowContextMenu's answer ("0x00000001": the engine's own menu), or "no handler"
//   click.count         left clicks in the page window that reached the page on show (given for a page whose
//                       document is a stand-in document; a new page starts at 0)
//   click.last          the id of the element the last of them went to, or its tag ("BODY") when it has none
//   box.<id>            "left,top,right,bottom" of the first element of the top-level document with that id,
//                       in the stand-in's layout (page window client coordinates); "0,0,0,0" when it is not
//                       displayed. One line for every id, in document order
//   attr.<id>.<name>    an attribute a host set (setAttribute; the style attribute also through
//                       style.cssText) on the first element with that id, as it is now; the drawn page lists
//                       them too
//   script.error        the message of the last execScript of the top-level document's window that failed
//   fetch.last          "<copy's file name> <url>": the process's last URLOpenBlockingStreamW call to any
//                       copy (the environment variable STANDIN_LAST_FETCH, read when the report is made)
// The text key is the page's text as loaded; changes a host makes show in attr.* (and in the layout).
#include "standin/StandInInterfaces.h"

namespace movalent {

// Implemented by the stand-in WebBrowser control, besides IStandInObject.
struct IStandInBrowser : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPageReport(BSTR* report) = 0;
};

// Implemented by the control, one object for every top-level page it shows: the page as its window draws it,
// for that page's document. The document may be in another copy than the control (the one COM gave), so it
// reaches the control's drawing only through this. Once the control shows another page or goes, the view is
// cut loose and answers E_UNEXPECTED.
struct IStandInPageView : public IUnknown {
    // Draws what the page window shows (its WM_PAINT) into area of dc: the lines wrapped at the area's width,
    // as many as fit its height, whatever the window's own size.
    virtual HRESULT STDMETHODCALLTYPE DrawPage(HDC dc, const RECT* area) = 0;
    // The page window's client size (without a window: the size the site last gave the control, or 800 x 600
    // when it gave none) and the height in pixels that drawing all of the page's lines at that width takes,
    // margins included.
    virtual HRESULT STDMETHODCALLTYPE GetPageExtent(SIZE* client, LONG* contentHeight) = 0;
};

// Implemented by the document an mshtml copy makes for the HTML document class, besides IStandInObject and
// IDispatch (which the browser's Document property hands out). The browser reads the page's bytes and gives
// them to the document, which reads its markup (see standin/engine/page/PageContent.h). Its document object
// model is described in standin/engine/document/HtmlDom.h.
struct IStandInDocument : public IUnknown {
    // A document takes one page; a second Load fails with E_UNEXPECTED.
    virtual HRESULT STDMETHODCALLTYPE Load(LPCWSTR url, const BYTE* bytes, ULONG size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUrl(BSTR* url) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(BSTR* text) = 0;
    // Frame sources as written in the page; the browser resolves them against the page's url.
    virtual HRESULT STDMETHODCALLTYPE GetFrameCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrameSource(LONG index, BSTR* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDirectiveCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDirective(LONG index, BSTR* name, BSTR* argument) = 0;
    // The document of this document's next frame, in document order (null: the frame was left empty). The
    // browser adds them as it opens the frames; the document's frames collection hands them out (a frame
    // document with the other-site directive as a window that keeps the document to itself).
    virtual HRESULT STDMETHODCALLTYPE AddFrame(IDispatch* frameDocument) = 0;
    // After every change a host makes to the document's elements or styles, the document posts message to
    // window (no window: nobody is told).
    virtual HRESULT STDMETHODCALLTYPE WatchChanges(HWND window, UINT message) = 0;
    // The zoom as the page report gives it (keys zoom.*): runtime and wrapper zoom texts or "none", the
    // number of wrappers, and whether the wrapper is the body's only child.
    virtual HRESULT STDMETHODCALLTYPE GetZoom(BSTR* runtime, BSTR* wrapper, LONG* wrappers,
                                              BOOL* wrapsAll) = 0;
    // The document's own lines of the page report (box.*, attr.*, script.error), "key=value\n" each.
    virtual HRESULT STDMETHODCALLTYPE GetReportLines(BSTR* lines) = 0;
    // A left click at (x, y) in the page window's client coordinates: onclick goes to the document's
    // HTMLDocumentEvents2 sinks. reached is FALSE when a sink cancelled it; target names the element it went
    // to (its id, or its upper-case tag when it has none). S_FALSE, nothing fired, before the page is loaded.
    virtual HRESULT STDMETHODCALLTYPE Click(LONG x, LONG y, BOOL* reached, BSTR* target) = 0;
    // The control that shows this document as its top-level page hands it the page's view (held; null: no
    // control shows it). IViewObject::Draw and the scroll sizes of the body and the HTML element use it.
    virtual HRESULT STDMETHODCALLTYPE ShowIn(IStandInPageView* view) = 0;
};

} // namespace movalent

__CRT_UUID_DECL(movalent::IStandInBrowser, 0xb8efa883, 0xaf8d, 0x48de, 0x84, 0x34, 0xed, 0xc2, 0x65, 0xac,
                0x1d, 0xfe)
__CRT_UUID_DECL(movalent::IStandInPageView, 0xd4e63822, 0xd1ff, 0x4d66, 0x9c, 0xb2, 0x34, 0x8f, 0x0b, 0xf7,
                0x5a, 0x54)
__CRT_UUID_DECL(movalent::IStandInDocument, 0x02f3037f, 0xe05e, 0x426f, 0x8d, 0xde, 0x08, 0x4d, 0xb7, 0xa7,
                0x25, 0x5c)

namespace movalent {
inline constexpr IID IID_IStandInBrowser = {
    0xb8efa883, 0xaf8d, 0x48de, {0x84, 0x34, 0xed, 0xc2, 0x65, 0xac, 0x1d, 0xfe}};
inline constexpr IID IID_IStandInPageView = {
    0xd4e63822, 0xd1ff, 0x4d66, {0x9c, 0xb2, 0x34, 0x8f, 0x0b, 0xf7, 0x5a, 0x54}};
inline constexpr IID IID_IStandInDocument = {
    0x02f3037f, 0xe05e, 0x426f, {0x8d, 0xde, 0x08, 0x4d, 0xb7, 0xa7, 0x25, 0x5c}};

// The classes the browser side uses.
inline constexpr CLSID kClsidWebBrowser = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
inline constexpr CLSID kClsidHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
} // namespace movalent
