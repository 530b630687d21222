#pragma once
// What the rest of the program asks of the engine loader: installing and removing its interception, which
// engine versions are available, and the Internet options module it loaded. Browser threads also tag
// themselves here with their tab's version; every intercepted call then answers from that version's engine.
#include "engine/EngineRecord.h"
#include "engine/IeVersion.h"

#include <windows.h>

namespace movalent {

// Loads every available version's engine files from the current directory and installs the interception. Only
// the first call of the process works; disableFilters suppresses the filter feature in the IE 5.5, 7 and 8 engines.
// Call before any browser thread exists.
void InstallEngineHooks(bool disableFilters);
// Undoes InstallEngineHooks; only the call that balances the first install works. Call after the browser
// threads have ended. Thread tags are kept.
void RemoveEngineHooks();
// True when tabs of the version can be opened (its engine files were loaded; always for IE_DEFAULT).
bool IsEngineAvailable(IEVERSION version);
// Loads a version that was not available at install (its files were put in place since), from the current
// directory; true when it is available now. Call on the main thread, with the interception installed.
bool LoadEngineVersionNow(IEVERSION version);
// Why tabs of the version cannot be opened (EngineAbsence::None when they can), as found at install.
EngineAbsence WhyEngineUnavailable(IEVERSION version);
// The HTML engine module tabs of the version use: the version's own when loaded, the system's for Default IE
// once a tab has loaded it; null otherwise.
HMODULE LoadedMshtml(IEVERSION version);
// "inetcpl.cpl" as loaded at install, or null.
HMODULE InternetOptionsModule();

// The options page switches the filter feature at once, without reinstalling.
void SetEngineFiltersDisabled(bool disableFilters);
bool EngineFiltersDisabled();

// Tags a thread (0: the calling one) with a version, replacing an earlier tag. False only when out of memory.
bool SetThreadEngine(DWORD threadId, IEVERSION version);

// Removes the calling thread's tag; true also when there was none. False only when out of memory.
bool ForgetCurrentThread();
// Removes a thread's tag by id: for a thread that ended without running its thread-exit callbacks, as a thread
// cut off with TerminateThread does. True also when there was none.
bool ForgetThread(DWORD threadId);
// A thread's version: false when it has no tag, or when its tag was left by a thread that has ended (the id
// now free or another thread's), which is then removed.
bool GetThreadEngine(DWORD threadId, IEVERSION* version);
// Whether the map holds a tag for the id, whoever left it; for diagnostics.
bool HoldsThreadTag(DWORD threadId);

// The record of the calling thread's version when the thread is tagged and that version is available; null
// otherwise. A tag the calling thread's id kept from an earlier thread is removed and does not count.
EngineRecord* GetCurrentEngine();

} // namespace movalent
