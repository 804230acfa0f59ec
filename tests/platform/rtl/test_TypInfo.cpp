#include <functional>
#include <cmath>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

namespace typinfo_test {

// A small hierarchy publishing a property of every kind the streaming code meets.

RTL_ENUM(TTestShade, tsLight, tsMedium, tsDark)
using TTestShades = Set<TTestShade>;

class TTestPart : public TObject {
  RTL_DECLARE_CLASS(TTestPart, TObject)
};
RTL_IMPLEMENT_CLASS(TTestPart)

class TTestOtherPart : public TObject {
  RTL_DECLARE_CLASS(TTestOtherPart, TObject)
};
RTL_IMPLEMENT_CLASS(TTestOtherPart)

class TTestBase : public TObject {
  RTL_DECLARE_CLASS(TTestBase, TObject)
public:
  Integer Tag() const { return tag_; }
  void SetTag(Integer v) { tag_ = v; }

private:
  Integer tag_ = 0;
};
RTL_BEGIN_CLASS(TTestBase)
b.Property("Tag", &TTestBase::Tag, &TTestBase::SetTag).Default(0);
RTL_END_CLASS

class TTestProps : public TTestBase {
  RTL_DECLARE_CLASS(TTestProps, TTestBase)
public:
  Integer Count() const { return count_; }
  void SetCount(Integer v) { count_ = v; }
  TTestShade Shade() const { return shade_; }
  void SetShade(TTestShade v) { shade_ = v; }
  TTestShades Shades() const { return shades_; }
  void SetShades(TTestShades v) { shades_ = v; }
  float Ratio() const { return ratio_; }
  void SetRatio(float v) { ratio_ = v; }
  double Amount() const { return amount_; }
  void SetAmount(double v) { amount_ = v; }
  Extended Precise() const { return precise_; }
  void SetPrecise(Extended v) { precise_ = v; }
  Currency Price() const { return price_; }
  void SetPrice(Currency v) { price_ = v; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  bool IsCaptionStored() const { return caption_ != "(default)"; }
  TTestPart* Part() const { return part_; }
  void SetPart(TTestPart* v) { part_ = v; }
  Variant Data() const { return data_; }
  void SetData(const Variant& v) { data_ = v; }
  Int64 Big() const { return big_; }
  void SetBig(Int64 v) { big_ = v; }
  Integer Version() const { return 7; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  Byte Small() const { return small_; }
  void SetSmall(Byte v) { small_ = v; }
  char Letter() const { return letter_; }
  void SetLetter(char v) { letter_ = v; }

  void Changed(TObject* sender) { changedBy = sender; }

  TNotifyEvent FOnChange;
  Integer FField = 0;
  TObject* changedBy = nullptr;

private:
  Integer count_ = 10;
  TTestShade shade_ = tsMedium;
  TTestShades shades_ = {tsLight};
  float ratio_ = 0;
  double amount_ = 0;
  Extended precise_ = 0;
  Currency price_;
  std::string caption_;
  TTestPart* part_ = nullptr;
  Variant data_;
  Int64 big_ = 0;
  bool enabled_ = true;
  Byte small_ = 0;
  char letter_ = 'a';
};
RTL_BEGIN_CLASS(TTestProps)
b.Property("Count", &TTestProps::Count, &TTestProps::SetCount).Default(10);
b.Property("Shade", &TTestProps::Shade, &TTestProps::SetShade).Default(tsMedium);
b.Property("Shades", &TTestProps::Shades, &TTestProps::SetShades).Default(TTestShades{tsLight});
b.Property("Ratio", &TTestProps::Ratio, &TTestProps::SetRatio);
b.Property("Amount", &TTestProps::Amount, &TTestProps::SetAmount);
b.Property("Precise", &TTestProps::Precise, &TTestProps::SetPrecise);
b.Property("Price", &TTestProps::Price, &TTestProps::SetPrice);
b.Property("Caption", &TTestProps::Caption, &TTestProps::SetCaption).Stored(&TTestProps::IsCaptionStored);
b.Property("Part", &TTestProps::Part, &TTestProps::SetPart);
b.Property("OnChange", &TTestProps::FOnChange, &TTestProps::FOnChange);
b.Property("Data", &TTestProps::Data, &TTestProps::SetData);
b.Property("Big", &TTestProps::Big, &TTestProps::SetBig);
b.Property("Version", &TTestProps::Version, nullptr);
b.Property("Field", &TTestProps::FField, &TTestProps::FField);
b.Property("Enabled", &TTestProps::Enabled, &TTestProps::SetEnabled).Default(true);
b.Property("Small", &TTestProps::Small, &TTestProps::SetSmall).Default(0);
b.Property("Letter", &TTestProps::Letter, &TTestProps::SetLetter);
b.Method("Changed", &TTestProps::Changed);
RTL_END_CLASS

// A descendant that publishes Count again with another default.
class TTestPropsRedeclared : public TTestProps {
  RTL_DECLARE_CLASS(TTestPropsRedeclared, TTestProps)
public:
  Integer Extra() const { return 0; }
};
RTL_BEGIN_CLASS(TTestPropsRedeclared)
b.Property("Extra", &TTestPropsRedeclared::Extra, nullptr);
b.Property("Count", &TTestPropsRedeclared::Count, &TTestPropsRedeclared::SetCount).Default(3);
RTL_END_CLASS

// A class whose TObject part is not at the start of the object: its first base is a plain
// class with accessors and a field of its own. Each accessor must be called on the right
// part of the object.
struct TTestLeading {
  virtual ~TTestLeading() = default;
  Integer Depth() const { return depth_; }
  void SetDepth(Integer v) { depth_ = v; }
  std::string FNote = "leading";

private:
  Integer depth_ = 1;
};

// Its deleting destructor hands TObject's destroying delete the TObject part, which is not
// the start of the allocation; that delete frees the whole object, but the compiler only
// sees the offset pointer and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wfree-nonheap-object"
class TTestLayered : public TTestLeading, public TTestProps {
  RTL_DECLARE_CLASS(TTestLayered, TTestProps)
};
#pragma GCC diagnostic pop
RTL_BEGIN_CLASS(TTestLayered)
b.Property("Count", &TTestLayered::Count, &TTestLayered::SetCount).Default(5);
b.Property("Depth", &TTestLayered::Depth, &TTestLayered::SetDepth).Default(1);
b.Property("Note", &TTestLayered::FNote, &TTestLayered::FNote);
b.Property("Doubled", [](TTestLayered* o) { return o->Count() * 2; }, nullptr);
RTL_END_CLASS

namespace {

std::vector<std::string> Names(const TPropList& list) {
  std::vector<std::string> names;
  for (PPropInfo p : list) names.push_back(p->Name);
  return names;
}

class TypInfoTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = FormatSettings;
    DecimalSeparator = '.';
  }
  void TearDown() override { FormatSettings = saved_; }
  TTestProps obj;

private:
  TFormatSettings saved_;
};

// ---------------------------------------------------------------------------------------
// Type information.

TEST_F(TypInfoTest, BuiltInTypesDescribeKindAndRange) {
  struct Case {
    PTypeInfo ti;
    TTypeKind kind;
    const char* name;
    TOrdType ordType;
    Int64 lo, hi;
  };
  const Case ordinals[] = {
      {TypeInfo<int8_t>(), tkInteger, "ShortInt", otSByte, -128, 127},
      {TypeInfo<uint8_t>(), tkInteger, "Byte", otUByte, 0, 255},
      {TypeInfo<int16_t>(), tkInteger, "SmallInt", otSWord, -32768, 32767},
      {TypeInfo<uint16_t>(), tkInteger, "Word", otUWord, 0, 65535},
      {TypeInfo<int32_t>(), tkInteger, "Integer", otSLong, INT32_MIN, INT32_MAX},
      {TypeInfo<uint32_t>(), tkInteger, "Cardinal", otULong, 0, 4294967295LL},
      {TypeInfo<int64_t>(), tkInt64, "Int64", otSLong, INT64_MIN, INT64_MAX},
      {TypeInfo<char>(), tkChar, "Char", otUByte, 0, 255},
      {TypeInfo<bool>(), tkEnumeration, "Boolean", otUByte, 0, 1},
      {TypeInfo<TTestShade>(), tkEnumeration, "TTestShade", otUByte, 0, 2},
  };
  for (const Case& c : ordinals) {
    EXPECT_EQ(c.ti->Kind, c.kind) << c.name;
    EXPECT_EQ(c.ti->Name, c.name);
    EXPECT_EQ(c.ti->OrdType, c.ordType) << c.name;
    EXPECT_EQ(c.ti->MinValue, c.lo) << c.name;
    EXPECT_EQ(c.ti->MaxValue, c.hi) << c.name;
  }
  struct FloatCase {
    PTypeInfo ti;
    TFloatType type;
    const char* name;
  };
  const FloatCase floats[] = {{TypeInfo<float>(), ftSingle, "Single"},
                              {TypeInfo<double>(), ftDouble, "Double"},
                              {TypeInfo<long double>(), ftExtended, "Extended"},
                              {TypeInfo<Currency>(), ftCurr, "Currency"}};
  for (const FloatCase& c : floats) {
    EXPECT_EQ(c.ti->Kind, tkFloat) << c.name;
    EXPECT_EQ(c.ti->FloatType, c.type) << c.name;
  }
  EXPECT_EQ(TypeInfo<std::string>()->Kind, tkLString);
  EXPECT_EQ(TypeInfo<Variant>()->Kind, tkVariant);
  EXPECT_EQ(TypeInfo<TNotifyEvent>()->Kind, tkMethod);
  EXPECT_EQ(TypeInfo<TTestPart*>()->Kind, tkClass);
  EXPECT_EQ(TypeInfo<TTestPart*>()->ClassType(), TTestPart::StaticClass());
  EXPECT_EQ(TypeInfo<TTestShades>()->Kind, tkSet);
  EXPECT_EQ(TypeInfo<TTestShades>()->CompType, TypeInfo<TTestShade>());
  EXPECT_EQ(TypeInfo<bool>()->EnumNames, (std::vector<std::string>{"False", "True"}));
}

TEST_F(TypInfoTest, EnumTypeInfoReadsNamesAsWrittenInSource) {
  TTypeInfo ti = MakeEnumTypeInfo("TKind", "  kaOne ,kaTwo,\n kaThree ");
  EXPECT_EQ(ti.Kind, tkEnumeration);
  EXPECT_EQ(ti.EnumNames, (std::vector<std::string>{"kaOne", "kaTwo", "kaThree"}));
  EXPECT_EQ(ti.MaxValue, 2);
  TTypeInfo gaps = MakeEnumTypeInfo("TGap", "gA, gB = 3, gC");
  EXPECT_EQ(gaps.EnumNames, (std::vector<std::string>{"gA", "", "", "gB", "gC"}));
  EXPECT_EQ(GetEnumValue(&gaps, "gC"), 4);
  EXPECT_EQ(GetEnumValue(&gaps, ""), -1) << "an unnamed ordinal is not a name";
}

TEST_F(TypInfoTest, EnumNamesAndValuesIgnoreCase) {
  PTypeInfo shade = TypeInfo<TTestShade>();
  EXPECT_EQ(GetEnumName(shade, tsDark), "tsDark");
  EXPECT_EQ(GetEnumName(shade, 3), "");
  EXPECT_EQ(GetEnumName(shade, -1), "");
  EXPECT_EQ(GetEnumValue(shade, "TSDARK"), tsDark);
  EXPECT_EQ(GetEnumValue(shade, "tsBright"), -1);
  EXPECT_EQ(GetEnumValue(TypeInfo<bool>(), "true"), 1);
  EXPECT_EQ(GetEnumValue(TypeInfo<bool>(), "False"), 0);
  EXPECT_EQ(GetEnumName(TypeInfo<bool>(), 1), "True");
  EXPECT_EQ(GetEnumName(TypeInfo<Integer>(), -12), "-12");
  EXPECT_EQ(GetEnumValue(TypeInfo<Integer>(), "42"), 42);
}

TEST_F(TypInfoTest, SetTextRoundTripsAndRefusesBadElements) {
  PTypeInfo shades = TypeInfo<TTestShades>();
  const Int64 lightDark = TTestShades{tsLight, tsDark}.ToBits();
  EXPECT_EQ(SetToString(shades, lightDark), "[tsLight,tsDark]");
  EXPECT_EQ(SetToString(shades, lightDark, false), "tsLight,tsDark");
  EXPECT_EQ(SetToString(shades, 0), "[]");

  struct Case {
    const char* text;
    Int64 expected;
  };
  const Case good[] = {
      {"[tsLight,tsDark]", lightDark}, {"[ tsLight , tsDark ]", lightDark}, {"tsDark,tsLight", lightDark},
      {"[]", 0},                       {"", 0},                             {"[TSMEDIUM]", 2},
  };
  for (const Case& c : good) EXPECT_EQ(StringToSet(shades, c.text), c.expected) << "'" << c.text << "'";

  EXPECT_EQ(RaisedMessage<EPropertyConvertError>([&] { StringToSet(shades, "[tsLight,tsPink]"); }),
            "Invalid property element: tsPink");
  EXPECT_THROW(StringToSet(shades, "[tsLight"), EPropertyConvertError) << "an open bracket must be closed";
  EXPECT_THROW(StringToSet(shades, "["), EPropertyConvertError);
}

TEST_F(TypInfoTest, SetOfIntegersRefusesElementsBeyondItsBits) {
  // A set of Byte has elements 0..255, but an ordinal property carries 64 bits: an element
  // beyond them must be refused rather than shifted out of range.
  PTypeInfo bytes = TypeInfo<Set<uint8_t>>();
  EXPECT_EQ(StringToSet(bytes, "[0, 3, 63]"), Int64((1ull << 0) | (1ull << 3) | (1ull << 63)));
  EXPECT_EQ(SetToString(bytes, Int64(1ull << 63 | 2)), "[1,63]");
  EXPECT_EQ(RaisedMessage<EPropertyConvertError>([&] { StringToSet(bytes, "[64]"); }), "Invalid property element: 64");
  EXPECT_THROW(StringToSet(bytes, "[-1]"), EPropertyConvertError);
}

// ---------------------------------------------------------------------------------------
// Property lists.

TEST_F(TypInfoTest, PropListPutsParentsFirstThenDeclarationOrder) {
  const std::vector<std::string> expected = {"Tag",   "Count",    "Shade",   "Shades",  "Ratio",  "Amount",
                                             "Precise", "Price",  "Caption", "Part",    "OnChange", "Data",
                                             "Big",   "Version",  "Field",   "Enabled", "Small",  "Letter"};
  TPropList list = GetPropList(TTestProps::StaticClass());
  EXPECT_EQ(Names(list), expected);
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i]->Index, int(i)) << list[i]->Name << " Index";
  EXPECT_EQ(GetPropCount(TTestProps::StaticClass()), int(expected.size()));
  EXPECT_EQ(Names(GetPropList(&obj)), expected);
  EXPECT_EQ(list[0]->Owner, TTestBase::StaticClass());
  EXPECT_EQ(list[1]->Owner, TTestProps::StaticClass());
}

TEST_F(TypInfoTest, RedeclaredPropertyKeepsItsAncestorsPlace) {
  TPropList list = GetPropList(TTestPropsRedeclared::StaticClass());
  ASSERT_EQ(list.size(), GetPropList(TTestProps::StaticClass()).size() + 1);
  EXPECT_EQ(list[1]->Name, "Count");
  EXPECT_EQ(list[1]->Default, 3) << "the descendant's declaration wins";
  EXPECT_EQ(list[1]->Index, 1);
  EXPECT_EQ(list.back()->Name, "Extra");
  EXPECT_EQ(GetPropInfo(TTestPropsRedeclared::StaticClass(), "count")->Default, 3);
}

TEST_F(TypInfoTest, FilteredPropListCanBeSortedByName) {
  TPropList ints = GetPropList(TTestProps::StaticClass(), TTypeKinds{tkInteger}, true);
  EXPECT_EQ(Names(ints), (std::vector<std::string>{"Count", "Field", "Small", "Tag", "Version"}));
  TPropList floats = GetPropList(TTestProps::StaticClass(), TTypeKinds{tkFloat});
  EXPECT_EQ(Names(floats), (std::vector<std::string>{"Ratio", "Amount", "Precise", "Price"}));
}

TEST_F(TypInfoTest, PropInfoLookupIgnoresCase) {
  PPropInfo p = GetPropInfo(&obj, "cAPTION");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Name, "Caption");
  EXPECT_EQ(GetPropInfo(&obj, "tag")->Owner, TTestBase::StaticClass());
  EXPECT_EQ(GetPropInfo(&obj, "Missing"), nullptr);
  EXPECT_EQ(GetPropInfo(&obj, "Caption", TTypeKinds{tkInteger}), nullptr);
  EXPECT_NE(GetPropInfo(&obj, "Caption", TTypeKinds{tkLString, tkString}), nullptr);
  EXPECT_TRUE(IsPublishedProp(&obj, "onchange"));
  EXPECT_FALSE(IsPublishedProp(&obj, "Changed")) << "a published method is not a property";
  EXPECT_EQ(PropType(&obj, "Shades"), tkSet);
  EXPECT_TRUE(PropIsType(&obj, "Part", tkClass));
}

// ---------------------------------------------------------------------------------------
// Reading and writing.

TEST_F(TypInfoTest, OrdinalPropertiesRoundTripByNameAndByInfo) {
  SetOrdProp(&obj, "Count", 42);
  EXPECT_EQ(obj.Count(), 42);
  EXPECT_EQ(GetOrdProp(&obj, "count"), 42);
  SetOrdProp(&obj, GetPropInfo(&obj, "Tag"), -5);
  EXPECT_EQ(obj.Tag(), -5) << "inherited property";
  SetOrdProp(&obj, "Field", 7);
  EXPECT_EQ(obj.FField, 7) << "field-bound property";
  EXPECT_EQ(GetOrdProp(&obj, "Field"), 7);
  SetOrdProp(&obj, "Letter", 'z');
  EXPECT_EQ(obj.Letter(), 'z');
  SetInt64Prop(&obj, GetPropInfo(&obj, "Big"), Int64(1) << 40);
  EXPECT_EQ(obj.Big(), Int64(1) << 40);
  EXPECT_EQ(GetInt64Prop(&obj, GetPropInfo(&obj, "Big")), Int64(1) << 40);
  EXPECT_EQ(GetOrdProp(&obj, "Version"), 7) << "a read-only property reads";
}

TEST_F(TypInfoTest, AccessorsReachTheirPartOfAnObjectWhoseTObjectPartIsNotFirst) {
  TTestLayered layered;
  TObject* o = &layered;
  ASSERT_NE(static_cast<void*>(o), static_cast<void*>(&layered)) << "the fixture needs an offset TObject part";

  SetOrdProp(o, "Count", 21);
  EXPECT_EQ(layered.Count(), 21) << "accessor declared by a TObject base, published again here";
  EXPECT_EQ(GetOrdProp(o, "Count"), 21);
  SetOrdProp(o, "Tag", 9);
  EXPECT_EQ(layered.Tag(), 9) << "property published by a base class";
  EXPECT_EQ(GetOrdProp(o, "Tag"), 9);
  SetOrdProp(o, "Depth", 4);
  EXPECT_EQ(layered.Depth(), 4) << "accessor declared by the leading plain class";
  EXPECT_EQ(GetOrdProp(o, "Depth"), 4);
  SetStrProp(o, "Note", "moved");
  EXPECT_EQ(layered.FNote, "moved") << "field of the leading plain class";
  EXPECT_EQ(GetStrProp(o, "Note"), "moved");
  EXPECT_EQ(GetOrdProp(o, "Doubled"), 42) << "callable getter";
  EXPECT_TRUE(GetPropInfo(o, "Doubled")->IsReadOnly);
}

TEST_F(TypInfoTest, EnumerationAndSetPropertiesRoundTripAsText) {
  SetEnumProp(&obj, "Shade", "TSDARK");
  EXPECT_EQ(obj.Shade(), tsDark);
  EXPECT_EQ(GetEnumProp(&obj, "Shade"), "tsDark");
  SetEnumProp(&obj, "Enabled", "false");
  EXPECT_FALSE(obj.Enabled());
  EXPECT_EQ(GetEnumProp(&obj, "Enabled"), "False");
  EXPECT_EQ(RaisedMessage<EPropertyConvertError>([&] { SetEnumProp(&obj, "Shade", "tsPink"); }),
            "Invalid property element: tsPink");
  EXPECT_EQ(obj.Shade(), tsDark) << "a refused name leaves the value";

  SetSetProp(&obj, "Shades", "[tsMedium, tsDark]");
  EXPECT_TRUE(obj.Shades() == (TTestShades{tsMedium, tsDark}));
  EXPECT_EQ(GetSetProp(&obj, "Shades"), "tsMedium,tsDark");
  EXPECT_EQ(GetSetProp(&obj, "Shades", true), "[tsMedium,tsDark]");
  EXPECT_THROW(SetSetProp(&obj, "Shades", "[tsMedium"), EPropertyConvertError);
  EXPECT_TRUE(obj.Shades() == (TTestShades{tsMedium, tsDark}));
}

TEST_F(TypInfoTest, FloatPropertiesKeepTheirOwnPrecision) {
  SetFloatProp(&obj, "Ratio", 0.1L);
  EXPECT_EQ(obj.Ratio(), 0.1f);
  EXPECT_EQ(GetFloatProp(&obj, "Ratio"), static_cast<long double>(0.1f));
  SetFloatProp(&obj, "Amount", 0.1L);
  EXPECT_EQ(obj.Amount(), 0.1);
  SetFloatProp(&obj, "Precise", 0.1L);
  EXPECT_EQ(obj.Precise(), 0.1L) << "Extended keeps long double precision";
  SetFloatProp(&obj, "Price", 1.23456L);
  EXPECT_EQ(obj.Price().Value, 12346) << "Currency rounds to four decimals";
  EXPECT_EQ(Currency::FromDouble(GetFloatProp(&obj, "Price")).Value, 12346) << "and reads back the same amount";
}

TEST_F(TypInfoTest, StringClassMethodAndVariantPropertiesRoundTrip) {
  SetStrProp(&obj, "Caption", "Ação");
  EXPECT_EQ(obj.Caption(), "Ação");
  EXPECT_EQ(GetStrProp(&obj, "caption"), "Ação");

  TTestPart part;
  SetObjectProp(&obj, "Part", &part);
  EXPECT_EQ(obj.Part(), &part);
  EXPECT_EQ(GetObjectProp(&obj, "Part"), &part);
  TTestOtherPart other;
  EXPECT_THROW(SetObjectProp(&obj, "Part", &other), EPropertyConvertError);
  EXPECT_EQ(obj.Part(), &part) << "a mismatched object is not stored";
  SetObjectProp(&obj, "Part", nullptr);
  EXPECT_EQ(obj.Part(), nullptr);

  TTestProps target;
  TMethod m{obj.MethodAddress("Changed"), &target};
  ASSERT_TRUE(m.Assigned());
  SetMethodProp(&obj, "OnChange", m);
  ASSERT_TRUE(obj.FOnChange.Assigned());
  obj.FOnChange(&part);
  EXPECT_EQ(target.changedBy, &part) << "the event calls the bound object's method";
  EXPECT_TRUE(GetMethodProp(&obj, "OnChange") == m);
  EXPECT_EQ(obj.MethodName(GetMethodProp(&obj, "OnChange").Code), "Changed");

  SetVariantProp(&obj, GetPropInfo(&obj, "Data"), VarArrayOf({1, "x"}));
  EXPECT_TRUE(VarIsArray(obj.Data()));
  EXPECT_EQ(GetVariantProp(&obj, GetPropInfo(&obj, "Data"))[1].AsString(), "x");
}

TEST_F(TypInfoTest, AccessErrorsNameTheProblem) {
  EXPECT_EQ(RaisedMessage<EPropertyError>([&] { GetOrdProp(&obj, "Nope"); }), "Unknown property: 'Nope'");
  EXPECT_THROW(SetStrProp(&obj, "Nope", "x"), EPropertyError);
  EXPECT_THROW(GetPropValue(&obj, "Nope"), EPropertyError);
  EXPECT_THROW(IsStoredProp(&obj, "Nope"), EPropertyError);

  EXPECT_THROW(SetOrdProp(&obj, "Version", 1), EPropertyError) << "read-only";
  EXPECT_THROW(SetPropValue(&obj, "Version", 1), EPropertyError) << "read-only through a Variant";

  struct Mismatch {
    const char* what;
    std::function<void()> call;
  };
  const Mismatch mismatches[] = {
      {"GetOrdProp on a string", [&] { GetOrdProp(&obj, "Caption"); }},
      {"GetStrProp on an integer", [&] { GetStrProp(&obj, "Count"); }},
      {"SetFloatProp on a string", [&] { SetFloatProp(&obj, "Caption", 1); }},
      {"GetSetProp on an integer", [&] { GetSetProp(&obj, "Count"); }},
      {"GetObjectProp on an event", [&] { GetObjectProp(&obj, "OnChange"); }},
      {"SetMethodProp on an object", [&] { SetMethodProp(&obj, "Part", TMethod{}); }},
      {"GetFloatProp on a Variant", [&] { GetFloatProp(&obj, "Data"); }},
  };
  for (const Mismatch& m : mismatches) EXPECT_THROW(m.call(), EPropertyConvertError) << m.what;
  EXPECT_EQ(RaisedMessage<EPropertyConvertError>([&] { GetOrdProp(&obj, "Caption"); }),
            "Invalid property type: string");
}

TEST_F(TypInfoTest, StoredPredicateAndDefaultsDecideWhatIsWritten) {
  PPropInfo caption = GetPropInfo(&obj, "Caption");
  EXPECT_TRUE(IsStoredProp(&obj, caption));
  obj.SetCaption("(default)");
  EXPECT_FALSE(IsStoredProp(&obj, "Caption"));
  EXPECT_TRUE(IsStoredProp(&obj, "Count")) << "no predicate means stored";

  TTestProps fresh;
  TTestPart part;
  struct Case {
    const char* prop;
    bool atStart;                       // a new object holds its default
    std::function<void(TTestProps&)> change;
  };
  const Case cases[] = {
      {"Count", true, [](TTestProps& o) { o.SetCount(11); }},
      {"Shade", true, [](TTestProps& o) { o.SetShade(tsLight); }},
      {"Shades", true, [](TTestProps& o) { o.SetShades({}); }},
      {"Enabled", true, [](TTestProps& o) { o.SetEnabled(false); }},
      {"Ratio", true, [](TTestProps& o) { o.SetRatio(0.5f); }},
      {"Price", true, [](TTestProps& o) { o.SetPrice(Currency::FromInt(1)); }},
      {"Caption", true, [](TTestProps& o) { o.SetCaption("x"); }},
      {"Part", true, [&](TTestProps& o) { o.SetPart(&part); }},
      {"OnChange", true, [](TTestProps& o) { o.FOnChange = TNotifyEvent(&o, &TTestProps::Changed); }},
      {"Data", true, [](TTestProps& o) { o.SetData(0); }},
      {"Big", true, [](TTestProps& o) { o.SetBig(1); }},
  };
  for (const Case& c : cases) {
    PPropInfo p = GetPropInfo(&fresh, c.prop);
    EXPECT_EQ(IsDefaultPropValue(&fresh, p), c.atStart) << c.prop << " on a new object";
    c.change(fresh);
    EXPECT_FALSE(IsDefaultPropValue(&fresh, p)) << c.prop << " after a change";
  }
  EXPECT_FALSE(IsDefaultPropValue(&fresh, GetPropInfo(&fresh, "Field"))) << "no default: always written";
  fresh.SetCount(10);
  EXPECT_TRUE(IsDefaultPropValue(&fresh, GetPropInfo(&fresh, "Count"))) << "back to its default";
}

// ---------------------------------------------------------------------------------------
// Any property through a Variant.

TEST_F(TypInfoTest, GetPropValueGivesEachKindItsVariant) {
  obj.SetShade(tsDark);
  obj.SetShades({tsLight, tsDark});
  obj.SetPrice(Currency::FromScaled(12345));
  obj.SetBig(Int64(1) << 40);
  obj.SetAmount(2.5);
  obj.SetCaption("abc");
  obj.SetData("payload");
  struct Case {
    const char* prop;
    bool preferStrings;
    TVarType kind;
    const char* text;
  };
  const Case cases[] = {
      {"Count", true, varInteger, "10"},
      {"Shade", true, varString, "tsDark"},
      {"Shade", false, varInteger, "2"},
      {"Shades", true, varString, "tsLight,tsDark"},
      {"Shades", false, varInt64, "5"},
      {"Enabled", true, varBoolean, "True"},
      {"Price", true, varCurrency, "1.2345"},
      {"Amount", true, varDouble, "2.5"},
      {"Big", true, varInt64, "1099511627776"},
      {"Caption", true, varString, "abc"},
      {"Data", true, varString, "payload"},
  };
  for (const Case& c : cases) {
    Variant v = GetPropValue(&obj, c.prop, c.preferStrings);
    EXPECT_EQ(VarType(v), c.kind) << c.prop << " gave " << VarTypeAsText(VarType(v));
    EXPECT_EQ(VarToStr(v), c.text) << c.prop;
  }
  EXPECT_THROW(GetPropValue(&obj, "Part"), EPropertyConvertError);
  EXPECT_THROW(GetPropValue(&obj, "OnChange"), EPropertyConvertError);
}

TEST_F(TypInfoTest, SetPropValueConvertsTheVariantToThePropertyKind) {
  SetPropValue(&obj, "Count", "42");
  EXPECT_EQ(obj.Count(), 42);
  SetPropValue(&obj, "Shade", "tsLight");
  EXPECT_EQ(obj.Shade(), tsLight);
  SetPropValue(&obj, "Shade", 2);
  EXPECT_EQ(obj.Shade(), tsDark);
  SetPropValue(&obj, "Enabled", false);
  EXPECT_FALSE(obj.Enabled());
  SetPropValue(&obj, "Enabled", true);
  EXPECT_EQ(GetOrdProp(&obj, "Enabled"), 1) << "True is ordinal 1, not the variant's -1";
  SetPropValue(&obj, "Shades", "tsMedium,tsDark");
  EXPECT_TRUE(obj.Shades() == (TTestShades{tsMedium, tsDark}));
  SetPropValue(&obj, "Shades", "[tsLight]");
  EXPECT_TRUE(obj.Shades() == TTestShades{tsLight});
  SetPropValue(&obj, "Amount", "2.75");
  EXPECT_EQ(obj.Amount(), 2.75);
  SetPropValue(&obj, "Price", Variant(Currency::FromScaled(5)));
  EXPECT_EQ(obj.Price().Value, 5);
  SetPropValue(&obj, "Caption", 12);
  EXPECT_EQ(obj.Caption(), "12");
  SetPropValue(&obj, "Caption", Null());
  EXPECT_EQ(obj.Caption(), "");
  SetPropValue(&obj, "Big", "1099511627776");
  EXPECT_EQ(obj.Big(), Int64(1) << 40);
  SetPropValue(&obj, "Data", Null());
  EXPECT_TRUE(VarIsNull(obj.Data()));

  EXPECT_THROW(SetPropValue(&obj, "Small", 300), ERangeError);
  EXPECT_THROW(SetPropValue(&obj, "Shade", 3), ERangeError);
  EXPECT_THROW(SetPropValue(&obj, "Shade", "tsPink"), EPropertyConvertError);
  EXPECT_THROW(SetPropValue(&obj, "Count", "abc"), EVariantError);
  EXPECT_THROW(SetPropValue(&obj, "Part", 0), EPropertyConvertError);
}

}  // namespace
}  // namespace typinfo_test
