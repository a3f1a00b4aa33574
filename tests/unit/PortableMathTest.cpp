#include "framework/math/PortableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// Distance in representable doubles; the C library of the native build
// rounds sin and cos correctly, so it serves as the reference.
int64_t UlpDistance(double a, double b)
{
    int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    if (x < 0)
        x = std::numeric_limits<int64_t>::min() - x;
    if (y < 0)
        y = std::numeric_limits<int64_t>::min() - y;
    return x > y ? x - y : y - x;
}

}  // namespace

TEST(PortableMath, SineAndCosineAreWithinOneUlpOverTheAnglesOfTheField)
{
    for (int i = -200000; i <= 200000; ++i) {
        const double x = i * 0.0123456789;  // a little over +-2400 radians
        ASSERT_LE(UlpDistance(PortableSin(x), std::sin(x)), 1) << x;
        ASSERT_LE(UlpDistance(PortableCos(x), std::cos(x)), 1) << x;
    }
}

TEST(PortableMath, SineAndCosineKeepTheirExactPointsAndSigns)
{
    EXPECT_EQ(PortableSin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(PortableSin(-0.0)));
    EXPECT_EQ(PortableCos(0.0), 1.0);
    EXPECT_EQ(PortableSin(1e-300), 1e-300);
    EXPECT_DOUBLE_EQ(PortableSin(3.1415926535 / 6), std::sin(3.1415926535 / 6));
}

TEST(PortableMath, NonFiniteAnglesGiveNaNAndHugeOnesStayInRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(PortableSin(inf)));
    EXPECT_TRUE(std::isnan(PortableCos(-inf)));
    EXPECT_TRUE(std::isnan(PortableSin(std::nan(""))));
    for (double x : {1e12 * 0.017453292519943295, 1e15, 3e17, 1e300, -1e308}) {
        EXPECT_LE(std::fabs(PortableSin(x)), 1.0) << x;
        EXPECT_LE(std::fabs(PortableCos(x)), 1.0) << x;
    }
}

// Huge angles are folded into one turn without the library's fmod (slow at
// these magnitudes), to exactly the value it gives.
TEST(PortableMath, HugeAnglesFoldIntoOneTurnExactlyAsFmodDoes)
{
    std::mt19937_64 random(5);
    for (int i = 0; i < 20000; ++i) {
        const int nExponent = 51 + int(random() % 973);
        double x = std::ldexp(1.0 + double(random() >> 12) * 0x1p-52, nExponent);
        x = (i & 1) ? -x : x;
        const double fTurn = 6.28318530717958647692;
        double y = std::fmod(x, fTurn);
        EXPECT_EQ(PortableSin(x), PortableSin(y)) << x;
        EXPECT_EQ(PortableCos(x), PortableCos(y)) << x;
    }
}

// Angles of every kind side by side in pairs: the pairs take the scalar
// path when either angle is huge or not finite.
TEST(PortableMath, SinesAndCosinesOfManyAnglesHaveTheBitsOfOneAtATime)
{
    std::mt19937_64 random(11);
    std::vector<double> angles = {0.0, -0.0, 1e-310, -4.9e-324, 0.785398163397448279, -0.785398163397448279,
                                  0x1p51, -0x1p51, 0x1p51 - 1, std::numeric_limits<double>::infinity(),
                                  std::nan(""), 1e300, 3.0};
    for (int i = 0; i < 300000; ++i) {
        const uint64_t nKind = random() % 3;
        double x;
        if (nKind == 0) {  // any magnitude up to 2^60
            x = std::ldexp(double(random() >> 11) * 0x1p-53, int(random() % 1100) - 1040);
        } else if (nKind == 1) {  // near a multiple of pi/2, where the reduction cancels more or less
            const double fBase = double(random() % (uint64_t(1) << (random() % 30))) * 1.5707963267948966;
            x = fBase + std::ldexp(fBase, -int(random() % 64)) * (double(random() >> 11) * 0x1p-52 - 1);
        } else {  // the field's angles
            x = double(int64_t(random() % 4000000) - 2000000) * 0.00123456789;
        }
        angles.push_back(random() & 1 ? -x : x);
    }
    // An odd count leaves the last one alone.
    std::vector<double> sines(angles.size()), cosines(angles.size());
    PortableSines(angles.data(), sines.data(), angles.size());
    PortableCosines(angles.data(), cosines.data(), angles.size());
    std::vector<double> inPlace = angles;
    PortableSines(inPlace.data(), inPlace.data(), inPlace.size());
    for (size_t i = 0; i < angles.size(); ++i) {
        const double s = PortableSin(angles[i]), c = PortableCos(angles[i]);
        ASSERT_EQ(0, std::memcmp(&sines[i], &s, sizeof s)) << angles[i];
        ASSERT_EQ(0, std::memcmp(&cosines[i], &c, sizeof c)) << angles[i];
        ASSERT_EQ(0, std::memcmp(&inPlace[i], &s, sizeof s)) << angles[i];
    }
}

TEST(PortableMath, PowerMatchesTheLibraryAcrossTheGammaRange)
{
    for (double fGamma : {0.05, 0.3, 1.0, 2.2, 3.0, 40.0}) {
        for (int i = 1; i < 32768; i += 97) {
            const double x = i * 3.051850947599719e-05;
            const double fExpected = std::pow(x, 1 / fGamma);
            EXPECT_NEAR(PortablePow(x, 1 / fGamma), fExpected, 1e-13 * fExpected) << x << " " << fGamma;
        }
    }
}

TEST(PortableMath, PowerHandlesItsEdges)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PortablePow(0.0, 2.0), 0.0);
    EXPECT_EQ(PortablePow(1.0, inf), 1.0);
    EXPECT_EQ(PortablePow(0.5, inf), 0.0);
    EXPECT_EQ(PortablePow(0.5, 0.0), 1.0);
    EXPECT_EQ(PortablePow(0.0, -1.0), inf);
    EXPECT_EQ(PortablePow(0.25, 0.5), 0.5);
    EXPECT_TRUE(std::isnan(PortablePow(-0.5, 2.0)));
    EXPECT_NEAR(PortablePow(1e-310, 0.5), 1e-155, 1e-168);
    EXPECT_EQ(PortablePow(1e-5, 1e6), 0.0);
}
