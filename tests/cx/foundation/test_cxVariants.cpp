#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/data/FMTBcd.h"
#include "platform/data/SqlTimSt.h"
#include "platform/rtl/SysUtils.h"

namespace {

// ---------------------------------------------------------------------------------------
// Helpers: byte strings, streams and readable variants.

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

std::string hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

std::string contentOf(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::string encoded(const Variant& v) {
  TMemoryStream stream;
  cxStreamWriteVariant(&stream, v);
  return contentOf(stream);
}

// A memory stream holding the bytes, positioned at the start.
struct StreamOf {
  TMemoryStream stream;
  explicit StreamOf(const std::string& content) {
    if (!content.empty()) stream.WriteBuffer(content.data(), static_cast<Integer>(content.size()));
    stream.SetPosition(0);
  }
};

std::string describe(const Variant& v) {
  if (VarIsArray(v)) {
    std::string s = "array " + std::to_string(VarArrayLowBound(v, 1)) + ".." + std::to_string(VarArrayHighBound(v, 1)) + " [";
    for (Integer i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i)
      s += (i > VarArrayLowBound(v, 1) ? ", " : "") + describe(VarArrayGet(v, {i}));
    return s + "]";
  }
  TVarType t = VarType(v);
  if (t == varEmpty || t == varNull) return VarTypeAsText(t);
  if (t == varDouble || t == varSingle || t == varDate) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v.RawDouble());
    return VarTypeAsText(t) + " " + buf;
  }
  if (t == varCurrency) return "Currency " + std::to_string(v.AsCurrency().Value) + "e-4";
  if (t == varString || t == varOleStr) return VarTypeAsText(t) + " \"" + v.RawString() + "\"";
  return VarTypeAsText(t) + " " + std::to_string(v.RawOrdinal());
}

// Same kind and the same value, bit for bit for floating values, element by element for
// arrays (bounds included).
bool sameVariant(const Variant& a, const Variant& b) {
  if (VarType(a) != VarType(b)) return false;
  if (VarIsArray(a)) {
    if (VarArrayDimCount(a) != 1 || VarArrayDimCount(b) != 1) return false;
    if (VarArrayLowBound(a, 1) != VarArrayLowBound(b, 1) || VarArrayHighBound(a, 1) != VarArrayHighBound(b, 1))
      return false;
    for (Integer i = VarArrayLowBound(a, 1); i <= VarArrayHighBound(a, 1); ++i)
      if (!sameVariant(VarArrayGet(a, {i}), VarArrayGet(b, {i}))) return false;
    return true;
  }
  TVarType t = VarType(a);
  if (t == varEmpty || t == varNull) return true;
  if (t == varString || t == varOleStr) return a.RawString() == b.RawString();
  if (t == varDouble || t == varDate) {
    double x = a.RawDouble(), y = b.RawDouble();
    return std::memcmp(&x, &y, sizeof x) == 0;
  }
  if (t == varSingle) return a.RawDouble() == b.RawDouble();
  if (t == varCurrency) return a.AsCurrency().Value == b.AsCurrency().Value;
  return a.RawOrdinal() == b.RawOrdinal();
}

// The FMTBcd and SQL time-stamp kinds are registered by the data library's start-up, which
// this test program does not run: register them for the tests that need them.
struct cxVariantsWithCustomKinds : ::testing::Test {
  bool startedBcd = false, startedStamp = false;
  template <class F> static bool registered(F code) {
    try {
      code();
      return true;
    } catch (const EVariantError&) {
      return false;
    }
  }
  void SetUp() override {
    if (!registered(VarFMTBcd)) {
      FMTBcdUnit::Initialize();
      startedBcd = true;
    }
    if (!registered(VarSQLTimeStamp)) {
      SqlTimStUnit::Initialize();
      startedStamp = true;
    }
  }
  void TearDown() override {
    if (startedStamp) SqlTimStUnit::Finalize();
    if (startedBcd) FMTBcdUnit::Finalize();
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Three-way comparison.

namespace {
struct CompareCase {
  Variant a, b;
  Integer expected;
  const char* what;
};
}  // namespace

TEST(cxCompareVariants, ThreeWayTable) {
  const CompareCase cases[] = {
      {Null(), Null(), 0, "two Nulls are equal"},
      {Null(), 5, -1, "Null comes first"},
      {5, Null(), 1, "Null comes first (swapped)"},
      {Unassigned(), Unassigned(), 0, "two Empties are equal"},
      {Null(), Unassigned(), -1, "Null before Empty"},
      {Unassigned(), Null(), 1, "Null before Empty (swapped)"},
      {Unassigned(), 0, 0, "Empty equals 0"},
      {Unassigned(), "", 0, "Empty equals the empty text"},
      {Unassigned(), 1, -1, "Empty is 0 beside a number"},
      {3, 5, -1, "3 < 5"},
      {5, 3, 1, "5 > 3"},
      {5, 5, 0, "equal integers"},
      {Variant(static_cast<signed char>(5)), 5, 0, "a ShortInt 5 equals an Integer 5"},
      {5, 5.0, 0, "an integer equals the same double"},
      {2.5, 2, 1, "a double beside an integer"},
      {Currency::FromScaled(15000), 1.5, 0, "a currency equals the same double"},
      {VarFromDateTime(1.0), VarFromDateTime(2.0), -1, "dates in order"},
      {false, true, -1, "False before True"},
      {"abc", "abd", -1, "texts in order"},
      {"abd", "abc", 1, "texts in order (swapped)"},
      {"abc", Variant::MakeOleStr("abc"), 0, "an 8-bit and a wide text with the same characters"},
      {"abc", "abc", 0, "equal texts"},
      {"10", 9, 1, "a numeric text beside a number is read as a number"},
      {"abc", 5, -1, "a text the platform cannot compare with a number comes first"},
      {5, "abc", 1, "... and swapping the operands reverses the result"},
      {"abc", true, -1, "a text that is no Boolean beside a Boolean"},
      {true, "abc", 1, "... swapped"},
  };
  for (const CompareCase& c : cases)
    EXPECT_EQ(cxCompareVariants(c.a, c.b), c.expected)
        << c.what << ": " << describe(c.a) << " against " << describe(c.b);
}

TEST(cxCompareVariants, TextsDifferingInCaseAreDifferentAndOrderedBothWays) {
  Integer r = cxCompareVariants("abc", "ABC");
  EXPECT_NE(r, 0) << "the comparison is case-sensitive";
  EXPECT_EQ(cxCompareVariants("ABC", "abc"), -r) << "swapping reverses the order";
  EXPECT_FALSE(cxVariantsCompareEqual("abc", "ABC"));
  EXPECT_TRUE(cxVariantsCompareEqual("abc", "abc"));
}

TEST(cxCompareVariants, ArraysCompareByHighBoundThenElementByElement) {
  const CompareCase cases[] = {
      {VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), -1, "shorter array first"},
      {VarArrayOf({1, 2, 3}), VarArrayOf({7}), 2, "the difference of the high bounds itself"},
      {VarArrayOf({7}), VarArrayOf({1, 2, 3}), -2, "... negative the other way"},
      {VarArrayOf({1, 2}), 7, 1, "an array is greater than a non-array"},
      {7, VarArrayOf({1, 2}), -1, "a non-array is less than an array"},
      {VarArrayOf({1, 2}), Null(), 1, "an array is greater than Null"},
      {VarArrayOf({1, 2}), VarArrayOf({1, 2}), 0, "equal arrays"},
      {VarArrayOf({1, 3}), VarArrayOf({1, 2}), 1, "the first differing element decides"},
      {VarArrayOf({1, "b"}), VarArrayOf({2, "a"}), -1, "... earlier elements first"},
      {VarArrayOf({Null(), 9}), VarArrayOf({5, 0}), -1, "a Null element comes first"},
      {VarArrayOf({}), VarArrayOf({}), 0, "two empty arrays"},
      {VarArrayOf({VarArrayOf({1, 2})}), VarArrayOf({VarArrayOf({1, 3})}), -1, "nested arrays compare element-wise"},
      {VarArrayOf({"abc"}), VarArrayOf({5}), -1, "incomparable elements keep the scalar rule"},
  };
  for (const CompareCase& c : cases) {
    EXPECT_EQ(cxCompareVariants(c.a, c.b), c.expected) << c.what << ": " << describe(c.a) << " against " << describe(c.b);
    EXPECT_EQ(cxCompareVariantArrays(c.a, c.b), c.expected) << "the array branch called directly: " << c.what;
  }
  EXPECT_EQ(cxCompareVariantArrays(3, 5), -1) << "two non-arrays go to the scalar comparison";
}

TEST(cxVariantsEqual, BooleansCompareAsTextOtherValuesByComparison) {
  struct Case {
    Variant a, b;
    bool expected;
    const char* what;
  };
  const Case cases[] = {
      {true, "True", true, "True equals the text of its conversion"},
      {"False", false, true, "... on either side"},
      {true, 1, false, "True does not equal the number 1 (its text is \"1\")"},
      {true, -1, false, "nor -1"},
      {true, true, true, "two Trues"},
      {true, false, false, "True and False"},
      {Null(), Null(), true, "two Nulls"},
      {true, Null(), false, "a Boolean and Null"},
      {Null(), false, false, "Null and a Boolean"},
      {5, 5.0, true, "no Boolean: the comparison decides"},
      {"a", "b", false, "different texts"},
      {true, VarArrayOf({1}), false, "a value without a text form is unequal, without an error"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxVariantsEqual(c.a, c.b), c.expected) << c.what << ": " << describe(c.a) << " and " << describe(c.b);
}

TEST_F(cxVariantsWithCustomKinds, TypeTests) {
  Variant stamp = VarSQLTimeStampCreate(45000.5);
  Variant bcd = VarFMTBcdCreate(std::string("12.5"), 10, 2);

  EXPECT_TRUE(cxIsDateTimeVariant(VarFromDateTime(45000.5)));
  EXPECT_TRUE(cxIsDateTimeVariant(stamp)) << "the SQL time stamp is a date-time kind";
  EXPECT_FALSE(cxIsDateTimeVariant(45000.5)) << "a double is not";
  EXPECT_FALSE(cxIsDateTimeVariant(VarArrayOf({VarFromDateTime(1.0)}))) << "an array of dates is not";
  EXPECT_TRUE(cxIsDateTimeVarType(varDate));
  EXPECT_TRUE(cxIsDateTimeVarType(VarSQLTimeStamp()));
  EXPECT_FALSE(cxIsDateTimeVarType(varDouble));
  EXPECT_FALSE(cxIsDateTimeVarType(VarFMTBcd())) << "another custom kind";

  struct NumericCase {
    Variant v;
    bool expected;
  };
  const NumericCase numeric[] = {
      {5, true},     {2.5, true},   {1.5f, true},   {Currency::FromInt(3), true}, {Variant(static_cast<Byte>(7)), true},
      {Variant(static_cast<Int64>(1)), true},       {bcd, true},                  {"5", false},
      {Null(), false}, {Unassigned(), false},       {VarFromDateTime(1.0), false}, {stamp, false},
  };
  for (const NumericCase& c : numeric) EXPECT_EQ(cxIsNumericVariant(c.v), c.expected) << describe(c.v);
}

TEST(cxIsVariantNullOrEmpty, NullAndEmptyTextsOnly) {
  struct Case {
    Variant v;
    bool expected;
  };
  const Case cases[] = {
      {Null(), true},
      {"", true},
      {Variant::MakeOleStr(""), true},
      {Unassigned(), false},
      {" ", false},
      {Variant::MakeOleStr(" "), false},
      {0, false},
      {VarArrayOf({}), false},
  };
  for (const Case& c : cases) EXPECT_EQ(cxIsVariantNullOrEmpty(c.v), c.expected) << describe(c.v);
}

// ---------------------------------------------------------------------------------------
// Array builders.

TEST(cxVariantArrays, BuildersMakeZeroBasedVariantArrays) {
  EXPECT_EQ(describe(cxMakeVariantPair(1, "b")), "array 0..1 [Integer 1, String \"b\"]");
  EXPECT_EQ(VarType(cxMakeVariantPair(1, 2)), varArray | varVariant);
  EXPECT_EQ(describe(cxMakeSingleItemVariantArray(Null())), "array 0..0 [Null]");

  Variant a = cxMakeVariantPair(1, 2);
  cxAppendToVariantArray(a, "three");
  EXPECT_EQ(describe(a), "array 0..2 [Integer 1, Integer 2, String \"three\"]");

  Variant empty = VarArrayOf({});
  cxAppendToVariantArray(empty, 9);
  EXPECT_EQ(describe(empty), "array 0..0 [Integer 9]");

  Variant nested = cxMakeSingleItemVariantArray(cxMakeVariantPair(1, 2));
  EXPECT_EQ(describe(nested), "array 0..0 [array 0..1 [Integer 1, Integer 2]]") << "an array element stays an array";
}

TEST(cxVariantArrays, AppendingToAnArrayNotStartingAtZeroKeepsEveryElement) {
  Variant a = VarArrayCreate({5, 6}, varInteger);
  VarArrayPut(a, 50, {5});
  VarArrayPut(a, 60, {6});
  cxAppendToVariantArray(a, 70);
  EXPECT_EQ(describe(a), "array 0..2 [Integer 50, Integer 60, Integer 70]");
}

TEST(cxVariantArrays, AppendingToANonArrayIsAnError) {
  Variant v = 5;
  EXPECT_THROW(cxAppendToVariantArray(v, 1), EVariantError);
}

// ---------------------------------------------------------------------------------------
// Stream encoding: bytes written by hand from the format (tag, then little-endian payload).

TEST(cxStreamWriteVariant, ExactBytes) {
  struct Case {
    Variant v;
    std::string expected;
  };
  const Case cases[] = {
      {Null(), bytes({0x00})},
      {Unassigned(), bytes({0x0D})},
      {true, bytes({0x09})},
      {false, bytes({0x08})},
      {127, bytes({0x02, 0x7F})},
      {-128, bytes({0x02, 0x80})},
      {-1, bytes({0x02, 0xFF})},
      {128, bytes({0x03, 0x80, 0x00})},
      {-129, bytes({0x03, 0x7F, 0xFF})},
      {32767, bytes({0x03, 0xFF, 0x7F})},
      {32768, bytes({0x04, 0x00, 0x80, 0x00, 0x00})},
      {-32769, bytes({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
      {Variant(static_cast<Byte>(200)), bytes({0x03, 0xC8, 0x00})},
      {Variant(static_cast<SmallInt>(-2)), bytes({0x02, 0xFE})},
      // 1.0: mantissa 8000000000000000, exponent 3FFF; -2.5 = -1.25 * 2^1: A000.., C000.
      {1.0, bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
      {-2.5, bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0})},
      // 0.1 = 1.6 * 2^-4: the double's 53 bits 1999999999999A moved to the top of 64 bits.
      {0.1, bytes({0x05, 0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F})},
      {0.0, bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
      {1.5f, bytes({0x0F, 0x00, 0x00, 0xC0, 0x3F})},
      // 1.5 in ten-thousandths is 15000 = 3A98.
      {Currency::FromScaled(15000), bytes({0x10, 0x98, 0x3A, 0, 0, 0, 0, 0, 0})},
      {Currency::FromScaled(-1), bytes({0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
      // The date 2.5 as an IEEE double is 4004000000000000.
      {VarFromDateTime(2.5), bytes({0x11, 0, 0, 0, 0, 0, 0, 0x04, 0x40})},
      {"", bytes({0x06, 0x00})},
      {"Ab", bytes({0x06, 0x02, 'A', 'b'})},
      // é is E9 in the 8-bit code page and U+00E9; the euro sign is 80 and U+20AC.
      {Variant::MakeOleStr("A\xE9\x80"), bytes({0x12, 0x03, 0, 0, 0, 'A', 0, 0xE9, 0x00, 0xAC, 0x20})},
      {Variant::MakeOleStr(""), bytes({0x12, 0, 0, 0, 0})},
      {Variant(static_cast<Word>(65535)), bytes({0x06, 0x05, '6', '5', '5', '3', '5'})},
      {Variant(static_cast<Int64>(-5)), bytes({0x06, 0x02, '-', '5'})},
      {VarArrayOf({1, 300}), bytes({0x01, 0x02, 0x02, 0x02, 0x01, 0x03, 0x2C, 0x01})},
      {VarArrayOf({}), bytes({0x01, 0x02, 0x00})},
      {VarArrayOf({VarArrayOf({}), Null()}), bytes({0x01, 0x02, 0x02, 0x01, 0x02, 0x00, 0x00})},
  };
  for (const Case& c : cases) EXPECT_EQ(hex(encoded(c.v)), hex(c.expected)) << describe(c.v);
}

TEST(cxStreamWriteVariant, StringLengthSwitchesToFourBytesAbove255) {
  std::string s255(255, 'x'), s256(256, 'y');
  std::string e255 = encoded(s255), e256 = encoded(s256);
  EXPECT_EQ(hex(e255.substr(0, 2)), "06 FF");
  EXPECT_EQ(e255.size(), 2u + 255u);
  EXPECT_EQ(hex(e256.substr(0, 5)), "0C 00 01 00 00");
  EXPECT_EQ(e256.substr(5), s256);
}

TEST(cxStreamWriteVariant, ElementCountOfALargeArrayUsesTheWiderIntegerTags) {
  std::vector<Variant> items(300, Variant(Null()));
  EXPECT_EQ(hex(encoded(VarArrayOf(items)).substr(0, 4)), "01 03 2C 01");
  Variant typed = VarArrayCreate({3, 4}, varInteger);  // elements from the low bound, whatever it is
  VarArrayPut(typed, 7, {3});
  VarArrayPut(typed, 8, {4});
  EXPECT_EQ(hex(encoded(typed)), "01 02 02 02 07 02 08");
}

// ---------------------------------------------------------------------------------------
// Round trips: every kind the format has, read back with the kind of its tag.

TEST_F(cxVariantsWithCustomKinds, RoundTripsOfEveryKind) {
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
  std::string big(70000, 'z');  // more than one read piece
  big[0] = 'a';
  big[69999] = 'b';
  Variant bcd = VarFMTBcdCreate(std::string("12345678901234567890.5"), 30, 1);
  Variant stamp = VarSQLTimeStampCreate(45361.5);
  Variant typedArray = VarArrayCreate({3, 5}, varInteger);
  VarArrayPut(typedArray, 1, {3});
  VarArrayPut(typedArray, -1000, {4});
  VarArrayPut(typedArray, 100000, {5});

  struct Case {
    Variant written, expected;
  };
  const Case cases[] = {
      {Null(), Null()},
      {Unassigned(), Unassigned()},
      {true, true},
      {false, false},
      {Variant(static_cast<signed char>(-128)), Variant(static_cast<signed char>(-128))},
      {Variant(static_cast<Byte>(200)), Variant(static_cast<SmallInt>(200))},
      {Variant(static_cast<SmallInt>(-32768)), Variant(static_cast<SmallInt>(-32768))},
      {Variant(static_cast<SmallInt>(5)), Variant(static_cast<signed char>(5))},
      {5, Variant(static_cast<signed char>(5))},
      {40000, 40000},
      {INT32_MIN, INT32_MIN},
      {INT32_MAX, INT32_MAX},
      {1.5f, 1.5f},
      {-FLT_MAX, -FLT_MAX},
      {0.1, 0.1},
      {-2.5e-300, -2.5e-300},
      {DBL_MAX, DBL_MAX},
      {4.9406564584124654e-324, 4.9406564584124654e-324},  // the smallest subnormal double
      {-0.0, -0.0},
      {Currency::FromScaled(INT64_MIN), Currency::FromScaled(INT64_MIN)},
      {Currency::FromScaled(INT64_MAX), Currency::FromScaled(INT64_MAX)},
      {VarFromDateTime(45361.604166666664), VarFromDateTime(45361.604166666664)},
      {VarFromDateTime(-700000.0), VarFromDateTime(-700000.0)},
      {Variant::MakeOleStr("A\xE7\xE3o \x80"), Variant::MakeOleStr("A\xE7\xE3o \x80")},
      {Variant::MakeOleStr(""), Variant::MakeOleStr("")},
      {"", ""},
      {std::string(255, 'a'), std::string(255, 'a')},
      {std::string(256, 'b'), std::string(256, 'b')},
      {big, big},
      {allBytes, allBytes},
      {Variant(static_cast<Word>(65535)), "65535"},
      {Variant(4000000000u), "4000000000"},
      {Variant(static_cast<Int64>(-9007199254740993LL)), "-9007199254740993"},
      {bcd, VarToStr(bcd)},
      {stamp, VarToStr(stamp)},
      {VarArrayOf({}), VarArrayOf({})},
      {typedArray, VarArrayOf({Variant(static_cast<signed char>(1)), Variant(static_cast<SmallInt>(-1000)), 100000})},
      {VarArrayOf({1, "x", Null(), VarArrayOf({2.5, true, VarArrayOf({})})}),
       VarArrayOf({Variant(static_cast<signed char>(1)), "x", Null(), VarArrayOf({2.5, true, VarArrayOf({})})})},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    cxStreamWriteVariant(&stream, c.written);
    stream.WriteBuffer("\x5A", 1);  // a byte after the value must stay unread
    stream.SetPosition(0);
    Variant back = cxStreamReadVariant(&stream);
    EXPECT_TRUE(sameVariant(back, c.expected))
        << "wrote " << describe(c.written).substr(0, 200) << ", read " << describe(back).substr(0, 200)
        << ", expected " << describe(c.expected).substr(0, 200);
    EXPECT_EQ(stream.Position(), stream.Size() - 1) << "the reader takes exactly the value's bytes: " << describe(c.written).substr(0, 80);
  }
  EXPECT_EQ(VarToStr(bcd), "12345678901234567890.5") << "a decimal travels as its exact text";
}

TEST(cxStreamReadVariant, HandWrittenBytes) {
  struct Case {
    std::string input;
    Variant expected;
    const char* what;
  };
  const Case cases[] = {
      {bytes({0x02, 0x7F}), Variant(static_cast<signed char>(127)), "tag 2 is a ShortInt"},
      {bytes({0x03, 0x80, 0x00}), Variant(static_cast<SmallInt>(128)), "tag 3 is a SmallInt"},
      {bytes({0x03, 0x7F, 0xFF}), Variant(static_cast<SmallInt>(-129)), "tag 3 is sign-extended"},
      {bytes({0x04, 0x00, 0x80, 0x00, 0x00}), 32768, "tag 4 is an Integer"},
      {bytes({0x04, 0xFF, 0xFF, 0xFF, 0xFF}), -1, "tag 4 is sign-extended"},
      {bytes({0x09}), true, "tag 9 is True"},
      {bytes({0x0C, 0x02, 0x00, 0x00, 0x00, 'h', 'i'}), "hi", "a short text may use the long form"},
      {bytes({0x01, 0x02, 0x02, 0x02, 0x01, 0x03, 0x2C, 0x01}),
       VarArrayOf({Variant(static_cast<signed char>(1)), Variant(static_cast<SmallInt>(300))}), "an array of two"},
      {bytes({0x01, 0x02, 0x00}), VarArrayOf({}), "an empty array has bounds 0 .. -1"},
      {bytes({0x01, 0x03, 0x01, 0x00, 0x0D}), VarArrayOf({Unassigned()}), "a count in two bytes"},
      {bytes({0x01, 0x05, 0x01, 0x00, 0x00, 0x00, 0x02, 0x07}), VarArrayOf({Variant(static_cast<signed char>(7))}),
       "a count under any other tag takes four bytes"},
      // 1 + 2^-59 has more precision than a double: it rounds to 1.
      {bytes({0x05, 0x10, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0, "an extended value is rounded to a double"},
      // 1 + 2^-53 lies halfway between two doubles: to even, 1.
      {bytes({0x05, 0x00, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0, "halfway rounds to even (down)"},
      // 1 + 3 * 2^-53 lies halfway as well: to even, 1 + 2^-51.
      {bytes({0x05, 0x00, 0x0C, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0 + std::ldexp(1.0, -51),
       "halfway rounds to even (up)"},
  };
  for (const Case& c : cases) {
    StreamOf in(c.input);
    Variant v = cxStreamReadVariant(&in.stream);
    EXPECT_TRUE(sameVariant(v, c.expected)) << c.what << ": read " << describe(v) << ", expected " << describe(c.expected);
  }
}

// ---------------------------------------------------------------------------------------
// Damaged streams: a clear error, never a crash.

TEST(cxStreamReadVariant, MalformedAndTruncatedStreamsRaiseReadErrors) {
  struct Case {
    std::string input;
    const char* what;
  };
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += bytes({0x01, 0x02, 0x01});
  deep += bytes({0x00});
  const Case cases[] = {
      {"", "an empty stream"},
      {bytes({0x03, 0x80}), "a SmallInt missing its second byte"},
      {bytes({0x04, 0x01, 0x02, 0x03}), "an Integer missing a byte"},
      {bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF}), "an extended value missing a byte"},
      {bytes({0x06, 0x05, 'a', 'b'}), "a short text shorter than its length"},
      {bytes({0x06}), "a short text without its length"},
      {bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), "a negative long-text length"},
      {bytes({0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}), "a long text claiming 2 GB"},
      {bytes({0x12, 0xFF, 0xFF, 0xFF, 0xFF}), "a negative wide-text count"},
      {bytes({0x12, 0xFF, 0xFF, 0xFF, 0x3F, 'a', 0}), "a wide text claiming 2 GB"},
      {bytes({0x12, 0x02, 0x00, 0x00, 0x00, 'a', 0, 'b'}), "a wide text missing its last byte"},
      {bytes({0x01, 0x02, 0xFF}), "a negative array count"},
      {bytes({0x01, 0x04, 0xFF, 0xFF, 0xFF, 0x7F}), "an array claiming 2^31 - 1 elements"},
      {bytes({0x01, 0x02, 0x03, 0x02, 0x01}), "an array with fewer elements than its count"},
      {bytes({0x01}), "an array without its count"},
      {bytes({0x01, 0x02, 0x01, 0x07}), "an unknown tag inside an array"},
      {bytes({0x10, 0x01}), "a currency missing bytes"},
      {deep, "arrays nested 300 levels deep"},
  };
  for (const Case& c : cases) {
    StreamOf in(c.input);
    EXPECT_THROW(cxStreamReadVariant(&in.stream), EReadError) << c.what;
  }
}

TEST(cxStreamReadVariant, UnknownTagsFailWithTheDataTextAfterTheTag) {
  for (int tag : {7, 10, 11, 14, 19, 20, 128, 255}) {
    StreamOf in(bytes({tag, 0x00, 0x00}));
    EXPECT_EQ(RaisedMessage<EReadError>([&] { cxStreamReadVariant(&in.stream); }), "Stream read error") << "tag " << tag;
    EXPECT_EQ(in.stream.Position(), 1) << "the position is left after the tag byte " << tag;
  }
}

TEST(cxStreamReadVariant, TheErrorTextFollowsARunTimeOverride) {
  std::string original = cxGetResourceString(&scxDataStreamReadError);
  ASSERT_EQ(original, "Stream read error");
  cxSetResourceString(&scxDataStreamReadError, "Erro de leitura");
  StreamOf in(bytes({0x07}));
  std::string message = RaisedMessage<EReadError>([&] { cxStreamReadVariant(&in.stream); });
  cxSetResourceString(&scxDataStreamReadError, original);
  EXPECT_EQ(message, "Erro de leitura");
}

TEST(cxStreamVariant, NestingUpTo256LevelsTravelsAndDeeperIsRefused) {
  auto nested = [](int levels) {
    Variant v = VarArrayOf({});
    for (int i = 1; i < levels; ++i) v = VarArrayOf({v});
    return v;
  };
  Variant deepest = nested(256);
  TMemoryStream stream;
  cxStreamWriteVariant(&stream, deepest);
  EXPECT_EQ(stream.Size(), 256 * 3) << "255 arrays of one element (3 bytes each) and one empty array (3 bytes)";
  stream.SetPosition(0);
  Variant back = cxStreamReadVariant(&stream);
  EXPECT_TRUE(sameVariant(back, deepest)) << "256 levels read back whole";

  TMemoryStream tooDeep;
  EXPECT_EQ(RaisedMessage<EWriteError>([&] { cxStreamWriteVariant(&tooDeep, nested(257)); }), "Stream write error");

  std::string input;
  for (int i = 0; i < 256; ++i) input += bytes({0x01, 0x02, 0x01});
  input += bytes({0x01, 0x02, 0x00});
  StreamOf in(input);
  EXPECT_EQ(RaisedMessage<EReadError>([&] { cxStreamReadVariant(&in.stream); }), "Stream read error")
      << "257 levels are refused";
}

TEST(cxStreamWriteVariant, MultiDimensionalArraysAreRefusedKeepingEnclosingBytes) {
  Variant grid = VarArrayCreate({0, 1, 0, 1}, varVariant);
  TMemoryStream alone;
  EXPECT_EQ(RaisedMessage<EWriteError>([&] { cxStreamWriteVariant(&alone, grid); }), "Stream write error");
  EXPECT_EQ(alone.Size(), 0) << "nothing is written for the refused array";

  TMemoryStream inside;
  EXPECT_THROW(cxStreamWriteVariant(&inside, VarArrayOf({1, grid})), EWriteError);
  EXPECT_EQ(hex(contentOf(inside)), "01 02 02 02 01") << "the enclosing array's tag, count and first element stay";
}

TEST(cxStreamWriteVariant, AValueWithoutTextIsAWriteError) {
  TMemoryStream stream;
  EXPECT_EQ(RaisedMessage<EWriteError>([&] { cxStreamWriteVariant(&stream, Variant::MakeError(5)); }),
            "Stream write error");
}

// ---------------------------------------------------------------------------------------
// Typed helpers.

TEST(cxStreamTypedHelpers, ExactBytes) {
  struct Case {
    std::function<void(TStream*)> write;
    std::string expected;
    const char* what;
  };
  const Case cases[] = {
      {[](TStream* s) { cxStreamWriteString(s, "ab"); }, bytes({0x02, 0, 0, 0, 'a', 'b'}), "8-bit string"},
      {[](TStream* s) { cxStreamWriteString(s, ""); }, bytes({0, 0, 0, 0}), "empty 8-bit string"},
      {[](TStream* s) { cxStreamWriteWideString(s, "\x80x"); }, bytes({0x02, 0, 0, 0, 0xAC, 0x20, 'x', 0}), "wide string"},
      {[](TStream* s) { cxStreamWriteBoolean(s, true); }, bytes({0x01}), "true"},
      {[](TStream* s) { cxStreamWriteBoolean(s, false); }, bytes({0x00}), "false"},
      {[](TStream* s) { cxStreamWriteExtended(s, 1.0L); }, bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), "extended 1"},
      {[](TStream* s) { cxStreamWriteExtended(s, -2.5L); }, bytes({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}), "extended -2.5"},
      // 1 + 2^-63 needs all 64 mantissa bits.
      {[](TStream* s) { cxStreamWriteExtended(s, 1.0L + std::ldexp(1.0L, -63)); },
       bytes({0x01, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), "extended with a full mantissa"},
      {[](TStream* s) { cxStreamWriteCurrency(s, Currency::FromScaled(15000)); }, bytes({0x98, 0x3A, 0, 0, 0, 0, 0, 0}),
       "currency"},
      {[](TStream* s) { cxStreamWriteDateTime(s, 2.5); }, bytes({0, 0, 0, 0, 0, 0, 0x04, 0x40}), "date-time"},
      {[](TStream* s) { cxStreamWriteInt32(s, -2); }, bytes({0xFE, 0xFF, 0xFF, 0xFF}), "int32"},
      {[](TStream* s) { cxStreamWriteInt32(s, 0x01020304); }, bytes({0x04, 0x03, 0x02, 0x01}), "int32 byte order"},
      {[](TStream* s) { cxStreamWriteInt64(s, 0x0102030405060708LL); }, bytes({8, 7, 6, 5, 4, 3, 2, 1}), "int64"},
      {[](TStream* s) { cxStreamWriteByte(s, 0xAB); }, bytes({0xAB}), "byte"},
      {[](TStream* s) { cxStreamWriteInt16(s, -2); }, bytes({0xFE, 0xFF}), "int16"},
      {[](TStream* s) { cxStreamWriteWord(s, 0xFFFE); }, bytes({0xFE, 0xFF}), "word: the same bytes as int16 -2"},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    c.write(&stream);
    EXPECT_EQ(hex(contentOf(stream)), hex(c.expected)) << c.what;
  }
}

TEST(cxStreamTypedHelpers, ReadersGiveBackWhatTheWritersWrote) {
  TMemoryStream s;
  cxStreamWriteString(&s, std::string(300, 'q'));
  cxStreamWriteWideString(&s, "Sal\xE1rio \x80");
  cxStreamWriteBoolean(&s, true);
  cxStreamWriteCurrency(&s, Currency::FromScaled(-123456789));
  cxStreamWriteDateTime(&s, 45361.75);
  cxStreamWriteInt32(&s, INT32_MIN);
  cxStreamWriteInt64(&s, INT64_MIN);
  cxStreamWriteByte(&s, 255);
  cxStreamWriteInt16(&s, -32768);
  cxStreamWriteWord(&s, 65535);
  s.WriteBuffer("\x07", 1);  // any non-zero byte is true
  s.SetPosition(0);

  EXPECT_EQ(cxStreamReadString(&s), std::string(300, 'q'));
  std::string wide;
  cxStreamReadWideString(&s, wide);
  EXPECT_EQ(wide, "Sal\xE1rio \x80");
  bool flag = false;
  cxStreamReadBoolean(&s, flag);
  EXPECT_TRUE(flag);
  EXPECT_EQ(cxStreamReadCurrency(&s).Value, -123456789);
  TDateTime date = 0;
  cxStreamReadDateTime(&s, date);
  EXPECT_EQ(date, 45361.75);
  Integer i32 = 0;
  cxStreamReadInt32(&s, i32);
  EXPECT_EQ(i32, INT32_MIN);
  EXPECT_EQ(cxStreamReadInt64(&s), INT64_MIN);
  Byte b = 0;
  cxStreamReadByte(&s, b);
  EXPECT_EQ(b, 255);
  SmallInt i16 = 0;
  cxStreamReadInt16(&s, i16);
  EXPECT_EQ(i16, -32768);
  Word w = 0;
  cxStreamReadWord(&s, w);
  EXPECT_EQ(w, 65535);
  EXPECT_TRUE(cxStreamReadBoolean(&s));
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_THROW(cxStreamReadInt32(&s), EReadError) << "reading past the end";
}

TEST(cxStreamTypedHelpers, DamagedLengthsRaiseReadErrors) {
  StreamOf negative(bytes({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_THROW(cxStreamReadString(&negative.stream), EReadError);
  StreamOf huge(bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a'}));
  EXPECT_THROW(cxStreamReadString(&huge.stream), EReadError);
  StreamOf wideNegative(bytes({0x00, 0x00, 0x00, 0x80}));
  std::string s;
  EXPECT_THROW(cxStreamReadWideString(&wideNegative.stream, s), EReadError);
}
