#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxDBData.h"

namespace {

template <class T> using Owned = TObjectPtr<T>;

// A data set of one empty row over the fields a test adds before opening it.
class FieldsDataSet : public TDataSet {
  RTL_DECLARE_CLASS(FieldsDataSet, TDataSet)
public:
  explicit FieldsDataSet(TComponent* AOwner = nullptr) : TDataSet(AOwner) {}
  ~FieldsDataSet() override {
    Destroying();
    Close();
  }
  bool Modifiable = true;

  template <class F> F* Add(const std::string& AName, TFieldType AType, Integer ASize = 0) {
    F* field = New<F>(this);
    field->SetFieldName(AName);
    if (ASize) field->SetSize(ASize);
    field->SetDataSet(this);
    columns.push_back({AName, AType, ASize});
    return field;
  }
  // A lookup field over the key field AKey, looking up ALookup's "ID" for its "Name".
  TField* AddLookup(const std::string& AName, const std::string& AKey, TDataSet* ALookup) {
    auto* field = New<TStringField>(this);
    field->SetFieldName(AName);
    field->SetFieldKind(fkLookup);
    field->SetKeyFields(AKey);
    field->SetLookupDataSet(ALookup);
    field->SetLookupKeyFields("ID");
    field->SetLookupResultField("Name");
    field->SetDataSet(this);
    return field;
  }

protected:
  void InternalInitFieldDefs() override {
    FieldDefs()->Clear();
    for (const Column& c : columns) FieldDefs()->Add(c.name, c.type, c.size);
  }
  void InternalOpen() override {
    InternalInitFieldDefs();
    Rows().Append(std::vector<Variant>(columns.size(), Null()));
  }
  bool GetCanModify() const override { return Modifiable; }

private:
  struct Column {
    std::string name;
    TFieldType type;
    Integer size;
  };
  std::vector<Column> columns;
};
RTL_IMPLEMENT_CLASS(FieldsDataSet)

Owned<TcxCustomDBEditDefaultValuesProvider> newProvider(TField* AField = nullptr) {
  Owned<TcxCustomDBEditDefaultValuesProvider> p(New<TcxCustomDBEditDefaultValuesProvider>(nullptr));
  p->SetField(AField);
  return p;
}

class GetTextHandler : public TObject {
public:
  void GetText(TField*, std::string& Text, bool) { Text = "*"; }
};

class SetTextHandler : public TObject {
public:
  void SetText(TField* Sender, const std::string& Text) { Sender->SetAsString(Text); }
};

// Every answer of a provider as one line, so a table can compare the fallbacks whole.
std::string answers(TcxCustomDBEditDefaultValuesProvider* P) {
  std::string display, edit, mask;
  P->DefaultDisplayFormat(display);
  P->DefaultEditFormat(edit);
  P->DefaultEditMask(mask);
  return "align=" + std::to_string(P->DefaultAlignment()) + " blob=" + std::to_string(P->DefaultBlobKind()) +
         " canModify=" + std::to_string(P->DefaultCanModify()) + " display=" + display + " edit=" + edit +
         " mask=" + mask + " float=" + std::to_string(P->DefaultIsFloatValue()) +
         " maxLength=" + std::to_string(P->DefaultMaxLength()) +
         " max=" + std::to_string(static_cast<double>(P->DefaultMaxValue())) +
         " min=" + std::to_string(static_cast<double>(P->DefaultMinValue())) +
         " readOnly=" + std::to_string(P->DefaultReadOnly()) + " required=" + std::to_string(P->DefaultRequired()) +
         " blobValue=" + std::to_string(P->IsBlobValue()) + " format=" + std::to_string(P->HasDisplayFormat(true)) +
         " getText=" + std::to_string(P->HasGetTextHandler()) + " char=" + std::to_string(P->IsValidChar('5'));
}

const std::string fallbacks =
    "align=0 blob=0 canModify=0 display= edit= mask= float=0 maxLength=0 max=0.000000 min=0.000000 readOnly=1 "
    "required=0 blobValue=0 format=0 getText=0 char=0";

}  // namespace

TEST(cxDBEditDefaultValuesProvider, WithoutAnOpenDataSetEveryAnswerIsItsFallback) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* amount = ds->Add<TFloatField>("Amount", ftFloat);
  amount->SetPrecision(7);
  amount->SetDisplayFormat("0.00");
  amount->SetMaxValue(10);
  amount->SetRequired(true);
  Owned<TFloatField> loose(New<TFloatField>(nullptr));
  loose->SetFieldName("Loose");
  loose->SetPrecision(9);

  const struct {
    const char* Name;
    TField* Field;
    Integer Precision;
  } cases[] = {{"no field", nullptr, 15}, {"a closed data set", amount, 7}, {"a field without data set", loose.get(), 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto p = newProvider(c.Field);
    EXPECT_TRUE(p->IsDataSetProvider());
    EXPECT_FALSE(p->IsDataAvailable());
    EXPECT_EQ(answers(p.get()), fallbacks);
    EXPECT_EQ(p->DefaultPrecision(), c.Precision) << "answered without data too";
  }

  // Opening the data set turns the answers into the field's.
  auto p = newProvider(amount);
  ds->Open();
  EXPECT_TRUE(p->IsDataAvailable());
  EXPECT_FALSE(p->DefaultReadOnly());
  EXPECT_TRUE(p->DefaultRequired());
  EXPECT_EQ(p->DefaultAlignment(), taRightJustify);
  ds->Close();
  EXPECT_EQ(answers(p.get()), fallbacks);
}

TEST(cxDBEditDefaultValuesProvider, AnswersFromTheFieldOfAnOpenDataSet) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* name = ds->Add<TStringField>("Name", ftString, 40);
  auto* wide = ds->Add<TWideStringField>("Wide", ftWideString, 12);
  auto* count = ds->Add<TIntegerField>("Count", ftInteger);
  auto* amount = ds->Add<TFloatField>("Amount", ftFloat);
  auto* money = ds->Add<TCurrencyField>("Money", ftCurrency);
  auto* bcd = ds->Add<TBCDField>("Exact", ftBCD);
  auto* memo = ds->Add<TMemoField>("Notes", ftMemo);
  auto* picture = ds->Add<TGraphicField>("Picture", ftGraphic);
  auto* when = ds->Add<TDateTimeField>("When", ftDateTime);
  auto* flag = ds->Add<TBooleanField>("Flag", ftBoolean);
  name->SetEditMask("!>LL;1;_");
  name->SetAlignment(taCenter);
  count->SetMinValue(-3);
  count->SetMaxValue(99);
  count->SetDisplayFormat("#,0");
  count->SetEditFormat("0");
  amount->SetPrecision(4);
  amount->SetMinValue(-1.23456);
  amount->SetMaxValue(98765.4321);
  bcd->SetMaxValue(Currency::FromDouble(12.5));
  bcd->SetMinValue(Currency::FromDouble(-2.25));
  ds->Open();

  auto p = newProvider();
  const struct {
    const char* Name;
    TField* Field;
    Integer MaxLength;
    bool IsFloat;
    Integer BlobKind;
    bool Blob;
    long double Min, Max;
  } cases[] = {
      {"string", name, 40, false, 0, false, 0, 0},
      {"wide string", wide, 12, false, 0, false, 0, 0},
      {"integer", count, 0, false, 0, false, -3, 99},
      // The float limits are rounded to the field's four significant digits.
      {"float", amount, 0, true, 0, false, -1.235L, 98770},
      {"currency", money, 0, true, 0, false, 0, 0},
      {"BCD", bcd, 0, true, 0, false, -2.25L, 12.5L},
      {"memo", memo, 0, false, 3, true, 0, 0},
      {"graphic", picture, 0, false, 2, true, 0, 0},
      {"date-time", when, 0, false, 0, false, 0, 0},
      {"boolean", flag, 0, false, 0, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetField(c.Field);
    EXPECT_EQ(p->DefaultMaxLength(), c.MaxLength);
    EXPECT_EQ(p->DefaultIsFloatValue(), c.IsFloat);
    EXPECT_EQ(p->DefaultBlobKind(), c.BlobKind);
    EXPECT_EQ(p->IsBlobValue(), c.Blob);
    EXPECT_NEAR(static_cast<double>(p->DefaultMinValue()), static_cast<double>(c.Min), 1e-9);
    EXPECT_NEAR(static_cast<double>(p->DefaultMaxValue()), static_cast<double>(c.Max), 1e-9);
    EXPECT_EQ(p->DefaultAlignment(), c.Field->Alignment());
  }

  std::string text;
  p->SetField(name);
  p->DefaultEditMask(text);
  EXPECT_EQ(text, "!>LL;1;_");
  EXPECT_EQ(p->DefaultAlignment(), taCenter);
  p->DefaultDisplayFormat(text);
  EXPECT_EQ(text, "") << "a string field has no number format";
  p->SetField(count);
  p->DefaultDisplayFormat(text);
  EXPECT_EQ(text, "#,0");
  p->DefaultEditFormat(text);
  EXPECT_EQ(text, "0");
  EXPECT_EQ(p->DefaultPrecision(), 15);
  p->SetField(amount);
  EXPECT_EQ(p->DefaultPrecision(), 4);
}

TEST(cxDBEditDefaultValuesProvider, ValidCharactersFollowTheFieldUnlessAHandlerMakesItsText) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* count = ds->Add<TIntegerField>("Count", ftInteger);
  ds->Open();
  auto p = newProvider(count);
  EXPECT_TRUE(p->IsValidChar('7'));
  EXPECT_FALSE(p->IsValidChar('x'));
  EXPECT_FALSE(p->HasGetTextHandler());
  EXPECT_FALSE(p->HasDisplayFormat(true));
  GetTextHandler handler;
  count->SetOnGetText(TFieldGetTextEvent(&handler, &GetTextHandler::GetText));
  EXPECT_TRUE(p->IsValidChar('x'));
  EXPECT_TRUE(p->HasGetTextHandler());
  EXPECT_TRUE(p->HasDisplayFormat(false)) << "the handler's text counts as formatted";
}

TEST(cxDBEditDefaultValuesProvider, DisplayFormatByFieldKind) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* plainFloat = ds->Add<TFloatField>("PlainFloat", ftFloat);
  auto* moneyFloat = ds->Add<TFloatField>("MoneyFloat", ftFloat);
  auto* formattedFloat = ds->Add<TFloatField>("FormattedFloat", ftFloat);
  auto* moneyBcd = ds->Add<TBCDField>("MoneyBcd", ftBCD);
  auto* count = ds->Add<TIntegerField>("Count", ftInteger);
  auto* formattedCount = ds->Add<TIntegerField>("FormattedCount", ftInteger);
  auto* when = ds->Add<TDateTimeField>("When", ftDateTime);
  auto* formattedWhen = ds->Add<TDateTimeField>("FormattedWhen", ftDateTime);
  auto* name = ds->Add<TStringField>("Name", ftString, 10);
  moneyFloat->Setcurrency(true);
  formattedFloat->SetDisplayFormat("0.0");
  moneyBcd->Setcurrency(true);
  formattedCount->SetDisplayFormat("000");
  formattedWhen->SetDisplayFormat("dd/mm");
  ds->Open();

  const struct {
    const char* Name;
    TField* Field;
    bool CountingCurrency;
    bool NotCountingCurrency;
  } cases[] = {{"plain float", plainFloat, false, false},
               {"currency float", moneyFloat, true, false},
               {"float with a format", formattedFloat, true, true},
               {"currency BCD", moneyBcd, true, false},
               {"integer", count, false, false},
               {"integer with a format", formattedCount, true, true},
               {"date-time", when, false, false},
               {"date-time with a format", formattedWhen, true, true},
               {"string", name, false, false}};
  auto p = newProvider();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetField(c.Field);
    EXPECT_EQ(p->HasDisplayFormat(true), c.CountingCurrency);
    EXPECT_EQ(p->HasDisplayFormat(false), c.NotCountingCurrency);
  }
}

TEST(cxDBEditDefaultValuesProvider, ReadOnlyAndCanModify) {
  Owned<FieldsDataSet> people(New<FieldsDataSet>(nullptr));
  people->Add<TIntegerField>("ID", ftInteger);
  people->Add<TStringField>("Name", ftString, 20);
  people->Open();

  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* name = ds->Add<TStringField>("Name", ftString, 20);
  auto* locked = ds->Add<TStringField>("Locked", ftString, 20);
  auto* personId = ds->Add<TIntegerField>("PersonID", ftInteger);
  TField* person = ds->AddLookup("Person", "PersonID", people.get());
  locked->SetReadOnly(true);
  ds->Open();

  auto p = newProvider();
  const struct {
    const char* Name;
    TField* Field;
    bool ReadOnly;
    bool CanModify;
  } cases[] = {{"plain field", name, false, true},
               {"read-only field", locked, true, false},
               {"lookup field over a modifiable key", person, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetField(c.Field);
    EXPECT_EQ(p->DefaultReadOnly(), c.ReadOnly);
    EXPECT_EQ(p->DefaultCanModify(), c.CanModify);
  }

  // The lookup field is modifiable only while its key field is.
  personId->SetReadOnly(true);
  p->SetField(person);
  EXPECT_FALSE(p->DefaultCanModify());
  personId->SetReadOnly(false);
  // A data set that refuses changes makes no field modifiable.
  ds->Modifiable = false;
  p->SetField(name);
  EXPECT_FALSE(p->DefaultReadOnly());
  EXPECT_FALSE(p->DefaultCanModify());
}

TEST(cxDBEditDefaultValuesProvider, AFreedFieldDropsTheLink) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* first = ds->Add<TStringField>("First", ftString, 5);
  auto* second = ds->Add<TStringField>("Second", ftString, 7);
  ds->Open();
  auto p = newProvider(first);
  p->SetField(second);
  ds->Close();
  first->Free();  // no longer linked: nothing to hear
  EXPECT_EQ(p->Field(), second);
  second->Free();
  EXPECT_EQ(p->Field(), nullptr);
  EXPECT_EQ(answers(p.get()), fallbacks);

  // A provider freed before its field leaves nothing behind in the field.
  Owned<TStringField> loose(New<TStringField>(nullptr));
  newProvider(loose.get()).reset();
  loose.reset();
}

TEST(cxDBEditDefaultValuesProvider, FreeingTheProviderDetachesItFromProperties) {
  Owned<TcxCustomEdit> edit(New<TcxCustomEdit>(nullptr));
  Owned<TcxCustomEditProperties> properties(New<TcxCustomEditProperties>(edit.get()));
  auto p = newProvider();
  properties->SetDefaultValuesProvider(p.get());
  EXPECT_TRUE(properties->GetReadOnly()) << "no field: read-only";
  p.reset();
  EXPECT_EQ(properties->DefaultValuesProvider(), nullptr);
  EXPECT_FALSE(properties->GetReadOnly());
}

// --- Field utilities.

TEST(cxDBFieldUtilities, FieldNameListsSplitOnSemicolonsAndDropBlanks) {
  struct Case {
    std::string names;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {}},
      {"OrderID", {"OrderID"}},
      {"OrderID;CustomerID", {"OrderID", "CustomerID"}},
      {" OrderID ;  CustomerID ", {"OrderID", "CustomerID"}},
      {"A;B;", {"A", "B"}},
      {"Ship City;Ship Name", {"Ship City", "Ship Name"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.Add("left over");
    cxSplitFieldNames(c.names, &list);
    std::vector<std::string> got;
    for (Integer i = 0; i < list.Count(); ++i) got.push_back(list.Strings(i));
    EXPECT_EQ(got, c.expected) << "'" << c.names << "'";
    EXPECT_EQ(cxGetFieldNamesCount(c.names), static_cast<Integer>(c.expected.size())) << "'" << c.names << "'";
    EXPECT_EQ(cxIsMultipleFieldNames(c.names), c.expected.size() > 1) << "'" << c.names << "'";
  }
  EXPECT_TRUE(cxSameFieldName("ShipCity", "SHIPCITY"));
  EXPECT_TRUE(cxSameFieldName("Região", "REGIÃO")) << "accented letters fold too";
  EXPECT_FALSE(cxSameFieldName("ShipCity", "ShipCity2"));
}

TEST(cxDBFieldUtilities, FilterNamesBracketWhatIsNoIdentifierUnlessTheOriginIsUsed) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* plain = ds->Add<TStringField>("ShipCity", ftString, 10);
  auto* spaced = ds->Add<TStringField>("Ship City", ftString, 10);
  auto* odd = ds->Add<TStringField>("1st]", ftString, 10);
  std::string name = "x";
  cxGetFieldFilterName(nullptr, false, name);
  EXPECT_EQ(name, "");
  cxGetFieldFilterName(plain, false, name);
  EXPECT_EQ(name, "ShipCity");
  cxGetFieldFilterName(spaced, false, name);
  EXPECT_EQ(name, "[Ship City]");
  cxGetFieldFilterName(odd, false, name);
  EXPECT_EQ(name, "[1st]]");
  spaced->SetOrigin("Orders.Ship City");
  cxGetFieldFilterName(spaced, false, name);
  EXPECT_EQ(name, "Orders.Ship City") << "the origin is used as it is";
  cxGetFieldFilterName(spaced, true, name);
  EXPECT_EQ(name, "[Ship City]");
}

TEST(cxDBFieldUtilities, ModifyingAndDisplayTextDependOnTheFieldKind) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* memo = ds->Add<TMemoField>("Notes", ftMemo);
  auto* text = ds->Add<TStringField>("Name", ftString, 10);
  auto* money = ds->Add<TFloatField>("Price", ftFloat);
  auto* weight = ds->Add<TFloatField>("Weight", ftFloat);
  auto* flag = ds->Add<TBooleanField>("Done", ftBoolean);
  auto* born = ds->Add<TDateTimeField>("Born", ftDateTime);
  auto* count = ds->Add<TIntegerField>("Count", ftInteger);
  ds->Open();
  using S = TcxDataEditValueSource;
  EXPECT_TRUE(cxFieldCanModify(memo, S::Value));
  EXPECT_FALSE(cxFieldCanModify(memo, S::Text)) << "a memo is not written through its text";
  GetTextHandler handler;
  SetTextHandler setter;
  memo->SetOnSetText(TFieldSetTextEvent(&setter, &SetTextHandler::SetText));
  EXPECT_TRUE(cxFieldCanModify(memo, S::Text)) << "unless it has a set-text handler";
  EXPECT_TRUE(cxFieldCanModify(text, S::Key));
  text->SetReadOnly(true);
  EXPECT_FALSE(cxFieldCanModify(text, S::Value));

  money->Setcurrency(true);
  struct Case {
    TField* field;
    bool editorNeedsText;
    bool expected;
  } cases[] = {
      {money, false, true},   {weight, false, false}, {flag, true, true},   {flag, false, false},
      {memo, true, true},     {born, false, false},   {count, false, false}, {text, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxFieldNeedsDisplayText(c.field, c.editorNeedsText), c.expected)
        << c.field->FieldName() << " editor needs text " << c.editorNeedsText;
  born->SetDisplayFormat("dd/mm/yyyy");
  count->SetDisplayFormat("0.00");
  text->SetOnGetText(TFieldGetTextEvent(&handler, &GetTextHandler::GetText));
  EXPECT_TRUE(cxFieldNeedsDisplayText(born, false));
  EXPECT_TRUE(cxFieldNeedsDisplayText(count, false));
  EXPECT_TRUE(cxFieldNeedsDisplayText(text, false));
}

TEST(cxDBFieldUtilities, ValueTypesFollowTheFieldTypes) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  struct Case {
    TField* field;
    TcxValueTypeClass expected;
  } cases[] = {
      {ds->Add<TStringField>("S", ftString, 5), TcxStringValueType::Instance()},
      {ds->Add<TWideStringField>("W", ftWideString, 5), TcxWideStringValueType::Instance()},
      {ds->Add<TSmallintField>("I2", ftSmallint), TcxSmallintValueType::Instance()},
      {ds->Add<TIntegerField>("I4", ftInteger), TcxIntegerValueType::Instance()},
      {ds->Add<TAutoIncField>("Auto", ftAutoInc), TcxIntegerValueType::Instance()},
      {ds->Add<TWordField>("Wd", ftWord), TcxWordValueType::Instance()},
      {ds->Add<TBooleanField>("B", ftBoolean), TcxBooleanValueType::Instance()},
      {ds->Add<TFloatField>("F", ftFloat), TcxFloatValueType::Instance()},
      {ds->Add<TBCDField>("Bcd", ftBCD), TcxCurrencyValueType::Instance()},
      {ds->Add<TDateTimeField>("D", ftDateTime), TcxDateTimeValueType::Instance()},
      {ds->Add<TLargeintField>("I8", ftLargeint), TcxLargeIntValueType::Instance()},
      {ds->Add<TMemoField>("M", ftMemo), TcxVariantValueType::Instance()},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxGetValueTypeClassByField(c.field), c.expected) << c.field->FieldName();
  EXPECT_EQ(cxGetValueTypeClassByField(nullptr), TcxStringValueType::Instance());
}

TEST(cxDBFieldUtilities, FieldValuesAreOneValueOrAnArrayInListOrder) {
  Owned<FieldsDataSet> ds(New<FieldsDataSet>(nullptr));
  auto* id = ds->Add<TIntegerField>("ID", ftInteger);
  auto* name = ds->Add<TStringField>("Name", ftString, 10);
  ds->Open();
  ds->Edit();
  Variant v;
  cxGetFieldValues(ds.get(), {}, v);
  EXPECT_TRUE(v.IsNull());
  cxSetFieldValues(ds.get(), {id}, Variant(7));
  cxGetFieldValues(ds.get(), {id}, v);
  EXPECT_EQ(v.AsInteger(), 7);
  Variant pair = VarArrayCreate({0, 1}, varVariant);
  pair[0] = Variant(std::string("Rui"));
  pair[1] = Variant(9);
  cxSetFieldValues(ds.get(), {name, id}, pair);
  EXPECT_EQ(name->AsString(), "Rui");
  EXPECT_EQ(id->AsInteger(), 9);
  cxGetFieldValues(ds.get(), {id, name}, v);
  ASSERT_TRUE(VarIsArray(v));
  EXPECT_EQ(v[0].AsInteger(), 9);
  EXPECT_EQ(v[1].AsString(), "Rui");
}

// --- Adapter lists.

namespace {
class TDerivedDataSet : public FieldsDataSet {
  RTL_DECLARE_CLASS(TDerivedDataSet, FieldsDataSet)
public:
  using FieldsDataSet::FieldsDataSet;
};
RTL_IMPLEMENT_CLASS(TDerivedDataSet)
class TFurtherDataSet : public TDerivedDataSet {
  RTL_DECLARE_CLASS(TFurtherDataSet, TDerivedDataSet)
public:
  using TDerivedDataSet::TDerivedDataSet;
};
RTL_IMPLEMENT_CLASS(TFurtherDataSet)
class TOtherAdapter : public TcxDBAdapterItem {
  RTL_DECLARE_CLASS(TOtherAdapter, TcxDBAdapterItem)
public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
};
RTL_IMPLEMENT_CLASS(TOtherAdapter)

std::string adapterAt(TcxDBAdapterList& AList, TClass AClass) {
  Integer index = -2;
  bool found = AList.FindAdapter(AClass, index);
  return (found ? "found " : "missing ") + std::to_string(index);
}
}  // namespace

TEST(cxDBAdapterList, TheMostSpecificRegisteredClassWins) {
  TcxDBAdapterList list;
  EXPECT_EQ(adapterAt(list, TDataSet::StaticClass()), "missing -1");
  // Registered out of order: a descendant first; the ancestor still goes before it.
  list.RegisterAdapter(TDerivedDataSet::StaticClass(), TcxDBAdapterItem::StaticClass());
  EXPECT_EQ(adapterAt(list, TDataSet::StaticClass()), "missing 0") << "the first descendant's place";
  list.RegisterAdapter(TDataSet::StaticClass(), TcxDBAdapterItem::StaticClass());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAdapter(0)->DataSetClass(), TDataSet::StaticClass());
  EXPECT_EQ(list.GetAdapter(1)->DataSetClass(), TDerivedDataSet::StaticClass());
  EXPECT_EQ(adapterAt(list, TFurtherDataSet::StaticClass()), "found 1");
  EXPECT_EQ(adapterAt(list, FieldsDataSet::StaticClass()), "found 0");
  EXPECT_EQ(adapterAt(list, TComponent::StaticClass()), "missing 0") << "TDataSet descends from it";
  // The same class again: the newer adapter goes after the older one and answers.
  list.RegisterAdapter(TDerivedDataSet::StaticClass(), TOtherAdapter::StaticClass());
  EXPECT_EQ(adapterAt(list, TFurtherDataSet::StaticClass()), "found 2");
  EXPECT_EQ(list.GetAdapter(2)->ClassType(), TOtherAdapter::StaticClass());
  // Unregistering matches the data-set class and the adapter class exactly.
  list.UnregisterAdapter(TDerivedDataSet::StaticClass(), TcxDBAdapterItem::StaticClass());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAdapter(1)->ClassType(), TOtherAdapter::StaticClass());
  list.UnregisterAdapter(TFurtherDataSet::StaticClass(), TOtherAdapter::StaticClass());
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.GetAdapter(2), EListError);
}
