#include "engine/IeVersion.h"

namespace movalent {

const wchar_t* const EngineFilePrefix[IE_VERSION_COUNT] = {L"", L"", L"5", L"6", L"7", L"8", L"D"};

} // namespace movalent
