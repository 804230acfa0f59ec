// The field classes: conversions and their errors, null handling, ranges, text formats,
// events, attributes, the type-to-class table and the published properties.
#include <memory>

#include "DataTestSupport.h"

using namespace datatest;

namespace {

TDateTime when() { return EncodeDate(2021, 12, 2) + EncodeTime(13, 45, 30, 0); }

class Fields : public ::testing::Test {
protected:
  void SetUp() override {
    ds = std::make_unique<TTestDataSet>();
    ds->SetName("Things");
    ds->AddColumn("Qty", ftInteger);
    ds->AddColumn("Small", ftSmallint);
    ds->AddColumn("Big", ftLargeint);
    ds->AddColumn("Price", ftFloat);
    ds->AddColumn("Money", ftBCD, 2);
    ds->AddColumn("Exact", ftFMTBcd);
    ds->AddColumn("Name", ftString, 8);
    ds->AddColumn("Wide", ftWideString, 10);
    ds->AddColumn("Flag", ftBoolean);
    ds->AddColumn("When", ftDateTime);
    ds->AddColumn("Day", ftDate);
    ds->AddColumn("Stamp", ftTimeStamp);
    ds->AddColumn("Notes", ftMemo);
    ds->AddColumn("Data", ftBlob);
    ds->AddColumn("Raw", ftVarBytes, 8);
    ds->AddRow({42, 7, static_cast<long long>(1) << 40, 3.14159, Currency::FromScaled(12345000),
                VarFMTBcdCreate(StrToBcd("12.5")), "abc", Variant::MakeOleStr("wide"), true, VarFromDateTime(when()),
                VarFromDateTime(EncodeDate(2021, 12, 2)), VarSQLTimeStampCreate(when()), "some notes",
                std::string("\x01\x00\x02", 3), std::string("\x0A\x0B", 2)});
    ds->Open();
    ds->Edit();
  }

  TField* f(const char* name) { return ds->FieldByName(name); }

  FormatGuard formats;
  std::unique_ptr<TTestDataSet> ds;
};

}  // namespace

// --- Integers.

TEST_F(Fields, IntegerFieldConvertsToNumbersAndText) {
  TField* qty = f("Qty");
  EXPECT_EQ(qty->AsInteger(), 42);
  EXPECT_EQ(qty->AsString(), "42");
  EXPECT_EQ(qty->AsFloat(), 42.0);
  EXPECT_EQ(qty->AsCurrency(), Currency::FromInt(42));
  EXPECT_EQ(qty->AsLargeInt(), 42);
  EXPECT_EQ(VarType(qty->Value()), varInteger);
  qty->SetAsString("-17");
  EXPECT_EQ(qty->AsInteger(), -17);
  qty->SetAsFloat(2.5);
  EXPECT_EQ(qty->AsInteger(), 2) << "floats round half to even";
  qty->SetAsFloat(3.5);
  EXPECT_EQ(qty->AsInteger(), 4);
  qty->SetValue(Variant("8"));
  EXPECT_EQ(qty->AsInteger(), 8);
}

TEST_F(Fields, ConversionsAFieldClassDoesNotOfferRaise) {
  struct Case {
    const char* field;
    std::function<void(TField*)> use;
    const char* message;
  };
  const Case cases[] = {
      {"Qty", [](TField* x) { x->AsBoolean(); }, "Cannot access field 'Qty' as type Boolean"},
      {"Qty", [](TField* x) { x->AsDateTime(); }, "Cannot access field 'Qty' as type DateTime"},
      {"Flag", [](TField* x) { x->AsInteger(); }, "Cannot access field 'Flag' as type Integer"},
      {"Flag", [](TField* x) { x->SetAsFloat(1); }, "Cannot access field 'Flag' as type Float"},
      {"When", [](TField* x) { x->AsInteger(); }, "Cannot access field 'When' as type Integer"},
      {"Notes", [](TField* x) { x->AsFloat(); }, "Cannot access field 'Notes' as type Float"},
      {"Price", [](TField* x) { x->AsDateTime(); }, "Cannot access field 'Price' as type DateTime"},
  };
  for (const Case& c : cases) EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { c.use(f(c.field)); }), c.message);
}

TEST_F(Fields, TextThatIsNotAValueOfTheFieldRaisesNamingTheField) {
  struct Case {
    const char* field;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"Qty", "4x2", "'4x2' is not a valid integer value for field 'Qty'"},
      {"Big", "1e3", "'1e3' is not a valid integer value for field 'Big'"},
      {"Price", "abc", "'abc' is not a valid floating point value for field 'Price'"},
      {"Price", "1,5", "'1,5' is not a valid floating point value for field 'Price'"},
      {"Money", "12..3", "'12..3' is not a valid floating point value for field 'Money'"},
      {"Exact", "abc", "'abc' is not a valid BCD value for field 'Exact'"},
      {"Flag", "talvez", "'talvez' is not a valid boolean value for field 'Flag'"},
  };
  for (const Case& c : cases) {
    Variant before = f(c.field)->Value();
    EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { f(c.field)->SetAsString(c.text); }), c.message);
    EXPECT_TRUE(VarSameValue(f(c.field)->Value(), before)) << c.field << " must keep its value";
  }
  // Dates and text read as numbers fail the way SysUtils' conversions do.
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { f("When")->SetAsString("31/02/2021 10:00"); }),
            "'31/02/2021 10:00' is not a valid date and time");
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { f("Day")->SetAsString("31/02/2021"); }), "'31/02/2021' is not a valid date");
  f("Name")->SetAsString("x");
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { f("Name")->AsInteger(); }), "'x' is not a valid integer value");
}

TEST_F(Fields, IntegerClassesKeepTheirRangesAndMinMax) {
  struct Case {
    const char* field;
    Int64 value;
    const char* message;  // "" when accepted
  };
  const Case cases[] = {
      {"Small", 32767, ""},
      {"Small", -32768, ""},
      {"Small", 32768, "32768 is not a valid value for field 'Small'. The allowed range is -32768 to 32767"},
      {"Qty", 2147483647, ""},
      {"Qty", 2147483648LL, "2147483648 is not a valid value for field 'Qty'. The allowed range is -2147483648 to 2147483647"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { f(c.field)->SetAsLargeInt(c.value); }), c.message)
        << c.field << " := " << c.value;
  auto* qty = static_cast<TIntegerField*>(f("Qty"));
  qty->SetMinValue(0);
  qty->SetMaxValue(100);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { qty->SetAsInteger(101); }),
            "101 is not a valid value for field 'Qty'. The allowed range is 0 to 100");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { qty->SetAsString("-1"); }),
            "-1 is not a valid value for field 'Qty'. The allowed range is 0 to 100");
  qty->SetAsInteger(100);
  EXPECT_EQ(qty->AsInteger(), 100);
}

TEST_F(Fields, LargeintKeepsSixtyFourBits) {
  EXPECT_EQ(f("Big")->AsLargeInt(), static_cast<Int64>(1) << 40);
  EXPECT_EQ(f("Big")->AsString(), "1099511627776");
  EXPECT_EQ(VarType(f("Big")->Value()), varInt64);
  f("Big")->SetAsString("-9223372036854775808");
  EXPECT_EQ(f("Big")->AsLargeInt(), INT64_MIN);
}

// --- Floats, BCD, FMTBcd.

TEST_F(Fields, FloatFieldRoundsToIntegersHalfToEvenAndChecksItsRange) {
  auto* price = static_cast<TFloatField*>(f("Price"));
  EXPECT_EQ(VarType(price->Value()), varDouble);
  price->SetAsString("2.5");
  EXPECT_EQ(price->AsInteger(), 2);
  price->SetAsString("-3.5");
  EXPECT_EQ(price->AsInteger(), -4);
  price->SetMinValue(0);
  price->SetMaxValue(100);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { price->SetAsFloat(150); }),
            "150 is not a valid value for field 'Price'. The allowed range is 0 to 100");
}

TEST_F(Fields, FloatTextFollowsPrecisionPicturesAndTheCurrencyFlag) {
  auto* price = static_cast<TFloatField*>(f("Price"));
  price->SetAsFloat(1234.5678);
  EXPECT_EQ(price->Text(), "1234.5678");
  EXPECT_EQ(price->DisplayText(), "1234.5678");
  price->SetPrecision(6);
  EXPECT_EQ(price->DisplayText(), "1234.57");
  price->SetPrecision(15);
  price->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(price->DisplayText(), "1,234.57");
  EXPECT_EQ(price->Text(), "1,234.57") << "without an EditFormat, Text uses the DisplayFormat";
  price->SetEditFormat("0.000");
  EXPECT_EQ(price->Text(), "1234.568");
  EXPECT_EQ(price->DisplayText(), "1,234.57");
  price->SetDisplayFormat("");
  price->SetEditFormat("");
  price->Setcurrency(true);
  EXPECT_EQ(price->DisplayText(), "R$ 1,234.57");
  EXPECT_EQ(price->Text(), "1234.57");
  EXPECT_EQ(price->AsString(), "1234.5678") << "AsString is not formatted";
}

TEST_F(Fields, IntegerPicturesApplyToTextAndDisplayText) {
  auto* qty = static_cast<TIntegerField*>(f("Qty"));
  qty->SetDisplayFormat("000");
  qty->SetAsInteger(7);
  EXPECT_EQ(qty->DisplayText(), "007");
  EXPECT_EQ(qty->AsString(), "7");
  qty->SetEditFormat("0");
  EXPECT_EQ(qty->Text(), "7");
}

TEST_F(Fields, BCDFieldKeepsCurrencyValuesToItsSizeInDecimals) {
  TField* money = f("Money");
  EXPECT_EQ(VarType(money->Value()), varCurrency);
  EXPECT_EQ(money->AsString(), "1234.5");
  struct Case {
    double set;
    Int64 scaled;
  };
  for (Case c : {Case{12.3456, 123500}, Case{1.005, 10100}, Case{-1.005, -10100}, Case{0.004, 0}}) {
    money->SetAsFloat(c.set);
    EXPECT_EQ(money->AsCurrency().Value, c.scaled) << c.set << " with 2 decimals";
  }
  money->SetAsString("1234.5");
  static_cast<TBCDField*>(money)->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(money->DisplayText(), "1,234.50");
  static_cast<TBCDField*>(money)->SetDisplayFormat("");
  static_cast<TBCDField*>(money)->Setcurrency(true);
  EXPECT_EQ(money->DisplayText(), "R$ 1,234.50");
  EXPECT_EQ(BcdToStr(money->AsBCD()), "1234.5");
}

TEST_F(Fields, FMTBCDFieldIsExactToItsSize) {
  auto* exact = static_cast<TFMTBCDField*>(f("Exact"));
  exact->SetPrecision(30);
  exact->SetAsString("12345678901234.12345678");
  EXPECT_EQ(exact->AsString(), "12345678901234.12345678");
  EXPECT_TRUE(VarIsFMTBcd(exact->Value()));
  EXPECT_DOUBLE_EQ(exact->AsFloat(), 12345678901234.12345678);
  exact->SetAsString("1.123456785");
  EXPECT_EQ(exact->AsString(), "1.12345679") << "8 decimals, half away from zero";
  exact->SetPrecision(5);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { exact->SetAsString("123456.5"); }), "Value too large for field 'Exact'");
  exact->SetPrecision(15);
  exact->SetAsCurrency(Currency::FromScaled(15));
  EXPECT_EQ(exact->AsString(), "0.0015");
}

// --- Text.

TEST_F(Fields, StringFieldCutsToItsSizeAndReadsItsTextAsValues) {
  TField* name = f("Name");
  name->SetAsString("abcdefghij");
  EXPECT_EQ(name->AsString(), "abcdefgh");
  EXPECT_EQ(VarType(name->Value()), varString);
  EXPECT_EQ(VarType(f("Wide")->Value()), varOleStr);
  name->SetAsString("12");
  EXPECT_EQ(name->AsInteger(), 12);
  name->SetAsString("2.25");
  EXPECT_EQ(name->AsFloat(), 2.25);
  name->SetAsString("31/12/20");
  EXPECT_EQ(name->AsDateTime(), EncodeDate(2020, 12, 31));
  struct Case {
    const char* text;
    bool value;
  };
  for (Case c : {Case{"yes", true}, Case{"True", true}, Case{"t", true}, Case{"no", false}, Case{"x", false}, Case{"", false}}) {
    name->SetAsString(c.text);
    EXPECT_EQ(name->AsBoolean(), c.value) << "'" << c.text << "'";
  }
  name->SetAsBoolean(true);
  EXPECT_EQ(name->AsString(), "T");
}

TEST_F(Fields, BooleanFieldShowsAndAcceptsItsDisplayValues) {
  auto* flag = static_cast<TBooleanField*>(f("Flag"));
  EXPECT_EQ(flag->AsString(), "True");
  EXPECT_EQ(VarType(flag->Value()), varBoolean);
  flag->SetDisplayValues("Sim;Não");
  EXPECT_EQ(flag->AsString(), "Sim");
  EXPECT_EQ(flag->DisplayText(), "Sim");
  flag->SetAsString("n");
  EXPECT_FALSE(flag->AsBoolean());
  EXPECT_EQ(flag->Text(), "Não");
  flag->SetAsString("SI");
  EXPECT_TRUE(flag->AsBoolean());
  flag->SetAsString("");
  EXPECT_TRUE(flag->IsNull()) << "empty text clears when both texts are set";
  EXPECT_EQ(flag->DisplayWidth(), 3);
}

// --- Dates.

TEST_F(Fields, DateTimeFieldsFormatTextAndDisplayText) {
  auto* at = static_cast<TDateTimeField*>(f("When"));
  EXPECT_EQ(VarType(at->Value()), varDate);
  EXPECT_EQ(at->AsString(), "02/12/2021 13:45:30");
  at->SetDisplayFormat("yyyy-mm-dd");
  EXPECT_EQ(at->DisplayText(), "2021-12-02");
  EXPECT_EQ(at->Text(), "02/12/2021 13:45:30");
  at->SetAsString("03/01/2022 08:00");
  EXPECT_EQ(at->AsDateTime(), EncodeDate(2022, 1, 3) + EncodeTime(8, 0, 0, 0));
  TField* day = f("Day");
  day->SetAsDateTime(when());
  EXPECT_EQ(day->AsDateTime(), EncodeDate(2021, 12, 2)) << "a date field keeps the day only";
  EXPECT_EQ(day->Text(), "02/12/2021");
  EXPECT_EQ(at->AsFloat(), EncodeDate(2022, 1, 3) + EncodeTime(8, 0, 0, 0));
}

TEST_F(Fields, SQLTimeStampFieldHoldsAStampVariant) {
  TField* stamp = f("Stamp");
  EXPECT_TRUE(VarIsSQLTimeStamp(stamp->Value()));
  TSQLTimeStamp ts = stamp->AsSQLTimeStamp();
  EXPECT_EQ(ts.Year, 2021);
  EXPECT_EQ(ts.Day, 2);
  EXPECT_EQ(ts.Second, 30);
  EXPECT_EQ(stamp->AsDateTime(), when());
  EXPECT_EQ(stamp->AsString(), "02/12/2021 13:45:30");
  stamp->SetAsString("01/01/2000 00:00:01");
  EXPECT_EQ(stamp->AsSQLTimeStamp().Second, 1);
}

// --- Binary data.

TEST_F(Fields, BlobAndMemoFieldsGiveTheirContentAndACaption) {
  TField* notes = f("Notes");
  EXPECT_TRUE(notes->IsBlob());
  EXPECT_FALSE(f("Name")->IsBlob());
  EXPECT_EQ(notes->AsString(), "some notes");
  EXPECT_EQ(notes->DisplayText(), "(MEMO)");
  notes->Clear();
  EXPECT_EQ(notes->DisplayText(), "(Memo)");
  auto* data = static_cast<TBlobField*>(f("Data"));
  EXPECT_EQ(data->AsString(), std::string("\x01\x00\x02", 3)) << "bytes pass through, zeros included";
  EXPECT_EQ(data->BlobSize(), 3);
  TMemoryStream in;
  in.WriteBuffer("\xFF\x00\xFE\x00", 4);
  in.SetPosition(0);
  data->LoadFromStream(&in);
  TMemoryStream out;
  data->SaveToStream(&out);
  EXPECT_EQ(out.Size(), 4);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), 4), std::string("\xFF\x00\xFE\x00", 4));
  Variant raw = f("Raw")->Value();
  ASSERT_TRUE(raw.IsArray());
  EXPECT_EQ(VarArrayHighBound(raw, 1), 1);
  EXPECT_EQ(raw[0].AsInteger(), 10);
  EXPECT_EQ(raw[1].AsInteger(), 11);
}

// A blob saved to a file writes its bytes; a file that cannot be replaced (read-only) keeps
// its old content and the error names it.
TEST_F(Fields, BlobSavesToAFileWholeOrNotAtAll) {
  auto* data = static_cast<TBlobField*>(f("Data"));
  std::string dir = MakeTempDir();
  std::string name = dir + "\\blob.bin";
  data->SaveToFile(name);
  auto content = [&] {
    TFileStream in(name, fmOpenRead);
    std::string bytes(static_cast<size_t>(in.Size()), '\0');
    if (!bytes.empty()) in.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    return bytes;
  };
  EXPECT_EQ(content(), std::string("\x01\x00\x02", 3));
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
  data->SetAsString("novo conteúdo");
  try {
    data->SaveToFile(name);
    ADD_FAILURE() << "saving over a read-only file should fail";
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find("blob.bin"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(content(), std::string("\x01\x00\x02", 3)) << "the old file stays whole";
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveTree(dir);
}

// --- Null.

TEST_F(Fields, NullReadsAsEmptyTextZeroAndFalse) {
  for (TField* field : ds->Fields()->List()) {
    field->Clear();
    SCOPED_TRACE(field->FieldName());
    EXPECT_TRUE(field->IsNull());
    EXPECT_TRUE(field->Value().IsNull());
    EXPECT_EQ(field->AsString(), "");
    if (!field->IsBlob()) {
      EXPECT_EQ(field->DisplayText(), field->DataType() == ftVarBytes ? "(VarBytes)" : "");
    }
  }
  for (const char* name : {"Qty", "Small", "Big", "Price", "Money", "Exact", "Name"}) {
    EXPECT_EQ(f(name)->AsInteger(), 0) << name;
    EXPECT_EQ(f(name)->AsFloat(), 0.0) << name;
  }
  EXPECT_FALSE(f("Flag")->AsBoolean());
  EXPECT_FALSE(f("Name")->AsBoolean());
  EXPECT_EQ(f("When")->AsDateTime(), 0.0);
  EXPECT_EQ(f("Stamp")->AsSQLTimeStamp(), NullSQLTimeStamp);
  f("Qty")->SetAsString("");
  EXPECT_TRUE(f("Qty")->IsNull()) << "empty text clears a number field";
  f("Qty")->SetValue(Variant());
  EXPECT_TRUE(f("Qty")->IsNull()) << "Empty clears too";
}

// --- Events and checks.

namespace {
struct FieldEvents : TObject {
  std::vector<std::string> journal;
  bool refuse = false;
  void Validate(TField* f) {
    journal.push_back("OnValidate sees " + f->AsString());
    if (refuse) throw EDatabaseError("refused by OnValidate");
  }
  void Change(TField* f) { journal.push_back("OnChange " + f->AsString()); }
  void GetText(TField* f, std::string& text, bool display) { text = (display ? "show:" : "edit:") + f->AsString(); }
  void SetText(TField* f, const std::string& text) { f->SetAsString("[" + text + "]"); }
};
}  // namespace

TEST_F(Fields, OnValidateSeesTheNewValueAndCanRefuseIt) {
  FieldEvents events;
  TField* name = f("Name");
  name->SetOnValidate(TFieldNotifyEvent(&events, &FieldEvents::Validate));
  name->SetOnChange(TFieldNotifyEvent(&events, &FieldEvents::Change));
  name->SetAsString("new");
  EXPECT_EQ(events.journal, (std::vector<std::string>{"OnValidate sees new", "OnChange new"}));
  events.journal.clear();
  events.refuse = true;
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { name->SetAsString("bad"); }), "refused by OnValidate");
  EXPECT_EQ(name->AsString(), "new");
  EXPECT_EQ(events.journal, (std::vector<std::string>{"OnValidate sees bad"})) << "no OnChange for a refused value";
}

TEST_F(Fields, OnGetTextAndOnSetTextReplaceTheTextConversions) {
  FieldEvents events;
  TField* name = f("Name");
  name->SetOnGetText(TFieldGetTextEvent(&events, &FieldEvents::GetText));
  name->SetOnSetText(TFieldSetTextEvent(&events, &FieldEvents::SetText));
  EXPECT_EQ(name->Text(), "edit:abc");
  EXPECT_EQ(name->DisplayText(), "show:abc");
  name->SetText("x");
  EXPECT_EQ(name->AsString(), "[x]");
  name->SetAsString("y");
  EXPECT_EQ(name->AsString(), "y") << "AsString does not go through OnSetText";
}

TEST_F(Fields, ReadOnlyFieldsRefuseValues) {
  f("Qty")->SetReadOnly(true);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { f("Qty")->SetAsInteger(1); }), "Field 'Qty' cannot be modified");
  EXPECT_FALSE(f("Qty")->CanModify());
  EXPECT_TRUE(f("Small")->CanModify());
  EXPECT_EQ(f("Qty")->AsInteger(), 42);
}

TEST_F(Fields, IsValidCharFollowsTheFieldKind) {
  struct Case {
    const char* field;
    char c;
    bool valid;
  };
  const Case cases[] = {{"Qty", '5', true},   {"Qty", '-', true},   {"Qty", '.', false}, {"Qty", 'a', false},
                        {"Price", '.', true}, {"Price", 'e', true}, {"Price", 'x', false}, {"Money", '.', true},
                        {"Money", 'e', false}, {"Name", 'x', true}, {"Name", '.', true},  {"When", '/', true}};
  for (const Case& c : cases) EXPECT_EQ(f(c.field)->IsValidChar(c.c), c.valid) << c.field << " '" << c.c << "'";
}

TEST_F(Fields, AttributesHaveTheClassDefaults) {
  EXPECT_EQ(f("Qty")->DisplayLabel(), "Qty");
  f("Qty")->SetDisplayLabel("Quantidade");
  EXPECT_EQ(f("Qty")->DisplayName(), "Quantidade");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { f("Qty")->AsBoolean(); }),
            "Cannot access field 'Quantidade' as type Boolean");
  struct Case {
    const char* field;
    Integer width;
    TAlignment alignment;
  };
  const Case cases[] = {{"Name", 8, taLeftJustify},  {"Qty", 11, taRightJustify}, {"Small", 6, taRightJustify},
                        {"Big", 15, taRightJustify}, {"Flag", 5, taLeftJustify},  {"When", 18, taLeftJustify}};
  for (const Case& c : cases) {
    EXPECT_EQ(f(c.field)->DisplayWidth(), c.width) << c.field;
    EXPECT_EQ(f(c.field)->Alignment(), c.alignment) << c.field;
  }
  f("Name")->SetDisplayWidth(30);
  EXPECT_EQ(f("Name")->DisplayWidth(), 30);
  EXPECT_EQ(f("Name")->Size(), 8);
  EXPECT_EQ(f("Wide")->Size(), 10);
  EXPECT_EQ(f("Qty")->FieldNo(), 1);
  EXPECT_EQ(f("Raw")->FieldNo(), 15);
  EXPECT_EQ(f("Name")->DataSet(), ds.get());
  EXPECT_EQ(f("Name")->FieldKind(), fkData);
}

TEST_F(Fields, AssignCopiesTheValueOfAnotherField) {
  f("Name")->Assign(f("Qty"));
  EXPECT_EQ(f("Name")->AsString(), "42");
  f("Price")->Assign(f("Money"));
  EXPECT_EQ(f("Price")->AsFloat(), 1234.5);
}

TEST(FieldClasses, EveryFieldTypeHasItsClass) {
  struct Case {
    TFieldType type;
    const char* cls;  // "" for none
    const char* name;
  };
  const Case cases[] = {
      {ftUnknown, "", "Unknown"},
      {ftString, "TStringField", "String"},
      {ftSmallint, "TSmallintField", "SmallInt"},
      {ftInteger, "TIntegerField", "Integer"},
      {ftWord, "TWordField", "Word"},
      {ftBoolean, "TBooleanField", "Boolean"},
      {ftFloat, "TFloatField", "Float"},
      {ftCurrency, "TCurrencyField", "Currency"},
      {ftBCD, "TBCDField", "BCD"},
      {ftDate, "TDateField", "Date"},
      {ftTime, "TTimeField", "Time"},
      {ftDateTime, "TDateTimeField", "DateTime"},
      {ftBytes, "TBytesField", "Bytes"},
      {ftVarBytes, "TVarBytesField", "VarBytes"},
      {ftAutoInc, "TAutoIncField", "AutoInc"},
      {ftBlob, "TBlobField", "Blob"},
      {ftMemo, "TMemoField", "Memo"},
      {ftGraphic, "TGraphicField", "Graphic"},
      {ftFmtMemo, "TMemoField", "FmtMemo"},
      {ftParadoxOle, "TBlobField", "ParadoxOle"},
      {ftDBaseOle, "TBlobField", "DBaseOle"},
      {ftTypedBinary, "TBlobField", "TypedBinary"},
      {ftCursor, "", "Cursor"},
      {ftFixedChar, "TStringField", "FixedChar"},
      {ftWideString, "TWideStringField", "WideString"},
      {ftLargeint, "TLargeintField", "Largeint"},
      {ftADT, "TADTField", "ADT"},
      {ftArray, "TArrayField", "Array"},
      {ftReference, "TReferenceField", "Reference"},
      {ftDataSet, "TDataSetField", "DataSet"},
      {ftOraBlob, "TBlobField", "OraBlob"},
      {ftOraClob, "TMemoField", "OraClob"},
      {ftVariant, "TVariantField", "Variant"},
      {ftInterface, "TInterfaceField", "Interface"},
      {ftIDispatch, "TIDispatchField", "IDispatch"},
      {ftGuid, "TGuidField", "Guid"},
      {ftTimeStamp, "TSQLTimeStampField", "TimeStamp"},
      {ftFMTBcd, "TFMTBCDField", "FMTBcd"},
  };
  EXPECT_EQ(std::size(cases), static_cast<size_t>(ftFMTBcd) + 1) << "one row per field type";
  for (const Case& c : cases) {
    TClass cls = DefaultFieldClass(c.type);
    EXPECT_EQ(cls ? cls->ClassName() : std::string(), c.cls) << c.name;
    EXPECT_EQ(FieldTypeName(c.type), c.name);
    EXPECT_TRUE(SameText(GetEnumName(TypeInfo<TFieldType>(), c.type), std::string("ft") + c.name)) << c.name;
  }
}

TEST(FieldClasses, FieldClassesAreRegisteredAndBuiltByName) {
  for (const char* name : {"TStringField", "TWideStringField", "TIntegerField", "TFloatField", "TBCDField",
                           "TFMTBCDField", "TBooleanField", "TDateTimeField", "TSQLTimeStampField", "TMemoField",
                           "TDataSource"}) {
    TClass cls = GetClass(name);
    ASSERT_NE(cls, nullptr) << name << " is not registered";
    TComponent* c = CreateComponent(cls, nullptr);
    EXPECT_EQ(c->ClassName(), name);
    c->Free();
  }
}

TEST(FieldClasses, PublishedPropertiesAreReadAndWrittenByName) {
  TFloatField price(nullptr);
  EXPECT_EQ(GetOrdProp(&price, "currency"), 0);
  SetPropValue(&price, "currency", Variant(true));
  EXPECT_TRUE(price.currency());
  SetStrProp(&price, "DisplayFormat", "0.0");
  EXPECT_EQ(price.DisplayFormat(), "0.0");
  EXPECT_EQ(GetOrdProp(&price, "Precision"), 15);
  EXPECT_EQ(GetEnumProp(&price, "Alignment"), "taRightJustify");
  TStringField name(nullptr);
  EXPECT_EQ(GetOrdProp(&name, "Size"), 20);
  EXPECT_FALSE(IsPublishedProp(&name, "DisplayFormat"));
  TIntegerField qty(nullptr);
  SetOrdProp(&qty, "MaxValue", 9);
  EXPECT_EQ(qty.MaxValue(), 9);
  EXPECT_FALSE(IsStoredProp(&qty, "DisplayLabel"));
  qty.SetFieldName("Qty");
  qty.SetDisplayLabel("Quantity");
  EXPECT_TRUE(IsStoredProp(&qty, "DisplayLabel"));
  TBCDField money(nullptr);
  EXPECT_EQ(GetOrdProp(&money, "Size"), 4);
  EXPECT_TRUE(IsPublishedProp(&money, "currency"));
}
