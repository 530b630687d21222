#pragma once
// The program's control-site manager: installed once at start-up, it makes every control site of the
// process a CDialogWBContainerCustomControlSite.
#include "framework/ControlContainer.h"

namespace movalent {

class CDialogWBContainerCustomOccManager : public OccManager {
public:
    OleControlSite* CreateSite(ControlContainer& container) override;
};

} // namespace movalent
