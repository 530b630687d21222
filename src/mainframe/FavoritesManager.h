#pragma once
// The user's Internet Explorer favorites, read once at start-up from the Favorites folder that the shell's
// "User Shell Folders" key names, and the menu built from them.
#include "mainframe/Favorit.h"

#include <string>

namespace movalent {

class Menu;

// The Favorites folder of the current user with its environment variables expanded; empty when the key or
// the value is missing, is not text, or the path (before or after expansion) is longer than 260 characters.
std::wstring UserFavoritesFolder();

class CFavoritesManager {
public:
    // Loads the tree from the user's Favorites folder; false when there is no such folder or it cannot be
    // listed (the tree then stays empty).
    bool Load();
    // Loads the tree from folder into the root, numbering the shortcuts on from the ids already handed out.
    bool LoadFrom(const std::wstring& folder);

    const CFavorit& Root() const { return root_; }
    // The address of favorites command id; empty when there is none.
    std::wstring Url(unsigned id) const { return root_.AddressOf(id); }
    bool BuildMenu(Menu& menu) const { return root_.BuildMenu(menu); }

private:
    CFavorit root_;
    FavoriteIdCounter ids_;
};

} // namespace movalent
