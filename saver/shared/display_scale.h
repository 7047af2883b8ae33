#pragma once
// Display scaling. The settings dialog, its buttons and their pictures are designed in
// pixels of the 96-dpi screen; on a display scaled to another dpi every design length
// becomes length × dpi / 96, rounded by the one rule below, so that equal lengths stay
// equal and lengths that add up at 96 dpi still add up.
namespace glowmere {

constexpr int kDesignDpi = 96;

// value × dpi / 96 to the nearest whole number, halves away from zero (as MulDiv rounds).
int ScaleToDpi(int value, int dpi);

}  // namespace glowmere
