#pragma once
// Keeps the text-shaping cache of the container dialog's font alive for the life of the process.
//
// Every tab's address box is an edit control on the tab's own thread, and edit controls shape their text
// through a process-wide cache keyed by font. Some systems (Wine among them) create and drop that cache entry
// without enough locking when several threads do it at once, and the list behind it ends up circular: the
// next thread to search it spins for ever while holding the cache's lock, and every tab that paints text
// freezes. With one reference held from the start, threads only count the entry up and down and never create
// or drop it.
namespace movalent {

// Call on the main thread before the first browser thread starts; later calls do nothing.
void HoldContainerFontScriptCache();

} // namespace movalent
