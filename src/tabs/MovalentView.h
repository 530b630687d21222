#pragma once
// The main-thread side of a tab. It starts and stops the tab's browser thread, passes the user's commands to
// it as messages posted to the thread's message window, and applies what the browser reports (posted window messages from the
// container): the tab caption, status text and progress, the short history behind the Back and Forward lists,
// new tabs for pages that ask for a window, and closing the tab when the page closes itself.
#include "framework/Handles.h"
#include "framework/View.h"
#include "tabs/BrowserThreadLink.h"
#include "tabs/TabHistory.h"

#include <windows.h>

namespace movalent {

class CMovalentDoc;
class TabHost;

class CMovalentView : public View {
public:
    static constexpr DWORD kStopTimeoutMs = BrowserThreadLink::kStopTimeoutMs;

    explicit CMovalentView(TabHost& host);
    ~CMovalentView() override;

    CMovalentDoc* Document() const;

    void OnInitialUpdate() override;
    void OnActivateView(bool activate) override;
    // The browser thread stops before the tab row moves activation and focus: focus may sit in a window of
    // that thread, and a thread that no longer answers would hold the focus change, and the main window, for
    // ever.
    void OnFrameClosing() override;

    const TabHistory& History() const { return history_; }
    // The address of the page the tab shows: the current history entry, or the start address before any page
    // completed.
    std::wstring CurrentAddress() const;
    bool Busy() const { return busy_; }
    // The tab's zoom percentage (10 to 999); the main window's slider and percentage pane only show it.
    int Zoom() const { return zoom_; }
    bool PanelShown() const { return panelShown_; }
    // The browser thread's id while it runs; 0 before the start, after the stop, and when it could not start.
    DWORD BrowserThreadId() const { return thread_.ThreadId(); }

    // Carries out a history command (4096 to 4105).
    void OnHistoryCommand(unsigned command);
    // Asks the browser thread to navigate; false when the thread is not there to take it (nothing leaks).
    bool NavigateTo(const std::wstring& url);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RegisterCommands();
    void StartBrowserThread();
    // Stops the thread; reports that arrived after it stopped are still in the queue, their strings and
    // streams are freed.
    void StopBrowserThread();
    bool PostToThread(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void OnTitleChange(WPARAM wParam);
    void OnStatusText(WPARAM wParam);
    void OnDocumentComplete(WPARAM wParam, LPARAM lParam);
    void OnProgress(WPARAM wParam, LPARAM lParam);
    void OnNewWindow(WPARAM wParam, LPARAM lParam);
    void OnBrowserClosed();
    // The browser thread ended while the tab still counted on it (an engine fault, a failed start): the tab says
    // so and closes, and nothing is posted to the id any more, which another thread may be given.
    void OnBrowserThreadEnded();
    void OnBrowserStream(WPARAM wParam);

    void OnZoomSlider();
    void StepZoom(bool in);
    void ResetZoom();
    // Makes the percentage the tab's zoom: the page gets it and the main window shows it.
    void SetZoom(int percent);

    TabHost& host_;
    TabHistory history_;
    bool busy_ = false;
    int zoom_ = 100;
    bool panelShown_ = false;
    BrowserThreadLink thread_;
};

} // namespace movalent
