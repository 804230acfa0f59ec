#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "RtlTestHelpers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

namespace {

// "Kind:text", e.g. "Int64:2147483648": one string that pins both the kind and the value.
std::string Describe(const Variant& v) {
  std::string text;
  try {
    text = VarToStr(v);
  } catch (const Exception& e) {
    text = "<" + e.Message() + ">";
  }
  return VarTypeAsText(VarType(v)) + ":" + text;
}

using VariantTest = KnownFormatSettingsTest;

// ---------------------------------------------------------------------------------------
// Kinds.

TEST_F(VariantTest, KindCodesAreThoseOfOleVariants) {
  struct Case {
    TVarType ours;
    VARTYPE ole;
    const char* name;
  };
  const Case cases[] = {
      {varEmpty, VT_EMPTY, "Empty"},       {varNull, VT_NULL, "Null"},         {varSmallint, VT_I2, "Smallint"},
      {varInteger, VT_I4, "Integer"},      {varSingle, VT_R4, "Single"},       {varDouble, VT_R8, "Double"},
      {varCurrency, VT_CY, "Currency"},    {varDate, VT_DATE, "Date"},         {varOleStr, VT_BSTR, "OleStr"},
      {varDispatch, VT_DISPATCH, "Dispatch"}, {varError, VT_ERROR, "Error"},   {varBoolean, VT_BOOL, "Boolean"},
      {varVariant, VT_VARIANT, "Variant"}, {varUnknown, VT_UNKNOWN, "Unknown"}, {varShortInt, VT_I1, "ShortInt"},
      {varByte, VT_UI1, "Byte"},           {varWord, VT_UI2, "Word"},          {varLongWord, VT_UI4, "LongWord"},
      {varInt64, VT_I8, "Int64"},          {varArray, VT_ARRAY, "Array"},      {varByRef, VT_BYREF, "ByRef"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.ours, c.ole) << c.name << ": code differs from OLE's";
  EXPECT_EQ(varString, 0x100);
  EXPECT_EQ(varTypeMask, 0xFFF);
}

TEST_F(VariantTest, ConstructionPicksKindFromCppType) {
  struct Case {
    Variant value;
    TVarType kind;
    const char* what;
  };
  const Case cases[] = {
      {Variant(true), varBoolean, "bool"},
      {Variant(int32_t(1)), varInteger, "int32"},
      {Variant(int16_t(1)), varSmallint, "int16"},
      {Variant(int8_t(1)), varShortInt, "int8"},
      {Variant(uint8_t(1)), varByte, "uint8"},
      {Variant(uint16_t(1)), varWord, "uint16"},
      {Variant(uint32_t(1)), varLongWord, "uint32"},
      {Variant(int64_t(1)), varInt64, "int64"},
      {Variant(1.0f), varSingle, "float"},
      {Variant(1.0), varDouble, "double"},
      {Variant(1.0L), varDouble, "long double"},
      {Variant(Currency::FromInt(1)), varCurrency, "Currency"},
      {Variant("a"), varString, "const char*"},
      {Variant(std::string("a")), varString, "std::string"},
      {VarFromDateTime(1.0), varDate, "VarFromDateTime"},
      {Null(), varNull, "Null()"},
      {Unassigned(), varEmpty, "Unassigned()"},
      {Variant(), varEmpty, "default"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VarType(c.value), c.kind) << c.what << " made " << VarTypeAsText(VarType(c.value)) << ", expected "
                                        << VarTypeAsText(c.kind);
}

// ---------------------------------------------------------------------------------------
// Conversions.

TEST_F(VariantTest, TextToFloatFollowsDecimalSeparator) {
  struct Case {
    char sep;
    const char* text;
    bool ok;
    double expected;
  };
  const Case cases[] = {
      {'.', "1.5", true, 1.5},    {'.', " 2.25 ", true, 2.25}, {'.', "-1e3", true, -1000},
      {'.', "1,5", false, 0},     {',', "1,5", true, 1.5},     {',', "1.5", false, 0},
      {',', "-0,125", true, -0.125}, {'.', "abc", false, 0},   {'.', "", false, 0},
  };
  for (const Case& c : cases) {
    DecimalSeparator = c.sep;
    Variant v(c.text);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v.AsDouble(), c.expected) << "'" << c.text << "' with separator '" << c.sep << "'";
    } else {
      std::string msg = RaisedMessage<EVariantError>([&] { v.AsDouble(); });
      EXPECT_EQ(msg, "Could not convert variant of type (String) into type (Double)")
          << "'" << c.text << "' with separator '" << c.sep << "' should be refused";
    }
  }
}

TEST_F(VariantTest, ValuesToTextUseFifteenDigitsAndDecimalSeparator) {
  struct Case {
    char sep;
    Variant value;
    const char* expected;
  };
  const Case cases[] = {
      {'.', Variant(1.5), "1.5"},
      {',', Variant(1.5), "1,5"},
      {'.', Variant(1.0 / 3.0), "0.333333333333333"},
      {'.', Variant(42), "42"},
      {'.', Variant(int64_t(9007199254740993)), "9007199254740993"},
      {'.', Variant(uint32_t(4000000000u)), "4000000000"},
      {'.', Variant(true), "True"},
      {'.', Variant(false), "False"},
      {',', Variant(Currency::FromScaled(12500)), "1,25"},
      {'.', Variant(), ""},
  };
  for (const Case& c : cases) {
    DecimalSeparator = c.sep;
    EXPECT_EQ(c.value.AsString(), c.expected) << "text of " << VarTypeAsText(VarType(c.value)) << " with '" << c.sep
                                              << "'";
  }
}

TEST_F(VariantTest, FloatToIntegerRoundsHalfToEvenAndChecksRange) {
  struct Case {
    Variant value;
    int64_t expected;
  };
  const Case cases[] = {
      {Variant(2.5), 2},   {Variant(3.5), 4},       {Variant(-2.5), -2}, {Variant(2.6), 3},
      {Variant("2.5"), 2}, {Variant(" 12 "), 12},   {Variant(true), -1}, {Variant(), 0},
      {Variant(Currency::FromScaled(25000)), 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.value.AsInteger(), c.expected) << Describe(c.value) << " as Integer";

  EXPECT_EQ(Variant("3000000000").AsInt64(), 3000000000LL);
  EXPECT_EQ(RaisedMessage<EVariantOverflowError>([] { Variant("3000000000").AsInteger(); }),
            "Arithmetic overflow converting variant of type (String) into type (Integer)");
  EXPECT_EQ(RaisedMessage<EVariantOverflowError>([] { Variant(int64_t(1) << 40).AsInteger(); }),
            "Arithmetic overflow converting variant of type (Int64) into type (Integer)");
  EXPECT_EQ(RaisedMessage<EVariantTypeCastError>([] { Variant("12a").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
}

TEST_F(VariantTest, BooleansReadAndWriteTrueFalseText) {
  struct Case {
    Variant value;
    bool expected;
  };
  const Case cases[] = {
      {Variant("True"), true}, {Variant("false"), false}, {Variant("TRUE"), true}, {Variant("0"), false},
      {Variant("2"), true},    {Variant(0.0), false},     {Variant(-1), true},     {Variant(), false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value.AsBoolean(), c.expected) << Describe(c.value) << " as Boolean";
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(false).AsInteger(), 0);
  EXPECT_EQ(RaisedMessage<EVariantTypeCastError>([] { Variant("yes").AsBoolean(); }),
            "Could not convert variant of type (String) into type (Boolean)");
}

TEST_F(VariantTest, NullRefusesConversionButVarToStrGivesEmptyText) {
  Variant n = Null();
  EXPECT_EQ(RaisedMessage<EVariantError>([&] { n.AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(RaisedMessage<EVariantError>([&] { n.AsDouble(); }),
            "Could not convert variant of type (Null) into type (Double)");
  EXPECT_EQ(RaisedMessage<EVariantError>([&] { n.AsString(); }),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_THROW(n.AsBoolean(), EVariantError);
  EXPECT_THROW(n.AsDateTime(), EVariantError);
  EXPECT_EQ(VarToStr(n), "");
  EXPECT_EQ(VarToStrDef(n, "none"), "none");
  EXPECT_EQ(VarToStrDef(Unassigned(), "none"), "") << "only Null takes the default";
  EXPECT_EQ(VarToStrDef(Variant(3), "none"), "3");
}

TEST_F(VariantTest, DatesConvertThroughDateTimeText) {
  TDateTime when = EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 0, 0);
  EXPECT_EQ(VarFromDateTime(when).AsString(), "05/03/2024 14:30:00");
  EXPECT_EQ(VarFromDateTime(EncodeDate(2024, 3, 5)).AsString(), "05/03/2024") << "midnight shows no time";
  EXPECT_DOUBLE_EQ(Variant("05/03/2024").AsDateTime(), EncodeDate(2024, 3, 5));
  EXPECT_DOUBLE_EQ(VarToDateTime(Variant("05/03/2024 14:30:00")), when);
  Variant asDate = VarAsType(Variant("31/12/1999"), varDate);
  EXPECT_EQ(VarType(asDate), varDate);
  EXPECT_DOUBLE_EQ(asDate.AsDateTime(), EncodeDate(1999, 12, 31));
  EXPECT_EQ(RaisedMessage<EVariantTypeCastError>([] { VarAsType(Variant("31/02/1999x"), varDate); }),
            "Could not convert variant of type (String) into type (Date)");
}

TEST_F(VariantTest, VarAsTypeConvertsOrRaises) {
  struct Case {
    Variant value;
    TVarType to;
    const char* expected;  // Describe() of the result, or the message raised
  };
  const Case cases[] = {
      {Variant("12"), varSmallint, "Smallint:12"},
      {Variant(2.5), varInteger, "Integer:2"},
      {Variant(1.5), varString, "String:1.5"},
      {Variant(1.5), varOleStr, "OleStr:1.5"},
      {Variant(7), varCurrency, "Currency:7"},
      {Variant(-1), varBoolean, "Boolean:True"},
      {Variant(255), varByte, "Byte:255"},
      {Variant(300), varByte, "Arithmetic overflow converting variant of type (Integer) into type (Byte)"},
      {Variant(-1), varLongWord, "Arithmetic overflow converting variant of type (Integer) into type (LongWord)"},
      {Variant(1e300), varSingle, "Arithmetic overflow converting variant of type (Double) into type (Single)"},
      {Null(), varInteger, "Could not convert variant of type (Null) into type (Integer)"},
      {Null(), varEmpty, "Empty:"},
      {Variant(5), varNull, "Null:"},
      {VarArrayOf({1}), varInteger, "Could not convert variant of type (Array Variant) into type (Integer)"},
      {Variant(3), varUnknown, "Could not convert variant of type (Integer) into type (Unknown)"},
  };
  for (const Case& c : cases) {
    std::string got;
    try {
      got = Describe(VarAsType(c.value, c.to));
    } catch (const EVariantError& e) {
      got = e.Message();
    }
    EXPECT_EQ(got, c.expected) << Describe(c.value) << " as " << VarTypeAsText(c.to);
  }
}

TEST_F(VariantTest, KindPredicatesClassifyEachKind) {
  struct Case {
    Variant value;
    bool ordinal, isFloat, numeric, str, clear;
  };
  const Case cases[] = {
      {Variant(1), true, false, true, false, false},
      {Variant(true), true, false, true, false, false},
      {Variant(uint8_t(1)), true, false, true, false, false},
      {Variant(int64_t(1)), true, false, true, false, false},
      {Variant(1.0), false, true, true, false, false},
      {Variant(1.0f), false, true, true, false, false},
      {Variant(Currency::FromInt(1)), false, true, true, false, false},
      {VarFromDateTime(1), false, false, false, false, false},
      {Variant("1"), false, false, false, true, false},
      {VarAsType(Variant("1"), varOleStr), false, false, false, true, false},
      {Null(), false, false, false, false, false},
      {Variant(), false, false, false, false, true},
      {Variant(static_cast<IUnknown*>(nullptr)), false, false, false, false, true},
  };
  for (const Case& c : cases) {
    std::string what = Describe(c.value);
    EXPECT_EQ(VarIsOrdinal(c.value), c.ordinal) << what << " VarIsOrdinal";
    EXPECT_EQ(VarIsFloat(c.value), c.isFloat) << what << " VarIsFloat";
    EXPECT_EQ(VarIsNumeric(c.value), c.numeric) << what << " VarIsNumeric";
    EXPECT_EQ(VarIsStr(c.value), c.str) << what << " VarIsStr";
    EXPECT_EQ(VarIsClear(c.value), c.clear) << what << " VarIsClear";
  }
  EXPECT_TRUE(VarIsType(Variant(1), {varSmallint, varInteger}));
  EXPECT_FALSE(VarIsType(Variant(1), {varSmallint, varDouble}));
}

// ---------------------------------------------------------------------------------------
// Operators.

TEST_F(VariantTest, ArithmeticPromotesAndWidensOnOverflow) {
  using Op = std::function<Variant(const Variant&, const Variant&)>;
  const Op add = [](const Variant& a, const Variant& b) { return a + b; };
  const Op sub = [](const Variant& a, const Variant& b) { return a - b; };
  const Op mul = [](const Variant& a, const Variant& b) { return a * b; };
  const Op dvd = [](const Variant& a, const Variant& b) { return a / b; };
  const Op idiv = [](const Variant& a, const Variant& b) { return Div(a, b); };
  const Op mod = [](const Variant& a, const Variant& b) { return a % b; };
  struct Case {
    Variant l;
    const Op* op;
    const char* opName;
    Variant r;
    const char* expected;
  };
  const Variant intMax(INT32_MAX), intMin(INT32_MIN), int64Max(INT64_MAX);
  const TDateTime day = EncodeDate(2024, 1, 10);
  const Case cases[] = {
      {Variant(2), &add, "+", Variant(3), "Integer:5"},
      {intMax, &add, "+", Variant(1), "Int64:2147483648"},
      {intMin, &sub, "-", Variant(1), "Int64:-2147483649"},
      {Variant(100000), &mul, "*", Variant(100000), "Int64:10000000000"},
      {int64Max, &add, "+", Variant(1), "Double:9.22337203685478E18"},
      {Variant(uint8_t(200)), &add, "+", Variant(uint8_t(100)), "Integer:300"},
      {Variant(uint32_t(1)), &add, "+", Variant(1), "Int64:2"},
      {Variant(2), &add, "+", Variant(0.5), "Double:2.5"},
      {Variant(1.5f), &add, "+", Variant(1.0f), "Single:2.5"},
      {Variant(Currency::FromScaled(15000)), &add, "+", Variant(2), "Currency:3.5"},
      {Variant(Currency::FromScaled(15000)), &mul, "*", Variant(3), "Currency:4.5"},
      {Variant("1.5"), &add, "+", Variant(1), "Double:2.5"},
      {Variant(10), &sub, "-", Variant("4"), "Double:6"},
      {Variant("a"), &add, "+", Variant("b"), "String:ab"},
      {Variant("1"), &add, "+", Variant("2"), "String:12"},
      {Variant("1"), &add, "+", Variant(), "String:1"},
      {Variant("6"), &mul, "*", Variant("7"), "Double:42"},
      {Variant(7), &dvd, "/", Variant(2), "Double:3.5"},
      {Variant(6), &dvd, "/", Variant(3), "Double:2"},
      {Variant(7), &idiv, "div", Variant(2), "Integer:3"},
      {Variant(-7), &idiv, "div", Variant(2), "Integer:-3"},
      {Variant(7.6), &idiv, "div", Variant(2), "Integer:4"},
      {Variant("7"), &idiv, "div", Variant(2), "Integer:3"},
      {Variant(int64_t(7)), &idiv, "div", Variant(2), "Int64:3"},
      {Variant(7), &mod, "mod", Variant(3), "Integer:1"},
      {Variant(-7), &mod, "mod", Variant(3), "Integer:-1"},
      {intMin, &idiv, "div", Variant(-1), "Int64:2147483648"},
      {VarFromDateTime(day), &add, "+", Variant(1), "Date:11/01/2024"},
      {VarFromDateTime(day), &sub, "-", VarFromDateTime(day - 3), "Double:3"},
      {Null(), &add, "+", Variant(1), "Null:"},
      {Variant(1), &mul, "*", Null(), "Null:"},
      {Variant(), &add, "+", Variant(4), "Integer:4"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Describe((*c.op)(c.l, c.r)), c.expected) << Describe(c.l) << " " << c.opName << " " << Describe(c.r);
}

TEST_F(VariantTest, LogicalOperatorsAreBooleanOnBooleansAndBitwiseOnIntegers) {
  struct Case {
    Variant result;
    const char* what;
    const char* expected;
  };
  const Case cases[] = {
      {Variant(true) & Variant(false), "True and False", "Boolean:False"},
      {Variant(true) | Variant(false), "True or False", "Boolean:True"},
      {Variant(true) ^ Variant(true), "True xor True", "Boolean:False"},
      {Variant(12) & Variant(10), "12 and 10", "Integer:8"},
      {Variant(12) | Variant(10), "12 or 10", "Integer:14"},
      {Variant(12) ^ Variant(10), "12 xor 10", "Integer:6"},
      {Variant("True") & Variant(true), "'True' and True", "Boolean:True"},
      {~Variant(true), "not True", "Boolean:False"},
      {~Variant(0), "not 0", "Integer:-1"},
      {~Null(), "not Null", "Null:"},
      {Variant(true) & Null(), "True and Null", "Null:"},
      {-Variant(INT32_MIN), "-MinInt", "Int64:2147483648"},
      {-Variant(2.5), "-2.5", "Double:-2.5"},
      {-Variant("3"), "-'3'", "Double:-3"},
  };
  for (const Case& c : cases) EXPECT_EQ(Describe(c.result), c.expected) << c.what;
}

TEST_F(VariantTest, DivisionByZeroRaises) {
  EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);
  EXPECT_THROW(Variant(0.0) / Variant(0), EInvalidOp);
  EXPECT_THROW(Div(Variant(1), Variant(0)), EDivByZero);
  EXPECT_THROW(Variant(1) % Variant(0), EDivByZero);
}

TEST_F(VariantTest, OperationsOnUnsuitableKindsRaise) {
  EXPECT_THROW(VarArrayOf({1}) + Variant(1), EVariantInvalidOpError);
  EXPECT_THROW(Variant("abc") + Variant(1), EVariantTypeCastError) << "text beside a number must be a number";
  EXPECT_THROW((void)(VarArrayOf({1}) == VarArrayOf({1})), EVariantInvalidOpError);
}

TEST_F(VariantTest, CompoundAssignmentUsesTheSameRules) {
  Variant v = 1;
  v += 2;
  v *= Variant("2.5");
  EXPECT_EQ(Describe(v), "Double:7.5");
  Variant s = "a";
  s += "b";
  EXPECT_EQ(Describe(s), "String:ab");
}

// ---------------------------------------------------------------------------------------
// Comparison.

TEST_F(VariantTest, ComparisonReadsTextAsNumberBesideANumber) {
  // expected: -1 when l < r, 0 when equal, 1 when l > r
  struct Case {
    Variant l, r;
    int expected;
  };
  const Case cases[] = {
      {Variant("10"), Variant(9), 1},  // numeric, not "10" < "9"
      {Variant("10"), Variant("9"), -1},  // two texts compare as text
      {Variant("abc"), Variant("abd"), -1},
      {Variant("abc"), Variant("abc"), 0},
      {Variant(1), Variant(1.0), 0},
      {Variant(int64_t(9007199254740993)), Variant(int64_t(9007199254740992)), 1},  // not through a double
      {Variant(Currency::FromScaled(15000)), Variant(1.5), 0},
      {Variant(), Variant(0), 0},
      {Variant(), Variant(""), 0},
      {Variant(false), Variant(true), -1},
      {Variant("True"), Variant(true), 0},
      {Variant("2.5"), Variant(2.5f), 0},
      {VarFromDateTime(EncodeDate(2024, 1, 2)), Variant("01/01/2024"), 1},
  };
  for (const Case& c : cases) {
    std::string what = Describe(c.l) + " vs " + Describe(c.r);
    EXPECT_EQ(c.l == c.r, c.expected == 0) << what << " ==";
    EXPECT_EQ(c.l != c.r, c.expected != 0) << what << " !=";
    EXPECT_EQ(c.l < c.r, c.expected < 0) << what << " <";
    EXPECT_EQ(c.l <= c.r, c.expected <= 0) << what << " <=";
    EXPECT_EQ(c.l > c.r, c.expected > 0) << what << " >";
    EXPECT_EQ(c.l >= c.r, c.expected >= 0) << what << " >=";
  }
  EXPECT_TRUE(Variant("abc") != Variant("ABC")) << "text compares with regard to case";
  EXPECT_THROW((void)(Variant("abc") < Variant(1)), EVariantTypeCastError);
}

TEST_F(VariantTest, NullEqualsOnlyNullAndSortsFirst) {
  const Variant n = Null();
  EXPECT_TRUE(n == Null());
  EXPECT_FALSE(n != Null());
  EXPECT_FALSE(n < Null());
  EXPECT_TRUE(n <= Null());
  for (const Variant& v : {Variant(0), Variant(-1e300), Variant(""), Variant(), Variant(false)}) {
    std::string what = Describe(v);
    EXPECT_FALSE(n == v) << "Null = " << what;
    EXPECT_TRUE(n != v) << "Null <> " << what;
    EXPECT_TRUE(n < v) << "Null < " << what;
    EXPECT_FALSE(v < n) << what << " < Null";
    EXPECT_TRUE(v > n) << what << " > Null";
    EXPECT_FALSE(v <= n) << what << " <= Null";
  }
}

TEST_F(VariantTest, CompareValueAndSameValueTreatEmptyAndNullApart) {
  struct Case {
    Variant a, b;
    TVariantRelationship rel;
    bool same;
  };
  const Case cases[] = {
      {Variant(), Variant(), vrEqual, true},
      {Null(), Null(), vrEqual, true},
      {Variant(), Null(), vrNotEqual, false},
      {Variant(), Variant(0), vrNotEqual, false},
      {Variant(0), Null(), vrNotEqual, false},
      {Variant(1), Variant(2), vrLessThan, false},
      {Variant("b"), Variant("a"), vrGreaterThan, false},
      {Variant(2), Variant("2"), vrEqual, true},
  };
  for (const Case& c : cases) {
    std::string what = Describe(c.a) + " vs " + Describe(c.b);
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.rel) << what;
    EXPECT_EQ(VarSameValue(c.a, c.b), c.same) << what;
  }
}

// ---------------------------------------------------------------------------------------
// Arrays.

TEST_F(VariantTest, ArrayOfHoldsAnyKindsFromZero) {
  Variant a = VarArrayOf({1, "two", Null()});
  EXPECT_EQ(VarType(a), varArray | varVariant);
  EXPECT_TRUE(VarIsArray(a));
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 0);
  EXPECT_EQ(VarArrayHighBound(a, 1), 2);
  EXPECT_EQ(Describe(a[0]), "Integer:1");
  EXPECT_EQ(Describe(a[1]), "String:two");
  EXPECT_EQ(Describe(a[2]), "Null:");
  a[1] = 2.5;
  EXPECT_EQ(Describe(a[1]), "Double:2.5");
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
  EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);
}

TEST_F(VariantTest, TypedArrayConvertsElementsOnWrite) {
  Variant a = VarArrayCreate({1, 3}, varInteger);
  EXPECT_EQ(VarType(a), varArray | varInteger);
  EXPECT_EQ(Describe(a[2]), "Integer:0") << "new elements are zero of the element kind";
  a[2] = "12";
  EXPECT_EQ(Describe(a[2]), "Integer:12");
  EXPECT_THROW(a[3] = "x", EVariantTypeCastError);
  EXPECT_EQ(Describe(a[3]), "Integer:0") << "a refused write leaves the element as it was";
  EXPECT_EQ(RaisedMessage<EVariantBadIndexError>([&] { a[0] = 1; }), "Variant or safe array index out of bounds");
  EXPECT_THROW(a[4].Value(), EVariantBadIndexError);
}

TEST_F(VariantTest, MultiDimensionalArrayKeepsElementsWhenLastDimensionChanges) {
  Variant a = VarArrayCreate({0, 1, 10, 12}, varVariant);
  ASSERT_EQ(VarArrayDimCount(a), 2);
  EXPECT_EQ(VarArrayLowBound(a, 2), 10);
  EXPECT_EQ(VarArrayHighBound(a, 2), 12);
  for (Integer i = 0; i <= 1; ++i)
    for (Integer j = 10; j <= 12; ++j) VarArrayPut(a, i * 100 + j, {i, j});
  EXPECT_EQ(VarArrayGet(a, {1, 11}).AsInteger(), 111);

  VarArrayRedim(a, 13);
  EXPECT_EQ(VarArrayHighBound(a, 2), 13);
  for (Integer i = 0; i <= 1; ++i)
    for (Integer j = 10; j <= 12; ++j)
      EXPECT_EQ(VarArrayGet(a, {i, j}).AsInteger(), i * 100 + j) << "element [" << i << "," << j << "] after growing";
  EXPECT_TRUE(VarIsEmpty(VarArrayGet(a, {1, 13})));

  VarArrayRedim(a, 10);
  EXPECT_EQ(VarArrayGet(a, {1, 10}).AsInteger(), 110);
  EXPECT_THROW(VarArrayGet(a, {0, 11}), EVariantBadIndexError);
  EXPECT_THROW(VarArrayGet(a, {0}), EVariantBadIndexError) << "wrong number of indices";
  EXPECT_THROW(VarArrayLowBound(a, 3), EVariantBadIndexError);
}

TEST_F(VariantTest, ArrayCopiesAreIndependent) {
  Variant a = VarArrayOf({1, 2});
  Variant b = a;
  b[0] = 99;
  EXPECT_EQ(a[0].AsInteger(), 1);
  EXPECT_EQ(b[0].AsInteger(), 99);
  a = a[1];  // an element assigned over its own array
  EXPECT_EQ(Describe(a), "Integer:2");
}

TEST_F(VariantTest, ArrayErrorsAreVariantErrors) {
  EXPECT_EQ(RaisedMessage<EVariantNotAnArrayError>([] { Variant(1)[0]; }), "Variant is not an array");
  EXPECT_THROW(VarArrayLowBound(Variant("x"), 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayCreate({0, 1, 2}, varVariant), EVariantArrayCreateError);
  EXPECT_THROW(VarArrayCreate({3, 1}, varVariant), EVariantArrayCreateError);
  EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantArrayCreateError);
  Variant v = 5;
  EXPECT_THROW(VarArrayRedim(v, 3), EVariantNotAnArrayError);
}

// ---------------------------------------------------------------------------------------
// Interfaces.

using CountedUnknown = CountingInterface;

TEST_F(VariantTest, InterfaceValuesHoldAReference) {
  CountedUnknown obj;
  {
    Variant v(static_cast<IInterface*>(&obj));
    EXPECT_EQ(obj.refs, 2u);
    Variant copy = v;
    EXPECT_EQ(obj.refs, 3u);
    EXPECT_EQ(copy.AsUnknown(), AsIUnknown(&obj));
    copy.Clear();
    EXPECT_EQ(obj.refs, 2u);
    EXPECT_TRUE(VarSupports(v, IID_IUnknown));
    EXPECT_EQ(obj.refs, 2u) << "VarSupports without an out pointer keeps no reference";
    EXPECT_FALSE(VarSupports(v, IID_IDispatch));
  }
  EXPECT_EQ(obj.refs, 1u) << "the variant released its reference";
}

// ---------------------------------------------------------------------------------------
// Custom kinds: a fraction kind made for the test.

struct Fraction : TVarPayload {
  Fraction(Int64 n, Int64 d) : num(n), den(d) {}
  Int64 num, den;
};

class TFractionVariantType : public TCustomVariantType {
public:
  Variant Make(Int64 n, Int64 d) const { return MakeValue(std::make_shared<Fraction>(n, d)); }
  static const Fraction& Of(const Variant& v) { return *v.PayloadAs<Fraction>(); }

  void Cast(Variant& dest, const Variant& source) override {
    if (!VarIsOrdinal(source) && !VarIsStr(source)) RaiseCastError(source.VType(), VarType());
    dest = Make(source.AsInt64(), 1);
  }
  void CastTo(Variant& dest, const Variant& source, TVarType varType) override {
    const Fraction& f = Of(source);
    if (varType == varString) dest = IntToStr(f.num) + "/" + IntToStr(f.den);
    else dest = VarAsType(Variant(static_cast<double>(f.num) / f.den), varType);
  }
  void BinaryOp(Variant& left, const Variant& right, TVarOp op) override {
    const Fraction &a = Of(left), &b = Of(right);
    if (op == opAdd) left = Make(a.num * b.den + b.num * a.den, a.den * b.den);
    else if (op == opMultiply) left = Make(a.num * b.num, a.den * b.den);
    else RaiseInvalidOp();
  }
  void Compare(const Variant& left, const Variant& right, TVarCompareResult& rel) override {
    const Fraction &a = Of(left), &b = Of(right);
    Int64 l = a.num * b.den, r = b.num * a.den;
    rel = l < r ? crLessThan : l > r ? crGreaterThan : crEqual;
  }
  std::string TypeName() const override { return "Fraction"; }
};

class CustomVariantTest : public VariantTest {
protected:
  TFractionVariantType fractions;
};

TEST_F(CustomVariantTest, RegistrationGivesCodesFromTheFirstCustomCode) {
  EXPECT_GE(fractions.VarType(), varFirstCustom);
  EXPECT_LE(fractions.VarType(), varTypeMask);
  TCustomVariantType* found = nullptr;
  ASSERT_TRUE(FindCustomVariantType(fractions.VarType(), found));
  EXPECT_EQ(found, &fractions);
  TVarType second;
  {
    TFractionVariantType other;
    second = other.VarType();
    EXPECT_EQ(second, fractions.VarType() + 1) << "the next kind gets the next code";
  }
  EXPECT_FALSE(FindCustomVariantType(second, found)) << "a destroyed kind is unregistered";
  EXPECT_THROW(VarAsType(Variant(1), second), EVariantTypeCastError);
  EXPECT_EQ(VarTypeAsText(fractions.VarType()), "Fraction");
}

TEST_F(CustomVariantTest, ConversionsGoThroughCastAndCastTo) {
  Variant half = fractions.Make(1, 2);
  EXPECT_EQ(VarType(half), fractions.VarType());
  EXPECT_TRUE(VarIsCustom(half));
  EXPECT_EQ(half.AsString(), "1/2");
  EXPECT_DOUBLE_EQ(half.AsDouble(), 0.5);
  EXPECT_EQ(VarType(VarAsType(half, varDouble)), varDouble);
  Variant three = VarAsType(Variant("3"), fractions.VarType());
  EXPECT_EQ(three.AsString(), "3/1");
  EXPECT_THROW(VarAsType(Variant(1.5), fractions.VarType()), EVariantTypeCastError);
  Variant copy = half;
  EXPECT_EQ(copy.Payload(), half.Payload()) << "copies share the immutable payload";
}

TEST_F(CustomVariantTest, OperatorsPromoteTheOtherOperandToTheCustomKind) {
  Variant half = fractions.Make(1, 2);
  Variant r1 = half + Variant(1);
  EXPECT_EQ(VarType(r1), fractions.VarType());
  EXPECT_EQ(r1.AsString(), "3/2");
  Variant r2 = Variant(2) * half;
  EXPECT_EQ(r2.AsString(), "2/2");
  EXPECT_TRUE(half < Variant(1));
  EXPECT_TRUE(Variant(1) > half);
  EXPECT_TRUE(fractions.Make(2, 4) == half);
  EXPECT_TRUE(Null() < half) << "Null still sorts first";
  EXPECT_EQ(VarType(half + Null()), varNull);
  EXPECT_THROW(half - half, EVariantInvalidOpError);
}

// ---------------------------------------------------------------------------------------
// Format takes variants through MakeVarRec.

TEST_F(VariantTest, FormatAcceptsVariantArguments) {
  EXPECT_EQ(Format("%s|%d|%.2f|%s", Variant("x"), Variant(5), Variant(1.5), Variant(true)), "x|5|1.50|True");
  EXPECT_EQ(Format("[%s]", Null()), "[]");
  DecimalSeparator = ',';
  EXPECT_EQ(Format("%s", Variant(2.5)), "2,5");
}

}  // namespace
