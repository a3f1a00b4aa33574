// math/ holds the arithmetic that gives the same bits in every build.
// Sine, cosine and power computed from IEEE basic operations only, so that
// every build gives the same bits: the C runtimes differ in the last bit,
// and the Windows one evaluates these functions on the x87 unit.
#pragma once

#include <cstddef>

double PortableSin(double x);
double PortableCos(double x);

// The sines (cosines) of x[0..n) into out[0..n), which may be x itself:
// each with the very bits of PortableSin (PortableCos), two at a time
// where the compiler offers SSE2.
void PortableSines(const double* x, double* out, std::size_t n);
void PortableCosines(const double* x, double* out, std::size_t n);

// x to the power y for x >= 0; a negative x gives NaN.
double PortablePow(double x, double y);
