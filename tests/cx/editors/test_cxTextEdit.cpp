// The text editor's settings: shown text through echo, case and number formats, the numeric
// bounds and their validation, the check of typed text against the lookup items, copying,
// change notices and what is stored.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/rtl/SysUtils.h"

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
  bool UsesLookupData() override { return true; }
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
    if (r.Error) EXPECT_EQ(err, "Value out of bounds");
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
