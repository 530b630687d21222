#pragma once
// The page zoom of a tab, applied inside the loaded document by style changes so that it works the same in
// every engine version, the old ones without a zoom of their own included. Runs on the tab's browser thread.
//
// A page with a body gets its content wrapped in one DIV (kZoomWrapperId) whose inline zoom is the
// percentage; later calls only change that zoom. A frameset page zooms the frameset through its runtime
// style. Frames and inline frames get their own wrapper, and their body a runtime counter-zoom so that they
// are not enlarged twice.
#include <mshtml.h>

namespace movalent {

// document: the top-level document (inFrame false) or the document of a frame or inline frame (inFrame true).
// False when the document has no body yet, or a step failed; frames are then left alone.
bool ApplyZoom(IHTMLDocument2* document, int percent, bool inFrame);

// ApplyZoom (inFrame true) on the document of every frame of document; frames that fail are skipped. False
// only when the frames cannot be listed.
bool ApplyZoomToFrames(IHTMLDocument2* document, int percent);

} // namespace movalent
