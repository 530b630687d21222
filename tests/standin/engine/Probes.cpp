#include "standin/engine/Probes.h"

#include "standin/engine/ProbeSet.h"

namespace movalent::standin {
namespace {

struct ProbeEntry {
    std::wstring_view name;
    void (*run)(std::wstring_view argument, ProbeReport& report);
};

constexpr ProbeEntry kProbes[] = {
    {L"Self", ProbeSelf},
    {L"LoadLibraryA", ProbeLoadLibraryA},
    {L"LoadLibraryW", ProbeLoadLibraryW},
    {L"GetModuleHandleW", ProbeGetModuleHandleW},
    {L"LdrGetDllHandle", ProbeLdrGetDllHandle},
    {L"CoCreateInstance", ProbeCoCreateInstance},
    {L"CoGetClassObject", ProbeCoGetClassObject},
    {L"RegOpenKeyW", ProbeRegOpenKeyW},
    {L"TypeLibChain", ProbeTypeLibChain},
    {L"CreateThread", ProbeCreateThread},
};

} // namespace

std::wstring RunProbe(std::wstring_view what) {
    const size_t space = what.find(L' ');
    const std::wstring_view name = what.substr(0, space);
    const std::wstring_view argument =
        space == std::wstring_view::npos ? std::wstring_view{} : what.substr(space + 1);
    ProbeReport report;
    for (const ProbeEntry& probe : kProbes) {
        if (probe.name == name) {
            probe.run(argument, report);
            return report.Text();
        }
    }
    report.Add(L"error", L"unknown probe");
    return report.Text();
}

} // namespace movalent::standin
