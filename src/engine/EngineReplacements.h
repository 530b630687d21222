#pragma once
// What the loader's parts share: the addresses of the twelve real functions and the replacements that take
// their place. Every replacement has its function's exact signature, asks GetCurrentEngine first and falls
// back to the real function; none may let an exception out, since they run inside system code.
#include <windows.h>
#include <objbase.h>
#include <winternl.h>

namespace movalent {

using LdrGetDllHandleFn = NTSTATUS(NTAPI*)(PCWSTR searchPath, PULONG characteristics, PUNICODE_STRING name,
                                           HMODULE* module);
// ZwQueryKey with the information class as a plain number (3: the key's full name).
using ZwQueryKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG informationClass, PVOID buffer, ULONG length,
                                      PULONG resultLength);

// After install each holds the interception layer's trampoline: calling it runs the function as it was.
extern decltype(&::CoCreateInstance) RealCoCreateInstance;
extern decltype(&::CoCreateInstanceEx) RealCoCreateInstanceEx;
extern decltype(&::CoGetClassObject) RealCoGetClassObject;
extern decltype(&::LoadLibraryA) RealLoadLibraryA;
extern decltype(&::LoadLibraryW) RealLoadLibraryW;
extern decltype(&::FreeLibrary) RealFreeLibrary;
extern decltype(&::RegOpenKeyW) RealRegOpenKeyW;
extern decltype(&::RegCloseKey) RealRegCloseKey;
extern decltype(&::RegQueryValueExW) RealRegQueryValueExW;
extern decltype(&::RegQueryValueW) RealRegQueryValueW;
extern LdrGetDllHandleFn RealLdrGetDllHandle;
extern decltype(&::CreateThread) RealCreateThread;

extern ZwQueryKeyFn ZwQueryKeyAddress;

// Module loading.
HMODULE WINAPI RedirectedLoadLibraryA(LPCSTR name);
HMODULE WINAPI RedirectedLoadLibraryW(LPCWSTR name);
BOOL WINAPI RedirectedFreeLibrary(HMODULE module);
NTSTATUS NTAPI RedirectedLdrGetDllHandle(PCWSTR searchPath, PULONG characteristics, PUNICODE_STRING name,
                                         HMODULE* module);

// COM activation.
HRESULT WINAPI RedirectedCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out);
HRESULT WINAPI RedirectedCoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                            DWORD count, MULTI_QI* results);
HRESULT WINAPI RedirectedCoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* out);

// Registry.
LSTATUS WINAPI RedirectedRegOpenKeyW(HKEY parent, LPCWSTR name, PHKEY result);
LSTATUS WINAPI RedirectedRegCloseKey(HKEY key);
LSTATUS WINAPI RedirectedRegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                          LPDWORD size);
LSTATUS WINAPI RedirectedRegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR data, PLONG size);

// Thread creation: the child gets the creator's tag before its first instruction.
HANDLE WINAPI RedirectedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                     LPVOID parameter, DWORD flags, LPDWORD threadId);

} // namespace movalent
