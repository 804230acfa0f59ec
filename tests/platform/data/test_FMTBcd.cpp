// FMTBcd: exact decimals, their text, numbers and arithmetic, and the variant kind.
#include "DataTestSupport.h"

using namespace datatest;

namespace {
std::string add(const char* a, const char* b) {
  TBcd r;
  BcdAdd(StrToBcd(a), StrToBcd(b), r);
  return BcdToStr(r);
}
std::string sub(const char* a, const char* b) {
  TBcd r;
  BcdSubtract(StrToBcd(a), StrToBcd(b), r);
  return BcdToStr(r);
}
std::string mul(const char* a, const char* b) {
  TBcd r;
  BcdMultiply(StrToBcd(a), StrToBcd(b), r);
  return BcdToStr(r);
}
std::string div(const char* a, const char* b) {
  TBcd r;
  BcdDivide(StrToBcd(a), StrToBcd(b), r);
  return BcdToStr(r);
}
}  // namespace

TEST(FMTBcd, TextRoundTripsExactlyWithoutTrailingZeros) {
  FormatGuard formats;
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {{"0", "0"},
                        {"-0", "0"},
                        {"007", "7"},
                        {"-12.50", "-12.5"},
                        {"0.001", "0.001"},
                        {" +3.25 ", "3.25"},
                        {"1.5E3", "1500"},
                        {"25e-3", "0.025"},
                        {"123456789012345678901234567890.123456789", "123456789012345678901234567890.123456789"}};
  for (const Case& c : cases) EXPECT_EQ(BcdToStr(StrToBcd(c.in)), c.out) << c.in;
}

TEST(FMTBcd, DigitsArePackedTwoPerByteWithPrecisionAndPlaces) {
  FormatGuard formats;
  TBcd b = StrToBcd("-12.345");
  EXPECT_EQ(b.Precision, 5);
  EXPECT_EQ(b.SignSpecialPlaces & 0x3F, 3);
  EXPECT_TRUE(IsBcdNegative(b));
  EXPECT_EQ(b.Fraction[0], 0x12);
  EXPECT_EQ(b.Fraction[1], 0x34);
  EXPECT_EQ(b.Fraction[2], 0x50);
  EXPECT_EQ(BcdScale(StrToBcd("0.05")), 2);
  EXPECT_EQ(BcdPrecision(StrToBcd("0.05")), 2);
}

TEST(FMTBcd, BadTextRaisesAndTryStrToBcdAnswersFalse) {
  FormatGuard formats;
  for (const char* bad : {"", "abc", "1.2.3", "1,5", "--1", "1e"}) {
    TBcd b;
    EXPECT_FALSE(TryStrToBcd(bad, b)) << bad;
    EXPECT_EQ(RaisedMessage<EBcdException>([&] { StrToBcd(bad); }), std::string("'") + bad + "' is not a valid BCD value");
  }
  TBcd b;
  EXPECT_FALSE(TryStrToBcd(std::string(65, '9'), b)) << "more than 64 digits";
}

TEST(FMTBcd, ComparisonIsExact) {
  FormatGuard formats;
  EXPECT_EQ(BcdCompare(StrToBcd("1.50"), StrToBcd("1.5")), 0);
  EXPECT_LT(BcdCompare(StrToBcd("-2"), StrToBcd("1")), 0);
  EXPECT_GT(BcdCompare(StrToBcd("10"), StrToBcd("9.9999999999999999999")), 0);
  EXPECT_LT(BcdCompare(StrToBcd("-10"), StrToBcd("-9.5")), 0);
  EXPECT_EQ(BcdCompare(StrToBcd("0"), StrToBcd("-0.000")), 0);
}

TEST(FMTBcd, ArithmeticIsExact) {
  FormatGuard formats;
  EXPECT_EQ(add("0.1", "0.2"), "0.3");
  EXPECT_EQ(add("99999999999999999999", "1"), "100000000000000000000");
  EXPECT_EQ(add("-5.25", "2"), "-3.25");
  EXPECT_EQ(sub("1", "1.0001"), "-0.0001");
  EXPECT_EQ(mul("1.5", "-2.25"), "-3.375");
  EXPECT_EQ(mul("0", "-7"), "0");
  EXPECT_EQ(div("10", "4"), "2.5");
  EXPECT_EQ(div("-1", "8"), "-0.125");
  EXPECT_EQ(div("1", "3"), "0." + std::string(32, '3'));
  EXPECT_THROW(div("1", "0"), EZeroDivide);
}

TEST(FMTBcd, NumbersConvertBothWays) {
  FormatGuard formats;
  EXPECT_EQ(BcdToStr(DoubleToBcd(0.1)), "0.1") << "a double gives the digits it shows";
  EXPECT_EQ(BcdToStr(DoubleToBcd(-1234.5)), "-1234.5");
  EXPECT_EQ(BcdToDouble(StrToBcd("2.5")), 2.5);
  EXPECT_EQ(BcdToStr(IntegerToBcd(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(BcdToInteger(StrToBcd("2.5")), 3) << "half away from zero";
  EXPECT_EQ(BcdToInteger(StrToBcd("-2.5")), -3);
  EXPECT_EQ(BcdToInteger(StrToBcd("2.9"), true), 2);
  EXPECT_THROW(BcdToInteger(StrToBcd("3000000000")), EBcdOverflowException);
  Currency c;
  ASSERT_TRUE(BCDToCurr(StrToBcd("1.23455"), c));
  EXPECT_EQ(c.Value, 12346) << "to four places, half to even (5 after an odd digit goes up)";
  ASSERT_TRUE(BCDToCurr(StrToBcd("1.23445"), c));
  EXPECT_EQ(c.Value, 12344);
  EXPECT_FALSE(BCDToCurr(StrToBcd("1e20"), c));
  TBcd b;
  ASSERT_TRUE(CurrToBCD(Currency::FromScaled(-123456), b));
  EXPECT_EQ(BcdToStr(b), "-12.3456");
  ASSERT_TRUE(CurrToBCD(Currency::FromScaled(123456), b, 10, 2));
  EXPECT_EQ(BcdToStr(b), "12.35");
}

TEST(FMTBcd, NormalizeRoundsToTheScaleAndChecksThePrecision) {
  FormatGuard formats;
  TBcd out;
  ASSERT_TRUE(NormalizeBcd(StrToBcd("12.345"), out, 5, 2));
  EXPECT_EQ(BcdToStr(out), "12.35");
  EXPECT_EQ(BcdScale(out), 2);
  ASSERT_TRUE(NormalizeBcd(StrToBcd("7"), out, 5, 2));
  EXPECT_EQ(BcdScale(out), 2) << "padded to the scale";
  EXPECT_FALSE(NormalizeBcd(StrToBcd("1234.5"), out, 5, 2));
}

TEST(FMTBcd, FormattedText) {
  FormatGuard formats;
  TBcd b = StrToBcd("1234567.125");
  EXPECT_EQ(BcdToStrF(b, ffGeneral, 0, 0), "1234567.125");
  EXPECT_EQ(BcdToStrF(b, ffFixed, 0, 2), "1234567.13");
  EXPECT_EQ(BcdToStrF(b, ffNumber, 0, 1), "1,234,567.1");
  EXPECT_EQ(BcdToStrF(StrToBcd("-5"), ffFixed, 0, 2), "-5.00");
  EXPECT_EQ(BcdToStrF(b, ffGeneral, 4, 0), "1.235E6");
}

TEST(FMTBcdVariant, TheVariantKindConvertsComparesAndComputes) {
  FormatGuard formats;
  Variant v = VarFMTBcdCreate("1.25", 10, 2);
  EXPECT_TRUE(VarIsFMTBcd(v));
  EXPECT_EQ(VarType(v), VarFMTBcd());
  EXPECT_GE(VarFMTBcd(), varFirstCustom);
  EXPECT_EQ(VarToStr(v), "1.25");
  EXPECT_EQ(v.AsDouble(), 1.25);
  Variant sum = v + Variant(1);
  EXPECT_TRUE(VarIsFMTBcd(sum)) << "an integer beside a BCD becomes a BCD";
  EXPECT_EQ(VarToStr(sum), "2.25");
  EXPECT_EQ(VarToStr(VarFMTBcdCreate(StrToBcd("0.1")) + VarFMTBcdCreate(StrToBcd("0.2"))), "0.3");
  EXPECT_TRUE(v == Variant(1.25));
  EXPECT_TRUE(v < Variant("2"));
  EXPECT_TRUE(v > VarFMTBcdCreate(StrToBcd("1.2499")));
  EXPECT_EQ(VarAsType(VarFMTBcdCreate(StrToBcd("2.5")), varInteger).AsInteger(), 2) << "half to even, as floats";
  EXPECT_EQ(VarType(VarAsType(v, varOleStr)), varOleStr);
  EXPECT_EQ(VarAsType(v, varCurrency).AsCurrency().Value, 12500);
  EXPECT_EQ(BcdToStr(VarToBcd(Variant(" 42.5"))), "42.5");
  EXPECT_EQ(BcdToStr(VarToBcd(-v)), "-1.25");
  EXPECT_THROW(VarToBcd(Null()), EVariantTypeCastError);
  EXPECT_THROW(VarToBcd(Variant("x")), EVariantTypeCastError);
  EXPECT_THROW(VarAsType(VarFMTBcdCreate(StrToBcd("1e30")), varInteger), EVariantOverflowError);
}
