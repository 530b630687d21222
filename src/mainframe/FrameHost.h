#pragma once
// What the main frame may ask of the program around it, handed to the frame when it is made.
#include "app/Settings.h"
#include "engine/IeVersion.h"

#include <windows.h>

#include <string>

namespace movalent {

class View;

class FrameHost {
public:
    // The accelerator table the frame translates keys with before its own.
    virtual HACCEL Accelerators() const = 0;
    // The popup menu of the user's favorites, which the ribbon's Favorites button drops down; the host keeps
    // it.
    virtual HMENU FavoritesMenu() const = 0;
    // Where the search box's searches open.
    virtual SearchBehaviour WebSearchBehaviour() const = 0;
    virtual void OpenTab(IEVERSION version, const std::wstring& address) = 0;
    // The view of the oldest open tab of the version; null when there is none.
    virtual View* FirstTabOf(IEVERSION version) const = 0;

protected:
    ~FrameHost() = default;
};

} // namespace movalent
