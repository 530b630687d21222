#pragma once
// One engine version's part of a capture: a hidden window that stands where a tab's view would, with a
// browser thread started exactly as a tab's is. The page is drawn once its top-level document is complete and
// nothing has loaded for the wait; the whole of it may take at most the time-out.
#include "app/CaptureOptions.h"
#include "framework/Picture.h"
#include "framework/Window.h"
#include "tabs/BrowserThreadLink.h"

#include <string>

namespace movalent {

class CaptureHost : public Window {
public:
    // Told once per host, when its picture is there or the version failed.
    class Listener {
    public:
        virtual void OnCaptureFinished(CaptureHost& host) = 0;

    protected:
        ~Listener() = default;
    };

    CaptureHost(IEVERSION version, const CaptureOptions& options, TabHost& host, Listener& listener);
    ~CaptureHost() override;

    // Makes the window and starts the browser thread; false (with Error set) when either fails.
    bool Start();

    IEVERSION Version() const { return version_; }
    bool Finished() const { return finished_; }
    const std::wstring& Error() const { return error_; }
    // The picture, once; empty when the version failed.
    Picture TakeShot() { return std::move(picture_); }
    // From the start to the top-level document's first completion; -1 when it never completed.
    long long CompleteMs() const { return completeMs_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnDocumentComplete(WPARAM wParam, LPARAM lParam);
    void OnBusy();
    void OnQuiet();
    void OnPicture(WPARAM wParam);
    void OnBrowserStream(WPARAM wParam);
    // Ends this version's part: the thread goes, the listener hears of it.
    void Finish(std::wstring error);

    IEVERSION version_;
    const CaptureOptions& options_;
    TabHost& host_;
    Listener& listener_;
    BrowserThreadLink thread_;
    unsigned long long startTick_ = 0;
    long long completeMs_ = -1;
    bool pictureAsked_ = false;
    bool finished_ = false;
    std::wstring navigationError_;
    std::wstring error_;
    Picture picture_;
};

} // namespace movalent
