#include "standin/engine/browser/EngineProbes.h"

#include "framework/Handles.h"
#include "standin/engine/ProbeSet.h"

namespace movalent::standin {
namespace {

ModuleAnswer LoadByStandardName(const wchar_t* name) {
    ModuleAnswer answer;
    answer.name = name;
    ::SetLastError(0);
    // Loaded and freed again, as an engine module looks a sibling up; a redirected load hands back the copy.
    UniqueModule module(::LoadLibraryW(name));
    if (!module) {
        answer.error = ::GetLastError();
        return answer;
    }
    answer.path = ModulePath(module.get());
    answer.file.assign(FileNameOf(answer.path));
    return answer;
}

} // namespace

EngineProbeAnswers RunEngineProbes() {
    EngineProbeAnswers answers;
    for (const wchar_t* name : {L"mshtml.dll", L"urlmon.dll", L"wininet.dll"})
        answers.modules.push_back(LoadByStandardName(name));
    HKEY key = nullptr;
    const LONG error =
        ::RegOpenKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector", &key);
    if (error == ERROR_SUCCESS)
        ::RegCloseKey(key);
    answers.versionVector = error == ERROR_SUCCESS          ? L"visible"
                            : error == ERROR_FILE_NOT_FOUND ? L"missing"
                                                            : L"failed";
    return answers;
}

} // namespace movalent::standin
