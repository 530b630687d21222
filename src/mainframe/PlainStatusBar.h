#pragma once
// The main frame's status bar until the ribbon status bar with its zoom slider is built: the status text across
// the bar and a download progress bar at its right end, shown only while a page loads.
#include "framework/Window.h"

#include <string>

namespace movalent {

class PlainStatusBar : public Window {
public:
    bool CreateBar(HWND parent, UINT id);
    int Height() const;
    // Docks the bar at the bottom of area and takes its height off it.
    void Place(RECT& area);

    void SetStatusText(const std::wstring& text);
    std::wstring StatusText() const;

    // Returns whether the progress bar was visible before.
    bool SetProgressVisible(bool visible);
    bool ProgressVisible() const;
    void SetProgress(int position, int maximum);
    HWND ProgressBar() const { return progress_; }

private:
    void LayoutParts();

    HWND progress_ = nullptr;
};

} // namespace movalent
