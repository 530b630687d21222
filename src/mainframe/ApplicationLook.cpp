#include "mainframe/ApplicationLook.h"

namespace movalent {

VisualLook ApplyLookCommand(const VisualLook& current, unsigned id) {
    VisualLook look = current;
    switch (id) {
    case 210:
        look.manager = VisualManager::Windows2000;
        return look;
    case 211:
        look.manager = VisualManager::OfficeXP;
        return look;
    case 212:
        look.themedTabs = true;
        look.manager = VisualManager::WindowsXP;
        return look;
    case 213:
        look.manager = VisualManager::Office2003;
        break;
    case 214:
        look.manager = VisualManager::VisualStudio2005;
        break;
    case 215:
    case 216:
    case 217:
    case 218:
        look.colour = static_cast<Office2007Colour>(id - 215);
        look.manager = VisualManager::Office2007;
        break;
    default:
        look.manager = VisualManager::Office2007;
        break;
    }
    look.smartDocking = true;
    return look;
}

} // namespace movalent
