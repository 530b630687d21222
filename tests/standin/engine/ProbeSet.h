#pragma once
// The individual probes behind RunProbe, one family per file.
#include "standin/engine/ProbeReport.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace movalent::standin {

void ProbeSelf(std::wstring_view argument, ProbeReport& report);
void ProbeLoadLibraryA(std::wstring_view name, ProbeReport& report);
void ProbeLoadLibraryW(std::wstring_view name, ProbeReport& report);
void ProbeGetModuleHandleW(std::wstring_view name, ProbeReport& report);
void ProbeLdrGetDllHandle(std::wstring_view name, ProbeReport& report);
void ProbeCoCreateInstance(std::wstring_view clsid, ProbeReport& report);
void ProbeCoGetClassObject(std::wstring_view clsid, ProbeReport& report);
void ProbeRegOpenKeyW(std::wstring_view path, ProbeReport& report);
void ProbeTypeLibChain(std::wstring_view parentPath, ProbeReport& report);
void ProbeCreateThread(std::wstring_view arguments, ProbeReport& report);

// handle, file and path of a module handle (file and path empty for none).
void DescribeModule(HMODULE module, ProbeReport& report);
// Full path of a loaded module; empty for none.
std::wstring ModulePath(HMODULE module);
// The last component of a path.
std::wstring_view FileNameOf(std::wstring_view path);

} // namespace movalent::standin
