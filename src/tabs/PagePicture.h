#pragma once
// A picture of a tab's page, made on its browser thread and posted to the window the thread reports to.
#include "framework/Picture.h"

#include <cstdint>

namespace movalent {

struct PagePicture {
    Picture picture;
    int32_t result = 0; // an HRESULT: 0 when the picture was drawn
};

// The full-page flag in the height of a kMsgCapturePage request.
inline constexpr uint32_t kCaptureFullPage = 0x40000000;
// A full page is never drawn taller or wider than this.
inline constexpr int kLargestPageSide = 16384;

} // namespace movalent
