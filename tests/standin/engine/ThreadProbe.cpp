// A thread started from engine code, which runs a probe of its own: shows from inside what a child sees.
#include "standin/engine/Probes.h"
#include "standin/engine/ProbeSet.h"

#include "framework/Handles.h"

#include <memory>
#include <new>
#include <string>

namespace movalent::standin {
namespace {

constexpr DWORD kChildTimeoutMs = 30000;

struct ChildRun {
    std::wstring what;
    std::wstring report;
};

// The child holds its own share of the run, so a parent that gave up waiting cannot pull it away.
DWORD WINAPI ChildMain(void* parameter) {
    std::unique_ptr<std::shared_ptr<ChildRun>> run(static_cast<std::shared_ptr<ChildRun>*>(parameter));
    try {
        (*run)->report = RunProbe((*run)->what);
    } catch (...) {
        (*run)->report.clear();
    }
    return 0;
}

bool TakeOption(std::wstring_view& arguments, std::wstring_view option) {
    if (arguments.size() > option.size() && arguments.substr(0, option.size()) == option &&
        arguments[option.size()] == L' ') {
        arguments.remove_prefix(option.size() + 1);
        return true;
    }
    return false;
}

} // namespace

void ProbeCreateThread(std::wstring_view arguments, ProbeReport& report) {
    bool suspended = false;
    bool noId = false;
    for (bool more = true; more;) {
        more = false;
        if (TakeOption(arguments, L"suspended"))
            suspended = more = true;
        if (TakeOption(arguments, L"noid"))
            noId = more = true;
    }

    auto run = std::make_shared<ChildRun>();
    run->what.assign(arguments);
    auto* childShare = new std::shared_ptr<ChildRun>(run);
    DWORD threadId = 0;
    UniqueHandle thread(::CreateThread(nullptr, 0, ChildMain, childShare, suspended ? CREATE_SUSPENDED : 0,
                                       noId ? nullptr : &threadId));
    if (!thread) {
        const DWORD error = ::GetLastError();
        delete childShare;
        report.Add(L"thread", L"failed");
        report.AddDecimal(L"error", error);
        return;
    }
    report.Add(L"thread", L"created");
    if (!noId)
        report.AddDecimal(L"threadId", threadId);
    if (suspended)
        report.AddDecimal(L"suspendCount",
                          static_cast<long long>(static_cast<LONG>(::ResumeThread(thread.get()))));
    if (::WaitForSingleObject(thread.get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
        report.Add(L"wait", L"timeout");
        return;
    }
    report.Add(L"wait", L"done");
    report.AddNested(L"child.", run->report);
}

} // namespace movalent::standin
