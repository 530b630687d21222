#pragma once
// Pictures of a page through its document's IViewObject, the way a page is printed or shown in a thumbnail:
// the engine draws into a memory DC, whatever the window shows.
#include "framework/Picture.h"

#include <windows.h>
#include <oaidl.h>

namespace movalent {

// The size the document's content needs (the larger of the body's and the root element's scroll size); zero
// where the document does not say.
SIZE DocumentScrollSize(IDispatch* document);

// Draws the document into a white picture of width x height; the result of the draw, or of what failed first.
HRESULT RenderDocument(IDispatch* document, int width, int height, Picture* picture);

} // namespace movalent
