#include "PortableMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

// The polynomial coefficients are the classic minimax fits of sin, cos, log
// and exp on their reduced ranges; every step below is a +, -, * or / that
// SSE2 rounds the same way on every platform.

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

uint64_t Bits(double v)
{
    uint64_t n;
    std::memcpy(&n, &v, sizeof n);
    return n;
}

// Rounds to the nearest integer (ties to even) for |v| < 2^51. Shifted by
// 1.5 * 2^52 the integer sits in the low mantissa bits, which also give its
// remainder modulo 4 without an integer conversion.
constexpr double kRoundingShift = 6755399441055744.0;

double RoundToInteger(double v, int* pQuadrant = nullptr)
{
    const double fShifted = v + kRoundingShift;
    if (pQuadrant)
        *pQuadrant = int(Bits(fShifted) & 3);
    return fShifted - kRoundingShift;
}

double FromBits(uint64_t n)
{
    double v;
    std::memcpy(&v, &n, sizeof v);
    return v;
}

// 2^k for -1022 <= k <= 1023.
double PowerOfTwo(int k)
{
    return FromBits(uint64_t(k + 1023) << 52);
}

double ScaleByPowerOfTwo(double v, int k)
{
    while (k > 1023) {
        v *= PowerOfTwo(1023);
        k -= 1023;
    }
    while (k < -1022) {
        v *= PowerOfTwo(-1022);
        k += 1022;
    }
    return v * PowerOfTwo(k);
}

double KernelSin(double x, double y)
{
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double v = z * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

double KernelCos(double x, double y)
{
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                     C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                     C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// x modulo the double nearest 2 pi, exactly as std::fmod gives it, for
// |x| >= 2^51. fmod's shift-and-subtract takes microseconds at the largest
// magnitudes, which a dot field with huge angles calls millions of times;
// here x = m * 2^(e-52) and 2 pi = p * 2^-50 with integers m and p, so the
// remainder is ((m * 2^(e-2)) mod p) * 2^-50, with the powers of two modulo
// p taken from a table and the product built by doubling.
double ReduceHugeToTurn(double x)
{
    constexpr double kTwoPi = 6.28318530717958647692;
    constexpr uint64_t kMantissa = (uint64_t(1) << 52) - 1;
    constexpr uint64_t kImplicit = uint64_t(1) << 52;
    static const uint64_t p = (Bits(kTwoPi) & kMantissa) | kImplicit;
    // 2^k mod p for every k a finite double can need.
    static const std::vector<uint64_t> powers = [] {
        std::vector<uint64_t> table(1022);
        uint64_t v = 1;
        for (uint64_t& entry : table) {
            entry = v;
            v = 2 * v >= p ? 2 * v - p : 2 * v;
        }
        return table;
    }();

    const uint64_t nBits = Bits(x);
    const int e = int((nBits >> 52) & 0x7FF) - 1023;
    uint64_t m = (nBits & kMantissa) | kImplicit;
    m = m >= p ? m - p : m;
    const uint64_t b = powers[std::size_t(e - 2)];
    uint64_t r = 0;
    for (int nBit = 52; nBit >= 0; --nBit) {
        r = 2 * r >= p ? 2 * r - p : 2 * r;
        if ((m >> nBit) & 1)
            r = r + b >= p ? r + b - p : r + b;
    }
    // Signed: the conversion is exact and stays off the x87 unit on 32-bit
    // builds. 2^-50 scales exactly.
    const double fRemainder = double(int64_t(r)) * 8.8817841970012523233890533447265625e-16;
    return std::copysign(fRemainder, x);
}

// x = n * pi/2 + (y0 + y1), |y0 + y1| <= about pi/4; returns n mod 4.
// Three 33-bit pieces of pi/2 keep the products exact while n stays below
// 2^20; beyond that the phase loses accuracy but stays reproducible.
int ReduceQuarterTurns(double x, double& y0, double& y1)
{
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    constexpr double kPio2_1 = 1.57079632673412561417e+00, kPio2_1t = 6.07710050650619224932e-11;
    constexpr double kPio2_2 = 6.07710050630396597660e-11, kPio2_2t = 2.02226624879595063154e-21;
    constexpr double kPio2_3 = 2.02226624871116645580e-21, kPio2_3t = 8.47842766036889956997e-32;
    constexpr double kLimit = 2251799813685248.0;  // 2^51

    if (std::fabs(x) >= kLimit) {
        // No phase is left at this magnitude: fold it into one turn first.
        x = ReduceHugeToTurn(x);
    }
    int nQuadrant = 0;
    const double fn = RoundToInteger(x * kTwoOverPi, &nQuadrant);
    const auto exponent = [](double v) { return int((Bits(v) >> 52) & 0x7FF); };
    const int j = exponent(x);
    // Further pieces of pi/2 only where the subtraction cancelled many bits.
    double r = x - fn * kPio2_1;
    double w = fn * kPio2_1t;
    y0 = r - w;
    if (j - exponent(y0) > 16) {
        double t = r;
        w = fn * kPio2_2;
        r = t - w;
        w = fn * kPio2_2t - ((t - r) - w);
        y0 = r - w;
        if (j - exponent(y0) > 49) {
            t = r;
            w = fn * kPio2_3;
            r = t - w;
            w = fn * kPio2_3t - ((t - r) - w);
            y0 = r - w;
        }
    }
    y1 = (r - y0) - w;
    return nQuadrant;
}

double Log(double x)
{
    constexpr double kLn2Hi = 6.93147180369123816490e-01, kLn2Lo = 1.90821492927058770002e-10;
    constexpr double Lg1 = 6.666666666666735130e-01, Lg2 = 3.999999999940941908e-01,
                     Lg3 = 2.857142874366239149e-01, Lg4 = 2.222219843214978396e-01,
                     Lg5 = 1.818357216161805012e-01, Lg6 = 1.531383769920937332e-01,
                     Lg7 = 1.479819860511658591e-01;
    int k = 0;
    if (x < PowerOfTwo(-1022)) {  // subnormal: scale into the normal range
        x *= PowerOfTwo(54);
        k = -54;
    }
    const uint64_t nBits = Bits(x);
    k += int((nBits >> 52) & 0x7FF) - 1023;
    double m = FromBits((nBits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);  // [1, 2)
    if (m > 1.41421356237309504880) {
        m *= 0.5;
        ++k;
    }
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
    const double t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
    const double R = t2 + t1;
    const double hfsq = 0.5 * f * f;
    const double dk = k;
    return dk * kLn2Hi - ((hfsq - (s * (hfsq + R) + dk * kLn2Lo)) - f);
}

double Exp(double x)
{
    constexpr double kLn2Hi = 6.93147180369123816490e-01, kLn2Lo = 1.90821492927058770002e-10;
    constexpr double kInvLn2 = 1.44269504088896338700e+00;
    constexpr double P1 = 1.66666666666666019037e-01, P2 = -2.77777777770155933842e-03,
                     P3 = 6.61375632143793436117e-05, P4 = -1.65339022054652515390e-06,
                     P5 = 4.13813679705723846039e-08;
    if (x != x)
        return x;
    if (x > 709.782712893383973096)
        return kInfinity;
    if (x < -745.13321910194110842)
        return 0.0;
    const double fk = RoundToInteger(x * kInvLn2);
    const double hi = x - fk * kLn2Hi;
    const double lo = fk * kLn2Lo;
    const double r = hi - lo;
    const double z = r * r;
    const double c = r - z * (P1 + z * (P2 + z * (P3 + z * (P4 + z * P5))));
    const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
    return ScaleByPowerOfTwo(y, int(fk));
}

}  // namespace

double PortableSin(double x)
{
    if (!(std::fabs(x) < kInfinity))
        return kNaN;
    if (std::fabs(x) < 0.785398163397448279)
        return KernelSin(x, 0.0);
    double y0, y1;
    switch (ReduceQuarterTurns(x, y0, y1)) {
    case 0: return KernelSin(y0, y1);
    case 1: return KernelCos(y0, y1);
    case 2: return -KernelSin(y0, y1);
    default: return -KernelCos(y0, y1);
    }
}

double PortableCos(double x)
{
    if (!(std::fabs(x) < kInfinity))
        return kNaN;
    if (std::fabs(x) < 0.785398163397448279)
        return KernelCos(x, 0.0);
    double y0, y1;
    switch (ReduceQuarterTurns(x, y0, y1)) {
    case 0: return KernelCos(y0, y1);
    case 1: return -KernelSin(y0, y1);
    case 2: return -KernelCos(y0, y1);
    default: return KernelSin(y0, y1);
    }
}

double PortablePow(double x, double y)
{
    if (y == 0 || x == 1)
        return 1.0;
    if (x != x || y != y || x < 0)
        return kNaN;
    if (x == 0)
        return y > 0 ? 0.0 : kInfinity;
    if (y == kInfinity)
        return x < 1 ? 0.0 : kInfinity;
    if (y == -kInfinity)
        return x < 1 ? kInfinity : 0.0;
    if (x == kInfinity)
        return y > 0 ? kInfinity : 0.0;
    return Exp(y * Log(x));
}
