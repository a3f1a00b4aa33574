#include "AngleMath.h"

#include "framework/math/PortableMath.h"

#include <cmath>
#include <cstdint>

namespace {

// The dial's own constants.
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;

// Arc sine on [0, 1/sqrt 2] from the portable sine by bisection: the sine
// is steep there, so the bisection settles on the last bit. (The runtime's
// own inverse functions run on the x87 unit.)
double SmallArcSine(double s)
{
    double fLow = 0.0, fHigh = 0.7853981633974484;
    for (int i = 0; i < 64; ++i) {
        const double fMiddle = 0.5 * (fLow + fHigh);
        if (PortableSin(fMiddle) < s)
            fLow = fMiddle;
        else
            fHigh = fMiddle;
    }
    return s > 0 ? 0.5 * (fLow + fHigh) : 0.0;
}

// The cosine is flat near 0 and pi, where bisecting on it loses half the
// digits; half the angle's sine (near 0) or cosine (near pi) is not.
double ArcCosine(double x)
{
    if (!(x < 1))
        return 0.0;
    if (!(x > -1))
        return 3.141592653589793;
    if (x >= 0)
        return 2.0 * SmallArcSine(std::sqrt(0.5 * (1.0 - x)));
    return 3.141592653589793 - 2.0 * SmallArcSine(std::sqrt(0.5 * (1.0 + x)));
}

} // namespace

double Truncated(double f)
{
    return std::fabs(f) < 9.0e18 ? double(int64_t(f)) : f;
}

pfAngleSplit SplitAngle(double fAngle)
{
    pfAngleSplit split;
    split.fTurns = Truncated(fAngle * 0.002777777777777778);
    split.fDegrees = fAngle - split.fTurns * 360.0;
    if (split.fDegrees < 0) {
        split.fDegrees += 360.0;
        split.fTurns -= 1.0;
    }
    return split;
}

pfDialPoint DialTip(double fAngle, int cx, int cy, int nRadius)
{
    const double a = fAngle * 0.017453292519444445;
    return {int(nRadius * PortableSin(a) + cx), int(cy - nRadius * PortableCos(a))};
}

bool AngleFromPoint(double fCurrent, double dx, double dy, double& fAngle)
{
    const double r = std::sqrt(dx * dx + dy * dy);
    if (!(r > 0))
        return false;
    const double w = fCurrent * kPi * 0.005555555555555556;
    double k = Truncated(w / kTwoPi);
    double f = w - k * kTwoPi;
    if (f < 0) {
        f += kTwoPi;
        k -= 1;
    }
    double fBase = k * kTwoPi;
    double fTheta = 0.0;
    if (dx / r > 0) {
        fTheta = ArcCosine(-dy / r);
        if (f > kPi && fTheta < kPi && f > fTheta + kPi)
            fBase += kTwoPi; // crossed the top clockwise
    } else {
        fTheta = ArcCosine(dy / r) + kPi;
        if (f < kPi && fTheta > kPi && fTheta - kPi > f)
            fBase -= kTwoPi; // crossed the top anticlockwise
    }
    fAngle = (fBase + fTheta) * 180.0 / kPi;
    return true;
}
