#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

const std::string EmptyStr;

namespace {
const char* const kInvalidInteger = "'%s' is not a valid integer value";
const char* const kInvalidFloat = "'%s' is not a valid floating point value";
const char* const kInvalidCurrency = "'%s' is not a valid currency value";
const char* const kInvalidBoolean = "'%s' is not a valid boolean value";
const char* const kInvalidDate = "'%s' is not a valid date";
const char* const kInvalidTime = "'%s' is not a valid time";
const char* const kInvalidDateTime = "'%s' is not a valid date and time";
const char* const kInvalidOp = "Invalid floating point operation";

[[noreturn]] void raiseInvalidOp() { throw EInvalidOp(kInvalidOp); }

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void ConvertError(const std::string& message) { throw EConvertError(message); }

void ConvertErrorFmt(const std::string& format, const std::vector<TVarRec>& args) {
  throw EConvertError(Format(format, args));
}

namespace {
// The raising and the defaulting forms of a Try conversion: tryConvert(value) -> bool.
template <class T, class Try> T convertOrRaise(Try tryConvert, const std::string& text, const char* message) {
  T value{};
  if (!tryConvert(value)) ConvertErrorFmt(message, {text});
  return value;
}

template <class T, class Try> T convertOrDefault(Try tryConvert, T def) {
  T value{};
  return tryConvert(value) ? value : def;
}
}  // namespace

// =======================================================================================
// Routines of the language's own unit.

Integer Pos(const std::string& sub, const std::string& s) {
  if (sub.empty()) return 0;
  auto p = s.find(sub);
  return p == std::string::npos ? 0 : static_cast<Integer>(p + 1);
}

Integer Pos(char c, const std::string& s) {
  auto p = s.find(c);
  return p == std::string::npos ? 0 : static_cast<Integer>(p + 1);
}

std::string Copy(const std::string& s, Integer index, Integer count) {
  const Int64 len = static_cast<Int64>(s.size());
  if (index < 1) index = 1;
  if (count <= 0 || index > len) return "";
  Int64 n = std::min<Int64>(count, len - index + 1);
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(n));
}

void Delete(std::string& s, Integer index, Integer count) {
  const Int64 len = static_cast<Int64>(s.size());
  if (index < 1 || index > len || count <= 0) return;
  Int64 n = std::min<Int64>(count, len - index + 1);
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(n));
}

void Insert(const std::string& source, std::string& s, Integer index) {
  Int64 at = std::clamp<Int64>(index, 1, static_cast<Int64>(s.size()) + 1);
  s.insert(static_cast<size_t>(at - 1), source);
}

std::string StringOfChar(char c, Integer count) { return count > 0 ? std::string(count, c) : std::string(); }

void SetLength(std::string& s, Integer length) { s.resize(length > 0 ? static_cast<size_t>(length) : 0); }

char UpCase(char c) { return asciiUpper(c); }
char Chr(Byte b) { return static_cast<char>(b); }
Byte Ord(char c) { return static_cast<Byte>(c); }
bool Odd(Int64 i) { return (i & 1) != 0; }

namespace {
// Int64's range as long doubles: both bounds are exact in the 64-bit mantissa.
constexpr long double kInt64Low = -9223372036854775808.0L;
constexpr long double kInt64High = 9223372036854775808.0L;  // exclusive

Int64 checkedInt64(long double r) {
  if (std::isnan(r) || r < kInt64Low || r >= kInt64High) raiseInvalidOp();
  return static_cast<Int64>(r);
}
}  // namespace

Int64 Round(Extended x) {
  if (std::isnan(x) || std::isinf(x)) raiseInvalidOp();
  // Halves go to the even neighbour explicitly, so the result does not depend on the FPU's
  // current rounding mode.
  long double whole = std::truncl(x);
  long double r;
  if (std::fabs(x - whole) == 0.5L) r = std::fmod(whole, 2.0L) == 0 ? whole : whole + (x > 0 ? 1 : -1);
  else r = std::roundl(x);
  return checkedInt64(r);
}

Int64 Trunc(Extended x) {
  if (std::isnan(x) || std::isinf(x)) raiseInvalidOp();
  return checkedInt64(std::truncl(x));
}

Extended Frac(Extended x) { return x - std::truncl(x); }
Extended Int(Extended x) { return std::truncl(x); }
Integer Abs(Integer x) { return x < 0 ? -x : x; }
Int64 Abs(Int64 x) { return x < 0 ? -x : x; }
Extended Abs(Extended x) { return std::fabs(x); }
Integer Sqr(Integer x) { return x * x; }
Int64 Sqr(Int64 x) { return x * x; }
Extended Sqr(Extended x) { return x * x; }

Extended Sqrt(Extended x) {
  if (x < 0 || std::isnan(x)) raiseInvalidOp();
  return std::sqrt(x);
}

Extended Ln(Extended x) {
  if (std::isnan(x) || x < 0) raiseInvalidOp();
  if (x == 0) throw EZeroDivide("Floating point division by zero");
  return std::log(x);
}

Extended Exp(Extended x) {
  if (std::isnan(x)) raiseInvalidOp();
  long double r = std::exp(x);
  if (std::isinf(r) && !std::isinf(x)) throw EOverflow("Floating point overflow");
  return r;
}

Extended Sin(Extended x) { return std::sin(x); }
Extended Cos(Extended x) { return std::cos(x); }
Extended ArcTan(Extended x) { return std::atan(x); }
Extended Pi() { return 3.14159265358979323846264338327950288L; }

namespace {
// Splits the command line as the original runtime does: blanks separate parameters, double
// quotes group blanks into one and are dropped, and a leading "" pair is skipped.
std::vector<std::string> commandLineParams() {
  std::vector<std::string> params;
  const char* p = GetCommandLineA();
  if (!p) return params;
  for (;;) {
    for (;;) {
      while (*p && isBlank(*p)) ++p;
      if (p[0] == '"' && p[1] == '"') p += 2;
      else break;
    }
    if (!*p) break;
    std::string param;
    while (*p && !isBlank(*p)) {
      if (*p == '"') {
        ++p;
        while (*p && *p != '"') param += *p++;
        if (*p) ++p;
      } else {
        param += *p++;
      }
    }
    params.push_back(param);
  }
  return params;
}
}  // namespace

Integer ParamCount() {
  auto params = commandLineParams();
  return params.empty() ? 0 : static_cast<Integer>(params.size() - 1);
}

std::string ParamStr(Integer index) {
  if (index == 0) {
    char buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof(buf));
    return std::string(buf, n);
  }
  auto params = commandLineParams();
  if (index < 0 || index >= static_cast<Integer>(params.size())) return "";
  return params[index];
}

// =======================================================================================
// Format settings.

TFormatSettings FormatSettings;

Byte& CurrencyFormat = FormatSettings.CurrencyFormat;
Byte& NegCurrFormat = FormatSettings.NegCurrFormat;
char& ThousandSeparator = FormatSettings.ThousandSeparator;
char& DecimalSeparator = FormatSettings.DecimalSeparator;
Byte& CurrencyDecimals = FormatSettings.CurrencyDecimals;
char& DateSeparator = FormatSettings.DateSeparator;
char& TimeSeparator = FormatSettings.TimeSeparator;
char& ListSeparator = FormatSettings.ListSeparator;
std::string& CurrencyString = FormatSettings.CurrencyString;
std::string& ShortDateFormat = FormatSettings.ShortDateFormat;
std::string& LongDateFormat = FormatSettings.LongDateFormat;
std::string& TimeAMString = FormatSettings.TimeAMString;
std::string& TimePMString = FormatSettings.TimePMString;
std::string& ShortTimeFormat = FormatSettings.ShortTimeFormat;
std::string& LongTimeFormat = FormatSettings.LongTimeFormat;
std::string (&ShortMonthNames)[12] = FormatSettings.ShortMonthNames;
std::string (&LongMonthNames)[12] = FormatSettings.LongMonthNames;
std::string (&ShortDayNames)[7] = FormatSettings.ShortDayNames;
std::string (&LongDayNames)[7] = FormatSettings.LongDayNames;
Word& TwoDigitYearCenturyWindow = FormatSettings.TwoDigitYearCenturyWindow;

TSysLocale SysLocale;
Integer Win32Platform = 0;
Integer Win32MajorVersion = 0;
Integer Win32MinorVersion = 0;
Integer Win32BuildNumber = 0;
std::string Win32CSDVersion;

namespace {
bool localeInfo(LCID locale, LCTYPE type, std::string& value) {
  char buf[256];
  int n = GetLocaleInfoA(locale, type, buf, sizeof(buf));
  if (n <= 0) return false;
  value.assign(buf, static_cast<size_t>(n - 1));
  return true;
}

std::string localeString(LCID locale, LCTYPE type, const std::string& fallback) {
  std::string v;
  return localeInfo(locale, type, v) ? v : fallback;
}

char localeChar(LCID locale, LCTYPE type, char fallback) {
  std::string v;
  // An empty separator (possible for the thousands) stays empty: the class library keeps
  // #0 then, and the number formats write no separator.
  if (!localeInfo(locale, type, v)) return fallback;
  return v.empty() ? '\0' : v[0];
}

Integer localeInt(LCID locale, LCTYPE type, Integer fallback) {
  std::string v;
  Integer i;
  return localeInfo(locale, type, v) && TryStrToInt(v, i) ? i : fallback;
}

// Windows date pictures use the same letters as ours except the era 'g', which only the
// East Asian calendars print; elsewhere it is dropped.
std::string translateDateFormat(const std::string& format) {
  std::string out;
  bool quoted = false;
  for (char c : format) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == 'g' || c == 'G') && !SysLocale.FarEast) continue;
    out += c;
  }
  // A dropped era may leave a blank at either end.
  return Trim(out);
}
}  // namespace

void GetLocaleFormatSettings(LCID locale, TFormatSettings& s) {
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = localeString(locale, LOCALE_SABBREVMONTHNAME1 + i, s.ShortMonthNames[i]);
    s.LongMonthNames[i] = localeString(locale, LOCALE_SMONTHNAME1 + i, s.LongMonthNames[i]);
  }
  // Windows numbers the days from Monday; our arrays start with Sunday.
  for (int i = 0; i < 7; ++i) {
    int win = (i + 6) % 7;
    s.ShortDayNames[i] = localeString(locale, LOCALE_SABBREVDAYNAME1 + win, s.ShortDayNames[i]);
    s.LongDayNames[i] = localeString(locale, LOCALE_SDAYNAME1 + win, s.LongDayNames[i]);
  }
  s.CurrencyString = localeString(locale, LOCALE_SCURRENCY, s.CurrencyString);
  s.CurrencyFormat = static_cast<Byte>(localeInt(locale, LOCALE_ICURRENCY, s.CurrencyFormat));
  s.NegCurrFormat = static_cast<Byte>(localeInt(locale, LOCALE_INEGCURR, s.NegCurrFormat));
  s.ThousandSeparator = localeChar(locale, LOCALE_STHOUSAND, s.ThousandSeparator);
  s.DecimalSeparator = localeChar(locale, LOCALE_SDECIMAL, s.DecimalSeparator);
  s.CurrencyDecimals = static_cast<Byte>(localeInt(locale, LOCALE_ICURRDIGITS, s.CurrencyDecimals));
  s.DateSeparator = localeChar(locale, LOCALE_SDATE, s.DateSeparator);
  std::string v;
  if (localeInfo(locale, LOCALE_SSHORTDATE, v)) s.ShortDateFormat = translateDateFormat(v);
  if (localeInfo(locale, LOCALE_SLONGDATE, v)) s.LongDateFormat = translateDateFormat(v);
  s.TimeSeparator = localeChar(locale, LOCALE_STIME, s.TimeSeparator);
  s.TimeAMString = localeString(locale, LOCALE_S1159, s.TimeAMString);
  s.TimePMString = localeString(locale, LOCALE_S2359, s.TimePMString);
  // The time formats are built from the locale's flags, as the class library does, rather
  // than from its picture: hour with or without a leading zero, and AM/PM for 12-hour
  // clocks.
  std::string hourFormat = localeInt(locale, LOCALE_ITLZERO, 0) == 0 ? "h" : "hh";
  std::string prefix, postfix;
  if (localeInt(locale, LOCALE_ITIME, 0) == 0) {
    if (localeInt(locale, LOCALE_ITIMEMARKPOSN, 0) == 0) postfix = " AMPM";
    else prefix = "AMPM ";
  }
  s.ShortTimeFormat = prefix + hourFormat + ":mm" + postfix;
  s.LongTimeFormat = prefix + hourFormat + ":mm:ss" + postfix;
  s.ListSeparator = localeChar(locale, LOCALE_SLIST, s.ListSeparator);
}

void GetFormatSettings() { GetLocaleFormatSettings(GetThreadLocale(), FormatSettings); }

namespace {
void initSysLocale() {
  SysLocale.DefaultLCID = GetThreadLocale();
  SysLocale.PriLangID = PRIMARYLANGID(LANGIDFROMLCID(SysLocale.DefaultLCID));
  SysLocale.SubLangID = SUBLANGID(LANGIDFROMLCID(SysLocale.DefaultLCID));
  SysLocale.FarEast = GetSystemMetrics(SM_DBCSENABLED) != 0;
  SysLocale.MiddleEast = GetSystemMetrics(SM_MIDEASTENABLED) != 0;
}

void initPlatformId() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info)) {
    Win32Platform = static_cast<Integer>(info.dwPlatformId);
    Win32MajorVersion = static_cast<Integer>(info.dwMajorVersion);
    Win32MinorVersion = static_cast<Integer>(info.dwMinorVersion);
    Win32BuildNumber = static_cast<Integer>(info.dwBuildNumber & 0xFFFF);
    Win32CSDVersion = info.szCSDVersion;
  }
}
}  // namespace

namespace SysUtilsUnit {
void Initialize() {
  initSysLocale();
  initPlatformId();
  GetFormatSettings();
}
void Finalize() {}
}  // namespace SysUtilsUnit

// =======================================================================================
// Strings.

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && isBlank(s[b])) ++b;
  return s.substr(b);
}

std::string TrimRight(const std::string& s) {
  size_t e = s.size();
  while (e > 0 && isBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

std::string UpperCase(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = asciiUpper(c);
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = asciiLower(c);
  return r;
}

std::string AnsiUpperCase(const std::string& s) {
  std::string r(s);
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::string AnsiLowerCase(const std::string& s) {
  std::string r(s);
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

Integer CompareStr(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    if (d) return d;
  }
  return static_cast<Integer>(a.size()) - static_cast<Integer>(b.size());
}

Integer CompareText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(asciiUpper(a[i])) - static_cast<unsigned char>(asciiUpper(b[i]));
    if (d) return d;
  }
  return static_cast<Integer>(a.size()) - static_cast<Integer>(b.size());
}

bool SameText(const std::string& a, const std::string& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

namespace {
Integer localeCompare(DWORD flags, const char* a, int alen, const char* b, int blen) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a, alen, b, blen) - CSTR_EQUAL;
}
}  // namespace

Integer AnsiCompareStr(const std::string& a, const std::string& b) {
  return localeCompare(0, a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
}

Integer AnsiCompareText(const std::string& a, const std::string& b) {
  return localeCompare(NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
}

bool AnsiSameStr(const std::string& a, const std::string& b) { return AnsiCompareStr(a, b) == 0; }
bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }
Integer AnsiPos(const std::string& sub, const std::string& s) { return Pos(sub, s); }

Integer AnsiStrComp(const char* a, const char* b) { return localeCompare(0, a ? a : "", -1, b ? b : "", -1); }
Integer AnsiStrIComp(const char* a, const char* b) {
  return localeCompare(NORM_IGNORECASE, a ? a : "", -1, b ? b : "", -1);
}

namespace {
int boundedLen(const char* s, Cardinal maxLen) {
  Cardinal n = 0;
  if (s)
    while (n < maxLen && s[n]) ++n;
  return static_cast<int>(n);
}
}  // namespace

Integer AnsiStrLComp(const char* a, const char* b, Cardinal maxLen) {
  return localeCompare(0, a ? a : "", boundedLen(a, maxLen), b ? b : "", boundedLen(b, maxLen));
}

Integer AnsiStrLIComp(const char* a, const char* b, Cardinal maxLen) {
  return localeCompare(NORM_IGNORECASE, a ? a : "", boundedLen(a, maxLen), b ? b : "", boundedLen(b, maxLen));
}

char* AnsiStrScan(const char* s, char c) { return StrScan(s, c); }
char* AnsiStrRScan(const char* s, char c) { return StrRScan(s, c); }

char* AnsiLastChar(const std::string& s) {
  return s.empty() ? nullptr : const_cast<char*>(s.data() + s.size() - 1);
}

char* AnsiStrLastChar(const char* s) {
  if (!s || !*s) return nullptr;
  return const_cast<char*>(s + std::strlen(s) - 1);
}

std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  // Case folding keeps every character in place (single-byte code page), so positions in the
  // folded copy are positions in s.
  const bool ignoreCase = flags.Contains(rfIgnoreCase);
  const std::string hay = ignoreCase ? AnsiUpperCase(s) : s;
  const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
  std::string result;
  size_t from = 0;
  for (;;) {
    size_t at = hay.find(needle, from);
    if (at == std::string::npos) break;
    result.append(s, from, at - from);
    result += newPattern;
    from = at + needle.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  result.append(s, from, std::string::npos);
  return result;
}

std::string QuotedStr(const std::string& s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiQuotedStr(const std::string& s, char quote) {
  std::string r(1, quote);
  for (char c : s) {
    r += c;
    if (c == quote) r += c;
  }
  r += quote;
  return r;
}

std::string AnsiExtractQuotedStr(const char*& src, char quote) {
  if (!src || *src != quote) return "";
  const char* p = src + 1;
  std::string r;
  while (*p) {
    if (*p == quote) {
      if (p[1] != quote) {
        ++p;  // the closing quote
        src = p;
        return r;
      }
      ++p;  // a doubled quote stands for one
    }
    r += *p++;
  }
  src = p;  // unterminated: everything to the end
  return r;
}

std::string AnsiDequotedStr(const std::string& s, char quote) {
  const char* p = s.c_str();
  std::string r = AnsiExtractQuotedStr(p, quote);
  return r.empty() ? s : r;
}

bool IsValidIdent(const std::string& ident) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (ident.empty() || !alpha(ident[0])) return false;
  for (char c : ident)
    if (!alpha(c) && !isDigit(c)) return false;
  return true;
}

std::string AdjustLineBreaks(const std::string& s) {
  std::string r;
  r.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\n') {
      r += "\r\n";
    } else if (c == '\r') {
      r += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      r += c;
    }
  }
  return r;
}

Integer LastDelimiter(const std::string& delimiters, const std::string& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (delimiters.find(s[i - 1]) != std::string::npos) return static_cast<Integer>(i);
  return 0;
}

bool IsDelimiter(const std::string& delimiters, const std::string& s, Integer index) {
  if (index < 1 || index > static_cast<Integer>(s.size())) return false;
  return delimiters.find(s[index - 1]) != std::string::npos;
}

TMbcsByteType ByteType(const std::string&, Integer) { return mbSingleByte; }
TMbcsByteType StrByteType(const char*, Cardinal) { return mbSingleByte; }

// ---------------------------------------------------------------------------------------
// Null-terminated strings. StrAlloc keeps the block size in front of the characters, so
// StrDispose can free what StrNew/StrAlloc made.

char* StrAlloc(Cardinal size) {
  char* block = new char[size + sizeof(Cardinal)];
  std::memcpy(block, &size, sizeof(Cardinal));
  char* p = block + sizeof(Cardinal);
  if (size) p[0] = '\0';
  return p;
}

void StrDispose(char* s) {
  if (s) delete[] (s - sizeof(Cardinal));
}

char* StrNew(const char* s) {
  if (!s || !*s) return nullptr;
  Cardinal n = static_cast<Cardinal>(std::strlen(s)) + 1;
  char* p = StrAlloc(n);
  std::memcpy(p, s, n);
  return p;
}

Cardinal StrLen(const char* s) { return s ? static_cast<Cardinal>(std::strlen(s)) : 0; }
char* StrEnd(const char* s) { return const_cast<char*>(s + std::strlen(s)); }
std::string StrPas(const char* s) { return s ? std::string(s) : std::string(); }

char* StrCopy(char* dest, const char* source) {
  std::strcpy(dest, source);
  return dest;
}

char* StrLCopy(char* dest, const char* source, Cardinal maxLen) {
  Cardinal n = 0;
  while (n < maxLen && source[n]) {
    dest[n] = source[n];
    ++n;
  }
  dest[n] = '\0';
  return dest;
}

char* StrPCopy(char* dest, const std::string& source) {
  std::memcpy(dest, source.c_str(), source.size() + 1);
  return dest;
}

char* StrPLCopy(char* dest, const std::string& source, Cardinal maxLen) {
  return StrLCopy(dest, source.c_str(), maxLen);
}

char* StrCat(char* dest, const char* source) {
  std::strcat(dest, source);
  return dest;
}

namespace {
Integer strCompare(const char* a, const char* b, Cardinal maxLen, bool foldCase) {
  for (Cardinal i = 0; i < maxLen; ++i) {
    unsigned char x = static_cast<unsigned char>(foldCase ? asciiUpper(a[i]) : a[i]);
    unsigned char y = static_cast<unsigned char>(foldCase ? asciiUpper(b[i]) : b[i]);
    if (x != y) return x - y;
    if (!x) return 0;
  }
  return 0;
}
}  // namespace

Integer StrComp(const char* a, const char* b) { return strCompare(a, b, 0xFFFFFFFFu, false); }
Integer StrIComp(const char* a, const char* b) { return strCompare(a, b, 0xFFFFFFFFu, true); }
Integer StrLComp(const char* a, const char* b, Cardinal maxLen) { return strCompare(a, b, maxLen, false); }
Integer StrLIComp(const char* a, const char* b, Cardinal maxLen) { return strCompare(a, b, maxLen, true); }

char* StrScan(const char* s, char c) {
  if (!s) return nullptr;
  for (;; ++s) {
    if (*s == c) return const_cast<char*>(s);
    if (!*s) return nullptr;
  }
}

char* StrRScan(const char* s, char c) {
  if (!s) return nullptr;
  const char* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return const_cast<char*>(found);
  }
}

char* StrPos(const char* s, const char* sub) {
  if (!s || !sub || !*sub) return nullptr;
  return const_cast<char*>(std::strstr(s, sub));
}

char* StrUpper(char* s) {
  for (char* p = s; *p; ++p) *p = asciiUpper(*p);
  return s;
}

char* StrLower(char* s) {
  for (char* p = s; *p; ++p) *p = asciiLower(*p);
  return s;
}

// =======================================================================================
// Integers and booleans.

std::string IntToStr(Integer value) { return std::to_string(value); }
std::string IntToStr(Int64 value) { return std::to_string(value); }

namespace {
std::string hexDigits(UInt64 v, Integer digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string r;
  do {
    r += kHex[v & 15];
    v >>= 4;
  } while (v);
  while (static_cast<Integer>(r.size()) < digits) r += '0';
  std::reverse(r.begin(), r.end());
  return r;
}

// The class library's Val for integers: leading blanks (spaces only), a sign, then decimal
// digits or hex digits after '$', "0x" or "0X"; nothing may follow. Hex numbers may use
// the full unsigned width (so "$FFFFFFFF" is -1 as an Integer); decimal ones must fit the
// signed range.
bool parseInteger(const std::string& s, int bits, Int64& out) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const UInt64 unsignedMax = bits == 64 ? ~UInt64(0) : 0xFFFFFFFFull;
  const UInt64 signedMax = bits == 64 ? 0x7FFFFFFFFFFFFFFFull : 0x7FFFFFFFull;
  UInt64 v = 0;
  for (; i < n; ++i) {
    char c = s[i];
    unsigned d;
    if (isDigit(c)) d = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else return false;
    if (hex) {
      if (v > (unsignedMax >> 4)) return false;
      v = (v << 4) | d;
    } else {
      if (v > (signedMax + 1 - d) / 10) return false;  // keeps v <= signedMax + 1
      v = v * 10 + d;
    }
  }
  if (!hex && v > signedMax + (negative ? 1 : 0)) return false;
  Int64 r;
  if (hex && bits == 32) r = static_cast<Int64>(static_cast<int32_t>(static_cast<uint32_t>(v)));
  else r = static_cast<Int64>(v);
  out = negative ? static_cast<Int64>(0 - static_cast<UInt64>(r)) : r;
  if (bits == 32) out = static_cast<int32_t>(out);
  return true;
}
}  // namespace

std::string IntToHex(Integer value, Integer digits) { return hexDigits(static_cast<uint32_t>(value), digits); }
std::string IntToHex(Int64 value, Integer digits) { return hexDigits(static_cast<UInt64>(value), digits); }

bool TryStrToInt(const std::string& s, Integer& value) {
  Int64 v;
  if (!parseInteger(s, 32, v)) return false;
  value = static_cast<Integer>(v);
  return true;
}

Integer StrToInt(const std::string& s) {
  return convertOrRaise<Integer>([&](Integer& v) { return TryStrToInt(s, v); }, s, kInvalidInteger);
}

Integer StrToIntDef(const std::string& s, Integer def) {
  return convertOrDefault([&](Integer& v) { return TryStrToInt(s, v); }, def);
}

bool TryStrToInt64(const std::string& s, Int64& value) { return parseInteger(s, 64, value); }

Int64 StrToInt64(const std::string& s) {
  return convertOrRaise<Int64>([&](Int64& v) { return TryStrToInt64(s, v); }, s, kInvalidInteger);
}

Int64 StrToInt64Def(const std::string& s, Int64 def) {
  return convertOrDefault([&](Int64& v) { return TryStrToInt64(s, v); }, def);
}

std::vector<std::string> TrueBoolStrs;
std::vector<std::string> FalseBoolStrs;

namespace {
const std::vector<std::string>& boolWords(bool b) {
  static const std::vector<std::string> defTrue{"True"}, defFalse{"False"};
  const auto& words = b ? TrueBoolStrs : FalseBoolStrs;
  if (!words.empty()) return words;
  return b ? defTrue : defFalse;
}
}  // namespace

std::string BoolToStr(bool b, bool useBoolStrs) {
  if (!useBoolStrs) return b ? "-1" : "0";
  return boolWords(b)[0];
}

bool TryStrToBool(const std::string& s, bool& value) {
  Extended number;
  if (TryStrToFloat(s, number)) {
    value = number != 0;
    return true;
  }
  for (bool b : {true, false})
    for (const auto& word : boolWords(b))
      if (AnsiSameText(s, word)) {
        value = b;
        return true;
      }
  return false;
}

bool StrToBool(const std::string& s) {
  return convertOrRaise<bool>([&](bool& v) { return TryStrToBool(s, v); }, s, kInvalidBoolean);
}

bool StrToBoolDef(const std::string& s, bool def) {
  return convertOrDefault([&](bool& v) { return TryStrToBool(s, v); }, def);
}

// =======================================================================================
// Floating point to decimal.

namespace {
constexpr int kMaxExtendedDigits = 18;
constexpr int kMaxCurrencyDigits = 19;
constexpr int kNoDecimalLimit = 9999;

// |x| with 18 significant digits, as the 80-bit conversion keeps them: x = 0.d1..d18 x 10^exp10.
// The exact binary value is rounded to nearest (ties to even) by to_chars, which is also
// independent of the C library's locale. x must be finite and non-zero.
void extendedDigits(long double x, char* d, int& exp10) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof(buf), std::fabs(x), std::chars_format::scientific,
                           kMaxExtendedDigits - 1);
  int k = 0;
  const char* p = buf;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (isDigit(*p)) d[k++] = *p;
  d[k] = '\0';
  ++p;  // 'e'
  if (p < res.ptr && *p == '+') ++p;
  int e = 0;
  std::from_chars(p, res.ptr, e);
  exp10 = e + 1;
}

bool isZeroRec(const TFloatRec& r) { return r.Digits[0] == '\0'; }
bool isSpecialRec(const TFloatRec& r) {
  return r.Exponent == 0x7FFF || r.Exponent == static_cast<SmallInt>(0x8000);
}
}  // namespace

void FloatToDecimal(TFloatRec& result, const void* value, TFloatValue valueType, Integer precision,
                    Integer decimals) {
  result = TFloatRec{};
  char d[24] = {};
  int count, exp10, maxPrecision;
  if (valueType == fvCurrency) {
    Int64 v = static_cast<const Currency*>(value)->Value;
    if (v == 0) return;
    result.Negative = v < 0;
    UInt64 m = v < 0 ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
    std::string s = std::to_string(m);
    count = static_cast<int>(s.size());
    std::memcpy(d, s.data(), s.size());
    exp10 = count - 4;
    maxPrecision = kMaxCurrencyDigits;
  } else {
    long double v = *static_cast<const Extended*>(value);
    if (std::isnan(v)) {
      result.Exponent = static_cast<SmallInt>(0x8000);
      std::strcpy(result.Digits, "NAN");
      return;
    }
    if (std::isinf(v)) {
      result.Exponent = 0x7FFF;
      result.Negative = v < 0;
      std::strcpy(result.Digits, "INF");
      return;
    }
    if (v == 0) return;  // also -0: zero has no sign
    result.Negative = v < 0;
    extendedDigits(v, d, exp10);
    count = kMaxExtendedDigits;
    maxPrecision = kMaxExtendedDigits;
  }
  int keep = std::clamp(precision, 1, maxPrecision);
  if (decimals < kNoDecimalLimit) keep = std::min(keep, exp10 + decimals);
  if (keep < 0) {
    result.Negative = false;
    return;
  }
  // Round half away from zero on the decimal digits (after the binary-to-decimal rounding
  // above), as the class library does.
  bool up = keep < count && d[keep] >= '5';
  count = std::min(count, keep);
  if (up) {
    int i = count - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0) {
      ++d[i];
    } else {  // 999.. -> 1000.., or nothing kept but the first digit rounded up
      d[0] = '1';
      count = std::max(count, 1);
      for (int j = 1; j < count; ++j) d[j] = '0';
      ++exp10;
    }
  }
  while (count > 0 && d[count - 1] == '0') --count;
  if (count == 0) {
    result.Negative = false;
    return;
  }
  std::memcpy(result.Digits, d, static_cast<size_t>(count));
  result.Digits[count] = '\0';
  result.Exponent = static_cast<SmallInt>(exp10);
}

namespace {
std::string specialText(const TFloatRec& r) {
  if (r.Exponent == 0x7FFF) return r.Negative ? "-INF" : "INF";
  return "NAN";
}

std::string exponentText(int e, int minDigits, bool plusSign) {
  std::string digits = std::to_string(e < 0 ? -e : e);
  while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
  return std::string(e < 0 ? "-" : (plusSign ? "+" : "")) + digits;
}

// Digit at position i of the record (0 = first significant digit); '0' outside.
char digitAt(const TFloatRec& r, int i) {
  if (i < 0) return '0';
  for (int k = 0; k <= i; ++k)
    if (r.Digits[k] == '\0') return '0';
  return r.Digits[i];
}

std::string groupThousands(const std::string& intPart, char separator) {
  if (!separator || intPart.size() <= 3) return intPart;
  std::string r;
  size_t n = intPart.size();
  for (size_t i = 0; i < n; ++i) {
    r += intPart[i];
    size_t remaining = n - i - 1;
    if (remaining > 0 && remaining % 3 == 0) r += separator;
  }
  return r;
}

std::string placeCurrency(const std::string& body, bool negative, const TFormatSettings& fs) {
  return PlaceCurrencySymbol(body, fs.CurrencyString, negative ? fs.NegCurrFormat : fs.CurrencyFormat, negative);
}

std::string exponentFormat(const TFloatRec& r, int precision, int digits, const TFormatSettings& fs) {
  std::string s = r.Negative ? "-" : "";
  s += digitAt(r, 0);
  if (precision > 1) {
    s += fs.DecimalSeparator;
    for (int i = 1; i < precision; ++i) s += digitAt(r, i);
  }
  int e = isZeroRec(r) ? 0 : r.Exponent - 1;
  return s + "E" + exponentText(e, digits, true);
}

std::string floatText(const void* value, TFloatValue type, TFloatFormat format, int precision, int digits,
                      const TFormatSettings& fs) {
  const int maxPrecision = type == fvCurrency ? kMaxCurrencyDigits : kMaxExtendedDigits;
  // Currency has its exact digits: the precision only matters for floats.
  precision = type == fvCurrency ? maxPrecision : std::clamp(precision, 1, maxPrecision);
  TFloatRec r;
  switch (format) {
    case ffGeneral: {
      FloatToDecimal(r, value, type, precision, kNoDecimalLimit);
      if (isSpecialRec(r)) return specialText(r);
      if (isZeroRec(r)) return "0";
      digits = std::clamp(digits, 0, 4);
      const int x = r.Exponent;
      const int count = static_cast<int>(std::strlen(r.Digits));
      std::string s = r.Negative ? "-" : "";
      if (x <= precision && x >= -3) {
        if (x <= 0) {
          s += '0';
          s += fs.DecimalSeparator;
          s.append(static_cast<size_t>(-x), '0');
          s += r.Digits;
        } else {
          for (int i = 0; i < x; ++i) s += digitAt(r, i);
          if (count > x) {
            s += fs.DecimalSeparator;
            s += r.Digits + x;
          }
        }
        return s;
      }
      s += r.Digits[0];
      if (count > 1) {
        s += fs.DecimalSeparator;
        s += r.Digits + 1;
      }
      return s + "E" + exponentText(x - 1, digits, false);
    }
    case ffExponent:
      FloatToDecimal(r, value, type, precision, kNoDecimalLimit);
      if (isSpecialRec(r)) return specialText(r);
      return exponentFormat(r, precision, std::clamp(digits, 0, 4), fs);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      digits = std::clamp(digits, 0, kMaxExtendedDigits);
      FloatToDecimal(r, value, type, precision, digits);
      if (isSpecialRec(r)) return specialText(r);
      // More integer digits than the precision holds: scientific instead.
      if (r.Exponent > precision) {
        FloatToDecimal(r, value, type, precision, kNoDecimalLimit);
        return exponentFormat(r, precision, std::min(digits, 4), fs);
      }
      std::string intPart;
      for (int i = 0; i < r.Exponent; ++i) intPart += digitAt(r, i);
      if (intPart.empty()) intPart = "0";
      if (format != ffFixed) intPart = groupThousands(intPart, fs.ThousandSeparator);
      std::string body = intPart;
      if (digits > 0) {
        body += fs.DecimalSeparator;
        for (int i = 0; i < digits; ++i) body += digitAt(r, r.Exponent + i);
      }
      if (format == ffCurrency) return placeCurrency(body, r.Negative, fs);
      return r.Negative ? "-" + body : body;
    }
  }
  return "";
}
}  // namespace

Integer FloatToText(char* buffer, const void* value, TFloatValue valueType, TFloatFormat format, Integer precision,
                    Integer digits, const TFormatSettings& settings) {
  std::string s = floatText(value, valueType, format, precision, digits, settings);
  std::memcpy(buffer, s.data(), s.size());
  return static_cast<Integer>(s.size());
}

Integer FloatToText(char* buffer, const void* value, TFloatValue valueType, TFloatFormat format, Integer precision,
                    Integer digits) {
  return FloatToText(buffer, value, valueType, format, precision, digits, FormatSettings);
}

std::string FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                        const TFormatSettings& settings) {
  return floatText(&value, fvExtended, format, precision, digits, settings);
}

std::string FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings);
}

std::string FloatToStr(Extended value, const TFormatSettings& settings) {
  return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

std::string FloatToStr(Extended value) { return FloatToStr(value, FormatSettings); }

std::string CurrToStr(Currency value, const TFormatSettings& settings) {
  return floatText(&value, fvCurrency, ffGeneral, 0, 0, settings);
}

std::string CurrToStr(Currency value) { return CurrToStr(value, FormatSettings); }

std::string CurrToStrF(Currency value, TFloatFormat format, Integer digits, const TFormatSettings& settings) {
  return floatText(&value, fvCurrency, format, 0, digits, settings);
}

std::string CurrToStrF(Currency value, TFloatFormat format, Integer digits) {
  return CurrToStrF(value, format, digits, FormatSettings);
}

// ---------------------------------------------------------------------------------------
// Picture formats (FormatFloat, FormatCurr).

namespace {
// What a section of a picture asks for.
struct PictureSection {
  int intPlaceholders = 0;  // '0' and '#' before the decimal point
  int minIntDigits = 0;     // placeholders from the first '0' to the point
  int fracPlaceholders = 0;
  int minFracDigits = 0;  // up to the last '0' after the point
  bool thousands = false;
  bool scientific = false;
};

std::vector<std::string> splitSections(const std::string& format) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : format) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      if (sections.size() == 3) break;
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

bool isExponentMark(const std::string& s, size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

PictureSection analyzeSection(const std::string& s) {
  PictureSection p;
  bool beforePoint = true;
  int firstZero = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"' || c == '\'') {
      size_t close = s.find(c, i + 1);
      i = close == std::string::npos ? s.size() : close;
    } else if (c == '0' || c == '#') {
      if (beforePoint) {
        if (c == '0' && firstZero < 0) firstZero = p.intPlaceholders;
        ++p.intPlaceholders;
      } else {
        ++p.fracPlaceholders;
        if (c == '0') p.minFracDigits = p.fracPlaceholders;
      }
    } else if (c == '.') {
      beforePoint = false;
    } else if (c == ',') {
      p.thousands = true;
    } else if (isExponentMark(s, i)) {
      p.scientific = true;
      break;  // the exponent's own zeros are not digit placeholders
    }
  }
  p.minIntDigits = firstZero < 0 ? 0 : p.intPlaceholders - firstZero;
  return p;
}

std::string applyPicture(const std::string& section, const PictureSection& p, const TFloatRec& r, int sciExponent,
                         bool minus, const TFormatSettings& fs) {
  // The digits the picture will show.
  std::string intDigits, fracDigits;
  if (p.scientific) {
    for (int i = 0; i < p.intPlaceholders; ++i) intDigits += digitAt(r, i);
    for (int i = 0; i < p.fracPlaceholders; ++i) fracDigits += digitAt(r, p.intPlaceholders + i);
  } else {
    for (int i = 0; i < r.Exponent; ++i) intDigits += digitAt(r, i);
    if (static_cast<int>(intDigits.size()) < p.minIntDigits)
      intDigits.insert(0, static_cast<size_t>(p.minIntDigits) - intDigits.size(), '0');
    for (int i = 0; i < p.fracPlaceholders; ++i) fracDigits += digitAt(r, r.Exponent + i);
  }
  while (static_cast<int>(fracDigits.size()) > p.minFracDigits && fracDigits.back() == '0') fracDigits.pop_back();

  std::string out = minus ? "-" : "";
  const int total = static_cast<int>(intDigits.size());
  int nextInt = 0;  // next integer digit to write
  int intSeen = 0;  // integer placeholders met so far
  int fracSeen = 0;
  bool beforePoint = true;
  const char separator = p.thousands ? fs.ThousandSeparator : '\0';
  // Writes integer digits up to (not including) index 'upTo', with thousand separators.
  auto writeInt = [&](int upTo) {
    for (; nextInt < upTo; ++nextInt) {
      out += intDigits[nextInt];
      int remaining = total - nextInt - 1;
      if (separator && remaining > 0 && remaining % 3 == 0) out += separator;
    }
  };
  for (size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (c == '"' || c == '\'') {
      size_t close = section.find(c, i + 1);
      if (close == std::string::npos) close = section.size();
      out.append(section, i + 1, close - i - 1);
      i = close;
    } else if ((c == '0' || c == '#') && beforePoint) {
      ++intSeen;
      // Digits beyond the placeholders all go at the first one; placeholders beyond the
      // digits (leading '#') write nothing.
      int upTo = total - (p.intPlaceholders - intSeen);
      writeInt(upTo);
    } else if (c == '0' || c == '#') {
      if (fracSeen < static_cast<int>(fracDigits.size())) out += fracDigits[fracSeen];
      ++fracSeen;
    } else if (c == '.' && beforePoint) {
      beforePoint = false;
      writeInt(total);
      if (!fracDigits.empty()) out += fs.DecimalSeparator;
    } else if (c == ',') {
      // thousands flag only
    } else if (isExponentMark(section, i)) {
      writeInt(total);
      out += c;
      const bool plus = section[i + 1] == '+';
      i += 2;
      int zeros = 0;
      while (i < section.size() && section[i] == '0') {
        ++zeros;
        ++i;
      }
      --i;
      out += exponentText(sciExponent, std::min(zeros, 4), plus);
      beforePoint = false;
    } else {
      out += c;
    }
  }
  return out;
}

std::string formatPicture(const std::string& format, const void* value, TFloatValue type,
                          const TFormatSettings& fs) {
  bool negative;
  if (type == fvCurrency) {
    negative = static_cast<const Currency*>(value)->Value < 0;
  } else {
    long double v = *static_cast<const Extended*>(value);
    if (std::isnan(v) || std::isinf(v)) return floatText(value, type, ffGeneral, 15, 0, fs);
    negative = v < 0;
  }
  std::vector<std::string> sections = splitSections(format);
  if (sections[0].empty() && sections.size() == 1) return floatText(value, type, ffGeneral, 15, 0, fs);

  size_t chosen = 0;
  if (negative && sections.size() >= 2 && !sections[1].empty()) chosen = 1;
  const int precision = type == fvCurrency ? kMaxCurrencyDigits : 15;

  auto round = [&](const PictureSection& p, TFloatRec& r, int& sciExponent) {
    if (p.scientific) {
      int digits = std::clamp(p.intPlaceholders + p.fracPlaceholders, 1, kMaxExtendedDigits);
      FloatToDecimal(r, value, type, digits, kNoDecimalLimit);
      sciExponent = isZeroRec(r) ? 0 : r.Exponent - p.intPlaceholders;
    } else {
      FloatToDecimal(r, value, type, precision, p.fracPlaceholders);
      sciExponent = 0;
    }
  };

  PictureSection p = analyzeSection(sections[chosen]);
  TFloatRec r;
  int sciExponent;
  round(p, r, sciExponent);
  if (!p.scientific && r.Exponent > 18) return floatText(value, type, ffGeneral, 15, 0, fs);
  if (isZeroRec(r) && sections.size() >= 3 && !sections[2].empty()) {
    chosen = 2;
    p = analyzeSection(sections[2]);
    r = TFloatRec{};
    sciExponent = 0;
  }
  if (sections[chosen].empty()) return floatText(value, type, ffGeneral, 15, 0, fs);
  // The negative section shows the value without its sign; the others get a leading '-'.
  bool minus = chosen == 0 && r.Negative && !isZeroRec(r);
  return applyPicture(sections[chosen], p, r, sciExponent, minus, fs);
}
}  // namespace

std::string FormatFloat(const std::string& format, Extended value, const TFormatSettings& settings) {
  return formatPicture(format, &value, fvExtended, settings);
}

std::string FormatFloat(const std::string& format, Extended value) {
  return FormatFloat(format, value, FormatSettings);
}

std::string FormatCurr(const std::string& format, Currency value, const TFormatSettings& settings) {
  return formatPicture(format, &value, fvCurrency, settings);
}

std::string FormatCurr(const std::string& format, Currency value) { return FormatCurr(format, value, FormatSettings); }

// ---------------------------------------------------------------------------------------
// Text to float.

namespace {
// The class library's number syntax: blanks, sign, digits with the decimal separator,
// optional exponent, blanks. On success 'mantissa' holds the digits (point removed) and
// 'exponent' the power of ten to apply to them, so the value is [-]mantissa x 10^exponent.
bool scanFloat(const char* text, char decimalSeparator, bool& negative, std::string& mantissa, Int64& exponent) {
  if (!text) return false;
  const char* p = text;
  while (*p == ' ') ++p;
  negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  mantissa.clear();
  exponent = 0;
  bool anyDigit = false;
  while (isDigit(*p)) {
    mantissa += *p++;
    anyDigit = true;
  }
  if (*p == decimalSeparator && decimalSeparator) {
    ++p;
    while (isDigit(*p)) {
      mantissa += *p++;
      --exponent;
      anyDigit = true;
    }
  }
  if (!anyDigit) return false;
  if (*p == 'E' || *p == 'e') {
    ++p;
    bool expNegative = false;
    if (*p == '+' || *p == '-') expNegative = *p++ == '-';
    if (!isDigit(*p)) return false;
    Int64 e = 0;
    while (isDigit(*p)) {
      if (e < 100000) e = e * 10 + (*p - '0');  // far beyond any representable value
      ++p;
    }
    exponent += expNegative ? -e : e;
  }
  while (*p == ' ') ++p;
  if (*p) return false;
  // Leading zeros carry no value; an all-zero mantissa is zero.
  size_t nz = mantissa.find_first_not_of('0');
  if (nz == std::string::npos) mantissa = "0";
  else mantissa.erase(0, nz);
  return true;
}

// mantissa x 10^exponent as a long double, correctly rounded; false on overflow.
bool decimalToExtended(const std::string& mantissa, Int64 exponent, long double& out) {
  if (mantissa == "0") {
    out = 0;
    return true;
  }
  // Value magnitude is about 10^(digits + exponent): decide the out-of-range cases first.
  const Int64 magnitude = static_cast<Int64>(mantissa.size()) + exponent;
  if (magnitude > 4933) return false;
  if (magnitude < -4952) {
    out = 0;
    return true;
  }
  std::string text = mantissa + "e" + std::to_string(exponent);
  long double v = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    if (magnitude < 0) {
      out = 0;
      return true;
    }
    return false;
  }
  if (res.ec != std::errc() || std::isinf(v)) return false;
  out = v;
  return true;
}
}  // namespace

bool TextToFloat(const char* text, void* value, TFloatValue valueType, const TFormatSettings& settings) {
  bool negative;
  std::string mantissa;
  Int64 exponent;
  if (!scanFloat(text, settings.DecimalSeparator, negative, mantissa, exponent)) return false;
  if (valueType == fvCurrency) {
    // Scale by 10^4 in decimal, so the only rounding is the final one to an integer.
    long double scaled;
    if (!decimalToExtended(mantissa, exponent + 4, scaled)) return false;
    if (negative) scaled = -scaled;
    long double r = std::nearbyintl(scaled);  // half to even, as the FPU stores it
    if (r < kInt64Low || r >= kInt64High) return false;
    *static_cast<Currency*>(value) = Currency::FromScaled(static_cast<Int64>(r));
    return true;
  }
  long double v;
  if (!decimalToExtended(mantissa, exponent, v)) return false;
  *static_cast<Extended*>(value) = negative ? -v : v;
  return true;
}

bool TextToFloat(const char* text, void* value, TFloatValue valueType) {
  return TextToFloat(text, value, valueType, FormatSettings);
}

bool TextToFloat(const char* text, Extended& value, TFloatValue valueType, const TFormatSettings& settings) {
  if (valueType == fvCurrency) {
    Currency c;
    if (!TextToFloat(text, static_cast<void*>(&c), fvCurrency, settings)) return false;
    value = c.ToExtended();
    return true;
  }
  return TextToFloat(text, static_cast<void*>(&value), fvExtended, settings);
}

bool TextToFloat(const char* text, Extended& value, TFloatValue valueType) {
  return TextToFloat(text, value, valueType, FormatSettings);
}

bool TryStrToFloat(const std::string& s, Extended& value, const TFormatSettings& settings) {
  return TextToFloat(s.c_str(), static_cast<void*>(&value), fvExtended, settings);
}

bool TryStrToFloat(const std::string& s, Extended& value) { return TryStrToFloat(s, value, FormatSettings); }

bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& settings) {
  Extended v;
  if (!TryStrToFloat(s, v, settings) || std::fabs(v) > DBL_MAX) return false;
  value = static_cast<double>(v);
  return true;
}

bool TryStrToFloat(const std::string& s, double& value) { return TryStrToFloat(s, value, FormatSettings); }

Extended StrToFloat(const std::string& s, const TFormatSettings& settings) {
  return convertOrRaise<Extended>([&](Extended& v) { return TryStrToFloat(s, v, settings); }, s, kInvalidFloat);
}

Extended StrToFloat(const std::string& s) { return StrToFloat(s, FormatSettings); }

Extended StrToFloatDef(const std::string& s, Extended def, const TFormatSettings& settings) {
  return convertOrDefault([&](Extended& v) { return TryStrToFloat(s, v, settings); }, def);
}

Extended StrToFloatDef(const std::string& s, Extended def) { return StrToFloatDef(s, def, FormatSettings); }

bool TryStrToCurr(const std::string& s, Currency& value, const TFormatSettings& settings) {
  return TextToFloat(s.c_str(), static_cast<void*>(&value), fvCurrency, settings);
}

bool TryStrToCurr(const std::string& s, Currency& value) { return TryStrToCurr(s, value, FormatSettings); }

Currency StrToCurr(const std::string& s, const TFormatSettings& settings) {
  return convertOrRaise<Currency>([&](Currency& v) { return TryStrToCurr(s, v, settings); }, s, kInvalidFloat);
}

Currency StrToCurr(const std::string& s) { return StrToCurr(s, FormatSettings); }

Currency StrToCurrDef(const std::string& s, Currency def, const TFormatSettings& settings) {
  return convertOrDefault([&](Currency& v) { return TryStrToCurr(s, v, settings); }, def);
}

Currency StrToCurrDef(const std::string& s, Currency def) { return StrToCurrDef(s, def, FormatSettings); }

bool TryFloatToCurr(Extended value, Currency& result) {
  long double scaled = value * 10000.0L;
  if (std::isnan(scaled)) return false;
  long double r = std::nearbyintl(scaled);
  if (r < kInt64Low || r >= kInt64High) return false;
  result = Currency::FromScaled(static_cast<Int64>(r));
  return true;
}

Currency FloatToCurr(Extended value) {
  Currency c;
  if (!TryFloatToCurr(value, c)) ConvertErrorFmt(kInvalidCurrency, {FloatToStr(value)});
  return c;
}

// =======================================================================================
// Format.

TVarRec TVarRec::VariantArg(std::string text) {
  TVarRec r;
  r.VType = vtVariant;
  r.VAnsiString = std::move(text);
  r.VVariantNumber = vnNone;
  return r;
}

TVarRec TVarRec::VariantArg(std::string text, Int64 integral) {
  TVarRec r = VariantArg(std::move(text));
  r.VInt64 = integral;
  r.VVariantNumber = vnIntegral;
  return r;
}

TVarRec TVarRec::VariantArg(std::string text, Extended number) {
  TVarRec r = VariantArg(std::move(text));
  r.VExtended = number;
  r.VVariantNumber = vnFloat;
  return r;
}

namespace {
// The argument as an integer, for %d %u %x and '*'; false when it is not one.
bool integralArg(const TVarRec& a, const TFormatSettings& fs, Int64& v) {
  switch (a.VType) {
    case TVarRec::vtInteger: v = a.VInteger; return true;
    case TVarRec::vtInt64: v = a.VInt64; return true;
    case TVarRec::vtVariant:
      if (a.VVariantNumber == TVarRec::vnIntegral) {
        v = a.VInt64;
        return true;
      }
      if (a.VVariantNumber == TVarRec::vnFloat) {  // a variant converts with Round
        if (std::isnan(a.VExtended) || std::fabs(a.VExtended) >= kInt64High) return false;
        v = Round(a.VExtended);
        return true;
      }
      return TryStrToInt64(a.VAnsiString, v);
    default: return false;
  }
}

// The argument as a float (or as Currency when it is one), for %e %f %g %n %m.
bool floatArg(const TVarRec& a, const TFormatSettings& fs, Extended& v, bool& isCurrency, Currency& c) {
  isCurrency = false;
  switch (a.VType) {
    case TVarRec::vtExtended: v = a.VExtended; return true;
    case TVarRec::vtCurrency:
      isCurrency = true;
      c = a.VCurrency();
      return true;
    case TVarRec::vtVariant:
      if (a.VVariantNumber == TVarRec::vnFloat) v = a.VExtended;
      else if (a.VVariantNumber == TVarRec::vnIntegral) v = static_cast<Extended>(a.VInt64);
      else return TryStrToFloat(a.VAnsiString, v, fs);
      return true;
    default: return false;
  }
}

bool stringArg(const TVarRec& a, std::string& s) {
  switch (a.VType) {
    case TVarRec::vtAnsiString:
    case TVarRec::vtPChar:
    case TVarRec::vtString:
    case TVarRec::vtWideString:
    case TVarRec::vtVariant: s = a.VAnsiString; return true;
    case TVarRec::vtChar: s.assign(1, a.VChar); return true;
    default: return false;
  }
}

std::string padDigits(std::string digits, int precision) {
  if (static_cast<int>(digits.size()) < precision) digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
  return digits;
}
}  // namespace

std::string Format(const std::string& format, const std::vector<TVarRec>& args, const TFormatSettings& fs) {
  auto fail = [&format]() { throw EConvertError("Format '" + format + "' invalid or incompatible with argument"); };
  std::string out;
  const size_t n = format.size();
  size_t i = 0;
  size_t argIndex = 0;
  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= args.size()) fail();
    return args[argIndex++];
  };
  // Digits, or '*' taking the next argument (an integer).
  auto readNumber = [&](int& v) -> bool {
    if (i < n && format[i] == '*') {
      ++i;
      Int64 x;
      const TVarRec& a = nextArg();
      if (!integralArg(a, fs, x)) fail();
      v = static_cast<int>(std::clamp<Int64>(x, -0x7FFFFFF, 0x7FFFFFF));
      return true;
    }
    if (i < n && isDigit(format[i])) {
      Int64 x = 0;
      while (i < n && isDigit(format[i])) {
        if (x < 0x7FFFFFF) x = x * 10 + (format[i] - '0');
        ++i;
      }
      v = static_cast<int>(std::min<Int64>(x, 0x7FFFFFF));
      return true;
    }
    return false;
  };

  while (i < n) {
    char c = format[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i >= n) fail();
    if (format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    int number = 0;
    bool haveNumber = readNumber(number);
    if (i < n && format[i] == ':') {
      argIndex = haveNumber && number > 0 ? static_cast<size_t>(number) : 0;
      ++i;
      haveNumber = false;
    }
    bool leftJustify = false;
    if (!haveNumber) {
      if (i < n && format[i] == '-') {
        leftJustify = true;
        ++i;
      }
      haveNumber = readNumber(number);
    }
    int width = haveNumber ? std::max(number, 0) : 0;
    int precision = -1;
    if (i < n && format[i] == '.') {
      ++i;
      if (!readNumber(precision)) precision = 0;
    }
    if (i >= n) fail();
    const char type = asciiUpper(format[i++]);
    const TVarRec& arg = nextArg();
    std::string text;
    switch (type) {
      case 'D': {
        Int64 v;
        if (!integralArg(arg, fs, v)) fail();
        UInt64 magnitude = v < 0 ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
        text = (v < 0 ? "-" : "") + padDigits(std::to_string(magnitude), precision);
        break;
      }
      case 'U':
      case 'X': {
        Int64 v;
        if (!integralArg(arg, fs, v)) fail();
        // An Integer argument is taken as the 32-bit unsigned value of its bits.
        bool narrow = arg.VType == TVarRec::vtInteger ||
                      (arg.VType == TVarRec::vtVariant && v >= INT32_MIN && v <= INT32_MAX);
        UInt64 u = narrow ? static_cast<uint32_t>(v) : static_cast<UInt64>(v);
        text = padDigits(type == 'U' ? std::to_string(u) : hexDigits(u, 0), precision);
        break;
      }
      case 'E':
      case 'F':
      case 'G':
      case 'N':
      case 'M': {
        Extended v = 0;
        bool isCurrency;
        Currency c;
        if (!floatArg(arg, fs, v, isCurrency, c)) fail();
        const void* value = isCurrency ? static_cast<const void*>(&c) : static_cast<const void*>(&v);
        TFloatValue kind = isCurrency ? fvCurrency : fvExtended;
        switch (type) {
          case 'E': text = floatText(value, kind, ffExponent, precision < 0 ? 15 : precision, 3, fs); break;
          case 'F': text = floatText(value, kind, ffFixed, kMaxExtendedDigits, precision < 0 ? 2 : precision, fs); break;
          case 'G': text = floatText(value, kind, ffGeneral, precision < 0 ? 15 : precision, 3, fs); break;
          case 'N': text = floatText(value, kind, ffNumber, kMaxExtendedDigits, precision < 0 ? 2 : precision, fs); break;
          default:
            text = floatText(value, kind, ffCurrency, kMaxExtendedDigits,
                             precision < 0 ? fs.CurrencyDecimals : precision, fs);
        }
        break;
      }
      case 'P': {
        const void* p = nullptr;
        if (arg.VType == TVarRec::vtPointer) p = arg.VPointer;
        else if (arg.VType == TVarRec::vtObject) p = arg.VObject;
        else if (arg.VType == TVarRec::vtClass) p = arg.VClass;
        else fail();
        // Pointers are 64-bit here: 16 digits where the 32-bit original wrote 8.
        text = hexDigits(reinterpret_cast<uintptr_t>(p), 16);
        break;
      }
      case 'S': {
        if (!stringArg(arg, text)) fail();
        if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(static_cast<size_t>(precision));
        break;
      }
      default: fail();
    }
    if (static_cast<int>(text.size()) < width) {
      std::string pad(static_cast<size_t>(width) - text.size(), ' ');
      text = leftJustify ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

std::string Format(const std::string& format, const std::vector<TVarRec>& args) {
  return Format(format, args, FormatSettings);
}

void FmtStr(std::string& result, const std::string& format, const std::vector<TVarRec>& args) {
  result = Format(format, args);
}

// =======================================================================================
// Dates and times.

const TDayTable MonthDays[2] = {{{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
                                {{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}}};

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  const TDayTable& table = MonthDays[IsLeapYear(year)];
  if (day < 1 || day > table[month]) return false;
  Integer days = day;
  for (Integer m = 1; m < month; ++m) days += table[m];
  Integer y = year - 1;
  date = static_cast<TDateTime>(y * 365 + y / 4 - y / 100 + y / 400 + days - DateDelta);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) ConvertError("Invalid argument to date encode");
  return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = static_cast<TDateTime>(hour * 3600000 + min * 60000 + sec * 1000 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) ConvertError("Invalid argument to time encode");
  return t;
}

TTimeStamp DateTimeToTimeStamp(TDateTime dateTime) {
  // Milliseconds, rounded; the time of day counts forward from midnight even for negative
  // values, whose whole part is the day (truncated toward zero).
  Int64 ms = Round(static_cast<Extended>(dateTime) * MSecsPerDay);
  TTimeStamp ts;
  ts.Time = static_cast<Integer>((ms < 0 ? -ms : ms) % MSecsPerDay);
  ts.Date = static_cast<Integer>(DateDelta + ms / MSecsPerDay);
  return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
  if (ts.Time < 0 || ts.Date <= 0)
    ConvertErrorFmt("'%d.%d' is not a valid timestamp", {ts.Date, ts.Time});
  Int64 ms = static_cast<Int64>(ts.Date - DateDelta) * MSecsPerDay;
  ms = ms >= 0 ? ms + ts.Time : ms - ts.Time;
  return static_cast<TDateTime>(ms) / MSecsPerDay;
}

Extended TimeStampToMSecs(const TTimeStamp& ts) {
  return static_cast<Extended>(ts.Date) * MSecsPerDay + ts.Time;
}

TTimeStamp MSecsToTimeStamp(Extended msecs) {
  TTimeStamp ts;
  Int64 ms = Trunc(msecs);
  ts.Date = static_cast<Integer>(ms / MSecsPerDay);
  ts.Time = static_cast<Integer>(ms % MSecsPerDay);
  return ts;
}

bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dow) {
  Integer t = DateTimeToTimeStamp(date).Date;
  if (t <= 0) {
    year = month = day = dow = 0;
    return false;
  }
  dow = static_cast<Word>(t % 7 + 1);
  --t;
  const Integer d1 = 365, d4 = d1 * 4 + 1, d100 = d4 * 25 - 1, d400 = d100 * 4 + 1;
  Integer y = 1 + 400 * (t / d400);
  t %= d400;
  Integer i = t / d100, d = t % d100;
  if (i == 4) {  // the last day of a 400-year cycle
    --i;
    d += d100;
  }
  y += i * 100;
  i = d / d4;
  d %= d4;
  y += i * 4;
  i = d / d1;
  d %= d1;
  if (i == 4) {  // the last day of a leap cycle
    --i;
    d += d1;
  }
  y += i;
  bool leap = IsLeapYear(static_cast<Word>(y));
  const TDayTable& table = MonthDays[leap];
  Integer m = 1;
  while (d >= table[m]) {
    d -= table[m];
    ++m;
  }
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  day = static_cast<Word>(d + 1);
  return leap;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  Word dow;
  DecodeDateFully(date, year, month, day, dow);
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  Integer ms = DateTimeToTimeStamp(time).Time;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  TDateTime d = EncodeDate(st.wYear, st.wMonth, st.wDay);
  TDateTime t = EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  return d >= 0 ? d + t : d - t;
}

void DateTimeToSystemTime(TDateTime dateTime, SYSTEMTIME& st) {
  Word dow;
  DecodeDateFully(dateTime, st.wYear, st.wMonth, st.wDay, dow);
  st.wDayOfWeek = static_cast<WORD>(dow ? dow - 1 : 0);
  DecodeTime(dateTime, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime Date() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

TDateTime Time() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime GetTime() { return Time(); }

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

Integer CurrentYear() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return st.wYear;
}

Word DayOfWeek(TDateTime date) { return static_cast<Word>(DateTimeToTimeStamp(date).Date % 7 + 1); }

void IncAMonth(Word& year, Word& month, Word& day, Integer numberOfMonths) {
  Integer y = year + numberOfMonths / 12;
  Integer m = month + numberOfMonths % 12;
  if (m < 1) {
    m += 12;
    --y;
  } else if (m > 12) {
    m -= 12;
    ++y;
  }
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  Word last = MonthDays[IsLeapYear(year)][month];
  if (day > last) day = last;
}

void ReplaceTime(TDateTime& target, TDateTime time) {
  TDateTime t = std::fabs(static_cast<double>(Frac(time)));
  target = static_cast<TDateTime>(Int(target));
  target = target >= 0 ? target + t : target - t;
}

void ReplaceDate(TDateTime& target, TDateTime date) {
  TDateTime d = date;
  ReplaceTime(d, target);
  target = d;
}

TDateTime IncMonth(TDateTime date, Integer numberOfMonths) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  IncAMonth(y, m, d, numberOfMonths);
  TDateTime r = EncodeDate(y, m, d);
  ReplaceTime(r, date);
  return r;
}

// ---------------------------------------------------------------------------------------
// FormatDateTime.

namespace {
struct DateParts {
  TDateTime value;
  Word year = 0, month = 0, day = 0, dow = 0;
  Word hour = 0, min = 0, sec = 0, msec = 0;
  bool haveDate = false, haveTime = false;

  explicit DateParts(TDateTime v) : value(v) {}
  void date() {
    if (!haveDate) DecodeDateFully(value, year, month, day, dow);
    haveDate = true;
  }
  void time() {
    if (!haveTime) DecodeTime(value, hour, min, sec, msec);
    haveTime = true;
  }
};

bool startsWithNoCase(const char* p, const char* word) {
  for (; *word; ++p, ++word)
    if (!*p || asciiUpper(*p) != asciiUpper(*word)) return false;
  return true;
}

void appendNumber(std::string& out, Integer value, Integer digits) {
  std::string s = std::to_string(value);
  if (static_cast<Integer>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
  out += s;
}

// Whether an am/pm specifier follows the hour at p (before any other hour), which makes the
// hour a 12-hour one. The search stops at the first 'a' outside quotes, as the class
// library's does.
bool uses12HourClock(const char* p) {
  bool quoted = false;
  for (; *p; ++p) {
    char c = *p;
    if (c == '\'' || c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == 'a' || c == 'A')) {
      return startsWithNoCase(p, "AM/PM") || startsWithNoCase(p, "A/P") || startsWithNoCase(p, "AMPM");
    } else if (!quoted && (c == 'h' || c == 'H')) {
      return false;
    }
  }
  return false;
}

void appendDateFormat(std::string& out, const char* p, DateParts& dp, const TFormatSettings& fs, int level) {
  // Formats nest ("c", "ddddd", "tt" expand the settings' formats) but never deeper than
  // two levels, so a settings format naming itself cannot loop.
  if (level > 2) return;
  char lastToken = ' ';
  while (*p) {
    const char* start = p;
    char raw = *p++;
    char token = asciiUpper(raw);
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
    }
    auto count = [&]() {
      int n = 1;
      while (*p && asciiUpper(*p) == asciiUpper(raw)) {
        ++p;
        ++n;
      }
      return n;
    };
    switch (token) {
      case 'Y': {
        int n = count();
        dp.date();
        if (n <= 2) appendNumber(out, dp.year % 100, 2);
        else appendNumber(out, dp.year, 4);
        break;
      }
      case 'G':  // era name: Gregorian calendars print none
        count();
        break;
      case 'E': {
        int n = count();
        dp.date();
        appendNumber(out, dp.year, n >= 2 ? 2 : 1);
        break;
      }
      case 'M': {
        int n = count();
        dp.date();
        if (n <= 2) appendNumber(out, dp.month, n);
        else if (n == 3) out += fs.ShortMonthNames[dp.month - 1];
        else out += fs.LongMonthNames[dp.month - 1];
        break;
      }
      case 'D': {
        int n = count();
        dp.date();
        if (n <= 2) appendNumber(out, dp.day, n);
        else if (n == 3) out += fs.ShortDayNames[dp.dow - 1];
        else if (n == 4) out += fs.LongDayNames[dp.dow - 1];
        else if (n == 5) appendDateFormat(out, fs.ShortDateFormat.c_str(), dp, fs, level + 1);
        else appendDateFormat(out, fs.LongDateFormat.c_str(), dp, fs, level + 1);
        break;
      }
      case 'H': {
        int n = count();
        dp.time();
        Integer h = dp.hour;
        if (uses12HourClock(p)) {
          if (h == 0) h = 12;
          else if (h > 12) h -= 12;
        }
        appendNumber(out, h, std::min(n, 2));
        break;
      }
      case 'N': {
        int n = count();
        dp.time();
        appendNumber(out, dp.min, std::min(n, 2));
        break;
      }
      case 'S': {
        int n = count();
        dp.time();
        appendNumber(out, dp.sec, std::min(n, 2));
        break;
      }
      case 'Z': {
        int n = count();
        dp.time();
        appendNumber(out, dp.msec, std::min(n, 3));
        break;
      }
      case 'T': {
        int n = count();
        appendDateFormat(out, (n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat).c_str(), dp, fs, level + 1);
        break;
      }
      case 'C': {
        count();
        appendDateFormat(out, fs.ShortDateFormat.c_str(), dp, fs, level + 1);
        dp.time();
        if (dp.hour != 0 || dp.min != 0 || dp.sec != 0) {
          out += ' ';
          appendDateFormat(out, fs.LongTimeFormat.c_str(), dp, fs, level + 1);
        }
        break;
      }
      case 'A': {
        dp.time();
        const bool pm = dp.hour >= 12;
        if (startsWithNoCase(start, "AM/PM")) {
          out.append(start + (pm ? 3 : 0), 2);  // as written: "am/pm" gives "am", "AM/PM" gives "AM"
          p = start + 5;
        } else if (startsWithNoCase(start, "A/P")) {
          out += start[pm ? 2 : 0];
          p = start + 3;
        } else if (startsWithNoCase(start, "AMPM")) {
          out += pm ? fs.TimePMString : fs.TimeAMString;
          p = start + 4;
        } else if (startsWithNoCase(start, "AAAA")) {
          dp.date();
          out += fs.LongDayNames[dp.dow - 1];
          p = start + 4;
        } else if (startsWithNoCase(start, "AAA")) {
          dp.date();
          out += fs.ShortDayNames[dp.dow - 1];
          p = start + 3;
        } else {
          out += raw;
        }
        break;
      }
      case '\'':
      case '"': {
        while (*p && *p != raw) out += *p++;
        if (*p) ++p;
        break;
      }
      case '/':
        if (fs.DateSeparator) out += fs.DateSeparator;
        break;
      case ':':
        if (fs.TimeSeparator) out += fs.TimeSeparator;
        break;
      default:
        out += raw;
    }
  }
}
}  // namespace

void DateTimeToString(std::string& result, const std::string& format, TDateTime dateTime,
                      const TFormatSettings& settings) {
  result.clear();
  DateParts dp(dateTime);
  appendDateFormat(result, format.empty() ? "C" : format.c_str(), dp, settings, 0);
}

void DateTimeToString(std::string& result, const std::string& format, TDateTime dateTime) {
  DateTimeToString(result, format, dateTime, FormatSettings);
}

std::string FormatDateTime(const std::string& format, TDateTime dateTime, const TFormatSettings& settings) {
  std::string r;
  DateTimeToString(r, format, dateTime, settings);
  return r;
}

std::string FormatDateTime(const std::string& format, TDateTime dateTime) {
  return FormatDateTime(format, dateTime, FormatSettings);
}

std::string DateToStr(TDateTime date, const TFormatSettings& settings) {
  return FormatDateTime("ddddd", date, settings);
}
std::string DateToStr(TDateTime date) { return DateToStr(date, FormatSettings); }
std::string TimeToStr(TDateTime time, const TFormatSettings& settings) { return FormatDateTime("tt", time, settings); }
std::string TimeToStr(TDateTime time) { return TimeToStr(time, FormatSettings); }
std::string DateTimeToStr(TDateTime dateTime, const TFormatSettings& settings) {
  return FormatDateTime("c", dateTime, settings);
}
std::string DateTimeToStr(TDateTime dateTime) { return DateTimeToStr(dateTime, FormatSettings); }

// ---------------------------------------------------------------------------------------
// Reading dates and times.

namespace {
enum DateOrder { doMDY, doDMY, doYMD };

// The order of day, month and year in a date picture: the first of those letters decides.
DateOrder dateOrderOf(const std::string& format) {
  for (char c : format) {
    switch (asciiUpper(c)) {
      case 'E':
      case 'Y': return doYMD;
      case 'M': return doMDY;
      case 'D': return doDMY;
      default: break;
    }
  }
  return doMDY;
}

class DateScanner {
public:
  DateScanner(const std::string& s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

  bool atEnd() const { return pos_ >= s_.size(); }
  void reset() { pos_ = 0; }

  void blanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  // Up to four digits (the value stops growing past 999, as the class library's scanner).
  bool number(Word& value, int& digits) {
    blanks();
    size_t i = pos_;
    Integer n = 0;
    while (i < s_.size() && isDigit(s_[i]) && n < 1000) n = n * 10 + (s_[i++] - '0');
    if (i == pos_) return false;
    digits = static_cast<int>(i - pos_);
    pos_ = i;
    value = static_cast<Word>(n);
    return true;
  }

  bool character(char c) {
    blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool word(const std::string& w) {
    if (w.empty()) return false;
    blanks();
    if (pos_ + w.size() > s_.size()) return false;
    if (AnsiStrLIComp(s_.c_str() + pos_, w.c_str(), static_cast<Cardinal>(w.size())) != 0) return false;
    pos_ += w.size();
    return true;
  }

  bool date(TDateTime& result) {
    const DateOrder order = dateOrderOf(fs_.ShortDateFormat);
    Word n1, n2, n3;
    int l1, l2, l3;
    if (!(number(n1, l1) && character(fs_.DateSeparator) && number(n2, l2))) return false;
    Integer y, m, d;
    if (character(fs_.DateSeparator)) {
      if (!number(n3, l3)) return false;
      int yearDigits;
      switch (order) {
        case doMDY: y = n3, yearDigits = l3, m = n1, d = n2; break;
        case doDMY: y = n3, yearDigits = l3, m = n2, d = n1; break;
        default: y = n1, yearDigits = l1, m = n2, d = n3; break;
      }
      if (yearDigits <= 2) {
        // A two-digit year falls in the window of TwoDigitYearCenturyWindow years before
        // the current year (the current century when the window is 0).
        Integer base = CurrentYear() - fs_.TwoDigitYearCenturyWindow;
        y += base / 100 * 100;
        if (fs_.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
      }
    } else {
      y = CurrentYear();
      if (order == doDMY) d = n1, m = n2;
      else m = n1, d = n2;
    }
    character(fs_.DateSeparator);  // a trailing separator is allowed
    blanks();
    if (y < 0 || y > 0xFFFF) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), result);
  }

  bool time(TDateTime& result) {
    Integer baseHour = -1;
    if (word(fs_.TimeAMString) || word("AM")) baseHour = 0;
    else if (word(fs_.TimePMString) || word("PM")) baseHour = 12;
    Word hour, min = 0, sec = 0, msec = 0;
    int digits;
    if (!number(hour, digits)) return false;
    if (character(fs_.TimeSeparator)) {
      if (!number(min, digits)) return false;
      if (character(fs_.TimeSeparator)) {
        if (!number(sec, digits)) return false;
        if (character(fs_.DecimalSeparator) && !number(msec, digits)) return false;
      }
    }
    if (baseHour < 0) {
      if (word(fs_.TimeAMString) || word("AM")) baseHour = 0;
      else if (word(fs_.TimePMString) || word("PM")) baseHour = 12;
    }
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour = static_cast<Word>(hour + baseHour);
    }
    blanks();
    return TryEncodeTime(hour, min, sec, msec, result);
  }

private:
  const std::string& s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};
}  // namespace

bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
  DateScanner scan(s, settings);
  TDateTime d;
  if (!scan.date(d) || !scan.atEnd()) return false;
  value = d;
  return true;
}

bool TryStrToDate(const std::string& s, TDateTime& value) { return TryStrToDate(s, value, FormatSettings); }

TDateTime StrToDate(const std::string& s, const TFormatSettings& settings) {
  return convertOrRaise<TDateTime>([&](TDateTime& v) { return TryStrToDate(s, v, settings); }, s, kInvalidDate);
}

TDateTime StrToDate(const std::string& s) { return StrToDate(s, FormatSettings); }

TDateTime StrToDateDef(const std::string& s, TDateTime def, const TFormatSettings& settings) {
  return convertOrDefault([&](TDateTime& v) { return TryStrToDate(s, v, settings); }, def);
}

TDateTime StrToDateDef(const std::string& s, TDateTime def) { return StrToDateDef(s, def, FormatSettings); }

bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
  DateScanner scan(s, settings);
  TDateTime t;
  if (!scan.time(t) || !scan.atEnd()) return false;
  value = t;
  return true;
}

bool TryStrToTime(const std::string& s, TDateTime& value) { return TryStrToTime(s, value, FormatSettings); }

TDateTime StrToTime(const std::string& s, const TFormatSettings& settings) {
  return convertOrRaise<TDateTime>([&](TDateTime& v) { return TryStrToTime(s, v, settings); }, s, kInvalidTime);
}

TDateTime StrToTime(const std::string& s) { return StrToTime(s, FormatSettings); }

TDateTime StrToTimeDef(const std::string& s, TDateTime def, const TFormatSettings& settings) {
  return convertOrDefault([&](TDateTime& v) { return TryStrToTime(s, v, settings); }, def);
}

TDateTime StrToTimeDef(const std::string& s, TDateTime def) { return StrToTimeDef(s, def, FormatSettings); }

bool TryStrToDateTime(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
  DateScanner scan(s, settings);
  TDateTime d, t = 0;
  if (scan.date(d) && (scan.atEnd() || (scan.time(t) && scan.atEnd()))) {
    value = d >= 0 ? d + t : d - t;
    return true;
  }
  return TryStrToTime(s, value, settings);  // a time alone is day 0 at that time
}

bool TryStrToDateTime(const std::string& s, TDateTime& value) { return TryStrToDateTime(s, value, FormatSettings); }

TDateTime StrToDateTime(const std::string& s, const TFormatSettings& settings) {
  return convertOrRaise<TDateTime>([&](TDateTime& v) { return TryStrToDateTime(s, v, settings); }, s, kInvalidDateTime);
}

TDateTime StrToDateTime(const std::string& s) { return StrToDateTime(s, FormatSettings); }

TDateTime StrToDateTimeDef(const std::string& s, TDateTime def, const TFormatSettings& settings) {
  return convertOrDefault([&](TDateTime& v) { return TryStrToDateTime(s, v, settings); }, def);
}

TDateTime StrToDateTimeDef(const std::string& s, TDateTime def) { return StrToDateTimeDef(s, def, FormatSettings); }

// =======================================================================================
// Files.

THandle FileOpen(const std::string& fileName, Cardinal mode) {
  static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  // fmShareCompat and fmShareExclusive both share nothing.
  static const DWORD share[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  Cardinal a = mode & 3, s = (mode & 0xF0) >> 4;
  if (a > 2 || s > 4) return InvalidHandle;
  HANDLE h = CreateFileA(fileName.c_str(), access[a], share[s], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  return reinterpret_cast<THandle>(h);
}

THandle FileCreate(const std::string& fileName) {
  HANDLE h = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<THandle>(h);
}

THandle FileCreate(const std::string& fileName, Integer) { return FileCreate(fileName); }

Integer FileRead(THandle handle, void* buffer, Cardinal count) {
  DWORD done = 0;
  if (!ReadFile(ToWin32Handle(handle), buffer, count, &done, nullptr)) return -1;
  return static_cast<Integer>(done);
}

Integer FileWrite(THandle handle, const void* buffer, Cardinal count) {
  DWORD done = 0;
  if (!WriteFile(ToWin32Handle(handle), buffer, count, &done, nullptr)) return -1;
  return static_cast<Integer>(done);
}

Int64 FileSeek(THandle handle, Int64 offset, Integer origin) {
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(ToWin32Handle(handle), distance, &position, static_cast<DWORD>(origin))) return -1;
  return position.QuadPart;
}

Integer FileSeek(THandle handle, Integer offset, Integer origin) {
  Int64 r = FileSeek(handle, static_cast<Int64>(offset), origin);
  return r > 0x7FFFFFFF ? -1 : static_cast<Integer>(r);
}

void FileClose(THandle handle) {
  if (handle != InvalidHandle && handle != 0) CloseHandle(ToWin32Handle(handle));
}

bool FileExists(const std::string& fileName) {
  DWORD a = GetFileAttributesA(fileName.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& directory) {
  DWORD a = GetFileAttributesA(directory.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& dir) {
  if (dir.empty()) throw EInOutError("Unable to create directory");
  std::string d = ExcludeTrailingPathDelimiter(dir);
  // Roots ("C:", "\\server\share", "/") and existing folders need nothing.
  if (d.size() < 3 || DirectoryExists(d) || ExtractFilePath(d) == d) return true;
  return ForceDirectories(ExtractFilePath(d)) && CreateDir(d);
}

bool CreateDir(const std::string& dir) { return CreateDirectoryA(dir.c_str(), nullptr) != 0; }
bool RemoveDir(const std::string& dir) { return RemoveDirectoryA(dir.c_str()) != 0; }
bool DeleteFile(const std::string& fileName) { return DeleteFileA(fileName.c_str()) != 0; }
bool RenameFile(const std::string& oldName, const std::string& newName) {
  return MoveFileA(oldName.c_str(), newName.c_str()) != 0;
}

Integer FileGetAttr(const std::string& fileName) {
  DWORD a = GetFileAttributesA(fileName.c_str());
  return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<Integer>(a);
}

Integer FileSetAttr(const std::string& fileName, Integer attr) {
  if (SetFileAttributesA(fileName.c_str(), static_cast<DWORD>(attr))) return 0;
  return static_cast<Integer>(GetLastError());
}

bool FileIsReadOnly(const std::string& fileName) {
  Integer a = FileGetAttr(fileName);
  return a != -1 && (a & faReadOnly);
}

bool FileSetReadOnly(const std::string& fileName, bool readOnly) {
  Integer a = FileGetAttr(fileName);
  if (a == -1) return false;
  a = readOnly ? (a | faReadOnly) : (a & ~faReadOnly);
  return FileSetAttr(fileName, a) == 0;
}

namespace {
Integer dosDateTime(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  return static_cast<Integer>((static_cast<uint32_t>(date) << 16) | time);
}

bool lastWriteTime(const std::string& fileName, FILETIME& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  time = data.ftLastWriteTime;
  return true;
}
}  // namespace

Integer FileAge(const std::string& fileName) {
  FILETIME t;
  return lastWriteTime(fileName, t) ? dosDateTime(t) : -1;
}

bool FileAge(const std::string& fileName, TDateTime& fileDateTime) {
  FILETIME t, local;
  SYSTEMTIME st;
  if (!lastWriteTime(fileName, t) || !FileTimeToLocalFileTime(&t, &local) || !FileTimeToSystemTime(&local, &st))
    return false;
  fileDateTime = SystemTimeToDateTime(st);
  return true;
}

TDateTime FileDateToDateTime(Integer fileDate) {
  uint32_t v = static_cast<uint32_t>(fileDate);
  Word date = static_cast<Word>(v >> 16), time = static_cast<Word>(v & 0xFFFF);
  return EncodeDate(static_cast<Word>((date >> 9) + 1980), (date >> 5) & 15, date & 31) +
         EncodeTime(time >> 11, (time >> 5) & 63, static_cast<Word>((time & 31) * 2), 0);
}

Integer DateTimeToFileDate(TDateTime dateTime) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(dateTime, y, m, d);
  if (y < 1980 || y > 2107) return 0;
  DecodeTime(dateTime, h, n, s, ms);
  uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (m << 5) | d);
  uint32_t time = static_cast<uint32_t>((h << 11) | (n << 5) | (s / 2));
  return static_cast<Integer>((date << 16) | time);
}

Int64 FileSize(const std::string& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<Int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// ---------------------------------------------------------------------------------------
// Paths.

namespace {
// '/' is accepted beside '\': Wine's file functions take both, and Unix-style paths reach
// the program through Wine (test fixtures, command lines).
const std::string kPathDelims = "\\/";
const std::string kPathAndDriveDelims = "\\/:";
const std::string kExtAndPathDelims = ".\\/:";

bool isPathDelimChar(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string ExtractFilePath(const std::string& fileName) {
  return Copy(fileName, 1, LastDelimiter(kPathAndDriveDelims, fileName));
}

std::string ExtractFileDir(const std::string& fileName) {
  Integer i = LastDelimiter(kPathAndDriveDelims, fileName);
  // Keep the delimiter of a root ("C:\", "\"), drop any other trailing one.
  if (i > 1 && isPathDelimChar(fileName[i - 1]) && !IsDelimiter(kPathAndDriveDelims, fileName, i - 1)) --i;
  return Copy(fileName, 1, i);
}

std::string ExtractFileName(const std::string& fileName) {
  Integer i = LastDelimiter(kPathAndDriveDelims, fileName);
  return Copy(fileName, i + 1, 0x7FFFFFFF);
}

std::string ExtractFileExt(const std::string& fileName) {
  Integer i = LastDelimiter(kExtAndPathDelims, fileName);
  if (i > 0 && fileName[i - 1] == '.') return Copy(fileName, i, 0x7FFFFFFF);
  return "";
}

std::string ExtractFileDrive(const std::string& fileName) {
  const Integer len = static_cast<Integer>(fileName.size());
  if (len >= 2 && fileName[1] == DriveDelim) return fileName.substr(0, 2);
  if (len >= 2 && isPathDelimChar(fileName[0]) && isPathDelimChar(fileName[1])) {
    // "\\server\share": up to (not including) the delimiter after the share name.
    Integer delims = 0, i = 2;
    while (i < len && delims < 2) {
      if (isPathDelimChar(fileName[i])) ++delims;
      if (delims < 2) ++i;
    }
    return fileName.substr(0, static_cast<size_t>(i));
  }
  return "";
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  Integer i = LastDelimiter(kExtAndPathDelims, fileName);
  if (i == 0 || fileName[i - 1] != '.') return fileName + extension;
  return fileName.substr(0, static_cast<size_t>(i - 1)) + extension;
}

std::string ExpandFileName(const std::string& fileName) {
  char buf[MAX_PATH * 4];
  char* namePart = nullptr;
  DWORD n = GetFullPathNameA(fileName.c_str(), sizeof(buf), buf, &namePart);
  if (n == 0 || n >= sizeof(buf)) return fileName;
  return std::string(buf, n);
}

namespace {
std::vector<std::string> splitDirs(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (isPathDelimChar(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}
}  // namespace

std::string ExtractRelativePath(const std::string& baseName, const std::string& destName) {
  const std::string baseDrive = ExtractFileDrive(baseName), destDrive = ExtractFileDrive(destName);
  if (!AnsiSameText(baseDrive, destDrive)) return destName;
  auto base = splitDirs(ExtractFilePath(baseName).substr(baseDrive.size()));
  auto dest = splitDirs(ExtractFilePath(destName).substr(destDrive.size()));
  size_t common = 0;
  while (common < base.size() && common < dest.size() && AnsiSameText(base[common], dest[common])) ++common;
  std::string r;
  for (size_t i = common; i < base.size(); ++i) r += "..\\";
  for (size_t i = common; i < dest.size(); ++i) r += dest[i] + "\\";
  return r + ExtractFileName(destName);
}

std::string IncludeTrailingPathDelimiter(const std::string& s) {
  if (!s.empty() && isPathDelimChar(s.back())) return s;
  return s + PathDelim;
}

std::string IncludeTrailingBackslash(const std::string& s) { return IncludeTrailingPathDelimiter(s); }

std::string ExcludeTrailingPathDelimiter(const std::string& s) {
  if (!s.empty() && isPathDelimChar(s.back())) return s.substr(0, s.size() - 1);
  return s;
}

std::string ExcludeTrailingBackslash(const std::string& s) { return ExcludeTrailingPathDelimiter(s); }

bool IsPathDelimiter(const std::string& s, Integer index) { return IsDelimiter(kPathDelims, s, index); }

std::string GetCurrentDir() {
  char buf[MAX_PATH * 4];
  DWORD n = GetCurrentDirectoryA(sizeof(buf), buf);
  return n && n < sizeof(buf) ? std::string(buf, n) : std::string();
}

bool SetCurrentDir(const std::string& dir) { return SetCurrentDirectoryA(dir.c_str()) != 0; }

std::string GetTempDir() {
  char buf[MAX_PATH * 4];
  DWORD n = GetTempPathA(sizeof(buf), buf);
  return IncludeTrailingPathDelimiter(n && n < sizeof(buf) ? std::string(buf, n) : std::string());
}

// ---------------------------------------------------------------------------------------
// Searching.

namespace {
// Skips entries whose attributes the search excludes; fills the public fields of the first
// entry that remains. 0 or the Win32 error of FindNextFileA.
Integer findMatchingFile(TSearchRec& f) {
  while (f.FindData.dwFileAttributes & static_cast<DWORD>(f.ExcludeAttr)) {
    if (!FindNextFileA(ToWin32Handle(f.FindHandle), &f.FindData)) return static_cast<Integer>(GetLastError());
  }
  f.Time = dosDateTime(f.FindData.ftLastWriteTime);
  f.Size = (static_cast<Int64>(f.FindData.nFileSizeHigh) << 32) | f.FindData.nFileSizeLow;
  f.Attr = static_cast<Integer>(f.FindData.dwFileAttributes);
  f.Name = f.FindData.cFileName;
  return 0;
}
}  // namespace

Integer FindFirst(const std::string& path, Integer attr, TSearchRec& f) {
  const Integer special = faHidden | faSysFile | faVolumeID | faDirectory;
  f.ExcludeAttr = ~attr & special;
  HANDLE h = FindFirstFileA(path.c_str(), &f.FindData);
  if (h == INVALID_HANDLE_VALUE) {
    f.FindHandle = InvalidHandle;
    return static_cast<Integer>(GetLastError());
  }
  f.FindHandle = reinterpret_cast<THandle>(h);
  Integer r = findMatchingFile(f);
  if (r != 0) FindClose(f);
  return r;
}

Integer FindNext(TSearchRec& f) {
  if (!FindNextFileA(ToWin32Handle(f.FindHandle), &f.FindData)) return static_cast<Integer>(GetLastError());
  return findMatchingFile(f);
}

void FindClose(TSearchRec& f) {
  if (f.FindHandle != InvalidHandle) {
    ::FindClose(ToWin32Handle(f.FindHandle));
    f.FindHandle = InvalidHandle;
  }
}

std::string GetEnvironmentVariable(const std::string& name) {
  DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (n == 0) return "";
  std::string value(n, '\0');
  n = GetEnvironmentVariableA(name.c_str(), value.data(), n);
  value.resize(n);
  return value;
}

void Beep() { MessageBeep(0); }

std::string PlaceCurrencySymbol(const std::string& Number, const std::string& Symbol, Byte Format, bool Negative) {
  const std::string& c = Symbol;
  const std::string& n = Number;
  if (!Negative) {
    switch (Format) {
      case 1: return n + c;
      case 2: return c + " " + n;
      case 3: return n + " " + c;
      default: return c + n;
    }
  }
  switch (Format) {
    case 1: return "-" + c + n;
    case 2: return c + "-" + n;
    case 3: return c + n + "-";
    case 4: return "(" + n + c + ")";
    case 5: return "-" + n + c;
    case 6: return n + "-" + c;
    case 7: return n + c + "-";
    case 8: return "-" + n + " " + c;
    case 9: return "-" + c + " " + n;
    case 10: return n + " " + c + "-";
    case 11: return c + " " + n + "-";
    case 12: return c + " -" + n;
    case 13: return n + "- " + c;
    case 14: return "(" + c + " " + n + ")";
    case 15: return "(" + n + " " + c + ")";
    default: return "(" + c + n + ")";
  }
}
