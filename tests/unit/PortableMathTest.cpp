#include "filter/PortableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

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
