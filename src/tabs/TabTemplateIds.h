#pragma once
// Engine versions and the resource ids of their tab templates (document string, tab icon).
#include "engine/IeVersion.h"

namespace movalent {

// 0 -> 312, 1 -> 313, IE 5.5 -> 315, IE 6 -> 314, IE 7 -> 317, IE 8 -> 319, anything else -> 316 (Default IE).
// IE 4 and IE 5 have a document string and an icon but no registered template.
unsigned TemplateResourceForVersion(int version);

// The templates start-up registers, in registration order.
inline constexpr unsigned kRegisteredTemplateIds[] = {315, 314, 317, 319, 316};

// The command that opens a new tab of each version, by IEVERSION.
inline constexpr unsigned kNewTabCommands[IE_VERSION_COUNT] = {32777, 32778, 32779, 32781, 32780, 32796, 32793};

} // namespace movalent
