// Value types and the record storage: every type held, read, written, compared, converted
// and streamed; record buffers growing and shrinking with their columns; internal
// records; display texts; the lookup list and the registry of value types.
#include <cstring>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxDataStorage.h"
#include "cx/foundation/cxVariants.h"
#include "platform/data/FMTBcd.h"
#include "platform/data/SqlTimSt.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof(buf), "%02X", c);
    out += buf;
  }
  return out;
}

// The bytes a stream holds.
std::string streamBytes(TMemoryStream& S) {
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

std::string describe(const Variant& V) {
  if (V.IsNull()) return "Null";
  if (V.IsArray()) return "array";
  return VarTypeAsText(V.VType()) + ":" + VarToStr(V);
}

// A slot buffer wide enough for any value type, zero-filled as a new record's slot is.
struct Slot {
  alignas(8) Byte bytes[64] = {};
  void* get() { return bytes; }
};

// An object that reports its destruction (for the owning object type).
class TTracked : public TObject {
  RTL_DECLARE_CLASS(TTracked, TObject)
public:
  explicit TTracked(int* ACounter = nullptr) : FCounter(ACounter) {}
  ~TTracked() override {
    if (FCounter) ++*FCounter;
  }

private:
  int* FCounter;
};
RTL_IMPLEMENT_CLASS(TTracked)

class StorageTest : public ::testing::Test {
protected:
  void SetUp() override {
    FSavedSeparator = DecimalSeparator;
    DecimalSeparator = '.';
    FStorage = New<TcxDataStorage>();
  }
  void TearDown() override {
    FreeAndNil(FStorage);
    DecimalSeparator = FSavedSeparator;
  }
  TcxValueDef* add(TcxValueTypeClass AType, bool ATextStored = false, bool AStored = true) {
    return FStorage->ValueDefs()->Add(AType, AStored, nullptr, ATextStored);
  }

  TcxDataStorage* FStorage = nullptr;
  char FSavedSeparator = '.';
};

}  // namespace

// ---------------------------------------------------------------------------------------
// The family: variant kinds, slot widths, captions, string flags.

TEST(cxValueTypes, KindsWidthsAndCaptions) {
  struct Case {
    TcxValueTypeClass Type;
    TVarType VarType;
    Integer Size;
    const char* Caption;
    bool IsString;
  };
  const Integer ref = static_cast<Integer>(sizeof(void*));
  const Case cases[] = {
      {TcxValueType::Instance(), varVariant, 0, "", false},
      {TcxStringValueType::Instance(), varString, ref, "String", true},
      {TcxWideStringValueType::Instance(), varOleStr, ref, "WideString", true},
      {TcxSmallintValueType::Instance(), varSmallint, 2, "Smallint", false},
      {TcxIntegerValueType::Instance(), varInteger, 4, "Integer", false},
      {TcxWordValueType::Instance(), varWord, 2, "Word", false},
      {TcxBooleanValueType::Instance(), varBoolean, 1, "Boolean", false},
      {TcxFloatValueType::Instance(), varDouble, 8, "Float", false},
      {TcxCurrencyValueType::Instance(), varCurrency, 8, "Currency", false},
      {TcxDateTimeValueType::Instance(), varDate, 8, "DateTime", false},
      {TcxLargeIntValueType::Instance(), varInt64, 8, "LargeInt", false},
      {TcxFMTBcdValueType::Instance(), VarFMTBcd(), 34, "FMTBcd", false},
      {TcxSQLTimeStampValueType::Instance(), VarSQLTimeStamp(), 16, "SQLTimeStamp", false},
      {TcxVariantValueType::Instance(), varVariant, ref, "Variant", false},
      // The object type keeps an address: a pointer-sized integer.
      {TcxObjectValueType::Instance(), varInt64, ref, "Object", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName());
    EXPECT_EQ(c.VarType, c.Type->GetVariantType());
    EXPECT_EQ(c.Size, c.Type->GetValueSize());
    EXPECT_EQ(c.Caption, c.Type->GetCaption());
    EXPECT_EQ(c.IsString, c.Type->IsStringType());
  }
  // The family tree the callers test with InheritsFrom.
  EXPECT_TRUE(TcxWideStringValueType::Instance()->InheritsFrom(TcxStringValueType::StaticClass()));
  EXPECT_TRUE(TcxObjectValueType::Instance()->InheritsFrom(TcxIntegerValueType::StaticClass()));
  EXPECT_FALSE(TcxVariantValueType::Instance()->InheritsFrom(TcxStringValueType::StaticClass()));
}

// ---------------------------------------------------------------------------------------
// Conversions: what goes in, what comes out.

TEST_F(StorageTest, EveryTypeConvertsOnTheWayInAndGivesItsOwnKind) {
  TSQLTimeStamp stamp;
  stamp.Year = 2024;
  stamp.Month = 2;
  stamp.Day = 29;
  stamp.Hour = 12;
  struct Case {
    TcxValueTypeClass Type;
    Variant In;
    Variant Expected;  // compared by kind and value
  };
  const Case cases[] = {
      {TcxStringValueType::Instance(), Variant(42), Variant("42")},
      {TcxStringValueType::Instance(), Variant(""), Variant("")},
      {TcxWideStringValueType::Instance(), Variant("ação"), Variant::MakeOleStr("ação")},
      // Integers are cut to the slot width.
      {TcxSmallintValueType::Instance(), Variant(40000), Variant(short(-25536))},
      {TcxSmallintValueType::Instance(), Variant("-7"), Variant(short(-7))},
      {TcxIntegerValueType::Instance(), Variant("12"), Variant(12)},
      {TcxIntegerValueType::Instance(), Variant(2.5), Variant(2)},  // half to even
      {TcxIntegerValueType::Instance(), Variant(-2147483647 - 1), Variant(-2147483647 - 1)},
      {TcxWordValueType::Instance(), Variant(-1), Variant((unsigned short)65535)},
      {TcxWordValueType::Instance(), Variant(65537), Variant((unsigned short)1)},
      {TcxBooleanValueType::Instance(), Variant("true"), Variant(true)},
      {TcxBooleanValueType::Instance(), Variant(0), Variant(false)},
      {TcxFloatValueType::Instance(), Variant("1.25"), Variant(1.25)},
      // Currency keeps four places, rounded.
      {TcxCurrencyValueType::Instance(), Variant(1.23456), Variant(Currency::FromScaled(12346))},
      {TcxCurrencyValueType::Instance(), Variant(-3), Variant(Currency::FromScaled(-30000))},
      {TcxDateTimeValueType::Instance(), Variant(45000.5), VarFromDateTime(45000.5)},
      {TcxLargeIntValueType::Instance(), Variant(4294967296LL), Variant(4294967296LL)},
      {TcxLargeIntValueType::Instance(), Variant("-9000000000"), Variant(-9000000000LL)},
      // BCD is stored exactly and read as a double.
      {TcxFMTBcdValueType::Instance(), Variant("12.375"), Variant(12.375)},
      {TcxFMTBcdValueType::Instance(), VarFMTBcdCreate(StrToBcd("-0.5")), Variant(-0.5)},
      // A time stamp is read as a date: 29 Feb 2024 is day 45351.
      {TcxSQLTimeStampValueType::Instance(), VarSQLTimeStampCreate(stamp), VarFromDateTime(45351.5)},
      {TcxSQLTimeStampValueType::Instance(), VarFromDateTime(45351.5), VarFromDateTime(45351.5)},
      {TcxVariantValueType::Instance(), Variant(Currency::FromScaled(5)), Variant(Currency::FromScaled(5))},
      {TcxVariantValueType::Instance(), Variant("x"), Variant("x")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName() + " <- " + describe(c.In));
    FreeAndNil(FStorage);
    FStorage = New<TcxDataStorage>();
    TcxValueDef* def = add(c.Type);
    Integer r = FStorage->AppendRecord();
    FStorage->SetValue(r, def, c.In);
    Variant out = FStorage->GetValue(r, def);
    EXPECT_EQ(c.Expected.VType(), out.VType()) << describe(out);
    EXPECT_TRUE(cxVariantsCompareEqual(c.Expected, out)) << describe(out);
  }
}

TEST_F(StorageTest, AVariantColumnKeepsArraysAndTheOtherKindsAsTheyAre) {
  TcxValueDef* def = add(TcxVariantValueType::Instance());
  Integer r = FStorage->AppendRecord();
  FStorage->SetValue(r, def, VarArrayOf({1, "a"}));
  Variant out = FStorage->GetValue(r, def);
  ASSERT_TRUE(out.IsArray());
  EXPECT_EQ(1, out[0].AsInteger());
  EXPECT_EQ("a", out[1].AsString());
  // Empty is a value, not Null.
  FStorage->SetValue(r, def, Unassigned());
  EXPECT_TRUE(FStorage->GetValue(r, def).IsEmpty());
}

TEST_F(StorageTest, AValueThatCannotBeConvertedRaisesAndLeavesTheRecordAsItWas) {
  TcxValueDef* integer = add(TcxIntegerValueType::Instance());
  TcxValueDef* date = add(TcxDateTimeValueType::Instance());
  TcxValueDef* smallint = add(TcxSmallintValueType::Instance());
  Integer r = FStorage->AppendRecord();
  // A Null column stays Null (not a zero) after a failed write.
  EXPECT_THROW(FStorage->SetValue(r, integer, Variant("abc")), EVariantError);
  EXPECT_TRUE(FStorage->GetValue(r, integer).IsNull());
  FStorage->SetValue(r, integer, 7);
  EXPECT_THROW(FStorage->SetValue(r, integer, Variant(1e20)), EVariantError);
  EXPECT_EQ(7, FStorage->GetValue(r, integer).AsInteger());
  EXPECT_THROW(FStorage->SetValue(r, date, Variant("not a date")), EVariantError);
  EXPECT_TRUE(FStorage->GetValue(r, date).IsNull());
  EXPECT_THROW(FStorage->SetValue(r, smallint, VarArrayOf({1})), EVariantError);
  EXPECT_TRUE(FStorage->GetValue(r, smallint).IsNull());
}

TEST(cxValueTypes, IsValueValidAsksWhetherTheValueConverts) {
  struct Case {
    TcxValueTypeClass Type;
    Variant V;
    bool Valid;
  };
  const Case cases[] = {
      {TcxIntegerValueType::Instance(), Null(), true},
      {TcxIntegerValueType::Instance(), Variant("12"), true},
      {TcxIntegerValueType::Instance(), Variant("abc"), false},
      {TcxIntegerValueType::Instance(), Variant(1e12), false},  // overflow
      {TcxSmallintValueType::Instance(), Variant(40000), false},
      {TcxBooleanValueType::Instance(), Variant("maybe"), false},
      {TcxBooleanValueType::Instance(), Variant("False"), true},
      {TcxDateTimeValueType::Instance(), Variant("x"), false},
      {TcxFloatValueType::Instance(), Variant("2.5"), true},
      {TcxStringValueType::Instance(), Variant(3), true},
      {TcxFMTBcdValueType::Instance(), Variant("1.5"), true},
      {TcxFMTBcdValueType::Instance(), Variant("one"), false},
      // Every value fits a variant column, even an array.
      {TcxVariantValueType::Instance(), VarArrayOf({1, 2}), true},
      {TcxValueType::Instance(), Variant("x"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName() + " " + describe(c.V));
    EXPECT_EQ(c.Valid, c.Type->IsValueValid(c.V));
  }
}

// ---------------------------------------------------------------------------------------
// Text of values.

TEST_F(StorageTest, DisplayTextOfAValueFollowsItsType) {
  struct Case {
    TcxValueTypeClass Type;
    Variant In;
    const char* Text;
  };
  const Case cases[] = {
      {TcxBooleanValueType::Instance(), Variant(true), "True"},
      {TcxBooleanValueType::Instance(), Variant(false), "False"},
      {TcxFloatValueType::Instance(), Variant(1.5), "1.5"},
      {TcxIntegerValueType::Instance(), Variant(-12), "-12"},
      {TcxCurrencyValueType::Instance(), Variant(Currency::FromScaled(12500)), "1.25"},
      {TcxStringValueType::Instance(), Variant("abc"), "abc"},
      // The exact decimal, beyond a double's digits.
      {TcxFMTBcdValueType::Instance(), Variant("12345678901234567890.125"), "12345678901234567890.125"},
      // A variant without a text form gives ''.
      {TcxVariantValueType::Instance(), VarArrayOf({1}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName());
    FreeAndNil(FStorage);
    FStorage = New<TcxDataStorage>();
    TcxValueDef* def = add(c.Type);
    Integer r = FStorage->AppendRecord();
    FStorage->SetValue(r, def, c.In);
    EXPECT_EQ(c.Text, FStorage->GetDisplayText(r, def));
  }
}

TEST_F(StorageTest, AColumnWithTextAnswersItsStoredTextEvenWhenNull) {
  TcxValueDef* withText = add(TcxIntegerValueType::Instance(), true);
  TcxValueDef* plain = add(TcxIntegerValueType::Instance(), false);
  Integer r = FStorage->AppendRecord();
  FStorage->SetDisplayText(r, withText, "doze");
  EXPECT_TRUE(FStorage->GetValue(r, withText).IsNull());
  EXPECT_EQ("doze", FStorage->GetDisplayText(r, withText));
  FStorage->SetValue(r, withText, 12);
  EXPECT_EQ("doze", FStorage->GetDisplayText(r, withText));  // the text, not "12"
  FStorage->SetValue(r, withText, Null());
  EXPECT_EQ("doze", FStorage->GetDisplayText(r, withText));
  // A column without text renders its value and ignores a text.
  FStorage->SetDisplayText(r, plain, "ignored");
  EXPECT_EQ("", FStorage->GetDisplayText(r, plain));
  FStorage->SetValue(r, plain, 5);
  EXPECT_EQ("5", FStorage->GetDisplayText(r, plain));
  EXPECT_TRUE(withText->IsTextStored());
  EXPECT_FALSE(plain->IsTextStored());
}

// ---------------------------------------------------------------------------------------
// Comparison.

TEST(cxValueTypes, CompareStoredValuesOnRawSlots) {
  struct Case {
    TcxValueTypeClass Type;
    Variant A;
    Variant B;
    Integer Expected;
  };
  TSQLTimeStamp s1, s2;
  s1.Year = s2.Year = 2020;
  s1.Month = 3;
  s2.Month = 1;
  s1.Day = s2.Day = 1;
  const Case cases[] = {
      // The 16-bit types and Boolean answer the difference.
      {TcxSmallintValueType::Instance(), Variant(5), Variant(3), 2},
      {TcxSmallintValueType::Instance(), Variant(-32768), Variant(32767), -65535},
      {TcxWordValueType::Instance(), Variant(1), Variant(65535), -65534},
      {TcxBooleanValueType::Instance(), Variant(true), Variant(false), 1},
      {TcxBooleanValueType::Instance(), Variant(true), Variant(true), 0},
      // Integer by signed order (a difference would overflow).
      {TcxIntegerValueType::Instance(), Variant(-2147483647 - 1), Variant(2147483647), -1},
      {TcxIntegerValueType::Instance(), Variant(2147483647), Variant(-2147483647 - 1), 1},
      {TcxIntegerValueType::Instance(), Variant(9), Variant(9), 0},
      // The upper 32 bits take part.
      {TcxLargeIntValueType::Instance(), Variant(4294967296LL), Variant(1LL), 1},
      {TcxLargeIntValueType::Instance(), Variant(-4294967296LL), Variant(1LL), -1},
      {TcxFloatValueType::Instance(), Variant(1.5), Variant(1.5), 0},
      {TcxFloatValueType::Instance(), Variant(2.0), Variant(1.5), 1},
      {TcxFloatValueType::Instance(), Variant(-2.0), Variant(1.5), -1},
      {TcxDateTimeValueType::Instance(), VarFromDateTime(10.25), VarFromDateTime(10.5), -1},
      {TcxCurrencyValueType::Instance(), Variant(Currency::FromScaled(-1)), Variant(Currency::FromScaled(0)), -1},
      {TcxCurrencyValueType::Instance(), Variant(Currency::FromScaled(70000000000LL)), Variant(Currency::FromScaled(1)), 1},
      // BCD compares exactly: 1.50 equals 1.5.
      {TcxFMTBcdValueType::Instance(), Variant("1.50"), Variant("1.5"), 0},
      {TcxFMTBcdValueType::Instance(), Variant("0.1"), Variant("0.2"), -1},
      // Time stamps: the first differing field's difference (month 3 against 1).
      {TcxSQLTimeStampValueType::Instance(), VarSQLTimeStampCreate(s1), VarSQLTimeStampCreate(s2), 2},
      // Strings: ordinal bytes ('B' 0x42 before 'a' 0x61), no locale.
      {TcxStringValueType::Instance(), Variant("B"), Variant("a"), -1},
      {TcxStringValueType::Instance(), Variant("ab"), Variant("a"), 1},
      {TcxStringValueType::Instance(), Variant("ab"), Variant("ab"), 0},
      // Byte 0x80 is the euro sign, U+20AC: after 0xFF (U+00FF) as UTF-16, before it as bytes.
      {TcxStringValueType::Instance(), Variant("\x80"), Variant("\xFF"), -1},
      {TcxWideStringValueType::Instance(), Variant("\x80"), Variant("\xFF"), 1},
      {TcxWideStringValueType::Instance(), Variant("a"), Variant("b"), -1},
      {TcxVariantValueType::Instance(), Variant(2), Variant(10), -1},
      {TcxVariantValueType::Instance(), Variant("b"), Variant("a"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName() + " " + describe(c.A) + " vs " + describe(c.B));
    Slot a, b;
    c.Type->VariantToData(a.get(), c.A);
    c.Type->VariantToData(b.get(), c.B);
    EXPECT_EQ(c.Expected, c.Type->CompareStoredValues(a.get(), b.get()));
    c.Type->FreeStoredValue(a.get());
    c.Type->FreeStoredValue(b.get());
  }
}

TEST(cxValueTypes, ReferenceTypesPutAnAbsentValueFirst) {
  for (TcxValueTypeClass type : {static_cast<TcxValueTypeClass>(TcxStringValueType::Instance()),
                                 static_cast<TcxValueTypeClass>(TcxWideStringValueType::Instance()),
                                 static_cast<TcxValueTypeClass>(TcxVariantValueType::Instance())}) {
    SCOPED_TRACE(type->ClassName());
    Slot never, set;
    type->VariantToData(set.get(), Variant(""));
    EXPECT_EQ(-1, type->CompareStoredValues(never.get(), set.get()));
    EXPECT_EQ(1, type->CompareStoredValues(set.get(), never.get()));
    EXPECT_EQ(0, type->CompareStoredValues(never.get(), never.get()));
    // A slot never set reads as Null.
    Variant v;
    type->DataToVariant(never.get(), v);
    EXPECT_TRUE(v.IsNull());
    // The value pointer of a reference type is the stored reference.
    const void* p = set.get();
    type->DereferenceSlot(p);
    EXPECT_NE(static_cast<const void*>(set.get()), p);
    type->StoredValueToVariant(p, v);
    EXPECT_EQ("", v.AsString());
    EXPECT_FALSE(v.IsNull());
    type->FreeStoredValue(set.get());
  }
}

TEST_F(StorageTest, RecordsCompareWithBufferlessFirstThenNullThenValues) {
  TcxValueDef* def = add(TcxIntegerValueType::Instance());
  FStorage->SetRecordCount(4);
  // 0: never written; 1: Null; 2: 5; 3: -5.
  FStorage->SetValue(1, def, Null());
  FStorage->SetValue(2, def, 5);
  FStorage->SetValue(3, def, -5);
  EXPECT_FALSE(FStorage->HasBuffer(0));
  EXPECT_TRUE(FStorage->HasBuffer(1));
  EXPECT_TRUE(FStorage->GetValue(0, def).IsNull());
  EXPECT_EQ("", FStorage->GetDisplayText(0, def));
  struct Case {
    Integer A, B, Expected;
  };
  const Case cases[] = {{0, 0, 0}, {0, 1, -1}, {1, 0, 1},  {1, 1, 0},
                        {1, 2, -1}, {2, 1, 1}, {3, 2, -1}, {2, 3, 1}, {0, 3, -1}};
  for (const Case& c : cases)
    EXPECT_EQ(c.Expected, FStorage->CompareRecords(c.A, c.B, def)) << c.A << " vs " << c.B;

  const void* p = nullptr;
  EXPECT_TRUE(FStorage->GetValuePointer(0, def, p));
  EXPECT_TRUE(FStorage->GetValuePointer(1, def, p));
  ASSERT_FALSE(FStorage->GetValuePointer(2, def, p));
  Integer value;
  std::memcpy(&value, p, sizeof(value));
  EXPECT_EQ(5, value);
}

TEST_F(StorageTest, StringValuePointersDesignateTheTextAndCompare) {
  TcxValueDef* def = add(TcxStringValueType::Instance());
  FStorage->SetRecordCount(2);
  FStorage->SetValue(0, def, "pera");
  FStorage->SetValue(1, def, "maçã");
  const void* p0 = nullptr;
  const void* p1 = nullptr;
  ASSERT_FALSE(FStorage->GetValuePointer(0, def, p0));
  ASSERT_FALSE(FStorage->GetValuePointer(1, def, p1));
  EXPECT_EQ(1, def->CompareValues(false, false, p0, p1));
  EXPECT_EQ(-1, def->CompareValues(true, false, p0, p1));
  EXPECT_EQ(0, def->CompareValues(true, true, p0, p1));
  Variant v;
  def->ValueTypeClass()->StoredValueToVariant(p1, v);
  EXPECT_EQ("maçã", v.AsString());
  EXPECT_EQ(1, FStorage->CompareRecords(0, 1, def));
}

// ---------------------------------------------------------------------------------------
// Streams.

TEST(cxValueTypes, StreamFormOfEachType) {
  struct Case {
    TcxValueTypeClass Type;
    Variant V;
    const char* Hex;  // the bytes WriteValue gives
  };
  const Case cases[] = {
      {TcxSmallintValueType::Instance(), Variant(-2), "FEFF"},
      {TcxIntegerValueType::Instance(), Variant(0x01020304), "04030201"},
      {TcxWordValueType::Instance(), Variant(0xABCD), "CDAB"},
      {TcxBooleanValueType::Instance(), Variant(true), "01"},
      {TcxBooleanValueType::Instance(), Variant(false), "00"},
      {TcxFloatValueType::Instance(), Variant(1.0), "000000000000F03F"},
      {TcxDateTimeValueType::Instance(), VarFromDateTime(2.0), "0000000000000040"},
      {TcxCurrencyValueType::Instance(), Variant(Currency::FromScaled(10000)), "1027000000000000"},
      {TcxLargeIntValueType::Instance(), Variant(4294967296LL), "0000000001000000"},
      {TcxStringValueType::Instance(), Variant("ab"), "020000006162"},
      // Wide: count, then UTF-16 units ('é' is 0xE9, the euro sign U+20AC).
      {TcxWideStringValueType::Instance(), Variant("é\x80"), "02000000E900AC20"},
      // The tagged variant of the base: a BCD goes as its double (tag 5, 10-byte extended).
      {TcxFMTBcdValueType::Instance(), Variant("1"), "050000000000000080FF3F"},
      {TcxVariantValueType::Instance(), Variant(7), "0207"},
      // Nothing of an object is streamed.
      {TcxObjectValueType::Instance(), Variant(0LL), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->ClassName() + " " + describe(c.V));
    Slot slot, back;
    c.Type->VariantToData(slot.get(), c.V);
    TMemoryStream stream;
    c.Type->WriteValue(slot.get(), &stream);
    EXPECT_EQ(c.Hex, hex(streamBytes(stream)));
    stream.SetPosition(0);
    c.Type->ReadValue(back.get(), &stream);
    EXPECT_EQ(stream.Size(), stream.Position());
    EXPECT_EQ(0, c.Type->CompareStoredValues(slot.get(), back.get()));
    c.Type->FreeStoredValue(slot.get());
    c.Type->FreeStoredValue(back.get());
  }
}

TEST(cxValueTypes, TimeStampsAndVariantsStreamAsTaggedVariants) {
  TSQLTimeStamp stamp;
  stamp.Year = 2000;
  stamp.Month = 1;
  stamp.Day = 2;
  Slot slot, back;
  TcxValueTypeClass type = TcxSQLTimeStampValueType::Instance();
  type->VariantToData(slot.get(), VarSQLTimeStampCreate(stamp));
  TMemoryStream stream;
  type->WriteValue(slot.get(), &stream);
  // Tag 17 (a date) and day 36527 as a double.
  std::string bytes = streamBytes(stream);
  ASSERT_EQ(9u, bytes.size());
  EXPECT_EQ(17, static_cast<Byte>(bytes[0]));
  double day;
  std::memcpy(&day, bytes.data() + 1, 8);
  EXPECT_EQ(36527.0, day);
  stream.SetPosition(0);
  type->ReadValue(back.get(), &stream);
  EXPECT_EQ(0, type->CompareStoredValues(slot.get(), back.get()));

  // A variant column holding Null writes the Null tag and reads it back.
  Slot vslot, vback;
  TcxValueTypeClass vtype = TcxVariantValueType::Instance();
  vtype->VariantToData(vslot.get(), Null());
  TMemoryStream vstream;
  vtype->WriteValue(vslot.get(), &vstream);
  EXPECT_EQ("00", hex(streamBytes(vstream)));
  vstream.SetPosition(0);
  vtype->ReadValue(vback.get(), &vstream);
  Variant v;
  vtype->DataToVariant(vback.get(), v);
  EXPECT_TRUE(v.IsNull());
  vtype->FreeStoredValue(vslot.get());
  vtype->FreeStoredValue(vback.get());
}

TEST(cxValueTypes, DisplayTextsStreamAsLengthAndBytes) {
  TcxValueTypeClass type = TcxIntegerValueType::Instance();
  Slot text, back, none;
  type->SetStoredText(text.get(), "olá");
  TMemoryStream stream;
  type->WriteText(text.get(), &stream);
  EXPECT_EQ("030000006F6CE1", hex(streamBytes(stream)));
  // A text slot never set writes an empty text.
  type->WriteText(none.get(), &stream);
  EXPECT_EQ("030000006F6CE100000000", hex(streamBytes(stream)));
  stream.SetPosition(0);
  type->ReadText(back.get(), &stream);
  std::string s;
  type->GetStoredText(back.get(), s);
  EXPECT_EQ("olá", s);
  type->FreeStoredText(text.get());
  type->FreeStoredText(back.get());
  type->GetStoredText(back.get(), s);
  EXPECT_EQ("", s);
}

TEST(cxValueTypes, AShortStreamRaisesAReadError) {
  TMemoryStream stream;
  Byte one = 1;
  stream.WriteBuffer(&one, 1);
  stream.SetPosition(0);
  Slot slot;
  EXPECT_THROW(TcxIntegerValueType::Instance()->ReadValue(slot.get(), &stream), EReadError);
  stream.SetPosition(0);
  // Tag 1 (an array) with nothing after it.
  EXPECT_THROW(TcxVariantValueType::Instance()->ReadValue(slot.get(), &stream), EReadError);
  TcxVariantValueType::Instance()->FreeStoredValue(slot.get());
}

// ---------------------------------------------------------------------------------------
// Layout and buffers.

TEST_F(StorageTest, LayoutPlacesEachStoredColumnAfterTheRecordFlags) {
  const Integer ref = static_cast<Integer>(sizeof(void*));
  TcxValueDef* a = add(TcxIntegerValueType::Instance());
  TcxValueDef* b = add(TcxStringValueType::Instance(), true);
  TcxValueDef* c = add(TcxBooleanValueType::Instance());
  EXPECT_EQ(1, a->Offset());
  EXPECT_EQ(5, a->BufferSize());  // flag + 4
  EXPECT_EQ(6, b->Offset());
  EXPECT_EQ(1 + ref + ref, b->BufferSize());  // flag, reference, text reference
  EXPECT_EQ(6 + 1 + 2 * ref, c->Offset());
  EXPECT_EQ(2, c->BufferSize());
  EXPECT_EQ(1 + 5 + 1 + 2 * ref + 2, FStorage->ValueDefs()->RecordSize());
  EXPECT_EQ(1, FStorage->ValueDefs()->RecordOffset());
  EXPECT_EQ(3, FStorage->ValueDefs()->StoredCount());
  // Each main column has its mirror in the internal set, linked to it.
  TcxInternalValueDefs* internal = FStorage->InternalValueDefs();
  ASSERT_EQ(3, internal->Count());
  for (Integer i = 0; i < 3; ++i) {
    auto* mirror = static_cast<TcxInternalValueDef*>(internal->Items(i));
    EXPECT_EQ(FStorage->ValueDefs()->Items(i), mirror->MainValueDef());
    EXPECT_EQ(FStorage->ValueDefs()->Items(i)->ValueTypeClass(), mirror->ValueTypeClass());
    EXPECT_EQ(FStorage->ValueDefs()->Items(i)->TextStored(), mirror->TextStored());
  }
  EXPECT_TRUE(internal->Items(0)->InheritsFrom(TcxInternalValueDef::StaticClass()));
  EXPECT_EQ(FStorage->ValueDefs()->RecordSize(), internal->RecordSize());
}

TEST_F(StorageTest, AnInternalColumnAnswersTheLinkObjectOfItsMainColumn) {
  int freed = 0;
  TObjectPtr<TTracked> link(New<TTracked>(&freed));
  TcxValueDef* def = FStorage->ValueDefs()->Add(TcxIntegerValueType::Instance(), true, link.get());
  TcxValueDef* mirror = FStorage->InternalValueDefs()->Items(0);
  EXPECT_EQ(link.get(), def->LinkObject());
  EXPECT_EQ(link.get(), mirror->LinkObject());
  def->SetLinkObject(nullptr);
  EXPECT_EQ(nullptr, mirror->LinkObject());
}

TEST_F(StorageTest, AddingAColumnKeepsEveryValueAndTheNewColumnIsNull) {
  TcxValueDef* num = add(TcxIntegerValueType::Instance());
  TcxValueDef* name = add(TcxStringValueType::Instance(), true);
  FStorage->SetRecordCount(3);
  FStorage->SetValue(0, num, 10);
  FStorage->SetValue(0, name, "zero");
  FStorage->SetDisplayText(0, name, "ZERO");
  FStorage->SetValue(2, num, 30);
  Integer internal = FStorage->AddInternalRecord();
  FStorage->SetValue(internal, num, -1);

  TcxValueDef* added = add(TcxFloatValueType::Instance(), true);
  EXPECT_EQ(10, FStorage->GetValue(0, num).AsInteger());
  EXPECT_EQ("zero", FStorage->GetValue(0, name).AsString());
  EXPECT_EQ("ZERO", FStorage->GetDisplayText(0, name));
  EXPECT_EQ(30, FStorage->GetValue(2, num).AsInteger());
  EXPECT_EQ(-1, FStorage->GetValue(internal, num).AsInteger());
  EXPECT_FALSE(FStorage->HasBuffer(1));
  for (Integer r : {0, 2, internal}) {
    EXPECT_TRUE(FStorage->GetValue(r, added).IsNull()) << r;
    EXPECT_EQ("", FStorage->GetDisplayText(r, added)) << r;
  }
  // The grown buffers take the new column's value and text.
  FStorage->SetValue(2, added, 2.5);
  FStorage->SetDisplayText(2, added, "dois e meio");
  FStorage->SetValue(internal, added, 1.5);
  EXPECT_EQ(2.5, FStorage->GetValue(2, added).AsDouble());
  EXPECT_EQ("dois e meio", FStorage->GetDisplayText(2, added));
  EXPECT_EQ(1.5, FStorage->GetValue(internal, added).AsDouble());
  EXPECT_EQ(30, FStorage->GetValue(2, num).AsInteger());
}

TEST_F(StorageTest, RemovingAColumnShrinksTheBuffersAndKeepsTheOthers) {
  int freed = 0;
  TcxValueDef* a = add(TcxIntegerValueType::Instance());
  TcxValueDef* obj = add(TcxObjectValueType::Instance());
  TcxValueDef* c = add(TcxStringValueType::Instance(), true);
  FStorage->SetRecordCount(2);
  for (Integer r = 0; r < 2; ++r) {
    FStorage->SetValue(r, a, r + 100);
    FStorage->SetValue(r, obj, TcxObjectValueType::ObjectToVariant(New<TTracked>(&freed)));
    FStorage->SetValue(r, c, "s" + IntToStr(r));
    FStorage->SetDisplayText(r, c, "t" + IntToStr(r));
  }
  Integer internal = FStorage->AddInternalRecord();
  FStorage->SetValue(internal, c, "internal");

  // Removing the middle column frees its objects and moves the last one down.
  obj->Free();
  EXPECT_EQ(2, freed);
  EXPECT_EQ(2, FStorage->ValueDefs()->Count());
  EXPECT_EQ(2, FStorage->InternalValueDefs()->Count());
  EXPECT_EQ(6, c->Offset());
  for (Integer r = 0; r < 2; ++r) {
    EXPECT_EQ(r + 100, FStorage->GetValue(r, a).AsInteger());
    EXPECT_EQ("s" + IntToStr(r), FStorage->GetValue(r, c).AsString());
    EXPECT_EQ("t" + IntToStr(r), FStorage->GetDisplayText(r, c));
  }
  EXPECT_EQ("internal", FStorage->GetValue(internal, c).AsString());

  // Remove by the set; with the last stored column gone, records lose their buffers.
  FStorage->ValueDefs()->Remove(a);
  EXPECT_EQ("s1", FStorage->GetValue(1, c).AsString());
  EXPECT_TRUE(FStorage->HasBuffer(1));
  c->Free();
  EXPECT_EQ(0, FStorage->ValueDefs()->Count());
  EXPECT_EQ(0, FStorage->InternalValueDefs()->Count());
  EXPECT_FALSE(FStorage->HasBuffer(0));
  EXPECT_FALSE(FStorage->HasBuffer(1));
  EXPECT_FALSE(FStorage->HasBuffer(internal));
  EXPECT_EQ(2, FStorage->RecordCount());
  EXPECT_EQ(1, FStorage->ValueDefs()->RecordSize());
}

TEST_F(StorageTest, ChangingStoredOrTextStoredNeverMovesBytesUnderExistingRecords) {
  TcxValueDef* a = add(TcxStringValueType::Instance(), true);
  TcxValueDef* b = add(TcxIntegerValueType::Instance());
  Integer r = FStorage->AppendRecord();
  FStorage->SetValue(r, a, "a");
  FStorage->SetDisplayText(r, a, "A");
  FStorage->SetValue(r, b, 2);
  // The flag changes at once; the layout only when the set has no buffers left.
  a->SetTextStored(false);
  EXPECT_FALSE(a->IsTextStored());
  TcxValueDef* c = add(TcxIntegerValueType::Instance());
  FStorage->SetValue(r, c, 3);
  EXPECT_EQ("a", FStorage->GetValue(r, a).AsString());
  EXPECT_EQ(2, FStorage->GetValue(r, b).AsInteger());
  EXPECT_EQ(3, FStorage->GetValue(r, c).AsInteger());
  // Once the records are emptied, the next layout takes the new flag.
  FStorage->ClearRecords(false);
  TcxValueDef* d = add(TcxIntegerValueType::Instance());
  EXPECT_FALSE(a->HasTextSlot());
  EXPECT_EQ(1 + 1 + static_cast<Integer>(sizeof(void*)), b->Offset());
  FStorage->SetValue(r, d, 4);
  EXPECT_EQ(4, FStorage->GetValue(r, d).AsInteger());
}

TEST_F(StorageTest, SettingNullReleasesTheOwnedValue) {
  int freed = 0;
  TcxValueDef* obj = add(TcxObjectValueType::Instance());
  TcxValueDef* str = add(TcxStringValueType::Instance());
  Integer r = FStorage->AppendRecord();
  TTracked* t = New<TTracked>(&freed);
  FStorage->SetValue(r, obj, TcxObjectValueType::ObjectToVariant(t));
  EXPECT_EQ(t, TcxObjectValueType::VariantToObject(FStorage->GetValue(r, obj)));
  FStorage->SetValue(r, obj, Null());
  EXPECT_EQ(1, freed);
  EXPECT_TRUE(FStorage->GetValue(r, obj).IsNull());
  // A string set to Null reads Null, and a new value starts afresh.
  FStorage->SetValue(r, str, "x");
  FStorage->SetValue(r, str, Null());
  EXPECT_TRUE(FStorage->GetValue(r, str).IsNull());
  const void* p = nullptr;
  EXPECT_TRUE(FStorage->GetValuePointer(r, str, p));
  FStorage->SetValue(r, str, "y");
  EXPECT_EQ("y", FStorage->GetValue(r, str).AsString());
}

TEST_F(StorageTest, OwnedObjectsAreFreedWithTheirRecordsAndTheStorage) {
  int freed = 0;
  TcxValueDef* obj = add(TcxObjectValueType::Instance());
  FStorage->SetRecordCount(3);
  for (Integer r = 0; r < 3; ++r)
    FStorage->SetValue(r, obj, TcxObjectValueType::ObjectToVariant(New<TTracked>(&freed)));
  Integer internal = FStorage->AddInternalRecord();
  FStorage->SetValue(internal, obj, TcxObjectValueType::ObjectToVariant(New<TTracked>(&freed)));
  FStorage->DeleteRecord(1);
  EXPECT_EQ(1, freed);
  FStorage->SetRecordCount(1);
  EXPECT_EQ(2, freed);
  FreeAndNil(FStorage);
  EXPECT_EQ(4, freed);
}

// ---------------------------------------------------------------------------------------
// Record lists.

TEST_F(StorageTest, RecordListGrowsShrinksInsertsAndDeletes) {
  TcxValueDef* def = add(TcxIntegerValueType::Instance());
  FStorage->SetRecordCount(3);
  for (Integer r = 0; r < 3; ++r) FStorage->SetValue(r, def, r * 10);  // 0 10 20
  FStorage->InsertRecord(1);                                           // 0 - 10 20
  EXPECT_EQ(4, FStorage->RecordCount());
  EXPECT_TRUE(FStorage->GetValue(1, def).IsNull());
  EXPECT_EQ(10, FStorage->GetValue(2, def).AsInteger());
  EXPECT_EQ(4, FStorage->AppendRecord());  // 0 - 10 20 -
  FStorage->DeleteRecord(0);               // - 10 20 -
  EXPECT_EQ(10, FStorage->GetValue(1, def).AsInteger());
  EXPECT_EQ(20, FStorage->GetValue(2, def).AsInteger());
  FStorage->SetRecordCount(2);  // - 10
  EXPECT_EQ(2, FStorage->RecordCount());
  EXPECT_EQ(10, FStorage->GetValue(1, def).AsInteger());
  FStorage->SetRecordCount(-5);
  EXPECT_EQ(0, FStorage->RecordCount());
}

TEST_F(StorageTest, AnIndexOutsideTheRecordsRaisesAndChangesNothing) {
  TcxValueDef* def = add(TcxIntegerValueType::Instance());
  FStorage->SetRecordCount(2);
  try {
    FStorage->SetValue(2, def, 1);
    ADD_FAILURE() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ("List index out of bounds (2)", e.Message());
  }
  EXPECT_THROW(FStorage->GetValue(5, def), EListError);
  EXPECT_THROW(FStorage->SetValue(-1, def, 1), EListError);  // no internal record yet
  EXPECT_THROW(FStorage->InsertRecord(3), EListError);
  EXPECT_THROW(FStorage->DeleteRecord(2), EListError);
  EXPECT_THROW(FStorage->SetDisplayText(-3, def, "x"), EListError);
  EXPECT_EQ(2, FStorage->RecordCount());
  EXPECT_EQ(0, FStorage->InternalRecordCount());
  // A definition of another storage is refused.
  TObjectPtr<TcxDataStorage> other(New<TcxDataStorage>());
  TcxValueDef* foreign = other->ValueDefs()->Add(TcxIntegerValueType::Instance(), true, nullptr);
  EXPECT_THROW(FStorage->SetValue(0, foreign, 1), EInvalidOperation);
}

TEST_F(StorageTest, InternalRecordsAreReservedAndReusedLowestFirst) {
  TcxValueDef* def = add(TcxIntegerValueType::Instance());
  EXPECT_EQ(-1, FStorage->AddInternalRecord());
  EXPECT_EQ(-2, FStorage->AddInternalRecord());
  EXPECT_EQ(-3, FStorage->AddInternalRecord());
  EXPECT_TRUE(FStorage->IsInternalRecordInUse(-2));
  FStorage->SetValue(-2, def, 22);
  FStorage->DeleteRecord(-1);
  FStorage->DeleteInternalRecord(-3);
  EXPECT_FALSE(FStorage->HasBuffer(-1));
  EXPECT_EQ(-1, FStorage->AddInternalRecord());
  EXPECT_TRUE(FStorage->GetValue(-1, def).IsNull());
  EXPECT_EQ(22, FStorage->GetValue(-2, def).AsInteger());
  EXPECT_EQ(-3, FStorage->AddInternalRecord());
  EXPECT_EQ(-4, FStorage->AddInternalRecord());
  EXPECT_EQ(4, FStorage->InternalRecordCount());
  // Internal records are apart from the ordinary ones.
  EXPECT_EQ(0, FStorage->RecordCount());
}

TEST_F(StorageTest, InternalAndOrdinaryRecordsCompareThroughTheirOwnColumns) {
  TcxValueDef* pad = add(TcxIntegerValueType::Instance(), false, false);
  TcxValueDef* def = add(TcxStringValueType::Instance());
  FStorage->SetStoredValuesOnly(true);  // 'pad' has no slot in ordinary records
  Integer r = FStorage->AppendRecord();
  Integer internal = FStorage->AddInternalRecord();
  FStorage->SetValue(r, def, "b");
  FStorage->SetValue(internal, def, "a");
  FStorage->SetValue(internal, pad, 1);
  EXPECT_EQ(-1, FStorage->CompareRecords(internal, r, def));
  EXPECT_EQ(1, FStorage->CompareRecords(r, internal, def));
  FStorage->SetValue(internal, def, "b");
  EXPECT_EQ(0, FStorage->CompareRecords(internal, r, def));
  // The mirror passed in is used as it is.
  TcxValueDef* mirror = FStorage->InternalValueDefs()->Items(1);
  EXPECT_EQ("b", FStorage->GetValue(internal, mirror).AsString());
  EXPECT_EQ(1, FStorage->GetValue(internal, pad).AsInteger());
}

TEST_F(StorageTest, ClearingEmptiesTheListsAndReportsInternalRecords) {
  struct Listener : TObject {
    int calls = 0;
    void Cleared(TObject*) { ++calls; }
  } listener;
  FStorage->SetOnClearInternalRecords(TNotifyEvent(&listener, &Listener::Cleared));
  TcxValueDef* def = add(TcxIntegerValueType::Instance());
  FStorage->SetRecordCount(2);
  FStorage->SetValue(0, def, 1);
  FStorage->SetValue(FStorage->AddInternalRecord(), def, 9);

  FStorage->ClearRecords(false);  // records stay, all Null
  EXPECT_EQ(2, FStorage->RecordCount());
  EXPECT_TRUE(FStorage->GetValue(0, def).IsNull());
  FStorage->SetValue(0, def, 1);
  FStorage->Clear(true);  // internal records kept
  EXPECT_EQ(0, FStorage->RecordCount());
  EXPECT_EQ(1, FStorage->InternalRecordCount());
  EXPECT_EQ(9, FStorage->GetValue(-1, def).AsInteger());
  EXPECT_EQ(0, listener.calls);
  FStorage->Clear(false);
  EXPECT_EQ(0, FStorage->InternalRecordCount());
  EXPECT_EQ(1, listener.calls);
}

TEST_F(StorageTest, StoredValuesOnlyKeepsOnlyStoredColumnsInOrdinaryRecords) {
  TcxValueDef* stored = add(TcxIntegerValueType::Instance(), false, true);
  TcxValueDef* loose = add(TcxStringValueType::Instance(), true, false);
  FStorage->SetRecordCount(2);
  FStorage->SetValue(0, stored, 1);
  FStorage->SetValue(0, loose, "kept while every column is stored");
  EXPECT_TRUE(loose->IsStored());
  EXPECT_EQ(2, FStorage->ValueDefs()->StoredCount());

  FStorage->SetStoredValuesOnly(true);
  // The buffers are freed, the count remains, and the loose column has no place.
  EXPECT_EQ(2, FStorage->RecordCount());
  EXPECT_FALSE(FStorage->HasBuffer(0));
  EXPECT_FALSE(loose->IsStored());
  EXPECT_FALSE(loose->IsTextStored());
  EXPECT_EQ(1, FStorage->ValueDefs()->StoredCount());
  EXPECT_EQ(1 + 5, FStorage->ValueDefs()->RecordSize());
  FStorage->SetValue(0, loose, "ignored");
  FStorage->SetDisplayText(0, loose, "ignored");
  FStorage->SetValue(0, stored, 3);
  EXPECT_TRUE(FStorage->GetValue(0, loose).IsNull());
  EXPECT_EQ("", FStorage->GetDisplayText(0, loose));
  EXPECT_EQ(3, FStorage->GetValue(0, stored).AsInteger());
  // Internal records hold every column.
  Integer internal = FStorage->AddInternalRecord();
  FStorage->SetValue(internal, loose, "internal");
  FStorage->SetDisplayText(internal, loose, "INTERNAL");
  EXPECT_EQ("internal", FStorage->GetValue(internal, loose).AsString());
  EXPECT_EQ("INTERNAL", FStorage->GetDisplayText(internal, loose));

  FStorage->SetStoredValuesOnly(false);
  EXPECT_TRUE(FStorage->GetValue(0, stored).IsNull());
  FStorage->SetValue(0, loose, "back");
  EXPECT_EQ("back", FStorage->GetValue(0, loose).AsString());
  EXPECT_EQ("internal", FStorage->GetValue(internal, loose).AsString());
}

// ---------------------------------------------------------------------------------------
// Reading records and visiting columns.

namespace {
class TTestReader : public TcxValueDefReader {
public:
  TcxValueDef* internalDef = nullptr;
  std::vector<TcxValueDef*> asked;
  void GetValue(TcxValueDef* AValueDef, Variant& V) override {
    asked.push_back(AValueDef);
    V = Variant("v" + IntToStr(AValueDef->Offset()));
  }
  void GetDisplayText(TcxValueDef* AValueDef, std::string& S) override { S = "t" + IntToStr(AValueDef->Offset()); }
  bool IsInternal(TcxValueDef* AValueDef) override { return AValueDef == internalDef; }
};
}  // namespace

TEST_F(StorageTest, ReadRecordTakesValuesAndTextsFromTheReader) {
  TcxValueDef* a = add(TcxStringValueType::Instance(), true);
  TcxValueDef* b = add(TcxStringValueType::Instance());
  TcxValueDef* skipped = add(TcxStringValueType::Instance());
  Integer r = FStorage->AppendRecord();
  FStorage->SetValue(r, skipped, "old");
  TTestReader reader;
  reader.internalDef = skipped;
  FStorage->ReadRecord(r, &reader, true);
  EXPECT_EQ("v1", FStorage->GetValue(r, a).AsString());
  EXPECT_EQ("t1", FStorage->GetDisplayText(r, a));
  EXPECT_EQ("v" + IntToStr(b->Offset()), FStorage->GetValue(r, b).AsString());
  EXPECT_EQ("old", FStorage->GetValue(r, skipped).AsString());
  // Without the skip flag every column is read.
  FStorage->ReadRecord(r, &reader, false);
  EXPECT_EQ("v" + IntToStr(skipped->Offset()), FStorage->GetValue(r, skipped).AsString());

  // The base reader gives Null and ''.
  TcxValueDefReader empty;
  FStorage->ReadRecord(r, &empty, false);
  EXPECT_TRUE(FStorage->GetValue(r, a).IsNull());
  EXPECT_EQ("", FStorage->GetDisplayText(r, a));

  // An internal record is read through the internal columns.
  Integer internal = FStorage->AddInternalRecord();
  reader.asked.clear();
  FStorage->ReadRecord(internal, &reader, false);
  ASSERT_EQ(3u, reader.asked.size());
  EXPECT_EQ(FStorage->InternalValueDefs()->Items(0), reader.asked[0]);
  EXPECT_EQ("v1", FStorage->GetValue(internal, a).AsString());
}

TEST_F(StorageTest, ForEachValueDefVisitsTheColumnsOfTheRecordsSet) {
  TcxValueDef* a = add(TcxIntegerValueType::Instance());
  TcxValueDef* b = add(TcxFloatValueType::Instance());
  FStorage->AppendRecord();
  std::vector<TcxValueDef*> seen;
  FStorage->ForEachValueDef(0, [&](Integer ARecordIndex, TcxValueDef* AValueDef) {
    EXPECT_EQ(0, ARecordIndex);
    seen.push_back(AValueDef);
  });
  EXPECT_EQ((std::vector<TcxValueDef*>{a, b}), seen);
  seen.clear();
  FStorage->ForEachValueDef(FStorage->AddInternalRecord(), [&](Integer, TcxValueDef* AValueDef) { seen.push_back(AValueDef); });
  EXPECT_EQ((std::vector<TcxValueDef*>{FStorage->InternalValueDefs()->Items(0), FStorage->InternalValueDefs()->Items(1)}),
            seen);
}

// ---------------------------------------------------------------------------------------
// The lookup list.

TEST(cxLookupList, KeepsKeysInOrderAndFindsTheInsertionPoint) {
  TObjectPtr<TcxLookupList> list(New<TcxLookupList>());
  Integer index = -1;
  EXPECT_FALSE(list->Find(5, index));
  EXPECT_EQ(0, index);
  const std::vector<std::pair<Variant, std::string>> inserts = {
      {Variant(5), "cinco"}, {Variant(1), "um"}, {Variant(9), "nove"}, {Null(), "nada"}, {Variant(7), "sete"}};
  for (const auto& [key, text] : inserts) {
    ASSERT_FALSE(list->Find(key, index));
    list->Insert(index, key, text);
  }
  ASSERT_EQ(5, list->Count());
  EXPECT_TRUE(list->Items(0).KeyValue.IsNull());
  const Integer keys[] = {1, 5, 7, 9};
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(keys[i], list->Items(i + 1).KeyValue.AsInteger());
  EXPECT_TRUE(list->Find(7, index));
  EXPECT_EQ(3, index);
  EXPECT_EQ("sete", list->Items(index).DisplayText);
  EXPECT_TRUE(list->Find(Null(), index));
  EXPECT_EQ(0, index);
  EXPECT_FALSE(list->Find(6, index));
  EXPECT_EQ(3, index);
  EXPECT_FALSE(list->Find(100, index));
  EXPECT_EQ(5, index);
  // Multi-field keys are arrays.
  list->Clear();
  list->Insert(0, VarArrayOf({1, "b"}), "1b");
  EXPECT_FALSE(list->Find(VarArrayOf({1, "a"}), index));
  EXPECT_EQ(0, index);
  EXPECT_TRUE(list->Find(VarArrayOf({1, "b"}), index));
  EXPECT_THROW(list->Insert(3, 1, "x"), EListError);
  EXPECT_THROW(list->Items(1), EListError);
}

// ---------------------------------------------------------------------------------------
// The registry.

TEST(cxValueTypeClassList, StartUpRegistersEveryTypeInOrder) {
  TcxValueTypeClassList* list = cxValueTypeClassList();
  const char* names[] = {"String", "WideString", "Smallint", "Integer",      "Word",    "Boolean", "Float",
                         "Currency", "DateTime", "LargeInt", "FMTBcd", "SQLTimeStamp", "Variant", "Object"};
  ASSERT_EQ(14, list->Count());
  for (Integer i = 0; i < 14; ++i) EXPECT_EQ(names[i], list->Items(i)->GetCaption());
  list->Register(TcxIntegerValueType::Instance());
  EXPECT_EQ(14, list->Count());
  list->Unregister(TcxWordValueType::Instance());
  EXPECT_EQ(13, list->Count());
  EXPECT_EQ("Boolean", list->Items(4)->GetCaption());
  list->Register(TcxWordValueType::Instance());
  EXPECT_EQ(14, list->Count());
  EXPECT_EQ("Word", list->Items(13)->GetCaption());
}
