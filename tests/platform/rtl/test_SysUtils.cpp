// SysUtils: strings, integer/float/currency text, Format, format settings, dates, paths and
// files. Every test sets the format settings it relies on, so nothing depends on the
// machine's locale.
#include <cmath>
#include <limits>

#include "RtlTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/SysUtils.h"

namespace {

// United States conventions: '.' decimals, ',' thousands, m/d/yyyy, 12-hour times.
TFormatSettings usSettings() { return TFormatSettings{}; }

// Brazilian conventions as Wine's pt-BR locale gives them.
TFormatSettings brSettings() {
  TFormatSettings s;
  s.DecimalSeparator = ',';
  s.ThousandSeparator = '.';
  s.CurrencyString = "R$";
  s.CurrencyFormat = 2;
  s.NegCurrFormat = 9;
  s.ShortDateFormat = "dd/mm/yyyy";
  s.LongTimeFormat = "hh:mm:ss";
  s.ShortTimeFormat = "hh:mm";
  return s;
}

// Keeps the global settings and bool words of one test from leaking into the next.
class SysUtilsGlobals : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = FormatSettings;
    savedTrue_ = TrueBoolStrs;
    savedFalse_ = FalseBoolStrs;
    FormatSettings = usSettings();
  }
  void TearDown() override {
    FormatSettings = saved_;
    TrueBoolStrs = savedTrue_;
    FalseBoolStrs = savedFalse_;
  }

private:
  TFormatSettings saved_;
  std::vector<std::string> savedTrue_, savedFalse_;
};

TDateTime at(Word y, Word m, Word d, Word h = 0, Word n = 0, Word s = 0, Word ms = 0) {
  return EncodeDate(y, m, d) + EncodeTime(h, n, s, ms);
}

std::string ymd(TDateTime v) { return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", v); }

}  // namespace

// =======================================================================================
// Routines of the language's own unit.

TEST(SysUtilsSystem, PosFindsOneBasedPositionOrZero) {
  struct Case { const char* sub; const char* s; Integer expected; } cases[] = {
      {"lo", "hello", 4}, {"h", "hello", 1}, {"hello", "hello", 1}, {"x", "hello", 0}, {"", "hello", 0},
      {"hello!", "hello", 0}};
  for (const auto& c : cases) EXPECT_EQ(Pos(c.sub, c.s), c.expected) << "Pos('" << c.sub << "', '" << c.s << "')";
}

TEST(SysUtilsSystem, CopyClampsIndexAndCount) {
  struct Case { Integer index, count; const char* expected; } cases[] = {
      {2, 3, "bcd"}, {1, 6, "abcdef"}, {0, 2, "ab"}, {-5, 2, "ab"}, {5, 10, "ef"},
      {6, 1, "f"}, {7, 1, ""}, {2, 0, ""}, {2, -1, ""}};
  for (const auto& c : cases)
    EXPECT_EQ(Copy("abcdef", c.index, c.count), c.expected) << "Copy(abcdef, " << c.index << ", " << c.count << ")";
}

TEST(SysUtilsSystem, DeleteRemovesOnlyInsideTheString) {
  struct Case { Integer index, count; const char* expected; } cases[] = {
      {2, 3, "aef"}, {1, 1, "bcdef"}, {5, 10, "abcd"}, {0, 2, "abcdef"}, {7, 1, "abcdef"}, {3, 0, "abcdef"}};
  for (const auto& c : cases) {
    std::string s = "abcdef";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << "Delete(abcdef, " << c.index << ", " << c.count << ")";
  }
}

TEST(SysUtilsSystem, InsertClampsToTheEnds) {
  struct Case { Integer index; const char* expected; } cases[] = {
      {2, "aXYbc"}, {1, "XYabc"}, {0, "XYabc"}, {4, "abcXY"}, {99, "abcXY"}};
  for (const auto& c : cases) {
    std::string s = "abc";
    Insert("XY", s, c.index);
    EXPECT_EQ(s, c.expected) << "Insert at " << c.index;
  }
}

TEST(SysUtilsSystem, RoundTakesHalvesToEven) {
  struct Case { Extended x; Int64 expected; } cases[] = {
      {0.5L, 0},   {1.5L, 2},        {2.5L, 2},   {3.5L, 4},         {-0.5L, 0},
      {-1.5L, -2}, {-2.5L, -2},      {2.49L, 2},  {2.500001L, 3},    {-2.7L, -3},
      {1e18L, 1000000000000000000}, {4503599627370496.5L, 4503599627370496}};
  for (const auto& c : cases) EXPECT_EQ(Round(c.x), c.expected) << "Round(" << static_cast<double>(c.x) << ")";
}

TEST(SysUtilsSystem, RoundAndTruncRaiseOutsideInt64) {
  const Extended bad[] = {std::numeric_limits<Extended>::quiet_NaN(), std::numeric_limits<Extended>::infinity(),
                          1e19L, -1e19L, 9223372036854775808.0L};
  for (Extended x : bad) {
    EXPECT_EQ(messageOf<EInvalidOp>([&] { Round(x); }), "Invalid floating point operation") << static_cast<double>(x);
    EXPECT_EQ(messageOf<EInvalidOp>([&] { Trunc(x); }), "Invalid floating point operation") << static_cast<double>(x);
  }
  EXPECT_EQ(Trunc(-9223372036854775808.0L), std::numeric_limits<Int64>::min());
}

TEST(SysUtilsSystem, TruncIntAndFracSplitTowardZero) {
  EXPECT_EQ(Trunc(-2.75L), -2);
  EXPECT_EQ(Trunc(2.75L), 2);
  EXPECT_EQ(Int(-2.75L), -2.0L);
  EXPECT_EQ(Frac(-2.75L), -0.75L);
  EXPECT_EQ(Frac(2.75L), 0.75L);
}

TEST(SysUtilsSystem, FloatRoutinesRaiseLikeTheFpu) {
  EXPECT_EQ(Sqrt(16.0L), 4.0L);
  EXPECT_EQ(messageOf<EInvalidOp>([] { Sqrt(-1.0L); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EZeroDivide>([] { Ln(0.0L); }), "Floating point division by zero");
  EXPECT_EQ(messageOf<EInvalidOp>([] { Ln(-1.0L); }), "Invalid floating point operation");
  EXPECT_EQ(messageOf<EOverflow>([] { Exp(100000.0L); }), "Floating point overflow");
  EXPECT_NEAR(static_cast<double>(Exp(1.0L)), 2.718281828459045, 1e-15);
}

TEST(SysUtilsSystem, ParamStrZeroIsTheProgram) {
  EXPECT_TRUE(SameText(ExtractFileName(ParamStr(0)), "test_rtl.exe")) << "ParamStr(0) = " << ParamStr(0);
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
  EXPECT_EQ(ParamStr(-1), "");
}

// =======================================================================================
// Strings.

TEST(SysUtilsStrings, TrimRemovesControlCharsAndBlanks) {
  const std::string s = " \t\r\n a b \x01\n";
  EXPECT_EQ(Trim(s), "a b");
  EXPECT_EQ(TrimLeft(s), "a b \x01\n");
  EXPECT_EQ(TrimRight(s), " \t\r\n a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(SysUtilsStrings, PlainCaseMappingIsAsciiOnlyAnsiFoldsCp1252) {
  // The literals below are cp1252 bytes (the sources are compiled with that charset).
  EXPECT_EQ(UpperCase("ação x"), "AçãO X");
  EXPECT_EQ(LowerCase("AÇÃO X"), "aÇÃo x");
  EXPECT_EQ(AnsiUpperCase("ação x"), "AÇÃO X");
  EXPECT_EQ(AnsiLowerCase("AÇÃO X"), "ação x");
}

TEST(SysUtilsStrings, ComparisonsOrdinalAndByLocale) {
  EXPECT_LT(CompareStr("abc", "abd"), 0);
  EXPECT_GT(CompareStr("abc", "ABC"), 0);  // ordinal: lower case sorts after upper
  EXPECT_LT(CompareStr("ab", "abc"), 0);
  EXPECT_EQ(CompareText("HeLLo", "hello"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("ação", "AÇÃO")) << "SameText folds ASCII only";
  EXPECT_TRUE(AnsiSameText("ação", "AÇÃO"));
  EXPECT_FALSE(AnsiSameStr("ação", "AÇÃO"));
  EXPECT_GT(AnsiCompareText("b", "A"), 0);
  EXPECT_LT(AnsiCompareStr("a", "b"), 0);
  EXPECT_EQ(AnsiStrIComp("ÉTÉ", "été"), 0);
  EXPECT_EQ(AnsiStrLIComp("abcX", "ABCy", 3), 0);
  EXPECT_NE(AnsiStrLIComp("abcX", "ABCy", 4), 0);
  EXPECT_EQ(StrIComp("abc", "ABC"), 0);
  EXPECT_LT(StrComp("ABC", "abc"), 0);
  EXPECT_EQ(StrLComp("abcd", "abce", 3), 0);
}

TEST(SysUtilsStrings, StringReplaceHonoursFlags) {
  struct Case { const char* s; const char* from; const char* to; TReplaceFlags flags; const char* expected; } cases[] = {
      {"aXbXc", "X", "-", {}, "a-bXc"},
      {"aXbXc", "X", "-", {rfReplaceAll}, "a-b-c"},
      {"aXbxc", "x", "--", {rfReplaceAll}, "aXb--c"},
      {"aXbxc", "x", "--", {rfReplaceAll, rfIgnoreCase}, "a--b--c"},
      {"AÇÃO ação", "ção", "z", {rfReplaceAll, rfIgnoreCase}, "Az az"},
      {"AÇÃO ação", "ção", "z", {rfReplaceAll}, "AÇÃO az"},
      {"aaa", "aa", "b", {rfReplaceAll}, "ba"},
      {"abc", "", "x", {rfReplaceAll}, "abc"},
      {"abc", "abc", "", {}, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected) << c.s << " / " << c.from << " -> " << c.to;
}

TEST(SysUtilsStrings, QuotingDoublesAndUndoublesTheQuote) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");

  const char* text = "'it''s' rest";
  const char* p = text;
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "it's");
  EXPECT_STREQ(p, " rest") << "the pointer moves past the closing quote";

  const char* unterminated = "'abc";
  p = unterminated;
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "abc");
  EXPECT_EQ(*p, '\0');

  const char* plain = "abc";
  p = plain;
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "");
  EXPECT_EQ(p, plain) << "an unquoted text leaves the pointer alone";

  EXPECT_EQ(AnsiDequotedStr("\"a\"\"b\"", '"'), "a\"b");
  EXPECT_EQ(AnsiDequotedStr("abc", '"'), "abc");
  EXPECT_EQ(AnsiDequotedStr("''", '\''), "''") << "an empty quoted text gives the input back";
}

TEST(SysUtilsStrings, IsValidIdentAcceptsPascalIdentifiers) {
  struct Case { const char* s; bool expected; } cases[] = {
      {"abc", true}, {"_x1", true}, {"A_B_9", true}, {"", false}, {"1abc", false},
      {"a b", false}, {"a.b", false}, {"ação", false}, {"a-b", false}};
  for (const auto& c : cases) EXPECT_EQ(IsValidIdent(c.s), c.expected) << "'" << c.s << "'";
}

TEST(SysUtilsStrings, AdjustLineBreaksMakesCrLf) {
  EXPECT_EQ(AdjustLineBreaks("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(AdjustLineBreaks("no breaks"), "no breaks");
}

TEST(SysUtilsStrings, DelimiterSearchIsOneBased) {
  EXPECT_EQ(LastDelimiter("\\:", "C:\\dir\\file"), 7);
  EXPECT_EQ(LastDelimiter(".", "noext"), 0);
  EXPECT_TRUE(IsDelimiter(",;", "a;b", 2));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 1));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 0));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 4));
  EXPECT_EQ(ByteType("ação", 2), mbSingleByte);
  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -1), "");
}

TEST(SysUtilsStrings, NullTerminatedCopiesAndScans) {
  char* p = StrNew("hello");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "hello");
  EXPECT_EQ(StrLen(p), 5u);
  EXPECT_EQ(StrScan(p, 'l'), p + 2);
  EXPECT_EQ(StrRScan(p, 'l'), p + 3);
  EXPECT_EQ(StrScan(p, 'z'), nullptr);
  EXPECT_EQ(StrScan(p, '\0'), p + 5) << "the terminator can be found";
  EXPECT_EQ(StrEnd(p), p + 5);
  EXPECT_EQ(StrPos(p, "ll"), p + 2);
  EXPECT_EQ(StrPas(p), "hello");
  StrDispose(p);
  EXPECT_EQ(StrNew(""), nullptr);
  EXPECT_EQ(StrNew(nullptr), nullptr);
  StrDispose(nullptr);

  char buf[16];
  EXPECT_STREQ(StrLCopy(buf, "abcdef", 3), "abc");
  EXPECT_STREQ(StrPCopy(buf, "xyz"), "xyz");
  EXPECT_STREQ(StrPLCopy(buf, "xyz", 2), "xy");
  const std::string abc = "abc";
  EXPECT_EQ(AnsiLastChar(abc), abc.data() + 2);
  EXPECT_EQ(AnsiStrLastChar(""), nullptr);
}

// =======================================================================================
// Integers and booleans.

TEST(SysUtilsIntegers, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(static_cast<Int64>(-9223372036854775807LL - 1)), "-9223372036854775808");
  EXPECT_EQ(IntToStr(4294967295u), "4294967295");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(255, 0), "FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF") << "a negative Integer is its 32-bit pattern";
  EXPECT_EQ(IntToHex(static_cast<Int64>(-1), 4), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(static_cast<Int64>(0x123456789A), 12), "00123456789A");
}

TEST(SysUtilsIntegers, StrToIntAcceptsDecimalAndHex) {
  struct Case { const char* s; Integer expected; } cases[] = {
      {"123", 123},           {"  42", 42},         {"-17", -17},         {"+5", 5},
      {"007", 7},             {"$FF", 255},         {"$ff", 255},         {"0x1f", 31},
      {"0X1F", 31},           {"-$10", -16},        {"$FFFFFFFF", -1},    {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1}, {"$7FFFFFFF", 2147483647}};
  for (const auto& c : cases) {
    Integer v = 0;
    EXPECT_TRUE(TryStrToInt(c.s, v)) << "'" << c.s << "' should be accepted";
    EXPECT_EQ(v, c.expected) << "'" << c.s << "'";
    EXPECT_EQ(StrToInt(c.s), c.expected) << "'" << c.s << "'";
  }
}

TEST(SysUtilsIntegers, StrToIntRejectsWithTheValueInTheMessage) {
  const char* bad[] = {"", " ", "abc", "12 ", "12a", "1.5", "--1", "2147483648", "-2147483649",
                       "$100000000", "$", "0x", "$G", "1,000", "\t12"};
  for (const char* s : bad) {
    EXPECT_EQ(messageOf<EConvertError>([&] { StrToInt(s); }), std::string("'") + s + "' is not a valid integer value");
    EXPECT_EQ(StrToIntDef(s, -99), -99) << "'" << s << "'";
  }
}

TEST(SysUtilsIntegers, StrToInt64CoversTheFullRange) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), -9223372036854775807LL - 1);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_EQ(messageOf<EConvertError>([] { StrToInt64("9223372036854775808"); }),
            "'9223372036854775808' is not a valid integer value");
  EXPECT_EQ(StrToInt64Def("$10000000000000000", 7), 7);
}

TEST_F(SysUtilsGlobals, BoolTextUsesWordListsWhenAsked) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");
  EXPECT_TRUE(StrToBool("true"));
  EXPECT_FALSE(StrToBool("FALSE"));
  EXPECT_TRUE(StrToBool("-1"));
  EXPECT_TRUE(StrToBool("2.5"));
  EXPECT_FALSE(StrToBool("0"));
  EXPECT_EQ(messageOf<EConvertError>([] { StrToBool("maybe"); }), "'maybe' is not a valid boolean value");

  TrueBoolStrs = {"Sim", "S"};
  FalseBoolStrs = {"Não", "N"};
  EXPECT_EQ(BoolToStr(true, true), "Sim");
  EXPECT_EQ(BoolToStr(false, true), "Não");
  EXPECT_TRUE(StrToBool("s"));
  EXPECT_FALSE(StrToBool("NÃO"));
  EXPECT_FALSE(StrToBoolDef("True", false)) << "the default words no longer apply once lists are set";
}

// =======================================================================================
// Float text.

TEST_F(SysUtilsGlobals, FloatToStrIsGeneralWith15Digits) {
  struct Case { Extended v; const char* expected; } cases[] = {
      {0.0L, "0"},
      {-0.0L, "0"},
      {0.1, "0.1"},
      {1.5L, "1.5"},
      {-1.5L, "-1.5"},
      {100.0L, "100"},
      {123.456, "123.456"},
      {0.1 + 0.2, "0.3"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {1e14L, "100000000000000"},
      {1e15L, "1E15"},
      {999999999999999.0L, "999999999999999"},
      {9999999999999999.0L, "1E16"},
      {123456789012345678.0L, "1.23456789012346E17"},
      {0.0001L, "0.0001"},
      {0.00012345L, "0.00012345"},
      {1e-5L, "1E-5"},
      {-2.5e-10L, "-2.5E-10"},
      {1.5e300L, "1.5E300"},
      {1e100L, "1E100"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.v), c.expected) << static_cast<double>(c.v);
}

TEST_F(SysUtilsGlobals, FloatToStrSpellsSpecialValues) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<Extended>::infinity()), "-INF");
  EXPECT_EQ(FloatToStrF(std::numeric_limits<Extended>::quiet_NaN(), ffFixed, 15, 2), "NAN");
}

TEST_F(SysUtilsGlobals, DecimalSeparatorGlobalIsTheSettingsField) {
  DecimalSeparator = ',';
  EXPECT_EQ(FormatSettings.DecimalSeparator, ',');
  EXPECT_EQ(FloatToStr(1.5L), "1,5");
  EXPECT_EQ(StrToFloat("2,25"), 2.25L);
  ThousandSeparator = '.';
  EXPECT_EQ(FloatToStrF(1234.5L, ffNumber, 15, 1), "1.234,5");
  ShortMonthNames[0] = "jan";
  EXPECT_EQ(FormatSettings.ShortMonthNames[0], "jan");
}

TEST(SysUtilsFloat, FloatToStrFCoversEveryFormat) {
  const TFormatSettings us = usSettings();
  struct Case { Extended v; TFloatFormat f; Integer precision, digits; const char* expected; } cases[] = {
      {1234.5678L, ffGeneral, 6, 0, "1234.57"},
      {1234567.0L, ffGeneral, 4, 0, "1.235E6"},
      {1234567.0L, ffGeneral, 4, 2, "1.235E06"},
      {0.000012L, ffGeneral, 15, 3, "1.2E-005"},
      {12345678901234.5L, ffGeneral, 14, 14, "12345678901235"},
      {1234.5678L, ffExponent, 4, 2, "1.235E+03"},
      {-1234.5678L, ffExponent, 4, 0, "-1.235E+3"},
      {0.00012L, ffExponent, 3, 3, "1.20E-004"},
      {0.0L, ffExponent, 3, 2, "0.00E+00"},
      {1234.5678L, ffFixed, 15, 2, "1234.57"},
      {0.125L, ffFixed, 15, 2, "0.13"},
      {2.5L, ffFixed, 15, 0, "3"},
      {-2.5L, ffFixed, 15, 0, "-3"},
      {0.5L, ffFixed, 15, 0, "1"},
      {0.4L, ffFixed, 15, 0, "0"},
      {-0.001L, ffFixed, 15, 2, "0.00"},
      {99.996L, ffFixed, 15, 2, "100.00"},
      {123456789.123456789L, ffFixed, 10, 4, "123456789.1000"},
      {1e20L, ffFixed, 15, 2, "1.00000000000000E+20"},
      {1234567.891L, ffNumber, 15, 2, "1,234,567.89"},
      {-1234.5678L, ffNumber, 15, 2, "-1,234.57"},
      {123.0L, ffNumber, 15, 0, "123"},
      {0.5L, ffNumber, 15, 2, "0.50"},
      {1234.5L, ffCurrency, 15, 2, "$1,234.50"},
      {-1234.5L, ffCurrency, 15, 2, "($1,234.50)"},
      {0.0L, ffCurrency, 15, 2, "$0.00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.v, c.f, c.precision, c.digits, us), c.expected)
        << static_cast<double>(c.v) << " format " << c.f << " precision " << c.precision << " digits " << c.digits;
}

TEST(SysUtilsFloat, CurrencyFormatsPlaceSymbolAndSign) {
  TFormatSettings s = usSettings();
  const char* positive[] = {"$1", "1$", "$ 1", "1 $"};
  for (Byte f = 0; f < 4; ++f) {
    s.CurrencyFormat = f;
    EXPECT_EQ(FloatToStrF(1.0L, ffCurrency, 15, 0, s), positive[f]) << "CurrencyFormat " << int(f);
  }
  const char* negative[] = {"($1)", "-$1",  "$-1",  "$1-",   "(1$)",  "-1$",   "1-$",   "1$-",
                            "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
  for (Byte f = 0; f < 16; ++f) {
    s.NegCurrFormat = f;
    EXPECT_EQ(FloatToStrF(-1.0L, ffCurrency, 15, 0, s), negative[f]) << "NegCurrFormat " << int(f);
  }
  EXPECT_EQ(FloatToStrF(-1234.5L, ffCurrency, 15, 2, brSettings()), "-R$ 1.234,50");
  EXPECT_EQ(FloatToStrF(1234.5L, ffCurrency, 15, 2, brSettings()), "R$ 1.234,50");
}

TEST(SysUtilsFloat, FloatToDecimalRoundsHalvesAwayFromZero) {
  TFloatRec r;
  Extended v = 0.125L;
  FloatToDecimal(r, &v, fvExtended, 15, 2);
  EXPECT_STREQ(r.Digits, "13");
  EXPECT_EQ(r.Exponent, 0);
  v = -99.95L;
  FloatToDecimal(r, &v, fvExtended, 3, 9999);
  EXPECT_STREQ(r.Digits, "1");
  EXPECT_EQ(r.Exponent, 3) << "99.95 to 3 digits carries into a new digit";
  EXPECT_TRUE(r.Negative);
  Currency c = Currency::FromScaled(-12345);
  FloatToDecimal(r, &c, fvCurrency, 19, 2);
  EXPECT_STREQ(r.Digits, "123");
  EXPECT_EQ(r.Exponent, 1);
  EXPECT_TRUE(r.Negative);
}

TEST(SysUtilsFloat, FormatFloatPictures) {
  const TFormatSettings us = usSettings();
  struct Case { const char* format; Extended v; const char* expected; } cases[] = {
      {"0.00", 12.5L, "12.50"},
      {"#.##", 12.5L, "12.5"},
      {"#.##", 0.5L, ".5"},
      {"0.##", 0.5L, "0.5"},
      {"0.##", 1.0L, "1"},
      {"#", 0.0L, ""},
      {"0", 0.0L, "0"},
      {"000", 7.0L, "007"},
      {"0", 123456.0L, "123456"},
      {"00.0", -1.25L, "-01.3"},
      {"#,##0.00", 1234567.891L, "1,234,567.89"},
      {"#,##0", -1234.5L, "-1,235"},
      {"#,##0.00", 0.5L, "0.50"},
      {"000-000", 123456.0L, "123-456"},
      {"0.000E+00", 1234.5L, "1.235E+03"},
      {"0.00E-0", 0.00012L, "1.20E-4"},
      {"0.00E-0", 12000.0L, "1.20E4"},
      {"0.0E+0", 0.0L, "0.0E+0"},
      {"\"R$ \"#,##0.00", 1234.5L, "R$ 1,234.50"},
      {"'x'0'y'", 5.0L, "x5y"},
      {"0.00;(0.00)", -5.0L, "(5.00)"},
      {"0.00;(0.00)", 5.0L, "5.00"},
      {"0.00;(0.00);'zero'", 0.0L, "zero"},
      {"0.00;(0.00);'zero'", 0.001L, "zero"},
      {"0.00;;'zero'", -3.0L, "-3.00"},
      {"0.0", 1e20L, "1E20"},
      {"", 1.5L, "1.5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.format, c.v, us), c.expected) << "FormatFloat('" << c.format << "', " << static_cast<double>(c.v) << ")";
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5L, brSettings()), "1.234,50");
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<Extended>::quiet_NaN(), us), "NAN");
}

TEST(SysUtilsFloat, StrToFloatAcceptsTheSettingsSyntax) {
  const TFormatSettings us = usSettings();
  struct Case { const char* s; Extended expected; } cases[] = {
      {"1.5", 1.5L},   {" 1.5 ", 1.5L}, {"-1.5e3", -1500.0L}, {"+.5", 0.5L},  {"5.", 5.0L},
      {"1E-2", 0.01L}, {"0", 0.0L},     {"007.250", 7.25L},  {"1e-5000", 0.0L},
      {"0.1", 0.1L},   {"123456789012345678", 123456789012345678.0L}};
  for (const auto& c : cases) {
    Extended v = -1;
    EXPECT_TRUE(TryStrToFloat(c.s, v, us)) << "'" << c.s << "' should be accepted";
    EXPECT_EQ(v, c.expected) << "'" << c.s << "'";
  }
  double d = 0;
  EXPECT_TRUE(TryStrToFloat("2.5", d, us));
  EXPECT_EQ(d, 2.5);
  EXPECT_FALSE(TryStrToFloat("1e400", d, us)) << "beyond double";
}

TEST(SysUtilsFloat, StrToFloatRejectsWithTheValueInTheMessage) {
  const TFormatSettings us = usSettings();
  const char* bad[] = {"", " ", "abc", "1,5", "1,000", "1.5x", "1e", "e5", ".", "-", "INF", "NAN",
                       "--1", "1e5000", "1 5", "\t1"};
  for (const char* s : bad) {
    EXPECT_EQ(messageOf<EConvertError>([&] { StrToFloat(s, us); }),
              std::string("'") + s + "' is not a valid floating point value");
    EXPECT_EQ(StrToFloatDef(s, -7.0L, us), -7.0L) << "'" << s << "'";
  }
}

TEST(SysUtilsFloat, DecimalSeparatorDecidesWhatIsANumber) {
  const TFormatSettings br = brSettings();
  EXPECT_EQ(StrToFloat("1,5", br), 1.5L);
  EXPECT_EQ(StrToFloat("-2,5E2", br), -250.0L);
  EXPECT_EQ(messageOf<EConvertError>([&] { StrToFloat("1.5", br); }), "'1.5' is not a valid floating point value");
  EXPECT_EQ(messageOf<EConvertError>([&] { StrToFloat("1.000,5", br); }),
            "'1.000,5' is not a valid floating point value");
  EXPECT_EQ(FloatToStr(1.5L, br), "1,5");
  EXPECT_EQ(FloatToStr(1e-5L, br), "1E-5");
  EXPECT_EQ(FloatToStrF(1234.5L, ffNumber, 15, 2, br), "1.234,50");
  Extended v;
  EXPECT_TRUE(TextToFloat("3,25", v, fvExtended, br));
  EXPECT_EQ(v, 3.25L);
}

TEST(SysUtilsFloat, FloatTextRoundTripsThroughGeneralFormat) {
  const TFormatSettings us = usSettings();
  const double values[] = {0.1, 1.0 / 3, 123456.789, 1e-7, 2.5e200, -987.654321, 1e15 + 1};
  for (double d : values) {
    Extended back = StrToFloat(FloatToStr(d, us), us);
    EXPECT_EQ(FloatToStr(back, us), FloatToStr(d, us)) << "text of " << d << " reads back to the same 15 digits";
    EXPECT_NEAR(static_cast<double>(back), d, std::fabs(d) * 1e-14);
  }
}

TEST(SysUtilsFloat, CurrencyTextRoundTripsExactly) {
  const TFormatSettings us = usSettings();
  struct Case { Int64 scaled; const char* text; } cases[] = {
      {15000, "1.5"}, {-12345678, "-1234.5678"}, {0, "0"}, {10000, "1"}, {1, "0.0001"},
      {9223372036854775807LL, "922337203685477.5807"}, {-9223372036854775807LL - 1, "-922337203685477.5808"}};
  for (const auto& c : cases) {
    Currency v = Currency::FromScaled(c.scaled);
    EXPECT_EQ(CurrToStr(v, us), c.text) << c.scaled;
    EXPECT_EQ(StrToCurr(c.text, us).Value, c.scaled) << c.text;
  }
  EXPECT_EQ(StrToCurr("1,5", brSettings()).Value, 15000);
}

TEST(SysUtilsFloat, StrToCurrRoundsTheFifthDecimalToEven) {
  const TFormatSettings us = usSettings();
  EXPECT_EQ(StrToCurr("1.00005", us).Value, 10000);
  EXPECT_EQ(StrToCurr("1.00015", us).Value, 10002);
  EXPECT_EQ(StrToCurr("1.000051", us).Value, 10001);
  EXPECT_EQ(messageOf<EConvertError>([&] { StrToCurr("922337203685477.5808", us); }),
            "'922337203685477.5808' is not a valid floating point value");
  EXPECT_EQ(StrToCurrDef("x", Currency::FromInt(3), us).Value, 30000);
  Currency c;
  EXPECT_FALSE(TryStrToCurr("1e20", c, us));
}

TEST(SysUtilsFloat, CurrToStrFAndFormatCurrUseExactDigits) {
  const TFormatSettings us = usSettings();
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345), ffFixed, 2, us), "1.23");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12355), ffFixed, 2, us), "1.24");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), ffCurrency, 2, us), "$1,234.50");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345000), ffNumber, 0, us), "-1,235");
  EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromScaled(12345678), us), "1,234.57");
  EXPECT_EQ(FormatCurr("0.0000", Currency::FromScaled(123456789), us), "12345.6789");
}

TEST_F(SysUtilsGlobals, FloatToCurrRoundsAndChecksRange) {
  EXPECT_EQ(FloatToCurr(1.23456L).Value, 12346);
  EXPECT_EQ(FloatToCurr(1.03125L).Value, 10312) << "a half of the last unit goes to even";
  EXPECT_EQ(messageOf<EConvertError>([] { FloatToCurr(1e20L); }), "'1E20' is not a valid currency value");
  Currency c;
  EXPECT_FALSE(TryFloatToCurr(std::numeric_limits<Extended>::quiet_NaN(), c));
}

// =======================================================================================
// Format.

TEST(SysUtilsFormat, SpecifiersWidthPrecisionAndIndex) {
  const TFormatSettings us = usSettings();
  struct Case { const char* format; std::vector<TVarRec> args; const char* expected; } cases[] = {
      {"%d", {42}, "42"},
      {"%5d|", {42}, "   42|"},
      {"%-5d|", {42}, "42   |"},
      {"%05d", {42}, "   42"},
      {"%.3d", {7}, "007"},
      {"%.3d", {-7}, "-007"},
      {"%d,%d,%d,%d", {1, 2, 3, 4}, "1,2,3,4"},
      {"(%dx%d)", {640, 480}, "(640x480)"},
      {"%d", {static_cast<Int64>(-9223372036854775807LL - 1)}, "-9223372036854775808"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%X", {-1}, "FFFFFFFF"},
      {"%x", {static_cast<Int64>(-1)}, "FFFFFFFFFFFFFFFF"},
      {"%s", {"abc"}, "abc"},
      {"%s", {std::string("std")}, "std"},
      {"%-5s|", {"ab"}, "ab   |"},
      {"%5s|", {"ab"}, "   ab|"},
      {"%.2s", {"abcdef"}, "ab"},
      {"%s", {'c'}, "c"},
      {"%s : %s", {"a", "b"}, "a : b"},
      {"%s - [%s]", {"Form", "file.flt"}, "Form - [file.flt]"},
      {"%8.4f", {12.5}, " 12.5000"},
      {"%8.4f|", {-12.5}, "-12.5000|"},
      {"%f", {1.5}, "1.50"},
      {"%.0f", {2.5}, "3"},
      {"%.1f", {0.05}, "0.1"},
      {"%f", {Currency::FromScaled(12345)}, "1.23"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%.3e", {1234.5}, "1.23E+003"},
      {"%g", {0.5}, "0.5"},
      {"%g", {123.456}, "123.456"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {1234.5}, "1,235"},
      {"%m", {1234.5}, "$1,234.50"},
      {"%m", {-1234.5}, "($1,234.50)"},
      {"%.0m", {Currency::FromInt(7)}, "$7"},
      {"%%", {}, "%"},
      {"100%% %d%%", {5}, "100% 5%"},
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},
      {"%0:s%0:s", {"x"}, "xx"},
      {"%*d|", {5, 42}, "   42|"},
      {"%-*d|", {4, 7}, "7   |"},
      {"%.*f", {2, 3.14159}, "3.14"},
      {"%*.*f", {8, 3, 3.14159}, "   3.142"},
      {"%p", {static_cast<const void*>(reinterpret_cast<const char*>(0x1234))}, "0000000000001234"},
      {"no specifiers", {}, "no specifiers"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.format, c.args, us), c.expected) << "Format('" << c.format << "')";
}

TEST(SysUtilsFormat, MismatchesRaiseWithTheFormatInTheMessage) {
  struct Case { const char* format; std::vector<TVarRec> args; } cases[] = {
      {"%d", {1.5}}, {"%f", {1}}, {"%s", {1}}, {"%d", {}}, {"%y", {1}}, {"%", {}}, {"abc %", {}},
      {"%d", {"12"}}, {"%*d", {"x", 1}}, {"%2:d", {1}}, {"%x", {2.0}}, {"%p", {"text"}},
      {"%d", {true}}, {"%s", {static_cast<const void*>(nullptr)}}, {"%d %d", {1}}, {"%5", {1}}};
  for (const auto& c : cases)
    EXPECT_EQ(messageOf<EConvertError>([&] { Format(c.format, c.args); }),
              std::string("Format '") + c.format + "' invalid or incompatible with argument");
}

TEST(SysUtilsFormat, VariantArgumentsConvertToTheSpecifier) {
  const TFormatSettings us = usSettings();
  TVarRec integral = TVarRec::VariantArg("12", static_cast<Int64>(12));
  TVarRec floating = TVarRec::VariantArg("2.5", 2.5L);
  TVarRec numericText = TVarRec::VariantArg("3.25");
  TVarRec text = TVarRec::VariantArg("abc");
  EXPECT_EQ(Format("%s|%d|%f|%x", {integral, integral, integral, integral}, us), "12|12|12.00|C");
  EXPECT_EQ(Format("%s|%d|%.1f", {floating, floating, floating}, us), "2.5|2|2.5")
      << "a float variant read as an integer rounds half to even";
  EXPECT_EQ(Format("%s|%f", {numericText, numericText}, us), "3.25|3.25");
  EXPECT_EQ(Format("%5s|", {text}, us), "  abc|");
  EXPECT_EQ(messageOf<EConvertError>([&] { Format("%d", {text}, us); }),
            "Format '%d' invalid or incompatible with argument");
  // Copies keep the payload of each kind.
  std::vector<TVarRec> copies{floating, integral};
  EXPECT_EQ(Format("%.1f %d", copies, us), "2.5 12");
}

TEST(SysUtilsFormat, ConvenienceFormPacksMixedArguments) {
  TObject obj;
  unsigned u = 7;
  size_t z = 9;
  const std::string s = "x";
  EXPECT_EQ(Format("%d %d %d %s %s %s", 1, u, z, s, "lit", 'c'), "1 7 9 x lit c");
  EXPECT_EQ(Format("%p", &obj), IntToHex(static_cast<Int64>(reinterpret_cast<intptr_t>(&obj)), 16));
  EXPECT_EQ(Format("plain"), "plain");
}

TEST(SysUtilsFormat, SettingsDecideSeparatorsAndCurrency) {
  const TFormatSettings br = brSettings();
  EXPECT_EQ(Format("%.2f", {1.5}, br), "1,50");
  EXPECT_EQ(Format("%n", {1234.5}, br), "1.234,50");
  EXPECT_EQ(Format("%m", {1234.5}, br), "R$ 1.234,50");
  EXPECT_EQ(Format("%m", {-1234.5}, br), "-R$ 1.234,50");
  EXPECT_EQ(Format("%e", {0.5}, br), "5,00000000000000E-001");
}

// =======================================================================================
// Format settings from the locale. Wine's locale data is the same on every machine.

TEST(SysUtilsSettings, LocaleSettingsForUnitedStates) {
  TFormatSettings s;
  s.DecimalSeparator = '?';
  GetLocaleFormatSettings(0x0409, s);
  EXPECT_EQ(s.DecimalSeparator, '.');
  EXPECT_EQ(s.ThousandSeparator, ',');
  EXPECT_EQ(s.CurrencyString, "$");
  EXPECT_EQ(s.CurrencyFormat, 0);
  EXPECT_EQ(s.NegCurrFormat, 0);
  EXPECT_EQ(s.CurrencyDecimals, 2);
  EXPECT_EQ(s.DateSeparator, '/');
  EXPECT_EQ(s.ShortDateFormat, "M/d/yyyy");
  EXPECT_EQ(s.ShortTimeFormat, "h:mm AMPM");
  EXPECT_EQ(s.LongTimeFormat, "h:mm:ss AMPM");
  EXPECT_EQ(s.ShortMonthNames[0], "Jan");
  EXPECT_EQ(s.LongMonthNames[11], "December");
  EXPECT_EQ(s.ShortDayNames[0], "Sun") << "index 0 is Sunday";
  EXPECT_EQ(s.LongDayNames[6], "Saturday");
}

TEST(SysUtilsSettings, LocaleSettingsForBrazil) {
  TFormatSettings s;
  GetLocaleFormatSettings(0x0416, s);
  EXPECT_EQ(s.DecimalSeparator, ',');
  EXPECT_EQ(s.ThousandSeparator, '.');
  EXPECT_EQ(s.CurrencyString, "R$");
  EXPECT_EQ(s.CurrencyFormat, 2);
  EXPECT_EQ(s.NegCurrFormat, 9);
  EXPECT_EQ(s.ShortDateFormat, "dd/MM/yyyy");
  EXPECT_EQ(s.ShortTimeFormat, "hh:mm") << "a 24-hour clock gets no AM/PM";
  EXPECT_EQ(s.LongMonthNames[2], "março") << "names arrive in cp1252";
  EXPECT_EQ(s.LongDayNames[1], "segunda-feira");
  EXPECT_EQ(s.ListSeparator, ';');
  EXPECT_EQ(FormatDateTime("dddddd", EncodeDate(2024, 3, 5), s), "terça-feira, 5 de março de 2024");
}

TEST_F(SysUtilsGlobals, GetFormatSettingsRefreshesTheGlobals) {
  DecimalSeparator = '?';
  ShortDateFormat = "";
  GetFormatSettings();
  EXPECT_NE(DecimalSeparator, '?');
  EXPECT_FALSE(ShortDateFormat.empty());
  for (const auto& name : LongMonthNames) EXPECT_FALSE(name.empty());
}

// =======================================================================================
// Dates.

TEST(SysUtilsDate, EncodeDateCountsDaysFrom1899_12_30) {
  struct Case { Word y, m, d; double expected; } cases[] = {
      {1899, 12, 30, 0},     {1900, 1, 1, 2},          {2000, 2, 29, 36585},   {2024, 2, 29, 45351},
      {2024, 3, 5, 45356},   {1800, 1, 1, -36522},     {1600, 3, 1, -109511},  {1, 1, 1, -693593},
      {9999, 12, 31, 2958465}};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.expected) << c.y << "-" << c.m << "-" << c.d;
    Word y, m, d;
    DecodeDate(c.expected, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << "decoding " << c.expected;
  }
}

TEST(SysUtilsDate, EveryDayOfALeapCycleRoundTrips) {
  // Walk 1999-01-01 .. 2001-12-31 (with 2000, a 400-year leap year) day by day.
  TDateTime first = EncodeDate(1999, 1, 1), last = EncodeDate(2001, 12, 31);
  Word py = 1998, pm = 12, pd = 31;
  for (TDateTime t = first; t <= last; t += 1) {
    Word y, m, d;
    DecodeDate(t, y, m, d);
    bool nextDay = (y == py && m == pm && d == pd + 1) || (y == py && m == pm + 1 && d == 1 && pd == MonthDays[IsLeapYear(py)][pm]) ||
                   (y == py + 1 && m == 1 && d == 1 && pm == 12 && pd == 31);
    ASSERT_TRUE(nextDay) << "after " << py << "-" << pm << "-" << pd << " came " << y << "-" << m << "-" << d;
    ASSERT_EQ(EncodeDate(y, m, d), t);
    py = y, pm = m, pd = d;
  }
}

TEST(SysUtilsDate, BadDatesAndTimesRaise) {
  struct Case { Word y, m, d; } badDates[] = {
      {2023, 2, 29}, {1900, 2, 29}, {2000, 13, 1}, {2000, 0, 1}, {2000, 4, 31}, {2000, 1, 0}, {0, 1, 1}, {10000, 1, 1}};
  for (const auto& c : badDates) {
    EXPECT_EQ(messageOf<EConvertError>([&] { EncodeDate(c.y, c.m, c.d); }), "Invalid argument to date encode")
        << c.y << "-" << c.m << "-" << c.d;
    TDateTime out = 123;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, out));
    EXPECT_EQ(out, 123) << "a failed TryEncodeDate leaves the result alone";
  }
  struct TimeCase { Word h, n, s, ms; } badTimes[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}};
  for (const auto& c : badTimes)
    EXPECT_EQ(messageOf<EConvertError>([&] { EncodeTime(c.h, c.n, c.s, c.ms); }), "Invalid argument to time encode");
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
}

TEST(SysUtilsDate, LeapYearsAndMonthDays) {
  struct Case { Word y; bool leap; } cases[] = {{1900, false}, {2000, true}, {2024, true}, {2023, false}, {2100, false}, {4, true}};
  for (const auto& c : cases) EXPECT_EQ(IsLeapYear(c.y), c.leap) << c.y;
  EXPECT_EQ(MonthDays[true][2], 29);
  EXPECT_EQ(MonthDays[false][2], 28);
  EXPECT_EQ(MonthDays[false][12], 31);
}

TEST(SysUtilsDate, NegativeDatesCountTheTimeForwardFromMidnight) {
  Word y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(ymd(-1.25), "1899-12-29 06:00:00.000");
  EXPECT_EQ(ymd(-0.75), "1899-12-30 18:00:00.000") << "whole part 0 is 1899-12-30";
  SYSTEMTIME st = {};
  st.wYear = 1899, st.wMonth = 12, st.wDay = 29, st.wHour = 6;
  EXPECT_EQ(SystemTimeToDateTime(st), -1.25);
  TDateTime v = -1.25;
  ReplaceTime(v, 0.75);
  EXPECT_EQ(v, -1.75) << "the new time is added away from zero";
}

TEST(SysUtilsDate, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);  // Tuesday
  EXPECT_EQ(DayOfWeek(0), 7);                       // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10) + 0.99), 1);
}

TEST(SysUtilsDate, IncMonthClampsTheDayAndKeepsTheTime) {
  EXPECT_EQ(ymd(IncMonth(EncodeDate(2024, 1, 31), 1)), "2024-02-29 00:00:00.000");
  EXPECT_EQ(ymd(IncMonth(EncodeDate(2024, 3, 31), -1)), "2024-02-29 00:00:00.000");
  EXPECT_EQ(ymd(IncMonth(at(2023, 1, 15, 12), 12)), "2024-01-15 12:00:00.000");
  EXPECT_EQ(ymd(IncMonth(EncodeDate(2020, 1, 10), -13)), "2018-12-10 00:00:00.000");
  EXPECT_EQ(ymd(IncMonth(EncodeDate(2020, 11, 30), 3)), "2021-02-28 00:00:00.000");
}

TEST(SysUtilsDate, SystemTimeAndTimeStampRoundTrip) {
  const TDateTime values[] = {at(2024, 3, 5, 14, 7, 9, 45), at(1, 1, 1), at(9999, 12, 31, 23, 59, 59, 999), 0.5};
  for (TDateTime v : values) {
    SYSTEMTIME st;
    DateTimeToSystemTime(v, st);
    EXPECT_EQ(SystemTimeToDateTime(st), v) << ymd(v);
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(DateTimeToTimeStamp(v)), v) << ymd(v);
  }
  SYSTEMTIME st;
  DateTimeToSystemTime(at(2024, 3, 5, 14, 7, 9, 45), st);
  EXPECT_EQ(st.wDayOfWeek, 2) << "SYSTEMTIME counts Sunday as 0";
  EXPECT_EQ(st.wMilliseconds, 45);
  TTimeStamp ts = DateTimeToTimeStamp(0);
  EXPECT_EQ(ts.Date, DateDelta);
  EXPECT_EQ(ts.Time, 0);
  EXPECT_EQ(messageOf<EConvertError>([] { TimeStampToDateTime(TTimeStamp{-1, 5}); }),
            "'5.-1' is not a valid timestamp");
}

TEST(SysUtilsDate, ClockReadsAreConsistent) {
  TDateTime today = Date(), now = Now();
  EXPECT_EQ(Frac(today), 0);
  EXPECT_GE(now, today);
  EXPECT_LT(now - today, 1.0 + 1.0 / 86400) << "Now is today (or just past midnight)";
  EXPECT_LT(Time(), 1.0);
}

TEST(SysUtilsDate, FormatDateTimePatterns) {
  TFormatSettings us = usSettings();
  const TDateTime t = at(2024, 3, 5, 14, 7, 9, 45);  // a Tuesday
  struct Case { const char* format; TDateTime v; const char* expected; } cases[] = {
      {"yyyy-mm-dd", t, "2024-03-05"},
      {"d/m/yy", t, "5/3/24"},
      {"ddd dddd", t, "Tue Tuesday"},
      {"mmm mmmm", t, "Mar March"},
      {"hh:nn:ss.zzz", t, "14:07:09.045"},
      {"h:mm", t, "14:07"},
      {"h:m:s z", t, "14:7:9 45"},
      {"hh:mm AM/PM", t, "02:07 PM"},
      {"h:mm am/pm", t, "2:07 pm"},
      {"h a/p", t, "2 p"},
      {"h ampm", t, "2 PM"},
      {"h:nn AM/PM", at(2024, 3, 5, 0, 30), "12:30 AM"},
      {"h:nn AM/PM", at(2024, 3, 5, 12, 30), "12:30 PM"},
      {"hh:mm:ss AMPM", 1.5, "12:00:00 PM"},
      {"c", t, "3/5/2024 2:07:09 PM"},
      {"c", EncodeDate(2024, 3, 5), "3/5/2024"},
      {"", t, "3/5/2024 2:07:09 PM"},
      {"ddddd", t, "3/5/2024"},
      {"dddddd", t, "Tuesday, March 5, 2024"},
      {"t", t, "2:07 PM"},
      {"tt", t, "2:07:09 PM"},
      {"'Date:' yyyy \"h\"", t, "Date: 2024 h"},
      {"yy", EncodeDate(2005, 1, 1), "05"},
      {"yyyy", EncodeDate(5, 1, 1), "0005"},
      {"mm/dd x", t, "03/05 x"},
      {"aaaa", t, "Tuesday"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime(c.format, c.v, us), c.expected) << "FormatDateTime('" << c.format << "')";
  us.DateSeparator = '-';
  us.TimeSeparator = '.';
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", t, us), "05-03-2024 14.07") << "'/' and ':' are the settings' separators";
}

TEST(SysUtilsDate, DateAndTimeToStrUseTheSettings) {
  const TFormatSettings br = brSettings();
  const TDateTime t = at(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(DateToStr(t, br), "05/03/2024");
  EXPECT_EQ(TimeToStr(t, br), "14:07:09");
  EXPECT_EQ(DateTimeToStr(t, br), "05/03/2024 14:07:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5), br), "05/03/2024") << "midnight shows no time";
}

TEST(SysUtilsDate, StrToDateFollowsShortDateFormatOrder) {
  TFormatSettings us = usSettings();
  TFormatSettings br = brSettings();
  TFormatSettings iso = usSettings();
  iso.ShortDateFormat = "yyyy-mm-dd";
  iso.DateSeparator = '-';
  struct Case { const TFormatSettings* fs; const char* s; const char* expected; } cases[] = {
      {&us, "3/5/2024", "2024-03-05"},
      {&us, " 3 / 5 / 2024 ", "2024-03-05"},
      {&us, "12/31/1999/", "1999-12-31"},
      {&br, "05/03/2024", "2024-03-05"},
      {&br, "5/3/2024", "2024-03-05"},
      {&iso, "2024-03-05", "2024-03-05"},
      {&iso, "2024-3-5", "2024-03-05"},
  };
  for (const auto& c : cases) EXPECT_EQ(ymd(StrToDate(c.s, *c.fs)).substr(0, 10), c.expected) << "'" << c.s << "'";

  Word y, m, day;
  DecodeDate(StrToDate("3/5", us), y, m, day);
  EXPECT_EQ(y, CurrentYear()) << "two numbers mean the current year";
  EXPECT_EQ(m * 100 + day, 305);
  DecodeDate(StrToDate("5/3", br), y, m, day);
  EXPECT_EQ(m * 100 + day, 305) << "day first in a day-first format";
}

TEST(SysUtilsDate, TwoDigitYearsFallInTheCenturyWindow) {
  TFormatSettings s = usSettings();
  s.TwoDigitYearCenturyWindow = 50;
  const Integer year = CurrentYear();
  auto twoDigits = [](Integer y) { return Format("%.2d", {y % 100}); };
  Word y, m, d;
  DecodeDate(StrToDate("1/1/" + twoDigits(year - 49), s), y, m, d);
  EXPECT_EQ(y, year - 49) << "49 years back is inside the window";
  DecodeDate(StrToDate("1/1/" + twoDigits(year - 51), s), y, m, d);
  EXPECT_EQ(y, year + 49) << "51 years back is outside: the next century";
  s.TwoDigitYearCenturyWindow = 0;
  DecodeDate(StrToDate("1/1/" + twoDigits(year - 51), s), y, m, d);
  EXPECT_EQ(y, year / 100 * 100 + (year - 51) % 100) << "window 0 keeps the current century";
  DecodeDate(StrToDate("1/1/0099", s), y, m, d);
  EXPECT_EQ(y, 99) << "four typed digits are taken as written";
}

TEST(SysUtilsDate, StrToDateRejectsWithTheTextInTheMessage) {
  const TFormatSettings us = usSettings();
  const char* bad[] = {"2/30/2024", "13/1/2024", "3/5/2024x", "3-5-2024", "", "abc", "3/5/", "3", "1/1/10000"};
  for (const char* s : bad) {
    EXPECT_EQ(messageOf<EConvertError>([&] { StrToDate(s, us); }), std::string("'") + s + "' is not a valid date");
    EXPECT_EQ(StrToDateDef(s, -5, us), -5) << "'" << s << "'";
  }
}

TEST(SysUtilsDate, StrToTimeReadsClockTimes) {
  const TFormatSettings us = usSettings();
  struct Case { const char* s; const char* expected; } cases[] = {
      {"14:07", "14:07:00.000"},  {"2:07 PM", "14:07:00.000"}, {"2:07pm", "14:07:00.000"},
      {"12:00 AM", "00:00:00.000"}, {"12:30 PM", "12:30:00.000"}, {"AM 9:15", "09:15:00.000"},
      {"14:07:09.045", "14:07:09.045"}, {"10", "10:00:00.000"}, {" 1 : 2 : 3 ", "01:02:03.000"}};
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", StrToTime(c.s, us)), c.expected) << "'" << c.s << "'";
  const char* bad[] = {"25:00", "13 PM", "0 AM", "abc", "", "10:", "10:60", "1:2:3x"};
  for (const char* s : bad)
    EXPECT_EQ(messageOf<EConvertError>([&] { StrToTime(s, us); }), std::string("'") + s + "' is not a valid time");
}

TEST(SysUtilsDate, StrToDateTimeTakesDateTimeOrTimeAlone) {
  const TFormatSettings us = usSettings();
  EXPECT_EQ(ymd(StrToDateTime("3/5/2024 14:07:09", us)), "2024-03-05 14:07:09.000");
  EXPECT_EQ(ymd(StrToDateTime("3/5/2024", us)), "2024-03-05 00:00:00.000");
  EXPECT_EQ(ymd(StrToDateTime("14:07", us)), "1899-12-30 14:07:00.000");
  EXPECT_EQ(ymd(StrToDateTime("12/29/1899 06:00", us)), "1899-12-29 06:00:00.000")
      << "a negative date gets its time away from zero";
  EXPECT_EQ(StrToDateTime("12/29/1899 06:00", us), -1.25);
  EXPECT_EQ(messageOf<EConvertError>([&] { StrToDateTime("3/5/2024 25:00", us); }),
            "'3/5/2024 25:00' is not a valid date and time");
  EXPECT_EQ(StrToDateTimeDef("junk", 7, us), 7);
  // The text DateTimeToStr writes reads back.
  const TDateTime t = at(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(t, us), us), t);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(t, brSettings()), brSettings()), t);
}

// =======================================================================================
// Paths.

TEST(SysUtilsPaths, SplittingFileNames) {
  struct Case { const char* name; const char* path; const char* dir; const char* file; const char* ext; const char* drive; } cases[] = {
      {"C:\\dir\\sub\\file.txt", "C:\\dir\\sub\\", "C:\\dir\\sub", "file.txt", ".txt", "C:"},
      {"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
      {"C:file.ext", "C:", "C:", "file.ext", ".ext", "C:"},
      {"\\\\server\\share\\dir\\f.tar.gz", "\\\\server\\share\\dir\\", "\\\\server\\share\\dir", "f.tar.gz", ".gz",
       "\\\\server\\share"},
      {"\\\\server\\share", "\\\\server\\", "\\\\server", "share", "", "\\\\server\\share"},
      {"dir.d\\noext", "dir.d\\", "dir.d", "noext", "", ""},
      {"/tmp/x/y.dat", "/tmp/x/", "/tmp/x", "y.dat", ".dat", ""},
      {"name.", "", "", "name.", ".", ""},
      {"file", "", "", "file", "", ""},
      {"", "", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << "ExtractFilePath(" << c.name << ")";
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << "ExtractFileDir(" << c.name << ")";
    EXPECT_EQ(ExtractFileName(c.name), c.file) << "ExtractFileName(" << c.name << ")";
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << "ExtractFileExt(" << c.name << ")";
    EXPECT_EQ(ExtractFileDrive(c.name), c.drive) << "ExtractFileDrive(" << c.name << ")";
  }
}

TEST(SysUtilsPaths, ChangingExtensionsAndDelimiters) {
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ".ini"), "a\\b.ini");
  EXPECT_EQ(ChangeFileExt("a.d\\b", ".ini"), "a.d\\b.ini");
  EXPECT_EQ(ChangeFileExt("a\\b.tar.gz", ""), "a\\b.tar");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
  EXPECT_TRUE(IsPathDelimiter("a\\b", 2));
  EXPECT_FALSE(IsPathDelimiter("a\\b", 1));
}

TEST(SysUtilsPaths, RelativePathsClimbAndDescend) {
  struct Case { const char* base; const char* dest; const char* expected; } cases[] = {
      {"C:\\a\\b\\", "C:\\a\\c\\f.txt", "..\\c\\f.txt"},
      {"C:\\a\\", "C:\\a\\b\\f.txt", "b\\f.txt"},
      {"C:\\a\\x.txt", "C:\\a\\f.txt", "f.txt"},
      {"C:\\A\\", "c:\\a\\b\\f", "b\\f"},
      {"C:\\a\\b\\c\\", "C:\\f", "..\\..\\..\\f"},
      {"C:\\a\\x.txt", "D:\\f.txt", "D:\\f.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtractRelativePath(c.base, c.dest), c.expected) << c.base << " -> " << c.dest;
}

// =======================================================================================
// Files, in a private folder under the temporary directory.

class SysUtilsFiles : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = GetTempDir() + "sysutils_test_" + IntToStr(static_cast<Integer>(GetCurrentProcessId())) + "\\";
    ASSERT_TRUE(ForceDirectories(dir_)) << dir_;
  }
  void TearDown() override { removeTree(dir_); }

  static void removeTree(const std::string& dir) {
    TSearchRec f;
    if (FindFirst(dir + "*", faAnyFile, f) == 0) {
      do {
        if (f.Name == "." || f.Name == "..") continue;
        if (f.Attr & faDirectory) removeTree(dir + f.Name + "\\");
        else {
          FileSetAttr(dir + f.Name, 0);
          DeleteFile(dir + f.Name);
        }
      } while (FindNext(f) == 0);
      FindClose(f);
    }
    RemoveDir(dir);
  }

  void writeFile(const std::string& name, const std::string& content) {
    THandle h = FileCreate(dir_ + name);
    ASSERT_NE(h, InvalidHandle) << name;
    EXPECT_EQ(FileWrite(h, content.data(), static_cast<Cardinal>(content.size())), static_cast<Integer>(content.size()));
    FileClose(h);
  }

  std::string dir_;
};

TEST_F(SysUtilsFiles, CreateWriteSeekReadAndDelete) {
  const std::string name = dir_ + "data.bin";
  THandle h = FileCreate(name);
  ASSERT_NE(h, InvalidHandle);
  EXPECT_EQ(FileWrite(h, "hello world", 11), 11);
  EXPECT_EQ(FileSeek(h, 6, 0), 6);
  char buf[16] = {};
  EXPECT_EQ(FileRead(h, buf, 5), 5);
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(FileSeek(h, static_cast<Int64>(-5), 2), 6) << "seek from the end";
  EXPECT_EQ(FileRead(h, buf, 10), 5) << "a read stops at the end";
  FileClose(h);

  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(DirectoryExists(name));
  EXPECT_EQ(FileSize(name), 11);
  h = FileOpen(name, fmOpenRead | fmShareDenyNone);
  ASSERT_NE(h, InvalidHandle);
  EXPECT_EQ(FileWrite(h, "x", 1), -1) << "a read-only handle cannot write";
  FileClose(h);

  EXPECT_TRUE(RenameFile(name, dir_ + "renamed.bin"));
  EXPECT_FALSE(FileExists(name));
  EXPECT_TRUE(DeleteFile(dir_ + "renamed.bin"));
  EXPECT_FALSE(FileExists(dir_ + "renamed.bin"));
  EXPECT_EQ(FileOpen(name, fmOpenRead), InvalidHandle);
  EXPECT_EQ(FileGetAttr(name), -1);
  EXPECT_EQ(FileAge(name), -1);
}

TEST_F(SysUtilsFiles, DirectoriesAreForcedAndRemoved) {
  const std::string deep = dir_ + "a\\b\\c";
  EXPECT_FALSE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_FALSE(FileExists(deep)) << "a folder is not a file";
  EXPECT_TRUE(ForceDirectories(deep + "\\")) << "an existing folder is fine";
  EXPECT_TRUE(RemoveDir(deep));
  EXPECT_FALSE(DirectoryExists(deep));
  EXPECT_FALSE(CreateDir(dir_ + "missing\\x")) << "CreateDir makes no parents";
  EXPECT_EQ(messageOf<EInOutError>([] { ForceDirectories(""); }), "Unable to create directory");
}

TEST_F(SysUtilsFiles, AttributesAndAge) {
  writeFile("f.txt", "abc");
  const std::string name = dir_ + "f.txt";
  EXPECT_FALSE(FileIsReadOnly(name));
  EXPECT_TRUE(FileSetReadOnly(name, true));
  EXPECT_TRUE(FileIsReadOnly(name));
  EXPECT_NE(FileGetAttr(name) & faReadOnly, 0);
  EXPECT_TRUE(FileSetReadOnly(name, false));
  EXPECT_EQ(FileGetAttr(name) & faReadOnly, 0);
  EXPECT_NE(FileGetAttr(dir_) & faDirectory, 0);

  Integer age = FileAge(name);
  ASSERT_NE(age, -1);
  EXPECT_LT(std::fabs(FileDateToDateTime(age) - Now()), 5.0 / 86400) << "written just now (2-second DOS clock)";
  TDateTime exact;
  ASSERT_TRUE(FileAge(name, exact));
  EXPECT_LT(std::fabs(exact - Now()), 5.0 / 86400);
  EXPECT_EQ(FileDateToDateTime(DateTimeToFileDate(at(2024, 3, 5, 14, 7, 8))), at(2024, 3, 5, 14, 7, 8));
  EXPECT_EQ(DateTimeToFileDate(at(1970, 1, 1)), 0) << "before 1980 there is no DOS date";
}

TEST_F(SysUtilsFiles, FindFirstHonoursPatternAndAttributes) {
  writeFile("a.txt", "12345");
  writeFile("b.txt", "");
  writeFile("c.dat", "x");
  ASSERT_TRUE(CreateDir(dir_ + "sub"));

  auto find = [&](const std::string& pattern, Integer attr) {
    std::vector<std::string> names;
    TSearchRec f;
    if (FindFirst(dir_ + pattern, attr, f) == 0) {
      do names.push_back(f.Name + (f.Attr & faDirectory ? "/" : ""));
      while (FindNext(f) == 0);
      FindClose(f);
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(find("*.txt", faAnyFile), (V{"a.txt", "b.txt"}));
  EXPECT_EQ(find("*", 0), (V{"a.txt", "b.txt", "c.dat"})) << "folders only when asked for";
  EXPECT_EQ(find("*", faDirectory), (V{"../", "./", "a.txt", "b.txt", "c.dat", "sub/"}));
  EXPECT_EQ(find("*.none", faAnyFile), V{});

  TSearchRec f;
  ASSERT_EQ(FindFirst(dir_ + "a.txt", faAnyFile, f), 0);
  EXPECT_EQ(f.Size, 5);
  EXPECT_EQ(f.Name, "a.txt");
  EXPECT_NE(FindNext(f), 0);
  FindClose(f);
  EXPECT_EQ(FindFirst(dir_ + "nothing.*", faAnyFile, f), ERROR_FILE_NOT_FOUND);
}

TEST_F(SysUtilsFiles, CurrentDirAndExpandFileName) {
  const std::string saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir_));
  EXPECT_TRUE(SameText(IncludeTrailingPathDelimiter(GetCurrentDir()), dir_)) << GetCurrentDir();
  EXPECT_TRUE(SameText(ExpandFileName("x.txt"), dir_ + "x.txt")) << ExpandFileName("x.txt");
  EXPECT_TRUE(SameText(ExpandFileName("a\\..\\b.txt"), dir_ + "b.txt")) << ExpandFileName("a\\..\\b.txt");
  EXPECT_FALSE(SetCurrentDir(dir_ + "missing"));
  SetCurrentDir(saved);
}

TEST(SysUtilsEnvironment, GetEnvironmentVariableReadsAndMisses) {
  SetEnvironmentVariableA("SYSUTILS_TEST_VAR", "valor ação");
  EXPECT_EQ(GetEnvironmentVariable("SYSUTILS_TEST_VAR"), "valor ação");
  SetEnvironmentVariableA("SYSUTILS_TEST_VAR", nullptr);
  EXPECT_EQ(GetEnvironmentVariable("SYSUTILS_TEST_VAR"), "");
}
