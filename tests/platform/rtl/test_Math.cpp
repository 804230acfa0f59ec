// Math: logarithms and powers, rounding to a digit, range helpers, comparisons with a
// tolerance and statistics. The float routines raise instead of returning NaN or infinity.
#include <cmath>
#include <limits>

#include "RtlTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"

TEST(MathLogs, LogarithmsOfExactPowers) {
  EXPECT_NEAR(static_cast<double>(Log2(8.0L)), 3.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(Log2(0.25L)), -2.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(Log10(1000.0L)), 3.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(LogN(2.0L, 1024.0L)), 10.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(LogN(10.0L, 0.001L)), -3.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(LnXP1(1e-20L)), 1e-20, 1e-35) << "ln(1 + x) keeps tiny x";
}

TEST(MathLogs, LogarithmsRaiseOutsideTheirDomain) {
  EXPECT_EQ(messageOf<EZeroDivide>([] { Log10(0.0L); }), "Floating point division by zero");
  EXPECT_EQ(messageOf<EInvalidOp>([] { Log2(-1.0L); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EInvalidOp>([] { LogN(-2.0L, 8.0L); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EZeroDivide>([] { LogN(1.0L, 8.0L); }), "Floating point division by zero")
      << "base 1 divides by ln(1) = 0";
  EXPECT_EQ(messageOf<EInvalidOp>([] { LnXP1(-2.0L); }), "Invalid floating point operation");
}

TEST(MathPowers, PowerUsesIntegerPowersWherePossible) {
  struct Case { Extended base, exponent, expected; } cases[] = {
      {2, 10, 1024}, {-2, 3, -8}, {-2, 2, 4}, {2, -2, 0.25L}, {0, 0, 1}, {0, 5, 0}, {7, 0, 1}, {10, -3, 0.001L}};
  for (const auto& c : cases)
    EXPECT_NEAR(static_cast<double>(Power(c.base, c.exponent)), static_cast<double>(c.expected), 1e-15)
        << "Power(" << static_cast<double>(c.base) << ", " << static_cast<double>(c.exponent) << ")";
  EXPECT_NEAR(static_cast<double>(Power(2.0L, 0.5L)), std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(static_cast<double>(Power(27.0L, 1.0L / 3)), 3.0, 1e-15);
}

TEST(MathPowers, PowersRaiseForZeroDivisionNegativeRootsAndOverflow) {
  EXPECT_EQ(messageOf<EZeroDivide>([] { Power(0.0L, -1.0L); }), "Floating point division by zero");
  EXPECT_EQ(messageOf<EZeroDivide>([] { Power(0.0L, -0.5L); }), "Floating point division by zero");
  EXPECT_EQ(messageOf<EInvalidOp>([] { Power(-8.0L, 1.0L / 3); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EOverflow>([] { IntPower(10.0L, 5000); }), "Floating point overflow");
  EXPECT_EQ(IntPower(2.0L, -2), 0.25L);
  EXPECT_EQ(IntPower(-3.0L, 3), -27.0L);
  EXPECT_EQ(IntPower(5.0L, 0), 1.0L);
}

TEST(MathRounding, CeilAndFloor) {
  struct Case { Extended x; Integer ceil, floor; } cases[] = {
      {1.2L, 2, 1}, {-1.2L, -1, -2}, {3, 3, 3}, {-0.5L, 0, -1}, {0, 0, 0}, {2147483646.5L, 2147483647, 2147483646}};
  for (const auto& c : cases) {
    EXPECT_EQ(Ceil(c.x), c.ceil) << "Ceil(" << static_cast<double>(c.x) << ")";
    EXPECT_EQ(Floor(c.x), c.floor) << "Floor(" << static_cast<double>(c.x) << ")";
  }
  EXPECT_EQ(messageOf<EInvalidOp>([] { Ceil(1e10L); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EInvalidOp>([] { Floor(std::numeric_limits<Extended>::quiet_NaN()); }),
            "Invalid floating point operation");
}

TEST(MathRounding, RoundToTakesHalvesToEvenSimpleRoundToAwayFromZero) {
  // Values whose halves are exact in binary, so the rule and not representation decides.
  struct Case { Extended value; TRoundToRange digit; double roundTo, simpleRoundTo; } cases[] = {
      {2.5L, 0, 2, 3},
      {3.5L, 0, 4, 4},
      {-2.5L, 0, -2, -3},
      {0.125L, -2, 0.12, 0.13},
      {0.375L, -2, 0.38, 0.38},
      {-0.125L, -2, -0.12, -0.13},
      {1250, 2, 1200, 1300},
      {1350, 2, 1400, 1400},
      {1234567, 3, 1235000, 1235000},
      {1.234L, -2, 1.23, 1.23},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(static_cast<double>(RoundTo(c.value, c.digit)), c.roundTo, 1e-12)
        << "RoundTo(" << static_cast<double>(c.value) << ", " << c.digit << ")";
    EXPECT_NEAR(static_cast<double>(SimpleRoundTo(c.value, c.digit)), c.simpleRoundTo, 1e-12)
        << "SimpleRoundTo(" << static_cast<double>(c.value) << ", " << c.digit << ")";
  }
  EXPECT_NEAR(static_cast<double>(SimpleRoundTo(1.234L)), 1.23, 1e-12) << "the default digit is -2";
  EXPECT_EQ(RoundTo(1e30L, 0), 1e30L) << "values beyond Int64 are already whole";
  EXPECT_EQ(messageOf<ERangeError>([] { RoundTo(1.0L, 38); }), "Range check error");
}

TEST(MathRanges, MinMaxSignAndRanges) {
  EXPECT_EQ(Min(3, -4), -4);
  EXPECT_EQ(Max(3, -4), 3);
  EXPECT_EQ(Min(static_cast<Int64>(1) << 40, static_cast<Int64>(5)), 5);
  EXPECT_EQ(Max(1.5, 2.5), 2.5);
  EXPECT_EQ(Min(1.5L, -2.5L), -2.5L);
  EXPECT_EQ(Sign(-7), NegativeValue);
  EXPECT_EQ(Sign(0), ZeroValue);
  EXPECT_EQ(Sign(static_cast<Int64>(9)), PositiveValue);
  EXPECT_EQ(Sign(-0.001L), NegativeValue);
  EXPECT_TRUE(InRange(5, 1, 5));
  EXPECT_FALSE(InRange(6, 1, 5));
  EXPECT_TRUE(InRange(1.0L, 1.0L, 2.0L));
  EXPECT_EQ(EnsureRange(10, 1, 5), 5);
  EXPECT_EQ(EnsureRange(-10, 1, 5), 1);
  EXPECT_EQ(EnsureRange(3, 1, 5), 3);
  EXPECT_EQ(EnsureRange(2.5L, 0.0L, 1.0L), 1.0L);
}

TEST(MathCompare, SameValueAndIsZeroUseScaledTolerances) {
  EXPECT_TRUE(SameValue(0.1 + 0.2, 0.3)) << "doubles compare within their resolution";
  EXPECT_FALSE(SameValue(1.0, 1.0001));
  EXPECT_TRUE(SameValue(1.0, 1.05, 0.1));
  EXPECT_TRUE(SameValue(1e20, 1e20 + 1e4)) << "the tolerance scales with the magnitude";
  EXPECT_FALSE(SameValue(1e20, 1e20 + 1e6));
  EXPECT_FALSE(SameValue(1.0L, 1.0L + 1e-17L)) << "Extended tells 1e-17 apart";
  EXPECT_TRUE(IsZero(1e-16));
  EXPECT_FALSE(IsZero(1e-14));
  EXPECT_TRUE(IsZero(0.05, 0.1));
  EXPECT_TRUE(IsNan(std::numeric_limits<Extended>::quiet_NaN()));
  EXPECT_FALSE(IsNan(1.0L));
  EXPECT_TRUE(IsInfinite(Infinity));
  EXPECT_TRUE(IsInfinite(NegInfinity));
  EXPECT_FALSE(IsInfinite(MaxDouble));
}

TEST(MathStatistics, SumsMeansAndVariances) {
  const std::vector<double> data{2, 4, 4, 4, 5, 5, 7, 9};
  EXPECT_EQ(Sum(data), 40.0L);
  EXPECT_EQ(SumOfSquares(data), 232.0L);
  EXPECT_EQ(Mean(data), 5.0L);
  EXPECT_EQ(PopnVariance(data), 4.0L);
  EXPECT_NEAR(static_cast<double>(Variance(data)), 32.0 / 7, 1e-15);
  EXPECT_EQ(PopnStdDev(data), 2.0L);
  EXPECT_NEAR(static_cast<double>(StdDev(data)), std::sqrt(32.0 / 7), 1e-15);
  EXPECT_EQ(MinValue(data), 2);
  EXPECT_EQ(MaxValue(data), 9);
  EXPECT_EQ(MinIntValue({3, -1, 2}), -1);
  EXPECT_EQ(MaxIntValue({3, -1, 2}), 3);
}

TEST(MathStatistics, EmptyAndSingleSamples) {
  EXPECT_EQ(messageOf<EInvalidOp>([] { Mean({}); }), "Invalid floating point operation");
  EXPECT_EQ(Sum({}), 0.0L);
  EXPECT_EQ(Variance({3}), 0.0L);
  EXPECT_EQ(PopnVariance({3}), 0.0L);
  EXPECT_EQ(PopnVariance({}), 0.0L);
  EXPECT_EQ(messageOf<EInvalidOp>([] { MaxValue({}); }), "Invalid floating point operation");
  // A large offset does not swamp the spread (two-pass variance).
  EXPECT_NEAR(static_cast<double>(PopnVariance({1e9 + 1, 1e9 + 2, 1e9 + 3})), 2.0 / 3, 1e-9);
}

TEST(MathMisc, DivModTrigAndAngles) {
  Word q = 0, r = 0;
  DivMod(100, 7, q, r);
  EXPECT_EQ(q, 14);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(messageOf<EDivByZero>([&] { DivMod(1, 0, q, r); }), "Division by zero");
  EXPECT_NEAR(static_cast<double>(ArcTan2(1.0L, 1.0L)), static_cast<double>(Pi()) / 4, 1e-15);
  EXPECT_NEAR(static_cast<double>(Hypot(3.0L, 4.0L)), 5.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(DegToRad(180.0L)), static_cast<double>(Pi()), 1e-15);
  EXPECT_NEAR(static_cast<double>(RadToDeg(Pi() / 2)), 90.0, 1e-13);
  EXPECT_EQ(messageOf<EInvalidOp>([] { ArcSin(1.5L); }), "Invalid floating point operation");
}
