#pragma once
// The preview form Lumadrift_R: a borderless window titled "Preview Window" that lives as
// a child of the host window whose handle came on the command line and shows the built-in
// 152 x 112 still picture at its top-left corner on black.
#include <cstdint>

namespace glowmere {

// Places and shows the form in the host window. False, with nothing created, when the
// handle names no window.
bool ShowPreviewForm(int32_t hostHandle);

}  // namespace glowmere
