#include "PortableMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
namespace {

// The steps of PortableSin and PortableCos on two angles at once: every
// +, -, * of the scalar code in the same order on both lanes, branches
// turned into choices between lanes. Angles of 2^51 or more and
// non-finite ones take the scalar functions.

__m128d KernelSinPair(__m128d x, __m128d y)
{
    const __m128d z = _mm_mul_pd(x, x);
    const __m128d v = _mm_mul_pd(z, x);
    __m128d r = _mm_mul_pd(z, _mm_set1_pd(1.58969099521155010221e-10));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(-2.50507602534068634195e-08), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(2.75573137070700676789e-06), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(-1.98412698298579493134e-04), r));
    r = _mm_add_pd(_mm_set1_pd(8.33333333332248946124e-03), r);
    const __m128d inner = _mm_sub_pd(_mm_mul_pd(_mm_set1_pd(0.5), y), _mm_mul_pd(v, r));
    const __m128d outer = _mm_sub_pd(_mm_sub_pd(_mm_mul_pd(z, inner), y),
                                     _mm_mul_pd(v, _mm_set1_pd(-1.66666666666666324348e-01)));
    return _mm_sub_pd(x, outer);
}

__m128d KernelCosPair(__m128d x, __m128d y)
{
    const __m128d z = _mm_mul_pd(x, x);
    __m128d r = _mm_mul_pd(z, _mm_set1_pd(-1.13596475577881948265e-11));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(2.08757232129817482790e-09), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(-2.75573143513906633035e-07), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(2.48015872894767294178e-05), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(-1.38888888888741095749e-03), r));
    r = _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(4.16666666666666019037e-02), r));
    const __m128d hz = _mm_mul_pd(_mm_set1_pd(0.5), z);
    const __m128d w = _mm_sub_pd(_mm_set1_pd(1.0), hz);
    const __m128d tail = _mm_sub_pd(_mm_mul_pd(z, r), _mm_mul_pd(x, y));
    return _mm_add_pd(w, _mm_add_pd(_mm_sub_pd(_mm_sub_pd(_mm_set1_pd(1.0), w), hz), tail));
}

__m128d Choose(__m128d mask, __m128d ifSet, __m128d otherwise)
{
    return _mm_or_pd(_mm_and_pd(mask, ifSet), _mm_andnot_pd(mask, otherwise));
}

// Biased exponents, in the low half of each lane.
__m128i ExponentPair(__m128d v)
{
    return _mm_and_si128(_mm_srli_epi64(_mm_castpd_si128(v), 52), _mm_set1_epi64x(0x7FF));
}

// Lanes where j - exponent(y0) > nLimit, as a mask over the whole lane.
__m128d CancelledPair(__m128i j, __m128d y0, int nLimit)
{
    const __m128i gt = _mm_cmpgt_epi32(_mm_sub_epi32(j, ExponentPair(y0)), _mm_set1_epi32(nLimit));
    return _mm_castsi128_pd(_mm_shuffle_epi32(gt, _MM_SHUFFLE(2, 2, 0, 0)));
}

// One more piece of pi/2 off r, as ReduceQuarterTurns takes it.
void SubtractPiece(__m128d fn, double fPiece, double fTail, __m128d& r, __m128d& w, __m128d& y0)
{
    const __m128d t = r;
    w = _mm_mul_pd(fn, _mm_set1_pd(fPiece));
    r = _mm_sub_pd(t, w);
    w = _mm_sub_pd(_mm_mul_pd(fn, _mm_set1_pd(fTail)), _mm_sub_pd(_mm_sub_pd(t, r), w));
    y0 = _mm_sub_pd(r, w);
}

// Sine (nQuarterShift 0) or cosine (1) of two angles below 2^51 in size.
__m128d SinOrCosPair(__m128d x, int nQuarterShift)
{
    const __m128d fShifted = _mm_add_pd(_mm_mul_pd(x, _mm_set1_pd(6.36619772367581382433e-01)),
                                        _mm_set1_pd(kRoundingShift));
    const __m128d fn = _mm_sub_pd(fShifted, _mm_set1_pd(kRoundingShift));
    __m128i quadrant = _mm_castpd_si128(fShifted);
    const __m128i j = ExponentPair(x);
    __m128d r = _mm_sub_pd(x, _mm_mul_pd(fn, _mm_set1_pd(1.57079632673412561417e+00)));
    __m128d w = _mm_mul_pd(fn, _mm_set1_pd(6.07710050650619224932e-11));
    __m128d y0 = _mm_sub_pd(r, w);
    const __m128d once = CancelledPair(j, y0, 16);
    if (_mm_movemask_pd(once)) {
        __m128d r2 = r, w2 = w, y02 = y0;
        SubtractPiece(fn, 6.07710050630396597660e-11, 2.02226624879595063154e-21, r2, w2, y02);
        const __m128d twice = _mm_and_pd(once, CancelledPair(j, y02, 49));
        if (_mm_movemask_pd(twice)) {
            __m128d r3 = r2, w3 = w2, y03 = y02;
            SubtractPiece(fn, 2.02226624871116645580e-21, 8.47842766036889956997e-32, r3, w3, y03);
            r2 = Choose(twice, r3, r2), w2 = Choose(twice, w3, w2), y02 = Choose(twice, y03, y02);
        }
        r = Choose(once, r2, r), w = Choose(once, w2, w), y0 = Choose(once, y02, y0);
    }
    __m128d y1 = _mm_sub_pd(_mm_sub_pd(r, y0), w);
    // Within pi/4 the angle itself goes to the kernels, in quadrant 0.
    const __m128d small = _mm_cmplt_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), x), _mm_set1_pd(0.785398163397448279));
    y0 = Choose(small, x, y0);
    y1 = _mm_andnot_pd(small, y1);
    quadrant = _mm_andnot_si128(_mm_castpd_si128(small), quadrant);
    quadrant = _mm_and_si128(_mm_add_epi64(quadrant, _mm_set1_epi64x(nQuarterShift)), _mm_set1_epi64x(3));
    // Odd quadrants take the other kernel; the upper two negate.
    const __m128d odd = _mm_castsi128_pd(
        _mm_sub_epi64(_mm_setzero_si128(), _mm_and_si128(quadrant, _mm_set1_epi64x(1))));
    const __m128d sign = _mm_castsi128_pd(_mm_slli_epi64(_mm_srli_epi64(quadrant, 1), 63));
    return _mm_xor_pd(Choose(odd, KernelCosPair(y0, y1), KernelSinPair(y0, y1)), sign);
}

void EvaluatePairs(const double* x, double* out, std::size_t n, int nQuarterShift, double (*scalar)(double))
{
    const __m128d limit = _mm_set1_pd(2251799813685248.0);  // 2^51
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128d v = _mm_loadu_pd(x + i);
        if (_mm_movemask_pd(_mm_cmplt_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), v), limit)) == 3) {
            _mm_storeu_pd(out + i, SinOrCosPair(v, nQuarterShift));
        } else {
            const double x0 = x[i], x1 = x[i + 1];
            out[i] = scalar(x0);
            out[i + 1] = scalar(x1);
        }
    }
    if (i < n)
        out[i] = scalar(x[i]);
}

}  // namespace

void PortableSines(const double* x, double* out, std::size_t n)
{
    EvaluatePairs(x, out, n, 0, PortableSin);
}

void PortableCosines(const double* x, double* out, std::size_t n)
{
    EvaluatePairs(x, out, n, 1, PortableCos);
}
#else
void PortableSines(const double* x, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = PortableSin(x[i]);
}

void PortableCosines(const double* x, double* out, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = PortableCos(x[i]);
}
#endif

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
