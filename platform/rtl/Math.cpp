#include "platform/rtl/Math.h"

#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Infinity = std::numeric_limits<double>::infinity();
const double NegInfinity = -std::numeric_limits<double>::infinity();

namespace {
// The smallest differences SameValue and IsZero tell apart when no epsilon is given.
constexpr long double kExtendedResolution = 1e-19L;
constexpr double kDoubleResolution = 1e-15;

[[noreturn]] void raiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

long double checkOverflow(long double result) {
  if (std::isinf(result)) throw EOverflow("Floating point overflow");
  return result;
}
}  // namespace

Extended Log10(Extended x) { return Ln(x) / std::log(10.0L); }
Extended Log2(Extended x) { return Ln(x) / std::log(2.0L); }
Extended LogN(Extended base, Extended x) { return CheckedDivide(Ln(x), Ln(base)); }

Extended LnXP1(Extended x) {
  if (std::isnan(x) || x < -1) raiseInvalidOp();
  if (x == -1) throw EZeroDivide("Floating point division by zero");
  return std::log1p(x);
}

Extended IntPower(Extended base, Integer exponent) {
  // Square-and-multiply on the magnitude of the exponent; a negative exponent divides, so
  // 0^-n is a division by zero as in the class library.
  long double result = 1, b = base;
  UInt64 e = exponent < 0 ? 0 - static_cast<UInt64>(static_cast<Int64>(exponent)) : static_cast<UInt64>(exponent);
  while (e) {
    if (e & 1) result *= b;
    b *= b;
    e >>= 1;
  }
  if (exponent < 0) return CheckedDivide(1, result);
  if (!std::isinf(base)) checkOverflow(result);
  return result;
}

Extended Power(Extended base, Extended exponent) {
  if (exponent == 0) return 1;
  if (base == 0 && exponent > 0) return 0;
  if (Frac(exponent) == 0 && std::fabs(exponent) <= 2147483647.0L)
    return IntPower(base, static_cast<Integer>(Trunc(exponent)));
  return Exp(exponent * Ln(base));
}

namespace {
Integer toInteger(long double r) {
  if (std::isnan(r) || r < -2147483648.0L || r > 2147483647.0L) raiseInvalidOp();
  return static_cast<Integer>(r);
}
}  // namespace

Integer Ceil(Extended x) { return toInteger(std::ceil(x)); }
Integer Floor(Extended x) { return toInteger(std::floor(x)); }

Integer Min(Integer a, Integer b) { return a < b ? a : b; }
Int64 Min(Int64 a, Int64 b) { return a < b ? a : b; }
Extended Min(Extended a, Extended b) { return a < b ? a : b; }
double Min(double a, double b) { return a < b ? a : b; }
Integer Max(Integer a, Integer b) { return a > b ? a : b; }
Int64 Max(Int64 a, Int64 b) { return a > b ? a : b; }
Extended Max(Extended a, Extended b) { return a > b ? a : b; }
double Max(double a, double b) { return a > b ? a : b; }

TValueSign Sign(Integer x) { return x < 0 ? NegativeValue : (x > 0 ? PositiveValue : ZeroValue); }
TValueSign Sign(Int64 x) { return x < 0 ? NegativeValue : (x > 0 ? PositiveValue : ZeroValue); }
TValueSign Sign(Extended x) { return x < 0 ? NegativeValue : (x > 0 ? PositiveValue : ZeroValue); }

bool InRange(Integer value, Integer min, Integer max) { return value >= min && value <= max; }
bool InRange(Int64 value, Int64 min, Int64 max) { return value >= min && value <= max; }
bool InRange(Extended value, Extended min, Extended max) { return value >= min && value <= max; }

Integer EnsureRange(Integer value, Integer min, Integer max) { return value < min ? min : (value > max ? max : value); }
Int64 EnsureRange(Int64 value, Int64 min, Int64 max) { return value < min ? min : (value > max ? max : value); }
Extended EnsureRange(Extended value, Extended min, Extended max) {
  return value < min ? min : (value > max ? max : value);
}

bool SameValue(Extended a, Extended b, Extended epsilon) {
  if (epsilon == 0) epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * kExtendedResolution, kExtendedResolution);
  return (a > b ? a - b : b - a) <= epsilon;
}

bool SameValue(double a, double b, double epsilon) {
  if (epsilon == 0) epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * kDoubleResolution, kDoubleResolution);
  return (a > b ? a - b : b - a) <= epsilon;
}

bool IsZero(Extended a, Extended epsilon) { return std::fabs(a) <= (epsilon == 0 ? kExtendedResolution : epsilon); }
bool IsZero(double a, double epsilon) { return std::fabs(a) <= (epsilon == 0 ? kDoubleResolution : epsilon); }
bool IsNan(Extended a) { return std::isnan(a); }
bool IsInfinite(Extended a) { return std::isinf(a); }

namespace {
void checkDigit(TRoundToRange digit) {
  if (digit < -37 || digit > 37) throw ERangeError("Range check error");
}

// value scaled so that the digit to round at becomes the units: value / 10^digit. For
// negative digits this multiplies by an exact power of ten rather than dividing by an
// inexact one (0.01), which keeps 1.15 * 100 from drifting further than the value itself.
long double scaleDown(long double value, TRoundToRange digit) {
  return digit < 0 ? value * IntPower(10, -digit) : value / IntPower(10, digit);
}

long double scaleUp(long double value, TRoundToRange digit) {
  return digit < 0 ? value / IntPower(10, -digit) : value * IntPower(10, digit);
}
}  // namespace

Extended RoundTo(Extended value, TRoundToRange digit) {
  checkDigit(digit);
  long double scaled = scaleDown(value, digit);
  // Beyond 2^63 every long double is already a whole number at this scale.
  if (std::isnan(scaled) || std::isinf(scaled) || std::fabs(scaled) >= 9.2e18L) return value;
  return scaleUp(static_cast<long double>(Round(scaled)), digit);
}

Extended SimpleRoundTo(Extended value, TRoundToRange digit) {
  checkDigit(digit);
  long double scaled = scaleDown(value, digit);
  long double whole = value < 0 ? std::trunc(scaled - 0.5L) : std::trunc(scaled + 0.5L);
  return scaleUp(whole, digit);
}

Extended Sum(const std::vector<double>& data) {
  long double s = 0;
  for (double d : data) s += d;
  return s;
}

Extended SumOfSquares(const std::vector<double>& data) {
  long double s = 0;
  for (double d : data) s += static_cast<long double>(d) * d;
  return s;
}

Extended Mean(const std::vector<double>& data) { return CheckedDivide(Sum(data), static_cast<long double>(data.size())); }

namespace {
// Sum of squared deviations from the mean, in two passes for accuracy.
long double totalVariance(const std::vector<double>& data) {
  if (data.empty()) return 0;
  long double mean = Mean(data), s = 0;
  for (double d : data) s += (d - mean) * (d - mean);
  return s;
}
}  // namespace

Extended Variance(const std::vector<double>& data) {
  return data.size() < 2 ? 0 : totalVariance(data) / static_cast<long double>(data.size() - 1);
}

Extended PopnVariance(const std::vector<double>& data) {
  return data.empty() ? 0 : totalVariance(data) / static_cast<long double>(data.size());
}

Extended StdDev(const std::vector<double>& data) { return std::sqrt(Variance(data)); }
Extended PopnStdDev(const std::vector<double>& data) { return std::sqrt(PopnVariance(data)); }

namespace {
template <class T> T extreme(const std::vector<T>& data, bool wantMin) {
  if (data.empty()) raiseInvalidOp();
  T r = data[0];
  for (const T& v : data)
    if (wantMin ? v < r : v > r) r = v;
  return r;
}
}  // namespace

double MinValue(const std::vector<double>& data) { return extreme(data, true); }
double MaxValue(const std::vector<double>& data) { return extreme(data, false); }
Integer MinIntValue(const std::vector<Integer>& data) { return extreme(data, true); }
Integer MaxIntValue(const std::vector<Integer>& data) { return extreme(data, false); }

void DivMod(Integer dividend, Word divisor, Word& result, Word& remainder) {
  if (divisor == 0) throw EDivByZero("Division by zero");
  result = static_cast<Word>(dividend / divisor);
  remainder = static_cast<Word>(dividend % divisor);
}

Extended Tan(Extended x) { return std::tan(x); }
Extended ArcTan2(Extended y, Extended x) { return std::atan2(y, x); }

Extended ArcSin(Extended x) {
  if (std::isnan(x) || x < -1 || x > 1) raiseInvalidOp();
  return std::asin(x);
}

Extended ArcCos(Extended x) {
  if (std::isnan(x) || x < -1 || x > 1) raiseInvalidOp();
  return std::acos(x);
}

Extended Hypot(Extended x, Extended y) { return std::hypot(x, y); }
Extended DegToRad(Extended degrees) { return degrees * (Pi() / 180.0L); }
Extended RadToDeg(Extended radians) { return radians * (180.0L / Pi()); }
