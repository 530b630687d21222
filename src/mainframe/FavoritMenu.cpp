// The favorites tree as a popup menu (the tree itself needs no Windows API and lives in Favorit.cpp).
#include "framework/Menu.h"
#include "mainframe/Favorit.h"

namespace movalent {

bool CFavorit::BuildMenu(Menu& menu) const {
    if (!menu.CreatePopup())
        return false;
    for (const auto& child : children_) {
        if (child->IsFolder()) {
            Menu popup;
            if (child->BuildMenu(popup))
                menu.AppendSubMenu(popup, child->Name());
        } else if (IsFavoriteCommand(child->Id())) {
            // Past the last favorites command the ids are the history menus' own: such shortcuts stay out.
            menu.AppendItem(child->Id(), child->Name());
        }
    }
    return true;
}

} // namespace movalent
