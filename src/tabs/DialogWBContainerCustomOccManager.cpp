#include "tabs/DialogWBContainerCustomOccManager.h"

#include "tabs/DialogWBContainerCustomControlSite.h"

#include <new>

namespace movalent {

OleControlSite* CDialogWBContainerCustomOccManager::CreateSite(ControlContainer& container) {
    return new (std::nothrow) CDialogWBContainerCustomControlSite(container);
}

} // namespace movalent
