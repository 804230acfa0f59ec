#pragma once
// Math: logarithms and powers, rounding to a digit, min/max/sign/range helpers, float
// classification and comparison with a tolerance, and simple statistics over arrays.
//
// Like the class library's float routines, these raise instead of returning NaN or an
// infinity: EZeroDivide, EInvalidOp or EOverflow (see each routine).

#include <cstdint>
#include <vector>

#include "platform/rtl/System.h"

constexpr Extended MinSingle = 1.5e-45L;
constexpr Extended MaxSingle = 3.4e+38L;
constexpr Extended MinDouble = 5.0e-324L;
constexpr Extended MaxDouble = 1.7e+308L;
constexpr Extended MinExtended = 3.4e-4932L;
constexpr Extended MaxExtended = 1.1e+4932L;
extern const double NaN;
extern const double Infinity;
extern const double NegInfinity;

// Logarithms: EZeroDivide for 0, EInvalidOp for a negative argument (LogN checks its base
// the same way, and a base of 1 divides by zero).
Extended Log10(Extended x);
Extended Log2(Extended x);
Extended LogN(Extended base, Extended x);
Extended LnXP1(Extended x);  // ln(1 + x)

// base^exponent. Integral exponents go through IntPower, so negative bases work; 0^negative
// raises EZeroDivide, a negative base with a fractional exponent EInvalidOp.
Extended Power(Extended base, Extended exponent);
Extended IntPower(Extended base, Integer exponent);

// Smallest integer >= x / largest integer <= x; EInvalidOp outside Integer.
Integer Ceil(Extended x);
Integer Floor(Extended x);

Integer Min(Integer a, Integer b);
Int64 Min(Int64 a, Int64 b);
Extended Min(Extended a, Extended b);
double Min(double a, double b);
Integer Max(Integer a, Integer b);
Int64 Max(Int64 a, Int64 b);
Extended Max(Extended a, Extended b);
double Max(double a, double b);

using TValueSign = Integer;  // -1, 0 or 1
constexpr TValueSign NegativeValue = -1;
constexpr TValueSign ZeroValue = 0;
constexpr TValueSign PositiveValue = 1;
TValueSign Sign(Integer x);
TValueSign Sign(Int64 x);
TValueSign Sign(Extended x);

bool InRange(Integer value, Integer min, Integer max);
bool InRange(Int64 value, Int64 min, Int64 max);
bool InRange(Extended value, Extended min, Extended max);
Integer EnsureRange(Integer value, Integer min, Integer max);
Int64 EnsureRange(Int64 value, Int64 min, Int64 max);
Extended EnsureRange(Extended value, Extended min, Extended max);

// Equal within epsilon; epsilon 0 picks a tolerance scaled to the magnitudes (about 1e-15
// relative for doubles, 1e-19 for Extended).
bool SameValue(Extended a, Extended b, Extended epsilon = 0);
bool SameValue(double a, double b, double epsilon = 0);
bool IsZero(Extended a, Extended epsilon = 0);
bool IsZero(double a, double epsilon = 0);
bool IsNan(Extended a);
bool IsInfinite(Extended a);

// Rounds to a power of ten: digit 2 rounds to hundreds, -2 to hundredths (range -37..37).
// RoundTo rounds halves to even, as Round; SimpleRoundTo rounds halves away from zero.
using TRoundToRange = Integer;
Extended RoundTo(Extended value, TRoundToRange digit);
Extended SimpleRoundTo(Extended value, TRoundToRange digit = -2);

// Statistics over arrays. Mean of none raises EInvalidOp; the sample variance and standard
// deviation give 0 for fewer than two values, the population forms 0 for none. MinValue
// and friends of none raise EInvalidOp.
Extended Sum(const std::vector<double>& data);
Extended SumOfSquares(const std::vector<double>& data);
Extended Mean(const std::vector<double>& data);
Extended Variance(const std::vector<double>& data);
Extended PopnVariance(const std::vector<double>& data);
Extended StdDev(const std::vector<double>& data);
Extended PopnStdDev(const std::vector<double>& data);
double MinValue(const std::vector<double>& data);
double MaxValue(const std::vector<double>& data);
Integer MinIntValue(const std::vector<Integer>& data);
Integer MaxIntValue(const std::vector<Integer>& data);

// Integer division of dividend by divisor into result and remainder (divisor > 0).
void DivMod(Integer dividend, Word divisor, Word& result, Word& remainder);

Extended Tan(Extended x);
Extended ArcTan2(Extended y, Extended x);
Extended ArcSin(Extended x);
Extended ArcCos(Extended x);
Extended Hypot(Extended x, Extended y);
Extended DegToRad(Extended degrees);
Extended RadToDeg(Extended radians);
