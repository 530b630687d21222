#pragma once
// What the stand-in engine offers to tests. One DLL is copied under every engine file name ("7eframe.dll",
// "5shtml.dll", ...); each copy learns its version letter and module from its own file name, serves through
// DllGetClassObject the class ids of its module, and answers probes: requests that its own code makes on the
// calling thread, exactly as engine code would, reporting what the system really handed back. A test that
// runs a probe on a tagged thread thus sees the engine loader's redirection from inside an engine module.
// The browser copies' WebBrowser control and the mshtml copies' documents are described in
// standin/StandInBrowser.h; every other served class is a plain object that only answers IStandInObject.
//
// Exports of every copy (undecorated names):
//   DllGetClassObject, DllCanUnloadNow  the usual in-process server entry points (the variant build that
//                                       stands in for a damaged browser module lacks DllGetClassObject)
//   StandInProbe                        StandInProbeFn below
//   URLOpenBlockingStreamW              urlmon's, for fetching a page's source: a stream of a local file's
//   bytes
//                                       (file: addresses and plain paths; any other address
//                                       INET_E_UNKNOWN_PROTOCOL, a missing file INET_E_RESOURCE_NOT_FOUND);
//                                       the callback is never called. Every call first sets the process's
//                                       environment variable STANDIN_LAST_FETCH to "<this copy's file name>
//                                       <url>" (standin/StandInBrowser.h: fetch.last)
//
// Probe report: plain text, one "key=value" line per fact, lines ended by "\n", keys unique within one
// report. Handles are "0x" and eight upper-case hex digits, HRESULTs and NTSTATUS values likewise, Win32
// error codes decimal. A module is described by three keys: handle, file (its file name without folder, as
// the system reports it) and path (its full path); file and path are empty for a zero handle.
//
//   Self                        file, path, version (letter, "?" when the name is no engine file name),
//                               module ("browser", "mshtml", "jscript", "urlmon", "wininet", "mshtmled",
//                               "vbscript", "dxtmsft", "dxtrans", "imgutil", "pngfilt", "shdoclc" or
//                               "unknown"), standardName (e.g. "ieframe.dll", empty when unknown)
//   LoadLibraryA <name>         the module got back; error (GetLastError) when none; then it is freed again:
//   LoadLibraryW <name>         free (FreeLibrary's result, 0 or 1) and stillLoaded ("yes" / "no": whether
//                               the handle still lies inside a loaded module afterwards)
//   GetModuleHandleW <name>     the module got back; error when none
//   LdrGetDllHandle <name>      status, then the module left in the handle variable (preset to zero)
//   CoCreateInstance <clsid>    hr; when an object came back: module (file name of the stand-in copy that
//   CoGetClassObject <clsid>    made it, "system" when it is no stand-in object, "none" when there is no
//                               object), modulePath, class (the class id the object was made for). The class
//                               object route also reports createHr of IClassFactory::CreateInstance.
//                               <clsid> is written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". COM is
//                               initialised (single-threaded apartment) for the call when the thread has not
//                               done so.
//   RegOpenKeyW <root>[\<path>] root HKLM, HKCU, HKCR or HKU; without a path the sub-key name is null.
//                               error, state ("visible" for 0, "missing" for 2, "failed" otherwise); when
//                               opened: key and close (RegCloseKey's result)
//   TypeLibChain [<root>\<path>] opens the parent (default HKCR\TypeLib), then below each previous level
//                               "{527A4DA4-7F2C-11D2-B12D-0000F81F5995}", "1.0", "0", "win32", all with
//                               RegOpenKeyW, and stops at the first failure. Levels parent, library, version,
//                               lcid, platform each report <level>.error and, when opened, <level>.key. After
//                               the last level: query.error (RegQueryValueW of its default value) and, on
//                               success, query.value. Then every opened level is closed, deepest first:
//                               <level>.close
//   CreateThread [suspended] [noid] <probe>
//                               starts a thread with CreateThread (with CREATE_SUSPENDED when asked; with no
//                               thread-id variable for "noid") that runs <probe> and reports it back, each of
//                               its lines prefixed "child.". thread ("created" / "failed"), error when
//                               failed, threadId unless noid, suspendCount (ResumeThread's answer, 1 for a
//                               thread that was still suspended) when suspended, wait ("done" / "timeout"
//                               after 30 s)
// An unknown probe reports error=unknown probe.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

namespace movalent {

// Implemented by every object that a stand-in copy's class factory creates.
struct IStandInObject : public IUnknown {
    // Full path of the copy whose class factory made the object.
    virtual HRESULT STDMETHODCALLTYPE GetModulePath(BSTR* path) = 0;
    // The class id the object was created for: the one asked of DllGetClassObject.
    virtual HRESULT STDMETHODCALLTYPE GetClassId(CLSID* clsid) = 0;
    // Runs a probe (see above) on the calling thread, from inside the copy that made the object.
    virtual HRESULT STDMETHODCALLTYPE Probe(LPCWSTR what, BSTR* report) = 0;
};

// Runs a probe on the calling thread. Writes as much of the report as fits into out (always zero-terminated
// when outChars > 0) and returns the report's full length in characters, without the terminator; a result
// >= outChars means the report was cut. out may be null with outChars 0 to ask for the length. Returns -1
// when what is null.
using StandInProbeFn = int(__stdcall*)(const wchar_t* what, wchar_t* out, int outChars);
inline constexpr char kStandInProbeExport[] = "StandInProbe";

} // namespace movalent

__CRT_UUID_DECL(movalent::IStandInObject, 0xb9f82109, 0xcd52, 0x41a4, 0x8c, 0x66, 0xf1, 0x58, 0x0f, 0x46,
                0xf7, 0x08)

namespace movalent {
inline constexpr IID IID_IStandInObject = {
    0xb9f82109, 0xcd52, 0x41a4, {0x8c, 0x66, 0xf1, 0x58, 0x0f, 0x46, 0xf7, 0x08}};
} // namespace movalent
