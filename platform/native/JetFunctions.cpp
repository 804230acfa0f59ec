#include "platform/native/JetFunctions.h"

#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"
#include "platform/native/OleDate.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace native::jetfunc {
namespace {

std::string_view textOf(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string_view(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

void resultText(sqlite3_context* ctx, const std::string& s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// The numeric class of a value after SQLite's usual text-to-number conversion; TEXT or BLOB
// when the value is not a number at all.
int numericType(sqlite3_value* v) {
  int type = sqlite3_value_type(v);
  return type == SQLITE_TEXT ? sqlite3_value_numeric_type(v) : type;
}

// Reads a numeric argument; reports an error naming the function when it is not a number.
bool numberArg(sqlite3_context* ctx, sqlite3_value* v, const char* fn, double& out) {
  int type = numericType(v);
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
    std::string msg = std::string(fn) + ": argument is not a number";
    sqlite3_result_error(ctx, msg.c_str(), -1);
    return false;
  }
  out = sqlite3_value_double(v);
  return true;
}

// Characters of a UTF-8 text, as byte offsets of each character's start (plus the end).
std::vector<size_t> charStarts(std::string_view s) {
  std::vector<size_t> starts;
  size_t pos = 0;
  while (pos < s.size()) {
    starts.push_back(pos);
    text::decodeUtf8(s, pos);
  }
  starts.push_back(s.size());
  return starts;
}

int collate(void*, int na, const void* a, int nb, const void* b) {
  return text::compareText(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                           std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

void likeFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  uint32_t escape = 0;
  if (argc == 3) {
    std::string_view e = textOf(argv[2]);
    size_t pos = 0;
    if (!e.empty()) escape = text::decodeUtf8(e, pos);
    if (e.empty() || pos != e.size()) return sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
  }
  sqlite3_result_int(ctx, text::likeMatch(textOf(argv[0]), textOf(argv[1]), escape) ? 1 : 0);
}

void roundFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  int32_t decimals = 0;
  if (argc == 2) {
    double n;
    if (!numberArg(ctx, argv[1], "round", n)) return;
    if (n < 0) return sqlite3_result_error(ctx, "round: the number of decimal places cannot be negative", -1);
    decimals = n > 100 ? 100 : static_cast<int32_t>(std::nearbyint(n));
  }
  int type = numericType(argv[0]);
  if (type == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
  double x;
  if (!numberArg(ctx, argv[0], "round", x)) return;
  sqlite3_result_double(ctx, roundHalfEven(x, decimals));
}

// A double-double number: hi + lo with |lo| at most half an ulp of hi, about 106 bits.
struct DoubleDouble {
  double hi = 0;
  double lo = 0;
};

// a + b = sum + error exactly (Knuth's two-sum).
inline DoubleDouble twoSum(double a, double b) {
  double sum = a + b;
  double bPart = sum - a;
  return {sum, (a - (sum - bPart)) + (b - bPart)};
}
// The same when |a| >= |b|.
inline DoubleDouble quickTwoSum(double a, double b) {
  double sum = a + b;
  return {sum, b - (sum - a)};
}
inline DoubleDouble operator+(DoubleDouble x, DoubleDouble y) {
  DoubleDouble high = twoSum(x.hi, y.hi);
  DoubleDouble low = twoSum(x.lo, y.lo);
  high = quickTwoSum(high.hi, high.lo + low.hi);
  return quickTwoSum(high.hi, high.lo + low.lo);
}
inline DoubleDouble operator-(DoubleDouble x, DoubleDouble y) { return x + DoubleDouble{-y.hi, -y.lo}; }
inline DoubleDouble operator*(DoubleDouble x, DoubleDouble y) {
  double product = x.hi * y.hi;
  double error = std::fma(x.hi, y.hi, -product);  // exact rounding error of the product
  return quickTwoSum(product, error + (x.hi * y.lo + x.lo * y.hi));
}
inline DoubleDouble operator/(DoubleDouble x, double d) {
  double q1 = x.hi / d;
  double product = q1 * d;
  double productError = std::fma(q1, d, -product);
  DoubleDouble rest = twoSum(x.hi, -product);
  double q2 = (rest.hi + (rest.lo - productError + x.lo)) / d;
  return quickTwoSum(q1, q2);
}

// Welford's running mean and sum of squared deviations, carried in double-double: the textbook
// sum-of-squares formula cancels catastrophically when the mean is large against the spread,
// and even Welford's update in plain doubles keeps only about 8 digits for values such as
// 100000000.1, 100000000.2, 100000000.4. With twice the precision the result is the exact
// variance of the stored doubles, correctly rounded or within an ulp.
struct Moments {
  int64_t count;
  DoubleDouble mean;
  DoubleDouble m2;
};

void momentsStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = numericType(argv[0]);
  if (type == SQLITE_NULL) return;
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
    std::string msg = std::string(static_cast<const char*>(sqlite3_user_data(ctx))) + ": argument is not a number";
    return sqlite3_result_error(ctx, msg.c_str(), -1);
  }
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, sizeof(Moments)));
  if (!m) return sqlite3_result_error_nomem(ctx);
  DoubleDouble x{sqlite3_value_double(argv[0]), 0};
  ++m->count;
  DoubleDouble delta = x - m->mean;
  m->mean = m->mean + delta / static_cast<double>(m->count);
  m->m2 = m->m2 + delta * (x - m->mean);
}

template <bool Sample, bool Root>
void momentsFinal(sqlite3_context* ctx) {
  auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, 0));
  int64_t minimum = Sample ? 2 : 1;
  if (!m || m->count < minimum) return sqlite3_result_null(ctx);
  double variance = (m->m2 / static_cast<double>(Sample ? m->count - 1 : m->count)).hi;
  if (variance < 0) variance = 0;
  sqlite3_result_double(ctx, Root ? std::sqrt(variance) : variance);
}

template <bool Upper>
void caseFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  resultText(ctx, Upper ? text::upperUtf8(textOf(argv[0])) : text::lowerUtf8(textOf(argv[0])));
}

void lenFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  sqlite3_result_int64(ctx, static_cast<int64_t>(charStarts(textOf(argv[0])).size() - 1));
}

// Count argument of Mid, Left, Right: a non-negative whole number.
bool countArg(sqlite3_context* ctx, sqlite3_value* v, const char* fn, const char* what, int64_t minimum, int64_t& out) {
  double d;
  if (!numberArg(ctx, v, fn, d)) return false;
  if (d < static_cast<double>(minimum)) {
    std::string msg = std::string(fn) + ": " + what;
    sqlite3_result_error(ctx, msg.c_str(), -1);
    return false;
  }
  out = d > 1e12 ? static_cast<int64_t>(1e12) : static_cast<int64_t>(d);
  return true;
}

void midFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  int64_t start, length = INT64_MAX;
  if (!countArg(ctx, argv[1], "mid", "start must be 1 or more", 1, start)) return;
  if (argc == 3 && !countArg(ctx, argv[2], "mid", "length cannot be negative", 0, length)) return;
  std::string_view s = textOf(argv[0]);
  std::vector<size_t> at = charStarts(s);
  int64_t chars = static_cast<int64_t>(at.size()) - 1;
  int64_t first = std::min(start - 1, chars);
  int64_t last = length > chars - first ? chars : first + length;
  resultText(ctx, std::string(s.substr(at[first], at[last] - at[first])));
}

template <bool FromLeft>
void sideFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  int64_t n;
  if (!countArg(ctx, argv[1], FromLeft ? "left" : "right", "length cannot be negative", 0, n)) return;
  std::string_view s = textOf(argv[0]);
  std::vector<size_t> at = charStarts(s);
  int64_t chars = static_cast<int64_t>(at.size()) - 1;
  if (n > chars) n = chars;
  size_t from = FromLeft ? 0 : at[chars - n];
  size_t to = FromLeft ? at[n] : s.size();
  resultText(ctx, std::string(s.substr(from, to - from)));
}

void nzFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_NULL) return sqlite3_result_value(ctx, argv[0]);
  if (argc == 2) return sqlite3_result_value(ctx, argv[1]);
  sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

template <bool Floor>
void integerPartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = numericType(argv[0]);
  if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (type == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
  double x;
  if (!numberArg(ctx, argv[0], Floor ? "int" : "fix", x)) return;
  sqlite3_result_double(ctx, Floor ? std::floor(x) : std::trunc(x));
}

// 0 year, 1 month, 2 day
template <int Part>
void datePartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int type = numericType(argv[0]);
  if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
  double date;
  if (type == SQLITE_TEXT) {
    if (!oledate::parseIso(textOf(argv[0]), date))
      return sqlite3_result_error(ctx, "year/month/day: argument is not a date", -1);
  } else if (!numberArg(ctx, argv[0], "year/month/day", date)) {
    return;
  }
  oledate::DateParts p = oledate::toParts(date);
  sqlite3_result_int(ctx, Part == 0 ? p.year : Part == 1 ? p.month : p.day);
}

void sqrFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  double x;
  if (!numberArg(ctx, argv[0], "sqr", x)) return;
  if (x < 0) return sqlite3_result_error(ctx, "sqr: argument cannot be negative", -1);
  sqlite3_result_double(ctx, std::sqrt(x));
}

using ScalarFn = void (*)(sqlite3_context*, int, sqlite3_value**);

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK)
    throw DatabaseError(std::string("cannot register the SQL function ") + what + ": " + sqlite3_errmsg(db));
}

void scalar(sqlite3* db, const char* name, int argc, ScalarFn fn) {
  check(db, sqlite3_create_function_v2(db, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr,
                                       nullptr, nullptr),
        name);
}

void aggregate(sqlite3* db, const char* name, void (*final)(sqlite3_context*)) {
  check(db, sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, const_cast<char*>(name),
                                       nullptr, momentsStep, final, nullptr),
        name);
}

}  // namespace

double roundHalfEven(double x, int32_t decimals) {
  if (!std::isfinite(x) || x == 0) return x;
  // Shortest round-trip form, d.ddddde±x: the value as written.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
  std::string_view s(buf, static_cast<size_t>(res.ptr - buf));
  size_t e = s.find('e');
  std::string digits;
  for (char c : s.substr(0, e))
    if (c != '.') digits += c;
  int exponent = std::atoi(std::string(s.substr(e + 1)).c_str());
  // value = 0.digits * 10^(exponent + 1); keep the digits down to 10^-decimals.
  int64_t keep = static_cast<int64_t>(exponent) + 1 + decimals;
  if (keep >= static_cast<int64_t>(digits.size())) return x;  // nothing beyond the last place
  if (keep < 0) return 0.0;  // the value is below a tenth of the last place
  std::string kept = digits.substr(0, static_cast<size_t>(keep));
  char next = digits[static_cast<size_t>(keep)];
  bool restNonZero = digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
  bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
  bool up = next > '5' || (next == '5' && (restNonZero || lastOdd));
  if (kept.empty()) kept = "0";
  if (up) {
    size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i - 1];
  }
  std::string literal = kept + "e-" + std::to_string(decimals);
  double result = std::strtod(literal.c_str(), nullptr);
  if (result == 0) return 0.0;  // no negative zero
  return x < 0 ? -result : result;
}

void registerAll(sqlite3* db) {
  check(db, sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, collate, nullptr), kTextCollation);
  scalar(db, "like", 2, likeFn);
  scalar(db, "like", 3, likeFn);
  scalar(db, "round", 1, roundFn);
  scalar(db, "round", 2, roundFn);
  aggregate(db, "varp", momentsFinal<false, false>);
  aggregate(db, "var", momentsFinal<true, false>);
  aggregate(db, "stdevp", momentsFinal<false, true>);
  aggregate(db, "stdev", momentsFinal<true, true>);
  for (const char* name : {"upper", "ucase"}) scalar(db, name, 1, caseFn<true>);
  for (const char* name : {"lower", "lcase"}) scalar(db, name, 1, caseFn<false>);
  scalar(db, "len", 1, lenFn);
  scalar(db, "mid", 2, midFn);
  scalar(db, "mid", 3, midFn);
  scalar(db, "jetleft", 2, sideFn<true>);
  scalar(db, "jetright", 2, sideFn<false>);
  scalar(db, "nz", 1, nzFn);
  scalar(db, "nz", 2, nzFn);
  scalar(db, "int", 1, integerPartFn<true>);
  scalar(db, "fix", 1, integerPartFn<false>);
  scalar(db, "year", 1, datePartFn<0>);
  scalar(db, "month", 1, datePartFn<1>);
  scalar(db, "day", 1, datePartFn<2>);
  scalar(db, "sqr", 1, sqrFn);
}

}  // namespace native::jetfunc
