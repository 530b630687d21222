#pragma once
// The control's events, each fired to the sinks of DWebBrowserEvents2 and then, where the old interface has
// a counterpart, to those of DWebBrowserEvents, with the arguments shaped as each interface declares them.
#include "standin/engine/browser/ConnectionPoints.h"

#include <string>

namespace movalent::standin {

struct NewWindowAnswer {
    std::wstring handledBy;    // "NewWindow2", "NewWindow3", "NewWindow" or "none"
    ComPtr<IDispatch> browser; // a browser a sink handed back for the new window
};

class BrowserEvents {
public:
    BrowserEvents(ConnectionPoint& events2, ConnectionPoint& events1)
        : events2_(events2), events1_(events1) {}

    // The Cancel answer of the sinks of both interfaces. topLevel chooses the old interface's event:
    // BeforeNavigate / NavigateComplete for the page, FrameBeforeNavigate / FrameNavigateComplete for frames.
    bool BeforeNavigate2(IDispatch* browser, bool topLevel, const std::wstring& url);
    void NavigateComplete2(IDispatch* browser, bool topLevel, const std::wstring& url);
    void DocumentComplete(IDispatch* browser, const std::wstring& url);
    bool NavigateError(IDispatch* browser, const std::wstring& url, HRESULT status);
    void StatusTextChange(const std::wstring& text);
    void TitleChange(const std::wstring& text);
    void ProgressChange(LONG progress, LONG progressMax);
    void DownloadBegin();
    void DownloadComplete();
    void CommandStateChange(LONG command, bool enabled);
    bool WindowClosing(bool childWindow);
    // NewWindow2, NewWindow3, then the old NewWindow, until one of them is answered.
    NewWindowAnswer NewWindow(const std::wstring& url, const std::wstring& pageUrl);

private:
    ConnectionPoint& events2_;
    ConnectionPoint& events1_;
};

} // namespace movalent::standin
