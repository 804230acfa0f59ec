#include "TestFramework.h"
#include "lib/jcl/JclRTTI.h"
#include "platform/rtl/SysUtils.h"

#include <cstring>
#include <string>
#include <vector>

namespace rtti_test {

RTL_ENUM(TGreek, alpha, beta, gamma)
using TGreeks = Set<TGreek>;

// An integer subrange 3 .. 10 and one 10 .. 20 (whose storage starts at byte 1 of the
// full range), and sets of them.
TTypeInfo ordinalType(const char* name, Int64 lo, Int64 hi) {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = name;
  t.OrdType = otUByte;
  t.MinValue = lo;
  t.MaxValue = hi;
  return t;
}
const TTypeInfo kSmall = ordinalType("TSmall", 3, 10);
const TTypeInfo kSmallSet = MakeSetTypeInfo("TSmallSet", &kSmall);
const TTypeInfo kTeen = ordinalType("TTeen", 10, 20);
const TTypeInfo kTeenSet = MakeSetTypeInfo("TTeenSet", &kTeen);
const TTypeInfo kCharSet = MakeSetTypeInfo("TCharSet", TypeInfo<char>());

std::string classOf(const InterfaceRef<IJclTypeInfo>& info) {
  TObject* obj = dynamic_cast<TObject*>(info.get());
  return obj ? obj->ClassName() : "(none)";
}

// A set value of any type as its stored bytes, built from the members' ordinals.
std::vector<Byte> setBytes(PTypeInfo setType, std::initializer_list<Int64> members) {
  SetStorage s(setType);
  for (Int64 m : members) s.Include(m);
  const Byte* p = static_cast<const Byte*>(s.Data());
  return std::vector<Byte>(p, p + s.Size());
}

std::vector<Byte> readSet(PTypeInfo setType, const std::string& text) {
  SetStorage s(setType);
  JclTextToSetValue(setType, s.Data(), text);
  const Byte* p = static_cast<const Byte*>(s.Data());
  return std::vector<Byte>(p, p + s.Size());
}


// ---------------------------------------------------------------------------------------
// Wrappers

TEST(JclRTTI, WrapperClassFollowsTheTypeKind) {
  struct Case {
    PTypeInfo type;
    const char* className;
  } cases[] = {
      {TypeInfo<Integer>(), "TJclOrdinalRangeTypeInfo"},
      {TypeInfo<char>(), "TJclOrdinalRangeTypeInfo"},
      {TypeInfo<TGreek>(), "TJclEnumerationTypeInfo"},
      {TypeInfo<TGreeks>(), "TJclSetTypeInfo"},
      {TypeInfo<double>(), "TJclFloatTypeInfo"},
      {TypeInfo<Int64>(), "TJclInt64TypeInfo"},
      {TypeInfo<TObject*>(), "TJclClassTypeInfo"},
      {TypeInfo<TNotifyEvent>(), "TJclEventTypeInfo"},
      {TypeInfo<std::string>(), "TJclTypeInfo"},
  };
  for (const Case& c : cases) {
    InterfaceRef<IJclTypeInfo> info = JclTypeInfoObject(c.type);
    EXPECT_EQ(classOf(info), c.className) << c.type->Name;
    EXPECT_EQ(info->TypeName(), c.type->Name);
    EXPECT_EQ(info->Kind(), c.type->Kind) << c.type->Name;
  }
}

TEST(JclRTTI, OrdinalBoundsAreExtendedByStorageKind) {
  auto range = [](PTypeInfo t) { return JclTypeInfoObject(t).As<IJclOrdinalRangeTypeInfo>(); };
  EXPECT_EQ(range(TypeInfo<Cardinal>())->HighBound(), 4294967295LL) << "unsigned 32-bit is zero-extended";
  EXPECT_EQ(range(TypeInfo<Integer>())->LowBound(), -2147483648LL);
  EXPECT_EQ(range(TypeInfo<Integer>())->HighBound(), 2147483647LL);
  EXPECT_EQ(range(&kSmall)->LowBound(), 3);
  EXPECT_EQ(range(&kSmall)->HighBound(), 10);
  EXPECT_EQ(range(TypeInfo<Word>())->OrdKind(), otUWord);
}

TEST(JclRTTI, EnumerationNamesAndLookup) {
  InterfaceRef<IJclEnumerationTypeInfo> e = JclTypeInfoObject(TypeInfo<TGreek>()).As<IJclEnumerationTypeInfo>();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->NameOf(1), "beta");
  EXPECT_EQ(e->NameOf(7), "");
  EXPECT_EQ(e->FindName("GAMMA"), 2);
  EXPECT_EQ(e->FindName("delta"), -1);
  EXPECT_EQ(e->BaseEnumeration().get(), e.get()) << "an enumeration is its own base";

  // Looked up from the highest ordinal down: of two equal names the later one wins.
  TTypeInfo twice;
  twice.Kind = tkEnumeration;
  twice.Name = "TTwice";
  twice.OrdType = otUByte;
  twice.MaxValue = 2;
  twice.EnumNames = {"um", "dois", "UM"};
  EXPECT_EQ(JclTypeInfoObject(&twice).As<IJclEnumerationTypeInfo>()->FindName("um"), 2);
}

TEST(JclRTTI, SetElementTypeIsWrappedToo) {
  InterfaceRef<IJclSetTypeInfo> s = JclTypeInfoObject(&kSmallSet).As<IJclSetTypeInfo>();
  ASSERT_TRUE(s);
  InterfaceRef<IJclOrdinalTypeInfo> elem = s->ElementType();
  ASSERT_TRUE(elem);
  EXPECT_EQ(elem->TypeName(), "TSmall");
  EXPECT_FALSE(JclTypeInfoObject(&kSmallSet).As<IJclEnumerationTypeInfo>()) << "a set is no enumeration";
}

TEST(JclRTTI, WrappersAreFreedWithTheirLastReference) {
  InterfaceRef<IJclTypeInfo> first = JclTypeInfoObject(TypeInfo<TGreek>());
  auto* obj = dynamic_cast<TInterfacedObject*>(first.get());
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->RefCount(), 1);
  {
    InterfaceRef<IJclEnumerationTypeInfo> second = first.As<IJclEnumerationTypeInfo>();
    EXPECT_EQ(obj->RefCount(), 2);
  }
  EXPECT_EQ(obj->RefCount(), 1);
}

// ---------------------------------------------------------------------------------------
// Set text

TEST(JclRTTI, SetValuesToText) {
  struct Case {
    PTypeInfo type;
    std::vector<Int64> members;
    bool brackets, ranges;
    const char* expected;
  } cases[] = {
      {TypeInfo<TGreeks>(), {alpha, gamma}, true, false, "[alpha, gamma]"},
      {TypeInfo<TGreeks>(), {}, true, false, "[]"},
      {TypeInfo<TGreeks>(), {}, false, false, ""},
      {TypeInfo<TGreeks>(), {alpha, beta, gamma}, true, true, "[alpha .. gamma]"},
      {&kSmallSet, {3, 4, 9}, true, false, "[3, 4, 9]"},
      {&kSmallSet, {3, 4, 9}, true, true, "[3 .. 4, 9]"},
      {&kSmallSet, {10}, false, false, "10"},
      {&kTeenSet, {10, 17, 20}, true, false, "[10, 17, 20]"},
      {&kCharSet, {'A', 'B'}, true, false, "[65, 66]"},
  };
  for (const Case& c : cases) {
    SetStorage value(c.type);
    for (Int64 m : c.members) value.Include(m);
    EXPECT_EQ(JclSetValueToText(c.type, value.Data(), c.brackets, c.ranges), c.expected) << c.type->Name;
  }
}

TEST(JclRTTI, SetStorageStartsAtTheByteOfTheLowestMember) {
  // 10 .. 20 occupies bytes 1 and 2 of the full range: member 10 is bit 2 of the first,
  // 16 bit 0 and 20 bit 4 of the second.
  EXPECT_EQ(SetStorage(&kTeenSet).Size(), 2);
  EXPECT_EQ(setBytes(&kTeenSet, {10, 16, 20}), (std::vector<Byte>{0x04, 0x11}));
  EXPECT_EQ(SetStorage(&kSmallSet).Size(), 2) << "3 .. 10 reaches into byte 1";
  EXPECT_EQ(SetStorage(&kCharSet).Size(), 32);
  EXPECT_EQ(SetStorage::FromSet(TGreeks{beta}).ToBits(), 2u);
  EXPECT_TRUE((SetStorage::FromBits(TypeInfo<TGreeks>(), 5).ToSet<TGreek>() == TGreeks{alpha, gamma}));
}

TEST(JclRTTI, TextToSetValues) {
  struct Case {
    PTypeInfo type;
    const char* text;
    std::vector<Byte> expected;
  } cases[] = {
      {TypeInfo<TGreeks>(), "[Alpha,  BETA ]", setBytes(TypeInfo<TGreeks>(), {alpha, beta})},
      {TypeInfo<TGreeks>(), "[alpha .. gamma]", setBytes(TypeInfo<TGreeks>(), {alpha, beta, gamma})},
      {TypeInfo<TGreeks>(), "[gamma .. alpha]", setBytes(TypeInfo<TGreeks>(), {})},
      {TypeInfo<TGreeks>(), "[]", setBytes(TypeInfo<TGreeks>(), {})},
      {TypeInfo<TGreeks>(), "", setBytes(TypeInfo<TGreeks>(), {})},
      {TypeInfo<TGreeks>(), "gamma", setBytes(TypeInfo<TGreeks>(), {gamma})},
      {TypeInfo<TGreeks>(), "[beta,,]", setBytes(TypeInfo<TGreeks>(), {beta})},
      {&kSmallSet, "[3 .. 4, 9]", setBytes(&kSmallSet, {3, 4, 9})},
      {&kTeenSet, "[10, 17, 20]", setBytes(&kTeenSet, {10, 17, 20})},
      {&kCharSet, "[65, 66]", setBytes(&kCharSet, {'A', 'B'})},
      // Only a closing bracket is taken off the end: the last member keeps its last letter.
      {TypeInfo<TGreeks>(), "[alpha, beta", setBytes(TypeInfo<TGreeks>(), {alpha, beta})},
  };
  for (const Case& c : cases) EXPECT_EQ(readSet(c.type, c.text), c.expected) << "'" << c.text << "'";
}

TEST(JclRTTI, TextToSetValueErrors) {
  EXPECT_EQ(RaisedMessage<EJclRTTIError>([] { readSet(TypeInfo<TGreeks>(), "[alpha, delta]"); }),
            "Unknown identifier 'delta'.");
  EXPECT_EQ(RaisedMessage<EJclRTTIError>([] { readSet(TypeInfo<TGreeks>(), "[x .. zeta]"); }),
            "Unknown identifier 'x'.")
      << "the lower bound is checked first";
  EXPECT_EQ(RaisedMessage<EJclRTTIError>([] { readSet(TypeInfo<TGreeks>(), " [alpha]"); }),
            "Unknown identifier '[alpha]'.")
      << "a blank before the bracket leaves the text unbracketed";
  EXPECT_NE(RaisedMessage<EConvertError>([] { readSet(&kSmallSet, "[3, abc]"); }), "");

  // The members before the failing one stay.
  SetStorage value(TypeInfo<TGreeks>());
  EXPECT_THROW(JclTextToSetValue(TypeInfo<TGreeks>(), value.Data(), "[beta, delta, gamma]"), EJclRTTIError);
  EXPECT_TRUE(value.Contains(beta));
  EXPECT_FALSE(value.Contains(gamma));
}

TEST(JclRTTI, NumbersOutsideTheRangeNeverWritePastTheSetStorage) {
  // The storage of 3 .. 10 is two bytes; guard bytes follow it.
  const size_t size = static_cast<size_t>(SetStorage(&kSmallSet).Size());
  Byte buffer[2 + 40];
  std::memset(buffer, 0xCC, sizeof buffer);
  for (const char* text : {"[3, 300]", "[200]", "[0]", "[9 .. 40]"}) {
    std::string message = RaisedMessage<EJclRTTIError>([&] { JclTextToSetValue(&kSmallSet, buffer, text); });
    EXPECT_NE(message, "") << text << " must be refused";
    for (size_t i = size; i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], 0xCC) << "byte " << i << " past the set was written by " << text;
  }
}

}  // namespace rtti_test
