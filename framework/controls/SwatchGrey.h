// The colour a swatch takes on a grey image: the grey of equal luminance,
// which is what the render of such an image uses.
#pragma once

// Turns red, green and blue into their grey; false, and all three kept
// exactly, when they are a grey already. The weights sum to 1 only up to
// rounding, so converting a grey again could move it by a unit in the
// last place each time the swatch is painted.
bool ToSwatchGrey(double& fRed, double& fGreen, double& fBlue);
