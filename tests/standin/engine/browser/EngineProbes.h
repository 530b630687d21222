#pragma once
// What the browser asks the system for when it opens a page, the way the engine does on its thread: its
// sibling modules by standard name, and the version vector key. The answers go onto the page.
#include "standin/engine/page/PageReport.h"

#include <string>
#include <vector>

namespace movalent::standin {

struct EngineProbeAnswers {
    std::vector<ModuleAnswer> modules; // mshtml.dll, urlmon.dll, wininet.dll, in that order
    std::wstring versionVector;        // "visible", "missing", "failed"
};

EngineProbeAnswers RunEngineProbes();

} // namespace movalent::standin
