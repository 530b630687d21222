#include "tabs/TabTemplateIds.h"

namespace movalent {

unsigned TemplateResourceForVersion(int version) {
    switch (version) {
    case IE_4:
        return 312;
    case IE_5:
        return 313;
    case IE_55:
        return 315;
    case IE_6:
        return 314;
    case IE_7:
        return 317;
    case IE_8:
        return 319;
    default:
        return 316;
    }
}

} // namespace movalent
