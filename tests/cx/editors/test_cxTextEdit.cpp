// The text editor's settings: shown text through echo, case and number formats, the numeric
// bounds and their validation, the check of typed text against the lookup items, copying,
// change notices and what is stored.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/rtl/SysUtils.h"

using namespace guitest;

namespace {

template <class T> using Owned = TObjectPtr<T>;

Owned<TcxTextEditProperties> newProperties() { return Owned<TcxTextEditProperties>(New<TcxTextEditProperties>(nullptr)); }

// Settings of a numeric editor (as the spin editor's), for the ranged paths.
class RangedProperties : public TcxCustomTextEditProperties {
public:
  explicit RangedProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}
  bool IsValueRanged() override { return true; }
};

// Settings whose input style a test chooses, as the combo editor maps its list styles.
class StyledProperties : public TcxCustomTextEditProperties {
public:
  explicit StyledProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}
  TcxTextInputStyle Style = tisFreeText;
  TcxTextInputStyle GetInputStyle() override { return Style; }
};

// An editor that reads its display text as a number, as numeric editors do.
class NumberEdit : public TcxCustomEdit {
public:
  explicit NumberEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) override {
    Extended v;
    if (TryStrToFloat(VarToStr(ADisplayValue), v))
      AEditValue = Variant(static_cast<double>(v));
    else
      AEditValue = Null();
  }
};

// A bound field's defaults, set by the test.
class FieldProvider : public TcxCustomEditDefaultValuesProvider {
public:
  FieldProvider() : TcxCustomEditDefaultValuesProvider(nullptr) {}
  std::string Format;
  bool HasFormat = false;
  bool GetTextHandler = false;
  Integer Precision = 15;
  Integer MaxLength = 0;
  long double MinValue = 0, MaxValue = 0;
  void DefaultDisplayFormat(std::string& AFormat) override { AFormat = Format; }
  bool HasDisplayFormat(bool) override { return HasFormat; }
  bool HasGetTextHandler() override { return GetTextHandler; }
  Integer DefaultPrecision() override { return Precision; }
  Integer DefaultMaxLength() override { return MaxLength; }
  long double DefaultMaxValue() override { return MaxValue; }
  long double DefaultMinValue() override { return MinValue; }
};

class Notices : public TObject {
public:
  int Count = 0;
  std::vector<bool> FormatChanging;
  TcxCustomTextEditProperties* Watched = nullptr;
  void Changed(TObject*) {
    ++Count;
    if (Watched) FormatChanging.push_back(Watched->IsFormatChanging());
  }
  void Listen(TcxCustomTextEditProperties* P) {
    Watched = P;
    P->SetOnPropertiesChanged(TNotifyEvent(this, &Notices::Changed));
  }
};

// A repository item of text-editor settings, to store and load them.
class TextItem : public TcxEditRepositoryItem {
  RTL_DECLARE_CLASS(TextItem, TcxEditRepositoryItem)
public:
  explicit TextItem(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {}
  TClass GetEditPropertiesClass() override { return TcxTextEditProperties::StaticClass(); }
  TcxTextEditProperties* Text() const { return static_cast<TcxTextEditProperties*>(Properties()); }
};

std::string storedText(TComponent* C) {
  TMemoryStream binary;
  binary.WriteComponent(C);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&binary, &text);
  return std::string(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
}

void reload(TComponent* From, TComponent* Into) {
  TMemoryStream binary;
  binary.WriteComponent(From);
  binary.SetPosition(0);
  binary.ReadComponent(Into);
}

}  // namespace

RTL_BEGIN_CLASS(TextItem)
RTL_END_CLASS

TEST(cxTextEditProperties, ShownTextAppliesEchoAndCaseToAccentedLetters) {
  struct Row {
    TcxEditEchoMode Echo;
    TEditCharCase Case;
    std::string Value, Shown;
  } rows[] = {
      {eemNormal, ecNormal, "Ação Única", "Ação Única"},
      {eemNormal, ecUpperCase, "ação única çé", "AÇÃO ÚNICA ÇÉ"},
      {eemNormal, ecLowerCase, "AÇÃO ÚNICA ÇÉ", "ação única çé"},
      // Password echo shows one star per character and never converts the case.
      {eemPassword, ecUpperCase, "abc", "***"},
      {eemPassword, ecNormal, "çã", "**"},
      {eemPassword, ecNormal, "", ""},
  };
  for (const Row& r : rows) {
    auto p = newProperties();
    p->SetEchoMode(r.Echo);
    p->SetCharCase(r.Case);
    std::string shown = "stale";
    p->GetDisplayText(Variant(r.Value), shown);
    EXPECT_EQ(shown, r.Shown) << "value \"" << r.Value << "\" echo " << r.Echo << " case " << r.Case;
  }
  // Non-text values show their plain text; Null shows nothing.
  auto p = newProperties();
  std::string shown;
  p->GetDisplayText(Variant(42), shown);
  EXPECT_EQ(shown, "42");
  p->GetDisplayText(Null(), shown);
  EXPECT_EQ(shown, "");
}

TEST(cxTextEditProperties, RangedValuesShowThroughDisplayAndEditFormats) {
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  Variant shown;
  p->ConvertEditToDisplayValue(Variant(2.5), shown, false);
  EXPECT_EQ(VarToStr(shown), "2.5") << "no format: the general format";
  p->SetDisplayFormat("0.00");
  p->ConvertEditToDisplayValue(Variant(2.5), shown, false);
  EXPECT_EQ(VarToStr(shown), "2.50") << "unfocused: the display format";
  p->ConvertEditToDisplayValue(Variant("2.5"), shown, false);
  EXPECT_EQ(VarToStr(shown), "2.50") << "a numeric text is formatted too";
  p->ConvertEditToDisplayValue(Variant(2.5), shown, true);
  EXPECT_EQ(VarToStr(shown), "2.50") << "focused: an assigned format is the edit format";

  Owned<RangedProperties> plain(New<RangedProperties>(nullptr));
  plain->ConvertEditToDisplayValue(Variant(1.0 / 3.0), shown, true);
  EXPECT_EQ(VarToStr(shown), "0.333333333333333") << "focused without format and field: 15 digits";
  for (const Variant& empty : {Null(), Variant(std::string())}) {
    shown = Variant(7);
    plain->ConvertEditToDisplayValue(empty, shown, false);
    EXPECT_EQ(VarToStr(shown), "");
  }
}

TEST(cxTextEditProperties, FocusedNumbersFollowTheBoundField) {
  FieldProvider field;
  field._AddRef();  // held on the stack; the properties' reference must not free it
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  p->SetDefaultValuesProvider(&field);
  Variant shown;

  field.Format = "#,##0.0";
  p->ConvertEditToDisplayValue(Variant(1234.56), shown, true);
  EXPECT_EQ(VarToStr(shown), "1,234.6") << "the field's display format while editing";
  p->ConvertEditToDisplayValue(Variant(1234.56), shown, false);
  EXPECT_EQ(VarToStr(shown), "1,234.6") << "an unassigned DisplayFormat falls back to the field's";

  field.Format.clear();
  field.HasFormat = true;
  field.Precision = 10;
  p->ConvertEditToDisplayValue(Variant(2.5), shown, true);
  EXPECT_EQ(VarToStr(shown), "2.50") << "a currency field: fixed with the currency decimals";

  field.GetTextHandler = true;
  field.Format = "0.000";
  p->ConvertEditToDisplayValue(Variant(2.5), shown, true);
  EXPECT_EQ(VarToStr(shown), "2.5") << "a field with a text handler leaves the value unformatted";

  p->SetDisplayFormat("");
  field.GetTextHandler = false;
  p->ConvertEditToDisplayValue(Variant(2.5), shown, false);
  EXPECT_EQ(VarToStr(shown), "2.5") << "an assigned empty format beats the field's";
  p->SetDefaultValuesProvider(nullptr);
}

TEST(cxTextEditProperties, ARangedEditorRefusesValuesThatAreNoNumbers) {
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  Variant shown;
  try {
    p->ConvertEditToDisplayValue(Variant(true), shown, false);
    ADD_FAILURE() << "a Boolean was converted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Não pode converter para um valor numérico");
  }
  EXPECT_THROW(p->ConvertEditToDisplayValue(Variant("abc"), shown, false), Exception);
  // The shown text of an invalid value never fails: a plain text editor shows it as is.
  auto text = newProperties();
  std::string s;
  text->GetDisplayText(Variant(true), s);
  EXPECT_FALSE(s.empty());
}

TEST(cxTextEditProperties, BoundSettersKeepMinBelowMax) {
  auto p = newProperties();
  p->SetMaxValue(-5);
  EXPECT_EQ(p->GetMaxValue(), -5) << "with MinValue unassigned any MaxValue is stored";
  p->SetMinValue(10);
  EXPECT_EQ(p->GetMinValue(), -5) << "MinValue above the assigned MaxValue takes MaxValue";
  p->SetMaxValue(100);
  p->SetMinValue(10);
  p->SetMaxValue(3);
  EXPECT_EQ(p->GetMaxValue(), 10) << "MaxValue below the assigned MinValue takes MinValue";
  EXPECT_TRUE(p->IsMinValueStored());
  EXPECT_TRUE(p->IsMaxValueStored());
  EXPECT_FALSE(p->IsDisplayFormatStored());

  p->SetMaxLength(-3);
  EXPECT_EQ(p->GetMaxLength(), 0) << "a negative length means none";
  EXPECT_TRUE(p->IsMaxLengthStored());
}

TEST(cxTextEditProperties, ClampingUsesInclusiveBoundsOnlyForANonEmptyRange) {
  auto p = newProperties();
  Variant out;
  p->ClampValueToBounds(Variant(-7), out);
  EXPECT_EQ(static_cast<int>(out), -7) << "MinValue = MaxValue = 0: nothing is clamped";
  p->SetMinValue(1);
  p->SetMaxValue(10);
  struct Row {
    Variant In;
    std::string Out;
  } rows[] = {{Variant(0), "1"}, {Variant(1), "1"}, {Variant(5.5), "5.5"}, {Variant(10), "10"},
              {Variant(11), "10"}, {Variant("99"), "99"}, {Null(), ""}};
  for (const Row& r : rows) {
    p->ClampValueToBounds(r.In, out);
    EXPECT_EQ(VarToStr(out), r.Out) << "in " << VarToStr(r.In);
  }
}

TEST(cxTextEditProperties, ValidationReportsOutOfBoundsOnlyForARangedEditor) {
  Owned<NumberEdit> edit(New<NumberEdit>(nullptr));
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  struct Row {
    std::string Text;
    bool Error;
  } rows[] = {{"5", false}, {"0", false}, {"10", false}, {"-0.5", true}, {"10.01", true}, {"abc", false}, {"", false}};

  // No range (both 0): nothing is checked.
  for (const Row& r : rows) {
    Variant v(r.Text);
    std::string err;
    bool error = false;
    p->ValidateDisplayValue(v, err, error, edit.get());
    EXPECT_FALSE(error) << r.Text;
  }
  p->SetMaxValue(10);
  for (const Row& r : rows) {
    Variant v(r.Text);
    std::string err;
    bool error = false;
    p->ValidateDisplayValue(v, err, error, edit.get());
    EXPECT_EQ(error, r.Error) << "text \"" << r.Text << "\"";
    if (r.Error) {
      EXPECT_EQ(err, "Value out of bounds");
    }
    EXPECT_EQ(VarToStr(v), r.Text) << "the value itself is not changed";
  }
  // A plain text editor has no range even with bounds set.
  auto text = newProperties();
  text->SetMaxValue(10);
  Variant v("50");
  std::string err;
  bool error = false;
  text->ValidateDisplayValue(v, err, error, edit.get());
  EXPECT_FALSE(error);
}

TEST(cxTextEditProperties, ListStylesAcceptOnlyLookupItemsAndTakeTheCase) {
  Owned<StyledProperties> p(New<StyledProperties>(nullptr));
  p->LookupItems()->SetText("Coração\r\nMaçã\r\n");
  p->SetCharCase(ecUpperCase);
  struct Row {
    TcxTextInputStyle Style;
    std::string Text;
    bool Valid;
    std::string Result;
  } rows[] = {
      {tisListText, "maçã", true, "MAÇÃ"},        // differs only in case (accents included)
      {tisFixedList, "CORAÇÃO", true, "CORAÇÃO"},
      {tisListText, "", true, ""},                // empty text is always valid
      {tisFixedList, "pera", false, "pera"},      // refused: unchanged
      {tisFreeText, "pera", true, "PERA"},
  };
  for (const Row& r : rows) {
    p->Style = r.Style;
    Variant v(r.Text);
    EXPECT_EQ(p->IsEditValueValid(v), r.Valid) << r.Text << " style " << r.Style;
    EXPECT_EQ(VarToStr(v), r.Result) << r.Text << " style " << r.Style;
  }
  p->Style = tisFixedList;
  Variant number(12);
  EXPECT_TRUE(p->IsEditValueValid(number)) << "non-text values are not checked";
  Variant null = Null();
  EXPECT_TRUE(p->IsEditValueValid(null));
}

TEST(cxTextEditProperties, InputStyleAndCapabilities) {
  auto p = newProperties();
  EXPECT_EQ(p->GetInputStyle(), tisFreeText);
  EXPECT_TRUE(p->CanResetEditValue());
  EXPECT_EQ(p->GetCapabilities(), 174);
  p->Buttons()->Add();
  EXPECT_EQ(p->GetCapabilities(), 190);
  p->SetHideCursor(true);
  EXPECT_EQ(p->GetInputStyle(), tisNoEdit);
  EXPECT_FALSE(p->CanResetEditValue());
  EXPECT_EQ(p->GetEditValueKind(true), evsText);
  EXPECT_EQ(p->GetEditValueKind(false), evsText);
}

TEST(cxTextEditProperties, SettersNotifyOnlyOnChange) {
  auto p = newProperties();
  Notices n;
  n.Listen(p.get());
  p->SetCharCase(ecNormal);
  p->SetEchoMode(eemNormal);
  p->SetHideSelection(true);
  p->SetOEMConvert(false);
  p->SetFixedListIncrementalSearch(false);  // not the fixed-list style: no notice
  EXPECT_EQ(n.Count, 0);
  p->SetCharCase(ecUpperCase);
  p->SetMaxLength(5);
  p->SetMaxLength(5);
  p->SetDisplayFormat("");
  p->SetDisplayFormat("");
  p->LookupItems()->Add("x");
  EXPECT_EQ(n.Count, 4) << "case, length, format once each, and the item list";

  // A locale change raises one notice with IsFormatChanging set, cleared afterwards.
  n.FormatChanging.clear();
  cxGetFormatController()->NotifyListeners();
  ASSERT_EQ(n.FormatChanging.size(), 1u) << "the properties listen to the format controller";
  EXPECT_TRUE(n.FormatChanging[0]);
  EXPECT_FALSE(p->IsFormatChanging());
  p->SetOnPropertiesChanged(TNotifyEvent());
}

TEST(cxTextEditProperties, AFailingChangeNoticeStillClearsTheFormatFlag) {
  struct Thrower : public TObject {
    void Changed(TObject*) { throw Exception("boom"); }
  } thrower;
  auto p = newProperties();
  p->SetOnPropertiesChanged(TNotifyEvent(&thrower, &Thrower::Changed));
  EXPECT_THROW(p->FormatChanged(), Exception);
  EXPECT_FALSE(p->IsFormatChanging());
  p->SetOnPropertiesChanged(TNotifyEvent());
}

TEST(cxTextEditProperties, AssignCopiesEverythingWithOneNotice) {
  auto source = newProperties();
  source->SetCharCase(ecLowerCase);
  source->SetEchoMode(eemPassword);
  source->SetHideSelection(false);
  source->SetOEMConvert(true);
  source->SetMaxLength(12);
  source->SetImmediateUpdateText(true);
  source->SetMinValue(2);
  TcxValidChars chars;
  chars.set(static_cast<unsigned char>('\xE7'));
  source->SetValidChars(chars);
  source->LookupItems()->SetText("zeta\r\nalfa\r\nmeio\r\n");

  auto target = newProperties();
  target->SetMaxValue(50);
  target->SetDisplayFormat("0.0");
  target->SetLookupItemsSorted(true);
  Notices n;
  n.Listen(target.get());
  target->Assign(source.get());
  target->SetOnPropertiesChanged(TNotifyEvent());
  EXPECT_EQ(n.Count, 1);
  EXPECT_EQ(target->CharCase(), ecLowerCase);
  EXPECT_EQ(target->EchoMode(), eemPassword);
  EXPECT_FALSE(target->HideSelection());
  EXPECT_TRUE(target->OEMConvert());
  EXPECT_EQ(target->GetMaxLength(), 12);
  EXPECT_TRUE(target->ImmediateUpdateText());
  EXPECT_TRUE(target->ValidChars().test(0xE7));
  EXPECT_TRUE(target->IsMinValueStored());
  EXPECT_EQ(target->GetMinValue(), 2);
  EXPECT_FALSE(target->IsMaxValueStored()) << "unassigned in the source: unassigned in the copy";
  EXPECT_FALSE(target->IsDisplayFormatStored());
  EXPECT_FALSE(target->GetLookupItemsSorted());
  EXPECT_EQ(target->LookupItems()->Text(), "zeta\r\nalfa\r\nmeio\r\n") << "the source's order";
}

TEST(cxTextEditProperties, StoredFormKeepsAnAssignedEmptyDisplayFormat) {
  Owned<TextItem> item(New<TextItem>(nullptr));
  item->SetName("Item");
  item->Text()->SetCharCase(ecUpperCase);
  item->Text()->SetMaxLength(8);
  item->Text()->LookupItems()->Add("Sim");
  const std::string plain = storedText(item.get());
  EXPECT_EQ(plain.find("IsDisplayFormatAssigned"), std::string::npos) << plain;
  for (const char* line : {"Properties.CharCase = ecUpperCase", "Properties.MaxLength = 8", "'Sim'"})
    EXPECT_NE(plain.find(line), std::string::npos) << "missing " << line << " in:\n" << plain;
  EXPECT_EQ(plain.find("HideSelection"), std::string::npos) << "defaults are not stored:\n" << plain;

  item->Text()->SetDisplayFormat("");
  EXPECT_NE(storedText(item.get()).find("Properties.IsDisplayFormatAssigned = True"), std::string::npos);

  Owned<TextItem> copy(New<TextItem>(nullptr));
  reload(item.get(), copy.get());
  EXPECT_TRUE(copy->Text()->IsDisplayFormatStored());
  EXPECT_EQ(copy->Text()->CharCase(), ecUpperCase);
  EXPECT_EQ(copy->Text()->GetMaxLength(), 8);
  EXPECT_EQ(copy->Text()->LookupItems()->Count(), 1);
}

TEST(cxTextEditProperties, LookupItemsMatchWithoutCaseInListOrder) {
  auto p = newProperties();
  p->LookupItems()->SetText("Éden\r\nÁrvore\r\n");
  EXPECT_TRUE(p->IsLookupItem("éden"));
  EXPECT_TRUE(p->IsLookupItem("ÁRVORE"));
  EXPECT_FALSE(p->IsLookupItem("Eden")) << "an accent is no case difference";
  EXPECT_FALSE(p->IsLookupItem("Árvores"));

  struct Log : public TObject {
    std::string Seen;
    void New(TObject*, const std::string& AText) { Seen = AText; }
  } log;
  p->FireNewLookupDisplayText(p.get(), "x");  // unassigned: nothing
  p->SetOnNewLookupDisplayText(TcxNewLookupDisplayTextEvent(&log, &Log::New));
  p->FireNewLookupDisplayText(p.get(), "nova");
  EXPECT_EQ(log.Seen, "nova");
}

TEST(cxTextEditProperties, DisplayValuesCompareByShownTextWithCase) {
  auto a = newProperties();
  auto b = newProperties();
  b->SetCharCase(ecUpperCase);
  EXPECT_TRUE(a->CompareDisplayValues(Variant("ABC"), b.get(), Variant("abc"))) << "each through its own case";
  EXPECT_FALSE(a->CompareDisplayValues(Variant("abc"), a.get(), Variant("ABC")));
  Owned<TcxCustomEditProperties> other(New<TcxCustomEditProperties>(nullptr));
  EXPECT_FALSE(a->CompareDisplayValues(Variant("abc"), other.get(), Variant("abc")));
}

TEST(cxTextEditProperties, IsRegisteredAsAnEditor) {
  TcxRegisteredClasses* registry = cxGetEditorRegistry();
  EXPECT_EQ(registry->GetDescriptionByClass(TcxTextEditProperties::StaticClass()),
            "TextEdit|Represents a single line text editor");
}

// =======================================================================================
// Lookup data and the edit list box.
// =======================================================================================

namespace {

// Properties whose input style and page size a test chooses.
class LookupProperties : public TcxCustomTextEditProperties {
  RTL_DECLARE_CLASS(LookupProperties, TcxCustomTextEditProperties)
public:
  explicit LookupProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}
  TcxTextInputStyle Style = tisFreeText;
  TcxTextInputStyle GetInputStyle() override { return Style; }
};

// An editor showing a text the test sets; it records its lookup-typing flag.
class LookupEdit : public TcxCustomEdit, public TextLookupOwner {
  RTL_DECLARE_CLASS(LookupEdit, TcxCustomEdit)
public:
  explicit LookupEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TClass GetPropertiesClass() override { return LookupProperties::StaticClass(); }
  std::string GetDisplayText() override { return Shown; }
  void SetLookupTyping(bool Value) override { Typing = Value; }
  LookupProperties* Props() { return static_cast<LookupProperties*>(GetActiveProperties()); }
  std::string Shown;
  bool Typing = false;
};

// A list whose rows show the lookup items.
class ItemsListBox : public TcxCustomEditListBox {
  RTL_DECLARE_CLASS(ItemsListBox, TcxCustomEditListBox)
public:
  explicit ItemsListBox(TComponent* AOwner) : TcxCustomEditListBox(AOwner) {}
  static inline TcxCustomTextEditLookupData* Source = nullptr;
  std::string GetItemText(Integer AIndex) override {
    std::string s;
    if (Source) Source->GetItem(AIndex, s);
    return s;
  }
};

// Lookup data of a drop-down editor, with a list box.
class ListLookupData : public TcxCustomTextEditLookupData {
  RTL_DECLARE_CLASS(ListLookupData, TcxCustomTextEditLookupData)
public:
  explicit ListLookupData(TcxCustomEdit* AEdit) : TcxCustomTextEditLookupData(AEdit) {}
  TClass GetListBoxClass() override { return ItemsListBox::StaticClass(); }
};

// Counts the chosen items and what the editor's typing flag was meanwhile.
class ChosenLog : public TObject {
public:
  int Count = 0;
  bool TypingSeen = false;
  LookupEdit* Edit = nullptr;
  void Chosen(TObject*) {
    ++Count;
    TypingSeen = Edit && Edit->Typing;
  }
};

class LookupTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    edit.reset(New<LookupEdit>(nullptr));
    edit->Props()->LookupItems()->SetText("Maçã\r\nPera\r\nMAmão\r\nUva\r\n");
    data.reset(New<TcxCustomTextEditLookupData>(static_cast<TcxCustomEdit*>(edit.get())));
    log.Edit = edit.get();
    data->SetOnItemChosen(TNotifyEvent(&log, &ChosenLog::Chosen));
  }
  void TearDown() override {
    data.reset();
    edit.reset();
    GuiTest::TearDown();
  }
  Owned<LookupEdit> edit;
  Owned<TcxCustomTextEditLookupData> data;
  ChosenLog log;
};

}  // namespace

RTL_IMPLEMENT_CLASS(LookupProperties)
RTL_IMPLEMENT_CLASS(LookupEdit)
RTL_IMPLEMENT_CLASS(ItemsListBox)
RTL_IMPLEMENT_CLASS(ListLookupData)

TEST_F(LookupTest, PrefixSearchKeepsTheItemsCaseAndDoesNotWrap) {
  std::string text = "ma", tail;
  ASSERT_TRUE(data->FindMatch(text, tail, false));
  EXPECT_EQ(text, "Ma");
  EXPECT_EQ(tail, "çã");
  EXPECT_EQ(data->CurrentKey(), 0);

  text = "ma";
  ASSERT_TRUE(data->FindMatchFrom(text, tail, true, false)) << "from the current item: the third";
  EXPECT_EQ(text, "MA");
  EXPECT_EQ(tail, "mão");
  EXPECT_EQ(data->CurrentKey(), 2);

  text = "ma";
  EXPECT_FALSE(data->FindMatchFrom(text, tail, true, false)) << "no wrap-around after the last match";
  EXPECT_EQ(data->CurrentKey(), -1) << "free text: a failed search clears the key";

  text = "MAÇ";
  ASSERT_TRUE(data->FindMatch(text, tail, false)) << "accented letters match without case";
  EXPECT_EQ(text, "Maç");
}

TEST_F(LookupTest, AFailedSearchResetsTheKeyByInputStyle) {
  struct Row {
    TcxTextInputStyle Style;
    std::string Text;
    bool ResetOnFail;
    Integer KeyAfter;
  } rows[] = {
      {tisFreeText, "Perambular", false, -1},  // longer than every item
      {tisFixedList, "Perambular", false, 1},
      {tisFixedList, "Perambular", true, -1},
      {tisListText, "xyz", false, 1},
      {tisListText, "xyz", true, -1},
  };
  for (const Row& r : rows) {
    edit->Props()->Style = r.Style;
    data->SelectKeyIndex(1);
    std::string text = r.Text, tail = "untouched";
    EXPECT_FALSE(data->FindMatch(text, tail, r.ResetOnFail));
    EXPECT_EQ(data->CurrentKey(), r.KeyAfter) << r.Text << " style " << r.Style << " reset " << r.ResetOnFail;
    EXPECT_EQ(tail, "untouched");
  }
  // No items: nothing happens at all.
  edit->Props()->LookupItems()->Clear();
  std::string text = "a", tail;
  EXPECT_FALSE(data->FindMatch(text, tail, true));
  EXPECT_TRUE(data->IsEmpty());
}

TEST_F(LookupTest, NavigationSteps) {
  // Ten items, page size 8.
  edit->Props()->LookupItems()->SetText("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");
  struct Row {
    Integer From;
    TcxLookupNavigation Dir;
    bool Circular;
    Integer To;
  } rows[] = {
      {5, lnFirst, false, 0},     {5, lnLast, false, 9},      {9, lnNext, false, 9},     {9, lnNext, true, 0},
      {3, lnNext, false, 4},      {0, lnPrevious, false, 0},  {0, lnPrevious, true, 9},  {-1, lnPageUp, false, -1},
      {-1, lnPageUp, true, 9},    {5, lnPageUp, false, 0},    {9, lnPageUp, true, 2},    {0, lnPageUp, true, 9},
      {-1, lnPageDown, false, 7}, {1, lnPageDown, false, 8},  {5, lnPageDown, true, 9},  {9, lnPageDown, true, 0},
      {9, lnPageDown, false, 9},  {-1, lnNext, false, 0},
  };
  for (const Row& r : rows) {
    data->SelectKeyIndex(r.From);
    data->Navigate(r.Dir, r.Circular);
    EXPECT_EQ(data->CurrentKey(), r.To) << "from " << r.From << " dir " << r.Dir << " circular " << r.Circular;
    EXPECT_EQ(data->ItemIndex(), r.To);
  }
}

TEST_F(LookupTest, ChoosingAKeyRaisesItemChosenWhileTyping) {
  Variant key;
  std::string text;
  data->GetKeyText(Variant(-1), text);
  EXPECT_EQ(text, "");
  data->GetKeyText(Variant(4), text);
  EXPECT_EQ(text, "") << "the item count is no key";
  data->GetKeyText(Variant(1), text);
  EXPECT_EQ(text, "Pera");

  data->SetKeyValue(Variant(1));
  EXPECT_EQ(log.Count, 1);
  EXPECT_TRUE(log.TypingSeen) << "the editor's lookup-typing flag is set meanwhile";
  EXPECT_FALSE(edit->Typing) << "and cleared afterwards";
  data->GetKeyValue(key);
  EXPECT_EQ(static_cast<int>(key), 1);

  edit->Shown = "Pera";
  data->SetKeyValue(Variant(1));
  EXPECT_EQ(log.Count, 1) << "same key and the editor shows it: no event";
  edit->Shown = "pera";
  data->SetKeyValue(Variant(1));
  EXPECT_EQ(log.Count, 2) << "same key, text differing in case: the item's text is applied";

  data->SetKeyValue(Variant(99));
  EXPECT_EQ(data->CurrentKey(), 1) << "a key outside the items is ignored";
}

TEST_F(LookupTest, SyncFollowsTheEditorsTextWithoutChangingIt) {
  edit->Shown = "uva";
  data->SyncWithText();
  EXPECT_EQ(data->CurrentKey(), 3);
  EXPECT_EQ(edit->Shown, "uva");
  EXPECT_TRUE(data->HasItem("UVA"));
  EXPECT_FALSE(data->HasItem("uvas"));
}

TEST_F(LookupTest, AnOpenListMovesOnlyTheSelectionUntilApplied) {
  Owned<ListLookupData> listData(New<ListLookupData>(static_cast<TcxCustomEdit*>(edit.get())));
  listData->SetOnItemChosen(TNotifyEvent(&log, &ChosenLog::Chosen));
  ItemsListBox::Source = listData.get();
  TForm* form = own(New<TForm>(nullptr, 0));
  form->SetBounds(80, 80, 240, 200);
  EXPECT_EQ(listData->GetList(), nullptr);
  listData->AttachList(form);
  TcxCustomEditListBox* list = listData->GetList();
  ASSERT_NE(list, nullptr);
  listData->SetListBounds(TRect{10, 10, 150, 150});
  moveMouseTo(TPoint{1000, 900});  // away from the list: no hot tracking yet
  showAndActivate(form);
  pumpFor(50);
  EXPECT_EQ(list->Items()->Count(), 4) << "one row per item";
  EXPECT_EQ(list->Style(), lbOwnerDrawVariable);

  listData->Navigate(lnNext, false);
  listData->Navigate(lnNext, false);
  EXPECT_EQ(listData->ItemIndex(), 1);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(listData->CurrentKey(), -1) << "the key waits for the list to close";
  EXPECT_EQ(log.Count, 0);
  listData->ApplyListSelection();
  EXPECT_EQ(listData->CurrentKey(), 1);
  EXPECT_EQ(log.Count, 1);
  edit->Shown = "Pera";  // the editor took the chosen text
  listData->ApplyListSelection();
  EXPECT_EQ(log.Count, 2) << "choosing the current row again still applies it";

  edit->Props()->SetImmediateUpdateText(true);
  listData->Navigate(lnLast, false);
  EXPECT_EQ(listData->CurrentKey(), 3) << "immediate update: the key moves at once";

  // The rows show the items' text, drawn by the list.
  TBitmap shot;
  captureClient(list, shot);
  const Integer rowHeight = list->GetDefaultItemHeight();
  EXPECT_EQ(list->GetHeightForRows(3), 3 * rowHeight);
  bool inked = false;
  for (int x = 2; x < 60 && !inked; ++x)
    for (int y = 0; y < rowHeight && !inked; ++y) inked = (GetPixel(shot.Canvas()->Handle(), x, y) & 0xFFFFFF) == 0;
  EXPECT_TRUE(inked) << "the first row's text is drawn";

  // Hot tracking follows the real pointer; a click chooses the row.
  const TPoint row2 = list->ClientToScreen(TPoint{30, rowHeight * 2 + rowHeight / 2});
  moveMouseTo(row2);
  EXPECT_TRUE(pumpUntil([&] { return list->ItemIndex() == 2; })) << "row under the pointer: " << list->ItemIndex();
  EXPECT_EQ(listData->ItemIndex(), 2) << "the list's row reaches the lookup data";
  EXPECT_TRUE(listData->IsPointOverList(row2));
  EXPECT_FALSE(listData->IsPointOverList(list->ClientToScreen(TPoint{-5, -5})));

  // Fewer items: the rows follow.
  edit->Props()->LookupItems()->Delete(3);
  listData->RefreshListItems();
  EXPECT_EQ(list->Items()->Count(), 3);

  delete list;  // the popup frees its list: the lookup data forgets it
  EXPECT_EQ(listData->GetList(), nullptr);
  ItemsListBox::Source = nullptr;
}

TEST_F(LookupTest, TheWheelScrollsTheList) {
  Owned<ListLookupData> listData(New<ListLookupData>(static_cast<TcxCustomEdit*>(edit.get())));
  std::string many;
  for (int i = 0; i < 60; ++i) many += "item " + std::to_string(i) + "\r\n";
  edit->Props()->LookupItems()->SetText(many);
  ItemsListBox::Source = listData.get();
  TForm* form = own(New<TForm>(nullptr, 0));
  form->SetBounds(80, 80, 240, 200);
  listData->AttachList(form);
  TcxCustomEditListBox* list = listData->GetList();
  list->SetTracksMouse(false);
  listData->SetListBounds(TRect{10, 10, 150, 120});
  showAndActivate(form);
  ASSERT_EQ(list->TopIndex(), 0);
  const TPoint inside = list->ClientToScreen(TPoint{20, 20});
  moveMouseTo(inside);
  pumpFor(50);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  EXPECT_TRUE(pumpUntil([&] { return list->TopIndex() > 0; })) << "wheel down scrolls down";
  const Integer top = list->TopIndex();
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA, 0);
  EXPECT_TRUE(pumpUntil([&] { return list->TopIndex() < top; })) << "wheel up scrolls back";
  ItemsListBox::Source = nullptr;
}

// =======================================================================================
// View data and view info.
// =======================================================================================

namespace {

TObjectPtr<TcxCustomEditStyle> newStyle() {
  return TObjectPtr<TcxCustomEditStyle>(
      static_cast<TcxCustomEditStyle*>(TcxContainerStyle::CreateOfClass(TcxEditStyle::StaticClass(), nullptr, false)));
}

// Calculates a text editor's view info for the value in bounds of the given width.
struct TextView {
  TObjectPtr<TcxCustomEditStyle> Style = newStyle();
  TObjectPtr<TcxCustomTextEditViewData> Data;
  TObjectPtr<TcxCustomTextEditViewInfo> Info{new TcxCustomTextEditViewInfo()};
  TcxScreenCanvas Canvas;
  explicit TextView(TcxCustomTextEditProperties* P, bool AInplace = false)
      : Data(static_cast<TcxCustomTextEditViewData*>(P->CreateViewData(Style.get(), AInplace))) {}
  void Calc(const Variant& AValue, Integer AWidth = 120) {
    Info->Font = Style->Font();
    Data->Calculate(&Canvas, TRect{0, 0, AWidth, 21}, TPoint{-1, -1}, cxmbNone, TShiftState(), Info.get(), false);
    Data->PrepareDrawValue(&Canvas, AValue, Info.get());
  }
};

}  // namespace

TEST(cxTextEditView, DrawTextFlagsFollowTheAlignment) {
  auto p = newProperties();
  TextView view(p.get());
  struct Row {
    TAlignment Horz;
    TcxEditVertAlignment Vert;
    TcxTextLayoutFlags Flags;
  } rows[] = {{taLeftJustify, taTopJustify, 0}, {taRightJustify, taTopJustify, 2}, {taCenter, taVCenter, 0x11},
              {taLeftJustify, taBottomJustify, 0x20}};
  for (const Row& r : rows) {
    view.Data->HorzAlignment = r.Horz;
    view.Data->VertAlignment = r.Vert;
    EXPECT_EQ(view.Data->GetDrawTextFlags(), r.Flags | 0x40 | 0x80 | 0x200) << r.Horz << " " << r.Vert;
  }
  EXPECT_EQ(p->GetViewDataClass(), TcxCustomTextEditViewData::StaticClass());
  view.Data->PaintOptions = epoShowEndEllipsis;
  view.Data->Calculate(&view.Canvas, TRect{0, 0, 100, 21}, TPoint{-1, -1}, cxmbNone, TShiftState(), view.Info.get(),
                       false);
  EXPECT_TRUE(view.Info->DrawTextFlags & tlfEndEllipsis) << "the view info asked for an end ellipsis";
}

TEST(cxTextEditView, APasswordEditorNeverShowsTheRealText) {
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  p->SetEchoMode(eemPassword);
  TextView view(p.get());
  view.Calc(Variant(12.5));
  EXPECT_EQ(view.Info->Text, "****");
  view.Calc(Variant(true));  // cannot be converted: still hidden
  EXPECT_EQ(view.Info->Text, std::string(VarToStr(Variant(true)).size(), '*'));

  auto text = newProperties();
  text->SetEchoMode(eemPassword);
  TextView measured(text.get());
  TcxEditSizeProperties sizeProps;
  const TSize secret = measured.Data->InternalGetEditContentSize(&measured.Canvas, Variant("WWWW"), sizeProps);
  const TSize stars = measured.Data->InternalGetEditContentSize(&measured.Canvas, Variant("****"), sizeProps);
  EXPECT_EQ(secret.cx, stars.cx) << "measured as asterisks";
}

TEST(cxTextEditView, DataDisplayTextIsPaintedAsPlainText) {
  FieldProvider field;
  field._AddRef();
  field.HasFormat = true;
  Owned<RangedProperties> p(New<RangedProperties>(nullptr));
  p->SetDisplayFormat("0.000");
  p->SetDefaultValuesProvider(&field);
  {
    TextView view(p.get());
    view.Calc(Variant("12,5 kg"));
    EXPECT_EQ(view.Info->Text, "12,5 kg") << "the bound data's text, not the editor's format";
  }
  p->SetDefaultValuesProvider(nullptr);
  TextView view(p.get());
  view.Calc(Variant(2.0));
  EXPECT_EQ(view.Info->Text, "2.000");
}

TEST(cxTextEditView, DefaultSelectionColoursAreTheHighlightColours) {
  auto p = newProperties();
  TextView view(p.get());
  view.Data->SelStart = 1;
  view.Data->SelLength = 2;
  view.Calc(Variant("abc"));
  EXPECT_EQ(view.Info->SelTextColor, clHighlightText);
  EXPECT_EQ(view.Info->SelBackgroundColor, clHighlight);
  EXPECT_EQ(view.Info->SelStart, 1);
  view.Data->SelTextColor = clRed;
  view.Data->SelBackgroundColor = clYellow;
  view.Calc(Variant("abc"));
  EXPECT_EQ(view.Info->SelTextColor, clRed);
  EXPECT_EQ(view.Info->SelBackgroundColor, clYellow);
}

TEST(cxTextEditView, ALongTextInANarrowEditorAsksForAHint) {
  auto p = newProperties();
  const std::string longText = "Uma condição bastante longa para caber";
  struct Row {
    Integer Width;
    std::string Text;
    bool Hint;
  } rows[] = {{60, longText, true}, {400, longText, false}, {60, "ab", false}};
  for (const Row& r : rows) {
    TextView view(p.get());
    view.Calc(Variant(r.Text), r.Width);
    std::string hint;
    bool multiLine = true;
    TRect hintRect{0, 0, 0, 0};
    const TPoint inside{view.Info->TextRect.left + 2, view.Info->TextRect.top + 2};
    EXPECT_EQ(view.Info->NeedShowHintInBounds(&view.Canvas, inside, TRect{0, 0, 0, 0}, hint, multiLine, hintRect),
              r.Hint)
        << r.Width << " " << r.Text;
    if (r.Hint) {
      EXPECT_EQ(hint, r.Text);
      EXPECT_FALSE(multiLine);
    }
    EXPECT_FALSE(view.Info->NeedShowHintInBounds(&view.Canvas, TPoint{-10, -10}, TRect{0, 0, 0, 0}, hint, multiLine,
                                                 hintRect))
        << "outside the text";
  }
}

TEST(cxTextEditView, PaintsTheTextAndTheSelection) {
  auto p = newProperties();
  TextView view(p.get());
  view.Data->SelStart = 0;
  view.Data->SelLength = 3;
  view.Calc(Variant("WWWWWW"), 160);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(160, 21);
  TcxCanvas canvas(bmp.Canvas());
  view.Info->Paint(&canvas);
  const uint32_t highlight = static_cast<uint32_t>(ColorToRGB(clHighlight)) & 0xFFFFFF;
  const uint32_t window = static_cast<uint32_t>(ColorToRGB(clWindow)) & 0xFFFFFF;
  int highlightPixels = 0, textPixels = 0;
  const TRect& r = view.Info->TextRect;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y) {
      const uint32_t c = static_cast<uint32_t>(GetPixel(bmp.Canvas()->Handle(), x, y)) & 0xFFFFFF;
      if (c == highlight) ++highlightPixels;
      else if (c != window) ++textPixels;
    }
  EXPECT_GT(highlightPixels, 20) << "the selected part is filled";
  EXPECT_GT(textPixels, 20) << "the text is drawn";
  savePng(bmp, "text-edit-view");
}
