#pragma once
// SysUtils: string handling, number and date conversion and formatting, format settings,
// file and path routines, plus the small routines of the language's own unit (Pos, Copy,
// Round, Trunc ...) that callers expect beside them.
//
// Strings are std::string holding cp1252 bytes. Positions that callers see (Pos, Copy,
// Delete, Insert, LastDelimiter, IsDelimiter ...) are 1-based, 0 meaning "not found".
// Conversions that take no TFormatSettings use the global FormatSettings; each has an
// overload taking explicit settings, which is what thread-safe or locale-independent
// code should call.

#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/rtl/System.h"

class Variant;

// The Win32 headers map DeleteFile and GetEnvironmentVariable to their A/W forms; the
// class library's routines of the same names are ours (they still accept char pointers
// through std::string, so existing Win32-style calls keep working).
#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef GetEnvironmentVariable
#undef GetEnvironmentVariable
#endif

using TDate = TDateTime;
using TTime = TDateTime;

extern const std::string EmptyStr;

// ---------------------------------------------------------------------------------------
// Routines of the language's own unit.

// Position (1-based) of the first occurrence of sub in s; 0 when absent or sub is empty.
Integer Pos(const std::string& sub, const std::string& s);
Integer Pos(char c, const std::string& s);
// Count characters from index (1-based). An index below 1 counts from 1; an index past the
// end or a count <= 0 gives "", and the count is clamped to the end of s.
std::string Copy(const std::string& s, Integer index, Integer count);
// Removes count characters from index (1-based), clamped to the end; an index outside
// 1..Length(s) or a count <= 0 leaves s unchanged.
void Delete(std::string& s, Integer index, Integer count);
// Inserts source before position index (1-based); below 1 inserts at the start, past the end
// appends.
void Insert(const std::string& source, std::string& s, Integer index);
std::string StringOfChar(char c, Integer count);
void SetLength(std::string& s, Integer length);
char UpCase(char c);  // ASCII only
char Chr(Byte b);
Byte Ord(char c);
bool Odd(Int64 i);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Raises EInvalidOp for NaN, infinities and values outside Int64.
Int64 Round(Extended x);
// Toward zero; raises like Round.
Int64 Trunc(Extended x);
Extended Frac(Extended x);  // x - Int(x), sign of x
Extended Int(Extended x);   // integer part toward zero, as a float
Integer Abs(Integer x);
Int64 Abs(Int64 x);
Extended Abs(Extended x);
inline Extended Abs(double x) { return Abs(static_cast<Extended>(x)); }
Integer Sqr(Integer x);
Int64 Sqr(Int64 x);
Extended Sqr(Extended x);
inline Extended Sqr(double x) { return Sqr(static_cast<Extended>(x)); }
// Square root; EInvalidOp for a negative argument.
Extended Sqrt(Extended x);
// Natural logarithm; EZeroDivide for 0, EInvalidOp for a negative argument.
Extended Ln(Extended x);
// e^x; EOverflow when the result does not fit Extended.
Extended Exp(Extended x);
Extended Sin(Extended x);
Extended Cos(Extended x);
Extended ArcTan(Extended x);
Extended Pi();

// Command line: ParamStr(0) is the program's full file name; arguments are split as the
// original does (blanks separate, double quotes group and are removed).
Integer ParamCount();
std::string ParamStr(Integer index);

// ---------------------------------------------------------------------------------------
// Format settings.

struct TFormatSettings {
  Byte CurrencyFormat = 0;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 0;   // 0..15 as the Windows NegCurr codes
  char ThousandSeparator = ',';
  char DecimalSeparator = '.';
  Byte CurrencyDecimals = 2;
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  std::string CurrencyString = "$";
  std::string ShortDateFormat = "m/d/yyyy";
  std::string LongDateFormat = "dddd, mmmm d, yyyy";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string ShortTimeFormat = "h:mm AMPM";
  std::string LongTimeFormat = "h:mm:ss AMPM";
  // Index 0 is January / Sunday (the class library's 1-based arrays shifted by one).
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
  std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  // Two-digit years typed in dates fall within this many years before the current year
  // (0: always the current century).
  Word TwoDigitYearCenturyWindow = 50;
};

// The global settings, filled from the user's locale at start-up (SysUtilsUnit::Initialize)
// and whenever GetFormatSettings is called. The class library's global variables below are
// references into it, so `DecimalSeparator = '.'` changes FormatSettings.DecimalSeparator.
extern TFormatSettings FormatSettings;

extern Byte& CurrencyFormat;
extern Byte& NegCurrFormat;
extern char& ThousandSeparator;
extern char& DecimalSeparator;
extern Byte& CurrencyDecimals;
extern char& DateSeparator;
extern char& TimeSeparator;
extern char& ListSeparator;
extern std::string& CurrencyString;
extern std::string& ShortDateFormat;
extern std::string& LongDateFormat;
extern std::string& TimeAMString;
extern std::string& TimePMString;
extern std::string& ShortTimeFormat;
extern std::string& LongTimeFormat;
extern std::string (&ShortMonthNames)[12];
extern std::string (&LongMonthNames)[12];
extern std::string (&ShortDayNames)[7];
extern std::string (&LongDayNames)[7];
extern Word& TwoDigitYearCenturyWindow;

// Fills settings from the locale (GetLocaleInfoA); a value the locale lacks keeps what
// settings held. Month and day names come in the ANSI code page.
void GetLocaleFormatSettings(LCID locale, TFormatSettings& settings);
// Refreshes the global FormatSettings from the user's default locale.
void GetFormatSettings();

struct TSysLocale {
  LCID DefaultLCID = 0;
  Integer PriLangID = 0;
  Integer SubLangID = 0;
  bool FarEast = false;     // a multi-byte (DBCS) system
  bool MiddleEast = false;  // right-to-left support enabled
};
extern TSysLocale SysLocale;

// Operating-system version, read at start-up.
extern Integer Win32Platform;
extern Integer Win32MajorVersion;
extern Integer Win32MinorVersion;
extern Integer Win32BuildNumber;
extern std::string Win32CSDVersion;

// ---------------------------------------------------------------------------------------
// Strings.

std::string Trim(const std::string& s);       // removes chars <= ' ' at both ends
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
std::string UpperCase(const std::string& s);  // ASCII letters only
std::string LowerCase(const std::string& s);
// cp1252-aware case mapping (CharUpperBuffA / CharLowerBuffA).
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
// Ordinal comparisons: < 0, 0, > 0. CompareText folds ASCII letters only.
Integer CompareStr(const std::string& a, const std::string& b);
Integer CompareText(const std::string& a, const std::string& b);
bool SameText(const std::string& a, const std::string& b);
// Locale collation of the user's locale (CompareStringA); ...Text ignores case.
Integer AnsiCompareStr(const std::string& a, const std::string& b);
Integer AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameStr(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);
Integer AnsiPos(const std::string& sub, const std::string& s);
// Null-terminated forms (locale collation as above; L forms compare at most maxLen chars).
Integer AnsiStrComp(const char* a, const char* b);
Integer AnsiStrIComp(const char* a, const char* b);
Integer AnsiStrLComp(const char* a, const char* b, Cardinal maxLen);
Integer AnsiStrLIComp(const char* a, const char* b, Cardinal maxLen);
// Pointer to the first c in s (the terminating null counts), null when absent.
char* AnsiStrScan(const char* s, char c);
char* AnsiStrRScan(const char* s, char c);
// Pointer to the last character of s, null for "".
char* AnsiLastChar(const std::string& s);
char* AnsiStrLastChar(const char* s);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = Set<TReplaceFlag>;
// Replaces the first (or every, with rfReplaceAll) occurrence of oldPattern; rfIgnoreCase
// matches without regard to case (cp1252-aware).
std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags);

// 'it''s' quoting with the quote doubled inside.
std::string QuotedStr(const std::string& s);
std::string AnsiQuotedStr(const std::string& s, char quote);
// Reads a quoted string starting at src (which must point at quote): undoubles inner
// quotes, advances src past the closing quote (or to the end when unterminated) and returns
// the text. Returns "" and leaves src alone when *src is not quote.
std::string AnsiExtractQuotedStr(const char*& src, char quote);
// The text without its quotes when s starts with quote; otherwise (and when the quoted
// text is empty) s unchanged.
std::string AnsiDequotedStr(const std::string& s, char quote);

// A Pascal identifier: letter or '_' then letters, digits, '_'.
bool IsValidIdent(const std::string& ident);
// Makes every line break CR LF: a lone CR or LF becomes CR LF, CR LF stays (so LF CR is
// two breaks).
std::string AdjustLineBreaks(const std::string& s);
// 1-based position of the last character of s that is in delimiters; 0 when none.
Integer LastDelimiter(const std::string& delimiters, const std::string& s);
// Whether s[index] (1-based) is one of delimiters.
bool IsDelimiter(const std::string& delimiters, const std::string& s, Integer index);

enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
// The character set is single-byte (cp1252): always mbSingleByte.
TMbcsByteType ByteType(const std::string& s, Integer index);
TMbcsByteType StrByteType(const char* s, Cardinal index);

// Null-terminated strings. StrNew copies into a block freed with StrDispose (StrNew("")
// and StrNew(nullptr) give null).
char* StrNew(const char* s);
void StrDispose(char* s);
char* StrAlloc(Cardinal size);
Cardinal StrLen(const char* s);
char* StrEnd(const char* s);
std::string StrPas(const char* s);
char* StrCopy(char* dest, const char* source);
char* StrLCopy(char* dest, const char* source, Cardinal maxLen);  // copies at most maxLen chars + null
char* StrPCopy(char* dest, const std::string& source);
char* StrPLCopy(char* dest, const std::string& source, Cardinal maxLen);
char* StrCat(char* dest, const char* source);
Integer StrComp(const char* a, const char* b);                    // ordinal
Integer StrIComp(const char* a, const char* b);                   // ASCII case folded
Integer StrLComp(const char* a, const char* b, Cardinal maxLen);
Integer StrLIComp(const char* a, const char* b, Cardinal maxLen);
char* StrScan(const char* s, char c);
char* StrRScan(const char* s, char c);
char* StrPos(const char* s, const char* sub);
char* StrUpper(char* s);  // ASCII, in place
char* StrLower(char* s);

// ---------------------------------------------------------------------------------------
// Integers and booleans.

std::string IntToStr(Integer value);
std::string IntToStr(Int64 value);
// Other integer types (Cardinal, size_t ...) go through Int64.
template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, Integer> &&
                                        !std::is_same_v<T, Int64> && !std::is_same_v<T, bool>,
                                    int> = 0>
std::string IntToStr(T value) {
  return IntToStr(static_cast<Int64>(value));
}
// Upper-case hex with at least digits digits (negative Integers as 32-bit two's complement).
std::string IntToHex(Integer value, Integer digits);
std::string IntToHex(Int64 value, Integer digits);
template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, Integer> &&
                                        !std::is_same_v<T, Int64> && !std::is_same_v<T, bool>,
                                    int> = 0>
std::string IntToHex(T value, Integer digits) {
  if constexpr (std::is_signed_v<T> && sizeof(T) <= sizeof(Integer))
    return IntToHex(static_cast<Integer>(value), digits);
  else
    return IntToHex(static_cast<Int64>(value), digits);
}
// Decimal with optional sign, or hex with a leading '$', "0x" or "0X" (after the sign);
// leading and trailing blanks are allowed. EConvertError "'abc' is not a valid integer
// value" otherwise, also for values out of range.
Integer StrToInt(const std::string& s);
Integer StrToIntDef(const std::string& s, Integer def);
bool TryStrToInt(const std::string& s, Integer& value);
Int64 StrToInt64(const std::string& s);
Int64 StrToInt64Def(const std::string& s, Int64 def);
bool TryStrToInt64(const std::string& s, Int64& value);

// Words used by BoolToStr(b, true) (element 0) and accepted by StrToBool; when empty they
// default to "True" / "False".
extern std::vector<std::string> TrueBoolStrs;
extern std::vector<std::string> FalseBoolStrs;
// "-1"/"0", or TrueBoolStrs[0]/FalseBoolStrs[0] with useBoolStrs.
std::string BoolToStr(bool b, bool useBoolStrs = false);
// Accepts the bool words (without regard to case) and numbers (0 false, other true).
bool StrToBool(const std::string& s);
bool StrToBoolDef(const std::string& s, bool def);
bool TryStrToBool(const std::string& s, bool& value);

// ---------------------------------------------------------------------------------------
// Floating point text.

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
enum TFloatValue { fvExtended, fvCurrency };

// A value in decimal: Digits holds up to 20 significant digits, null-terminated, without
// trailing zeros; the value is 0.Digits x 10^Exponent. Exponent 0x7FFF marks an infinity
// and 0x8000 a NaN (Digits then "INF" / "NAN"). Zero has empty Digits.
struct TFloatRec {
  SmallInt Exponent = 0;
  bool Negative = false;
  char Digits[21] = {};
};
// value points at an Extended (fvExtended) or a Currency (fvCurrency). The value is rounded
// to precision significant digits and to decimals digits after the point (decimals >= 9999:
// no limit), halves away from zero.
void FloatToDecimal(TFloatRec& result, const void* value, TFloatValue valueType, Integer precision,
                    Integer decimals);

// General format, 15 significant digits: 0.1 -> "0.1", 1e15 -> "1E15", 1e-5 -> "1E-5".
std::string FloatToStr(Extended value);
std::string FloatToStr(Extended value, const TFormatSettings& settings);
// precision: significant digits (1..18); digits: decimals for ffFixed/ffNumber/ffCurrency,
// minimum exponent digits (0..4) for ffGeneral/ffExponent.
std::string FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits);
std::string FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                        const TFormatSettings& settings);
// Writes the text into buffer (no terminating null) and returns its length; buffer must
// hold 64 characters plus the length of the settings' CurrencyString.
Integer FloatToText(char* buffer, const void* value, TFloatValue valueType, TFloatFormat format, Integer precision,
                    Integer digits);
Integer FloatToText(char* buffer, const void* value, TFloatValue valueType, TFloatFormat format, Integer precision,
                    Integer digits, const TFormatSettings& settings);
// Picture formats: up to three sections "positive;negative;zero" made of '0' and '#' digit
// placeholders, '.' decimal point, ',' thousand separator, "E+0"/"E-0" scientific, and
// '...' or "..." literal text. "" gives the general format.
std::string FormatFloat(const std::string& format, Extended value);
std::string FormatFloat(const std::string& format, Extended value, const TFormatSettings& settings);
std::string FormatCurr(const std::string& format, Currency value);
// Number with the currency symbol placed as the locale's currency formats say: positive
// formats 0..3 ("$1", "1$", "$ 1", "1 $"), negative formats 0..15 (the Windows NegCurr codes);
// an unknown format places it as format 0.
std::string PlaceCurrencySymbol(const std::string& Number, const std::string& Symbol, Byte Format, bool Negative);
std::string FormatCurr(const std::string& format, Currency value, const TFormatSettings& settings);

// Parsing: optional blanks, sign, digits with the settings' DecimalSeparator, optional
// exponent (E or e, sign, digits), optional blanks. Thousand separators are rejected.
// EConvertError "'x' is not a valid floating point value".
Extended StrToFloat(const std::string& s);
Extended StrToFloat(const std::string& s, const TFormatSettings& settings);
Extended StrToFloatDef(const std::string& s, Extended def);
Extended StrToFloatDef(const std::string& s, Extended def, const TFormatSettings& settings);
bool TryStrToFloat(const std::string& s, Extended& value);
bool TryStrToFloat(const std::string& s, Extended& value, const TFormatSettings& settings);
bool TryStrToFloat(const std::string& s, double& value);
bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& settings);
// value points at an Extended (fvExtended) or a Currency (fvCurrency); false when the text
// is not a number (value untouched) or does not fit Currency.
bool TextToFloat(const char* text, void* value, TFloatValue valueType);
bool TextToFloat(const char* text, void* value, TFloatValue valueType, const TFormatSettings& settings);
bool TextToFloat(const char* text, Extended& value, TFloatValue valueType = fvExtended);
bool TextToFloat(const char* text, Extended& value, TFloatValue valueType, const TFormatSettings& settings);

// Currency text: CurrToStr is the general format; CurrToStrF as FloatToStrF with
// Currency's exact digits.
std::string CurrToStr(Currency value);
std::string CurrToStr(Currency value, const TFormatSettings& settings);
std::string CurrToStrF(Currency value, TFloatFormat format, Integer digits);
std::string CurrToStrF(Currency value, TFloatFormat format, Integer digits, const TFormatSettings& settings);
Currency StrToCurr(const std::string& s);
Currency StrToCurr(const std::string& s, const TFormatSettings& settings);
Currency StrToCurrDef(const std::string& s, Currency def);
Currency StrToCurrDef(const std::string& s, Currency def, const TFormatSettings& settings);
bool TryStrToCurr(const std::string& s, Currency& value);
bool TryStrToCurr(const std::string& s, Currency& value, const TFormatSettings& settings);
// Rounds to 4 decimals, halves to even; EConvertError "'x' is not a valid currency value"
// (x in general format) when out of range or NaN.
Currency FloatToCurr(Extended value);
bool TryFloatToCurr(Extended value, Currency& result);

// ---------------------------------------------------------------------------------------
// Format.

// One argument of Format: a small tagged value. Constructed implicitly from the usual C++
// types; the convenience Format(fmt, a, b, ...) packs its arguments into these.
//
// A Variant argument: TVarRec(const Variant&) calls MakeVarRec, which the Variants unit
// defines (so this header does not need Variants.h). MakeVarRec returns one of the
// VariantArg records below: VType vtVariant, the variant's text (as VarToStr gives it) in
// VAnsiString, and for numeric, date and boolean variants its number (VInt64 for integer
// and boolean kinds, VExtended otherwise). Format converts such an argument to whatever its
// specifier asks for, as a variant converts: %s takes the text, %d the integer (or the
// text read as an integer), %f/%e/%g/%n/%m the number (or the text read as a float).
struct TVarRec {
  enum : Byte {
    vtInteger = 0, vtBoolean = 1, vtChar = 2, vtExtended = 3, vtString = 4, vtPointer = 5, vtPChar = 6,
    vtObject = 7, vtClass = 8, vtWideChar = 9, vtPWideChar = 10, vtAnsiString = 11, vtCurrency = 12,
    vtVariant = 13, vtInterface = 14, vtWideString = 15, vtInt64 = 16
  };
  // What a vtVariant record carries besides its text.
  enum TVariantNumber : Byte { vnNone, vnIntegral, vnFloat };

  Byte VType = vtInteger;
  union {
    Integer VInteger;
    bool VBoolean;
    char VChar;
    Extended VExtended;
    const void* VPointer;
    TObject* VObject;
    TClass VClass;
    Int64 VInt64;
    Int64 VCurrencyScaled;  // Currency's scaled value
  };
  std::string VAnsiString;  // vtAnsiString, vtPChar (copied) and vtVariant text
  TVariantNumber VVariantNumber = vnNone;

  TVarRec() : VInt64(0) {}
  TVarRec(int v) : VInt64(0) { VInteger = v; }
  TVarRec(short v) : TVarRec(static_cast<int>(v)) {}
  TVarRec(signed char v) : TVarRec(static_cast<int>(v)) {}
  TVarRec(unsigned char v) : TVarRec(static_cast<int>(v)) {}
  TVarRec(unsigned short v) : TVarRec(static_cast<int>(v)) {}
  TVarRec(unsigned int v) : VType(vtInt64), VInt64(v) {}
  TVarRec(long v) : VType(vtInt64), VInt64(v) {}
  TVarRec(long long v) : VType(vtInt64), VInt64(v) {}
  TVarRec(unsigned long v) : VType(vtInt64), VInt64(static_cast<Int64>(v)) {}
  TVarRec(unsigned long long v) : VType(vtInt64), VInt64(static_cast<Int64>(v)) {}
  TVarRec(bool v) : VType(vtBoolean), VInt64(0) { VBoolean = v; }
  TVarRec(char v) : VType(vtChar), VInt64(0) { VChar = v; }
  TVarRec(float v) : VType(vtExtended), VExtended(v) {}
  TVarRec(double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(long double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(Currency v) : VType(vtCurrency), VCurrencyScaled(v.Value) {}
  TVarRec(const std::string& v) : VType(vtAnsiString), VInt64(0), VAnsiString(v) {}
  TVarRec(const char* v) : VType(vtPChar), VInt64(0), VAnsiString(v ? v : "") {}
  TVarRec(char* v) : TVarRec(static_cast<const char*>(v)) {}
  TVarRec(const void* v) : VType(vtPointer), VPointer(v) {}
  TVarRec(std::nullptr_t) : VType(vtPointer), VPointer(nullptr) {}
  TVarRec(TClass v) : VType(vtClass), VClass(v) {}
  template <class T, class = std::enable_if_t<std::is_base_of_v<TObject, T>>>
  TVarRec(T* v) : VType(vtObject), VObject(v) {}
  TVarRec(const Variant& v);  // inline below: calls MakeVarRec

  TVarRec(const TVarRec& o) : VType(o.VType), VInt64(0), VAnsiString(o.VAnsiString), VVariantNumber(o.VVariantNumber) {
    copyPayload(o);
  }
  TVarRec& operator=(const TVarRec& o) {
    VType = o.VType;
    VAnsiString = o.VAnsiString;
    VVariantNumber = o.VVariantNumber;
    copyPayload(o);
    return *this;
  }

  Currency VCurrency() const { return Currency::FromScaled(VCurrencyScaled); }

  // The records MakeVarRec builds for a variant (see above).
  static TVarRec VariantArg(std::string text);                  // strings, Null, Empty
  static TVarRec VariantArg(std::string text, Int64 integral);  // integer kinds, Boolean
  static TVarRec VariantArg(std::string text, Extended number); // float, currency, date

private:
  void copyPayload(const TVarRec& o) {
    if (o.VType == vtExtended || (o.VType == vtVariant && o.VVariantNumber == vnFloat)) VExtended = o.VExtended;
    else VInt64 = o.VInt64;  // every other member lives in the first 8 bytes
  }
};

// Defined by the Variants unit: the Format argument for a variant (see TVarRec).
TVarRec MakeVarRec(const Variant& v);
inline TVarRec::TVarRec(const Variant& v) : TVarRec(MakeVarRec(v)) {}

// "%" [index ":"] ["-"] [width] ["." precision] type, where index, width and precision are
// digits or '*' (taken from the next argument); types d u x e f g n m p s (either case),
// "%%" gives '%'. Raises EConvertError "Format '<fmt>' invalid or incompatible with
// argument" for a bad specifier, a missing argument or an argument of the wrong kind.
std::string Format(const std::string& format, const std::vector<TVarRec>& args);
std::string Format(const std::string& format, const std::vector<TVarRec>& args, const TFormatSettings& settings);
template <class... A> std::string Format(const std::string& format, const A&... args) {
  return Format(format, std::vector<TVarRec>{TVarRec(args)...});
}
void FmtStr(std::string& result, const std::string& format, const std::vector<TVarRec>& args);

// ---------------------------------------------------------------------------------------
// Dates and times. TDateTime counts days since 1899-12-30; the fraction is the time of day.
// For negative values the fraction still counts forward from midnight: -1.25 is 1899-12-29
// 06:00.

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerDay = HoursPerDay * 60;
constexpr Integer SecsPerDay = MinsPerDay * 60;
constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Days between 0001-01-01 (day 1 of TTimeStamp.Date) and 1899-12-30.
constexpr Integer DateDelta = 693594;
// Days between 1899-12-30 and 1970-01-01.
constexpr Integer UnixDateDelta = 25569;
constexpr TDateTime MinDateTime = -657434.0;      // 0100-01-01
constexpr TDateTime MaxDateTime = 2958465.99999;  // 9999-12-31 23:59:59.999

struct TTimeStamp {
  Integer Time = 0;  // milliseconds since midnight
  Integer Date = 0;  // days since 0000-12-31 (0001-01-01 is 1)
};

// Days of each month (1-based): MonthDays[IsLeapYear(y)][m].
struct TDayTable {
  Word Days[12];
  constexpr Word operator[](Integer month) const { return Days[month - 1]; }
};
extern const TDayTable MonthDays[2];

bool IsLeapYear(Word year);
// Years 1..9999. EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
// DecodeDateFully also returns the day of week (1 = Sunday) and whether the year is leap.
bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dow);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
TDateTime Date();  // today at midnight
TDateTime Time();  // now, time part only
TDateTime Now();
TDateTime GetTime();
// 1 = Sunday .. 7 = Saturday.
Word DayOfWeek(TDateTime date);
// Adds months, keeping the day unless the target month is shorter (then its last day);
// the time of day is kept.
TDateTime IncMonth(TDateTime date, Integer numberOfMonths = 1);
void IncAMonth(Word& year, Word& month, Word& day, Integer numberOfMonths = 1);
// Replace the time (or date) part of target, keeping the other part.
void ReplaceTime(TDateTime& target, TDateTime time);
void ReplaceDate(TDateTime& target, TDateTime date);
Integer CurrentYear();

TTimeStamp DateTimeToTimeStamp(TDateTime dateTime);
TDateTime TimeStampToDateTime(const TTimeStamp& timeStamp);
Extended TimeStampToMSecs(const TTimeStamp& timeStamp);
TTimeStamp MSecsToTimeStamp(Extended msecs);
void DateTimeToSystemTime(TDateTime dateTime, SYSTEMTIME& systemTime);
TDateTime SystemTimeToDateTime(const SYSTEMTIME& systemTime);

// Format letters (case-insensitive unless noted): c, d dd ddd dddd ddddd dddddd, e ee g gg
// (year of era / era, the plain year here), m mm mmm mmmm (minutes right after an h),
// y yy yyyy, h hh, n nn, s ss, z zzz, t tt, am/pm a/p (case as written), ampm, '/', ':',
// '...' and "..." literals. h is 12-hour when an am/pm specifier follows it. "" is "c".
std::string FormatDateTime(const std::string& format, TDateTime dateTime);
std::string FormatDateTime(const std::string& format, TDateTime dateTime, const TFormatSettings& settings);
void DateTimeToString(std::string& result, const std::string& format, TDateTime dateTime);
void DateTimeToString(std::string& result, const std::string& format, TDateTime dateTime,
                      const TFormatSettings& settings);
std::string DateToStr(TDateTime date);  // ShortDateFormat
std::string DateToStr(TDateTime date, const TFormatSettings& settings);
std::string TimeToStr(TDateTime time);  // LongTimeFormat
std::string TimeToStr(TDateTime time, const TFormatSettings& settings);
std::string DateTimeToStr(TDateTime dateTime);  // "c": no time when it is midnight
std::string DateTimeToStr(TDateTime dateTime, const TFormatSettings& settings);

// Dates are numbers separated by DateSeparator in the order of ShortDateFormat (two numbers:
// the current year; two-digit years through TwoDigitYearCenturyWindow). Times are
// h[:n[:s[.z]]] with TimeSeparator and optional AM/PM (or TimeAMString/TimePMString).
// EConvertError "'x' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const std::string& s);
TDateTime StrToDate(const std::string& s, const TFormatSettings& settings);
TDateTime StrToDateDef(const std::string& s, TDateTime def);
TDateTime StrToDateDef(const std::string& s, TDateTime def, const TFormatSettings& settings);
bool TryStrToDate(const std::string& s, TDateTime& value);
bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& settings);
TDateTime StrToTime(const std::string& s);
TDateTime StrToTime(const std::string& s, const TFormatSettings& settings);
TDateTime StrToTimeDef(const std::string& s, TDateTime def);
TDateTime StrToTimeDef(const std::string& s, TDateTime def, const TFormatSettings& settings);
bool TryStrToTime(const std::string& s, TDateTime& value);
bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& settings);
// A date, a date and a time, or a time alone (day 0).
TDateTime StrToDateTime(const std::string& s);
TDateTime StrToDateTime(const std::string& s, const TFormatSettings& settings);
TDateTime StrToDateTimeDef(const std::string& s, TDateTime def);
TDateTime StrToDateTimeDef(const std::string& s, TDateTime def, const TFormatSettings& settings);
bool TryStrToDateTime(const std::string& s, TDateTime& value);
bool TryStrToDateTime(const std::string& s, TDateTime& value, const TFormatSettings& settings);

// ---------------------------------------------------------------------------------------
// Files and paths. Paths are Windows paths as Wine sees them ('\' delimiter, drive letters;
// Wine maps Z: to the Unix root). The path splitters also accept '/' as a delimiter, since
// Wine's file functions do and Unix-style paths reach the program through Wine.

// A file handle: a Win32 HANDLE kept in a pointer-sized integer. FileOpen and FileCreate
// return INVALID_HANDLE_VALUE (as THandle, see InvalidHandle) on failure.
using THandle = NativeUInt;
const THandle InvalidHandle = static_cast<THandle>(-1);
inline HANDLE ToWin32Handle(THandle h) { return reinterpret_cast<HANDLE>(h); }

constexpr Cardinal fmOpenRead = 0x0000;
constexpr Cardinal fmOpenWrite = 0x0001;
constexpr Cardinal fmOpenReadWrite = 0x0002;
constexpr Cardinal fmShareCompat = 0x0000;
constexpr Cardinal fmShareExclusive = 0x0010;
constexpr Cardinal fmShareDenyWrite = 0x0020;
constexpr Cardinal fmShareDenyRead = 0x0030;
constexpr Cardinal fmShareDenyNone = 0x0040;

constexpr Integer faReadOnly = 0x01;
constexpr Integer faHidden = 0x02;
constexpr Integer faSysFile = 0x04;
constexpr Integer faVolumeID = 0x08;
constexpr Integer faDirectory = 0x10;
constexpr Integer faArchive = 0x20;
constexpr Integer faSymLink = 0x40;
constexpr Integer faAnyFile = 0x3F;

// Open with an fmOpen* access mode or'ed with an fmShare* mode.
THandle FileOpen(const std::string& fileName, Cardinal mode);
// Creates (or truncates) for reading and writing, exclusive access.
THandle FileCreate(const std::string& fileName);
THandle FileCreate(const std::string& fileName, Integer rights);
// Bytes read/written, -1 on error.
Integer FileRead(THandle handle, void* buffer, Cardinal count);
Integer FileWrite(THandle handle, const void* buffer, Cardinal count);
// origin 0 from the start, 1 from the current position, 2 from the end; the new position
// or -1 on error.
Integer FileSeek(THandle handle, Integer offset, Integer origin);
Int64 FileSeek(THandle handle, Int64 offset, Integer origin);
void FileClose(THandle handle);

bool FileExists(const std::string& fileName);  // a file, not a directory
bool DirectoryExists(const std::string& directory);
// Creates dir and every missing parent; EInOutError "Unable to create directory" for "".
bool ForceDirectories(const std::string& dir);
bool CreateDir(const std::string& dir);
bool RemoveDir(const std::string& dir);
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& oldName, const std::string& newName);
// Attributes (fa*) or -1 when the file does not exist.
Integer FileGetAttr(const std::string& fileName);
// 0 on success, else the Win32 error code.
Integer FileSetAttr(const std::string& fileName, Integer attr);
bool FileIsReadOnly(const std::string& fileName);
bool FileSetReadOnly(const std::string& fileName, bool readOnly);
// Last write time as a DOS date-time (local time), -1 when the file does not exist.
Integer FileAge(const std::string& fileName);
bool FileAge(const std::string& fileName, TDateTime& fileDateTime);
TDateTime FileDateToDateTime(Integer fileDate);
Integer DateTimeToFileDate(TDateTime dateTime);
// Size in bytes, -1 when the file does not exist.
Int64 FileSize(const std::string& fileName);

constexpr char PathDelim = '\\';
constexpr char DriveDelim = ':';
constexpr char PathSep = ';';

std::string ExtractFilePath(const std::string& fileName);  // up to and including the last delimiter
std::string ExtractFileDir(const std::string& fileName);   // without the trailing delimiter (except roots)
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName);   // ".ext", "" when none
std::string ExtractFileDrive(const std::string& fileName); // "C:" or "\\server\share", "" when none
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string ExpandFileName(const std::string& fileName);
// destName relative to the directory of baseName (which ends with a delimiter when it is a
// directory); destName unchanged when they are on different drives.
std::string ExtractRelativePath(const std::string& baseName, const std::string& destName);
std::string IncludeTrailingPathDelimiter(const std::string& s);
std::string IncludeTrailingBackslash(const std::string& s);
std::string ExcludeTrailingPathDelimiter(const std::string& s);
std::string ExcludeTrailingBackslash(const std::string& s);
bool IsPathDelimiter(const std::string& s, Integer index);  // index 1-based
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);
// Temporary files folder, with a trailing delimiter.
std::string GetTempDir();

struct TSearchRec {
  Integer Time = 0;  // DOS date-time of the last write
  Int64 Size = 0;
  Integer Attr = 0;
  std::string Name;
  Integer ExcludeAttr = 0;
  THandle FindHandle = InvalidHandle;
  WIN32_FIND_DATAA FindData = {};
};
// Finds the first entry matching path (wildcards allowed) whose attributes are allowed by
// attr: hidden, system and directory entries appear only when attr includes them. Returns 0
// on success, else a Win32 error code (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES ...);
// call FindClose after a successful FindFirst.
Integer FindFirst(const std::string& path, Integer attr, TSearchRec& f);
Integer FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);

// Value of an environment variable, "" when not set.
std::string GetEnvironmentVariable(const std::string& name);
// The system's warning sound.
void Beep();

// ---------------------------------------------------------------------------------------
// Exceptions.

// Raises EConvertError with the message.
[[noreturn]] void ConvertError(const std::string& message);
// Raises EConvertError with Format(format, args).
[[noreturn]] void ConvertErrorFmt(const std::string& format, const std::vector<TVarRec>& args);

// Unit start: reads the format settings, locale and OS version.
namespace SysUtilsUnit {
void Initialize();
void Finalize();
}  // namespace SysUtilsUnit
