// Sine, cosine and power computed from IEEE basic operations only, so that
// every build gives the same bits: the C runtimes differ in the last bit,
// and the Windows one evaluates these functions on the x87 unit.
#pragma once

double PortableSin(double x);
double PortableCos(double x);

// x to the power y for x >= 0; a negative x gives NaN.
double PortablePow(double x, double y);
